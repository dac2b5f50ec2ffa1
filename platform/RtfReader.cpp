#include "platform/RtfReader.h"
#include "platform/RtfCodePage.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <optional>

namespace platform {
namespace {

// Bytes above 0x7F of byte input travel through the parser as these lone
// surrogates, so that they can be decoded later with the right code page.
constexpr char16_t kByteEscape = 0xDC00;

bool isEscapedByte(char16_t c) { return c >= 0xDC00 && c <= 0xDCFF; }

// Indents, spacing and line heights are kept within 22 inches, the widest a
// page may be, so that no value can give a layout of absurd or negative size.
constexpr int kMaxTwips = 31680;
// Font sizes in half points up to 1638 points.
constexpr int kMaxHalfPoints = 3276;

int twipsIn(int value, int low = -kMaxTwips) { return qBound(low, value, kMaxTwips); }

// Control characters (from \uN, \'hh or raw) and the document's own object
// and frame marks are no part of a font name.
bool isNotText(char16_t c) { return c < 0x20 || c == 0x7F || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1; }

enum class Dest { Text, FontTable, ColourTable, Skip };

struct GroupState {
    Dest dest = Dest::Text;
    int font = -1;
    int sizeHalfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    int fg = 0, bg = 0;
    int uc = 1;
    // paragraph
    Qt::Alignment align = Qt::AlignLeft;
    int sl = 0, slmult = 0, li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
};

struct FontEntry {
    QString name;
    int charset = 0;
};

const QSet<QString>& skippedDestinations()
{
    static const QSet<QString> s = {
        "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "pntext", "pntxta", "pntxtb",
        "listtext", "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator",
        "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "fldinst",
        "filetbl", "mmathPr", "bkmkstart", "bkmkend", "nonshppict", "shp", "shppict",
        "userprops", "docvar", "template", "pgdsctbl", "wgrffmtfilter", "panose", "falt",
        "comment", "author", "title", "subject", "keywords", "operator", "company",
    };
    return s;
}

// Puts text into the document through one cursor: counts the characters
// against the bound and cuts paragraphs longer than the options allow into
// blocks that continue the one before.
class TextSink {
public:
    TextSink(QTextCursor& cursor, const ReadOptions& options) : m_cursor(cursor), m_options(options) {}

    // The format of the block being filled: a continued block says so.
    QTextBlockFormat current(QTextBlockFormat b) const
    {
        if (m_continuing)
            b.setProperty(RtfContinues, true);
        return b;
    }
    // False once the text holds more characters than allowed.
    bool insert(QStringView text, const QTextCharFormat& cf, const QTextBlockFormat& bf)
    {
        if (!charge(text.size()))
            return false;
        const qsizetype limit = m_options.blockChars;
        while (!text.isEmpty()) {
            qsizetype take = text.size();
            if (limit > 0 && m_blockLen + take > limit)
                take = cutPoint(text, limit - m_blockLen);
            if (take > 0) {
                m_cursor.insertText(text.left(take).toString(), cf);
                m_blockLen += take;
                text = text.mid(take);
            }
            if (!text.isEmpty()) {
                QTextBlockFormat b = bf;
                b.setProperty(RtfContinues, true);
                m_cursor.insertBlock(b, cf);
                m_continuing = true;
                m_blockLen = 0;
            }
        }
        return true;
    }
    bool newParagraph(const QTextBlockFormat& bf, const QTextCharFormat& cf)
    {
        if (!charge(1))
            return false;
        m_cursor.insertBlock(bf, cf);
        m_continuing = false;
        m_blockLen = 0;
        return true;
    }

private:
    bool charge(qsizetype n)
    {
        m_count += n;
        return m_options.maxChars < 0 || m_count <= m_options.maxChars;
    }
    // Where to cut a piece of at most `room` characters: after a space near
    // the end when there is one, never inside a surrogate pair.
    static qsizetype cutPoint(QStringView text, qsizetype room)
    {
        if (room <= 0)
            return 0;
        qsizetype n = qMin(room, text.size());
        for (qsizetype i = n; i > 0 && i > n - room / 8; --i)
            if (text[i - 1] == u' ')
                return i;
        if (n > 1 && text[n - 1].isHighSurrogate())
            --n;
        return n;
    }

