// Program-list images: building them, checking them and loading them into a screen.
#include "core/model/ProgramList.h"
#include "core/api/OwnerThread.h"
#include "core/model/StoredRecords.h"
#include "core/api/Core.h"
#include "core/model/DynFrame.h"
#include "core/model/Guard.h"
#include "core/model/HardwareInfo.h"
#include "core/model/ItemKinds.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"
#include "platform/ByteIO.h"
#include "platform/OperatorFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

using namespace sorvane::model;

using namespace bytes;

namespace {

// Header fields.
constexpr std::size_t H_MAGIC = 0, H_VERSION = 2, H_HEADERSIZE = 3, H_NODESIZE = 4, H_RECORDSIZE = 8,
                      H_NODEOFFSET = 12, H_SETTINGSSIZE = 16, H_SETTINGSOFFSET = 20;
// Node image fields read by the loader.
constexpr std::size_t N_LEVEL = 0, N_WORD44 = 44, N_WORD48 = 48, N_NAME = 52, N_PLAYTIME = 308, N_INEFFECT = 312,
                      N_INSPEED = 314, N_BLOCK = 316;
// Payload reference slots and size words inside node images.
constexpr std::size_t SCENE_FRAME = 856, SCENE_FRAMESIZE = 860, SECTION_BORDER = 318, SECTION_FRAME = 328,
                      SECTION_FRAMESIZE = 332, ITEM_TYPE = 320, ITEM_RECORD = 324, ITEM_RECORDSIZE = 328,
                      ITEM_CONTENTW = 332, ITEM_CONTENTH = 336, ITEM_OUTEFFECT = 341, ITEM_OUTSPEED = 342;
using namespace records::border;

// ---- storing ----

void appendFrame(const DynFrame* frame, std::vector<std::uint8_t>& out)
{
    const std::size_t at = out.size();
    out.resize(at + DYNFRAME_SIZE, 0);
    if (!frame) {
        DynFrame empty;
        WriteDynFrame(empty, out.data() + at);
    } else {
        WriteDynFrame(*frame, out.data() + at);
    }
    // The elements follow in order; count and first-element link are not stored.
    put16(out.data() + at, FrCount, 0);
    put32(out.data() + at, FrFirst, 0);
    for (const DynFrameElement* e = frame ? frame->First : nullptr; e; e = e->Next) {
        std::vector<std::uint8_t> img = WriteDynFrameElement(*e);
        put32(img.data(), ElData, static_cast<std::uint32_t>(DYNFRAME_ELEMENT_SIZE));
        out.insert(out.end(), img.begin(), img.end());
    }
}

// The node's image and its payload. The size word is the payload's as
// written here: the node is only read, from whichever thread stores it.
void appendNode(const tagItemData* node, std::vector<std::uint8_t>& out)
{
    if (node->Level < LEVEL_SCENE || node->Level > LEVEL_PROGRAM)
        return;
    const std::uint32_t payload = GetPayloadSize(node);
    const std::size_t at = out.size();
    out.resize(at + ITEMDATA_SIZE, 0);
    std::uint8_t* img = out.data() + at;
    WriteNodeImage(*node, img);
    const std::uint32_t ref = payload ? static_cast<std::uint32_t>(ITEMDATA_SIZE) : 0;
    switch (node->Level) {
    case LEVEL_SCENE:
        put32(img, SCENE_FRAME, ref);
        put32(img, SCENE_FRAMESIZE, payload);
        appendFrame(node->Scene.Frame, out);
        break;
    case LEVEL_SECTION:
        put8(img, SECTION_BORDER, 0);
        put32(img, SECTION_FRAME, ref);
        put32(img, SECTION_FRAMESIZE, payload);
        appendFrame(node->Section.Frame, out);
        break;
    default:
        put32(img, ITEM_RECORD, ref);
        put32(img, ITEM_RECORDSIZE, payload);
        if (node->Item.TypeRecord) {
            const std::vector<std::uint8_t> record = WriteTypeRecord(*node->Item.TypeRecord);
            out.insert(out.end(), record.begin(), record.end());
        }
        break;
    }
}

// ---- loading ----

struct Header {
    std::uint8_t version;
    std::uint32_t nodeSize;
    std::uint16_t recordSize;
    std::uint32_t nodeOffset;
    std::uint32_t settingsSize;
    std::uint32_t settingsOffset;
};

Header headerOf(const std::uint8_t* d)
{
    return {get8(d, H_VERSION), get32(d, H_NODESIZE), get16(d, H_RECORDSIZE), get32(d, H_NODEOFFSET),
            get32(d, H_SETTINGSSIZE), get32(d, H_SETTINGSOFFSET)};
}

// Private-profile reading of the settings text of version-2 files: section
// and key names without regard to case, the first match wins.
class ConfigText {
public:
    explicit ConfigText(std::string_view text)
    {
        bool inConfig = false;
        std::size_t pos = 0;
        while (pos <= text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos)
                end = text.size();
            const std::string line = trim(text.substr(pos, end - pos));
            pos = end + 1;
            if (line.empty() || line[0] == ';')
                continue;
            if (line.front() == '[') {
                const std::size_t close = line.find(']');
                inConfig = close != std::string::npos && lower(trim(line.substr(1, close - 1))) == "config";
                continue;
            }
            const std::size_t eq = line.find('=');
            if (!inConfig || eq == std::string::npos)
                continue;
            m_entries.emplace_back(lower(trim(line.substr(0, eq))), trim(line.substr(eq + 1)));
        }
    }

