#include "core/render/ContentCompiler.h"
#include "core/model/ItemData.h"
#include "core/model/Tree.h"
#include "core/model/CoreState.h"
#include "platform/Event.h"
#include "core/model/Utilities.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockPaint.h"
#include "core/render/DeviceRecords.h"
#include "core/render/FontMap.h"
#include "core/render/FrameRender.h"
#include "core/render/ImageEx.h"
#include "core/render/NodeArea.h"
#include "core/render/PixelConvert.h"
#include "core/api/TextCartoon.h"
#include "core/api/WorkMode.h"
#include "platform/ByteIO.h"

#include <QPainter>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>

using namespace sorvane::model;

using bytes::put16;
using bytes::put32;
using bytes::put8;

namespace {

enum Slot { A = 0, B = 1, C = 2, D = 3 };

// Largest slot and block we build: offsets in the records are 32-bit.
constexpr std::uint64_t kMaxBytes = 0x7FFFFFFFu;

// Offsets of the analog clock record that count from its own start: three
// tables of 60 hand lists and the trailer's.
constexpr std::size_t ANALOG_OFFSETS = 181;

std::vector<std::uint8_t>& slot(tagItemData* n, Slot s) { return n->Compiled[s].Buffer; }
std::size_t len(const tagItemData* n, Slot s) { return n->Compiled[s].Buffer.size(); }

void freeSlots(tagItemData* node)
{
    ForEachNode(node, [](tagItemData* n) {
        for (auto& s : n->Compiled)
            std::vector<std::uint8_t>().swap(s.Buffer);
    });
}

template <class F>
void forEachChild(tagItemData* n, F f)
{
    for (tagItemData* c = n ? n->FirstChild : nullptr; c; c = c->NextSibling)
        f(c);
}

// Sections of a scene that hold at least one item.
int CountValidItems(const tagItemData* scene) { return CountValidChildren(scene); }

bool hasBorder(const tagItemData* node)
{
    const DynFrame* f = node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
    return f && f->Width != 0 && f->First != nullptr;
}

// How the screen's LEDs show a border's colours.
render::LedQuantiser ledQuantiser(const tagItemData* screen)
{
    const ChannelThresholds t = ThresholdsFor(LookupWorkMode(screen->Global.Type).ColourCount, ColourThreshold());
    render::LedQuantiser q;
    q.Red = static_cast<int>(t.Red);
    q.Green = static_cast<int>(t.Green);
    q.Blue = static_cast<int>(t.Blue);
    q.SwapRedGreen = screen->Global.SwapRedGreen != 0;
    return q;
}

// The "fram" record of a scene's or section's border over its rectangle.
std::vector<std::uint8_t> borderRecord(tagItemData* node, const render::LedQuantiser& leds)
{
    const DynFrame* f = node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
    if (!f)
        return {};
    return render::BuildFrameRecord(*f, render::NodeRect(node), leds);
}

unsigned ceilDiv(std::uint64_t a, std::uint64_t b) { return static_cast<unsigned>((a + b - 1) / b); }

// A cancelled transfer also stops its compile. The event is left set, so
// that the transfer still sees it and reports the cancel.
bool cancelled()
{
    const platform::AutoResetEvent* e = CancelEvent();
    return e && e->isSet();
}

struct Ctx {
    tagItemData* screen = nullptr;
    int screenH = 0;
    std::uint16_t mode = 0, scan = 0;
    bool swap = false;
    tagItemData* global = nullptr;   // the first scene when it is the global scene
};

LedModeParams params(const Ctx& c, unsigned width, bool positive)
{
    return MakeLedModeParams(c.mode, c.scan, c.swap, width, positive);
}

// Pages of one node: each call renders one work bitmap and appends its page.
class PageWriter {
public:
    PageWriter(const Ctx& c, unsigned areaWidth) : m_p(params(c, areaWidth, false)), m_len(PageLength(m_p))
    {
        m_work = QImage(m_p.Width, c.screenH, QImage::Format_RGB32);
    }
    bool ok() const { return m_len > 0 && !m_work.isNull(); }
    std::size_t pageLength() const { return m_len; }
    QImage& work() { return m_work; }
    void reserve(std::vector<std::uint8_t>& out, std::uint64_t pages) { out.reserve(static_cast<std::size_t>(pages * m_len)); }
    void append(std::vector<std::uint8_t>& out)
    {
        const std::size_t at = out.size();
        out.resize(at + m_len);
        ConvertImage(m_work, m_p, out.data() + at);
    }

private:
    LedModeParams m_p;
    std::size_t m_len;
    QImage m_work;
};

void copyWindow(QImage& work, const QImage& src, const QRect& from, int top)
{
    work.fill(Qt::black);
    QPainter p(&work);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, top), src, from);
}

bool isPaged(std::uint16_t t) { return t == IT_SINGLELINE || t == IT_TEXT || t == IT_GRID; }

