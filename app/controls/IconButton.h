#pragma once
// The program's general owner-drawn push button: icon with optional text, flat
// look with hover highlighting, optional check-box behaviour, a drop-down menu
// or a web address on click, colours per state and a tooltip. It is a push
// button to Qt, so that a dialog's Enter reaches it as its default button.
#include "platform/Colour.h"

#include <QPushButton>
#include <QIcon>
#include <QPointer>
#include <functional>

class QMenu;
class QAction;

namespace controls {

class CIconButton : public QPushButton {
    Q_OBJECT
public:
    enum Align { ImageLeft = 0, ImageTop = 1, ImageRight = 2 };
    enum ColourIndex { BkHot = 0, FgHot, BkIdle, FgIdle, BkFocus, FgFocus, ColourCount };
    // Idle image that stands for "a grey copy of the first".
    static constexpr int kGreyIdle = -2;

    explicit CIconButton(QWidget* parent = nullptr);

    // Images by language-pack icon id (idle 0: none; kGreyIdle: grey copy).
    void AssignIcons(unsigned iconIn, int iconOut = 0);
    void AssignIcons(const QIcon& in, const QIcon& out = QIcon(), bool greyIdle = false);
    void AssignBitmaps(const QImage& in, const QImage& out = QImage());
    static QImage greyCopy(const QImage& image);

    void SetFlat(bool on) { m_flat = on; update(); }
    bool isFlatLook() const { return m_flat; }
    void SetAlign(int align) { m_align = align; update(); }
    void DrawBorder(bool on) { m_drawBorder = on; update(); }
    void DrawFlatFocus(bool on) { m_drawFlatFocus = on; update(); }
    void SetAlwaysTrack(bool on) { m_alwaysTrack = on; }
    void SetCheckBox(bool on) { m_checkBox = on; }
    void SetCheck(int state);
    int GetCheck() const { return m_check; }
    void SetDefault(bool on) { setDefault(on); update(); }
    void SetColour(int index, platform::COLORREF colour);
    platform::COLORREF GetColour(int index) const;
    void LightenColor();
    void SetMenu(QMenu* menu, QWidget* owner);
    void SetURL(const QString& url) { m_url = url.left(259); }
    void SetBtnCursor(const QCursor& c) { setCursor(c); }
    void SetTooltipText(const QString& text);
    void SetTooltipFromResource(unsigned stringId);
    bool isMouseOver() const { return m_mouseOver; }
    QIcon firstImage() const { return m_in; }
    QIcon idleImage() const { return m_out; }

    // Where the image goes for a given size (tests and subclasses).
    QRect imageRect(const QSize& imageSize) const;
    // Where the text goes beside an image of that size (none: an empty size).
    QRect textRect(const QSize& imageSize) const;

    QSize sizeHint() const override;

signals:
    void menuCommand(int commandId);

protected:
    void paintEvent(QPaintEvent*) override;
    virtual void DrawBackground(QPainter& p, const QRect& r);
    virtual void DrawBorder(QPainter& p, const QRect& r);
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void changeEvent(QEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    bool hitButton(const QPoint& pos) const override;

    bool isHot() const { return m_mouseOver; }
    bool isPressedLook() const;

private:
    void onClicked();
    void clearMouseOver();

    bool m_showDisabledBitmap = true;
    bool m_flat = true;
    bool m_mouseOver = false;
    bool m_checkBox = false;
    int m_align = ImageLeft;
    bool m_drawBorder = true;
    bool m_drawFlatFocus = false;
    bool m_keyboardFocus = false;   // reached by Tab: shown even when flat
    platform::COLORREF m_colours[ColourCount];
    QPointer<QWidget> m_menuOwner;
    QPointer<QMenu> m_menu;
    bool m_menuShown = false;
    bool m_alwaysTrack = true;
    int m_check = 0;
    QString m_url;
    QIcon m_in, m_out;
};

} // namespace controls
