#include "platform/RtfWriter.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <cmath>

namespace platform {
namespace {

struct FontKey {
    QString name;
    int charset;
    bool operator==(const FontKey& o) const { return name == o.name && charset == o.charset; }
};

struct CharState {
    int font = -1;
    int size = -1;
    bool bold = false, italic = false, underline = false, strike = false;
    int vertical = 0; // 1 superscript, 2 subscript
    int raise = 0;    // half points up (negative: down)
    int fg = 0, bg = 0;
};

bool isAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

void appendEscapedChar(QByteArray& out, char16_t c)
{
    switch (c) {
    case u'\\': out += "\\\\"; return;
    case u'{': out += "\\{"; return;
    case u'}': out += "\\}"; return;
    case u'\t': out += "\\tab "; return;
    case 0x2028: out += "\\line "; return;
    case 0x00A0: out += "\\~"; return;
    case 0x00AD: out += "\\-"; return;
    default: break;
    }
    if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
    } else {
        // Control characters and everything beyond ASCII (the object mark
        // U+FFFC too) travel as escapes, so a round trip keeps them.
        out += "\\u";
        out += QByteArray::number(static_cast<int>(static_cast<int16_t>(c)));
        out += '?';
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : m_doc(doc) {}
    QByteArray run();

private:
    const QTextDocument& m_doc;
    QList<FontKey> m_fonts;
    QList<QRgb> m_colours;

    FontKey fontOf(const QTextCharFormat& f) const
    {
        QStringList fam = f.fontFamilies().toStringList();
        QString name = fam.isEmpty() ? m_doc.defaultFont().family() : fam.first();
        int charset;
        if (f.hasProperty(RtfFontCharset))
            charset = f.intProperty(RtfFontCharset);
        else
            charset = isAscii(name) ? 0 : 1;
        return {name, charset};
    }

    int fontIndex(const QTextCharFormat& f)
    {
        FontKey k = fontOf(f);
        int i = static_cast<int>(m_fonts.indexOf(k));
        if (i < 0) {
            m_fonts.append(k);
            i = static_cast<int>(m_fonts.size() - 1);
        }
        return i;
    }

    int colourIndex(const QBrush& b)
    {
        if (b.style() == Qt::NoBrush)
            return 0;
        QRgb c = b.color().rgb() | 0xFF000000u;
        int i = static_cast<int>(m_colours.indexOf(c));
        if (i < 0) {
            m_colours.append(c);
            i = static_cast<int>(m_colours.size() - 1);
        }
        return i + 1;
    }

    int halfPoints(const QTextCharFormat& f) const
    {
        double pt = f.fontPointSize();
        if (pt <= 0)
            pt = m_doc.defaultFont().pointSizeF();
        if (pt <= 0)
            pt = 12;
        return static_cast<int>(std::lround(pt * 2));
    }

    QByteArray paragraphProps(const QTextBlockFormat& b, bool bullet) const;
    QByteArray fontTable() const;
    QByteArray colourTable() const;
    bool charChange(QByteArray& out, CharState& cur, const QTextCharFormat& f);
};

QByteArray twips(double px) { return QByteArray::number(std::lround(px * kTwipsPerPixel)); }

QByteArray Writer::paragraphProps(const QTextBlockFormat& b, bool bullet) const
{
    QByteArray s = "\\pard";
    Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        s += "\\qc";
    else if (a & Qt::AlignRight)
        s += "\\qr";
    else if (a & Qt::AlignJustify)
        s += "\\qj";
    if (b.leftMargin() != 0)
        s += "\\li" + twips(b.leftMargin());
    if (b.rightMargin() != 0)
        s += "\\ri" + twips(b.rightMargin());
    if (b.textIndent() != 0)
        s += "\\fi" + twips(b.textIndent());
    if (b.topMargin() != 0)
        s += "\\sb" + twips(b.topMargin());
    if (b.bottomMargin() != 0)
        s += "\\sa" + twips(b.bottomMargin());
    if (b.layoutDirection() == Qt::RightToLeft)
        s += "\\rtlpar";
    // A bullet list's item, as the rich edit writes its bullets.
    if (bullet)
        s += "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\u8226?}}";
    for (const QTextOption::Tab& tab : b.tabPositions()) {
        if (tab.type == QTextOption::RightTab)
            s += "\\tqr";
        else if (tab.type == QTextOption::CenterTab)
            s += "\\tqc";
        else if (tab.type == QTextOption::DelimiterTab)
            s += "\\tqdec";
        s += "\\tx" + twips(tab.position);
    }
    if (b.hasProperty(RtfLineSpacing)) {
        s += "\\sl" + QByteArray::number(b.intProperty(RtfLineSpacing));
        s += "\\slmult" + QByteArray::number(b.intProperty(RtfLineMultiple));
    } else {
        switch (b.lineHeightType()) {
        case QTextBlockFormat::FixedHeight:
            s += "\\sl-" + twips(b.lineHeight()) + "\\slmult0";
            break;
        case QTextBlockFormat::MinimumHeight:
            s += "\\sl" + twips(b.lineHeight()) + "\\slmult0";
            break;
        case QTextBlockFormat::ProportionalHeight:
            if (b.lineHeight() != 100)
                s += "\\sl" + QByteArray::number(std::lround(b.lineHeight() * 240 / 100)) + "\\slmult1";
            break;
        default:
            break;
        }
    }
    return s;
}

QByteArray Writer::fontTable() const
{
    QByteArray s = "{\\fonttbl";
    for (int i = 0; i < m_fonts.size(); ++i) {
        const FontKey& f = m_fonts[i];
        s += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" + QByteArray::number(f.charset) + ' ';
        QByteArray bytes;
        if (isAscii(f.name)) {
            for (QChar c : f.name)
                appendEscapedChar(s, c.unicode());
        } else if (f.charset > 1 && encodeCodePage(f.name, codePageForCharset(f.charset, 1252), &bytes) &&
                   decodeCodePage(bytes, codePageForCharset(f.charset, 1252)) == f.name) {
            // Only a name whose bytes read back as the same name goes as bytes,
            // every one escaped: a trail byte below 0x80 written plainly would
            // be read apart from its lead byte.
            for (char ch : bytes) {
                s += "\\'";
                s += QByteArray::number(static_cast<unsigned char>(ch), 16).rightJustified(2, '0');
            }
        } else {
            for (QChar c : f.name)
                appendEscapedChar(s, c.unicode());
        }
        s += ";}";
    }
    s += "}";
    return s;
}

QByteArray Writer::colourTable() const
{
    QByteArray s = "{\\colortbl ;";
    for (QRgb c : m_colours) {
        s += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c))
           + "\\blue" + QByteArray::number(qBlue(c)) + ';';
    }
    s += "}";
    return s;
}