    const std::string* find(std::string_view key) const
    {
        const std::string k = lower(std::string(key));
        for (const auto& [name, value] : m_entries)
            if (name == k)
                return &value;
        return nullptr;
    }

    // Leading decimal digits (with a sign) of the value; the default when the
    // key is missing; nothing when the number is beyond any field.
    std::optional<std::int64_t> integer(std::string_view key, std::int64_t fallback) const
    {
        const std::string* v = find(key);
        if (!v)
            return fallback;
        std::size_t i = 0;
        bool negative = false;
        if (i < v->size() && ((*v)[i] == '-' || (*v)[i] == '+'))
            negative = (*v)[i++] == '-';
        std::int64_t n = 0;
        for (; i < v->size() && std::isdigit(static_cast<unsigned char>((*v)[i])); ++i) {
            n = n * 10 + ((*v)[i] - '0');
            if (n > 0xFFFFFFFFLL)
                return std::nullopt;
        }
        return negative ? -n : n;
    }

private:
    static std::string trim(std::string_view s)
    {
        const auto first = s.find_first_not_of(" \t\r");
        if (first == std::string_view::npos)
            return {};
        const auto last = s.find_last_not_of(" \t\r");
        return std::string(s.substr(first, last - first + 1));
    }
    static std::string lower(std::string s)
    {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    std::vector<std::pair<std::string, std::string>> m_entries;
};

// Work-mode codes of version-2 files moved up when modes were added.
std::int64_t remapLegacyType(std::int64_t type)
{
    if (type >= 14)
        return type + 6;
    if (type >= 9)
        return type + 4;
    if (type >= 5)
        return type + 2;
    return type;
}

// The settings of version-2 text. False when a value does not fit its field
// or its limits: nothing is cast into a field it would wrap in.
bool readConfigSettings(std::string_view text, _tagHardwareInfo& h)
{
    const ConfigText ini(text);
    struct Key {
        SettingField field;
        std::int64_t fallback;
    };
    // The defaults of version-2 files, which differ from a new record's.
    static constexpr Key kKeys[] = {
        {SET_ADDRESS, 1}, {SET_WIDTH, 128}, {SET_HEIGHT, 64}, {SET_REFRESH, 200}, {SET_WORKMODE, 0},
        {SET_SCAN, 4},    {SET_ROWDECODE, 0}, {SET_BRIGHTNESS, 100}, {SET_ON_HOUR, 8}, {SET_ON_MINUTE, 0},
        {SET_OFF_HOUR, 18}, {SET_OFF_MINUTE, 0}, {SET_WEEKDAYS, 0}, {SET_AUTOSWITCH, 0},
    };
    SettingValues v = SettingValuesOf(h);
    for (const Key& k : kKeys) {
        const std::optional<std::int64_t> n = ini.integer(LimitOf(k.field).key, k.fallback);
        if (!n)
            return false;
        v[k.field] = k.field == SET_WORKMODE ? remapLegacyType(*n) : *n;
    }
    const std::optional<std::int64_t> baud = ini.integer("BaudRate", 9600);
    if (!baud || *baud < 0 || !SettingsAllowed(v))
        return false;
    h.ID = static_cast<std::uint8_t>(v[SET_ADDRESS]);
    h.Width = static_cast<std::uint16_t>(v[SET_WIDTH]);
    h.Height = static_cast<std::uint16_t>(v[SET_HEIGHT]);
    h.ReFreq = static_cast<std::uint16_t>(v[SET_REFRESH]);
    h.Type = static_cast<std::uint16_t>(v[SET_WORKMODE]);
    h.ScanMode = static_cast<std::uint16_t>(v[SET_SCAN]);
    h.RowDecode = static_cast<std::uint8_t>(v[SET_ROWDECODE]);
    h.Lum = static_cast<std::uint16_t>(v[SET_BRIGHTNESS]);
    h.HourSU = static_cast<std::uint8_t>(v[SET_ON_HOUR]);
    h.MinSU = static_cast<std::uint8_t>(v[SET_ON_MINUTE]);
    h.HourSD = static_cast<std::uint8_t>(v[SET_OFF_HOUR]);
    h.MinSD = static_cast<std::uint8_t>(v[SET_OFF_MINUTE]);
    h.WeekSD = static_cast<std::uint8_t>(v[SET_WEEKDAYS]);
    h.AutoS = static_cast<std::uint8_t>(v[SET_AUTOSWITCH]);
    h.BaudRate = static_cast<std::uint32_t>(*baud);
    const std::string* mac = ini.find("DstMAC");
    const std::string macText = mac ? *mac : std::string("ffffffffffff");
    const std::u16string wide(macText.begin(), macText.end());
    CCore::ConvertStrToMAC(wide.c_str(), h.DstMAC);
    h.RemoteVersion = 0xFFFFFFFFu;
    return true;
}

// The settings of the image, or nothing when one is outside its limits.
std::optional<_tagHardwareInfo> readSettings(const std::uint8_t* data, const Header& hd)
{
    _tagHardwareInfo h;
    InitHardwareInfo(&h);
    if (hd.version == 2) {
        const char* text = reinterpret_cast<const char*>(data + hd.settingsOffset);
        std::string_view view(text, hd.settingsSize);
        view = view.substr(0, std::min(view.find('\0'), view.size()));
        if (!readConfigSettings(view, h))
            return std::nullopt;
    } else if (hd.version >= 3) {
        ReadHardwareInfo(data + hd.settingsOffset, std::min<std::size_t>(hd.settingsSize, HARDWAREINFO_SIZE), h);
        if (h.BaudRate != 9600 && h.BaudRate != 115200)
            h.BaudRate = 9600;
    }
    if (!SettingsAllowed(SettingValuesOf(h)))
        return std::nullopt;
    return h;
}
// Reads the elements of a stored frame into the node's new frame. False for
// a damaged frame: an element smaller than its fixed part, one running past
// the frame's size, or bytes left over that hold no element.
bool readFrame(DynFrame* frame, const std::uint8_t* payload, std::size_t frameSize)
{
    if (frameSize == 0)
        return true;   // no frame stored: the node keeps its own
    if (!frame || frameSize < DYNFRAME_SIZE)
        return false;
    ReadDynFrame(payload, DYNFRAME_SIZE, *frame);
    frame->Count = 0;
    frame->First = nullptr;
    DynFrameElement* last = nullptr;
    std::size_t at = DYNFRAME_SIZE;
    while (at < frameSize) {
        const std::uint8_t* e = payload + at;
        if (frameSize - at < DYNFRAME_ELEMENT_SIZE)
            return false;
        const std::size_t size = get16(e, ElSize);
        if (size < DYNFRAME_ELEMENT_SIZE || size > frameSize - at)
            return false;
        char16_t name[128];
        getWide(e, ElName, name, 128);
        name[127] = u'\0';
        DynFrameElement* element = CreateFrameElement(get8(e, ElType), name, frame, last);
        if (!element)
            return false;
        const std::size_t dataLength = std::min<std::size_t>(get16(e, ElDataLen), size - DYNFRAME_ELEMENT_SIZE);
        std::vector<std::uint8_t> img(e, e + DYNFRAME_ELEMENT_SIZE + dataLength);
        put16(img.data(), ElDataLen, static_cast<std::uint16_t>(dataLength));
        ReadDynFrameElement(img.data(), img.size(), *element);
        last = element;
        at += size;
    }
    return true;
}

// Overlays the stored level block from `from` (inside the node image) on the
// node's own, up to the smaller block size, keeping the node's frame.
template <typename Write, typename Read>
void overlayBlock(tagItemData* node, const std::uint8_t* image, std::size_t from, std::size_t blockSize, Write write,
                  Read read)
{
    std::vector<std::uint8_t> block(blockSize);
    write(*node, block.data());
    const std::size_t stored = std::min<std::size_t>(get16(image, N_BLOCK), blockSize);
    const std::size_t skip = from - N_BLOCK;
    if (stored > skip)
        std::memcpy(block.data() + skip, image + from, stored - skip);
    read(block.data(), *node);
}

void readItem(tagItemData* node, const std::uint8_t* image, const std::uint8_t* payload, std::uint32_t size)
{
    ItemBlock& b = node->Item;
    b.TypeRecordSize = size;
    b.ContentW = get32(image, ITEM_CONTENTW);
    b.ContentH = get32(image, ITEM_CONTENTH);
    ItemRecord* r = b.TypeRecord;
    const auto exitEffect = [&] {
        b.OutEffect = get8(image, ITEM_OUTEFFECT);
        b.OutSpeed = get16(image, ITEM_OUTSPEED);
    };
    // The fixed record, then the text that follows it. A record stored
    // without text is still the item's font, colour and layout; only one
    // shorter than the fixed part keeps the defaults, with the text emptied.
    const auto text = [&](std::size_t fixed) {
        if (!r)
            return;
        if (size < fixed) {
            records::SetItemText(node, QString());
            b.TypeRecordSize = size;
            return;
        }
        r->assignBytes(payload, fixed);
        const std::size_t units = (size - fixed) / 2;
        std::u16string t(units, u'\0');
        getWide(payload, fixed, t.data(), units);
        // Unit by unit: a decoder would take a leading FEFF or FFFE for a byte-order mark.
        records::SetItemText(node, QString(reinterpret_cast<const QChar*>(t.data()), static_cast<qsizetype>(t.size())));
        b.TypeRecordSize = size;   // as stored, also when a last odd byte was dropped
    };
    const ItemKind& kind = itemKind(b.TypeCode);
    if (kind.storedExit)
        exitEffect();
    if (kind.loadsAs)
        b.TypeCode = kind.loadsAs;
    switch (kind.stored) {
    case StoredRecord::Text:
        text(kind.recordSize);
        break;
    case StoredRecord::Table:
        if (r && size > kind.recordSize) {
            r->assignBytes(payload, kind.recordSize);
            records::SetItemTableStream(node, QByteArray(reinterpret_cast<const char*>(payload + kind.recordSize),
                                                         static_cast<qsizetype>(size - kind.recordSize)));
            b.TypeRecordSize = size;
        }
        break;
    case StoredRecord::Bytes:
        if (r)
            r->assignBytes(payload, size);
        break;
    }
}

bool hasNothingToShow(const tagItemData* node)
{
    const ItemRecord* r = node->Item.TypeRecord;
    if (!r)
        return false;
    if (r->owned() == ItemRecord::Owned::Text)
        return r->text().isEmpty();
    if (r->owned() == ItemRecord::Owned::MemFile)
        return r->memFile().isEmpty();
    return false;
}

// Whether the item will have nothing to show once its stored record is read:
// such items keep the picture of their freshly made record.
bool willShowNothing(const tagItemData* node, std::uint32_t size)
{
    const ItemRecord* r = node->Item.TypeRecord;
    if (!r)
        return false;
    const auto textless = [size](std::size_t fixed) { return size < fixed || (size - fixed) / 2 == 0; };
    const ItemKind& kind = itemKind(node->Item.TypeCode);
    switch (kind.stored) {
    case StoredRecord::Text: return textless(kind.recordSize);
    case StoredRecord::Table: return size > kind.recordSize ? false : r->memFile().isEmpty();
    case StoredRecord::Bytes: break;
    }
    return hasNothingToShow(node);
}

// Loads one node image behind the current node; returns the bytes it used,
// 0 when the image is refused.
std::size_t loadNodeImage(const std::uint8_t* image, std::size_t available, const Header& hd, tagItemData*& current)
{
    const std::size_t recordSize = hd.recordSize;
    if (recordSize == 0 || available < recordSize)
        return 0;
    // A shorter record reads as zeros past its end.
    std::vector<std::uint8_t> img(ITEMDATA_SIZE, 0);
    std::memcpy(img.data(), image, std::min(recordSize, ITEMDATA_SIZE));
    const std::uint8_t* in = img.data();
    const std::uint32_t level = get32(in, N_LEVEL);
    const bool framesStored = hd.version >= 4;

    tagItemData* parent = nullptr;
    tagItemData* after = nullptr;
    std::uint16_t code = 0;
    std::uint32_t payload = 0;
    switch (level) {
    case LEVEL_SCENE:
        parent = GetScreenOf(current);
        after = GetSceneOf(current);
        code = get16(in, N_BLOCK + 4);
        payload = framesStored ? get32(in, SCENE_FRAMESIZE) : 0;
        break;
    case LEVEL_SECTION:
        parent = GetSceneOf(current);
        after = GetSectionOf(current);
        code = IT_WND_PROGLIST;
        payload = framesStored ? get32(in, SECTION_FRAMESIZE) : 0;
        break;
    case LEVEL_PROGRAM:
        parent = GetSectionOf(current);
        after = GetItemOf(current);
        code = get16(in, ITEM_TYPE);
        payload = get32(in, ITEM_RECORDSIZE);
        break;
    default:
        return 0;
    }
    // A type word of another level would make a node of that level here.
    if (!parent || LevelOfType(code) != level || payload > available - recordSize)
        return 0;
    const std::uint8_t* data = image + recordSize;

    char16_t name[128];
    getWide(in, N_NAME, name, 128);
    name[127] = u'\0';
    // Its picture is made when something first reads it.
    tagItemData* node = CreateNodeUnpainted(after, code, name, parent);
    if (!node)
        return 0;
    if (level == LEVEL_PROGRAM && willShowNothing(node, payload))
        NodePictures::markAsNew(node);
    current = node;
    node->KeptWord44 = get32(in, N_WORD44);
    node->KeptWord48 = get32(in, N_WORD48);
    node->PlayTime = static_cast<std::int32_t>(get32(in, N_PLAYTIME));
    node->InEffect = get8(in, N_INEFFECT);
    node->InSpeed = get16(in, N_INSPEED);

    switch (level) {
    case LEVEL_SCENE:
        if (framesStored) {
            overlayBlock(node, in, N_BLOCK + 6, SCENE_BLOCK_SIZE, WriteSceneBlock, ReadSceneBlock);
            if (!readFrame(node->Scene.Frame, data, payload))
                return 0;
        } else {
            ConvertLegacyBorder(node->Scene.Frame, get32(in, SCENE_FRAMESIZE));
        }
        break;
    case LEVEL_SECTION:
        if (framesStored) {
            overlayBlock(node, in, N_BLOCK + 2, SECTION_BLOCK_SIZE, WriteSectionBlock, ReadSectionBlock);
            if (!readFrame(node->Section.Frame, data, payload))
                return 0;
        }
        // No panel is larger: a larger section comes from a damaged file.
        if (node->Section.RectW > MAX_PANEL_WIDTH || node->Section.RectH > MAX_PANEL_HEIGHT)
            return 0;
        // Only files without frames carry a border in this byte; in a current
        // block it is unassigned and stored as 0.
        if (framesStored) {
            node->Section.Raw[SECTION_BORDER - N_BLOCK] = 0;
        } else if (const std::uint8_t border = get8(in, SECTION_BORDER)) {
            node->Section.Frame->Width = border;
            if (DynFrameElement* e = CreateFrameElement(0, u"line1", node->Section.Frame, nullptr)) {
                e->Motion = 0;
                e->Period = 32;
                e->MarginRight = 0;
            }
        }
        break;
    default:
        readItem(node, in, data, payload);
        break;
    }
    // The size word read (or an old file's border code in it) gives way to
    // the size of the border as loaded.
    if (DynFrame** frame = FrameSlotOf(node))
        FrameLinks::resized(*frame);
    return recordSize + payload;
}

} // namespace

