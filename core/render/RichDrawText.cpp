#include "core/render/RichDrawText.h"
#include "core/render/Painters.h"
#include "platform/FontMap.h"
#include "platform/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

namespace sorvane::render {

namespace {

constexpr int kClientWidth = 4096;

// Size of a character's font in points.
double pointSizeOf(const QFont& f)
{
    if (f.pixelSize() > 0)
        return f.pixelSize() * 72.0 / CRichDrawText::kDpi;
    return f.pointSizeF() > 0 ? f.pointSizeF() : 9.0;
}

QFont fontAt(const QTextDocument& doc, int index)
{
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(index);
    c.setPosition(index + 1, QTextCursor::KeepAnchor);
    QFont f = c.charFormat().font();
    // Stored faces stand for installed families.
    if (!f.families().isEmpty())
        f.setFamilies(QStringList{platform::SubstituteFace(f.families().front())});
    return f;
}

} // namespace

CRichDrawText::CRichDrawText()
{
    platform::EnsureFontSubstitutions();
    m_doc.setDocumentMargin(0);
    // The default character format: a 9-point message font in the window text colour.
    QFont base(platform::SubstituteFace(QStringLiteral("Tahoma")));
    base.setPointSizeF(9);
    m_doc.setDefaultFont(base);
    m_doc.setTextWidth(kClientWidth);
}

bool CRichDrawText::SetText(const QString& text)
{
    m_lineFont = {};
    m_ownMetrics.reset();
    const bool ok = SetRichEditText(text, m_doc);
    m_doc.setTextWidth(kClientWidth);
    return ok;
}

int CRichDrawText::GetTextLength() const { return std::max(0, m_doc.characterCount() - 1); }

void CRichDrawText::ensureLayout() { m_doc.documentLayout()->documentSize(); }

void CRichDrawText::FitLayout(QRect& rect)
{
    m_lineFont = {};
    m_doc.setTextWidth(rect.width() > 0 ? rect.width() : -1);
    const QSizeF size = m_doc.documentLayout()->documentSize();
    rect.setRight(rect.left() + int(std::ceil(size.width())) - 1);
    rect.setBottom(rect.top() + int(std::ceil(size.height())) - 1);
}

char16_t CRichDrawText::GetCharAt(int index) const
{
    if (index < 0 || index >= GetTextLength())
        return 0;
    const QChar c = m_doc.characterAt(index);
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
        return u'\r';
    return c.unicode();
}

bool CRichDrawText::GetCharFormatAt(int index, QTextCharFormat& format) const
{
    if (index < 0 || index >= GetTextLength())
        return false;
    QTextCursor c(const_cast<QTextDocument*>(&m_doc));
    c.setPosition(index);
    c.setPosition(index + 1, QTextCursor::KeepAnchor);
    format = c.charFormat();
    return true;
}

bool CRichDrawText::GetCharLogFont(int index, LOGFONT& lf) const
{
    QTextCharFormat fmt;
    if (!GetCharFormatAt(index, fmt))
        return false;
    const QFont f = fmt.font();
    lf = LOGFONT{};
    lf.lfHeight = -static_cast<std::int32_t>(std::lround(pointSizeOf(f) * kDpi / 72.0));
    lf.lfWeight = f.weight() >= QFont::Bold ? 700 : 400;
    if (fmt.hasProperty(QTextFormat::FontWeight))
        lf.lfWeight = fmt.fontWeight();
    lf.lfItalic = f.italic() ? 1 : 0;
    lf.lfUnderline = f.underline() ? 1 : 0;
    lf.lfStrikeOut = f.strikeOut() ? 1 : 0;
    lf.lfCharSet = fmt.hasProperty(platform::RtfFontCharset)
        ? static_cast<std::uint8_t>(fmt.intProperty(platform::RtfFontCharset))
        : 1;
    const QStringList families = fmt.fontFamilies().toStringList();
    if (!families.isEmpty())
        SetLogFontFaceName(lf, families.front().toStdU16String());
    return true;
}

QRect CRichDrawText::GetCharCellRect(int index)
{
    if (index < 0 || index >= GetTextLength())
        return {};
    ensureLayout();
    const QTextBlock block = m_doc.findBlock(index);
    const QTextLayout* layout = block.layout();
    if (!block.isValid() || !layout)
        return {};
    const int inBlock = index - block.position();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return {};
    const QPointF blockAt = m_doc.documentLayout()->blockBoundingRect(block).topLeft();
    const double x = blockAt.x() + line.cursorToX(inBlock);
    // Top of the line's box: above the space before for a paragraph's first
    // line (the offset adds it back), then each line where the last one ended.
    const QTextBlockFormat para = block.blockFormat();
    const double y = blockAt.y() - (line.lineNumber() == 0 ? para.topMargin() : 0.0) + (line.y() - layout->lineAt(0).y());

    // The largest font of the line sets its baseline; found once a line.
    if (m_lineFont.block != block.position() || m_lineFont.start != line.textStart()) {
        m_lineFont = {block.position(), line.textStart(), fontAt(m_doc, index), 0};
        for (int i = line.textStart(); i < line.textStart() + line.textLength(); ++i) {
            const QFont f = fontAt(m_doc, block.position() + i);
            if (pointSizeOf(f) > m_lineFont.size) {
                m_lineFont.size = pointSizeOf(f);
                m_lineFont.font = f;
            }
        }
    }
    const QFont& largest = m_lineFont.font;
    const double largestSize = m_lineFont.size;
    // Space before counts on a paragraph's first line only (points).
    const double spaceBefore = line.lineNumber() == 0 ? para.topMargin() * 72.0 / kDpi : 0.0;
    const int spacing = para.intProperty(platform::RtfLineSpacing);
    const bool exact = spacing < 0 && para.intProperty(platform::RtfLineMultiple) == 0;
    double offset;
    if (exact) {
        const QFontMetricsF fm(largest);
        offset = std::lround((-spacing / 20.0 + spaceBefore) * kDpi / 72.0) - 2 * std::lround(fm.descent());
    } else {
        offset = std::lround((spaceBefore + largestSize) * kDpi / 72.0);
    }
    const QFont own = fontAt(m_doc, index);
    // Neighbours mostly share their font: its metrics are asked for once.
    if (!m_ownMetrics || !(own == m_ownFont)) {
        m_ownFont = own;
        m_ownMetrics.emplace(own);
    }
    const QFontMetricsF& fm = *m_ownMetrics;
    const int left = int(std::lround(x));
    const int top = int(std::lround(y + offset - fm.ascent()));
    const int advance = int(std::lround(fm.horizontalAdvance(m_doc.characterAt(index))));
    const int height = int(std::lround(pointSizeOf(own) * kDpi / 72.0));
    return QRect(left, top, advance, height);
}

} // namespace sorvane::render
