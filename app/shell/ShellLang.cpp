#include "app/shell/ShellLang.h"

#include "platform/LangPack.h"

#include <QHash>

namespace shell {
namespace {

QHash<unsigned, QByteArray>& dataOverrides()
{
    static QHash<unsigned, QByteArray> d;
    return d;
}

} // namespace

bool loadLanguagePack(const QString& path, QString* error)
{
    return platform::loadLangPack(path, error);
}

void unloadLanguagePack()
{
    platform::clearLangPack();
}

void installQtTranslationsFor(int language)
{
    platform::installQtTranslations(static_cast<unsigned>(language));
}

QString packString(unsigned id)
{
    return platform::langString(id);
}

QString packDialogText(unsigned templateId, unsigned controlId)
{
    return platform::langDialogText(templateId, controlId);
}

QByteArray packData(unsigned id)
{
    return dataOverrides().value(id);
}

void setPackData(unsigned id, const QByteArray& data)
{
    dataOverrides().insert(id, data);
}

void clearPackOverrides()
{
    dataOverrides().clear();
}

} // namespace shell
