#include "core/render/ContentCompiler.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/api/TextCartoon.h"
#include "core/api/WorkMode.h"
#include "core/model/CoreState.h"
#include "core/model/ItemData.h"
#include "core/model/ItemKinds.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "core/model/Utilities.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockPaint.h"
#include "core/render/DeviceRecords.h"
#include "core/render/FrameRender.h"
#include "core/render/ImageEx.h"
#include "core/render/NodeArea.h"
#include "core/render/Painters.h"
#include "core/render/PixelConvert.h"
#include "core/render/ProgramSchema.h"
#include "platform/ByteIO.h"
#include "platform/Event.h"
#include "platform/FontMap.h"

#include <QFile>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstring>
#include <list>
#include <mutex>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <sys/stat.h>

using namespace sorvane::model;

namespace sorvane::render {

using sorvane::render::program::get;
using sorvane::render::program::put;

namespace {

namespace slot = program::slot;

// Largest slot and block we build: offsets in the records are 32-bit.
constexpr std::uint64_t kMaxBytes = 0x7FFFFFFFu;

using Bytes = std::vector<std::uint8_t>;
using SharedBytes = std::shared_ptr<const Bytes>;
using Slots = std::array<Bytes, 4>;

// A scene's background, an item's pages and header or a mask that may be
// kept for later compiles: the key of what it is made of, and for scenes
// and items what the compile measured for them.
struct KeptPart {
    enum Kind : std::uint8_t { Scene, Item, Mask };
    std::uint32_t number = 0;
    int slot = 0;   // the slot kept: pages or a mask; an item's header too
    Kind kind = Scene;
    Bytes key;
    PaintedValues values;
    std::uint64_t planned = 0;   // the page bytes the refusal rule counts for it
};

// One screen's compile, held by the compile and not by its nodes (a send
// compiles on a worker, and only the interface thread writes the tree):
// each node's four slots by the node's number in the tree's pre-order, and
// each block as the slots it is made of, in block order. A slot taken from
// what was kept, or given to it, is shared rather than the node's own.
struct Result {
    std::unordered_map<const tagItemData*, std::uint32_t> number;
    std::vector<Slots> perNode;
    std::vector<SharedBytes> shared;   // number * 4 + slot
    std::array<std::vector<std::uint32_t>, 4> parts;   // number * 4 + slot
    std::array<std::size_t, 4> sizes{};
    std::vector<KeptPart> keep;   // what may be kept when the compile ends
    unsigned taken = 0, drawn = 0;   // scenes and items taken from what was kept, and made afresh

    std::uint32_t numberOf(const tagItemData* n) const { return number.at(n); }
    // A slot the compile makes itself.
    Bytes& of(const tagItemData* n, int s) { return perNode[numberOf(n)][std::size_t(s)]; }
    const Bytes& part(std::uint32_t p) const { return shared[p] ? *shared[p] : perNode[p / 4][p % 4]; }
    const Bytes* find(const tagItemData* n, int s) const
    {
        const auto it = number.find(n);
        return it == number.end() || s < 0 || s > 3 ? nullptr : &part(it->second * 4 + std::uint32_t(s));
    }
    // Moves a slot the compile made into shared bytes, to be kept.
    void share(std::uint32_t p)
    {
        if (!shared[p])
            shared[p] = std::make_shared<const Bytes>(std::move(perNode[p / 4][p % 4]));
    }
};

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
sorvane::render::LedQuantiser ledQuantiser(const tagItemData* screen, bool swapRedGreen)
{
    const ChannelThresholds t = ThresholdsFor(LookupWorkMode(screen->Global.Type).ColourCount, ColourThreshold());
    sorvane::render::LedQuantiser q;
    q.Red = static_cast<int>(t.Red);
    q.Green = static_cast<int>(t.Green);
    q.Blue = static_cast<int>(t.Blue);
    q.SwapRedGreen = swapRedGreen;
    return q;
}

// The "fram" record of a scene's or section's border over its rectangle.
std::vector<std::uint8_t> borderRecord(tagItemData* node, const sorvane::render::LedQuantiser& leds)
{
    const DynFrame* f = node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
    if (!f)
        return {};
    return sorvane::render::BuildFrameRecord(*f, sorvane::render::NodeRect(node), leds);
}

unsigned ceilDiv(std::uint64_t a, std::uint64_t b) { return static_cast<unsigned>((a + b - 1) / b); }

// A cancelled transfer also stops its compile. The event is left set, so
// that the transfer still sees it and reports the cancel.
bool cancelled()
{
    const platform::AutoResetEvent* e = CancelEvent();
    return e && e->isSet();
}

// A node as the compile sees it: what painting set, taken once, and for the
// items whose pages come from their pictures the picture when the compile
// painted it itself and had room to keep it.
struct Seen {
    PaintedValues values;
    QImage picture;
    bool taken = false;   // its output comes from what was kept
    std::optional<std::uint64_t> planned;
};

struct Ctx {
    tagItemData* screen = nullptr;
    int screenH = 0;
    std::uint16_t mode = 0, scan = 0;
    bool swap = false;
    tagItemData* global = nullptr;   // the first scene when it is the global scene
    Result* out = nullptr;   // what the compile makes; every node numbered
    // Every node's by its number, filled before any page is drawn; a kept
    // picture is taken out when its pages are made.
    mutable std::vector<Seen> seen;
    std::vector<std::uint8_t> common;   // what every kept part of the compile is keyed with