// Animated text: every frame of the effect, the whole run repeated as the
// record says.
bool textGifPages(tagItemData* item, PageWriter& w, const QRect& area, std::vector<std::uint8_t>& out)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    if (!rec)
        return true;
    const int cw = std::max<int>(1, static_cast<int>(std::min<std::uint32_t>(item->Item.ContentW, 0x7FFF)));
    const int ch = std::max<int>(1, static_cast<int>(std::min<std::uint32_t>(item->Item.ContentH, 0x7FFF)));
    render::TextCartoon cartoon(cw, ch);
    cartoon.SetText(rec->text());
    cartoon.SetEffect(rec->get(records::textgif::Effect));
    // An item never painted has no count yet: the effect's own count stands in.
    std::uint32_t frames = rec->get(records::textgif::FrameCount);
    if (frames == 0)
        frames = static_cast<std::uint32_t>(cartoon.FrameCount());
    const std::uint64_t runs = std::uint64_t(rec->get(records::textgif::Repeat)) + 1;
    if (std::uint64_t(frames) * runs * w.pageLength() > kMaxBytes)
        return false;
    const std::size_t start = out.size();
    w.reserve(out, frames * runs);
    QImage content(cw, ch, QImage::Format_RGB32);
    const QRect target(0, area.top(), area.width(), area.height());
    for (std::uint32_t k = 1; k <= frames; ++k) {
        if (cancelled())
            return false;
        content.fill(Qt::black);
        cartoon.DrawFrame(content, static_cast<int>(k));
        w.work().fill(Qt::black);
        QPainter p(&w.work());
        p.drawImage(target, content);
        p.end();
        w.append(out);
    }
    // The repeats are the same frames again, copied after them (not inserted
    // from the vector into itself).
    const std::size_t once = out.size() - start;
    out.resize(start + once * static_cast<std::size_t>(runs));
    for (std::uint64_t r = 1; r < runs; ++r)
        std::memcpy(out.data() + start + r * once, out.data() + start, once);
    return true;
}

// Digital clocks and counters in device mode: only the characters that never
// change, the controller draws the digits. Wide texts page across the area.
bool clockPages(tagItemData* item, PageWriter& w, const QRect& area, std::vector<std::uint8_t>& out)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    const std::uint16_t type = item->Item.TypeCode;
    const bool clock = type == IT_CLOCKDIGIT;
    const unsigned fx = item->InEffect;
    const bool across = clock ? fx == 45 : fx == 67 || fx == 77;
    const bool centred = clock ? fx == 46 : fx == 68 || fx == 78;
    const int aw = area.width();
    const int cw = static_cast<int>(std::clamp<std::uint32_t>(item->Item.ContentW, 1, 0x7FFF));
    const int ch = static_cast<int>(std::clamp<std::uint32_t>(item->Item.ContentH, 1, 0x7FFF));
    const unsigned pages = across ? ceilDiv(std::uint32_t(cw), std::uint32_t(aw)) : 1;
    if (std::uint64_t(pages) * w.pageLength() > kMaxBytes)
        return false;
    const QFont font = rec ? FontFromLogFont(rec->get(clock ? render::clockdigit::TextFont : render::counter::TextFont)) : QFont();
    const render::ClockNow now = render::LocalClockNow();
    const int lang = CurrentLanguage();
    const int left = centred ? (aw - cw) / 2 : 0;
    w.reserve(out, pages);
    for (unsigned page = 0; page < pages; ++page) {
        if (cancelled())
            return false;
        w.work().fill(Qt::black);
        const QRect rect(left - int(page) * aw, area.top(), cw, ch);
        if (rec && clock)
            render::DrawDigitalClock(w.work(), rect, *rec, font, now, lang, true);
        else if (rec)
            render::DrawCounter(w.work(), rect, *rec, font, now, lang, true);
        w.append(out);
    }
    return true;
}

// Pages an item's pass 1 will make, counted before anything is rendered.
std::uint64_t plannedPages(tagItemData* item)
{
    const QRect area = render::NodeClientRect(item);
    if (area.width() <= 0 || area.height() <= 0)
        return 0;
    const std::uint16_t type = item->Item.TypeCode;
    const ItemRecord* rec = item->Item.TypeRecord;
    const unsigned aw = static_cast<unsigned>(area.width()), ah = static_cast<unsigned>(area.height());
    if (isPaged(type)) {
        const std::uint64_t across = item->Item.ContentW ? ceilDiv(item->Item.ContentW, aw) : 1;
        const std::uint64_t down = item->Item.ContentH ? ceilDiv(item->Item.ContentH, ah) : 1;
        return across * down;   // an upper bound: single-row items page across only
    }
    switch (type) {
    case IT_IMAGE:
    case IT_CLOCKSIMUL:
        return 1;
    case IT_GIF:
        return std::max<std::uint32_t>(1, PictureFileFrameCount(rec ? PictureRecordPath(*rec) : QString()));
    case IT_TEXTGIF:
        return rec ? std::uint64_t(rec->get(records::textgif::FrameCount)) * (std::uint64_t(rec->get(records::textgif::Repeat)) + 1) : 0;
    case IT_CLOCKDIGIT:
    case IT_COUNT:
    case IT_COUNT2:
        return std::max<std::uint32_t>(1, ceilDiv(std::max<std::uint32_t>(1, item->Item.ContentW), aw));
    default:
        return 0;
    }
}

