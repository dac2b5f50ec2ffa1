#pragma once
// Base of every property panel: a drawn title bar (a grey gradient twenty rows
// high with the title at 8, 3) and a thin frame around the panel.
#include "app/controls/ModelessDialog.h"
#include "platform/Colour.h"

namespace controls {

class CPropertyPanel : public CModelessDialog {
    Q_OBJECT
public:
    explicit CPropertyPanel(unsigned templateId);

    void SetTitleFromResource(unsigned stringId, bool redraw);
    // The name the panels' callers use for the same operation.
    void SetItemTextFromResource(unsigned stringId, bool redraw) { SetTitleFromResource(stringId, redraw); }
    void SetTitle(const QString& title, bool redraw);
    QString title() const { return m_title; }

    platform::COLORREF frameColour() const { return m_frameColour; }
    platform::COLORREF titleColour() const { return m_titleColour; }

    // Draws title bar and frame over the client rectangle.
    static void drawTitleBar(QPainter& p, const QRect& client, const QString& title, const QFont& font,
                             platform::COLORREF titleColour, platform::COLORREF frameColour);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    platform::COLORREF m_frameColour = 0xDFDFDF;
    platform::COLORREF m_titleColour = 0;
    QString m_title;
};

} // namespace controls
