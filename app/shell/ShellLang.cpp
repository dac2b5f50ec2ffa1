#include "app/shell/ShellLang.h"

#include "platform/LangPack.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QResource>
#include <QTranslator>

namespace shell {
namespace {

struct Overrides {
    QHash<quint64, QString> dialogTexts;
    QHash<unsigned, QByteArray> data;
};

Overrides& overrides()
{
    static Overrides o;
    return o;
}

QString& registeredPack()
{
    static QString path;
    return path;
}

quint64 dialogKey(unsigned t, unsigned c)
{
    return (quint64(t) << 32) | c;
}

} // namespace

bool loadLanguagePack(const QString& path, QString* error)
{
    unloadLanguagePack();
    if (!QFile::exists(path)) {
        if (error)
            *error = QStringLiteral("no file %1").arg(path);
        return false;
    }
    if (!QResource::registerResource(path, QStringLiteral("/ui"))) {
        if (error)
            *error = QStringLiteral("%1 is not a language pack").arg(path);
        return false;
    }
    registeredPack() = path;
    return true;
}

void unloadLanguagePack()
{
    if (!registeredPack().isEmpty())
        QResource::unregisterResource(registeredPack(), QStringLiteral("/ui"));
    registeredPack().clear();
}

void installQtTranslationsFor(int language)
{
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const QLocale locale = language == 4        ? QLocale(QLocale::Chinese, QLocale::China)
                           : language == 0x7C04 ? QLocale(QLocale::Chinese, QLocale::Taiwan)
                                                : QLocale(QLocale::English);
    if (language == 9)
        return;
    auto* t = new QTranslator;
    if (t->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(t);
        installed = t;
    } else {
        delete t;
    }
}

QString packString(unsigned id)
{
    return platform::langString(id);
}

QString packDialogText(unsigned templateId, unsigned controlId)
{
    return overrides().dialogTexts.value(dialogKey(templateId, controlId));
}

QByteArray packData(unsigned id)
{
    if (auto it = overrides().data.constFind(id); it != overrides().data.constEnd())
        return *it;
    QFile f(QStringLiteral(":/ui/rcdata/%1").arg(id));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setPackDialogText(unsigned templateId, unsigned controlId, const QString& text)
{
    overrides().dialogTexts.insert(dialogKey(templateId, controlId), text);
}

void setPackData(unsigned id, const QByteArray& data)
{
    overrides().data.insert(id, data);
}

void clearPackOverrides()
{
    overrides() = Overrides{};
}

} // namespace shell
