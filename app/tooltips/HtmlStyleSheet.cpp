// The style language: style sheets, declarations, lengths and colour values.
#include "app/tooltips/HtmlDrawer.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <span>

namespace tooltips {
namespace {

bool nameChar(QChar c) { return c.isLetterOrNumber() || c == u'.'; }

int skipToName(const QString& t, int pos)
{
    while (pos < t.size() && !nameChar(t[pos]))
        ++pos;
    return pos;
}

// The next name from pos on, up to a space or `stop`, and pos behind it;
// empty when no name is left.
QString nextName(const QString& t, int& pos, QChar stop)
{
    pos = skipToName(t, pos);
    const int start = pos;
    while (pos < t.size() && t[pos] != u' ' && t[pos] != stop)
        ++pos;
    return t.mid(start, pos - start);
}

int skipSpaces(const QString& t, int pos)
{
    while (pos < t.size() && t[pos] == u' ')
        ++pos;
    return pos;
}

// The value at pos, and pos behind it: quoted (by " or, where `apostrophe`,
// by ') up to its closing quote or the end, else up to a space or `stop`.
QString nextValue(const QString& t, int& pos, bool apostrophe, QChar stop)
{
    if (pos < t.size() && (t[pos] == u'"' || (apostrophe && t[pos] == u'\''))) {
        int q = t.indexOf(t[pos], pos + 1);
        if (q < 0)
            q = t.size();
        QString value = t.mid(pos + 1, q - pos - 1);
        pos = q + 1;
        return value;
    }
    const int start = pos;
    while (pos < t.size() && t[pos] != u' ' && t[pos] != stop)
        ++pos;
    return t.mid(start, pos - start);
}

// The next `name sep value` from pos on, and pos behind it; a name without
// `sep` has an empty value. False when no name is left.
bool nextPair(const QString& t, int& pos, QChar sep, bool apostrophe, QChar stop, QString& name, QString& value)
{
    name = nextName(t, pos, sep);
    if (name.isEmpty())
        return false;
    pos = skipSpaces(t, pos);
    value.clear();
    if (pos < t.size() && t[pos] == sep) {
        pos = skipSpaces(t, pos + 1);
        value = nextValue(t, pos, apostrophe, stop);
    }
    return true;
}

// The leading decimal number, a sign in front ignored.
long long leadingNumber(const QString& t)
{
    int i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    long long n = 0;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i)
        n = std::min(n * 10 + (t[i].unicode() - u'0'), 1LL << 40);
    return n;
}

// An unsigned number with C base detection; reading stops at the first character
// that does not belong to the base.
unsigned long long cNumber(const QString& t, bool hexOrDecimalOnly = false)
{
    int i = 0, base = 10;
    if (t.size() >= 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) {
        base = 16;
        i = 2;
    } else if (!hexOrDecimalOnly && t.size() >= 1 && t[0] == u'0') {
        base = 8;
    }
    unsigned long long n = 0;
    for (; i < t.size(); ++i) {
        int d = t[i].isDigit() ? t[i].unicode() - u'0'
                : (t[i].toLower() >= u'a' && t[i].toLower() <= u'f') ? t[i].toLower().unicode() - u'a' + 10
                                                                     : 99;
        if (d >= base)
            break;
        n = std::min<unsigned long long>(n * base + d, 0xFFFFFFFFull);
    }
    return n;
}

int clampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, -kMaxLength, kMaxLength)); }


// Keyword values of a property. The empty value stands for the first entry.
struct Keyword {
    const char16_t* word;
    int value;
};

// Sets field from the keyword table; an unknown word leaves it as it is.
bool pickKeyword(std::span<const Keyword> words, const QString& value, int& field)
{
    if (value.isEmpty()) {
        field = words.front().value;
        return true;
    }
    for (const Keyword& k : words)
        if (value == QStringView(k.word)) {
            field = k.value;
            return true;
        }
    return false;
}

constexpr Keyword kFontStyles[] = {{u"normal", 0}, {u"italic", 1}, {u"oblique", 1}};
constexpr Keyword kFontWeights[] = {{u"normal", 400}, {u"bold", 700}, {u"bolder", 900}, {u"lighter", 100}};
constexpr Keyword kTextAligns[] = {{u"left", 0}, {u"center", 1}, {u"right", 2}};
constexpr Keyword kTextTransforms[] = {{u"none", 0}, {u"uppercase", 1}, {u"lowercase", 2}, {u"capitalize", 3}};
constexpr Keyword kVerticalAligns[] = {{u"baseline", 3}, {u"middle", 1}, {u"vcenter", 1}, {u"top", 0}, {u"bottom", 2}};
constexpr Keyword kBorderStyles[] = {{u"none", 0}, {u"solid", 1}, {u"dashed", 2}, {u"dotted", 3}, {u"double", 6}};