bool Writer::charChange(QByteArray& out, CharState& cur, const QTextCharFormat& f)
{
    CharState want;
    want.font = fontIndex(f);
    want.size = halfPoints(f);
    want.bold = f.fontWeight() >= QFont::DemiBold;
    want.italic = f.fontItalic();
    want.underline = f.fontUnderline();
    want.strike = f.fontStrikeOut();
    want.fg = colourIndex(f.foreground());
    want.bg = colourIndex(f.background());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        want.vertical = 1;
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        want.vertical = 2;
    // A baseline offset is a share of the font's height; RTF raises by half points.
    want.raise = static_cast<int>(std::lround(f.baselineOffset() * want.size / 100.0));

    QByteArray s;
    if (want.fg != cur.fg)
        s += "\\cf" + QByteArray::number(want.fg);
    if (want.bg != cur.bg)
        s += "\\highlight" + QByteArray::number(want.bg);
    if (want.bold != cur.bold)
        s += want.bold ? "\\b" : "\\b0";
    if (want.italic != cur.italic)
        s += want.italic ? "\\i" : "\\i0";
    if (want.underline != cur.underline)
        s += want.underline ? "\\ul" : "\\ulnone";
    if (want.strike != cur.strike)
        s += want.strike ? "\\strike" : "\\strike0";
    if (want.vertical != cur.vertical)
        s += want.vertical == 1 ? "\\super" : want.vertical == 2 ? "\\sub" : "\\nosupersub";
    if (want.raise != cur.raise)
        s += want.raise < 0 ? "\\dn" + QByteArray::number(-want.raise) : "\\up" + QByteArray::number(want.raise);
    if (want.font != cur.font)
        s += "\\f" + QByteArray::number(want.font);
    if (want.size != cur.size)
        s += "\\fs" + QByteArray::number(want.size);
    cur = want;
    if (s.isEmpty())
        return false;
    out += s;
    out += ' ';
    return true;
}

QByteArray Writer::run()
{
    QByteArray body;
    CharState cur;
    QByteArray lastPara;
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        const bool bullet = list && (list->format().style() == QTextListFormat::ListDisc
                                     || list->format().style() == QTextListFormat::ListCircle
                                     || list->format().style() == QTextListFormat::ListSquare);
        QByteArray para = paragraphProps(block.blockFormat(), bullet);
        bool needSpace = false;
        if (para != lastPara && !block.blockFormat().boolProperty(RtfContinues)) {
            body += para;
            lastPara = para;
            // A control word needs a space before text; a group's end does not.
            needSpace = !para.endsWith('}');
        }
        bool any = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            if (charChange(body, cur, frag.charFormat()))
                needSpace = false;
            if (needSpace && !frag.text().isEmpty()) {
                body += ' ';
                needSpace = false;
            }
            for (QChar c : frag.text())
                appendEscapedChar(body, c.unicode());
            any = true;
        }
        if (!any)
            charChange(body, cur, block.charFormat());
        // A block that goes on with this paragraph gets no paragraph mark.
        const QTextBlock next = block.next();
        if (!(next.isValid() && next.blockFormat().boolProperty(RtfContinues)))
            body += "\\par\r\n";
    }
    QByteArray out = "{\\rtf1\\ansi\\deff0";
    out += fontTable();
    out += "\r\n";
    out += colourTable();
    out += "\r\n\\viewkind4\\uc1";
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace

QByteArray writeRtf(const QTextDocument& doc)
{
    return Writer(doc).run();
}

} // namespace platform
