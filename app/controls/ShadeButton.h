#pragma once
// An icon button whose background is a generated shaded face.
#include "app/controls/DibImage.h"
#include "app/controls/IconButton.h"

namespace controls {

class CShadeButton : public CIconButton {
    Q_OBJECT
public:
    explicit CShadeButton(QWidget* parent = nullptr);

    // Builds the faces for the present size and palette colours.
    void SetShade(std::uint32_t seed = 1);
    const CDibImage& normalFace() const { return m_normal; }
    const CDibImage& hotFace() const { return m_hot; }

protected:
    void DrawBackground(QPainter& p, const QRect& r) override;
    void resizeEvent(QResizeEvent*) override;

private:
    CDibImage m_normal, m_hotCopy, m_normalCopy, m_hot, m_hStrip, m_vStrip;
};

} // namespace controls
