// The round trip of a screen the operator builds: from the input, scenes,
// sections and items of every kind are added and deleted, moved and sized
// as the dialogs allow, given borders, texts (empty ones too), text records
// of their own, tables and names, settings
// within their limits and accepted controller answers, and the screen is
// resized. Whatever the core then holds it saves; what it saved loads into
// a fresh screen, and saving that gives the same bytes.
#define FUZZ_WITH_QT_APP
#include "core/api/Core.h"
#include "core/api/SettingLimits.h"
#include "core/api/TypeRecords.h"
#include "core/api/WorkMode.h"
#include "core/link/Commands.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScreenScript.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <vector>

using namespace screenscript;
using namespace sorvane::model;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kMostNodes = 3000;
constexpr std::size_t kMostTextUnits = 1 << 20;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_at >= m_size; }
    unsigned u8() { return m_at < m_size ? m_data[m_at++] : 0; }
    unsigned u16() { return u8() | (u8() << 8); }
    std::uint32_t u32() { return u16() | (std::uint32_t(u16()) << 16); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

std::vector<tagItemData*> nodesOf(tagItemData* screen, int level)
{
    std::vector<tagItemData*> out;
    for (tagItemData* c = screen->FirstChild; c; c = c->NextSibling)
        ForEachNode(c, [&](tagItemData* n) {
            if (level < 0 || int(n->Level) == level)
                out.push_back(n);
        });
    return out;
}

// The node at `index` in pre-order, or the last one beyond.
tagItemData* pick(const std::vector<tagItemData*>& from, unsigned index)
{
    return from.empty() ? nullptr : from[std::min<std::size_t>(index, from.size() - 1)];
}

Bytes stored(CCore& core, tagItemData* screen)
{
    Bytes out(core.GetStoreSize(screen));
    core.Store(screen, out.data(), static_cast<unsigned>(out.size()));
    return out;
}

// A setting as the dialogs give it: a value within the field's limits, a
// work mode the table knows with a scan that fits it.
void setSetting(CCore& core, tagItemData* screen, SettingField field, std::uint32_t raw)
{
    const SettingLimit& limit = LimitOf(field);
    const std::uint64_t span = std::uint64_t(limit.most) - limit.least + 1;
    const auto v = static_cast<std::uint32_t>(limit.least + raw % span);
    tagGlobalInfo& g = screen->Global;
    switch (field) {
    case SET_ADDRESS: g.ID = std::uint8_t(v); break;
    case SET_WIDTH: core.ChangeItemRect(screen, 0, 0, int(v), g.Height); break;
    case SET_HEIGHT: core.ChangeItemRect(screen, 0, 0, g.Width, int(v)); break;
    case SET_REFRESH: g.ReFreq = std::uint16_t(v); break;
    case SET_WORKMODE:
        if (WorkModeKnown(int(v))) {
            g.Type = std::uint16_t(v);
            if (!ScanFitsWorkMode(int(v), g.ScanMode))
                g.ScanMode = 1;
        }
        break;
    case SET_SCAN:
        if (ScanFitsWorkMode(g.Type, v))
            g.ScanMode = std::uint16_t(v);
        break;
    case SET_ROWDECODE: g.RowDecode = std::uint8_t(v); break;
    case SET_OPTIONS: g.OptionBits = std::uint8_t(v); break;
    case SET_OPTIONS2: g.OptionBits2 = std::uint8_t(v); break;
    case SET_BRIGHTNESS: g.Lum = std::uint16_t(v); break;
    case SET_SETTINGSWORD: g.SettingsWord = v; break;
    case SET_ON_HOUR: g.HourSU = std::uint8_t(v); break;
    case SET_ON_MINUTE: g.MinSU = std::uint8_t(v); break;
    case SET_OFF_HOUR: g.HourSD = std::uint8_t(v); break;
    case SET_OFF_MINUTE: g.MinSD = std::uint8_t(v); break;
    case SET_WEEKDAYS: g.WeekSD = g.AutoS ? std::uint8_t(v) : 0; break;
    case SET_AUTOSWITCH:
        g.AutoS = std::uint8_t(v);
        if (!g.AutoS)
            g.WeekSD = 0;
        break;
    default: break;
    }
}

// The offset of the text's pointer slot in a text item's record.
std::size_t textSlotOf(std::uint16_t type)
{
    switch (type) {
    case IT_SINGLELINE: return records::singleline::TextSlot;
    case IT_TEXT: return records::richtext::TextSlot;
    case IT_TEXTGIF: return records::textgif::TextSlot;
    default: return ~std::size_t(0);
    }
}

QString textOf(Input& in, unsigned length, unsigned fill)
{
    QString text(qsizetype(length), QChar(u' ' + (fill >> 1) % 0x5F));
    if (fill & 1)
        for (unsigned i = 0; i < length; ++i)
            text[qsizetype(i)] = QChar(char16_t(in.u16()));
    return text;
}

void run(CCore& core, tagItemData* screen, Input& in, bool& secondKindCounters)
{
    std::size_t textUnits = 0;
    while (!in.done()) {
        const unsigned op = in.u8() % OP_COUNT;
        const bool room = nodesOf(screen, -1).size() < kMostNodes;
        switch (op) {
        case OP_SCENE: {
            const unsigned kind = in.u8();
            tagItemData* after = pick(nodesOf(screen, LEVEL_SCENE), in.u8());
            if (room)
                core.AddItem((kind & 1) ? IT_GLOBALSCENE : IT_SCENE, u"scene", screen, after);
            break;
        }
        case OP_SECTION: {
            tagItemData* scene = pick(nodesOf(screen, LEVEL_SCENE), in.u8());
            const unsigned kind = IT_WND_PROGLIST + in.u8() % (IT_WND_COUNT - IT_WND_PROGLIST + 1);
            if (scene && room)
                core.AddItem(static_cast<unsigned short>(kind), u"section", scene, nullptr);
            break;
        }
        case OP_ITEM: {
            tagItemData* section = pick(nodesOf(screen, LEVEL_SECTION), in.u8());
            const std::uint16_t kind = kItemKinds[in.u8() % std::size(kItemKinds)];
            if (section && room) {
                // Items follow each other as the tree adds them, last to the end.
                tagItemData* last = section->FirstChild;
                while (last && last->NextSibling)
                    last = last->NextSibling;
                core.AddItem(kind, u"item", section, last);
                secondKindCounters |= kind == IT_COUNT2;
            }
            break;
        }
        case OP_DELETE: {
            tagItemData* node = pick(nodesOf(screen, -1), in.u16());
            if (node)
                core.DeleteItem(node);
            break;
        }
        case OP_RECT: {
            tagItemData* section = pick(nodesOf(screen, LEVEL_SECTION), in.u16());
            const int w = screen->Global.Width, h = screen->Global.Height;
            const int x = int(in.u16()) % w, y = int(in.u16()) % h;
            const int sw = 1 + int(in.u16()) % w, sh = 1 + int(in.u16()) % h;
            if (section)
                core.ChangeItemRect(section, x, y, sw, sh);
            break;
        }
        case OP_FRAME: {
            tagItemData* node = pick(nodesOf(screen, -1), in.u16());
            const unsigned width = in.u8() % 9;
            const unsigned type = in.u8();
            if (node && (node->Level == LEVEL_SCENE || node->Level == LEVEL_SECTION)) {
                core.SetItemFrame(node, int(width));
                DynFrame* frame = node->Level == LEVEL_SCENE ? node->Scene.Frame : node->Section.Frame;
                if (frame && frame->Count < 8)
                    core.AddFrameElement(static_cast<unsigned short>(type), u"pattern", frame, nullptr);
            }
            break;
        }
        case OP_SETTING: {
            const auto field = static_cast<SettingField>(in.u8() % SET_FIELD_COUNT);
            setSetting(core, screen, field, in.u32());
            break;
        }
        case OP_ANSWER: {
            std::uint8_t answer[sorvane::link::kHardwareBlockSize];
            for (std::uint8_t& b : answer)
                b = std::uint8_t(in.u8());
            if (sorvane::link::HardwareAnswerAllowed(answer, sizeof answer))
                sorvane::link::ApplyHardwareAnswer(answer, sizeof answer, screen->Global);
            break;
        }
        case OP_SIZE: {
            const int w = 1 + int(in.u16()) % int(MAX_PANEL_WIDTH);
            const int h = 1 + int(in.u16()) % int(MAX_PANEL_HEIGHT);
            core.ChangeItemRect(screen, 0, 0, w, h);
            break;
        }
        case OP_TEXT: {
            tagItemData* item = pick(nodesOf(screen, LEVEL_PROGRAM), in.u16());
            const unsigned length = in.u16() % 1001;
            const QString text = textOf(in, length, in.u8());
            if (item && textUnits + length <= kMostTextUnits) {
                textUnits += length;
                records::SetItemText(item, text);
            }
            break;
        }
        case OP_NAME: {
            tagItemData* node = pick(nodesOf(screen, -1), in.u16());
            std::u16string name(in.u8() % 128, u'\0');
            for (char16_t& c : name)
                c = char16_t(std::max(1u, in.u16()));
            if (node)
                core.ChangeItemName(node, name.c_str());
            break;
        }
        case OP_RECORD: {
            tagItemData* item = pick(nodesOf(screen, LEVEL_PROGRAM), in.u16());
            const unsigned at = in.u16();
            const unsigned value = in.u8();
            ItemRecord* r = item ? item->Item.TypeRecord : nullptr;
            if (r && r->owned() == ItemRecord::Owned::Text) {
                const std::size_t offset = at % r->size();
                const std::size_t slot = textSlotOf(item->Item.TypeCode);
                if (offset < slot || offset >= slot + 4)
                    r->set(records::U8{offset}, std::uint8_t(value));
            }
            break;
        }
        case OP_TABLE: {
            tagItemData* item = pick(nodesOf(screen, LEVEL_PROGRAM), in.u16());
            QByteArray stream(qsizetype(in.u16() % 4097), '\0');
            for (char& c : stream)
                c = char(in.u8());
            if (item)
                records::SetItemTableStream(item, stream);
            break;
        }
        default: break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CCore* core = new CCore;
    tagItemData* screen = core->AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    Input in(data, size);
    bool secondKindCounters = false;
    run(*core, screen, in, secondKindCounters);
    const Bytes first = stored(*core, screen);

    CCore& other = *core;
    tagItemData* fresh = other.AddItem(IT_SCREEN, u"fresh", nullptr, nullptr);
    FUZZ_CHECK(LoadProgramList(fresh, first.data(), first.size()) == PL_OK, "a saved screen opens again");
    const Bytes second = stored(other, fresh);
    // Counters of the second kind open as counters, the one change the format makes.
    if (!secondKindCounters)
        FUZZ_CHECK(second == first, "a saved screen opened and saved again is byte-identical");
    tagItemData* third = other.AddItem(IT_SCREEN, u"third", nullptr, nullptr);
    FUZZ_CHECK(LoadProgramList(third, second.data(), second.size()) == PL_OK, "a screen saved twice opens");
    FUZZ_CHECK(stored(other, third) == second, "a screen saved twice stays byte-identical");
    core->DeleteItem(third);
    core->DeleteItem(fresh);
    core->DeleteItem(screen);
    return 0;
}