namespace sorvane::model {

std::uint32_t StoreSizeOf(const tagItemData* node)
{
    std::uint64_t size = PL_NODES_OFFSET;
    if (node)
        ForEachNode(const_cast<tagItemData*>(node), [&size](tagItemData* n) {
            if (n->Level >= LEVEL_SCENE && n->Level <= LEVEL_PROGRAM)
                size += ITEMDATA_SIZE + GetPayloadSize(n);
        });
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, 0xFFFFFFFFu));
}

std::vector<std::uint8_t> BuildStoreImage(const tagItemData* node, std::size_t size)
{
    std::vector<std::uint8_t> out;
    out.reserve(size > PL_NODES_OFFSET ? StoreSizeOf(node) : PL_NODES_OFFSET);
    out.resize(PL_NODES_OFFSET, 0);
    std::uint8_t* h = out.data();
    put16(h, H_MAGIC, PL_MAGIC);
    put8(h, H_VERSION, PL_VERSION);
    put8(h, H_HEADERSIZE, PL_HEADER_SIZE);
    put32(h, H_NODESIZE, static_cast<std::uint32_t>(size >= PL_NODES_OFFSET ? size - PL_NODES_OFFSET : 0));
    put16(h, H_RECORDSIZE, ITEMDATA_SIZE);
    put32(h, H_NODEOFFSET, PL_NODES_OFFSET);
    put32(h, H_SETTINGSSIZE, HARDWAREINFO_SIZE);
    put32(h, H_SETTINGSOFFSET, PL_SETTINGS_OFFSET);
    _tagHardwareInfo settings;
    InitHardwareInfo(&settings);
    if (const tagItemData* screen = GetScreenOf(node))
        CCore::GlobalInfoToHardwareInfo(&screen->Global, &settings);
    WriteHardwareInfo(settings, h + PL_SETTINGS_OFFSET);
    if (size > PL_NODES_OFFSET && node)
        for (tagItemData* c = node->FirstChild; c; c = c->NextSibling)
            ForEachNode(c, [&out](const tagItemData* n) { appendNode(n, out); });
    return out;
}

