#include "platform/RtfReader.h"
#include "platform/FontMap.h"
#include "platform/RtfCodePage.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QRawFont>
#include <QList>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextOption>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <span>

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

// ListModel: a paragraph's numbering (\pn), read only for a bullet.
// Shape: a drawing shape, whose text (\shptxt) alone is kept.
enum class Dest { Text, FontTable, ColourTable, StyleSheet, ListModel, Shape, Skip };

// Which kind of characters the text that follows holds (\loch, \hich,
// \dbch): it decides which settings the font, size, bold and italic controls
// change.
enum class RunKind : quint8 { None, Loch, Hich, Dbch };

// Each character is drawn with the settings of its script.
enum class Script : quint8 { Latin, EastAsian, Complex, Weak };

struct GroupState {
    Dest dest = Dest::Text;
    // The Latin settings; East Asian text shares size, bold and italic with
    // them and has a face of its own. Complex (right-to-left and Indic)
    // text has a set of its own; what it leaves unset (-1) follows the Latin.
    int font = -1;
    int sizeHalfPoints = 24;
    bool bold = false, italic = false;
    int fontAsian = -1;
    int fontComplex = -1, sizeComplex = -1;
    qint8 boldComplex = -1, italicComplex = -1;
    RunKind kind = RunKind::None;
    bool rtl = false;
    bool underline = false, strike = false, hidden = false;
    bool deleted = false;       // a tracked deletion
    bool uprBytesAhead = false; // \upr: its next group is the form for byte readers
    bool caps = false, smallCaps = false;
    qint8 vertical = 0; // 1 \super, 2 \sub
    int raise = 0;      // \up (positive) or \dn (negative) in half points
    int fg = 0, bg = 0;
    int uc = 1;
    // paragraph
    Qt::Alignment align = Qt::AlignLeft;
    int sl = 0, slmult = 0, li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
    bool rtlPar = false, inTable = false;
    bool listText = false; // a list's bullet or number, kept as text
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
};

// The script of a character as the layout assigns fonts: CJK ideographs,
// kana, hangul and their punctuation are East Asian; right-to-left and Indic
// scripts are complex; spaces, digits and common punctuation are weak and
// take the script of the text around them.
Script scriptOf(char32_t c)
{
    if (c < 0x80)
        return ((c | 0x20) >= u'a' && (c | 0x20) <= u'z') ? Script::Latin : Script::Weak;
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0x3200 && c <= 0x33FF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFFEF))
        return Script::EastAsian;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
    case QChar::Script_Yi:
        return Script::EastAsian;
    case QChar::Script_Hebrew:
    case QChar::Script_Arabic:
    case QChar::Script_Syriac:
    case QChar::Script_Thaana:
    case QChar::Script_Nko:
    case QChar::Script_Samaritan:
    case QChar::Script_Mandaic:
    case QChar::Script_Devanagari:
    case QChar::Script_Bengali:
    case QChar::Script_Gurmukhi:
    case QChar::Script_Gujarati:
    case QChar::Script_Oriya:
    case QChar::Script_Tamil:
    case QChar::Script_Telugu:
    case QChar::Script_Kannada:
    case QChar::Script_Malayalam:
    case QChar::Script_Sinhala:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Tibetan:
    case QChar::Script_Myanmar:
    case QChar::Script_Khmer:
        return Script::Complex;
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Unknown:
        return Script::Weak;
    default:
        return Script::Latin;
    }
}

// One control word read from the source: its name and its parameter.
struct ControlWord {
    QString word;
    bool hasParam = false;
    int param = 0;
};

// A paragraph style: where its definition stands in the source, and its
// settings once read.
struct StyleEntry {
    qsizetype start = 0, end = 0;
    int basedOn = -1;
    bool read = false;
    QList<ControlWord> words;
};

struct FontEntry {
    QString name;
    int charset = -1; // -1: not named, the document's code page
};

const QSet<QString>& skippedDestinations()
{
    static const QSet<QString> s = {
        "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
        "footerr", "footerf", "pntxta", "pntxtb", "listtable", "listoverridetable", "revtbl",
        "rsidtbl", "generator",
        "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "fldinst",
        "filetbl", "mmathPr", "bkmkstart", "bkmkend", "nonshppict", "shppict",
        "userprops", "docvar", "template", "pgdsctbl", "wgrffmtfilter", "panose", "falt",
        "comment", "author", "title", "subject", "keywords", "operator", "company",
    };
    return s;
}

// Symbol, Wingdings, or a list's label whose font is not named: a bullet
// is then the one lists take from either font.
enum class SymbolFace { Symbol, Wingdings, ListLabel };

// What the private-use characters of the symbol fonts stand for (the
// characters F020-F0FF draw the fonts' glyph of the low byte): the bullets
// lists use, and a few signs besides. 0: none.
char16_t symbolFontCharacter(char16_t c, SymbolFace face)
{
    if (c < 0xF020 || c > 0xF0FF)
        return 0;
    const unsigned glyph = c & 0xFF;
    static const std::pair<unsigned, char16_t> symbol[] = {
        {0x2A, 0x2217}, {0x2D, 0x2212}, {0xA7, 0x2663}, {0xA8, 0x2666}, {0xA9, 0x2665}, {0xAA, 0x2660},
        {0xAE, 0x2192}, {0xB0, 0x00B0}, {0xB7, 0x2022}, {0xD7, 0x22C5}, {0xE0, 0x25CA},
    };
    static const std::pair<unsigned, char16_t> wingdingsGlyphs[] = {
        {0x6C, 0x25CF}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x75, 0x25C6}, {0x76, 0x2756},
        {0x9F, 0x2022}, {0xA1, 0x25CB}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xD8, 0x27A2}, {0xE8, 0x2794},
        {0xFB, 0x2718}, {0xFC, 0x2714}, {0xFE, 0x2611},
    };
    using Glyphs = std::span<const std::pair<unsigned, char16_t>>;
    const auto find = [glyph](Glyphs glyphs) -> char16_t {
        for (const auto& [g, u] : glyphs)
            if (g == glyph)
                return u;
        return 0;
    };
    switch (face) {
    case SymbolFace::Symbol: return find(symbol);
    case SymbolFace::Wingdings: return find(wingdingsGlyphs);
    case SymbolFace::ListLabel: break;
    }
    // Symbol's bullet; otherwise the bullets are Wingdings' (Symbol's
    // glyphs there are letters and signs no list uses).
    if (glyph == 0xB7)
        return 0x2022;
    const char16_t w = find(wingdingsGlyphs);
    return w ? w : find(symbol);
}

// A face's name as the document shows it: without control characters, and
// trimmed (a name whose entry has no ';' is not trimmed yet).
QString shownName(QString name)
{
    name.removeIf([](QChar c) { return isNotText(c.unicode()); });
    return name.trimmed();
}

