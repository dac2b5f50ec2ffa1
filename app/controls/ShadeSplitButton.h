#pragma once
// A shaded metallic button with a 16-pixel drop-down part at its right edge:
// the main part clicks as usual, the drop-down part tells the parent instead.
#include "app/controls/DibImage.h"
#include "platform/Colour.h"

#include <QAbstractButton>
#include <QIcon>

namespace controls {

class CShadeSplitButton : public QAbstractButton {
    Q_OBJECT
public:
    enum IconAlign { IconLeft = 256, IconRight = 512, IconTop = 768 };
    static constexpr int kDropWidth = 16;

    explicit CShadeSplitButton(QWidget* parent = nullptr);

    void SetIcon(const QIcon& normal, const QIcon& pressed = QIcon(), const QIcon& hot = QIcon());
    void SetIconAlign(int align) { m_iconAlign = align; update(); }
    void SetFlat(bool on) { m_flat = on; update(); }
    void SetTextColour(platform::COLORREF c) { m_textColour = c; update(); }
    void SetDefault(bool on) { m_default = on; update(); }
    // Builds the four faces for the present size.
    void SetShade(std::uint32_t seed = 1);
    void FreeShade();

    // The base value of face row y of a face h rows high (before the noise).
    static int shadeBase(int y, int h);
    const CDibImage& normalFace() const { return m_faces[0]; }

    QRect mainPart() const { return QRect(0, 0, width() - kDropWidth, height()); }
    QRect dropPart() const { return QRect(width() - kDropWidth, 0, kDropWidth, height()); }
    // The drop-down arrow's corners around the drop part's centre.
    QPolygon arrow() const;

    bool hoveredMain() const { return m_hoverMain; }
    bool hoveredDrop() const { return m_hoverDrop; }
    bool pressedMain() const { return m_pressMain; }
    bool pressedDrop() const { return m_pressDrop; }

signals:
    void dropDown(int controlId);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QIcon m_icon, m_pressedIcon, m_hotIcon;
    platform::COLORREF m_textColour;
    QPoint m_last{-1, -1};
    bool m_hover = false, m_pressed = false;
    bool m_hoverMain = false, m_hoverDrop = false, m_pressMain = false, m_pressDrop = false;
    CDibImage m_faces[4]; // normal, pressed, disabled, hot
    int m_textMargin = 4;
    int m_iconAlign = 0;
    bool m_flat = false;
    bool m_default = false;
};

} // namespace controls