    const PaintedValues& painted(const tagItemData* n) const { return seen[out->numberOf(n)].values; }
};

std::vector<std::uint8_t>& slotOf(const Ctx& c, const tagItemData* n, int s) { return c.out->of(n, s); }
std::size_t len(const Ctx& c, const tagItemData* n, int s) { return c.out->part(c.out->numberOf(n) * 4 + std::uint32_t(s)).size(); }
bool taken(const Ctx& c, const tagItemData* n) { return c.seen[c.out->numberOf(n)].taken; }

QImage pictureOf(const Ctx& c, const tagItemData* item);

LedModeParams params(const Ctx& c, unsigned width, bool positive)
{
    return MakeLedModeParams(c.mode, c.scan, c.swap, width, positive);
}

// Pages of one node: each appends one page, converted from the work bitmap
// drawn for it or from a window of a picture where it lies.
class PageWriter {
public:
    PageWriter(const Ctx& c, unsigned areaWidth)
        : m_p(params(c, areaWidth, false)), m_len(PageLength(m_p)), m_height(c.screenH)
    {
    }
    bool ok() const { return m_len > 0 && m_p.Width > 0 && m_height > 0; }
    std::size_t pageLength() const { return m_len; }
    // Made on first use: pages read from pictures need none.
    QImage& work()
    {
        if (m_work.isNull()) {
            m_work = QImage(m_p.Width, m_height, QImage::Format_RGB32);
            if (m_work.isNull())
                throw std::bad_alloc();
        }
        return m_work;
    }
    void reserve(std::vector<std::uint8_t>& out, std::uint64_t pages) { out.reserve(static_cast<std::size_t>(pages * m_len)); }
    void append(std::vector<std::uint8_t>& out)
    {
        const std::size_t at = out.size();
        out.resize(at + m_len);
        ConvertImage(work(), m_p, out.data() + at);
    }
    // The picture's window at column 0 and row `top` of a black page.
    void appendWindow(std::vector<std::uint8_t>& out, const QImage& picture, const QRect& window, int top)
    {
        const std::size_t at = out.size();
        out.resize(at + m_len);
        ConvertWindow(picture, window, top, m_p, m_height, out.data() + at);
    }

private:
    LedModeParams m_p;
    std::size_t m_len;
    int m_height;
    QImage m_work;
};

bool isPaged(std::uint16_t t) { return itemKind(t).pages == PageCount::Paged; }

// Animated text: every frame of the effect, the whole run repeated as the
// record says.
bool textGifPages(tagItemData* item, const PaintedValues& painted, PageWriter& w, const QRect& area,
                  std::vector<std::uint8_t>& out)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    if (!rec)
        return true;
    const int cw = std::max<int>(1, static_cast<int>(std::min<std::uint32_t>(painted.contentW, 0x7FFF)));
    const int ch = std::max<int>(1, static_cast<int>(std::min<std::uint32_t>(painted.contentH, 0x7FFF)));
    ::render::TextCartoon cartoon(cw, ch);
    cartoon.SetText(rec->text());
    cartoon.SetEffect(rec->get(records::textgif::Effect));
    // An item never painted has no count yet: the effect's own count stands in.
    std::uint32_t frames = painted.frameCount;
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
bool clockPages(tagItemData* item, const PaintedValues& painted, PageWriter& w, const QRect& area,
                std::vector<std::uint8_t>& out)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    const std::uint16_t type = item->Item.TypeCode;
    const bool clock = type == IT_CLOCKDIGIT;
    const unsigned fx = item->InEffect;
    const bool across = clock ? fx == 45 : fx == 67 || fx == 77;
    const bool centred = clock ? fx == 46 : fx == 68 || fx == 78;
    const int aw = area.width();
    const int cw = static_cast<int>(std::clamp<std::uint32_t>(painted.contentW, 1, 0x7FFF));
    const int ch = static_cast<int>(std::clamp<std::uint32_t>(painted.contentH, 1, 0x7FFF));
    const unsigned pages = across ? ceilDiv(std::uint32_t(cw), std::uint32_t(aw)) : 1;
    if (std::uint64_t(pages) * w.pageLength() > kMaxBytes)
        return false;
    const QFont font = rec ? platform::FontFromLogFont(rec->get(clock ? sorvane::render::clockdigit::TextFont : sorvane::render::counter::TextFont)) : QFont();
    const sorvane::render::ClockNow now = sorvane::render::LocalClockNow();
    const int lang = CurrentLanguage();
    const int left = centred ? (aw - cw) / 2 : 0;
    w.reserve(out, pages);
    for (unsigned page = 0; page < pages; ++page) {
        if (cancelled())
            return false;
        w.work().fill(Qt::black);
        const QRect rect(left - int(page) * aw, area.top(), cw, ch);
        if (rec && clock)
            sorvane::render::DrawDigitalClock(w.work(), rect, *rec, font, now, lang, true);
        else if (rec)
            sorvane::render::DrawCounter(w.work(), rect, *rec, font, now, lang, true);
        w.append(out);
    }
    return true;
}

// Where a paged item's pages come from: its preview picture, when that
// holds the whole content; else tiles of the content drawn afresh, each no
// larger than a preview may be. A tile is a run of pages in the page order
// (a row of pages, or a column for the orders that go down first), so each
// is drawn once.
class PageSource {
public:
    PageSource(tagItemData* item, QImage picture, const PaintedValues& painted, unsigned aw, unsigned ah,
               unsigned across, unsigned down, bool byColumns)
        : m_picture(std::move(picture)), m_aw(aw), m_ah(ah)
    {
        const QImage& p = m_picture;
        m_fromPreview = std::uint32_t(p.width()) >= painted.contentW && std::uint32_t(p.height()) >= painted.contentH;
        if (m_fromPreview)
            return;
        m_content = std::make_unique<sorvane::render::PagedContent>(item, painted);
        if (!m_content->ok()) {
            m_fromPreview = true;   // no record: nothing to draw, as the painter drew nothing
            return;
        }
        const std::uint64_t perTile = std::max<std::uint64_t>(1, MAX_PREVIEW_PIXELS / (std::uint64_t(aw) * ah));
        m_across = byColumns ? 1 : static_cast<unsigned>(std::min<std::uint64_t>(across, perTile));
        m_down = byColumns ? static_cast<unsigned>(std::min<std::uint64_t>(down, perTile)) : 1;
    }

    // The picture that holds page (px, py), with the page's window in it;
    // null when a tile cannot be made.
    const QImage* page(unsigned px, unsigned py, QRect& from)
    {
        if (m_fromPreview) {
            from = QRect(int(px * m_aw), int(py * m_ah), int(m_aw), int(m_ah));
            return &m_picture;
        }
        const unsigned tx = px / m_across * m_across, ty = py / m_down * m_down;
        if (m_tile.isNull() || tx != m_tileX || ty != m_tileY) {
            m_tile = QImage(int(m_across * m_aw), int(m_down * m_ah), QImage::Format_RGB32);
            if (m_tile.isNull())
                return nullptr;
            m_tile.fill(Qt::black);
            m_content->draw(m_tile, QRect(int(tx * m_aw), int(ty * m_ah), m_tile.width(), m_tile.height()));
            m_tileX = tx;
            m_tileY = ty;
        }
        from = QRect(int((px - tx) * m_aw), int((py - ty) * m_ah), int(m_aw), int(m_ah));
        return &m_tile;
    }

private:
    QImage m_picture;   // the item's preview, held while its pages are read
    unsigned m_aw, m_ah;
    bool m_fromPreview = true;
    std::unique_ptr<sorvane::render::PagedContent> m_content;
    unsigned m_across = 1, m_down = 1;   // pages per tile
    QImage m_tile;
    unsigned m_tileX = 0, m_tileY = 0;   // the tile's first page
};

// A paged item's page counts and content size go out in 16-bit fields:
// content that needs more than they hold cannot be described to a
// controller.
bool fitsPagedHeader(const tagItemData* item, const PaintedValues& painted)
{
    if (!isPaged(item->Item.TypeCode))
        return true;
    const QRect area = sorvane::render::NodeClientRect(item);
    if (area.width() <= 0 || area.height() <= 0)
        return true;
    return std::uint64_t(area.width()) + painted.contentW - 1 <= 0xFFFF
        && std::uint64_t(area.height()) + painted.contentH - 1 <= 0xFFFF;
}

// The first item of the screen whose content is larger than a controller
// can be told of, its content as `painted` says.
template <class Painted>
tagItemData* firstOversized(tagItemData* screen, Painted painted)
{
    tagItemData* found = nullptr;
    forEachChild(screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                if (!found && !fitsPagedHeader(item, painted(item)))
                    found = item;
            });
        });
    });
    return found;
}

// The first picture or animation item of the screen whose file names no
// picture that can be read; the items `skip` picks are passed over.
template <class Skip>
tagItemData* firstUndrawable(tagItemData* screen, Skip skip)
{
    tagItemData* found = nullptr;
    forEachChild(screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                if (found || (item->Item.TypeCode != IT_IMAGE && item->Item.TypeCode != IT_GIF)
                    || !item->Item.TypeRecord || skip(item))
                    return;
                // No path is an empty item, drawn so on purpose.
                const QString path = PictureRecordPath(*item->Item.TypeRecord);
                if (!path.isEmpty() && PictureFileFrameCount(path) == 0)
                    found = item;
            });
        });
    });
    return found;
}

// Pages an item's pass 1 will make, counted before anything is rendered.
std::uint64_t plannedPages(tagItemData* item, const PaintedValues& painted)
{
    const QRect area = sorvane::render::NodeClientRect(item);
    if (area.width() <= 0 || area.height() <= 0)
        return 0;
    const std::uint16_t type = item->Item.TypeCode;
    const ItemRecord* rec = item->Item.TypeRecord;
    const unsigned aw = static_cast<unsigned>(area.width()), ah = static_cast<unsigned>(area.height());
    switch (itemKind(type).pages) {
    case PageCount::Paged: {
        const std::uint64_t across = painted.contentW ? ceilDiv(painted.contentW, aw) : 1;
        const std::uint64_t down = painted.contentH ? ceilDiv(painted.contentH, ah) : 1;
        return across * down;   // an upper bound: single-row items page across only
    }
    case PageCount::One:
        return 1;
    case PageCount::PictureFrames:
        return std::max<std::uint32_t>(1, PictureFileFrameCount(rec ? PictureRecordPath(*rec) : QString()));
    case PageCount::TextGifFrames:
        return rec ? std::uint64_t(painted.frameCount) * (std::uint64_t(rec->get(records::textgif::Repeat)) + 1) : 0;
    case PageCount::Across:
        return std::max<std::uint32_t>(1, ceilDiv(std::max<std::uint32_t>(1, painted.contentW), aw));
    case PageCount::None:
        break;
    }
    return 0;
}