// The capital a small capital or all capitals show; one unit for one.
QChar capitalOf(QChar c) { return c.isSurrogate() ? c : c.toUpper(); }

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
    // `removed` characters were taken out of the block being filled: it
    // holds `length` and goes on with the paragraph before it or not.
    void resume(qsizetype removed, qsizetype length, bool continuing)
    {
        m_count -= removed;
        m_blockLen = length;
        m_continuing = continuing;
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

    // Where the block being filled stands, kept while the text flows into
    // another document for a while.
    struct Place {
        qsizetype blockLen = 0;
        bool continuing = false;
    };
    Place place() const { return {m_blockLen, m_continuing}; }
    void setPlace(Place p)
    {
        m_blockLen = p.blockLen;
        m_continuing = p.continuing;
    }

    // Counts paragraph marks put in without the sink; false past the bound.
    bool chargeMarks(qsizetype n) { return charge(n); }

    // Characters of a list label that may still be taken out again: they
    // count against the bound only once they stay (see within()).
    void allowLabel(qsizetype chars) { m_labelSlack = chars; }
    // True while the text kept holds no more characters than allowed.
    bool within() const { return m_options.maxChars < 0 || m_count <= m_options.maxChars; }

private:
    bool charge(qsizetype n)
    {
        m_count += n;
        return m_options.maxChars < 0 || m_count - m_labelSlack <= m_options.maxChars;
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
    qsizetype m_labelSlack = 0;
    qsizetype m_blockLen = 0;
    bool m_continuing = false;
};

// Where a load checks for a cancel and reports how far it got.
constexpr qsizetype kProgressStep = 1 << 16;

// Reads the control word whose first letter stands at `pos` (after the
// backslash); `pos` ends after it and its delimiting space.
ControlWord readControlWord(const QString& src, qsizetype& pos)
{
    ControlWord cw;
    const qsizetype start = pos;
    while (pos < src.size() && pos - start < 32) {
        const char16_t l = src[pos].unicode();
        if (!((l >= u'a' && l <= u'z') || (l >= u'A' && l <= u'Z')))
            break;
        ++pos;
    }
    cw.word = src.mid(start, pos - start);
    bool neg = false;
    long long value = 0;
    if (pos < src.size() && src[pos] == u'-') {
        neg = true;
        ++pos;
    }
    int digits = 0;
    while (pos < src.size() && src[pos].isDigit() && src[pos].unicode() < 0x80) {
        if (digits < 10)
            value = value * 10 + (src[pos].unicode() - u'0');
        ++digits;
        ++pos;
    }
    cw.hasParam = digits > 0;
    if (pos < src.size() && src[pos] == u' ')
        ++pos;
    cw.param = static_cast<int>(qBound<long long>(-2147483647LL, neg ? -value : value, 2147483647LL));
    return cw;
}

class Parser {
public:
    Parser(const QString& src, QTextDocument* doc, const ReadOptions& options)
        : m_src(src), m_doc(doc), m_cursor(doc), m_options(options), m_sink(m_cursor, options),
          m_replayBudget(4 * src.size() + 4096)
    {
    }

    ReadResult run(QString* error);

private:
    ReadResult read(QString* error);

private:
    // input
    const QString& m_src;
    qsizetype m_pos = 0;
    int m_depth = 0;
    // output
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    const ReadOptions& m_options;
    TextSink m_sink;
    bool m_tooLong = false;
    bool m_paragraphPending = false;
    bool m_anyText = false;
    // The script of the paragraph's last character that had one, and the
    // weak characters before its first.
    Script m_lastScript = Script::Weak;
    struct LeadingWeak {
        qsizetype start, end;
        QTextCharFormat asian, complex;
        int asianFont, complexFont;
    };
    QList<LeadingWeak> m_leadingWeak;
    // state
    QList<GroupState> m_stack;
    GroupState m_st;
    int m_ansiCodePage = 0; // 0: the program's code page
    int m_defaultFont = 0;
    int m_defaultFontAsian = -1;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontNameBytes;
    QList<std::optional<QColor>> m_colours;
    int m_red = -1, m_green = -1, m_blue = -1;
    QByteArray m_pendingBytes;
    QString m_pendingText;
    int m_skip = 0;
    bool m_ignorableNext = false;
    bool m_listTextBegun = false;
    // A paragraph whose numbering is a bullet is an item of a bullet list;
    // the bullet the list draws replaces the paragraph's list text.
    bool m_bullet = false;
    QTextList* m_list = nullptr;
    qsizetype m_labelStart = -1, m_labelEnd = -1;
    qsizetype m_labelSlack = 0;
    // paragraph styles
    QHash<int, StyleEntry> m_styles;
    int m_styleSheetDepth = -1;
    StyleEntry m_styleOpen;
    int m_styleNumber = -1;
    int m_replaying = 0;
    qsizetype m_replayBudget = 0;
    // tables: a row's cell edges give its tab stops; each cell end owes a
    // tab before the next cell's text
    QList<QTextOption::Tab> m_rowTabs;
    int m_rowGap = 0;
    int m_tabsOwed = 0;
    // Each cell's right edge and background (\clcbpat before its \cellx),
    // the cell whose text is read, and each cell's alignment: a cell after
    // the first stands at a tab of its own alignment.
    QList<int> m_cellEdges, m_cellBackgrounds;
    int m_nextCellBackground = 0;
    int m_cellIndex = 0;
    QList<Qt::Alignment> m_cellAligns;
    // A row's first cell, centred or aligned right, stands at a tab of its
    // own too: decided when its text begins.
    bool m_rowLead = false, m_rowLeadDecided = false;
    // Lower-case letters of a small-capitals run are drawn as smaller capitals.
    bool m_shrink = false;
    // The face a run takes instead of its own, for a while (see insertInFace).
    static constexpr int kNoOverride = -1, kNoFace = INT_MIN;
    int m_fontOverride = kNoOverride;
    QHash<std::pair<int, char16_t>, bool> m_faceDraws;
    QHash<char16_t, int> m_drawingFaces;

    // Text boxes and notes: their text flows into a document of its own
    // for as long as its group lasts; a box's paragraphs then follow the
    // paragraph that anchors them, the notes end the document.
    struct Flow {
        std::unique_ptr<QTextDocument> own;
        QTextDocument* doc = nullptr;
        QTextCursor cursor;
        bool paragraphPending = false;
        Script lastScript = Script::Weak;
        QList<LeadingWeak> leadingWeak;
        QTextList* list = nullptr;
        bool bullet = false;
        qsizetype labelStart = -1, labelEnd = -1;
        qsizetype labelSlack = 0;
        int tabsOwed = 0;
        TextSink::Place place;
    };
    Flow m_boxes, m_notes;
    Flow* m_diverted = nullptr; // the flow whose text the main one holds meanwhile
    int m_divertDepth = -1;
    int m_noteCount = 0;

    int fontFor(Script script) const
    {
        if (m_fontOverride != kNoOverride)
            return m_fontOverride;
        if (script == Script::EastAsian && m_st.fontAsian >= 0)
            return m_st.fontAsian;
        if (script == Script::Complex && m_st.fontComplex >= 0)
            return m_st.fontComplex;
        return m_st.font;
    }

    // Bytes decode with the code page of the face the run's controls set:
    // the East Asian one in a double-byte run, the complex one in a
    // right-to-left run.
    int codePage() const
    {
        const Script face = m_st.kind == RunKind::Dbch ? Script::EastAsian : m_st.rtl ? Script::Complex : Script::Latin;
        auto it = m_fonts.constFind(fontFor(face));
        const int charset = it != m_fonts.constEnd() ? it->charset : -1;
        return codePageForCharset(charset, m_ansiCodePage);
    }

    // The run's face when it is a symbol font.
    std::optional<SymbolFace> symbolFont() const { return symbolFace(m_st.font); }
    std::optional<SymbolFace> symbolFace(int font) const
    {
        auto it = m_fonts.constFind(font);
        if (it == m_fonts.constEnd())
            return std::nullopt;
        // The name as it is shown and written.
        const QString name = shownName(it->name);
        if (name.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive))
            return SymbolFace::Wingdings;
        if (name.startsWith(QLatin1String("Symbol"), Qt::CaseInsensitive))
            return SymbolFace::Symbol;
        return std::nullopt;
    }

    void flushBytes()
    {
        if (m_pendingBytes.isEmpty())
            return;
        QString s = decodeCodePage(m_pendingBytes, codePage());
        // A symbol font's bytes are its glyphs: those that stand for a
        // character become it.
        if (const auto symbol = symbolFont(); symbol && s.size() == m_pendingBytes.size()) {
            for (qsizetype i = 0; i < s.size(); ++i)
                if (const char16_t c = symbolFontCharacter(0xF000 | static_cast<unsigned char>(m_pendingBytes[i]), *symbol))
                    s[i] = QChar(c);
        }
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

    QTextCharFormat charFormat(Script script = Script::Latin) const
    {
        QTextCharFormat f;
        const int font = fontFor(script);
        auto it = m_fonts.constFind(font);
        const QString name = it != m_fonts.constEnd() ? shownName(it->name) : QString();
        if (!name.isEmpty()) {
            f.setFontFamilies(QStringList{name});
            f.setProperty(RtfFontCharset, qMax(0, it->charset));
        }
        const bool complex = script == Script::Complex;
        const int size = complex && m_st.sizeComplex > 0 ? m_st.sizeComplex : m_st.sizeHalfPoints;
        const bool bold = complex && m_st.boldComplex >= 0 ? m_st.boldComplex != 0 : m_st.bold;
        const bool italic = complex && m_st.italicComplex >= 0 ? m_st.italicComplex != 0 : m_st.italic;
        // RTF sizes go by half points: a small capital takes the nearest.
        f.setFontPointSize((m_shrink ? std::lround(size * 0.8) : size) / 2.0);
        f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(italic);
        f.setFontUnderline(m_st.underline);
        f.setFontStrikeOut(m_st.strike);
        if (m_st.vertical == 1)
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (m_st.vertical == 2)
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        // Raised or lowered by half points, as a share of the font's height.
        if (m_st.raise != 0)
            f.setBaselineOffset(m_st.raise * 100.0 / size);
        if (m_st.fg > 0 && m_st.fg < m_colours.size() && m_colours[m_st.fg])
            f.setForeground(*m_colours[m_st.fg]);
        // A shaded table cell shades its text.
        int bg = m_st.bg;
        if (bg <= 0 && m_st.inTable && m_cellIndex < m_cellBackgrounds.size())
            bg = m_cellBackgrounds[m_cellIndex];
        if (bg > 0 && bg < m_colours.size() && m_colours[bg])
            f.setBackground(*m_colours[bg]);
        return f;
    }

    QTextBlockFormat blockFormat() const
    {
        QTextBlockFormat b;
        // A row of several cells aligns each cell at its tab: the row
        // itself stays at the left.
        const bool row = m_st.inTable && m_rowTabs.size() > 1;
        b.setAlignment(row ? Qt::AlignLeft : m_st.align);
        b.setLayoutDirection(m_st.rtlPar ? Qt::RightToLeft : Qt::LeftToRight);
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
        // A table's cells stand at their row's cell edges.
        const QList<QTextOption::Tab> tabs = m_st.inTable && !m_rowTabs.isEmpty() ? rowTabs() : m_st.tabs;
        if (!tabs.isEmpty())
            b.setTabPositions(tabs);
        if (m_bullet && m_list)
            b.setObjectIndex(m_list->objectIndex());
        return b;
    }

    // The row's tabs: before each cell after the first, one at its left
    // edge, at its middle when the cell is centred, at its right edge when
    // it is aligned right; before the first one at its middle or right edge
    // when it is so aligned.
    QList<QTextOption::Tab> rowTabs() const
    {
        QList<QTextOption::Tab> tabs = m_rowTabs;
        const auto place = [this](QTextOption::Tab& tab, int cell, int left, int right) {
            const Qt::Alignment a = cell < m_cellAligns.size() ? m_cellAligns[cell] : Qt::AlignLeft;
            right = qMax(left, right);
            if (a & Qt::AlignHCenter)
                tab = QTextOption::Tab(twipsIn((left + right) / 2, 0) / kTwipsPerPixel, QTextOption::CenterTab);
            else if (a & Qt::AlignRight)
                tab = QTextOption::Tab(twipsIn(right, 0) / kTwipsPerPixel, QTextOption::RightTab);
        };
        for (qsizetype i = 0; i < tabs.size() && i + 1 < m_cellEdges.size(); ++i)
            place(tabs[i], int(i) + 1, m_cellEdges[i] + m_rowGap, m_cellEdges[i + 1] - m_rowGap);
        if (m_rowLead && !m_cellEdges.isEmpty()) {
            QTextOption::Tab lead;
            place(lead, 0, m_rowGap, m_cellEdges[0] - m_rowGap);
            tabs.prepend(lead);
        }
        return tabs;
    }

    void startParagraphIfPending()
    {
        if (m_paragraphPending) {
            if (!m_sink.newParagraph(blockFormat(), charFormat()))
                m_tooLong = true;
            m_paragraphPending = false;
            forgetLabel();
            restartScripts();
        }
    }

    // Puts the pending text into the document, each run of one script in
    // the settings of that script.
    void insertRuns(const QString& text, const QTextBlockFormat& b)
    {
        qsizetype runStart = 0;
        Script runScript = Script::Weak;
        bool runLeading = false;
        Script ahead = Script::Weak;
        bool aheadKnown = false;
        const auto insertRun = [&](qsizetype end) {
            const qsizetype at = m_cursor.position();
            insertInFace(QStringView(text).mid(runStart, end - runStart), runScript, b);
            // Weak characters before any that has a script: they follow
            // whatever script comes first, perhaps in a later run.
            if (runLeading)
                m_leadingWeak.append({at, m_cursor.position(), charFormat(Script::EastAsian),
                                      charFormat(Script::Complex), fontFor(Script::EastAsian),
                                      fontFor(Script::Complex)});
        };
        for (qsizetype i = 0; i < text.size() && !m_tooLong;) {
            char32_t c = text[i].unicode();
            qsizetype n = 1;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
                n = 2;
            }
            Script s = scriptOf(c);
            bool leading = false;
            if (s == Script::Weak) {
                s = m_lastScript;
                if (s == Script::Weak) {
                    // Every weak character up to the first that has a script
                    // takes that one: looked for once.
                    if (!aheadKnown) {
                        for (qsizetype j = i + n; ahead == Script::Weak && j < text.size(); ++j)
                            ahead = scriptOf(text[j].unicode());
                        aheadKnown = true;
                    }
                    s = ahead;
                }
                if (s == Script::Weak) {
                    s = Script::Latin;
                    leading = true;
                }
            } else {
                if (m_lastScript == Script::Weak)
                    settleLeadingWeak(s);
                m_lastScript = s;
            }
            if (i > 0 && (s != runScript || leading != runLeading)) {
                insertRun(i);
                runStart = i;
            }
            runScript = s;
            runLeading = leading;
            i += n;
        }
        if (!m_tooLong && runStart < text.size())
            insertRun(text.size());
    }

    // Small capitals: lower-case letters become capitals of about four
    // fifths the size, as the office programs draw them.
    void insertCased(const QString& text, const QTextBlockFormat& b)
    {
        if (!m_st.smallCaps || m_st.caps) {
            insertRuns(text, b);
            return;
        }
        qsizetype start = 0;
        while (start < text.size() && !m_tooLong) {
            const bool lower = text[start].isLower();
            qsizetype end = start + 1;
            while (end < text.size() && text[end].isLower() == lower)
                ++end;
            QString piece = text.mid(start, end - start);
            if (lower) {
                for (QChar& c : piece)
                    c = capitalOf(c);
            }
            m_shrink = lower;
            insertRuns(piece, b);
            m_shrink = false;
            start = end;
        }
    }

    // Whether the face of a font-table entry has a glyph for the character.
    bool faceDraws(int font, char16_t c)
    {
        const auto key = std::pair{font, c};
        if (const auto it = m_faceDraws.constFind(key); it != m_faceDraws.constEnd())
            return *it;
        bool draws = false;
        const auto entry = m_fonts.constFind(font);
        if (entry != m_fonts.constEnd() && m_options.faceDraws) {
            draws = m_options.faceDraws(shownName(entry->name), c);
        } else if (entry != m_fonts.constEnd() && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            EnsureFontSubstitutions();
            QFont face(SubstituteFace(shownName(entry->name)));
            face.setStyleStrategy(QFont::NoFontMerging);
            draws = QRawFont::fromFont(face).supportsCharacter(c);
        }
        if (m_faceDraws.size() < 65536)
            m_faceDraws.insert(key, draws);
        return draws;
    }

    // Text of one script in the face that script takes. A symbol font's
    // glyph that became a Unicode character (a bullet) is drawn in the
    // paragraph's face, or one of the document's that has it, when the
    // symbol face itself has no such character: the LEDs show a bullet, not
    // a gap. The font's own glyphs (below 0x100) stay in it.
    void insertInFace(QStringView text, Script script, const QTextBlockFormat& b)
    {
        const int own = fontFor(script);
        const std::optional<SymbolFace> symbol = symbolFace(own);
        if (!symbol) {
            if (!m_sink.insert(text, charFormat(script), b))
                m_tooLong = true;
            return;
        }
        // In a symbol font a character below 0x100 draws the same glyph as
        // its private one: both become what the glyph stands for, so that
        // text written again in the font reads back the same.
        QString mapped = text.toString();
        for (QChar& c : mapped)
            c = symbolMapped(c, *symbol);
        text = mapped;
        const auto lacking = [&](QChar c) { return c.unicode() >= 0x100 && !faceDraws(own, c.unicode()); };
        qsizetype start = 0;
        while (start < text.size() && !m_tooLong) {
            const bool lacks = lacking(text[start]);
            qsizetype end = start + 1;
            while (end < text.size() && lacking(text[end]) == lacks)
                ++end;
            if (lacks)
                m_fontOverride = drawingFace(text[start].unicode());
            if (!m_sink.insert(text.mid(start, end - start), charFormat(script), b))
                m_tooLong = true;
            m_fontOverride = kNoOverride;
            start = end;
        }
    }

    static QChar symbolMapped(QChar c, SymbolFace face)
    {
        const char16_t glyph = c.unicode() < 0x100 ? 0xF000 | c.unicode() : c.unicode();
        const char16_t u = symbolFontCharacter(glyph, face);
        return u ? QChar(u) : c;
    }

    // Characters already in the document that now take a symbol face (weak
    // ones before a paragraph's first script): mapped and drawn as
    // insertInFace would have.
    void inSymbolFace(qsizetype start, qsizetype end, int font)
    {
        const std::optional<SymbolFace> symbol = symbolFace(font);
        if (!symbol)
            return;
        for (qsizetype at = start; at < end; ++at) {
            QTextCursor c(m_doc);
            c.setPosition(at);
            c.setPosition(at + 1, QTextCursor::KeepAnchor);
            const QString was = c.selectedText();
            if (was.size() != 1)
                continue;
            const QChar now = symbolMapped(was[0], *symbol);
            QTextCharFormat f = c.charFormat();
            if (now.unicode() >= 0x100 && !faceDraws(font, now.unicode())) {
                const int face = drawingFace(now.unicode());
                const QString name = face == kNoFace ? QString() : shownName(m_fonts.value(face).name);
                if (name.isEmpty()) {
                    f.clearProperty(QTextFormat::FontFamilies);
                    f.clearProperty(RtfFontCharset);
                } else {
                    f.setFontFamilies(QStringList{name});
                    f.setProperty(RtfFontCharset, qMax(0, m_fonts.value(face).charset));
                }
            }
            if (now != was[0])
                c.insertText(QString(now), f);
            else
                c.setCharFormat(f);
        }
    }

    // The paragraph's face (the document's default) when it has the
    // character, else the first face of the table that has it, else none.
    int drawingFace(char16_t c)
    {
        if (const auto it = m_drawingFaces.constFind(c); it != m_drawingFaces.constEnd())
            return *it;
        int face = kNoFace;
        QList<int> fonts = m_fonts.keys();
        std::sort(fonts.begin(), fonts.end());
        fonts.prepend(m_defaultFont);
        for (int f : std::as_const(fonts)) {
            const QString name = shownName(m_fonts.value(f).name);
            if (!name.startsWith(QLatin1String("Symbol"), Qt::CaseInsensitive)
                && !name.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive) && faceDraws(f, c)) {
                face = f;
                break;
            }
        }
        m_drawingFaces.insert(c, face);
        return face;
    }

    // The first character with a script in a paragraph or cell decides the
    // script of the weak characters before it.
    void settleLeadingWeak(Script s)
    {
        if (s != Script::Latin) {
            for (const LeadingWeak& w : std::as_const(m_leadingWeak)) {
                QTextCursor c(m_doc);
                c.setPosition(w.start);
                c.setPosition(w.end, QTextCursor::KeepAnchor);
                c.setCharFormat(s == Script::EastAsian ? w.asian : w.complex);
                inSymbolFace(w.start, w.end, s == Script::EastAsian ? w.asianFont : w.complexFont);
            }
        }
        m_leadingWeak.clear();
    }

    // A paragraph or a table cell starts: its characters have no script yet.
    void restartScripts()
    {
        m_lastScript = Script::Weak;
        m_leadingWeak.clear();
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
        // Hidden text is not shown; a bullet list draws its own bullets; a
        // label of white space alone is an empty number, which shows nothing.
        if (m_st.hidden || m_st.deleted || (m_st.listText && m_bullet))
            m_pendingText.clear();
        if (m_st.listText && !m_listTextBegun) {
            if (std::all_of(m_pendingText.begin(), m_pendingText.end(),
                            [](QChar c) { return c == u' ' || c == u'\t'; }))
                m_pendingText.clear();
            else
                m_listTextBegun = true;
        }
        if (m_pendingText.isEmpty())
            return;
        // The symbol fonts' private characters: a list's bullet may name
        // them without its font. (Text in a symbol face is mapped where its
        // face is known, in insertInFace.)
        if (m_st.listText && !symbolFont()) {
            for (QChar& c : m_pendingText)
                if (const char16_t u = symbolFontCharacter(c.unicode(), SymbolFace::ListLabel))
                    c = QChar(u);
        }
        if (m_st.caps) {
            for (QChar& c : m_pendingText)
                c = capitalOf(c);
        }
        if (m_st.inTable)
            cellText();
        if (m_tabsOwed > 0) {
            m_pendingText.prepend(QString(m_tabsOwed, u'\t'));
            m_tabsOwed = 0;
        }
        startParagraphIfPending();
        joinList();
        const QTextBlockFormat b = blockFormat();
        m_cursor.setBlockFormat(m_sink.current(b));
        const qsizetype at = m_cursor.position();
        // A label goes again when a bullet list takes its place: until then
        // the bound does not count it.
        if (m_st.listText) {
            const bool labelHere = m_labelStart >= 0 && m_labelEnd == at;
            m_labelSlack = (labelHere ? m_labelEnd - m_labelStart : 0) + m_pendingText.size();
        } else {
            m_labelSlack = 0;
        }
        updateSlack();
        if (!m_tooLong)
            insertCased(m_pendingText, b);
        if (m_st.listText) {
            if (m_labelStart < 0)
                m_labelStart = at;
            m_labelEnd = m_cursor.position();
            // Until it stays, even while text flows elsewhere (a box in it).
            m_labelSlack = m_labelEnd - m_labelStart;
            updateSlack();
        } else {
            // Text of the paragraph's own: a label before it is no more the
            // one a bullet list would take the place of.
            forgetLabel();
        }
        m_pendingText.clear();
        m_anyText = true;
    }

    // Text of a table cell: the cell keeps its alignment, and a row's first
    // cell, centred or aligned right, owes a tab of its own.
    void cellText()
    {
        if (m_cellAligns.size() <= m_cellIndex && m_cellIndex < 64)
            m_cellAligns.resize(m_cellIndex + 1, Qt::AlignLeft);
        if (m_cellIndex < m_cellAligns.size())
            m_cellAligns[m_cellIndex] = m_st.align;
        if (m_cellIndex == 0 && !m_rowLeadDecided) {
            m_rowLeadDecided = true;
            m_rowLead = m_rowTabs.size() > 1 && (m_st.align & (Qt::AlignHCenter | Qt::AlignRight));
            if (m_rowLead)
                m_pendingText.prepend(u'\t');
        }
    }

    void endParagraph()
    {
        flushText();
        m_tabsOwed = 0;
        startParagraphIfPending();
        joinList();
        m_cursor.setBlockFormat(m_sink.current(blockFormat()));
        m_cursor.setBlockCharFormat(charFormat());
        m_paragraphPending = true;
        m_anyText = true;
        if (!m_diverted)
            pourIn(m_boxes);
    }

    // A cell's end: its text is done, the next cell's begins after a tab.
    void endCell()
    {
        flushText();
        ++m_tabsOwed;
        ++m_cellIndex;
        restartScripts();
    }

    // A row's end: the row is one paragraph; empty cells at its end keep
    // their tabs.
    void endRow()
    {
        if (m_tabsOwed > 1) {
            m_pendingText = QString(m_tabsOwed - 1, u'\t');
            m_tabsOwed = 0;
            flushText();
        }
        endParagraph();
        m_cellIndex = 0;
        m_cellAligns.clear();
        m_rowLead = m_rowLeadDecided = false;
    }

    void swapFlow(Flow& f)
    {
        std::swap(m_doc, f.doc);
        std::swap(m_cursor, f.cursor);
        std::swap(m_paragraphPending, f.paragraphPending);
        std::swap(m_lastScript, f.lastScript);
        std::swap(m_leadingWeak, f.leadingWeak);
        std::swap(m_list, f.list);
        std::swap(m_bullet, f.bullet);
        std::swap(m_labelStart, f.labelStart);
        std::swap(m_labelEnd, f.labelEnd);
        std::swap(m_labelSlack, f.labelSlack);
        std::swap(m_tabsOwed, f.tabsOwed);
        const TextSink::Place here = m_sink.place();
        m_sink.setPlace(f.place);
        f.place = here;
    }

    // The text of the group that begins now flows into `f` until the group
    // closes; a box or note inside another stays in its text.
    void divert(Flow& f)
    {
        if (m_diverted)
            return;
        flushText();
        if (!f.own) {
            f.own = std::make_unique<QTextDocument>();
            f.own->setUndoRedoEnabled(false);
            f.doc = f.own.get();
            f.cursor = QTextCursor(f.doc);
        } else if (!f.own->isEmpty()) {
            f.paragraphPending = true; // each box and each note is a paragraph of its own
        }
        swapFlow(f);
        m_diverted = &f;
        m_divertDepth = m_depth;
        updateSlack();
    }

    // The label characters that may still be taken out (this flow's, and
    // the one's whose text this flow holds meanwhile) do not count against
    // the bound yet; the count at the end is exact.
    void updateSlack() { m_sink.allowLabel(m_labelSlack + (m_diverted ? m_diverted->labelSlack : 0)); }
    void forgetLabel()
    {
        m_labelStart = m_labelEnd = -1;
        m_labelSlack = 0;
        updateSlack();
    }

    void endDivert()
    {
        if (!m_diverted)
            return;
        flushText();
        swapFlow(*m_diverted);
        m_diverted->labelSlack = 0; // the flow's label is no more taken out
        m_diverted = nullptr;
        m_divertDepth = -1;
        updateSlack();
    }

    // The paragraphs gathered in `f` become paragraphs of the document, after
    // the one that ends now. Their text was counted against the bound as read.
    void pourIn(Flow& f)
    {
        if (!f.own || f.own->isEmpty())
            return;
        for (QTextBlock b = f.own->begin(); b.isValid(); b = b.next()) {
            QTextBlockFormat bf = b.blockFormat();
            bf.clearProperty(QTextFormat::ObjectIndex); // its list stays behind
            if (m_cursor.position() > 0 || !m_doc->isEmpty() || m_paragraphPending) {
                // The box's first paragraph mark is new here; the others
                // were counted where they were read.
                if (b == f.own->begin() && !m_sink.chargeMarks(1))
                    m_tooLong = true;
                m_cursor.insertBlock(bf, b.charFormat());
            } else {
                m_cursor.setBlockFormat(bf);
            }
            for (auto it = b.begin(); !it.atEnd(); ++it)
                m_cursor.insertText(it.fragment().text(), it.fragment().charFormat());
        }
        m_sink.setPlace({});
        m_paragraphPending = true;
        forgetLabel();
        restartScripts();
        // The document stays for the next box: making one costs more than
        // emptying it.
        std::unique_ptr<QTextDocument> own = std::move(f.own);
        own->clear();
        f = Flow{};
        f.own = std::move(own);
        f.doc = f.own.get();
        f.cursor = QTextCursor(f.doc);
    }

    void addChar(char16_t c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        switch (m_st.dest) {
        case Dest::Skip:
        case Dest::StyleSheet:
        case Dest::ListModel:
        case Dest::Shape:
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
            // A label's leading spaces are no part of it (a writer puts one
            // after \plain and its delimiter).
            if (m_st.listText && c == u' ' && m_pendingText.isEmpty() && m_pendingBytes.isEmpty()
                && !m_listTextBegun)
                return;
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

    void makeBullet();
    void joinList();
    void openGroup();
    void closeGroup();
    void replayStyle(int number, int depth);
    // One control word as read: its name, its parameter, and whether it
    // turns a setting on (no parameter, or one other than 0).
    struct Word {
        QStringView w;
        bool hasParam = false;
        int p = 0;
        bool on = true;
    };
    // What a control word does, and where: the words of each destination, the
    // ones a style's definition replays, and the few that keep the text run.
    struct Control {
        enum Where : quint8 {
            InText = 1,
            InFontTable = 2,
            InColourTable = 4,
            InStyleSheet = 8,
            InShape = 16,
            InListModel = 32,
            Anywhere = 64,    // even in a skipped group (\bin)
            Destination = 128 // opens a destination wherever it stands
        };
        enum Flag : quint8 {
            Styled = 1,       // a style's definition carries it
            KeepsRun = 2,     // reads before the text run ends (\u, \uc)
            KeptIgnorable = 4 // "\*\word" is read, not skipped
        };
        quint8 where = 0;
        quint8 flags = 0;
        void (*act)(Parser&, const Word&) = nullptr;
    };
    // A row of the table: one or more words (space separated) alike.
    struct ControlRow {
        const char* words;
        quint8 where, flags;
        void (*act)(Parser&, const Word&);
    };
    static const ControlRow kControls[];
    static void insertSpecial(Parser& r, const Word& a);
    static const Control* findControl(const QString& w);
    static bool isStyleWord(const QString& w);
    void characterWord(const Word& a);
    void plain();
    void pard();
    void tabStop(int twips);
    void cellEdge(int twips);
    void controlWord(const QString& word, bool hasParam, int param);
};

// Font, size, bold and italic: which set a control changes depends on the
// kind of run it stands in (as the format's associated character properties
// say): in a right-to-left run the complex set, in a double-byte run the East
// Asian face (size, bold and italic are shared with Latin text), and an
// associated control in a high-ANSI run the complex set.
void Parser::characterWord(const Word& a)
{
    const QStringView w = a.w;
    const bool on = a.on;
    const int p = a.p;
    const bool associated = w == u"af" || w == u"afs" || w == u"ab" || w == u"ai";
    const QStringView base = associated ? QStringView(w).mid(1) : QStringView(w);
    const int size = a.hasParam && p > 0 ? qMin(p, kMaxHalfPoints) : 24;
    const bool complex = m_st.rtl || (associated && m_st.kind == RunKind::Hich && base != u"f");
    if (complex) {
        if (base == u"f")
            m_st.fontComplex = p;
        else if (base == u"fs")
            m_st.sizeComplex = size;
        else if (base == u"b")
            m_st.boldComplex = on ? 1 : 0;
        else
            m_st.italicComplex = on ? 1 : 0;
        return;
    }
    if (base == u"f") {
        if (m_st.kind == RunKind::Dbch)
            m_st.fontAsian = p;
        else
            m_st.font = p;
    } else if (base == u"fs") {
        m_st.sizeHalfPoints = size;
    } else if (base == u"b") {
        m_st.bold = on;
    } else {
        m_st.italic = on;
    }
}

// Applies a paragraph style's settings: the style it is based on first, then
// its own. Writers repeat most of a style's settings after it, but not always
// those it inherits (the East Asian face of the normal style, for one). A
// style is read once; what all replays apply is bounded by the source's
// length, so that no text costs more than a few times its size.
void Parser::replayStyle(int number, int depth)
{
    auto it = m_styles.find(number);
    if (it == m_styles.end() || depth > 8)
        return;
    if (!it->read) {
        it->read = true;
        qsizetype pos = it->start;
        int nested = 0;
        while (pos < it->end) {
            const char16_t c = m_src[pos++].unicode();
            if (c == u'{') {
                ++nested;
            } else if (c == u'}') {
                --nested;
            } else if (c == u'\\' && pos < it->end) {
                const char16_t n = m_src[pos].unicode();
                if ((n >= u'a' && n <= u'z') || (n >= u'A' && n <= u'Z')) {
                    ControlWord cw = readControlWord(m_src, pos);
                    if (nested == 0 && isStyleWord(cw.word))
                        it->words.append(std::move(cw));
                } else {
                    ++pos;
                }
            }
        }
    }
    const int basedOn = it->basedOn;
    if (basedOn >= 0 && basedOn != number)
        replayStyle(basedOn, depth + 1);
    // The entry may have moved while its base was read.
    const QList<ControlWord> words = m_styles.value(number).words;
    if (words.size() > m_replayBudget)
        return;
    m_replayBudget -= words.size();
    ++m_replaying;
    for (const ControlWord& cw : words)
        controlWord(cw.word, cw.hasParam, cw.param);
    --m_replaying;
}

// The characters some control words stand for.
void Parser::insertSpecial(Parser& r, const Word& a)
{
    static const std::pair<const char16_t*, char16_t> chars[] = {
        {u"emdash", 0x2014}, {u"endash", 0x2013}, {u"emspace", 0x2003}, {u"enspace", 0x2002},
        {u"qmspace", 0x2005}, {u"bullet", 0x2022}, {u"lquote", 0x2018}, {u"rquote", 0x2019},
        {u"ldblquote", 0x201C}, {u"rdblquote", 0x201D}, {u"zwj", 0x200D}, {u"zwnj", 0x200C},
        {u"ltrmark", 0x200E}, {u"rtlmark", 0x200F}, {u"tab", u'\t'}, {u"line", QChar::LineSeparator},
    };
    for (const auto& [name, c] : chars)
        if (a.w == name)
            r.m_pendingText += QChar(c);
}

// clang-format off
const Parser::ControlRow Parser::kControls[] = {
    {"bin", Control::Anywhere, 0, [](Parser& r, const Word& a) {
        // Binary data: skipped whole.
        r.m_pos = qMin(r.m_src.size(), r.m_pos + qMax(0, a.p)); }},
    {"u", Control::InText | Control::InFontTable | Control::InColourTable | Control::InStyleSheet, Control::KeepsRun,
     [](Parser& r, const Word& a) { r.addUnicode(a.p); }},
    // \uc sits between the two halves of a character beyond the BMP.
    {"uc", Control::InText | Control::InFontTable | Control::InColourTable | Control::InStyleSheet, Control::KeepsRun,
     [](Parser& r, const Word& a) { r.m_st.uc = qMax(0, a.p); }},
    // Of a shape only its text is kept; its properties and the picture
    // that stands in for it are not.
    {"shptxt", Control::InShape, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::Text; r.divert(r.m_boxes); }},
    {"sp shprslt picprop shppict nonshppict", Control::InShape, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::Skip; }},
    {"pnlvlblt", Control::InListModel, 0, [](Parser& r, const Word&) { r.makeBullet(); }},
    {"pntxta pntxtb", Control::InListModel, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::Skip; }},
    // destinations
    {"fonttbl", Control::Destination, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::FontTable; }},
    {"colortbl", Control::Destination, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::ColourTable; }},
    {"pn", Control::Destination, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::ListModel; }},
    {"listtext pntext", Control::Destination, 0, [](Parser& r, const Word&) {
        r.m_st.listText = true;
        r.m_listTextBegun = false; }},
    {"stylesheet", Control::Destination, 0, [](Parser& r, const Word&) {
        r.m_st.dest = Dest::StyleSheet;
        r.m_styleSheetDepth = r.m_depth; }},
    {"shp shpgrp shpinst", Control::Destination, 0, [](Parser& r, const Word&) { r.m_st.dest = Dest::Shape; }},
    // A field's result is what it shows.
    {"fldrslt", Control::InText, Control::KeptIgnorable, [](Parser&, const Word&) {}},
    // font, colour and style tables
    {"f", Control::InText | Control::InFontTable, Control::Styled, [](Parser& r, const Word& a) {
        if (r.m_st.dest == Dest::FontTable) {
            r.m_fontEntry = a.p;
            r.m_fonts[a.p] = FontEntry{};
        } else {
            r.characterWord(a);
        } }},
    {"fcharset", Control::InFontTable, 0, [](Parser& r, const Word& a) {
        if (r.m_fontEntry >= 0)
            r.m_fonts[r.m_fontEntry].charset = qMax(0, a.p); }},
    {"red", Control::InColourTable, 0, [](Parser& r, const Word& a) { r.m_red = a.p; }},
    {"green", Control::InColourTable, 0, [](Parser& r, const Word& a) { r.m_green = a.p; }},
    {"blue", Control::InColourTable, 0, [](Parser& r, const Word& a) { r.m_blue = a.p; }},
    {"s", Control::InText | Control::InStyleSheet, 0, [](Parser& r, const Word& a) {
        if (r.m_st.dest == Dest::StyleSheet)
            r.m_styleNumber = a.p;
        else
            r.replayStyle(a.p, 0); }},
    // character, section and table styles are not kept
    {"cs ds ts tsrowd", Control::InStyleSheet, 0, [](Parser& r, const Word&) { r.m_styleNumber = -1; }},
    {"sbasedon", Control::InStyleSheet, 0, [](Parser& r, const Word& a) { r.m_styleOpen.basedOn = a.p; }},
    // the document
    {"ansi", Control::InText, 0, [](Parser& r, const Word&) { r.m_ansiCodePage = 0; }},
    {"mac", Control::InText, 0, [](Parser& r, const Word&) { r.m_ansiCodePage = 10000; }},
    {"pc", Control::InText, 0, [](Parser& r, const Word&) { r.m_ansiCodePage = 437; }},
    {"ansicpg", Control::InText, 0, [](Parser& r, const Word& a) { r.m_ansiCodePage = qMax(0, a.p); }},
    {"deff", Control::InText, 0, [](Parser& r, const Word& a) { r.m_defaultFont = r.m_st.font = a.p; }},
    {"stshfdbch", Control::InText, 0, [](Parser& r, const Word& a) { r.m_defaultFontAsian = r.m_st.fontAsian = a.p; }},
    // characters
    {"plain", Control::InText, 0, [](Parser& r, const Word&) { r.plain(); }},
    {"fs b i af afs ab ai", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.characterWord(a); }},
    {"loch", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.kind = RunKind::Loch; }},
    {"hich", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.kind = RunKind::Hich; }},
    {"dbch", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.kind = RunKind::Dbch; }},
    {"rtlch", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.rtl = true; }},
    {"ltrch", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.rtl = false; }},
    {"ul uld uldash uldashd uldashdd uldb ulth ulw ulwave ulhwave ululdbwave ulthd ulthdash ulthdashd "
     "ulthdashdd ulldash ulthldash", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.underline = a.on; }},
    {"ulnone", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.underline = false; }},
    {"strike striked", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.strike = a.on; }},
    {"v", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.hidden = a.on; }},
    // A tracked deletion: the author's last view no longer has it.
    {"deleted", Control::InText, 0, [](Parser& r, const Word& a) { r.m_st.deleted = a.on; }},
    // A character written twice, for readers of bytes and of Unicode:
    // the first group is the former, \ud the latter.
    {"upr", Control::InText, 0, [](Parser& r, const Word&) { r.m_st.uprBytesAhead = true; }},
    {"ud", Control::InText, Control::KeptIgnorable, [](Parser&, const Word&) {}},
    {"super", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.vertical = a.on ? 1 : 0; }},
    {"sub", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.vertical = a.on ? 2 : 0; }},
    {"nosupersub", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.vertical = 0; }},
    {"up dn", Control::InText, Control::Styled, [](Parser& r, const Word& a) {
        // Half points, 6 when not given, within the largest size.
        const int by = qBound(0, a.hasParam ? a.p : 6, kMaxHalfPoints);
        r.m_st.raise = a.w == u"up" ? by : -by; }},
    {"cf", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.fg = a.p; }},
    {"highlight cb chcbpat", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.bg = a.p; }},
    {"caps", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.caps = a.on; }},
    {"scaps", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.smallCaps = a.on; }},
    // paragraphs
    {"pard", Control::InText, 0, [](Parser& r, const Word&) { r.pard(); }},
    {"ql", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.align = Qt::AlignLeft; }},
    {"qc", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.align = Qt::AlignHCenter; }},
    {"qr", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.align = Qt::AlignRight; }},
    {"qj", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.align = Qt::AlignJustify; }},
    {"sl", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.sl = twipsIn(a.p); }},
    {"slmult", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.slmult = a.p != 0 ? 1 : 0; }},
    {"li", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.li = twipsIn(a.p); }},
    {"ri", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.ri = twipsIn(a.p); }},
    {"fi", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.fi = twipsIn(a.p); }},
    {"sb", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.sb = twipsIn(a.p, 0); }},
    {"sa", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.m_st.sa = twipsIn(a.p, 0); }},
    {"rtlpar", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.rtlPar = true; }},
    {"ltrpar", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.rtlPar = false; }},
    {"intbl", Control::InText, 0, [](Parser& r, const Word&) { r.m_st.inTable = true; }},
    {"tqr", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.nextTab = QTextOption::RightTab; }},
    {"tqc", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.nextTab = QTextOption::CenterTab; }},
    {"tqdec", Control::InText, Control::Styled, [](Parser& r, const Word&) { r.m_st.nextTab = QTextOption::DelimiterTab; }},
    {"tx", Control::InText, Control::Styled, [](Parser& r, const Word& a) { r.tabStop(a.p); }},
    // tables
    {"trowd", Control::InText, 0, [](Parser& r, const Word&) {
        r.m_rowTabs.clear();
        r.m_cellEdges.clear();
        r.m_cellBackgrounds.clear();
        r.m_nextCellBackground = 0;
        r.m_rowGap = 0; }},
    {"clcbpat", Control::InText, 0, [](Parser& r, const Word& a) { r.m_nextCellBackground = qMax(0, a.p); }},
    {"trgaph", Control::InText, 0, [](Parser& r, const Word& a) { r.m_rowGap = twipsIn(a.p, 0); }},
    {"cellx", Control::InText, 0, [](Parser& r, const Word& a) { r.cellEdge(a.p); }},
    // text
    {"par sect", Control::InText, 0, [](Parser& r, const Word&) { r.endParagraph(); }},
    {"cell nestcell", Control::InText, 0, [](Parser& r, const Word&) { r.endCell(); }},
    {"row", Control::InText, 0, [](Parser& r, const Word&) { r.endRow(); }},
    // A note's text ends the document; its mark (\chftn) stays.
    {"footnote", Control::InText, Control::KeptIgnorable, [](Parser& r, const Word&) {
        ++r.m_noteCount;
        r.divert(r.m_notes); }},
    {"chftn", Control::InText, 0, [](Parser& r, const Word&) {
        r.m_pendingText += QString::number(r.m_diverted == &r.m_notes ? r.m_noteCount : r.m_noteCount + 1); }},
    {"line tab emdash endash emspace enspace qmspace bullet lquote rquote ldblquote rdblquote zwj zwnj "
     "ltrmark rtlmark", Control::InText, 0, &Parser::insertSpecial},
};
// clang-format on

