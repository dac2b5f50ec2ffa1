#include "core/render/Painters.h"
#include "core/api/TextCartoon.h"
#include "core/model/CoreState.h"
#include "core/model/ItemData.h"
#include "core/model/ItemKinds.h"
#include "core/model/NodePictures.h"
#include "core/model/Utilities.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockPaint.h"
#include "core/render/FrameRender.h"
#include "core/render/ImageEx.h"
#include "core/render/NodeArea.h"
#include "core/render/TableItem.h"
#include "platform/Colour.h"
#include "platform/FontMap.h"
#include "platform/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>
#include <QTextOption>

#include <cmath>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

using namespace records;

// A painter draws into the painting's own picture and sets its values; the
// node is only read.
void clearBlack(Painting& p)
{
    if (!p.picture.isNull() && !p.blank)
        p.picture.fill(Qt::black);
    p.blank = false;
}

// The picture grown for the node as its values now say.
void grow(Painting& p)
{
    const QSize size = PreviewSizeFor(p.node, p.values);
    if (GrowPicture(p.picture, size.width(), size.height()))
        p.blank = true;
}

// A content taller than the item is cut to its last lit row. A picture too
// small for the content (past the preview bound) cannot tell where that is:
// the measured height stays, so that the compile draws every row.
void trimContentHeight(Painting& p)
{
    const QRect r = sorvane::render::NodeRect(p.node);
    if (static_cast<std::uint32_t>(r.height()) >= p.values.contentH || p.picture.isNull())
        return;
    if (static_cast<std::uint32_t>(p.picture.width()) < p.values.contentW
        || static_cast<std::uint32_t>(p.picture.height()) < p.values.contentH)
        return;
    const int used = GetBitmapUsedHeight(p.picture);
    if (used > 0)
        p.values.contentH = static_cast<std::uint32_t>(used);
}

// A scene's or section's border over its own picture, first frame.
void paintBorder(Painting& p, const DynFrame* frame)
{
    if (!frame || frame->Width == 0 || p.picture.isNull())
        return;
    const QRect whole(QPoint(0, 0), sorvane::render::NodeRect(p.node).size());
    sorvane::render::PaintDynFrame(p.picture, whole, *frame, nullptr, nullptr, nullptr);
}

// Content size, picture grown, cleared.
void prepareContent(Painting& p, QSize size)
{
    p.values.contentW = static_cast<std::uint32_t>(std::max(0, size.width()));
    p.values.contentH = static_cast<std::uint32_t>(std::max(0, size.height()));
    grow(p);
    clearBlack(p);
}

// The rich text laid out as its painter lays it out: wrapped at the client
// width or not at all. Returns the content size.
QSize layoutRichText(const ItemRecord& rec, int clientWidth, QTextDocument& doc)
{
    const bool wrap = rec.get(richtext::Wrap) != 0;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(platform::FontFromLogFont(LOGFONT{-12, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 16, {}}));
    SetRichEditText(rec.text(), doc);
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    doc.setDefaultTextOption(option);
    doc.setTextWidth(wrap ? clientWidth : -1);
    const QSizeF natural = doc.documentLayout()->documentSize();
    int w = static_cast<int>(std::ceil(natural.width()));
    const int h = static_cast<int>(std::ceil(natural.height()));
    if (wrap)
        w = clientWidth;
    return {w, h};
}

// Only the blocks that meet `window` (content coordinates) are drawn.
void drawRichText(QTextDocument& doc, QPainter& p, QSize size, const QRect& window)
{
    p.setRenderHint(QPainter::TextAntialiasing, false);
    doc.drawContents(&p, QRectF(QRect(QPoint(0, 0), size).intersected(window)));
}

} // namespace

QSize MeasureSingleLineText(const ItemRecord& record, const QRect& rect)
{
    const QFontMetrics fm(platform::FontFromLogFont(record.get(singleline::TextFont)));
    return {fm.horizontalAdvance(record.text()), rect.height()};
}

void DrawSingleLineText(const ItemRecord& record, QPainter& dc, const QRect& rect)
{
    dc.save();
    dc.setFont(platform::FontFromLogFont(record.get(singleline::TextFont)));
    dc.setPen(platform::toQColor(record.get(singleline::Colour)));
    dc.setBackgroundMode(Qt::TransparentMode);
    dc.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, record.text());
    dc.restore();
}

