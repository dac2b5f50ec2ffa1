#pragma once
// The compact 33 x 21 text-colour button: a letter "A" over a colour bar. A
// click on its face applies the colour, a click on its arrow (x >= 22) opens
// the colour popup. The parent hears of it by command notifications.
#include "platform/Colour.h"

#include <QAbstractButton>

namespace controls {

class CColourPicker : public QAbstractButton {
    Q_OBJECT
public:
    // Command codes sent to the parent.
    enum Code { ColourChanged = 1, PopupClosed = 8, SelEndOk = 9, SelEndCancel = 10 };

    explicit CColourPicker(QWidget* parent = nullptr);

    void SetColour(platform::COLORREF c);
    // The colour of the present mode: the text colour in mode 1, else the background.
    platform::COLORREF GetColour() const { return m_mode == 1 ? m_textColour : m_backColour; }
    void SetMode(int mode) { m_mode = mode; }
    int mode() const { return m_mode; }
    void SetBackColour(platform::COLORREF c) { m_backColour = c; update(); }
    void SetDefaultText(const QString& t) { m_defaultText = t; }
    void SetCustomText(const QString& t) { m_customText = t; }
    QString customText() const { return m_customText; }
    void SetTrackSelection(bool on) { m_trackSelection = on; }
    void SetTooltipText(const QString& text);
    void SetTooltipFromResource();
    bool isPopupActive() const { return m_popupActive; }
    QRect arrowRect() const { return QRect(22, 0, width() - 22, height()); }

    QSize sizeHint() const override { return {33, 21}; }

signals:
    void command(int code);

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void onClicked();
    void sendCode(int code);

    bool m_popupActive = false;
    bool m_trackSelection = false;
    platform::COLORREF m_backColour;
    platform::COLORREF m_textColour;
    int m_mode = 2;
    QString m_defaultText = QStringLiteral("Automatic");
    QString m_customText = QStringLiteral("More Colours...");
    bool m_hover = false;
    QPoint m_clickPos{-1, -1};
};

} // namespace controls
