#pragma once
// A split button showing the current border pattern. A click on the face
// applies that pattern again; a click on the 9-pixel arrow strip opens the
// preset popup.
#include "app/controls/BorderSpec.h"
#include "platform/LangPack.h"

#include <QAbstractButton>

namespace controls {

class CBorderButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CBorderButton(QWidget* parent = nullptr);

    const BorderSpec& GetBorder() const { return m_pattern; }
    void SetBorder(const BorderSpec& s) { m_pattern = s; update(); }
    void SetCaption(const QString& c) { m_caption = c; }
    QString caption() const { return m_caption; }
    bool isPopupActive() const { return m_popupActive; }
    int hoverPart() const { return m_hoverPart; }

    QSize sizeHint() const override { return {32, 22}; }

signals:
    void selChange(const controls::BorderSpec& pattern);
    void closeUp(const controls::BorderSpec& pattern);
    void selEndOk(const controls::BorderSpec& pattern);
    void selEndCancel(const controls::BorderSpec& pattern);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    bool event(QEvent*) override;

private:
    int partAt(QPoint p) const;
    void onClicked();
    void notify(unsigned message, const BorderSpec* pattern);

    QString m_caption = platform::langString(42010);
    bool m_popupActive = false;
    int m_hoverPart = 0;
    QPoint m_clickPos{-1, -1};
    BorderSpec m_pattern = defaultBorderSpec();
};

} // namespace controls