namespace {
// Where the image ends by its header: the saver writes nothing after its
// areas, so a file of any other length is damaged (nodes after a node area
// of 0, a junk tail, a second copy appended).
std::uint64_t announcedEnd(const Header& hd)
{
    std::uint64_t end = std::max<std::uint64_t>(PL_HEADER_SIZE, std::uint64_t(hd.nodeOffset) + hd.nodeSize);
    if (hd.version >= 2)
        end = std::max<std::uint64_t>(end, std::uint64_t(hd.settingsOffset) + hd.settingsSize);
    return end;
}

// Whether the header's sizes and offsets are those its version implies, so
// that every node can be read whole. A damaged field (a record size of 0, a
// node area inside the header) would otherwise load a screen without its
// nodes and call it done.
bool headerFitsVersion(std::uint8_t headerSize, const Header& hd)
{
    // Every version has this header and this node record.
    if (headerSize != PL_HEADER_SIZE || hd.recordSize != ITEMDATA_SIZE)
        return false;
    if (hd.nodeSize != 0 && hd.nodeSize < hd.recordSize)
        return false;
    if (hd.version == PL_VERSION)
        return hd.settingsOffset == PL_SETTINGS_OFFSET && hd.settingsSize == HARDWAREINFO_SIZE
            && hd.nodeOffset == PL_NODES_OFFSET;
    // Older versions place their areas after the header, apart from each other.
    const std::uint64_t nodeEnd = std::uint64_t(hd.nodeOffset) + hd.nodeSize;
    if (hd.nodeSize != 0 && hd.nodeOffset < PL_HEADER_SIZE)
        return false;
    if (hd.version < 2 || hd.settingsSize == 0)
        return true;
    const std::uint64_t settingsEnd = std::uint64_t(hd.settingsOffset) + hd.settingsSize;
    if (hd.settingsOffset < PL_HEADER_SIZE)
        return false;
    return hd.nodeSize == 0 || nodeEnd <= hd.settingsOffset || settingsEnd <= hd.nodeOffset;
}
} // namespace