    QTextCursor& m_cursor;
    const ReadOptions& m_options;
    qsizetype m_count = 0;
    qsizetype m_blockLen = 0;
    bool m_continuing = false;
};

// Where a load checks for a cancel and reports how far it got.
constexpr qsizetype kProgressStep = 1 << 16;

class Parser {
public:
    Parser(const QString& src, QTextDocument* doc, const ReadOptions& options)
        : m_src(src), m_doc(doc), m_cursor(doc), m_options(options), m_sink(m_cursor, options)
    {
    }

    ReadResult run(QString* error);

private:
    // input
    const QString& m_src;
    qsizetype m_pos = 0;
    // output
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    const ReadOptions& m_options;
    TextSink m_sink;
    bool m_tooLong = false;
    bool m_paragraphPending = false;
    bool m_anyText = false;
    // state
    QList<GroupState> m_stack;
    GroupState m_st;
    int m_ansiCodePage = 0; // 0: the program's code page
    int m_defaultFont = 0;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontNameBytes;
    QList<std::optional<QColor>> m_colours;
    int m_red = -1, m_green = -1, m_blue = -1;
    QByteArray m_pendingBytes;
    QString m_pendingText;
    int m_skip = 0;
    bool m_ignorableNext = false;

    int codePage() const
    {
        auto it = m_fonts.constFind(m_st.font);
        int charset = it != m_fonts.constEnd() ? it->charset : 0;
        return codePageForCharset(charset, m_ansiCodePage);
    }

    void flushBytes()
    {
        if (m_pendingBytes.isEmpty())
            return;
        QString s = decodeCodePage(m_pendingBytes, codePage());
        m_pendingBytes.clear();
        if (m_st.dest == Dest::Text)
            m_pendingText += s;
    }

    void flushFontName()
    {
        if (!m_fontNameBytes.isEmpty() && m_fontEntry >= 0) {
            FontEntry& f = m_fonts[m_fontEntry];
            f.name += decodeCodePage(m_fontNameBytes, codePageForCharset(f.charset, m_ansiCodePage));
        }
        m_fontNameBytes.clear();
    }