// The bytes pass 1 will make for the whole screen, so that a screen too
// large to hold is refused before any page is built.
std::uint64_t plannedPageBytes(const Ctx& c)
{
    std::uint64_t total = 0;
    forEachChild(c.screen, [&](tagItemData* scene) {
        if (scene->Scene.PicturePresent != 0)
            total += PageLength(params(c, static_cast<unsigned>(std::max(0, render::ScreenSize(scene).width())), false));
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                const QRect area = render::NodeClientRect(item);
                if (area.width() <= 0)
                    return;
                const std::uint64_t page = PageLength(params(c, static_cast<unsigned>(area.width()), false));
                const std::uint64_t pages = plannedPages(item);
                total = pages > (kMaxBytes + 1) / std::max<std::uint64_t>(page, 1) ? kMaxBytes + 1
                                                                                     : std::min(kMaxBytes + 1, total + pages * page);
            });
        });
    });
    return total;
}

// Pass 1 for an item. False when its pages could not be held.
bool itemPages(const Ctx& c, tagItemData* item)
{
    auto& out = slot(item, A);
    const QRect area = render::NodeClientRect(item);
    if (area.width() <= 0 || area.height() <= 0 || c.screenH <= 0)
        return true;
    const std::uint16_t type = item->Item.TypeCode;
    const ItemRecord* rec = item->Item.TypeRecord;
    if (!isPaged(type) && type != IT_IMAGE && type != IT_GIF && type != IT_TEXTGIF && type != IT_CLOCKSIMUL
        && type != IT_CLOCKDIGIT && type != IT_COUNT && type != IT_COUNT2)
        return true;
    PageWriter w(c, static_cast<unsigned>(area.width()));
    if (!w.ok())
        return w.pageLength() == 0;
    const unsigned aw = static_cast<unsigned>(area.width()), ah = static_cast<unsigned>(area.height());

    if (isPaged(type)) {
        const unsigned across = item->Item.ContentW ? ceilDiv(item->Item.ContentW, aw) : 1;
        bool singleRow = false;
        if (rec && type == IT_SINGLELINE)
            singleRow = rec->get(records::singleline::SingleRow) != 0;
        else if (rec && type == IT_TEXT)
            singleRow = rec->get(records::richtext::SingleRow) != 0;
        const unsigned down = singleRow || item->Item.ContentH == 0 ? 1 : ceilDiv(item->Item.ContentH, ah);
        const std::uint64_t pages = std::uint64_t(across) * down;
        if (pages * w.pageLength() > kMaxBytes)
            return false;
        w.reserve(out, pages);
        for (const auto& [px, py] : PageOrder(across, down, item->InEffect)) {
            if (cancelled())
                return false;
            copyWindow(w.work(), item->Preview, QRect(int(px * aw), int(py * ah), int(aw), int(ah)), area.top());
            w.append(out);
        }
    } else if (type == IT_IMAGE) {
        copyWindow(w.work(), item->Preview, QRect(0, 0, int(aw), int(ah)), area.top());
        w.append(out);
    } else if (type == IT_TEXTGIF) {
        return textGifPages(item, w, area, out);
    } else if (type == IT_CLOCKSIMUL) {
        w.work().fill(Qt::black);
        if (rec)
            render::DrawAnalogFace(w.work(), *rec, 0, area.top(), int(aw), int(ah), true, render::LocalClockNow(),
                                   CurrentLanguage());
        w.append(out);
    } else if (type == IT_CLOCKDIGIT || type == IT_COUNT || type == IT_COUNT2) {
        return clockPages(item, w, area, out);
    } else {   // GIF
        // The file says how many frames there are; a stored count may be stale or damaged.
        const QString path = rec ? PictureRecordPath(*rec) : QString();
        const std::uint32_t frames = std::max<std::uint32_t>(1, PictureFileFrameCount(path));
        if (std::uint64_t(frames) * w.pageLength() > kMaxBytes)
            return false;
        const int mode = rec ? rec->get(records::picture::Mode) : 0;
        const QRect target(0, area.top(), int(aw), int(ah));
        PictureFrameStream stream(path);
        QImage frame, first;
        w.reserve(out, frames);
        for (std::uint32_t n = 0; n < frames; ++n) {
            if (cancelled())
                return false;
            // A frame that cannot be read draws frame 0, as a frame past the end does.
            if (!stream.next(frame))
                frame = first;
            if (n == 0)
                first = frame;
            w.work().fill(Qt::black);
            ImageEx::DrawPictureInMode(frame, w.work(), target, mode);
            w.append(out);
        }
    }
    return true;
}