ProgramListResult CheckProgramList(const std::uint8_t* data, std::size_t length, unsigned* newerBy)
{
    // A file caught while another process rewrites it can be shorter than
    // its magic: what there is of it begins like one, so it is incomplete.
    if (length == 0 || (data && length == 1 && data[0] == (PL_MAGIC & 0xFF)))
        return PL_TRUNCATED;
    if (!data || length < 2 || get16(data, H_MAGIC) != PL_MAGIC)
        return PL_BAD_MAGIC;
    if (length < 3)
        return PL_TRUNCATED;
    const std::uint8_t version = get8(data, H_VERSION);
    if (version > PL_VERSION) {
        if (newerBy)
            *newerBy = version - PL_VERSION;
        return PL_NEWER_VERSION;
    }
    if (length < PL_HEADER_SIZE)
        return PL_TRUNCATED;
    // Everything the header announces must be there before the screen is touched.
    const Header hd = headerOf(data);
    if (!headerFitsVersion(get8(data, H_HEADERSIZE), hd))
        return PL_TRUNCATED;
    const std::uint64_t end = announcedEnd(hd);
    if (end != length || end > MAX_PROGRAM_LIST_BYTES)
        return PL_TRUNCATED;
    return PL_OK;
}

ProgramListResult LoadProgramList(tagItemData* screen, const std::uint8_t* data, std::size_t length)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return PL_OPEN_FAILED;
    const ProgramListResult checked = CheckProgramList(data, length);
    if (checked != PL_OK)
        return checked;
    const Header hd = headerOf(data);
    const std::optional<_tagHardwareInfo> read = readSettings(data, hd);
    if (!read) {
        qWarning("program list refused: its settings are outside their limits");
        return PL_TRUNCATED;
    }
    const _tagHardwareInfo& settings = *read;

    // Everything loads into a scratch screen with the new settings; the
    // screen takes it over only when the whole file was read.
    struct Scratch {
        tagItemData* node = new tagItemData;
        ~Scratch() { DestroyNode(node); }   // also when the load stops half way
    } held;
    tagItemData* scratch = held.node;
    scratch->Level = LEVEL_ROOT;
    std::vector<std::uint8_t> block(GLOBALINFO_SIZE);
    WriteGlobalInfo(screen->Global, block.data());
    ReadGlobalInfo(block.data(), scratch->Global);
    scratch->Global.TargetScreen = screen->Global.TargetScreen;
    CCore::HardwareInfoToGlobalInfo(&settings, &scratch->Global);

    ProgramListResult result = PL_OK;
    if (hd.nodeSize > 0) {
        const std::uint8_t* area = data + hd.nodeOffset;
        std::size_t left = hd.nodeSize;
        tagItemData* current = scratch;
        while (left > 0) {
            const std::size_t used = loadNodeImage(area, left, hd, current);
            if (used == 0 || used > left) {
                result = PL_TRUNCATED;
                break;
            }
            area += used;
            left -= used;
        }
    }
    if (result == PL_OK) {
        while (tagItemData* child = screen->FirstChild) {
            UnlinkNode(child);
            DestroyNode(child);
        }
        screen->FirstChild = scratch->FirstChild;
        scratch->FirstChild = nullptr;
        for (tagItemData* c = screen->FirstChild; c; c = c->NextSibling)
            c->Parent = screen;
        CCore::HardwareInfoToGlobalInfo(&settings, &screen->Global);
    }
    return result;
}

} // namespace sorvane::model