// The bytes pass 1 will make for the whole screen, so that a screen too
// large to hold is refused before any page is built.
std::uint64_t plannedPageBytes(const Ctx& c)
{
    std::uint64_t total = 0;
    forEachChild(c.screen, [&](tagItemData* scene) {
        if (c.painted(scene).picturePresent != 0)
            total += PageLength(params(c, static_cast<unsigned>(std::max(0, sorvane::render::ScreenSize(scene).width())), false));
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                // An item taken from what was kept counts as it did when it was made.
                std::optional<std::uint64_t>& planned = c.seen[c.out->numberOf(item)].planned;
                if (!planned) {
                    const QRect area = sorvane::render::NodeClientRect(item);
                    if (area.width() <= 0) {
                        planned = 0;
                    } else {
                        const std::uint64_t page = PageLength(params(c, static_cast<unsigned>(area.width()), false));
                        const std::uint64_t pages = plannedPages(item, c.painted(item));
                        planned = pages > (kMaxBytes + 1) / std::max<std::uint64_t>(page, 1) ? kMaxBytes + 1 : pages * page;
                    }
                }
                total = std::min(kMaxBytes + 1, total + *planned);
            });
        });
    });
    return total;
}

// Pass 1 for an item. False when its pages could not be held.
bool itemPages(const Ctx& c, tagItemData* item)
{
    if (taken(c, item))
        return true;
    auto& out = slotOf(c, item, slot::ItemPages);
    const QRect area = sorvane::render::NodeClientRect(item);
    if (area.width() <= 0 || area.height() <= 0 || c.screenH <= 0)
        return true;
    const std::uint16_t type = item->Item.TypeCode;
    const ItemRecord* rec = item->Item.TypeRecord;
    const DeviceHeader kind = itemKind(type).header;
    if (kind == DeviceHeader::None)
        return true;
    PageWriter w(c, static_cast<unsigned>(area.width()));
    if (!w.ok())
        return w.pageLength() == 0;
    const unsigned aw = static_cast<unsigned>(area.width()), ah = static_cast<unsigned>(area.height());
    const PaintedValues& painted = c.painted(item);

    if (kind == DeviceHeader::Paged) {
        const unsigned across = painted.contentW ? ceilDiv(painted.contentW, aw) : 1;
        bool singleRow = false;
        if (rec && type == IT_SINGLELINE)
            singleRow = rec->get(records::singleline::SingleRow) != 0;
        else if (rec && type == IT_TEXT)
            singleRow = rec->get(records::richtext::SingleRow) != 0;
        const unsigned down = singleRow || painted.contentH == 0 ? 1 : ceilDiv(painted.contentH, ah);
        const std::uint64_t pages = std::uint64_t(across) * down;
        if (pages * w.pageLength() > kMaxBytes)
            return false;
        const bool byColumns = item->InEffect == 3 || item->InEffect == 4;
        PageSource source(item, pictureOf(c, item), painted, aw, ah, across, down, byColumns);
        w.reserve(out, pages);
        for (const auto& [px, py] : PageOrder(across, down, item->InEffect)) {
            if (cancelled())
                return false;
            QRect from;
            const QImage* picture = source.page(px, py, from);
            if (!picture)
                return false;
            w.appendWindow(out, *picture, from, area.top());
        }
    } else if (kind == DeviceHeader::Picture) {
        w.appendWindow(out, pictureOf(c, item), QRect(0, 0, int(aw), int(ah)), area.top());
    } else if (kind == DeviceHeader::TextGif) {
        return textGifPages(item, painted, w, area, out);
    } else if (kind == DeviceHeader::AnalogClock) {
        w.work().fill(Qt::black);
        if (rec)
            sorvane::render::DrawAnalogFace(w.work(), *rec, 0, area.top(), int(aw), int(ah), true, sorvane::render::LocalClockNow(),
                                   CurrentLanguage());
        w.append(out);
    } else if (kind == DeviceHeader::DigitalClock || kind == DeviceHeader::Counter) {
        return clockPages(item, painted, w, area, out);
    } else {   // an animation: DeviceHeader::FrameDelay
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
    if (taken(c, scene))
        return true;
    auto& out = slotOf(c, scene, slot::ScenePages);
    if (c.painted(scene).picturePresent == 0)
        return true;
    const QSize screen = sorvane::render::ScreenSize(scene);
    if (screen.width() <= 0 || c.screenH <= 0)
        return true;
    PageWriter w(c, static_cast<unsigned>(screen.width()));
    if (!w.ok())
        return w.pageLength() == 0;
    w.work().fill(Qt::black);
    const ImageEx image(WidePathField(scene->Scene.PicturePath, 260), 0);
    image.DrawInMode(w.work(), sorvane::render::NodeClientRect(scene), scene->Scene.PictureMode, 0);
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
                out.push_back(sorvane::render::NodeRect(s));
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
    namespace f = program::schedule;
    std::vector<std::uint8_t> r(f::Size, 0);
    std::uint8_t block[SCENE_BLOCK_SIZE];
    WriteSceneBlock(*scene, block);
    std::uint8_t* p = r.data();
    put(p, f::Marker, "stmr");
    put(p, f::Version, f::VersionValue);
    put(p, f::RecordSize, static_cast<std::uint16_t>(f::Size));
    put(p, f::Flags, block + (864 - LEVEL_BLOCK_OFFSET));      // the scene block's flags byte
    put(p, f::Date, scene->Scene.ScheduleDate);
    put(p, f::Weekdays, block + (872 - LEVEL_BLOCK_OFFSET));   // and its weekday byte
    put(p, f::Start, scene->Scene.StartTime);
    put(p, f::End, scene->Scene.EndTime);
    return r;
}

std::vector<std::uint8_t> BuildPagedHeader(const tagItemData* item, unsigned areaW, unsigned areaH,
                                           std::uint32_t pageLength)
{
    return BuildPagedHeader(item, PaintedValuesOf(item), areaW, areaH, pageLength);
}

std::vector<std::uint8_t> BuildPagedHeader(const tagItemData* item, const PaintedValues& painted, unsigned areaW,
                                           unsigned areaH, std::uint32_t pageLength)
{
    namespace f = program::paged;
    std::vector<std::uint8_t> r(f::Size, 0);
    std::uint8_t* p = r.data();
    const std::uint32_t cw = painted.contentW ? painted.contentW : 1;
    const std::uint32_t ch = painted.contentH ? painted.contentH : 1;
    // The two page counts are 16-bit fields computed in 16 bits, as controllers expect.
    const std::uint16_t across = static_cast<std::uint16_t>(((areaW + cw - 1) & 0xFFFFu) / areaW);
    const std::uint16_t down = static_cast<std::uint16_t>(((areaH + ch - 1) & 0xFFFFu) / areaH);
    const unsigned fx = item->InEffect;
    put(p, f::Steps, fx == 1 || fx == 2 ? across : fx == 3 || fx == 4 ? down : 1u);
    put(p, f::PageLength, pageLength);
    put(p, f::StepSize, fx == 1 || fx == 2 ? areaW : fx == 3 || fx == 4 ? areaH : 0u);
    put(p, f::Across, across);
    put(p, f::Down, down);
    put(p, f::Clear, "cler");
    put(p, f::OutEffect, item->Item.OutEffect);
    put(p, f::OutSpeed, item->Item.OutSpeed);
    put(p, f::Position, "posn");
    put(p, f::ContentWidth, static_cast<std::uint16_t>(painted.contentW));
    put(p, f::ContentHeight, static_cast<std::uint16_t>(painted.contentH));
    return r;
}

namespace {

// The header of a frame sequence: its count, page length and one delay a frame.
template <class Delay>
std::vector<std::uint8_t> frameHeader(std::uint32_t pagesLength, std::uint32_t pageLength, Delay delay)
{
    namespace f = program::frames;
    const std::uint32_t n = pageLength ? pagesLength / pageLength : 0;
    std::vector<std::uint8_t> r(f::Size + 4 * std::size_t(n), 0);
    std::uint8_t* p = r.data();
    put(p, f::Count, n);
    put(p, f::PageLength, pageLength);
    put(p, f::One, 1u);
    put(p, f::AlsoOne, 1u);
    for (std::uint32_t i = 0; i < n; ++i)
        put(p, f::Delay(i), delay(i));
    return r;
}

} // namespace

std::vector<std::uint8_t> BuildTextGifHeader(const tagItemData* item, std::uint32_t pagesLength,
                                             std::uint32_t pageLength)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    const std::uint32_t delay = rec ? rec->get(records::textgif::Delay) : 0;
    return frameHeader(pagesLength, pageLength, [delay](std::uint32_t) { return delay; });
}

// The records a controller keeps clocks and counters running with; empty
// for a digital clock in a language without a layout.
std::vector<std::uint8_t> BuildClockDeviceRecord(const tagItemData* item, const QRect& client, bool swap)
{
    return BuildClockDeviceRecord(item, PaintedValuesOf(item), client, swap);
}