bool scenePages(const Ctx& c, tagItemData* scene)
{
    auto& out = slot(scene, A);
    if (scene->Scene.PicturePresent == 0)
        return true;
    const QSize screen = render::ScreenSize(scene);
    if (screen.width() <= 0 || c.screenH <= 0)
        return true;
    PageWriter w(c, static_cast<unsigned>(screen.width()));
    if (!w.ok())
        return w.pageLength() == 0;
    w.work().fill(Qt::black);
    const ImageEx image(WidePathField(scene->Scene.PicturePath, 260), 0);
    image.DrawInMode(w.work(), render::NodeClientRect(scene), scene->Scene.PictureMode, 0);
    w.append(out);
    return true;
}

// Pass 3: a white node area with the areas lying on top of it in black,
// worked out from the rectangles rather than drawn.
std::vector<std::uint8_t> maskOf(const Ctx& c, const QRect& area, const std::vector<QRect>& covers, int origin)
{
    if (area.width() <= 0 || c.screenH <= 0)
        return {};
    const LedModeParams p = params(c, static_cast<unsigned>(area.width()), true);
    std::vector<QRect> shifted;
    shifted.reserve(covers.size());
    for (const QRect& r : covers)
        shifted.push_back(r.translated(-origin, 0));
    return MaskRunsOfRects(p, c.screenH, area.translated(-origin, 0), shifted);
}

std::vector<QRect> globalCovers(const Ctx& c, const tagItemData* scene)
{
    std::vector<QRect> out;
    if (c.global && scene != c.global)
        forEachChild(c.global, [&](tagItemData* s) {
            if (s->FirstChild)
                out.push_back(render::NodeRect(s));
        });
    return out;
}

std::uint8_t sectionReservedByte(const tagItemData* section)
{
    std::uint8_t block[SECTION_BLOCK_SIZE];
    WriteSectionBlock(*section, block);
    return block[20];
}

} // namespace

std::vector<std::pair<unsigned, unsigned>> PageOrder(unsigned across, unsigned down, unsigned inEffect)
{
    std::vector<std::pair<unsigned, unsigned>> out;
    out.reserve(std::size_t(across) * down);
    switch (inEffect) {
    case 2:
        for (unsigned y = 0; y < down; ++y)
            for (unsigned x = across; x-- > 0;)
                out.emplace_back(x, y);
        break;
    case 3:
        for (unsigned x = 0; x < across; ++x)
            for (unsigned y = 0; y < down; ++y)
                out.emplace_back(x, y);
        break;
    case 4:
        for (unsigned x = 0; x < across; ++x)
            for (unsigned y = down; y-- > 0;)
                out.emplace_back(x, y);
        break;
    default:
        for (unsigned y = 0; y < down; ++y)
            for (unsigned x = 0; x < across; ++x)
                out.emplace_back(x, y);
        break;
    }
    return out;
}

std::vector<std::uint8_t> BuildScheduleRecord(const tagItemData* scene)
{
    std::vector<std::uint8_t> r(36, 0);
    std::uint8_t block[SCENE_BLOCK_SIZE];
    WriteSceneBlock(*scene, block);
    std::memcpy(r.data(), "stmr", 4);
    put16(r.data(), 4, 3);
    put16(r.data(), 6, 36);
    std::memcpy(r.data() + 8, block + (864 - LEVEL_BLOCK_OFFSET), 4);    // flags byte and the three after it
    put32(r.data(), 12, scene->Scene.ScheduleDate);
    std::memcpy(r.data() + 16, block + (872 - LEVEL_BLOCK_OFFSET), 4);   // weekday byte and the three after it
    put16(r.data(), 20, scene->Scene.StartTime);
    put16(r.data(), 22, scene->Scene.EndTime);
    return r;
}

std::vector<std::uint8_t> BuildPagedHeader(const tagItemData* item, unsigned areaW, unsigned areaH,
                                           std::uint32_t pageLength)
{
    std::vector<std::uint8_t> r(52, 0);
    std::uint8_t* p = r.data();
    const std::uint32_t cw = item->Item.ContentW ? item->Item.ContentW : 1;
    const std::uint32_t ch = item->Item.ContentH ? item->Item.ContentH : 1;
    // The two page counts are 16-bit fields computed in 16 bits, as controllers expect.
    const std::uint16_t across = static_cast<std::uint16_t>(((areaW + cw - 1) & 0xFFFFu) / areaW);
    const std::uint16_t down = static_cast<std::uint16_t>(((areaH + ch - 1) & 0xFFFFu) / areaH);
    const unsigned fx = item->InEffect;
    put32(p, 0, fx == 1 || fx == 2 ? across : fx == 3 || fx == 4 ? down : 1u);
    put32(p, 4, pageLength);
    put32(p, 8, fx == 1 || fx == 2 ? areaW : fx == 3 || fx == 4 ? areaH : 0u);
    put16(p, 12, across);
    put16(p, 14, down);
    std::memcpy(p + 16, "cler", 4);
    put8(p, 20, item->Item.OutEffect);
    put16(p, 24, item->Item.OutSpeed);
    std::memcpy(p + 40, "posn", 4);
    put16(p, 48, static_cast<std::uint16_t>(item->Item.ContentW));
    put16(p, 50, static_cast<std::uint16_t>(item->Item.ContentH));
    return r;
}

