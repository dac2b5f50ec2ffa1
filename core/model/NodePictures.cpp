#include "core/model/NodePictures.h"
#include "core/api/OwnerThread.h"
#include "core/api/TypeRecords.h"
#include "core/model/CoreAccess.h"

#include <memory>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace sorvane::model;

namespace {

// Recursive: a painter sizes the picture it draws (CreateNodeBitmap) while
// the lock is held for it.
std::recursive_mutex g_lock;
tagItemData* g_oldest = nullptr;
tagItemData* g_newest = nullptr;
std::int64_t g_bytes = 0;
std::int64_t g_budget = DEFAULT_PICTURE_BUDGET;
PaintHook g_paintHook = nullptr;
PaintObserver g_paintObserver = nullptr;

} // namespace

namespace sorvane::model {

int PaintNode(tagItemData* node)
{
    return NodePictures::paint(node, nullptr);
}

int PaintNodeWith(tagItemData* node, PaintHook hook)
{
    return NodePictures::paint(node, hook);
}

PaintHook SetPaintHook(PaintHook hook)
{
    const std::lock_guard lock(g_lock);
    PaintHook previous = g_paintHook;
    g_paintHook = hook;
    return previous;
}

PaintObserver SetPaintObserver(PaintObserver observer)
{
    const std::lock_guard lock(g_lock);
    PaintObserver previous = g_paintObserver;
    g_paintObserver = observer;
    return previous;
}

std::int64_t NodePictures::setBudget(std::int64_t bytes)
{
    std::vector<QImage> released;
    const std::lock_guard lock(g_lock);
    const std::int64_t previous = g_budget;
    g_budget = bytes;
    evict(nullptr, released);
    return previous;
}

std::int64_t NodePictures::bytesHeld()
{
    const std::lock_guard lock(g_lock);
    return g_bytes;
}

PictureState NodePictures::stateOf(const tagItemData* node)
{
    const std::lock_guard lock(g_lock);
    return node ? PictureState(node->Preview.m_state) : PictureState::Stale;
}

bool NodePictures::showsAsNew(const tagItemData* node)
{
    const std::lock_guard lock(g_lock);
    return node && node->Preview.m_asNew;
}

int NodePictures::paint(tagItemData* node, PaintHook hook)
{
    // Declared first, so the pictures let go are freed after the lock.
    std::vector<QImage> released;
    const std::lock_guard lock(g_lock);
    return paintLocked(node, hook ? hook : g_paintHook, false, released);
}

QImage NodePictures::read(tagItemData* node)
{
    if (!node)
        return {};
    std::vector<QImage> released;
    const std::lock_guard lock(g_lock);
    const auto state = PictureState(node->Preview.m_state);
    if (state == PictureState::Stale || state == PictureState::Dropped)
        paintLocked(node, g_paintHook, true, released);
    touch(node);
    return node->Preview.m_image;
}

void NodePictures::measure(tagItemData* node)
{
    if (!node)
        return;
    std::vector<QImage> released;
    const std::lock_guard lock(g_lock);
    if (PictureState(node->Preview.m_state) == PictureState::Stale)
        paintLocked(node, g_paintHook, true, released);
}

void NodePictures::give(tagItemData* node, QImage picture)
{
    if (!node)
        return;
    QImage old;
    const std::lock_guard lock(g_lock);
    NodePictureSlot& s = node->Preview;
    old = std::exchange(s.m_image, std::move(picture));
    s.m_state = std::uint8_t(PictureState::Given);
    s.m_asNew = false;
    s.m_droppedSize = QSize();
    account(node);
}

void NodePictures::markAsNew(tagItemData* node)
{
    const std::lock_guard lock(g_lock);
    if (node)
        node->Preview.m_asNew = true;
}

void NodePictures::carry(const tagItemData* from, tagItemData* to)
{
    if (!from || !to)
        return;
    QImage old;
    const std::lock_guard lock(g_lock);
    const NodePictureSlot& f = from->Preview;
    NodePictureSlot& s = to->Preview;
    old = std::exchange(s.m_image, f.m_image);
    s.m_droppedSize = f.m_droppedSize;
    s.m_state = f.m_state;
    s.m_asNew = f.m_asNew;
    unlist(to);
    g_bytes -= s.m_bytes;
    s.m_bytes = 0;
}

void NodePictures::release(tagItemData* node)
{
    if (!node)
        return;
    QImage old;
    const std::lock_guard lock(g_lock);
    unlist(node);
    NodePictureSlot& s = node->Preview;
    g_bytes -= s.m_bytes;
    s.m_bytes = 0;
    old = std::exchange(s.m_image, QImage());
}

const QImage& NodePictures::peek(const tagItemData* node)
{
    return node->Preview.m_image;
}

std::unique_lock<std::recursive_mutex> NodePictures::hold()
{
    return std::unique_lock(g_lock);
}

QImage NodePictures::swap(tagItemData* node, QImage picture)
{
    const std::lock_guard lock(g_lock);
    QImage old = std::exchange(node->Preview.m_image, std::move(picture));
    account(node);
    return old;
}

namespace {

const ItemRecord* recordOf(const tagItemData* node)
{
    return node->Level == LEVEL_PROGRAM ? node->Item.TypeRecord : nullptr;
}

// What the load of a text or table with nothing in it shows: the picture
// of a new item of its kind, made before the stored record was read, then
// sized for the stored content. The stored content size stands; a record
// too short to hold its fields keeps the new record's frame count.
int paintAsNew(Painting& p, PaintHook hook)
{
    const tagItemData* node = p.node;
    std::unique_ptr<ItemRecord> fresh(ItemRecord::Create(node->Item.TypeCode));
    const QSize initial = InitialContentSize(node);
    Painting asNew{node, fresh.get(), QImage(), p.values};
    asNew.values.contentW = std::uint32_t(initial.width());
    asNew.values.contentH = std::uint32_t(initial.height());
    if (fresh && node->Item.TypeCode == IT_TEXTGIF)
        asNew.values.frameCount = fresh->get(records::textgif::FrameCount);
    const QSize first = PreviewSizeFor(node, asNew.values);
    GrowPicture(asNew.picture, first.width(), first.height());
    const int result = hook ? hook(asNew) : 0;
    p.picture = std::move(asNew.picture);
    const QSize stored = PreviewSizeFor(node, p.values);
    GrowPicture(p.picture, stored.width(), stored.height());
    if (p.record && fresh && node->Item.TypeCode == IT_TEXTGIF && node->Item.TypeRecordSize < records::textgif::Size)
        p.values.frameCount = asNew.values.frameCount;
    return result;
}

// Paints a node whose picture was in `state`, sized as it stood before:
// the painters only ever grow a picture. What the painter returned.
int paintInto(Painting& p, PaintHook hook, PictureState state, QSize dropped, bool asNew)
{
    if (asNew)
        return paintAsNew(p, hook);
    if (state == PictureState::Stale) {
        const QSize size = PreviewSizeFor(p.node, p.values);
        p.blank = GrowPicture(p.picture, size.width(), size.height());
    } else if (state == PictureState::Dropped && p.picture.isNull() && dropped.isValid()) {
        GrowPicture(p.picture, dropped.width(), dropped.height());
    }
    return hook ? hook(p) : 0;
}

} // namespace

int NodePictures::paintLocked(tagItemData* node, PaintHook hook, bool onRead, std::vector<QImage>& released)
{
    if (!node)
        return 0;
    if (g_paintObserver)
        g_paintObserver(node);
    NodePictureSlot& s = node->Preview;
    const bool asNew = onRead && s.m_asNew;
    Painting p{node, recordOf(node), std::exchange(s.m_image, QImage()), PaintedValuesOf(node)};
    // A new item's picture is made from nothing each time, as the load made it.
    if (asNew)
        released.push_back(std::exchange(p.picture, QImage()));
    const int result = paintInto(p, hook, PictureState(s.m_state), s.m_droppedSize, asNew);
    s.m_image = std::move(p.picture);
    // A painter that drew nothing set nothing.
    if (result || asNew)
        StorePaintedValues(node, p.values);
    if (!asNew)
        s.m_asNew = false;
    s.m_state = std::uint8_t(PictureState::Current);
    s.m_droppedSize = QSize();
    account(node);
    touch(node);
    evict(node, released);
    return result;
}

Painting NodePictures::look(const tagItemData* node, bool withPicture)
{
    Painting p;
    if (!node)
        return p;
    PictureState state;
    QSize dropped;
    bool asNew;
    PaintHook hook;
    {
        const std::lock_guard lock(g_lock);
        const NodePictureSlot& s = node->Preview;
        state = PictureState(s.m_state);
        dropped = s.m_droppedSize;
        asNew = s.m_asNew;
        hook = g_paintHook;
        p = Painting{node, recordOf(node), QImage(), PaintedValuesOf(node)};
        if (state == PictureState::Current || state == PictureState::Given) {
            // A copy of our own: no pixels shared with a canvas's thread.
            if (withPicture)
                p.picture = s.m_image.copy();
            return p;
        }
    }
    if (state == PictureState::Dropped && !withPicture)
        return p;
    // Never painted, or its pixels gone: painted here, into our own picture.
    Painting own = p;
    const int result = paintInto(own, hook, state, dropped, asNew);
    p.picture = std::move(own.picture);
    if (state == PictureState::Stale && (result || asNew))
        p.values = own.values;
    return p;
}

void NodePictures::account(tagItemData* node)
{
    NodePictureSlot& s = node->Preview;
    const qsizetype bytes = s.m_image.isNull() ? 0 : s.m_image.sizeInBytes();
    g_bytes += bytes - s.m_bytes;
    s.m_bytes = bytes;
    // A given picture is never dropped; an empty one has nothing to drop.
    if (bytes == 0 || PictureState(s.m_state) == PictureState::Given)
        unlist(node);
    else if (!s.m_listed)
        touch(node);
}

void NodePictures::unlist(tagItemData* node)
{
    NodePictureSlot& s = node->Preview;
    if (!s.m_listed)
        return;
    (s.m_older ? s.m_older->Preview.m_newer : g_oldest) = s.m_newer;
    (s.m_newer ? s.m_newer->Preview.m_older : g_newest) = s.m_older;
    s.m_older = s.m_newer = nullptr;
    s.m_listed = false;
}

void NodePictures::touch(tagItemData* node)
{
    NodePictureSlot& s = node->Preview;
    if (s.m_bytes == 0 || PictureState(s.m_state) == PictureState::Given)
        return;
    unlist(node);
    s.m_older = g_newest;
    (g_newest ? g_newest->Preview.m_newer : g_oldest) = node;
    g_newest = node;
    s.m_listed = true;
}

void NodePictures::evict(const tagItemData* keep, std::vector<QImage>& released)
{
    for (tagItemData* n = g_oldest; n && g_bytes > g_budget;) {
        tagItemData* next = n->Preview.m_newer;
        if (n != keep) {
            NodePictureSlot& s = n->Preview;
            if (PictureState(s.m_state) == PictureState::Current) {
                s.m_state = std::uint8_t(PictureState::Dropped);
                s.m_droppedSize = s.m_image.size();
            }
            released.push_back(std::exchange(s.m_image, QImage()));
            account(n);
        }
        n = next;
    }
}

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace sorvane::model

QImage GetNodePicture(tagItemData* node)
{
#if SORVANE_THREAD_CHECKS
    // A picture that is there is only read; making one paints the node.
    if (const PictureState state = NodePictures::stateOf(node);
        node && (state == PictureState::Stale || state == PictureState::Dropped))
        SORVANE_ASSERT_NODE_OWNER(node);
#endif
    try {
        return NodePictures::read(node);
    } catch (...) {
        return {};   // out of memory: no picture this time
    }
}

void SetNodePicture(tagItemData* node, QImage picture)
{
    SORVANE_ASSERT_NODE_OWNER(node);
    NodePictures::give(node, std::move(picture));
}