std::vector<std::uint8_t> BuildClockDeviceRecord(const tagItemData* item, const PaintedValues& painted,
                                                 const QRect& client, bool swap)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    if (!rec)
        return {};
    const sorvane::render::ClockNow now = sorvane::render::LocalClockNow();
    const int lang = CurrentLanguage();
    const auto glyphsOf = [](const LOGFONT& lf) {
        return [lf](const QString& c) {
            std::vector<std::uint8_t> bits;
            RenderTextBitmap(c, lf, &bits);
            return bits;
        };
    };
    const std::uint16_t contentW = static_cast<std::uint16_t>(std::min<std::uint32_t>(painted.contentW, 0xFFFF));
    switch (itemKind(item->Item.TypeCode).header) {
    case DeviceHeader::DigitalClock: {
        const LOGFONT lf = rec->get(sorvane::render::clockdigit::TextFont);
        const auto cells = sorvane::render::CollectClockCells(client, *rec, platform::FontFromLogFont(lf), now, lang);
        return sorvane::render::BuildDigitalClockRecord(*rec, sorvane::render::ClockLayoutFor(lang), cells, 0, contentW, swap,
                                               glyphsOf(lf));
    }
    case DeviceHeader::Counter: {
        const LOGFONT lf = rec->get(sorvane::render::counter::TextFont);
        const auto cells = sorvane::render::CollectCounterCells(client, *rec, platform::FontFromLogFont(lf), now, lang);
        const std::int64_t span =
            sorvane::render::CounterSpanSeconds(rec->get(sorvane::render::counter::Target), rec->get(sorvane::render::counter::CountMode), now);
        const std::uint32_t units = rec->get(sorvane::render::counter::Units);
        const std::uint32_t mask =
            sorvane::render::CounterCellMask(units, sorvane::render::CounterDigitCounts(sorvane::render::CounterCellSpan(*rec, span), units));
        return sorvane::render::BuildCounterRecord(*rec, cells, mask, contentW, swap, glyphsOf(lf));
    }
    case DeviceHeader::AnalogClock: {
        std::vector<std::uint8_t> date;
        const sorvane::render::ClockLayout layout = sorvane::render::ClockLayoutFor(lang);
        if (layout != sorvane::render::ClockLayout::None) {
            const auto band = sorvane::render::MakeDateBandRecord(*rec);
            const LOGFONT lf = band->get(sorvane::render::clockdigit::TextFont);
            const int h = client.height();
            const QRect bandRect(client.left(), client.top() + h * 17 / 32, client.width(), h * 30 / 32 - h * 17 / 32);
            const auto cells = sorvane::render::CollectClockCells(bandRect, *band, platform::FontFromLogFont(lf), now, lang);
            date = sorvane::render::BuildDigitalClockRecord(*band, layout, cells, bandRect.top() - client.top(), 0, false,
                                                   glyphsOf(lf));
        }
        return sorvane::render::BuildAnalogClockRecord(*rec, client.width(), client.height(), swap, date);
    }
    default:
        return {};
    }
}

// The analog record's own offsets count from its start; in the program data
// they count from the block's start.
void RelocateAnalogRecord(std::vector<std::uint8_t>& record, std::uint32_t at)
{
    namespace f = program::analog;
    if (record.size() < 4 * f::Offsets)
        return;
    for (std::size_t i = 0; i < f::Offsets; ++i)
        put(record.data(), f::Offset(i), get(record.data(), f::Offset(i)) + at);
}

std::vector<std::uint8_t> BuildPictureHeader(const tagItemData* item, std::uint32_t pageLength)
{
    namespace f = program::paged;
    std::vector<std::uint8_t> r(f::Size, 0);
    std::uint8_t* p = r.data();
    put(p, f::Steps, 1u);
    put(p, f::PageLength, pageLength);
    put(p, f::Clear, "cler");
    put(p, f::OutEffect, item->Item.OutEffect);
    put(p, f::OutSpeed, item->Item.OutSpeed);
    return r;
}

std::vector<std::uint8_t> BuildFrameDelayHeader(const tagItemData* item, std::uint32_t pagesLength,
                                                std::uint32_t pageLength)
{
    const ItemRecord* rec = item->Item.TypeRecord;
    // The record holds 4096 delays; frames past them get 0.
    return frameHeader(pagesLength, pageLength, [rec](std::uint32_t i) {
        return rec && i < records::picture::Delays.Count ? rec->get(records::picture::Delays[i]) : 0u;
    });
}

namespace {

// What a compile made of each scene's background and each item is kept
// after its blocks were read, so that a later compile of a screen holding
// the same scene or item, unchanged, takes it instead of drawing it again.
// What a part is made of is its key: the node's stored image and record,
// its section's, the rectangle it is drawn in, the screen's work mode, scan
// and size, the red-green order, the colour threshold, the language and the
// file its picture comes from. Clocks and counters draw the time of the
// compile and a picture given by a caller is not in the image: those are
// drawn afresh every time. Masks are made of rectangles alone and are kept
// by them; the records laid over the parts (borders, descriptors, scene
// records) are cheap and are made again.
void append(Bytes& out, const void* data, std::size_t n)
{
    const auto* b = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), b, b + n);
}

template <class T>
void appendValue(Bytes& out, T v)
{
    static_assert(std::is_integral_v<T>);
    append(out, &v, sizeof v);
}

void appendRect(Bytes& out, const QRect& r)
{
    for (const int v : {r.x(), r.y(), r.width(), r.height()})
        appendValue<std::int32_t>(out, v);
}

void appendNode(Bytes& out, const tagItemData* n)
{
    const std::size_t at = out.size();
    out.resize(at + ITEMDATA_SIZE);
    WriteNodeImage(*n, out.data() + at);
}

// The file by its name and its stamp: a file rewritten, touched or replaced
// is another.
void appendFile(Bytes& out, const QString& path)
{
    struct stat st {};
    const bool found = !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0;
    appendValue<std::uint32_t>(out, std::uint32_t(path.size()));
    append(out, path.utf16(), std::size_t(path.size()) * 2);
    appendValue<std::int64_t>(out, found ? std::int64_t(st.st_size) : -1);
    appendValue<std::int64_t>(out, found ? std::int64_t(st.st_mtim.tv_sec) : 0);
    appendValue<std::int64_t>(out, found ? std::int64_t(st.st_mtim.tv_nsec) : 0);
    appendValue<std::int64_t>(out, found ? std::int64_t(st.st_ctim.tv_sec) : 0);
    appendValue<std::int64_t>(out, found ? std::int64_t(st.st_ctim.tv_nsec) : 0);
    appendValue<std::uint64_t>(out, found ? std::uint64_t(st.st_ino) : 0);
    appendValue<std::uint64_t>(out, found ? std::uint64_t(st.st_dev) : 0);
}

bool isTimed(std::uint16_t type)
{
    const DeviceHeader h = itemKind(type).header;
    return h == DeviceHeader::AnalogClock || h == DeviceHeader::DigitalClock || h == DeviceHeader::Counter;
}

// What every part of the compile is drawn with.
Bytes commonKey(const Ctx& c)
{
    Bytes k;
    appendValue<std::uint16_t>(k, c.mode);
    appendValue<std::uint16_t>(k, c.scan);
    appendValue<std::uint16_t>(k, c.screen->Global.Width);
    appendValue<std::uint16_t>(k, c.screen->Global.Height);
    appendValue<std::uint8_t>(k, c.swap ? 1 : 0);
    appendValue<std::uint32_t>(k, ColourThreshold());
    appendValue<std::int32_t>(k, CurrentLanguage());
    return k;
}

// The key of a scene's or item's output, but for its picture file; empty
// when it is drawn afresh every time. Called under the pictures' lock: what
// painting sets is read.
Bytes partKey(const tagItemData* n, const Bytes& common)
{
    if (NodePictures::stateOf(n) == PictureState::Given)
        return {};
    Bytes k{'N'};
    k.insert(k.end(), common.begin(), common.end());
    appendNode(k, n);
    appendRect(k, sorvane::render::NodeClientRect(n));
    if (n->Level == LEVEL_SCENE)
        return k;
    const std::uint16_t type = n->Item.TypeCode;
    if (isTimed(type))
        return {};
    if (const ItemRecord* rec = n->Item.TypeRecord) {
        const Bytes r = WriteTypeRecord(*rec);
        appendValue<std::uint32_t>(k, std::uint32_t(r.size()) + 1);
        append(k, r.data(), r.size());
    } else {
        appendValue<std::uint32_t>(k, 0);
    }
    if (n->Parent)
        appendNode(k, n->Parent);
    appendValue<std::uint8_t>(k, NodePictures::showsAsNew(n) ? 1 : 0);
    return k;
}

