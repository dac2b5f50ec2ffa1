#include "platform/LangPack.h"

#include <QHash>
#include <mutex>

namespace platform {
namespace {

struct Table {
    std::mutex lock;
    QHash<unsigned, QString> strings;
    QHash<unsigned, QIcon> icons;
    QHash<unsigned, QImage> bitmaps;
    QHash<unsigned, LangToolBar> toolbars;
};

Table& table()
{
    static Table t;
    return t;
}

} // namespace

QString langString(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.strings.value(id);
}

QIcon langIcon(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.icons.value(id);
}

QImage langBitmap(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    return t.bitmaps.value(id);
}

std::optional<LangToolBar> langToolBar(unsigned id)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    auto it = t.toolbars.constFind(id);
    if (it == t.toolbars.constEnd())
        return std::nullopt;
    return *it;
}

void setLangString(unsigned id, const QString& text)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.strings.insert(id, text);
}

void setLangIcon(unsigned id, const QIcon& icon)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.icons.insert(id, icon);
}

void setLangBitmap(unsigned id, const QImage& image)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.bitmaps.insert(id, image);
}

void setLangToolBar(unsigned id, const LangToolBar& bar)
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.toolbars.insert(id, bar);
}

void clearLangPack()
{
    auto& t = table();
    std::lock_guard g(t.lock);
    t.strings.clear();
    t.icons.clear();
    t.bitmaps.clear();
    t.toolbars.clear();
}

} // namespace platform