const Parser::Control* Parser::findControl(const QString& w)
{
    static const QHash<QString, Control> table = [] {
        QHash<QString, Control> t;
        for (const ControlRow& row : kControls)
            for (const QString& w : QString::fromLatin1(row.words).split(u' ', Qt::SkipEmptyParts))
                t.insert(w, Control{row.where, row.flags, row.act});
        return t;
    }();
    const auto it = table.constFind(w);
    return it == table.constEnd() ? nullptr : &*it;
}

bool Parser::isStyleWord(const QString& w)
{
    const Control* c = findControl(w);
    return c && (c->flags & Control::Styled);
}

void Parser::controlWord(const QString& w, bool hasParam, int p)
{
    const bool ignorable = std::exchange(m_ignorableNext, false);
    const Control* c = findControl(w);
    const Word a{w, hasParam, p, !hasParam || p != 0};
    if (c && (c->where & Control::Anywhere)) {
        c->act(*this, a);
        return;
    }
    static constexpr quint8 kWhere[] = {Control::InText,       Control::InFontTable, Control::InColourTable,
                                        Control::InStyleSheet, Control::InListModel, Control::InShape, 0};
    const quint8 here = kWhere[static_cast<int>(m_st.dest)];
    if (m_st.dest == Dest::Skip || m_st.dest == Dest::Shape || m_st.dest == Dest::ListModel) {
        if (c && (c->where & here))
            c->act(*this, a);
        return;
    }
    m_skip = 0;
    // Only what changes a format ends the text run.
    if (c && (c->flags & Control::KeepsRun)) {
        if (c->where & here)
            c->act(*this, a);
        return;
    }
    beforeStateChange();
    if (c && (c->where & Control::Destination))
        c->act(*this, a);
    else if (skippedDestinations().contains(w) || (ignorable && !(c && (c->flags & Control::KeptIgnorable))))
        m_st.dest = Dest::Skip;
    else if (c && (c->where & here))
        c->act(*this, a);
}