// The file a scene's or item's pages are drawn from; empty for none.
QString pictureFileOf(const tagItemData* n)
{
    if (n->Level == LEVEL_SCENE)
        return n->Scene.PicturePath[0] != 0 ? WidePathField(n->Scene.PicturePath, 260) : QString();
    const std::uint16_t type = n->Item.TypeCode;
    return (type == IT_IMAGE || type == IT_GIF) && n->Item.TypeRecord ? PictureRecordPath(*n->Item.TypeRecord) : QString();
}

// The slot of a part that is kept: a scene's background, an item's pages;
// an item's header too.
constexpr int kPagesSlot = 0;
static_assert(slot::ScenePages == kPagesSlot && slot::ItemPages == kPagesSlot);

std::string_view viewOf(const Bytes& b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

struct KeptEntry {
    Bytes key;
    PaintedValues values;
    std::uint64_t planned = 0;
    SharedBytes pages, header;   // header for items only
    std::uintptr_t owner = 0;    // the screen that used it last
    std::uint64_t round = 0;     // and its compile
    std::size_t bytes() const { return key.size() + (pages ? pages->size() : 0) + (header ? header->size() : 0); }
};

using ResultPtr = std::shared_ptr<const Result>;

// A compile whose blocks are being read, from Compile to FreeBuffers.
struct LiveCompile {
    const tagItemData* screen = nullptr;
    ResultPtr result;
    bool keep = true;   // false once the screen was forgotten
};

// What is kept, the latest used first, within one budget: the largest
// screen's program is about 22 MB.
constexpr std::size_t kKeptBudget = std::size_t(64) << 20;

// Reached from the send's worker and, for ForgetCompiled, from the
// interface thread: everything here is under the lock. Kept bytes are not
// changed once they are in here, so a compile holding them reads them
// unlocked.
struct Kept {
    std::mutex lock;
    std::list<LiveCompile> live;
    std::list<KeptEntry> parts;
    std::unordered_map<std::string_view, std::list<KeptEntry>::iterator> byKey;   // viewing each entry's key
    std::size_t held = 0;
    std::uint64_t rounds = 0;
    unsigned reused = 0, reusedParts = 0, compiledParts = 0;

    // Moves the entry out to `dropped`, freed by the caller outside the lock.
    void drop(std::list<KeptEntry>::iterator it, std::list<KeptEntry>& dropped)
    {
        byKey.erase(viewOf(it->key));
        held -= it->bytes();
        dropped.splice(dropped.end(), parts, it);
    }
};

Kept& kept()
{
    // Never destroyed: a screen freed by a static's destructor at exit
    // still forgets its compiles here.
    static Kept& k = *new Kept;
    return k;
}

// Whose kept parts these are, for dropping them with the screen and when
// the screen no longer holds them: the live screen's, for a copy a job
// compiles too, so that one copy's send keeps what the next one takes.
std::uintptr_t ownerOf(const tagItemData* screen) { return CScreenCopy::OriginOf(screen); }

std::list<LiveCompile>::iterator liveOf(Kept& k, const tagItemData* screen)
{
    return std::find_if(k.live.begin(), k.live.end(), [screen](const LiveCompile& l) { return l.screen == screen; });
}

// The screen's compile being read, or null.
ResultPtr readResult(const tagItemData* node)
{
    const tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return nullptr;
    Kept& k = kept();
    std::lock_guard g(k.lock);
    const auto it = liveOf(k, screen);
    return it == k.live.end() ? nullptr : it->result;
}

// Ends the screen's compile being read; the caller frees what it returns,
// outside the lock.
ResultPtr takeLive(Kept& k, const tagItemData* screen, bool* keep = nullptr)
{
    const auto it = liveOf(k, screen);
    if (it == k.live.end())
        return nullptr;
    ResultPtr r = std::move(it->result);
    if (keep)
        *keep = it->keep;
    k.live.erase(it);
    return r;
}

void publish(const tagItemData* screen, ResultPtr result)
{
    Kept& k = kept();
    ResultPtr old;
    std::lock_guard g(k.lock);
    old = takeLive(k, screen);
    k.reusedParts += result->taken;
    k.compiledParts += result->drawn;
    if (result->taken)
        ++k.reused;
    k.live.push_back(LiveCompile{screen, std::move(result)});
}

// Keys every scene and item that may be kept, and takes what is kept of
// them.
void takeKept(Ctx& c)
{
    Result& r = *c.out;
    std::vector<QString> files;
    {
        const auto lock = NodePictures::hold();
        c.common = commonKey(c);
        ForEachNode(c.screen, [&](tagItemData* n) {
            if (n->Level != LEVEL_SCENE && n->Level != LEVEL_PROGRAM)
                return;
            Bytes key = partKey(n, c.common);
            if (key.empty())
                return;
            r.keep.push_back(KeptPart{r.numberOf(n), kPagesSlot,
                                      n->Level == LEVEL_PROGRAM ? KeptPart::Item : KeptPart::Scene, std::move(key), {}, 0});
            files.push_back(pictureFileOf(n));
        });
    }
    // Files are looked at outside the lock: a canvas goes on painting.
    for (std::size_t i = 0; i < files.size(); ++i)
        if (r.keep[i].kind == KeptPart::Scene || !files[i].isEmpty())
            appendFile(r.keep[i].key, files[i]);
    Kept& k = kept();
    std::lock_guard g(k.lock);
    for (const KeptPart& p : r.keep) {
        const auto it = k.byKey.find(viewOf(p.key));
        if (it == k.byKey.end())
            continue;
        const KeptEntry& e = *it->second;
        Seen& s = c.seen[p.number];
        s.taken = true;
        s.values = e.values;
        s.planned = e.planned;
        r.shared[p.number * 4 + kPagesSlot] = e.pages;
        if (e.header)
            r.shared[p.number * 4 + slot::ItemHeader] = e.header;
        ++r.taken;
        --r.drawn;
    }
}

// The bytes kept under the key, or null.
SharedBytes keptBytes(const Bytes& key)
{
    Kept& k = kept();
    std::lock_guard g(k.lock);
    const auto it = k.byKey.find(viewOf(key));
    return it == k.byKey.end() ? nullptr : it->second->pages;
}

// After a compile: what it made of the parts that may be kept is shared,
// to be kept when its blocks were read.
void shareKept(const Ctx& c)
{
    Result& r = *c.out;
    for (KeptPart& p : r.keep) {
        r.share(p.number * 4 + std::uint32_t(p.slot));
        if (p.kind == KeptPart::Mask)
            continue;
        const Seen& s = c.seen[p.number];
        p.values = s.values;
        p.planned = s.planned.value_or(0);
        if (p.kind == KeptPart::Item)
            r.share(p.number * 4 + slot::ItemHeader);
    }
}

// Keeps the parts of an ended compile, the latest used first; what the
// screen kept before and no longer holds goes, and so does whatever is
// past the budget, the least recently used first.
void keepParts(Kept& k, const Result& r, std::uintptr_t owner, std::list<KeptEntry>& dropped)
{
    const std::uint64_t round = ++k.rounds;
    for (const KeptPart& p : r.keep) {
        const auto it = k.byKey.find(viewOf(p.key));
        if (it != k.byKey.end()) {
            k.parts.splice(k.parts.begin(), k.parts, it->second);
        } else {
            KeptEntry e{p.key, p.values, p.planned, r.shared[p.number * 4 + std::uint32_t(p.slot)],
                        p.kind == KeptPart::Item ? r.shared[p.number * 4 + slot::ItemHeader] : nullptr};
            if (!e.pages || e.bytes() > kKeptBudget)
                continue;
            k.parts.push_front(std::move(e));
            try {
                k.byKey.emplace(viewOf(k.parts.front().key), k.parts.begin());
            } catch (...) {
                k.parts.pop_front();
                throw;
            }
            k.held += k.parts.front().bytes();
        }
        k.parts.front().owner = owner;
        k.parts.front().round = round;
    }
    for (auto it = k.parts.begin(); it != k.parts.end();) {
        const auto next = std::next(it);
        if (it->owner == owner && it->round != round)
            k.drop(it, dropped);
        it = next;
    }
    while (k.held > kKeptBudget && !k.parts.empty())
        k.drop(std::prev(k.parts.end()), dropped);
}

ResultPtr compileScreen(tagItemData* node, std::optional<bool> swapRedGreen);

int compile(tagItemData* node, std::optional<bool> swapRedGreen)
{
    tagItemData* screen = GetScreenOf(node);
    if (!screen)
        return 0;
    try {
        {
            // The screen's last compile is over; freed outside the lock.
            ResultPtr old;
            std::lock_guard g(kept().lock);
            old = takeLive(kept(), screen);
        }
        ResultPtr done = compileScreen(node, swapRedGreen);
        if (!done)
            return 0;
        publish(screen, std::move(done));
        return 1;
    } catch (...) {
        // Out of memory on a large screen: nothing half-built is left behind.
        return 0;
    }
}

// Ends the screen's compile being read, keeping what may be kept of it.
void endCompile(const tagItemData* screen)
{
    Kept& k = kept();
    ResultPtr gone;
    std::list<KeptEntry> dropped;
    bool keep = false;
    {
        std::lock_guard g(k.lock);
        gone = takeLive(k, screen, &keep);
        if (!gone)
            return;
        if (keep) {
            try {
                keepParts(k, *gone, ownerOf(screen), dropped);
            } catch (...) {
                // No room to keep more: the rest is freed as any other.
            }
        }
    }
    gone.reset();
    // What a kept compile leaves (records, clocks) serves the next compile;
    // what is dropped goes back to the system.
    if (!keep || !dropped.empty()) {
        dropped.clear();
        ReturnFreedMemory();
    }
}

} // namespace

