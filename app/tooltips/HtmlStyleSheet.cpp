// The style language: style sheets, declarations, lengths and colour values.
#include "app/tooltips/HtmlDrawer.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace tooltips {
namespace {

bool nameChar(QChar c) { return c.isLetterOrNumber() || c == u'.'; }

int skipToName(const QString& t, int pos)
{
    while (pos < t.size() && !nameChar(t[pos]))
        ++pos;
    return pos;
}

int skipSpaces(const QString& t, int pos)
{
    while (pos < t.size() && t[pos] == u' ')
        ++pos;
    return pos;
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
        pos = skipToName(text, pos);
        if (pos >= text.size())
            break;
        int end = pos;
        while (end < text.size() && text[end] != u' ' && text[end] != u'{')
            ++end;
        const QString selector = text.mid(pos, end - pos).toLower();
        int open = text.indexOf(u'{', end);
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
    while (pos < t.size()) {
        pos = skipToName(t, pos);
        if (pos >= t.size())
            break;
        int end = pos;
        while (end < t.size() && t[end] != u' ' && t[end] != u':')
            ++end;
        const QString name = t.mid(pos, end - pos);
        pos = skipSpaces(t, end);
        QString value;
        if (pos < t.size() && t[pos] == u':') {
            pos = skipSpaces(t, pos + 1);
            if (pos < t.size() && t[pos] == u'"') {
                int q = t.indexOf(u'"', pos + 1);
                if (q < 0)
                    q = t.size();
                value = t.mid(pos + 1, q - pos - 1);
                pos = q + 1;
            } else {
                int e = pos;
                while (e < t.size() && t[e] != u';' && t[e] != u' ')
                    ++e;
                value = t.mid(pos, e - pos);
                pos = e;
            }
        }

        if (name == u"font-size") {
            s.size = length(value, s.size, true);
        } else if (name == u"font-family") {
            if (!value.isEmpty())
                s.face = value;
        } else if (name == u"font-style") {
            if (value.isEmpty() || value == u"normal")
                s.italic = 0;
            else if (value == u"italic" || value == u"oblique")
                s.italic = 1;
        } else if (name == u"font-weight") {
            if (value.isEmpty() || value == u"normal")
                s.weight = 400;
            else if (value == u"bold")
                s.weight = 700;
            else if (value == u"bolder")
                s.weight = 900;
            else if (value == u"lighter")
                s.weight = 100;
            else
                s.weight = static_cast<int>(std::min<long long>(leadingNumber(value), 1000));
        } else if (name == u"text-align") {
            if (value.isEmpty() || value == u"left")
                s.align = 0;
            else if (value == u"center")
                s.align = 1;
            else if (value == u"right")
                s.align = 2;
        } else if (name == u"text-transform") {
            if (value.isEmpty() || value == u"none")
                s.transform = 0;
            else if (value == u"uppercase")
                s.transform = 1;
            else if (value == u"lowercase")
                s.transform = 2;
            else if (value == u"capitalize")
                s.transform = 3;
        } else if (name == u"color") {
            s.color = colourValue(value, s.color);
        } else if (name == u"background-color") {
            if (value.isEmpty() || value == u"transparent" || !m_coloursEnabled) {
                s.bkmode = 1;
            } else {
                s.bkmode = 2;
                s.bkcolor = colourValue(value, s.bkcolor);
            }
        } else if (name == u"text-decoration") {
            const QStringList words = value.split(QRegularExpression(QStringLiteral("[ ,]")), Qt::SkipEmptyParts);
            if (words.isEmpty())
                s.underline = s.strikeout = s.overline = 0;
            for (const QString& w : words) {
                if (w == u"none")
                    s.underline = s.strikeout = s.overline = 0;
                else if (w == u"underline")
                    s.underline = 1;
                else if (w == u"line-through")
                    s.strikeout = 1;
                else if (w == u"overline")
                    s.overline = 1;
            }
        } else if (name == u"vertical-align") {
            if (value.isEmpty() || value == u"baseline")
                s.valign = 3;
            else if (value == u"middle" || value == u"vcenter")
                s.valign = 1;
            else if (value == u"top")
                s.valign = 0;
            else if (value == u"bottom")
                s.valign = 2;
        } else if (name == u"border-color") {
            s.borderLight = s.borderDark = colourValue(value, s.borderLight);
        } else if (name == u"border-width" || name == u"size") {
            if (value == u"thin")
                s.borderWidth = MulDiv(s.borderWidth, 75, 100);
            else if (value == u"thick")
                s.borderWidth = MulDiv(s.borderWidth, 125, 100);
            else if (value != u"medium")
                s.borderWidth = length(value, s.borderWidth, false);
            if (s.borderWidth == 0)
                s.borderStyle = 0;
            else if (s.borderStyle == 0)
                s.borderStyle = 1;
        } else if (name == u"border-style") {
            if (value.isEmpty() || value == u"none")
                s.borderStyle = 0;
            else if (value == u"solid")
                s.borderStyle = 1;
            else if (value == u"dashed")
                s.borderStyle = 2;
            else if (value == u"dotted")
                s.borderStyle = 3;
            else if (value == u"double")
                s.borderStyle = 6;
            if (s.borderStyle != 0 && s.borderWidth == 0)
                s.borderWidth = 1;
        } else if (name == u"margin") {
            s.margin = length(value, s.margin, false);
        } else if (name == u"padding") {
            s.padding = length(value, s.padding, false);
        }
    }
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
    if (unit == u"px")
        return clampInt(n);
    if (unit == u"ex" || unit == u"em")
        return clampInt(n * cell);
    if (unit == u"in")
        return clampInt(n * dpi);
    if (unit == u"cm")
        return clampInt(static_cast<long long>(n * dpi / 2.54));
    if (unit == u"mm")
        return clampInt(static_cast<long long>(n * dpi / 25.4));
    if (unit == u"pt")
        return clampInt(n * dpi / 72);
    if (unit == u"pc")
        return clampInt(n * dpi / 6);
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
    while (pos < t.size()) {
        pos = skipToName(t, pos);
        if (pos >= t.size())
            break;
        int end = pos;
        while (end < t.size() && t[end] != u' ' && t[end] != u'=')
            ++end;
        QString name = t.mid(pos, end - pos);
        pos = skipSpaces(t, end);
        QString value;
        if (pos < t.size() && t[pos] == u'=') {
            pos = skipSpaces(t, pos + 1);
            if (pos < t.size() && (t[pos] == u'"' || t[pos] == u'\'')) {
                int q = t.indexOf(t[pos], pos + 1);
                if (q < 0)
                    q = t.size();
                value = t.mid(pos + 1, q - pos - 1);
                pos = q + 1;
            } else {
                int e = pos;
                while (e < t.size() && t[e] != u' ')
                    ++e;
                value = t.mid(pos, e - pos);
                pos = e;
            }
        }
        out.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

} // namespace tooltips
