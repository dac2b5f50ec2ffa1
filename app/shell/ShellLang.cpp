#include "app/shell/ShellLang.h"

#include "platform/LangPack.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>

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

void useInterfaceFace()
{
    const QString face = platform::langString(40000);
    if (face.isEmpty() || !QFontDatabase::hasFamily(face))
        return;
    QFont font = QApplication::font();
    QStringList families{font.family()};
    if (!families.contains(face))
        families << face;
    font.setFamilies(families);
    QApplication::setFont(font);
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