int CContentCompiler::Compile(tagItemData* node) { return compile(node, std::nullopt); }

int CContentCompiler::Compile(tagItemData* node, bool swapRedGreen) { return compile(node, swapRedGreen); }

namespace {

// Visits the slots of one block, as (node, slot), in the order the block
// holds them.
template <class F>
void walkBlock(tagItemData* screen, program::Block block, F f)
{
    using sorvane::render::program::Block;
    const auto eachSection = [&](auto g) {
        forEachChild(screen, [&](tagItemData* s) { forEachChild(s, g); });
    };
    const auto eachItem = [&](auto g) {
        eachSection([&](tagItemData* sec) { forEachChild(sec, g); });
    };
    switch (block) {
    case Block::PageMap:
        forEachChild(screen, [&](tagItemData* s) { f(s, slot::SceneRecord); });
        break;
    case Block::ProgramMap:
        eachItem([&](tagItemData* it) { f(it, slot::ItemDescriptor); });
        break;
    case Block::ProgramMask:
        forEachChild(screen, [&](tagItemData* s) { f(s, slot::SceneMask); });
        eachSection([&](tagItemData* sec) { f(sec, slot::SectionMask); });
        break;
    case Block::ProgramData:
        forEachChild(screen, [&](tagItemData* s) {
            f(s, slot::ScenePages);
            f(s, slot::SceneDevices);
        });
        eachSection([&](tagItemData* sec) { f(sec, slot::SectionBorder); });
        eachItem([&](tagItemData* it) {
            f(it, slot::ItemPages);
            f(it, slot::ItemHeader);
        });
        break;
    }
}

// Where each slot lies in its block, found by walking the block: the
// records' offsets come from here, so they follow the block order.
class BlockLayout {
public:
    BlockLayout(const Result& r, tagItemData* screen, program::Block block)
        : m_r(r), m_at(r.perNode.size() * 4, kNone)
    {
        walkBlock(screen, block, [&](const tagItemData* n, int s) {
            const std::uint32_t p = r.numberOf(n) * 4 + std::uint32_t(s);
            m_at[p] = m_size;
            m_size += r.part(p).size();
        });
    }
    std::uint64_t size() const { return m_size; }
    std::uint32_t at(const tagItemData* node, int s) const
    {
        const std::uint64_t a = m_at[m_r.numberOf(node) * 4 + std::size_t(s)];
        if (a == kNone)
            throw std::out_of_range("slot not in block");
        return static_cast<std::uint32_t>(a);
    }

private:
    static constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
    const Result& m_r;
    std::vector<std::uint64_t> m_at;   // by number * 4 + slot
    std::uint64_t m_size = 0;
};

// The refusal rule and the screen's settings; false when it refuses.
bool makeContext(tagItemData* node, std::optional<bool> swapRedGreen, Ctx& c)
{
    c.screen = GetScreenOf(node);
    if (!c.screen)
        return false;
    const tagGlobalInfo& g = c.screen->Global;
    if (!ScanFitsWorkMode(g.Type, g.ScanMode))
        return false;
    c.mode = g.Type;
    c.scan = g.ScanMode;
    c.swap = swapRedGreen.value_or(g.SwapRedGreen != 0);
    c.screenH = g.Height;
    if (IsGlobalSceneNode(c.screen->FirstChild))
        c.global = c.screen->FirstChild;
    std::uint32_t next = 0;
    ForEachNode(c.screen, [&](tagItemData* n) { c.out->number.emplace(n, next++); });
    c.out->perNode.resize(next);
    c.out->shared.resize(std::size_t(next) * 4);
    c.seen.resize(next);
    ForEachNode(c.screen, [&](tagItemData* n) {
        if (n->Level == LEVEL_SCENE || n->Level == LEVEL_PROGRAM)
            ++c.out->drawn;
    });
    return true;
}

// Whether an item's pages are read from its picture.
bool pagesFromPicture(const tagItemData* n)
{
    if (n->Level != LEVEL_PROGRAM)
        return false;
    const DeviceHeader h = itemKind(n->Item.TypeCode).header;
    return h == DeviceHeader::Paged || h == DeviceHeader::Picture;
}

// What painting sets (content sizes, an animated text's frame count,
// whether a scene's picture loads) is read from here on, from c.seen: a
// node not painted since it was loaded is painted into a picture of the
// compile's own, and nothing is written into a node. Such a picture is
// kept for the item's pages while the pictures kept fit one budget. False
// when cancelled.
bool measureNodes(Ctx& c)
{
    bool ok = true;
    std::int64_t kept = 0;
    ForEachNode(c.screen, [&](tagItemData* n) {
        ok = ok && !cancelled();
        if (!ok)
            return;
        Seen& s = c.seen[c.out->numberOf(n)];
        if (s.taken)
            return;   // measured when it was made
        // A section's painting sets nothing the compile reads.
        if (n->Level == LEVEL_SECTION) {
            s.values = PaintedValuesOf(n);
            return;
        }
        Painting p = NodePictures::look(n, false);
        s.values = p.values;
        if (pagesFromPicture(n) && !p.picture.isNull() && kept + p.picture.sizeInBytes() <= DEFAULT_PICTURE_BUDGET) {
            kept += p.picture.sizeInBytes();
            s.picture = std::move(p.picture);
        }
    });
    return ok;
}

// The item's picture for its pages: the one measureNodes kept, else the
// node's own as it stands, else one painted for the compile.
QImage pictureOf(const Ctx& c, const tagItemData* item)
{
    QImage& kept = c.seen[c.out->numberOf(item)].picture;
    if (!kept.isNull())
        return std::exchange(kept, QImage());
    return NodePictures::look(item, true).picture;
}

// Pixel pages of every scene and item; false when they cannot be held.
bool drawPages(const Ctx& c)
{
    const auto painted = [&c](const tagItemData* item) -> const PaintedValues& { return c.painted(item); };
    // A part taken from what was kept was drawable, its file unchanged.
    if (firstOversized(c.screen, painted) || firstUndrawable(c.screen, [&c](const tagItemData* n) { return taken(c, n); })
        || plannedPageBytes(c) > kMaxBytes)
        return false;
    bool ok = true;
    forEachChild(c.screen, [&](tagItemData* scene) {
        ok = ok && scenePages(c, scene);
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) { ok = ok && itemPages(c, item); });
        });
    });
    return ok;
}

