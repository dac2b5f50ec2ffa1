#include "app/dialogs/wizard/ModelCatalogue.h"

#include "core/api/Records.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"

#include <optional>
#include <vector>

namespace dialogs {

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

QString sizes(const CUniqueArray<unsigned>& list)
{
    QStringList parts;
    for (int i = 0; i < list.GetSize(); ++i) {
        unsigned v = 0;
        list.GetAt(i, v);
        parts.append(platform::langString(48255).arg(v >> 16).arg(v & 0xFFFF));
    }
    return parts.join(u';');
}

} // namespace

QString ModelDescription(const FirmwareInfo* info)
{
    if (!info)
        return {};
    using platform::langString;
    QString text = langString(48252) + sizes(info->sizes2);
    text += u'\n' + langString(48253) + sizes(info->sizes3);
    text += u'\n' + langString(48254) + sizes(info->sizes4);
    text += u'\n' + langString(48256).arg(info->valueA);
    text += u'\n' + langString(48257);
    static const unsigned kLinks[5] = {48258, 48259, 48260, 48272, 48271};
    for (int bit = 0; bit < 5; ++bit) {
        if (info->featureBits & (1 << bit))
            text += langString(kLinks[bit]) + u' ';
    }
    text += u'\n' + langString(48261);
    for (int i = 0; i < info->pairs.GetSize(); ++i) {
        unsigned v = 0;
        info->pairs.GetAt(i, v);
        if (i > 0)
            text += u' ';
        const unsigned kind = v >> 16, value = v & 0xFFFF;
        if (kind == 1)
            text += langString(48262).arg(value);
        else if (kind == 2)
            text += langString(48263).arg(value);
    }
    return text;
}

} // namespace dialogs