// ---- CCore exports ----

namespace {
template <typename Report>
int savePL(tagItemData* screen, const char16_t* path, const Report& report);
template <typename Report>
int loadPL(tagItemData* screen, const char16_t* path, const Report& report);
} // namespace

unsigned CCore::GetStoreSize(tagItemData* node)
{
    return StoreSizeOf(node);
}

unsigned CCore::Store(tagItemData* node, unsigned char* buffer, unsigned size)
{
    if (!buffer)
        return 0;
    std::memset(buffer, 0, size);
    return GuardedCall(
        [&] {
            // Never more than the buffer holds.
            const std::vector<std::uint8_t> image = BuildStoreImage(node, size);
            std::memcpy(buffer, image.data(), std::min<std::size_t>(image.size(), size));
            return 0u;
        },
        [&] {
            // A half-copied image could pass for the screen's: none at all.
            std::memset(buffer, 0, size);
            return 1u;
        });
}

int CCore::SavePL(tagItemData* screen, const char16_t* path)
{
    const auto report = [this](unsigned event, std::uintptr_t value) {
        if (m_fileCallBack)
            m_fileCallBack(CBC_SAVE_PL, event, value);
    };
    // The old file stays as it was when the image cannot be made.
    return GuardedCall([&] { return savePL(screen, path, report); },
                       [&] {
                           report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path ? path : u""));
                           return int(PL_OPEN_FAILED);
                       });
}

