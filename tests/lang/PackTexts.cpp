#include "PackTexts.h"

#include "platform/LangPackReader.h"

#include <QResource>
#include <gtest/gtest.h>

#include <functional>

using namespace platform;

PackIds readPack(const QString& code)
{
    const QByteArray bytes = packBytes(code);
    PackIds ids;
    QString base = QStringLiteral(":/check-%1/").arg(code);
    // Parse the same bytes the loader reads, through the reader's own API.
    EXPECT_TRUE(checkResourceBundle(bytes));
    QResource::registerResource(reinterpret_cast<const uchar*>(bytes.constData()), base.mid(1, base.size() - 2));
    auto content = parseLangPack([&](const QString& name) -> std::optional<QByteArray> {
        QFile f(base + name);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        return f.readAll();
    });
    QResource::unregisterResource(reinterpret_cast<const uchar*>(bytes.constData()), base.mid(1, base.size() - 2));
    EXPECT_TRUE(content) << code.toStdString();
    if (!content)
        return ids;
    ids.strings = content->strings;
    ids.dialogs = content->dialogTexts;
    for (auto k : content->menus.keys()) ids.menus.insert(k);
    for (auto k : content->toolbars.keys()) ids.toolbars.insert(k);
    for (auto k : content->icons.keys()) ids.icons.insert(k);
    for (auto k : content->bitmaps.keys()) ids.bitmaps.insert(k);
    return ids;
}

QList<std::pair<std::string, QString>> allTexts(const QString& code)
{
    QList<std::pair<std::string, QString>> out;
    const PackIds ids = readPack(code);
    for (auto it = ids.strings.cbegin(); it != ids.strings.cend(); ++it)
        out.append({"string " + std::to_string(it.key()), it.value()});
    for (auto it = ids.dialogs.cbegin(); it != ids.dialogs.cend(); ++it)
        out.append({"dialog " + std::to_string(it.key() >> 16) + "/" + std::to_string(it.key() & 0xFFFF), it.value()});
    LangPackScope scope;
    if (!loadLangPack(packPath(code)))
        return out;
    std::function<void(const QList<LangMenuItem>&, const std::string&)> walk = [&](const auto& items,
                                                                                 const auto& menu) {
        for (const LangMenuItem& item : items) {
            out.append({item.command ? menu + "/" + std::to_string(item.command) : menu, item.text});
            walk(item.submenu, menu);
        }
    };
    for (unsigned id : ids.menus)
        walk(langMenu(id)->items, "menu " + std::to_string(id));
    return out;
}