// An item's header record, or the records its device keeps running with.
std::vector<std::uint8_t> itemHeader(const Ctx& c, tagItemData* item)
{
    const QRect area = sorvane::render::NodeClientRect(item);
    const std::uint32_t pageLen =
        static_cast<std::uint32_t>(PageLength(params(c, static_cast<unsigned>(area.width()), false)));
    const std::uint32_t pagesLen = static_cast<std::uint32_t>(len(c, item, slot::ItemPages));
    switch (itemKind(item->Item.TypeCode).header) {
    case DeviceHeader::Paged:
        return BuildPagedHeader(item, c.painted(item), unsigned(area.width()), unsigned(area.height()), pageLen);
    case DeviceHeader::Picture:
        return BuildPictureHeader(item, pageLen);
    case DeviceHeader::FrameDelay:
        return BuildFrameDelayHeader(item, pagesLen, pageLen);
    case DeviceHeader::TextGif:
        return BuildTextGifHeader(item, pagesLen, pageLen);
    case DeviceHeader::AnalogClock:
    case DeviceHeader::DigitalClock:
    case DeviceHeader::Counter:
        return BuildClockDeviceRecord(item, c.painted(item), area, c.swap);
    case DeviceHeader::None:
        break;
    }
    return std::vector<std::uint8_t>(4, 0);
}

// Schedules, borders and item headers.
void buildDeviceRecords(const Ctx& c)
{
    const sorvane::render::LedQuantiser leds = ledQuantiser(c.screen, c.swap);
    forEachChild(c.screen, [&](tagItemData* scene) {
        auto& devices = slotOf(c, scene, slot::SceneDevices);
        if (scene->Scene.Schedule != 0)
            devices = BuildScheduleRecord(scene);
        const auto border = borderRecord(scene, leds);
        devices.insert(devices.end(), border.begin(), border.end());
        forEachChild(scene, [&](tagItemData* section) {
            slotOf(c, section, slot::SectionBorder) = borderRecord(section, leds);
            forEachChild(section, [&](tagItemData* item) {
                const QRect area = sorvane::render::NodeClientRect(item);
                if (area.width() > 0 && area.height() > 0 && !taken(c, item))
                    slotOf(c, item, slot::ItemHeader) = itemHeader(c, item);
            });
        });
    });
}

// A mask is made of rectangles alone: one of the same rectangles on a
// screen of the same work mode is taken from what was kept.
void setMask(const Ctx& c, const tagItemData* node, int s, const QRect& area, const std::vector<QRect>& covers,
             int origin)
{
    Bytes key{'M'};
    key.insert(key.end(), c.common.begin(), c.common.end());
    appendValue<std::int32_t>(key, origin);
    appendRect(key, area);
    for (const QRect& r : covers)
        appendRect(key, r);
    const std::uint32_t number = c.out->numberOf(node);
    if (SharedBytes mask = keptBytes(key))
        c.out->shared[number * 4 + std::uint32_t(s)] = std::move(mask);
    else
        slotOf(c, node, s) = maskOf(c, area, covers, origin);
    c.out->keep.push_back(KeptPart{number, s, KeptPart::Mask, std::move(key), {}, 0});
}

// Scene and section masks: what lies on top of each is cut out of it.
void buildMasks(const Ctx& c)
{
    forEachChild(c.screen, [&](tagItemData* scene) {
        std::vector<QRect> covers = globalCovers(c, scene);
        forEachChild(scene, [&](tagItemData* s) {
            if (s->FirstChild)
                covers.push_back(sorvane::render::NodeRect(s));
        });
        setMask(c, scene, slot::SceneMask, sorvane::render::NodeRect(scene), covers, 0);
        forEachChild(scene, [&](tagItemData* section) {
            if (!section->FirstChild)
                return;
            std::vector<QRect> over = globalCovers(c, scene);
            for (tagItemData* t = section->NextSibling; t; t = t->NextSibling)
                if (t->FirstChild)
                    over.push_back(sorvane::render::NodeRect(t));
            // Mask column 0 is the client area's left edge, where the descriptor places the section.
            const QRect client = sorvane::render::NodeClientRect(section);
            setMask(c, section, slot::SectionMask, client, over, client.left());
        });
    });
}

// Program map: one descriptor per item, pointing at its pages and header.
void writeItemDescriptors(const Ctx& c, const BlockLayout& data)
{
    namespace f = program::item;
    forEachChild(c.screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            forEachChild(section, [&](tagItemData* item) {
                auto& d = slotOf(c, item, slot::ItemDescriptor);
                d.assign(f::Size, 0);
                std::uint8_t* p = d.data();
                put(p, f::PlayTime, static_cast<std::uint32_t>(item->PlayTime));
                put(p, f::InEffect, item->InEffect == 79 ? 75 : item->InEffect);
                put(p, f::InSpeed, item->InSpeed);
                put(p, f::PagesAt, data.at(item, slot::ItemPages));
                put(p, f::PagesLength, static_cast<std::uint32_t>(len(c, item, slot::ItemPages)));
                put(p, f::HeaderAt, data.at(item, slot::ItemHeader));
                put(p, f::HeaderLength, static_cast<std::uint32_t>(len(c, item, slot::ItemHeader)));
                if (item->Item.TypeCode == IT_CLOCKSIMUL)
                    RelocateAnalogRecord(slotOf(c, item, slot::ItemHeader), data.at(item, slot::ItemHeader));
            });
        });
    });
}

// A descriptor for each section that holds items, for its scene's record.
void writeSectionDescriptors(const Ctx& c, const BlockLayout& data, const BlockLayout& masks,
                             const BlockLayout& map)
{
    namespace f = program::section;
    forEachChild(c.screen, [&](tagItemData* scene) {
        forEachChild(scene, [&](tagItemData* section) {
            if (!section->FirstChild)
                return;
            unsigned items = 0;
            forEachChild(section, [&](tagItemData*) { ++items; });
            auto& d = slotOf(c, section, slot::SectionDescriptor);
            d.assign(f::Size, 0);
            std::uint8_t* p = d.data();
            const QRect client = sorvane::render::NodeClientRect(section);
            put(p, f::Reserved, sectionReservedByte(section));
            put(p, f::Left, static_cast<std::uint16_t>(client.left()));
            put(p, f::Top, static_cast<std::uint16_t>(client.top()));
            put(p, f::Width, static_cast<std::uint16_t>(client.width()));
            put(p, f::Height, static_cast<std::uint16_t>(client.height()));
            put(p, f::BorderAt, data.at(section, slot::SectionBorder));
            put(p, f::BorderLength, static_cast<std::uint32_t>(len(c, section, slot::SectionBorder)));
            put(p, f::MaskAt, masks.at(section, slot::SectionMask));
            put(p, f::MaskLength, static_cast<std::uint32_t>(len(c, section, slot::SectionMask)));
            put(p, f::FirstItemAt, map.at(section->FirstChild, slot::ItemDescriptor));
            put(p, f::ItemCount, static_cast<std::uint8_t>(items));
            put(p, f::Options, hasBorder(section) ? f::HasBorder : 0);
            put(p, f::RecordSize, static_cast<std::uint16_t>(f::Size));
        });
    });
}