// Words of text-decoration; a null flag ("none") clears all three.
struct Decoration {
    const char16_t* word;
    int HtmlStyle::*flag;
};
constexpr Decoration kDecorations[] = {
    {u"none", nullptr},
    {u"underline", &HtmlStyle::underline},
    {u"line-through", &HtmlStyle::strikeout},
    {u"overline", &HtmlStyle::overline},
};

void clearDecorations(HtmlStyle& s) { s.underline = s.strikeout = s.overline = 0; }

// One declaration being applied: the drawer for lengths and colours.
struct Declaration {
    CHtmlDrawer& drawer;
    bool coloursEnabled;
    const QString& value;
};

void applyBorderWidth(const Declaration& d, HtmlStyle& s)
{
    if (d.value == u"thin")
        s.borderWidth = MulDiv(s.borderWidth, 75, 100);
    else if (d.value == u"thick")
        s.borderWidth = MulDiv(s.borderWidth, 125, 100);
    else if (d.value != u"medium")
        s.borderWidth = d.drawer.length(d.value, s.borderWidth, false);
    // A zero width hides the border; a width brings back a hidden one.
    if (s.borderWidth == 0)
        s.borderStyle = 0;
    else if (s.borderStyle == 0)
        s.borderStyle = 1;
}

struct Property {
    const char16_t* name;
    void (*apply)(const Declaration& d, HtmlStyle& s);
};

constexpr Property kProperties[] = {
    {u"font-size", [](const Declaration& d, HtmlStyle& s) { s.size = d.drawer.length(d.value, s.size, true); }},
    {u"font-family",
     [](const Declaration& d, HtmlStyle& s) {
         if (!d.value.isEmpty())
             s.face = d.value;
     }},
    {u"font-style", [](const Declaration& d, HtmlStyle& s) { pickKeyword(kFontStyles, d.value, s.italic); }},
    {u"font-weight",
     [](const Declaration& d, HtmlStyle& s) {
         if (!pickKeyword(kFontWeights, d.value, s.weight))
             s.weight = static_cast<int>(std::min<long long>(leadingNumber(d.value), 1000));
     }},
    {u"text-align", [](const Declaration& d, HtmlStyle& s) { pickKeyword(kTextAligns, d.value, s.align); }},
    {u"text-transform", [](const Declaration& d, HtmlStyle& s) { pickKeyword(kTextTransforms, d.value, s.transform); }},
    {u"color", [](const Declaration& d, HtmlStyle& s) { s.color = d.drawer.colourValue(d.value, s.color); }},
    {u"background-color",
     [](const Declaration& d, HtmlStyle& s) {
         if (d.value.isEmpty() || d.value == u"transparent" || !d.coloursEnabled) {
             s.bkmode = 1;
         } else {
             s.bkmode = 2;
             s.bkcolor = d.drawer.colourValue(d.value, s.bkcolor);
         }
     }},
    {u"text-decoration",
     [](const Declaration& d, HtmlStyle& s) {
         const QStringList words = d.value.split(QRegularExpression(QStringLiteral("[ ,]")), Qt::SkipEmptyParts);
         if (words.isEmpty())
             clearDecorations(s);
         for (const QString& w : words)
             for (const Decoration& k : kDecorations)
                 if (w == QStringView(k.word)) {
                     if (k.flag)
                         s.*k.flag = 1;
                     else
                         clearDecorations(s);
                 }
     }},
    {u"vertical-align", [](const Declaration& d, HtmlStyle& s) { pickKeyword(kVerticalAligns, d.value, s.valign); }},
    {u"border-color",
     [](const Declaration& d, HtmlStyle& s) { s.borderLight = s.borderDark = d.drawer.colourValue(d.value, s.borderLight); }},
    {u"border-width", applyBorderWidth},
    {u"size", applyBorderWidth},
    {u"border-style",
     [](const Declaration& d, HtmlStyle& s) {
         pickKeyword(kBorderStyles, d.value, s.borderStyle);
         // A visible border needs a width to be seen at all.
         if (s.borderStyle != 0 && s.borderWidth == 0)
             s.borderWidth = 1;
     }},
    {u"margin", [](const Declaration& d, HtmlStyle& s) { s.margin = d.drawer.length(d.value, s.margin, false); }},
    {u"padding", [](const Declaration& d, HtmlStyle& s) { s.padding = d.drawer.length(d.value, s.padding, false); }},
};

const Property* findProperty(const QString& name)
{
    for (const Property& p : kProperties)
        if (name == QStringView(p.name))
            return &p;
    return nullptr;
}