namespace {
template <typename Report>
int savePL(tagItemData* screen, const char16_t* path, const Report& report)
{
    if (!screen || screen->Level != LEVEL_ROOT || !path) {
        report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path ? path : u""));
        return PL_OPEN_FAILED;
    }
    const std::uint32_t size = StoreSizeOf(screen);
    // Never a file that would not open again: the old file stays, the
    // screen is still held, and the operator is told the save failed.
    if (size > MAX_PROGRAM_LIST_BYTES) {
        qWarning("program list not saved: %u bytes are more than a program list may hold", unsigned(size));
        report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path));
        return PL_OPEN_FAILED;
    }
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, size);
    // A file that already holds the screen is left alone: quitting with
    // unchanged screens costs no write and no disk sync.
    const QString name = QString::fromUtf16(path);
    if (platform::fileHolds(name, QByteArrayView(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())))) {
        report(PLE_SAVED, 0);
        return PL_OK;
    }
    // Written beside the old file and renamed over it: a failed save leaves
    // the old file as it was.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path));
        return PL_OPEN_FAILED;
    }
    const qint64 written = file.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
    if (written != static_cast<qint64>(image.size()) || !file.commit()) {
        file.cancelWriting();
        report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path));
        return PL_OPEN_FAILED;
    }
    report(PLE_SAVED, 0);
    return PL_OK;
}
} // namespace