std::vector<std::uint8_t> BuildTextGifHeader(const tagItemData* item, std::uint32_t pagesLength,
                                             std::uint32_t pageLength)
{
    const std::uint32_t n = pageLength ? pagesLength / pageLength : 0;
    std::vector<std::uint8_t> r(16 + 4 * std::size_t(n), 0);
    put32(r.data(), 0, n);
    put32(r.data(), 4, pageLength);
    put32(r.data(), 8, 1);
    put32(r.data(), 12, 1);
    const ItemRecord* rec = item->Item.TypeRecord;
    const std::uint32_t delay = rec ? rec->get(records::textgif::Delay) : 0;
    for (std::uint32_t i = 0; i < n; ++i)
        put32(r.data(), 16 + 4 * std::size_t(i), delay);
    return r;
}

// The records a controller keeps clocks and counters running with; empty
// for a digital clock in a language without a layout.
std::vector<std::uint8_t> BuildClockDeviceRecord(const tagItemData* item, const QRect& client, bool swap)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    if (!rec)
        return {};
    const render::ClockNow now = render::LocalClockNow();
    const int lang = CurrentLanguage();
    const auto glyphsOf = [](const LOGFONT& lf) {
        return [lf](const QString& c) {
            std::vector<std::uint8_t> bits;
            RenderTextBitmap(c, lf, &bits);
            return bits;
        };
    };
    const std::uint16_t contentW = static_cast<std::uint16_t>(std::min<std::uint32_t>(item->Item.ContentW, 0xFFFF));
    switch (item->Item.TypeCode) {
    case IT_CLOCKDIGIT: {
        const LOGFONT lf = rec->get(render::clockdigit::TextFont);
        const auto cells = render::CollectClockCells(client, *rec, FontFromLogFont(lf), now, lang);
        return render::BuildDigitalClockRecord(*rec, render::ClockLayoutFor(lang), cells, 0, contentW, swap,
                                               glyphsOf(lf));
    }
    case IT_COUNT:
    case IT_COUNT2: {
        const LOGFONT lf = rec->get(render::counter::TextFont);
        const auto cells = render::CollectCounterCells(client, *rec, FontFromLogFont(lf), now, lang);
        const std::int64_t span =
            render::CounterSpanSeconds(rec->get(render::counter::Target), rec->get(render::counter::CountMode), now);
        const std::uint32_t units = rec->get(render::counter::Units);
        const std::uint32_t mask =
            render::CounterCellMask(units, render::CounterDigitCounts(render::CounterCellSpan(*rec, span), units));
        return render::BuildCounterRecord(*rec, cells, mask, contentW, swap, glyphsOf(lf));
    }
    case IT_CLOCKSIMUL: {
        std::vector<std::uint8_t> date;
        const render::ClockLayout layout = render::ClockLayoutFor(lang);
        if (layout != render::ClockLayout::None) {
            const auto band = render::MakeDateBandRecord(*rec);
            const LOGFONT lf = band->get(render::clockdigit::TextFont);
            const int h = client.height();
            const QRect bandRect(client.left(), client.top() + h * 17 / 32, client.width(), h * 30 / 32 - h * 17 / 32);
            const auto cells = render::CollectClockCells(bandRect, *band, FontFromLogFont(lf), now, lang);
            date = render::BuildDigitalClockRecord(*band, layout, cells, bandRect.top() - client.top(), 0, false,
                                                   glyphsOf(lf));
        }
        return render::BuildAnalogClockRecord(*rec, client.width(), client.height(), swap, date);
    }
    default:
        return {};
    }
}

// The analog record's own offsets count from its start; in the program data
// they count from the block's start.
void RelocateAnalogRecord(std::vector<std::uint8_t>& record, std::uint32_t at)
{
    if (record.size() < 4 * ANALOG_OFFSETS)
        return;
    for (std::size_t i = 0; i < ANALOG_OFFSETS; ++i)
        put32(record.data(), 4 * i, bytes::get32(record.data(), 4 * i) + at);
}

std::vector<std::uint8_t> BuildPictureHeader(const tagItemData* item, std::uint32_t pageLength)
{
    std::vector<std::uint8_t> r(52, 0);
    put32(r.data(), 0, 1);
    put32(r.data(), 4, pageLength);
    std::memcpy(r.data() + 16, "cler", 4);
    put8(r.data(), 20, item->Item.OutEffect);
    put16(r.data(), 24, item->Item.OutSpeed);
    return r;
}