bool SetRichEditText(const QString& text, QTextDocument& doc)
{
    platform::EnsureFontSubstitutions();
    if (text.size() > 5 && platform::looksLikeRtf(text)) {
        if (platform::readRtf(text, &doc))
            return true;
    }
    doc.setPlainText(text);
    return true;
}

int PaintSceneNode(Painting& p)
{
    grow(p);
    clearBlack(p);
    paintBorder(p, p.node->Scene.Frame);
    const auto image = SharedFirstFrame(WidePathField(p.node->Scene.PicturePath, 260));
    p.values.picturePresent = image->count >= 1 ? 1 : 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    if (p.values.picturePresent && !client.isEmpty())
        ImageEx::DrawPictureInMode(image->frame, p.picture, client, p.node->Scene.PictureMode);
    return 1;
}

int PaintSectionNode(Painting& p)
{
    grow(p);
    clearBlack(p);
    paintBorder(p, p.node->Section.Frame);
    return 1;
}

int PaintSingleLineItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    const QSize size = MeasureSingleLineText(*rec, client);
    prepareContent(p, size);
    if (!p.picture.isNull()) {
        QPainter dc(&p.picture);
        DrawSingleLineText(*rec, dc, QRect(0, 0, size.width(), size.height()));
    }
    trimContentHeight(p);
    return 1;
}

int PaintRichTextItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    QTextDocument doc;
    const QSize size = layoutRichText(*rec, sorvane::render::LocalClientRect(p.node).width(), doc);
    prepareContent(p, size);
    if (!p.picture.isNull()) {
        QPainter dc(&p.picture);
        drawRichText(doc, dc, size, QRect(QPoint(0, 0), size));
    }
    trimContentHeight(p);
    return 1;
}

int PaintPictureItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    prepareContent(p, client.size());
    // The preview shows frame 0 only.
    const auto image = SharedFirstFrame(PictureRecordPath(*rec));
    ImageEx::DrawPictureInMode(image->frame, p.picture, QRect(0, 0, client.width(), client.height()),
                               rec->get(picture::Mode));
    trimContentHeight(p);
    return 1;
}

int PaintTableItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QByteArray& stream = rec->memFile();
    const sorvane::render::TableItemPicture table = sorvane::render::RenderTableItem(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(stream.constData()), static_cast<std::size_t>(stream.size())));
    prepareContent(p, QSize(table.contentWidth, table.contentHeight));
    if (!p.picture.isNull() && !table.image.isNull()) {
        QPainter dc(&p.picture);
        dc.drawImage(0, 0, table.image);
    }
    // A table keeps its whole height: no trim.
    return 1;
}

int PaintTextGifItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    prepareContent(p, client.size());
    ::render::TextCartoon cartoon(client.width(), client.height());
    cartoon.SetText(rec->text());
    cartoon.SetEffect(rec->get(textgif::Effect));
    p.values.frameCount = static_cast<std::uint32_t>(cartoon.FrameCount());
    // The preview shows where the effect ends.
    if (!p.picture.isNull())
        cartoon.DrawFrame(p.picture, cartoon.FrameCount());
    trimContentHeight(p);
    return 1;
}

int PaintAnalogClockItem(Painting& p)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    prepareContent(p, client.size());
    if (!p.picture.isNull() && !client.isEmpty()) {
        const sorvane::render::ClockNow now = sorvane::render::LocalClockNow();
        const int w = client.width(), h = client.height();
        sorvane::render::DrawAnalogFace(p.picture, *rec, 0, 0, w, h, false, now, CurrentLanguage());
        QPainter dc(&p.picture);
        sorvane::render::DrawClockHands(dc, *rec, 0, 0, w, h, now);
    }
    trimContentHeight(p);
    return 1;
}

