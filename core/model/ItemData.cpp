#include "core/model/ItemData.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/model/CoreAccess.h"
#include "core/model/Geometry.h"
#include "core/model/ItemKinds.h"
#include "core/model/NodePictures.h"

#include <QColor>

#include <atomic>

using namespace sorvane::model;

namespace {

QSize screenSizeOf(tagItemData* node)
{
    tagItemData* screen = AncestorAtLevel(node, LEVEL_ROOT);
    return screen ? QSize(screen->Global.Width, screen->Global.Height) : QSize(0, 0);
}

// size * ceil(content / size), or size when the content is not set.
int widened(int size, std::uint32_t content)
{
    if (content == 0 || size <= 0)
        return size;
    const std::uint64_t cells = (content + static_cast<std::uint64_t>(size) - 1) / static_cast<std::uint64_t>(size);
    const std::uint64_t w = cells * static_cast<std::uint64_t>(size);
    return w > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(w);
}

} // namespace

namespace sorvane::model {

void LinkNode(tagItemData* node, tagItemData* after, tagItemData* parent)
{
    if (after) {
        node->NextSibling = after->NextSibling;
        if (after->NextSibling)
            after->NextSibling->PrevSibling = node;
        after->NextSibling = node;
        node->PrevSibling = after;
    } else {
        node->NextSibling = parent->FirstChild;
        if (parent->FirstChild)
            parent->FirstChild->PrevSibling = node;
        parent->FirstChild = node;
    }
}

void SetNodeName(tagItemData* node, const char16_t* name)
{
    if (!node)
        return;
    std::fill(std::begin(node->Name), std::end(node->Name), u'\0');
    if (!name)
        return;
    for (int i = 0; i < 127 && name[i]; ++i)
        node->Name[i] = name[i];
}

} // namespace sorvane::model

tagItemData* AncestorAtLevel(tagItemData* node, std::uint32_t level)
{
    for (tagItemData* n = node; n; n = n->Parent)
        if (n->Level == level)
            return n;
    return nullptr;
}

namespace sorvane::model {

tagItemData* CreateHeaderNode()
{
    auto* node = new tagItemData;
    node->Level = LEVEL_HEADER;
    return node;
}

tagItemData* CreateNode(tagItemData* after, std::uint16_t type, const char16_t* name, tagItemData* parent)
{
    tagItemData* node = CreateNodeUnpainted(after, type, name, parent);
    if (node) {
        ResizeNodeBitmap(node);
        PaintNode(node);
    }
    return node;
}

tagItemData* CreateNodeUnpainted(tagItemData* after, std::uint16_t type, const char16_t* name, tagItemData* parent)
{
    const ItemLevel level = LevelOfType(type);
    // Linking at the head needs the parent; sections and items also take
    // their position and size from it.
    if (!parent && (!after || level == LEVEL_SECTION || level == LEVEL_PROGRAM))
        return nullptr;

    auto* node = new tagItemData;
    node->Parent = parent;
    LinkNode(node, after, parent);

    node->Level = level;
    node->RecordSize = ITEMDATA_SIZE;
    node->RecordVersion = 3;
    SetNodeName(node, name);
    node->KeptWord44 = 0;
    node->KeptWord48 = 0xFFFF;
    node->PlayTime = 2000;

    switch (level) {
    case LEVEL_ROOT:
        InitGlobalInfo(node->Global);
        node->Global.TypeCode = type;
        node->BlockSize = GLOBALINFO_SIZE;
        break;
    case LEVEL_SCENE:
        node->BlockSize = SCENE_BLOCK_SIZE;
        node->Scene.TypeCode = type;
        node->PlayTime = -1;
        node->Scene.PicturePresent = 0;
        node->Scene.PictureMode = LAYOUT_NO_PICTURE;
        node->Scene.DisplayOption = 1;
        CreateFrame(node);
        break;
    case LEVEL_SECTION: {
        node->BlockSize = SECTION_BLOCK_SIZE;
        node->Section.WndKind = static_cast<std::uint8_t>(type);
        const auto border = static_cast<std::uint16_t>(GetOwnFrameWidth(parent));
        node->Section.RectX = border;
        node->Section.RectY = border;
        const QSize screen = screenSizeOf(parent);
        node->Section.RectW = static_cast<std::uint16_t>(screen.width() / 2);
        node->Section.RectH = static_cast<std::uint16_t>(screen.height() / 2);
        CreateFrame(node);
        break;
    }
    default: {
        node->BlockSize = ITEM_BLOCK_SIZE;
        node->Item.TypeCode = type;
        const tagItemData* section = AncestorAtLevel(parent, LEVEL_SECTION);
        const ItemKind& fx = itemKind(type);
        if (section && fx.contentSized) {
            node->Item.ContentW = section->Section.RectW;
            node->Item.ContentH = section->Section.RectH;
        }
        node->InEffect = fx.inEffect;
        node->InSpeed = fx.inSpeed;
        node->Item.OutEffect = 0;
        node->Item.OutSpeed = fx.outSpeed;
        node->Item.TypeRecord = ItemRecord::Create(type);
        if (node->Item.TypeRecord && type != IT_GRID)
            node->Item.TypeRecordSize = GetPayloadSize(node);
        break;
    }
    }

    return node;
}

namespace {
// Screens are destroyed on workers too (their scratch copies).
std::atomic<ScreenGoneHook> g_screenGone{nullptr};
} // namespace

ScreenGoneHook SetScreenGoneHook(ScreenGoneHook hook) { return g_screenGone.exchange(hook); }

void DestroyNode(tagItemData*& node)
{
    if (!node)
        return;
    while (tagItemData* child = node->FirstChild) {
        node->FirstChild = child->NextSibling;
        if (node->FirstChild)
            node->FirstChild->PrevSibling = nullptr;
        child->Parent = child->PrevSibling = child->NextSibling = nullptr;
        DestroyNode(child);
    }
    NodePictures::release(node);
    if (node->Level == LEVEL_ROOT)
        if (const ScreenGoneHook gone = g_screenGone.load())
            gone(node);
    switch (node->Level) {
    case LEVEL_SCENE:
        node->Scene.OwnedBlock.clear();
        DestroyFrame(node);
        break;
    case LEVEL_SECTION:
        DestroyFrame(node);
        break;
    case LEVEL_PROGRAM:
        delete node->Item.TypeRecord;
        node->Item.TypeRecord = nullptr;
        break;
    default:
        break;
    }
    delete node;
    node = nullptr;
}

} // namespace sorvane::model