// Units of a length: how many pixels n of them make at dpi, with cell the
// current font's height for em and ex.
struct Unit {
    const char16_t* name;
    long long (*pixels)(long long n, int dpi, int cell);
};

constexpr Unit kUnits[] = {
    {u"px", [](long long n, int, int) { return n; }},
    {u"ex", [](long long n, int, int cell) { return n * cell; }},
    {u"em", [](long long n, int, int cell) { return n * cell; }},
    {u"in", [](long long n, int dpi, int) { return n * dpi; }},
    {u"cm", [](long long n, int dpi, int) { return static_cast<long long>(n * dpi / 2.54); }},
    {u"mm", [](long long n, int dpi, int) { return static_cast<long long>(n * dpi / 25.4); }},
    {u"pt", [](long long n, int dpi, int) { return n * dpi / 72; }},
    {u"pc", [](long long n, int dpi, int) { return n * dpi / 6; }},
};

} // namespace

void HtmlStyle::reset()
{
    const int w = width, h = height;
    *this = HtmlStyle();
    width = w;
    height = h;
}

void CHtmlDrawer::SetStyleSheet(const QString& text)
{
    m_sheet.clear();
    if (text.isNull()) {
        SetStyleSheet(defaultStyleSheet());
        return;
    }
    m_sheetSource = text;
    int pos = 0;
    while (pos < text.size()) {
        const QString selector = nextName(text, pos, u'{').toLower();
        if (selector.isEmpty())
            break;
        int open = text.indexOf(u'{', pos);
        int close = open < 0 ? -1 : text.indexOf(u'}', open + 1);
        if (open < 0 || close < 0)
            break;
        m_sheet[selector] = text.mid(open + 1, close - open - 1);
        pos = close + 1;
    }
}

QString CHtmlDrawer::rule(const QString& selector) const
{
    auto it = m_sheet.find(selector.toLower());
    return it == m_sheet.end() ? QString() : it->second;
}

bool CHtmlDrawer::applyRule(const QString& selector, HtmlStyle& style)
{
    auto it = m_sheet.find(selector.toLower());
    if (it == m_sheet.end())
        return false;
    applyDeclarations(it->second, style);
    return true;
}

void CHtmlDrawer::applyDeclarations(const QString& source, HtmlStyle& s)
{
    const QString t = source.toLower();
    int pos = 0;
    QString name;
    QString value;
    while (nextPair(t, pos, u':', false, u';', name, value))
        if (const Property* p = findProperty(name))
            p->apply({*this, m_coloursEnabled, value}, s);
}

int CHtmlDrawer::length(const QString& source, int current, bool fontSize)
{
    QString t = source;
    if (t.isEmpty())
        return current;
    if (t.endsWith(u'%'))
        return clampInt(MulDiv(current, clampInt(leadingNumber(t.left(t.size() - 1))), 100));
    if (t.startsWith(u'+') || t.startsWith(u'-'))
        t.remove(0, 1);
    const long long n = leadingNumber(t);
    const QString unit = t.right(2);
    const int dpi = m_canvas ? m_canvas->dpiY() : 96;
    const int cell = m_canvas ? m_metrics.height : current;
    for (const Unit& u : kUnits)
        if (unit == QStringView(u.name))
            return clampInt(u.pixels(n, dpi, cell));
    const unsigned long long v = cNumber(t);
    if (fontSize && v >= 1 && v <= 7) {
        static const int kHtmlSizes[] = {8, 10, 12, 14, 18, 24, 36};
        return kHtmlSizes[v - 1];
    }
    return clampInt(static_cast<long long>(v));
}

COLORREF CHtmlDrawer::colourValue(const QString& t, COLORREF current) const
{
    if (!m_coloursEnabled)
        return m_disabledColour;
    if (t.isEmpty())
        return current;
    if (t[0] == u'#') {
        if (t.size() != 7)
            return current;
        bool ok = false;
        const unsigned rgb = t.mid(1).toUInt(&ok, 16);
        if (!ok)
            return current;
        return platform::makeColorRef((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
    if (t[0].isDigit())
        return static_cast<COLORREF>(cNumber(t, true));
    auto it = m_colours.find(t);
    return it == m_colours.end() ? current : it->second;
}

std::vector<std::pair<QString, QString>> CHtmlDrawer::readAttributes(const QString& t)
{
    std::vector<std::pair<QString, QString>> out;
    int pos = 0;
    QString name;
    QString value;
    while (nextPair(t, pos, u'=', true, u' ', name, value))
        out.emplace_back(name, value);
    return out;
}

} // namespace tooltips
