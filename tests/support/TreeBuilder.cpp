#include "support/TreeBuilder.h"

#include "core/api/ItemRecord.h"
#include "core/render/PaintDispatch.h"

using namespace sorvane::model;

namespace support {

TreeBuilder::TreeBuilder() : m_header(CreateHeaderNode())
{
    // Trees built without a core are painted as the core's are.
    SetPaintHook(&PaintItemByKind);
}

TreeBuilder::~TreeBuilder() { DestroyNode(m_header); }

tagItemData* TreeBuilder::append(tagItemData* parent, std::uint16_t kind, const char16_t* name)
{
    if (!parent)
        return nullptr;
    tagItemData* last = parent->FirstChild;
    while (last && last->NextSibling)
        last = last->NextSibling;
    return CreateNode(last, kind, name, parent);
}

tagItemData* TreeBuilder::screen(std::optional<ScreenSpec> spec, const char16_t* name)
{
    tagItemData* s = append(m_header, IT_SCREEN, name);
    if (s && spec) {
        s->Global.Width = static_cast<std::uint16_t>(spec->width);
        s->Global.Height = static_cast<std::uint16_t>(spec->height);
        if (spec->type)
            s->Global.Type = *spec->type;
        if (spec->scan)
            s->Global.ScanMode = *spec->scan;
        s->Global.SwapRedGreen = spec->swapRedGreen ? 1 : 0;
    }
    return s;
}

tagItemData* TreeBuilder::scene(tagItemData* screen, const char16_t* name, std::uint16_t kind)
{
    return append(screen, kind, name);
}

tagItemData* TreeBuilder::section(tagItemData* scene, std::optional<QRect> rect, const char16_t* name,
                                  std::uint16_t kind)
{
    tagItemData* s = append(scene, kind, name);
    if (s && rect) {
        s->Section.RectX = static_cast<std::uint16_t>(rect->x());
        s->Section.RectY = static_cast<std::uint16_t>(rect->y());
        s->Section.RectW = static_cast<std::uint16_t>(rect->width());
        s->Section.RectH = static_cast<std::uint16_t>(rect->height());
    }
    return s;
}

tagItemData* TreeBuilder::item(tagItemData* section, std::uint16_t kind, const char16_t* name)
{
    return append(section, kind, name);
}

bool TreeBuilder::setRecordText(tagItemData* item, const QString& text)
{
    return records::SetItemText(item, text);
}

LiveNodeProbe::LiveNodeProbe() : m_image(1, 1, QImage::Format_RGB32)
{
    m_image.fill(0);
}

int LiveNodeProbe::mark(tagItemData* root)
{
    if (!root)
        return 0;
    root->Preview = m_image;
    int n = 1;
    for (tagItemData* c = root->FirstChild; c; c = c->NextSibling)
        n += mark(c);
    return n;
}

} // namespace support
