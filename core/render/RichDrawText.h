#pragma once
// Lays out an RTF or plain text without any window, so that the text
// effects can ask which character stands where, in which font and colour.
// Positions are character indexes from 0; a paragraph end counts as one
// character (a carriage return).
#include "platform/LogFont.h"

#include <QRect>
#include <QString>
#include <QTextCharFormat>
#include <QFontMetricsF>
#include <QTextDocument>

#include <optional>

namespace sorvane::render {

class CRichDrawText {
public:
    CRichDrawText();
    CRichDrawText(const CRichDrawText&) = delete;
    CRichDrawText& operator=(const CRichDrawText&) = delete;

    // RTF when longer than five characters and starting with "{\rtf" (case
    // ignored), else plain text. Every character is kept.
    bool SetText(const QString& text);
    int GetTextLength() const;
    // Natural size of the text laid out at the rectangle's width: the
    // rectangle's right and bottom are moved to fit it.
    void FitLayout(QRect& rect);
    // The character at a position ('\r' for a paragraph end); 0 outside the text.
    char16_t GetCharAt(int index) const;
    // The format of one character; false outside the text.
    bool GetCharFormatAt(int index, QTextCharFormat& format) const;
    // The character's font as a stored font record; false outside the text.
    bool GetCharLogFont(int index, LOGFONT& font) const;
    // The cell of one character in layout coordinates: its left edge, the
    // line's baseline (set by the largest font on the line and the space
    // before a paragraph's first line) less its ascent, its advance and its
    // font height. Empty outside the text.
    QRect GetCharCellRect(int index);

    // Layout resolution in dots per inch.
    static constexpr int kDpi = 96;

private:
    void ensureLayout();
    QTextDocument m_doc;
    // The largest font of the line asked for last: the characters of a line
    // are asked for one after another, and each needs it.
    struct LineFont {
        int block = -1;
        int start = -1;
        QFont font;
        double size = 0;
    };
    LineFont m_lineFont;
    QFont m_ownFont;
    std::optional<QFontMetricsF> m_ownMetrics;   // of m_ownFont
};

} // namespace sorvane::render
