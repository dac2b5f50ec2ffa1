#include "app/dialogs/wizard/ModelCatalogue.h"

#include "core/api/Records.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"

#include <QHash>

#include <optional>
#include <vector>

namespace dialogs {

namespace {
constexpr unsigned kStrModelWithId = 48283;
}

QList<ModelEntry> OrderModels(const QList<CatalogueEntry>& entries)
{
    const int n = int(entries.size());
    std::vector<std::optional<CatalogueEntry>> placed(static_cast<std::size_t>(n));
    QList<CatalogueEntry> rest;
    for (const CatalogueEntry& e : entries) {
        if (e.order >= 0 && e.order < n && !placed[std::size_t(e.order)])
            placed[std::size_t(e.order)] = e;
        else
            rest.append(e);
    }
    QList<ModelEntry> out;
    const auto offer = [&out](const CatalogueEntry& e) {
        if (!(e.flags & 1))
            out.append({e.name, e.id});
    };
    for (const auto& e : placed) {
        if (e)
            offer(*e);
    }
    for (const CatalogueEntry& e : rest)
        offer(e);
    // Models that share a name are told apart by their hardware id.
    QHash<QString, int> uses;
    for (const ModelEntry& m : out)
        ++uses[m.name];
    for (ModelEntry& m : out) {
        if (uses.value(m.name) > 1)
            m.name = platform::langString(kStrModelWithId)
                         .arg(m.name, QStringLiteral("%1").arg(m.id, 8, 16, QLatin1Char('0')).toUpper());
    }
    return out;
}

QList<ModelEntry> OfferedModels()
{
    QList<CatalogueEntry> entries;
    CCore::POSITION pos = CCore::GetFirmwareFirstPos();
    for (int guard = CCore::GetFirmwareCount(); pos && guard > 0; --guard) {
        const unsigned id = CCore::GetNextFirmware(pos);
        if (const FirmwareInfo* info = CCore::GetFirmwareInfo(id))
            entries.append({info->order, info->flags, id, info->modelName});
    }
    return OrderModels(entries);
}

namespace {

// Strings of the description's lists.
constexpr unsigned kStrListSeparator = 48281;
constexpr unsigned kStrUnknownValue = 48282;
constexpr unsigned kStrFlashUnknown = 48284;
constexpr unsigned kStrMemoryUnknown = 48285;

QString sizes(const CUniqueArray<unsigned>& list)
{
    QStringList parts;
    for (int i = 0; i < list.GetSize(); ++i) {
        unsigned v = 0;
        list.GetAt(i, v);
        parts.append(platform::langString(48255).arg(v >> 16).arg(v & 0xFFFF));
    }
    return parts.join(platform::langString(kStrListSeparator));
}

// A list of values, or "unknown" when the catalogue gives none.
QString listOrUnknown(const QStringList& parts)
{
    using platform::langString;
    return parts.isEmpty() ? langString(kStrUnknownValue) : parts.join(langString(kStrListSeparator));
}

} // namespace

QString ModelDescription(const FirmwareInfo* info)
{
    if (!info)
        return {};
    using platform::langString;
    // A kind of panel the model does not drive gets no line.
    QStringList lines;
    const std::pair<unsigned, const CUniqueArray<unsigned>*> panels[3] = {
        {48252, &info->sizes2}, {48253, &info->sizes3}, {48254, &info->sizes4}};
    for (const auto& [label, list] : panels)
        if (list->GetSize() > 0)
            lines << langString(label) + sizes(*list);
    QString text = lines.join(u'\n');
    text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + langString(48256).arg(info->valueA);
    static const unsigned kLinks[5] = {48258, 48259, 48260, 48272, 48271};
    QStringList links;
    for (int bit = 0; bit < 5; ++bit) {
        if (info->featureBits & (1 << bit))
            links.append(langString(kLinks[bit]));
    }
    text += u'\n' + langString(48257) + listOrUnknown(links);
    // A size of 0 is one the catalogue does not know, not an empty memory.
    QStringList memory;
    for (int i = 0; i < info->pairs.GetSize(); ++i) {
        unsigned v = 0;
        info->pairs.GetAt(i, v);
        const unsigned kind = v >> 16, value = v & 0xFFFF;
        if (kind == 1)
            memory.append(value ? langString(48262).arg(value) : langString(kStrFlashUnknown));
        else if (kind == 2)
            memory.append(value ? langString(48263).arg(value) : langString(kStrMemoryUnknown));
    }
    text += u'\n' + langString(48261) + listOrUnknown(memory);
    return text;
}

} // namespace dialogs