    QTextCharFormat charFormat() const
    {
        QTextCharFormat f;
        auto it = m_fonts.constFind(m_st.font);
        // A name whose entry has no ';' is not trimmed yet.
        QString name = it != m_fonts.constEnd() ? it->name : QString();
        name.removeIf([](QChar c) { return isNotText(c.unicode()); });
        name = name.trimmed();
        if (!name.isEmpty()) {
            f.setFontFamilies(QStringList{name});
            f.setProperty(RtfFontCharset, it->charset);
        }
        f.setFontPointSize(m_st.sizeHalfPoints / 2.0);
        f.setFontWeight(m_st.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(m_st.italic);
        f.setFontUnderline(m_st.underline);
        f.setFontStrikeOut(m_st.strike);
        if (m_st.fg > 0 && m_st.fg < m_colours.size() && m_colours[m_st.fg])
            f.setForeground(*m_colours[m_st.fg]);
        if (m_st.bg > 0 && m_st.bg < m_colours.size() && m_colours[m_st.bg])
            f.setBackground(*m_colours[m_st.bg]);
        return f;
    }

    QTextBlockFormat blockFormat() const
    {
        QTextBlockFormat b;
        b.setAlignment(m_st.align);
        if (m_st.li)
            b.setLeftMargin(m_st.li / kTwipsPerPixel);
        if (m_st.ri)
            b.setRightMargin(m_st.ri / kTwipsPerPixel);
        if (m_st.fi)
            b.setTextIndent(m_st.fi / kTwipsPerPixel);
        if (m_st.sb)
            b.setTopMargin(m_st.sb / kTwipsPerPixel);
        if (m_st.sa)
            b.setBottomMargin(m_st.sa / kTwipsPerPixel);
        if (m_st.sl != 0) {
            b.setProperty(RtfLineSpacing, m_st.sl);
            b.setProperty(RtfLineMultiple, m_st.slmult);
            if (m_st.slmult && m_st.sl > 0)
                b.setLineHeight(m_st.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
            else if (m_st.sl < 0)
                b.setLineHeight(-m_st.sl / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
            else
                b.setLineHeight(m_st.sl / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
        }
        return b;
    }

    void startParagraphIfPending()
    {
        if (m_paragraphPending) {
            if (!m_sink.newParagraph(blockFormat(), charFormat()))
                m_tooLong = true;
            m_paragraphPending = false;
        }
    }

    void flushText()
    {
        flushBytes();
        // Line and paragraph breaks come only from \par and \line, and the
        // document's own frame marks are not text: inserted as text they would
        // change the document's structure. Other control characters are kept
        // (the writer writes them back).
        m_pendingText.removeIf([](QChar c) {
            const char16_t u = c.unicode();
            return u == 0 || u == u'\n' || u == u'\r' || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
        });
        if (m_pendingText.isEmpty())
            return;
        startParagraphIfPending();
        const QTextBlockFormat b = blockFormat();
        m_cursor.setBlockFormat(m_sink.current(b));
        if (!m_tooLong && !m_sink.insert(m_pendingText, charFormat(), b))
            m_tooLong = true;
        m_pendingText.clear();
        m_anyText = true;
    }

    void endParagraph()
    {
        flushText();
        startParagraphIfPending();
        m_cursor.setBlockFormat(m_sink.current(blockFormat()));
        m_cursor.setBlockCharFormat(charFormat());
        m_paragraphPending = true;
        m_anyText = true;
    }

    void addChar(char16_t c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        switch (m_st.dest) {
        case Dest::Skip:
            return;
        case Dest::ColourTable:
            if (c == u';') {
                if (m_red < 0 && m_green < 0 && m_blue < 0)
                    m_colours.append(std::nullopt);
                else
                    m_colours.append(QColor(qBound(0, m_red, 255), qBound(0, m_green, 255),
                                            qBound(0, m_blue, 255)));
                m_red = m_green = m_blue = -1;
            }
            return;
        case Dest::FontTable:
            if (c == u';') {
                flushFontName();
                if (m_fontEntry >= 0)
                    m_fonts[m_fontEntry].name = m_fonts[m_fontEntry].name.trimmed();
                m_fontEntry = -1;
            } else if (isEscapedByte(c)) {
                m_fontNameBytes.append(static_cast<char>(c - kByteEscape));
            } else if (m_fontEntry >= 0) {
                flushFontName();
                m_fonts[m_fontEntry].name += QChar(c);
            }
            return;
        case Dest::Text:
            if (isEscapedByte(c)) {
                m_pendingBytes.append(static_cast<char>(c - kByteEscape));
            } else {
                flushBytes();
                m_pendingText += QChar(c);
            }
            return;
        }
    }

    // Every \'hh byte goes through the code page, so a double-byte character
    // whose second byte is below 0x80 stays whole.
    void addByte(int b) { addChar(static_cast<char16_t>(kByteEscape + (b & 0xFF))); }

    void addUnicode(int n)
    {
        if (n < 0)
            n += 65536;
        char16_t c = static_cast<char16_t>(n);
        if (m_st.dest == Dest::FontTable) {
            if (m_fontEntry >= 0) {
                flushFontName();
                m_fonts[m_fontEntry].name += QChar(c);
            }
        } else if (m_st.dest == Dest::Text) {
            flushBytes();
            m_pendingText += QChar(c);
        }
        m_skip = m_st.uc;
    }

    void beforeStateChange()
    {
        if (m_st.dest == Dest::Text)
            flushText();
        else if (m_st.dest == Dest::FontTable)
            flushFontName();
    }

    void controlWord(const QString& word, bool hasParam, int param);
};

void Parser::controlWord(const QString& w, bool hasParam, int p)
{
    const bool ignorable = m_ignorableNext;
    m_ignorableNext = false;
    if (w == u"bin") {
        // Binary data: skipped whole.
        m_pos = qMin(m_src.size(), m_pos + qMax(0, p));
        return;
    }
    if (m_st.dest == Dest::Skip)
        return;
    if (w == u"u") {
        if (m_skip > 0)
            m_skip = 0;
        addUnicode(p);
        return;
    }
    m_skip = 0;
    beforeStateChange();

    const bool on = !hasParam || p != 0;
    if (w == u"fonttbl") {
        m_st.dest = Dest::FontTable;
    } else if (w == u"colortbl") {
        m_st.dest = Dest::ColourTable;
    } else if (skippedDestinations().contains(w) || (ignorable && w != u"fldrslt")) {
        m_st.dest = Dest::Skip;
    } else if (m_st.dest == Dest::FontTable) {
        if (w == u"f") {
            m_fontEntry = p;
            m_fonts[p] = FontEntry{};
        } else if (w == u"fcharset" && m_fontEntry >= 0) {
            m_fonts[m_fontEntry].charset = p;
        }
    } else if (m_st.dest == Dest::ColourTable) {
        if (w == u"red")
            m_red = p;
        else if (w == u"green")
            m_green = p;
        else if (w == u"blue")
            m_blue = p;
    } else if (w == u"ansi") {
        m_ansiCodePage = 0;
    } else if (w == u"mac") {
        m_ansiCodePage = 10000;
    } else if (w == u"pc") {
        m_ansiCodePage = 437;
    } else if (w == u"ansicpg") {
        m_ansiCodePage = qMax(0, p);
    } else if (w == u"deff") {
        m_defaultFont = p;
        m_st.font = p;
    } else if (w == u"uc") {
        m_st.uc = qMax(0, p);
    } else if (w == u"plain") {
        m_st.font = m_defaultFont;
        m_st.sizeHalfPoints = 24;
        m_st.bold = m_st.italic = m_st.underline = m_st.strike = false;
        m_st.fg = m_st.bg = 0;
    } else if (w == u"f") {
        m_st.font = p;
    } else if (w == u"fs") {
        m_st.sizeHalfPoints = p > 0 ? qMin(p, kMaxHalfPoints) : 24;
    } else if (w == u"b") {
        m_st.bold = on;
    } else if (w == u"i") {
        m_st.italic = on;
    } else if (w == u"ul") {
        m_st.underline = on;
    } else if (w == u"ulnone") {
        m_st.underline = false;
    } else if (w == u"strike") {
        m_st.strike = on;
    } else if (w == u"cf") {
        m_st.fg = p;
    } else if (w == u"highlight" || w == u"cb") {
        m_st.bg = p;
    } else if (w == u"pard") {
        m_st.align = Qt::AlignLeft;
        m_st.sl = m_st.slmult = m_st.li = m_st.ri = m_st.fi = m_st.sb = m_st.sa = 0;
    } else if (w == u"ql") {
        m_st.align = Qt::AlignLeft;
    } else if (w == u"qc") {
        m_st.align = Qt::AlignHCenter;
    } else if (w == u"qr") {
        m_st.align = Qt::AlignRight;
    } else if (w == u"qj") {
        m_st.align = Qt::AlignJustify;
    } else if (w == u"sl") {
        m_st.sl = twipsIn(p);
    } else if (w == u"slmult") {
        m_st.slmult = p != 0 ? 1 : 0;
    } else if (w == u"li") {
        m_st.li = twipsIn(p);
    } else if (w == u"ri") {
        m_st.ri = twipsIn(p);
    } else if (w == u"fi") {
        m_st.fi = twipsIn(p);
    } else if (w == u"sb") {
        m_st.sb = twipsIn(p, 0);
    } else if (w == u"sa") {
        m_st.sa = twipsIn(p, 0);
    } else if (m_st.dest == Dest::Text) {
        if (w == u"par" || w == u"sect")
            endParagraph();
        else if (w == u"line")
            m_pendingText += QChar(QChar::LineSeparator);
        else if (w == u"tab")
            m_pendingText += u'\t';
        else if (w == u"emdash")
            m_pendingText += QChar(0x2014);
        else if (w == u"endash")
            m_pendingText += QChar(0x2013);
        else if (w == u"bullet")
            m_pendingText += QChar(0x2022);
        else if (w == u"lquote")
            m_pendingText += QChar(0x2018);
        else if (w == u"rquote")
            m_pendingText += QChar(0x2019);
        else if (w == u"ldblquote")
            m_pendingText += QChar(0x201C);
        else if (w == u"rdblquote")
            m_pendingText += QChar(0x201D);
    }
}

// While a load runs, the document keeps no undo history (a load is not a
// series of steps to take back; it clears the history as replacing the plain
// text does) and gathers every insertion into one edit, so that its layout
// and its views are brought up to date once rather than once per run.
class LoadScope {
public:
    LoadScope(QTextDocument* doc, QTextCursor& cursor) : m_doc(doc), m_cursor(cursor), m_undo(doc->isUndoRedoEnabled())
    {
        m_doc->setUndoRedoEnabled(false);
        m_doc->clear();
        m_cursor = QTextCursor(m_doc);
        m_cursor.beginEditBlock();
    }
    ~LoadScope()
    {
        m_cursor.endEditBlock();
        m_doc->setUndoRedoEnabled(m_undo);
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

private:
    QTextDocument* m_doc;
    QTextCursor& m_cursor;
    bool m_undo;
};

ReadResult Parser::run(QString* error)
{
    constexpr int kMaxDepth = 4096;
    LoadScope scope(m_doc, m_cursor);
    bool closed = false;
    int depth = 0;
    qsizetype nextReport = 0;

    while (m_pos < m_src.size() && !closed) {
        if (m_tooLong)
            return ReadResult::TooLong;
        if (m_pos >= nextReport) {
            nextReport = m_pos + kProgressStep;
            if (m_options.progress && !m_options.progress(m_pos, m_src.size()))
                return ReadResult::Cancelled;
        }
        char16_t c = m_src[m_pos++].unicode();
        if (c == u'{') {
            if (m_st.dest == Dest::Text)
                flushText();
            else if (m_st.dest == Dest::FontTable)
                flushFontName();
            if (++depth > kMaxDepth) {
                if (error)
                    *error = QStringLiteral("RTF groups nested too deeply");
                return ReadResult::Damaged;
            }
            m_stack.append(m_st);
            m_skip = 0;
        } else if (c == u'}') {
            beforeStateChange();
            m_skip = 0;
            if (m_stack.isEmpty()) {
                closed = true;
                break;
            }
            m_st = m_stack.takeLast();
            --depth;
            if (depth == 0)
                closed = true;
        } else if (c == u'\\') {
            if (m_pos >= m_src.size())
                break;
            char16_t n = m_src[m_pos].unicode();
            if ((n >= u'a' && n <= u'z') || (n >= u'A' && n <= u'Z')) {
                qsizetype start = m_pos;
                while (m_pos < m_src.size() && m_pos - start < 32) {
                    char16_t l = m_src[m_pos].unicode();
                    if (!((l >= u'a' && l <= u'z') || (l >= u'A' && l <= u'Z')))
                        break;
                    ++m_pos;
                }
                QString word = m_src.mid(start, m_pos - start);
                bool neg = false, hasParam = false;
                long long value = 0;
                if (m_pos < m_src.size() && m_src[m_pos] == u'-') {
                    neg = true;
                    ++m_pos;
                }
                int digits = 0;
                while (m_pos < m_src.size() && m_src[m_pos].isDigit() && m_src[m_pos].unicode() < 0x80) {
                    if (digits < 10)
                        value = value * 10 + (m_src[m_pos].unicode() - u'0');
                    ++digits;
                    ++m_pos;
                }
                hasParam = digits > 0;
                if (m_pos < m_src.size() && m_src[m_pos] == u' ')
                    ++m_pos;
                value = qBound<long long>(-2147483647LL, neg ? -value : value, 2147483647LL);
                controlWord(word, hasParam, static_cast<int>(value));
            } else {
                ++m_pos;
                switch (n) {
                case u'\'': {
                    int v = 0, got = 0;
                    while (got < 2 && m_pos < m_src.size()) {
                        char16_t h = m_src[m_pos].unicode();
                        int d = (h >= u'0' && h <= u'9') ? h - u'0'
                              : (h >= u'a' && h <= u'f') ? h - u'a' + 10
                              : (h >= u'A' && h <= u'F') ? h - u'A' + 10 : -1;
                        if (d < 0)
                            break;
                        v = v * 16 + d;
                        ++got;
                        ++m_pos;
                    }
                    if (got > 0)
                        addByte(v);
                    break;
                }
                case u'*':
                    m_ignorableNext = true;
                    break;
                case u'~':
                    addChar(0x00A0);
                    break;
                case u'_':
                    addChar(0x2011);
                    break;
                case u'\r':
                case u'\n':
                    controlWord(QStringLiteral("par"), false, 0);
                    break;
                case u'-':
                case u'|':
                case u':':
                    break;
                default:
                    addChar(n); // \\ \{ \} and unknown symbols stand for themselves
                    break;
                }
            }
        } else if (c == u'\r' || c == u'\n' || c == 0) {
            // line breaks in the source carry no meaning
        } else {
            addChar(c);
        }
    }
    beforeStateChange();
    if (m_tooLong)
        return ReadResult::TooLong;
    if (!closed) {
        if (error)
            *error = QStringLiteral("RTF text ends before its groups close");
        return ReadResult::Damaged;
    }
    return ReadResult::Ok;
}

QString escapeBytes(const QByteArray& bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        s += QChar(b < 0x80 ? char16_t(b) : char16_t(kByteEscape + b));
    }
    return s;
}

} // namespace

bool looksLikeRtf(const QString& text)
{
    return text.left(5).compare(QStringLiteral("{\\rtf"), Qt::CaseInsensitive) == 0;
}

bool looksLikeRtf(const QByteArray& bytes)
{
    return bytes.left(5).compare("{\\rtf", Qt::CaseInsensitive) == 0;
}

ReadResult readRtf(const QString& rtf, QTextDocument* doc, const ReadOptions& options, QString* error)
{
    if (!doc || !looksLikeRtf(rtf)) {
        if (error)
            *error = QStringLiteral("not RTF text");
        return ReadResult::NotRtf;
    }
    Parser p(rtf, doc, options);
    return p.run(error);
}

ReadResult readRtf(const QByteArray& rtf, QTextDocument* doc, const ReadOptions& options, QString* error)
{
    if (!looksLikeRtf(rtf)) {
        if (error)
            *error = QStringLiteral("not RTF text");
        return ReadResult::NotRtf;
    }
    return readRtf(escapeBytes(rtf), doc, options, error);
}

bool readRtf(const QString& rtf, QTextDocument* doc, QString* error)
{
    return readRtf(rtf, doc, ReadOptions{}, error) == ReadResult::Ok;
}

bool readRtf(const QByteArray& rtf, QTextDocument* doc, QString* error)
{
    return readRtf(rtf, doc, ReadOptions{}, error) == ReadResult::Ok;
}

ReadResult readPlainText(const QString& text, QTextDocument* doc, const ReadOptions& options,
                         const QTextCharFormat& format)
{
    if (!doc)
        return ReadResult::NotRtf;
    QTextCursor cursor(doc);
    LoadScope scope(doc, cursor);
    cursor.setBlockCharFormat(format);
    TextSink sink(cursor, options);
    const QTextBlockFormat block = cursor.blockFormat();
    qsizetype nextReport = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start <= n) {
        if (start >= nextReport) {
            nextReport = start + kProgressStep;
            if (options.progress && !options.progress(start, n))
                return ReadResult::Cancelled;
        }
        // One paragraph, at most one step long so that cancel is seen in time.
        qsizetype end = start;
        const qsizetype stop = qMin(n, start + kProgressStep);
        while (end < stop) {
            const char16_t c = text[end].unicode();
            if (c == u'\n' || c == u'\r' || c == 0x2029)
                break;
            ++end;
        }
        QString piece = text.mid(start, end - start);
        // The document's own frame marks are no text.
        piece.removeIf([](QChar c) { return c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1; });
        if (!sink.insert(piece, format, block))
            return ReadResult::TooLong;
        if (end == stop && end < n) {
            start = end;   // the paragraph goes on
            continue;
        }
        if (end >= n)
            break;
        end += (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ? 2 : 1;
        if (!sink.newParagraph(block, format))
            return ReadResult::TooLong;
        start = end;
    }
    return ReadResult::Ok;
}

} // namespace platform