std::vector<std::uint8_t> BuildFrameDelayHeader(const tagItemData* item, std::uint32_t pagesLength,
                                                std::uint32_t pageLength)
{
    const std::uint32_t n = pageLength ? pagesLength / pageLength : 0;
    std::vector<std::uint8_t> r(16 + 4 * std::size_t(n), 0);
    put32(r.data(), 0, n);
    put32(r.data(), 4, pageLength);
    put32(r.data(), 8, 1);
    put32(r.data(), 12, 1);
    const ItemRecord* rec = item->Item.TypeRecord;
    // The record holds 4096 delays; frames past them get 0.
    for (std::uint32_t i = 0; rec && i < n && i < records::picture::Delays.Count; ++i)
        put32(r.data(), 16 + 4 * std::size_t(i), rec->get(records::picture::Delays[i]));
    return r;
}

namespace {
int compileScreen(tagItemData* node);
}

int CContentCompiler::Compile(tagItemData* node)
{
    try {
        return compileScreen(node);
    } catch (...) {
        // Out of memory on a large screen: nothing half-built is left behind.
        FreeBuffers(node);
        return 0;
    }
}

namespace {

int compileScreen(tagItemData* node)
{
    Ctx c;
    c.screen = GetScreenOf(node);
    if (!c.screen)
        return 0;
    const tagGlobalInfo& g = c.screen->Global;
    const LedWorkMode wm = LookupWorkMode(g.Type);
    const std::uint32_t product = std::uint32_t(g.ScanMode) * wm.RowFold;
    if (product == 0 || product > 16) {
        freeSlots(c.screen);
        return 0;
    }
    c.mode = g.Type;
    c.scan = g.ScanMode;
    c.swap = g.SwapRedGreen != 0;
    c.screenH = g.Height;
    if (IsGlobalSceneNode(c.screen->FirstChild))
        c.global = c.screen->FirstChild;
    freeSlots(c.screen);

    if (plannedPageBytes(c) > kMaxBytes) {
        freeSlots(c.screen);
        return 0;
    }
    bool ok = true;
    // Pass 1: content pages.
    forEachChild(c.screen, [&](tagItemData* scene) {
        ok = ok && scenePages(c, scene);
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) { ok = ok && itemPages(c, item); });
        });
    });
    if (!ok) {
        freeSlots(c.screen);
        return 0;
    }

    // Pass 2: device records.
    const render::LedQuantiser leds = ledQuantiser(c.screen);
    forEachChild(c.screen, [&](tagItemData* scene) {
        auto& d = slot(scene, D);
        if (scene->Scene.Schedule != 0)
            d = BuildScheduleRecord(scene);
        const auto border = borderRecord(scene, leds);
        d.insert(d.end(), border.begin(), border.end());
        forEachChild(scene, [&](tagItemData* section) {
            slot(section, C) = borderRecord(section, leds);
            forEachChild(section, [&](tagItemData* item) {
                const QRect area = render::NodeClientRect(item);
                if (area.width() <= 0 || area.height() <= 0)
                    return;
                const std::uint32_t pageLen = static_cast<std::uint32_t>(
                    PageLength(params(c, static_cast<unsigned>(area.width()), false)));
                const std::uint16_t type = item->Item.TypeCode;
                auto& b = slot(item, B);
                if (isPaged(type))
                    b = BuildPagedHeader(item, unsigned(area.width()), unsigned(area.height()), pageLen);
                else if (type == IT_IMAGE)
                    b = BuildPictureHeader(item, pageLen);
                else if (type == IT_GIF)
                    b = BuildFrameDelayHeader(item, static_cast<std::uint32_t>(len(item, A)), pageLen);
                else if (type == IT_TEXTGIF)
                    b = BuildTextGifHeader(item, static_cast<std::uint32_t>(len(item, A)), pageLen);
                else if (type == IT_CLOCKSIMUL || type == IT_CLOCKDIGIT || type == IT_COUNT || type == IT_COUNT2)
                    b = BuildClockDeviceRecord(item, area, c.swap);
                else
                    b.assign(4, 0);
            });
        });
    });

    // Pass 3: masks.
    forEachChild(c.screen, [&](tagItemData* scene) {
        std::vector<QRect> covers = globalCovers(c, scene);
        forEachChild(scene, [&](tagItemData* s) {
            if (s->FirstChild)
                covers.push_back(render::NodeRect(s));
        });
        slot(scene, B) = maskOf(c, render::NodeRect(scene), covers, 0);
        forEachChild(scene, [&](tagItemData* section) {
            if (!section->FirstChild)
                return;
            std::vector<QRect> over = globalCovers(c, scene);
            for (tagItemData* t = section->NextSibling; t; t = t->NextSibling)
                if (t->FirstChild)
                    over.push_back(render::NodeRect(t));
            // Mask column 0 is the client area's left edge, where the descriptor places the section.
            const QRect client = render::NodeClientRect(section);
            slot(section, A) = maskOf(c, client, over, client.left());
        });
    });

    // Totals that every offset builds on; all must fit the 32-bit fields.
    std::uint64_t sceneData = 0, sectionData = 0, itemData = 0, sceneMasks = 0, sectionMasks = 0;
    forEachChild(c.screen, [&](tagItemData* scene) {
        sceneData += len(scene, A) + len(scene, D);
        sceneMasks += len(scene, B);
        forEachChild(scene, [&](tagItemData* section) {
            sectionData += len(section, C);
            sectionMasks += len(section, A);
            forEachChild(section, [&](tagItemData* item) { itemData += len(item, A) + len(item, B); });
        });
    });
    if (sceneData + sectionData + itemData > kMaxBytes || sceneMasks + sectionMasks > kMaxBytes) {
        freeSlots(c.screen);
        return 0;
    }

    // Pass 4: item descriptors.
    std::uint64_t at = sceneData + sectionData;
    forEachChild(c.screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                auto& d = slot(item, C);
                d.assign(24, 0);
                put32(d.data(), 0, static_cast<std::uint32_t>(item->PlayTime));
                put8(d.data(), 4, item->InEffect == 79 ? 75 : item->InEffect);
                put16(d.data(), 6, item->InSpeed);
                put32(d.data(), 8, static_cast<std::uint32_t>(at));
                put32(d.data(), 12, static_cast<std::uint32_t>(len(item, A)));
                put32(d.data(), 16, static_cast<std::uint32_t>(at + len(item, A)));
                put32(d.data(), 20, static_cast<std::uint32_t>(len(item, B)));
                if (item->Item.TypeCode == IT_CLOCKSIMUL)
                    RelocateAnalogRecord(slot(item, B), static_cast<std::uint32_t>(at + len(item, A)));
                at += len(item, A) + len(item, B);
            });
        });
    });

    // Pass 5: section descriptors.
    std::uint64_t borderAt = sceneData, maskAt = sceneMasks, mapAt = 0;
    forEachChild(c.screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            unsigned items = 0;
            forEachChild(section, [&](tagItemData*) { ++items; });
            if (section->FirstChild) {
                auto& d = slot(section, B);
                d.assign(64, 0);
                const QRect client = render::NodeClientRect(section);
                put8(d.data(), 0, sectionReservedByte(section));
                put16(d.data(), 4, static_cast<std::uint16_t>(client.left()));
                put16(d.data(), 6, static_cast<std::uint16_t>(client.top()));
                put16(d.data(), 8, static_cast<std::uint16_t>(client.width()));
                put16(d.data(), 10, static_cast<std::uint16_t>(client.height()));
                put32(d.data(), 12, static_cast<std::uint32_t>(borderAt));
                put32(d.data(), 16, static_cast<std::uint32_t>(len(section, C)));
                put32(d.data(), 20, static_cast<std::uint32_t>(maskAt));
                put32(d.data(), 24, static_cast<std::uint32_t>(len(section, A)));
                put32(d.data(), 28, static_cast<std::uint32_t>(mapAt));
                put8(d.data(), 32, static_cast<std::uint8_t>(items));
                put8(d.data(), 34, hasBorder(section) ? 16 : 0);
                put16(d.data(), 38, 64);
            }
            borderAt += len(section, C);
            maskAt += len(section, A);
            mapAt += 24u * items;
        });
    });

    // Pass 6: scene records.
    const std::uint8_t globalCount = c.global ? static_cast<std::uint8_t>(CountValidItems(c.global)) : 0;
    std::vector<tagItemData*> scenes;
    forEachChild(c.screen, [&](tagItemData* s) { scenes.push_back(s); });
    std::vector<std::uint32_t> recordAt(scenes.size() + 1, 0);
    for (std::size_t i = 0; i < scenes.size(); ++i)
        recordAt[i + 1] = recordAt[i] + 56 + 64 * std::max(1, CountValidItems(scenes[i]));
    // The last record links back to the first normal scene (a lone global
    // scene links to itself rather than past the end of the block).
    const std::size_t firstNormal = c.global && scenes.size() > 1 ? 1 : 0;
    std::uint64_t dataAt = 0, sceneMaskAt = 0;
    std::uint32_t globalPagesAt = 0;
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        tagItemData* scene = scenes[i];
        const int own = CountValidItems(scene);
        auto& r = slot(scene, C);
        r.assign(56 + 64 * std::size_t(std::max(1, own)), 0);
        std::uint8_t* p = r.data();
        put32(p, 0, static_cast<std::uint32_t>(scene->PlayTime));
        put16(p, 4, c.screen->Global.Width);
        put16(p, 6, c.screen->Global.Height);
        put32(p, 8, i + 1 < scenes.size() ? recordAt[i + 1] : recordAt[firstNormal]);
        const bool isGlobal = IsGlobalSceneNode(scene);
        if (isGlobal && scene == c.global)
            globalPagesAt = static_cast<std::uint32_t>(dataAt);
        if (isGlobal || scene->Scene.TypeCode == IT_SCENE) {
            std::uint32_t bgAt = static_cast<std::uint32_t>(dataAt);
            std::uint32_t bgLen = static_cast<std::uint32_t>(len(scene, A));
            if (!isGlobal && bgLen == 0 && c.global && c.global->Scene.PicturePresent != 0) {
                bgAt = globalPagesAt;
                bgLen = static_cast<std::uint32_t>(len(c.global, A));
            }
            put32(p, 12, bgAt);
            put32(p, 16, bgLen);
            put32(p, 36, static_cast<std::uint32_t>(dataAt + len(scene, A)));
            put32(p, 40, static_cast<std::uint32_t>(len(scene, D)));
        }
        put32(p, 20, static_cast<std::uint32_t>(sceneMaskAt));
        put32(p, 24, static_cast<std::uint32_t>(len(scene, B)));
        put8(p, 28, isGlobal ? 1 : 0);
        put8(p, 29, static_cast<std::uint8_t>(scene->Scene.DisplayOption | (hasBorder(scene) ? 16 : 0)
                                              | (scene->Scene.Schedule ? 32 : 0)));
        put8(p, 30, static_cast<std::uint8_t>(isGlobal ? own : own + globalCount));
        put8(p, 31, globalCount);
        put16(p, 52, 42500);
        put16(p, 54, 64);
        std::size_t e = 0;
        forEachChild(scene, [&](tagItemData* section) {
            if (section->FirstChild && len(section, B) == 64)
                std::memcpy(p + 56 + 64 * e++, section->Compiled[B].Buffer.data(), 64);
        });
        dataAt += len(scene, A) + len(scene, D);
        sceneMaskAt += len(scene, B);
    }
    return 1;
}

} // namespace