// Page map: each scene's record with its sections' descriptors; the last
// links back to the first normal scene (a lone global scene links to itself
// rather than past the end of the block).
void writeSceneRecords(const Ctx& c, const BlockLayout& data, const BlockLayout& masks)
{
    namespace f = program::scene;
    const std::uint8_t globalCount = c.global ? static_cast<std::uint8_t>(CountValidItems(c.global)) : 0;
    std::vector<tagItemData*> scenes;
    forEachChild(c.screen, [&](tagItemData* s) {
        scenes.push_back(s);
        slotOf(c, s, slot::SceneRecord).assign(f::Entries + program::section::Size * std::size_t(std::max(1, CountValidItems(s))), 0);
    });
    const BlockLayout pages(*c.out, c.screen, program::Block::PageMap);
    const std::size_t firstNormal = c.global && scenes.size() > 1 ? 1 : 0;
    for (std::size_t i = 0; i < scenes.size(); ++i) {
        tagItemData* scene = scenes[i];
        const int own = CountValidItems(scene);
        std::uint8_t* p = slotOf(c, scene, slot::SceneRecord).data();
        put(p, f::PlayTime, static_cast<std::uint32_t>(scene->PlayTime));
        put(p, f::ScreenWidth, c.screen->Global.Width);
        put(p, f::ScreenHeight, c.screen->Global.Height);
        put(p, f::NextRecordAt, pages.at(scenes[i + 1 < scenes.size() ? i + 1 : firstNormal], slot::SceneRecord));
        const bool isGlobal = IsGlobalSceneNode(scene);
        if (isGlobal || scene->Scene.TypeCode == IT_SCENE) {
            // A normal scene without a background of its own shows the global scene's.
            const tagItemData* shown = scene;
            if (!isGlobal && len(c, scene, slot::ScenePages) == 0 && c.global && c.painted(c.global).picturePresent != 0)
                shown = c.global;
            put(p, f::BackgroundAt, data.at(shown, slot::ScenePages));
            put(p, f::BackgroundLength, static_cast<std::uint32_t>(len(c, shown, slot::ScenePages)));
            put(p, f::DevicesAt, data.at(scene, slot::SceneDevices));
            put(p, f::DevicesLength, static_cast<std::uint32_t>(len(c, scene, slot::SceneDevices)));
        }
        put(p, f::MaskAt, masks.at(scene, slot::SceneMask));
        put(p, f::MaskLength, static_cast<std::uint32_t>(len(c, scene, slot::SceneMask)));
        put(p, f::IsGlobal, isGlobal ? 1 : 0);
        put(p, f::Options, static_cast<std::uint8_t>(scene->Scene.DisplayOption | (hasBorder(scene) ? f::HasBorder : 0)
                                                     | (scene->Scene.Schedule ? f::HasSchedule : 0)));
        put(p, f::SectionsShown, static_cast<std::uint8_t>(isGlobal ? own : own + globalCount));
        put(p, f::GlobalSections, globalCount);
        put(p, f::Signature, f::SignatureValue);
        put(p, f::EntrySize, static_cast<std::uint16_t>(program::section::Size));
        std::size_t e = 0;
        forEachChild(scene, [&](tagItemData* section) {
            const auto& d = slotOf(c, section, slot::SectionDescriptor);
            if (section->FirstChild && d.size() == program::section::Size)
                std::memcpy(p + f::Entries + program::section::Size * e++, d.data(), d.size());
        });
    }
}

ResultPtr compileScreen(tagItemData* node, std::optional<bool> swapRedGreen)
{
    auto result = std::make_shared<Result>();
    Ctx c;
    c.out = result.get();
    if (!makeContext(node, swapRedGreen, c))
        return nullptr;
    takeKept(c);
    if (!measureNodes(c) || !drawPages(c))
        return nullptr;
    buildDeviceRecords(c);
    buildMasks(c);
    // Every offset must fit the records' 32-bit fields.
    const BlockLayout data(*c.out, c.screen, program::Block::ProgramData);
    const BlockLayout masks(*c.out, c.screen, program::Block::ProgramMask);
    if (data.size() > kMaxBytes || masks.size() > kMaxBytes)
        return nullptr;
    writeItemDescriptors(c, data);
    writeSectionDescriptors(c, data, masks, BlockLayout(*c.out, c.screen, program::Block::ProgramMap));
    writeSceneRecords(c, data, masks);
    shareKept(c);
    // The blocks are read from the result alone, not from the tree.
    for (const program::Block block : program::BlockOrder) {
        const std::size_t b = static_cast<std::size_t>(block);
        walkBlock(c.screen, block, [&](const tagItemData* n, int s) {
            const std::uint32_t p = result->numberOf(n) * 4 + std::uint32_t(s);
            result->parts[b].push_back(p);
            result->sizes[b] += result->part(p).size();
        });
    }
    return result;
}

} // namespace

tagItemData* CContentCompiler::OversizedItem(tagItemData* node)
{
    return firstOversized(GetScreenOf(node), PaintedValuesOf);
}

tagItemData* CContentCompiler::UndrawableItem(tagItemData* node)
{
    return firstUndrawable(GetScreenOf(node), [](const tagItemData*) { return false; });
}

} // namespace sorvane::render

using namespace sorvane::render;

tagItemData* CCore::GetUndrawableItem(tagItemData* node) { return CContentCompiler::UndrawableItem(node); }

tagItemData* CCore::GetOversizedItem(tagItemData* node) { return CContentCompiler::OversizedItem(node); }

void CCore::ForgetCompiled(const tagItemData* screen)
{
    // Null would drop every screen's: the program names one.
    if (screen)
        CContentCompiler::ForgetCompiled(screen);
}

void CContentCompiler::FreeBuffers(tagItemData* node)
{
    if (const tagItemData* screen = GetScreenOf(node))
        endCompile(screen);
}

void CContentCompiler::ForgetCompiled(const tagItemData* screen)
{
    Kept& k = kept();
    std::list<KeptEntry> gone;
    {
        std::lock_guard g(k.lock);
        // One being read is still read to its end, but not kept.
        for (LiveCompile& l : k.live)
            if (!screen || l.screen == screen)
                l.keep = false;
        // Parts are owned by live screens: a copy going away drops none.
        const auto id = reinterpret_cast<std::uintptr_t>(screen);
        for (auto it = k.parts.begin(); it != k.parts.end();) {
            const auto next = std::next(it);
            if (!screen || it->owner == id)
                k.drop(it, gone);
            it = next;
        }
    }
    if (!gone.empty()) {
        gone.clear();
        ReturnFreedMemory();
    }
}

unsigned CContentCompiler::ReusedCompiles()
{
    std::lock_guard g(kept().lock);
    return kept().reused;
}

unsigned CContentCompiler::ReusedParts()
{
    std::lock_guard g(kept().lock);
    return kept().reusedParts;
}

unsigned CContentCompiler::CompiledParts()
{
    std::lock_guard g(kept().lock);
    return kept().compiledParts;
}

std::vector<std::uint8_t> CContentCompiler::CompiledSlot(const tagItemData* node, int slot)
{
    try {
        const ResultPtr r = readResult(node);
        const std::vector<std::uint8_t>* b = r ? r->find(node, slot) : nullptr;
        return b ? *b : std::vector<std::uint8_t>();
    } catch (...) {
        return {};
    }
}

std::size_t CContentCompiler::CompiledSlotSize(const tagItemData* node, int slot)
{
    try {
        const ResultPtr r = readResult(node);
        const std::vector<std::uint8_t>* b = r ? r->find(node, slot) : nullptr;
        return b ? b->size() : 0;
    } catch (...) {
        return 0;
    }
}

namespace {

std::size_t blockSize(tagItemData* node, program::Block block)
{
    const ResultPtr r = readResult(node);
    return r ? r->sizes[static_cast<std::size_t>(block)] : 0;
}

std::size_t copyBlock(tagItemData* node, program::Block block, std::uint8_t* buffer, std::size_t length)
{
    std::size_t n = 0;
    const ResultPtr r = buffer ? readResult(node) : nullptr;
    if (!r)
        return 0;
    for (const std::uint32_t p : r->parts[static_cast<std::size_t>(block)]) {
        const std::vector<std::uint8_t>& b = r->part(p);
        const std::size_t take = std::min(b.size(), length - n);
        if (take) {
            std::memcpy(buffer + n, b.data(), take);
            n += take;
        }
    }
    return n;
}

} // namespace

using sorvane::render::program::Block;

std::size_t CContentCompiler::GetBlockSize(tagItemData* node, Block block)
{
    return blockSize(node, block);
}
std::size_t CContentCompiler::CopyBlock(tagItemData* node, Block block, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, block, buffer, length);
}
std::size_t CContentCompiler::GetPageMapSize(tagItemData* node) { return blockSize(node, Block::PageMap); }
std::size_t CContentCompiler::GetProgramMapSize(tagItemData* node) { return blockSize(node, Block::ProgramMap); }
std::size_t CContentCompiler::GetProgramMaskSize(tagItemData* node) { return blockSize(node, Block::ProgramMask); }
std::size_t CContentCompiler::GetProgramDataSize(tagItemData* node) { return blockSize(node, Block::ProgramData); }
std::size_t CContentCompiler::CopyPageMap(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, Block::PageMap, buffer, length);
}
std::size_t CContentCompiler::CopyProgramMap(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, Block::ProgramMap, buffer, length);
}
std::size_t CContentCompiler::CopyProgramMask(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, Block::ProgramMask, buffer, length);
}
std::size_t CContentCompiler::CopyProgramData(tagItemData* node, std::uint8_t* buffer, std::size_t length)
{
    return copyBlock(node, Block::ProgramData, buffer, length);
}