QSize PreviewSizeOf(const tagItemData* node)
{
    return node ? PreviewSizeFor(node, PaintedValuesOf(node)) : QSize(0, 0);
}

namespace sorvane::model {

QSize PreviewSizeFor(const tagItemData* node, const PaintedValues& values)
{
    if (!node)
        return {0, 0};
    auto* n = const_cast<tagItemData*>(node);
    switch (node->Level) {
    case LEVEL_SCENE:
        return screenSizeOf(n);
    case LEVEL_SECTION:
        return {node->Section.RectW, node->Section.RectH};
    case LEVEL_PROGRAM: {
        const tagItemData* section = AncestorAtLevel(n, LEVEL_SECTION);
        if (!section)
            return {0, 0};
        return {widened(section->Section.RectW, values.contentW), widened(section->Section.RectH, values.contentH)};
    }
    default:
        return {0, 0};
    }
}

PaintedValues PaintedValuesOf(const tagItemData* node)
{
    PaintedValues v;
    if (!node)
        return v;
    if (node->Level == LEVEL_SCENE)
        v.picturePresent = node->Scene.PicturePresent;
    if (node->Level == LEVEL_PROGRAM) {
        v.contentW = node->Item.ContentW;
        v.contentH = node->Item.ContentH;
        if (node->Item.TypeCode == IT_TEXTGIF && node->Item.TypeRecord)
            v.frameCount = node->Item.TypeRecord->get(records::textgif::FrameCount);
    }
    return v;
}

namespace {
template <class T, class V>
void store(T& field, V value)
{
    if (field != static_cast<T>(value))
        field = static_cast<T>(value);
}
} // namespace

void StorePaintedValues(tagItemData* node, const PaintedValues& values)
{
    if (!node)
        return;
    if (node->Level == LEVEL_SCENE)
        store(node->Scene.PicturePresent, values.picturePresent);
    if (node->Level != LEVEL_PROGRAM)
        return;
    store(node->Item.ContentW, values.contentW);
    store(node->Item.ContentH, values.contentH);
    ItemRecord* rec = node->Item.TypeRecord;
    if (node->Item.TypeCode == IT_TEXTGIF && rec && rec->get(records::textgif::FrameCount) != values.frameCount)
        rec->set(records::textgif::FrameCount, values.frameCount);
}

bool ResizeNodeBitmap(tagItemData* node)
{
    if (!node)
        return false;
    const QSize size = PreviewSizeOf(node);
    return CreateNodeBitmap(node, size.width(), size.height());
}

bool UpdateNodeBitmap(tagItemData* node)
{
    if (!node)
        return false;
    const QSize size = PreviewSizeOf(node);
    const auto lock = NodePictures::hold();
    const QImage& picture = NodePictures::peek(node);
    if (picture.width() >= size.width() && picture.height() >= size.height())
        return false;
    return ResizeNodeBitmap(node);
}

bool CreateNodeBitmap(tagItemData* node, int w, int h)
{
    if (!node || w <= 0 || h <= 0)
        return false;
    const auto lock = NodePictures::hold();
    QImage picture = NodePictures::peek(node);
    if (!GrowPicture(picture, w, h))
        return false;
    NodePictures::swap(node, std::move(picture));
    return true;
}

bool GrowPicture(QImage& picture, int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    if (!picture.isNull() && picture.width() >= w && picture.height() >= h)
        return false;
    // A size no screen has (a damaged file, say) makes no picture rather
    // than gigabytes of one.
    if (static_cast<std::int64_t>(w) * h > MAX_PREVIEW_PIXELS)
        return false;
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        return false;   // too large to allocate: keep the old picture
    image.fill(Qt::black);
    picture = std::move(image);
    return true;
}

QSize InitialContentSize(const tagItemData* item)
{
    if (!item || item->Level != LEVEL_PROGRAM)
        return {0, 0};
    const tagItemData* section = AncestorAtLevel(const_cast<tagItemData*>(item), LEVEL_SECTION);
    if (!section || !itemKind(item->Item.TypeCode).contentSized)
        return {0, 0};
    return {section->Section.RectW, section->Section.RectH};
}

std::uint32_t GetPayloadSize(const tagItemData* node)
{
    if (!node)
        return 0;
    switch (node->Level) {
    case LEVEL_SCENE:
    case LEVEL_SECTION: {
        const DynFrame* frame = node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
        std::uint32_t size = DYNFRAME_SIZE;
        if (frame)
            for (const DynFrameElement* e = frame->First; e; e = e->Next)
                size += e->Size();
        return size;
    }
    case LEVEL_PROGRAM:
        return node->Item.TypeRecord ? TypeRecordPayloadSize(*node->Item.TypeRecord) : 0;
    default:
        return 0;
    }
}

} // namespace sorvane::model