void CContentCompiler::FreeBuffers(tagItemData* node)
{
    if (tagItemData* screen = GetScreenOf(node))
        freeSlots(screen);
}

namespace {

// Visits the slots of one block in block order.
void walkBlock(tagItemData* node, int block, const std::function<void(const std::vector<std::uint8_t>&)>& f)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return;
    switch (block) {
    case 4:
        forEachChild(screen, [&](tagItemData* s) { f(s->Compiled[C].Buffer); });
        break;
    case 3:
        forEachChild(screen, [&](tagItemData* s) {
            forEachChild(s, [&](tagItemData* sec) { forEachChild(sec, [&](tagItemData* it) { f(it->Compiled[C].Buffer); }); });
        });
        break;
    case 2:
        forEachChild(screen, [&](tagItemData* s) { f(s->Compiled[B].Buffer); });
        forEachChild(screen, [&](tagItemData* s) { forEachChild(s, [&](tagItemData* sec) { f(sec->Compiled[A].Buffer); }); });
        break;
    case 1:
        forEachChild(screen, [&](tagItemData* s) {
            f(s->Compiled[A].Buffer);
            f(s->Compiled[D].Buffer);
        });
        forEachChild(screen, [&](tagItemData* s) { forEachChild(s, [&](tagItemData* sec) { f(sec->Compiled[C].Buffer); }); });
        forEachChild(screen, [&](tagItemData* s) {
            forEachChild(s, [&](tagItemData* sec) {
                forEachChild(sec, [&](tagItemData* it) {
                    f(it->Compiled[A].Buffer);
                    f(it->Compiled[B].Buffer);
                });
            });
        });
        break;
    default:
        break;
    }
}