void Parser::plain()
{
    const GroupState fresh;
    m_st.font = m_defaultFont;
    m_st.fontAsian = m_defaultFontAsian;
    m_st.sizeHalfPoints = fresh.sizeHalfPoints;
    m_st.bold = m_st.italic = m_st.underline = m_st.strike = m_st.hidden = m_st.deleted = false;
    m_st.caps = m_st.smallCaps = false;
    m_st.fontComplex = m_st.sizeComplex = -1;
    m_st.boldComplex = m_st.italicComplex = -1;
    m_st.kind = RunKind::None;
    m_st.rtl = false;
    m_st.vertical = 0;
    m_st.raise = 0;
    m_st.fg = m_st.bg = 0;
}

void Parser::pard()
{
    const GroupState fresh;
    m_st.align = fresh.align;
    m_st.sl = m_st.slmult = m_st.li = m_st.ri = m_st.fi = m_st.sb = m_st.sa = 0;
    m_st.rtlPar = m_st.inTable = false;
    m_bullet = false;
    m_list = nullptr;
    m_st.tabs.clear();
    m_st.nextTab = QTextOption::LeftTab;
}

void Parser::tabStop(int twips)
{
    // A paragraph keeps a sane number of stops.
    if (m_st.tabs.size() < 64) {
        QTextOption::Tab tab(twipsIn(twips, 0) / kTwipsPerPixel, m_st.nextTab,
                             m_st.nextTab == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
        m_st.tabs.append(tab);
    }
    m_st.nextTab = QTextOption::LeftTab;
}

// Each cell after the first begins at the edge before it.
void Parser::cellEdge(int twips)
{
    if (m_rowTabs.size() < 64) {
        m_rowTabs.append(QTextOption::Tab(twipsIn(twips + m_rowGap, 0) / kTwipsPerPixel, QTextOption::LeftTab));
        m_cellEdges.append(twipsIn(twips, 0));
        m_cellBackgrounds.append(m_nextCellBackground);
    }
    m_nextCellBackground = 0;
}

void Parser::makeBullet()
{
    if (m_st.dest != Dest::ListModel || m_replaying > 0)
        return;
    if (m_labelStart >= 0 && m_labelEnd > m_labelStart && m_labelEnd == m_cursor.position()) {
        // The label may have been cut into pieces: the block where it began
        // is the one that stays.
        const QTextBlock first = m_doc->findBlock(m_labelStart);
        const bool continuing = first.blockFormat().boolProperty(RtfContinues);
        // What the label was charged: its characters and the marks of its
        // own paragraphs, not the block ends its pieces were cut at.
        qsizetype removed = m_labelEnd - m_labelStart;
        for (QTextBlock b = first.next(); b.isValid() && b.position() <= m_labelEnd; b = b.next())
            removed -= b.blockFormat().boolProperty(RtfContinues) ? 1 : 0;
        QTextCursor label(m_doc);
        label.setPosition(m_labelStart);
        label.setPosition(m_labelEnd, QTextCursor::KeepAnchor);
        label.removeSelectedText();
        m_sink.resume(removed, m_cursor.positionInBlock(), continuing);
        m_cursor.setBlockFormat(m_sink.current(blockFormat()));
        restartScripts();
    }
    forgetLabel();
    m_bullet = true;
    if (!m_paragraphPending) {
        joinList();
        m_cursor.setBlockFormat(m_sink.current(blockFormat()));
    }
}

// A bullet paragraph after one that was none starts a new bullet list; the
// block format then names it.
void Parser::joinList()
{
    if (!m_bullet || m_list)
        return;
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(1);
    m_list = m_cursor.createList(format);
}

void Parser::openGroup()
{
    if (m_st.dest == Dest::Text)
        flushText();
    else if (m_st.dest == Dest::FontTable)
        flushFontName();
    // A style's group directly inside the style sheet: where it stands is
    // kept, to be replayed where a paragraph names it.
    if (m_st.dest == Dest::StyleSheet && m_depth == m_styleSheetDepth) {
        m_styleOpen = StyleEntry{};
        m_styleOpen.start = m_styleOpen.end = m_pos;
        m_styleNumber = 0; // a style that names no number is the normal one
    }
    m_stack.append(m_st);
    ++m_depth;
    m_skip = 0;
    // \upr's first group is the text for readers without Unicode: its
    // \ud group that follows is shown instead.
    if (m_st.uprBytesAhead) {
        m_stack.last().uprBytesAhead = m_st.uprBytesAhead = false;
        m_st.dest = Dest::Skip;
    }
}

void Parser::closeGroup()
{
    beforeStateChange();
    m_skip = 0;
    if (m_diverted && m_depth == m_divertDepth)
        endDivert();
    if (m_st.dest == Dest::StyleSheet && m_depth == m_styleSheetDepth + 1 && m_styleNumber >= 0
        && m_styles.size() < 4096) {
        m_styleOpen.end = m_pos - 1;
        m_styles.insert(m_styleNumber, m_styleOpen);
        m_styleNumber = -1;
    }
    m_st = m_stack.takeLast();
    --m_depth;
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
    LoadScope scope(m_doc, m_cursor);
    const ReadResult r = read(error);
    // However the text ends, the cursor is the document's own again.
    endDivert();
    return r;
}

ReadResult Parser::read(QString* error)
{
    constexpr int kMaxDepth = 4096;
    bool closed = false;
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
            if (m_depth + 1 > kMaxDepth) {
                if (error)
                    *error = QStringLiteral("RTF groups nested too deeply");
                return ReadResult::Damaged;
            }
            openGroup();
        } else if (c == u'}') {
            if (m_stack.isEmpty()) {
                beforeStateChange();
                closed = true;
                break;
            }
            closeGroup();
            if (m_depth == 0)
                closed = true;
        } else if (c == u'\\') {
            if (m_pos >= m_src.size())
                break;
            char16_t n = m_src[m_pos].unicode();
            if ((n >= u'a' && n <= u'z') || (n >= u'A' && n <= u'Z')) {
                const ControlWord cw = readControlWord(m_src, m_pos);
                controlWord(cw.word, cw.hasParam, cw.param);
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
                case u'-':
                    addChar(0x00AD); // soft hyphen: shown only where a line breaks
                    break;
                case u'\r':
                case u'\n':
                    controlWord(QStringLiteral("par"), false, 0);
                    break;
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
    endDivert();
    pourIn(m_boxes);
    pourIn(m_notes);
    if (m_tooLong || !m_sink.within())
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
