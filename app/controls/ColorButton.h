#pragma once
// A push button showing its colour as a swatch; a click opens the colour
// popup, whose notifications it passes on to its parent with its control id.
#include "platform/Colour.h"

#include <QAbstractButton>

namespace controls {

class CColorButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    platform::COLORREF GetColour() const { return m_colour; }
    void SetColour(platform::COLORREF c);
    platform::COLORREF GetDefaultColour() const { return m_defaultColour; }
    void SetDefaultColour(platform::COLORREF c);
    void SetDefaultText(const QString& t) { m_defaultText = t; }
    void SetCustomText(const QString& t) { m_customText = t; }
    QString defaultText() const { return m_defaultText; }
    QString customText() const { return m_customText; }
    void SetTrackSelection(bool on) { m_trackSelection = on; }
    bool isPopupActive() const { return m_popupActive; }

    QSize sizeHint() const override { return {60, 22}; }

signals:
    void selChange(platform::COLORREF colour);
    void dropDown(platform::COLORREF colour);
    void closeUp(platform::COLORREF colour);
    void selEndOk(platform::COLORREF colour);
    void selEndCancel(platform::COLORREF colour);

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent*) override;

private:
    void onClicked();
    void notify(unsigned message, platform::COLORREF colour);

    platform::COLORREF m_colour = 0xFF000000u;
    platform::COLORREF m_defaultColour;
    QString m_defaultText = QStringLiteral("Automatic");
    QString m_customText = QStringLiteral("More Colors...");
    bool m_popupActive = false;
    bool m_trackSelection = false;
};

} // namespace controls