std::size_t blockSize(tagItemData* node, int block)
{
    std::size_t n = 0;
    walkBlock(node, block, [&](const std::vector<std::uint8_t>& b) { n += b.size(); });
    return n;
}

std::size_t copyBlock(tagItemData* node, int block, std::uint8_t* buffer, std::size_t length)
{
    std::size_t n = 0;
    if (!buffer)
        return 0;
    walkBlock(node, block, [&](const std::vector<std::uint8_t>& b) {
        const std::size_t take = std::min(b.size(), length - n);
        if (take) {
            std::memcpy(buffer + n, b.data(), take);
            n += take;
        }
    });
    return n;
}

} // namespace

std::size_t CContentCompiler::GetPageMapSize(tagItemData* node) { return blockSize(node, 4); }
std::size_t CContentCompiler::GetProgramMapSize(tagItemData* node) { return blockSize(node, 3); }
std::size_t CContentCompiler::GetProgramMaskSize(tagItemData* node) { return blockSize(node, 2); }
std::size_t CContentCompiler::GetProgramDataSize(tagItemData* node) { return blockSize(node, 1); }
std::size_t CContentCompiler::CopyPageMap(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, 4, buffer, length);
}
std::size_t CContentCompiler::CopyProgramMap(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, 3, buffer, length);
}
std::size_t CContentCompiler::CopyProgramMask(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, 2, buffer, length);
}
std::size_t CContentCompiler::CopyProgramData(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, 1, buffer, length);
}
