#pragma once
// Reads the RTF that a rich edit produces into a QTextDocument: font and colour
// tables, sizes, bold, italic, underline, strike-out, paragraphs, alignment,
// indents, line spacing, \uN escapes and \'hh bytes in the font's code page.
#include <QByteArray>
#include <QString>
#include <QTextFormat>

class QTextDocument;

namespace platform {

// Format properties kept for what Qt's formats cannot say, so that text read
// and written again keeps its RTF form.
enum RtfFormatProperty {
    RtfFontCharset = QTextFormat::UserProperty + 0x5246, // char: \fcharset of the font
    RtfLineSpacing,                                      // block: \sl in twips
    RtfLineMultiple,                                     // block: \slmult
};

// True when the first five characters are "{\rtf", case ignored.
bool looksLikeRtf(const QString& text);
bool looksLikeRtf(const QByteArray& bytes);

// Replaces the document's contents with the RTF text. Bytes above 0x7F (raw or
// \'hh) are decoded with the code page of the current font's charset.
// Returns false with a reason when the text is not RTF (the document is left
// alone) or ends before its groups close (what was read is kept).
bool readRtf(const QByteArray& rtf, QTextDocument* doc, QString* error = nullptr);
// The same for text that is already Unicode: characters above 0x7F are taken
// as they stand.
bool readRtf(const QString& rtf, QTextDocument* doc, QString* error = nullptr);

// One twip in document pixels (the document lays out at 96 dots per inch).
inline constexpr double kTwipsPerPixel = 15.0;

} // namespace platform
