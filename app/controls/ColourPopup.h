#pragma once
// The drop-down grid of forty colours with optional "Automatic" and custom
// boxes. It tells its owner (the button that opened it) of hover changes and
// of the end (a choice or a cancel) by message, then deletes itself.
#include "app/controls/ColourTable.h"

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>

namespace controls {

class CColourPopup : public QWidget {
    Q_OBJECT
public:
    // Creates and shows the popup at (x, y) in screen coordinates, grabbing the
    // mouse. The owner receives the notifications.
    CColourPopup(platform::COLORREF initial, QWidget* owner, const QString& defaultText,
                 const QString& customText, int x, int y);
    ~CColourPopup() override;

    const ColourPopupLayout& layout() const { return m_layout; }
    int hoverIndex() const { return m_hover; }
    int chosenIndex() const { return m_chosen; }
    platform::COLORREF currentColour() const { return m_current; }
    bool ended() const { return m_ended; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;

private:
    void changeHover(int index);
    void endSelection();
    void cancel();
    void finish();
    void drawCell(QPainter& p, int index);

    QWidget* m_owner;
    QString m_defaultText, m_customText;
    ColourPopupLayout m_layout;
    QFont m_font;
    int m_hover = kCellNone;
    int m_chosen = kCellNone;
    platform::COLORREF m_initial, m_current;
    bool m_dialogOpen = false;
    bool m_ended = false;
    QMetaObject::Connection m_appState;
};

} // namespace controls