namespace {

// What the digital clock and the counter share: the text measured at the
// current time in the record's font, drawn into the content picture.
template <typename FontField, typename Measure, typename Draw>
int paintTimedText(Painting& p, FontField fontField, Measure measure, Draw draw)
{
    const ItemRecord* rec = p.record;
    if (!rec)
        return 0;
    const QRect client = sorvane::render::LocalClientRect(p.node);
    const sorvane::render::ClockNow now = sorvane::render::LocalClockNow();
    const int lang = CurrentLanguage();
    const QFont font = platform::FontFromLogFont(rec->get(fontField));
    const QSize size = measure(client, *rec, font, now, lang);
    prepareContent(p, size);
    if (!p.picture.isNull())
        draw(p.picture, client, size, *rec, font, now, lang);
    trimContentHeight(p);
    return 1;
}

} // namespace

int PaintDigitalClockItem(Painting& p)
{
    return paintTimedText(p, sorvane::render::clockdigit::TextFont, sorvane::render::MeasureDigitalClock,
                          [](QImage& picture, const QRect&, QSize size, const ItemRecord& rec, const QFont& font,
                             const sorvane::render::ClockNow& now, int lang) {
                              sorvane::render::DrawDigitalClock(picture, QRect(QPoint(0, 0), size), rec, font, now, lang,
                                                       false);
                          });
}

int PaintCounterItem(Painting& p)
{
    // The counter is drawn over the whole client area, whatever it measured.
    return paintTimedText(p, sorvane::render::counter::TextFont, sorvane::render::MeasureCounter,
                          [](QImage& picture, const QRect& client, QSize, const ItemRecord& rec, const QFont& font,
                             const sorvane::render::ClockNow& now, int lang) {
                              sorvane::render::DrawCounter(picture, QRect(QPoint(0, 0), client.size()), rec, font, now, lang,
                                                  false);
                          });
}

struct PagedContent::Impl {
    sorvane::model::PagedDraw draw = sorvane::model::PagedDraw::None;
    const ItemRecord* rec = nullptr;
    QSize size;
    std::unique_ptr<QTextDocument> doc;
    std::unique_ptr<TableItemDrawer> table;
};

PagedContent::PagedContent(const tagItemData* item) : PagedContent(item, PaintedValuesOf(item)) {}

PagedContent::PagedContent(const tagItemData* item, const PaintedValues& painted) : m(std::make_unique<Impl>())
{
    m->draw = sorvane::model::itemKind(item->Item.TypeCode).paged;
    m->rec = item->Item.TypeRecord;
    m->size = QSize(static_cast<int>(std::min<std::uint32_t>(painted.contentW, 0x7FFFFFFF)),
                    static_cast<int>(std::min<std::uint32_t>(painted.contentH, 0x7FFFFFFF)));
    if (!m->rec)
        return;
    if (m->draw == sorvane::model::PagedDraw::RichText) {
        m->doc = std::make_unique<QTextDocument>();
        // Laid out again as the painter did; the painter's measure stands.
        layoutRichText(*m->rec, LocalClientRect(item).width(), *m->doc);
    } else if (m->draw == sorvane::model::PagedDraw::Table) {
        const QByteArray& stream = m->rec->memFile();
        m->table = std::make_unique<TableItemDrawer>(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(stream.constData()), static_cast<std::size_t>(stream.size())));
    }
}

PagedContent::~PagedContent() = default;

bool PagedContent::ok() const
{
    switch (m->draw) {
    case sorvane::model::PagedDraw::SingleLine:
        return m->rec != nullptr;
    case sorvane::model::PagedDraw::RichText:
        return m->doc != nullptr;
    case sorvane::model::PagedDraw::Table:
        return m->table != nullptr;
    case sorvane::model::PagedDraw::None:
        break;
    }
    return false;
}

void PagedContent::draw(QImage& target, const QRect& window) const
{
    if (!ok() || target.isNull())
        return;
    QPainter p(&target);
    p.setClipRect(QRect(QPoint(0, 0), window.size()));
    p.translate(-window.x(), -window.y());
    switch (m->draw) {
    case sorvane::model::PagedDraw::SingleLine:
        DrawSingleLineText(*m->rec, p, QRect(QPoint(0, 0), m->size));
        break;
    case sorvane::model::PagedDraw::RichText:
        drawRichText(*m->doc, p, m->size, window);
        break;
    case sorvane::model::PagedDraw::Table:
        m->table->draw(p);
        break;
    case sorvane::model::PagedDraw::None:
        break;
    }
}

} // namespace sorvane::render