namespace {

// Reads exactly `n` bytes at the file's position; false on an error or an early end.
bool readExactly(int fd, std::uint8_t* out, std::size_t n)
{
    while (n > 0) {
        const ssize_t got = ::read(fd, out, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

} // namespace

int CCore::LoadPL(tagItemData* screen, const char16_t* path)
{
    SORVANE_ASSERT_OWNER(*this);
    const auto report = [this](unsigned event, std::uintptr_t value) {
        if (m_fileCallBack)
            m_fileCallBack(CBC_LOAD_PL, event, value);
    };
    // The screen stays as it was when the file cannot be taken in.
    return GuardedCall([&] { return loadPL(screen, path, report); },
                       [&] {
                           report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path ? path : u""));
                           return int(PL_OPEN_FAILED);
                       });
}

namespace {
template <typename Report>
int loadPL(tagItemData* screen, const char16_t* path, const Report& report)
{
    const auto openFailed = [&] {
        report(PLE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(path ? path : u""));
        return PL_OPEN_FAILED;
    };
    if (!screen || screen->Level != LEVEL_ROOT || !path)
        return openFailed();
    // Not blocking: a pipe without a writer must not hold the caller.
    const QByteArray name = QFile::encodeName(QString::fromUtf16(path));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return openFailed();
    FileCloser closer{fd};
    struct stat st {};
    // Only regular files: a device or a pipe has no end to read to.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return openFailed();
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    // The header first: what it announces decides what is read.
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, PL_HEADER_SIZE)));
    if (!readExactly(fd, data.data(), data.size())) {
        report(PLE_TRUNCATED, 0);
        return PL_TRUNCATED;
    }
    std::uint64_t end = data.size();
    bool announced = false;
    if (data.size() == PL_HEADER_SIZE && get16(data.data(), H_MAGIC) == PL_MAGIC
        && get8(data.data(), H_VERSION) <= PL_VERSION) {
        end = announcedEnd(headerOf(data.data()));
        announced = true;
    }
    unsigned newerBy = 0;
    ProgramListResult rc = PL_OK;
    // A file longer than its header says is damaged too: nothing of it is read.
    if (end > fileSize || end > MAX_PROGRAM_LIST_BYTES || (announced && end != fileSize)) {
        rc = data.size() < 2 || get16(data.data(), H_MAGIC) != PL_MAGIC ? PL_BAD_MAGIC : PL_TRUNCATED;
    } else {
        const std::size_t head = data.size();
        data.resize(static_cast<std::size_t>(end));
        if (!readExactly(fd, data.data() + head, data.size() - head))
            rc = PL_TRUNCATED;
    }
    if (rc == PL_OK)
        rc = CheckProgramList(data.data(), data.size(), &newerBy);
    if (rc == PL_OK)
        rc = LoadProgramList(screen, data.data(), data.size());
    switch (rc) {
    case PL_OK:
        report(PLE_LOADED, 0);
        return PL_OK;
    case PL_BAD_MAGIC:
        report(PLE_BAD_MAGIC, 0);
        return PL_BAD_MAGIC;
    case PL_NEWER_VERSION:
        report(PLE_NEWER_VERSION, newerBy);
        return PL_NEWER_VERSION;
    default:
        report(PLE_TRUNCATED, 0);
        return PL_TRUNCATED;
    }
}
} // namespace
