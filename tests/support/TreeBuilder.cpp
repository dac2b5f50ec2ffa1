#include "support/TreeBuilder.h"

#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/render/PaintDispatch.h"
#include "platform/LogFont.h"

using namespace sorvane::model;

namespace support {

TreeBuilder::TreeBuilder() : m_header(CreateHeaderNode())
{
    // Trees built without a core are painted, and their compiles forgotten,
    // as the core's are.
    sorvane::render::InstallModelHooks();
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

namespace {

// An RTF of two coloured lines; with a picture group, as a word processor
// writes one (the reader skips it).
QString wallRichText(int scene, int section, bool withPicture)
{
    const QString picture = withPicture
        ? QStringLiteral("{\\pict\\pngblip\\picw8\\pich8\\picwgoal120\\pichgoal120 "
                         "89504e470d0a1a0a0000000d4948445200000008000000080802000000}")
        : QString();
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}"
                          "{\\colortbl ;\\red255\\green255\\blue0;\\red0\\green255\\blue0;}"
                          "\\pard\\cf1\\f0\\fs24 Scene %1 window %2 %3\\cf2\\b today\\b0  on the wall\\par"
                          " second line of the notice\\par}")
        .arg(scene)
        .arg(section)
        .arg(picture);
}

void monoFont(tagItemData* item, records::Font field)
{
    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, u"DejaVu Sans Mono");
    item->Item.TypeRecord->set(field, lf);
}

} // namespace

bool writeWallPicture(const QString& path)
{
    QImage picture(480, 120, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 3) & 255, (y * 5) & 255, ((x ^ y) * 7) & 255));
    return picture.save(path, "PNG");
}

tagItemData* buildWallScreen(CCore& core, const WallSpec& spec)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"wall", nullptr, nullptr);
    if (!screen)
        return nullptr;
    core.ChangeItemRect(screen, 0, 0, spec.width, spec.height);
    const int w = spec.width / spec.columns, h = spec.height / spec.rows;
    tagItemData* scene = nullptr;
    for (int s = 0; s < spec.scenes; ++s) {
        scene = core.AddItem(IT_SCENE, u"scene", screen, scene);
        tagItemData* section = nullptr;
        int texts = 0;
        for (int i = 0; i < spec.columns * spec.rows; ++i) {
            const bool list = i % spec.columns == spec.columns - 1;
            section = core.AddItem(list ? IT_WND_PROGLIST : IT_WND_TEXT, u"window", scene, section);
            core.ChangeItemRect(section, (i % spec.columns) * w, (i / spec.columns) * h, w, h);
            if (!list) {
                const bool single = texts++ % 2 == 0;
                tagItemData* text = core.AddItem(single ? IT_SINGLELINE : IT_TEXT, u"text", section, nullptr);
                records::SetItemText(text, single ? QStringLiteral("Scene %1, window %2: platform 4 now boarding").arg(s).arg(i)
                                                  : wallRichText(s, i, false));
                core.Paint(text);
                continue;
            }
            tagItemData* rich = core.AddItem(IT_TEXT, u"notice", section, nullptr);
            records::SetItemText(rich, wallRichText(s, i, true));
            core.Paint(rich);
            tagItemData* picture = core.AddItem(IT_IMAGE, u"picture", section, rich);
            picture->Item.TypeRecord->set(records::picture::Path, spec.picture);
            core.Paint(picture);
            tagItemData* digital = core.AddItem(IT_CLOCKDIGIT, u"clock", section, picture);
            monoFont(digital, records::clockdigit::TextFont);
            digital->Item.TypeRecord->set(records::clockdigit::ShowFlags, 0x70u);
            core.Paint(digital);
            tagItemData* analog = core.AddItem(IT_CLOCKSIMUL, u"dial", section, digital);
            analog->Item.TypeRecord->set(records::clocksimul::FaceFlags, std::uint8_t(4));
            core.Paint(analog);
        }
    }
    return screen;
}

LiveNodeProbe::LiveNodeProbe() : m_image(1, 1, QImage::Format_RGB32)
{
    m_image.fill(0);
}

int LiveNodeProbe::mark(tagItemData* root)
{
    if (!root)
        return 0;
    SetNodePicture(root, m_image);
    int n = 1;
    for (tagItemData* c = root->FirstChild; c; c = c->NextSibling)
        n += mark(c);
    return n;
}

} // namespace support
