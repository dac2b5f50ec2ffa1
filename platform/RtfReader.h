#pragma once
// Reads RTF as a rich edit shows it into a QTextDocument: font and colour
// tables, sizes, bold, italic, underline, strike-out, backgrounds, raised and
// lowered text, paragraphs, alignment, direction, indents, tab stops, line
// spacing, \uN escapes and \'hh bytes in the font's code page. Each character
// takes the settings of its script (the associated-character controls give
// East Asian and complex text their own), paragraph styles apply where a
// paragraph names them, table cells stand apart by tabs at their row's cell
// edges with a paragraph per row, list numbers and bullets are kept as text
// (the rich edit's own bullets as a bullet list), hidden text is left out.
#include <QByteArray>
#include <QString>
#include <QTextCharFormat>
#include <QTextFormat>
#include <functional>

class QTextDocument;

namespace platform {

// Format properties kept for what Qt's formats cannot say, so that text read
// and written again keeps its RTF form.
enum RtfFormatProperty {
    RtfFontCharset = QTextFormat::UserProperty + 0x5246, // char: \fcharset of the font
    RtfLineSpacing,                                      // block: \sl in twips
    RtfLineMultiple,                                     // block: \slmult
    // block: this block goes on with the paragraph of the block before it
    // (an editor holds a very long paragraph in pieces; no \par between them)
    RtfContinues,
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

enum class ReadResult { Ok, NotRtf, Damaged, TooLong, Cancelled };

struct ReadOptions {
    // A text of more characters than this is refused as TooLong (-1: any).
    qsizetype maxChars = -1;
    // Paragraphs longer than this are held in blocks of about this length,
    // each after the first marked RtfContinues: an editor lays out and edits
    // one block at a time, so one huge paragraph would cost a layout of all
    // of it per keystroke. 0: one block per paragraph.
    qsizetype blockChars = 0;
    // Called now and then with the input read so far; false cancels.
    std::function<bool(qsizetype done, qsizetype total)> progress;
    // Whether a face has a glyph for a character; when not given, the
    // installed fonts say (and without a GUI application none has).
    std::function<bool(const QString& face, char16_t c)> faceDraws;
};

// As readRtf above, with a bound, pieces and progress. After TooLong or
// Cancelled the document holds part of the text: callers read into a
// document of their own and drop it.
ReadResult readRtf(const QByteArray& rtf, QTextDocument* doc, const ReadOptions& options, QString* error = nullptr);
ReadResult readRtf(const QString& rtf, QTextDocument* doc, const ReadOptions& options, QString* error = nullptr);
// Replaces the document's contents with plain text in one format; line
// breaks (LF, CR LF, CR, U+2029) end paragraphs.
ReadResult readPlainText(const QString& text, QTextDocument* doc, const ReadOptions& options,
                         const QTextCharFormat& format = QTextCharFormat());

// One twip in document pixels (the document lays out at 96 dots per inch).
inline constexpr double kTwipsPerPixel = 15.0;

} // namespace platform
