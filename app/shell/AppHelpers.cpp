#include "app/shell/AppHelpers.h"

#include "platform/Languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <unistd.h>

#ifndef TAVRELO_FILE_VERSION
#define TAVRELO_FILE_VERSION ""
#endif

namespace shell {

QString GetAppFolder()
{
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

QString GetExeBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

int EnsureSubfolder(const QString& base, const QString& name)
{
    const QString path = base + name;
    if (QFileInfo(path).isDir())
        return 1;
    return QDir().mkpath(path) && QFileInfo(path).isDir() ? 1 : 0;
}

int IsProductBuild()
{
    return GetExeBaseName() == u"Tavrelo" ? 1 : 0;
}

QString GetFileVersionText()
{
    return QStringLiteral(TAVRELO_FILE_VERSION);
}

int IsUserAdmin()
{
    return geteuid() == 0 ? 1 : 0;
}

int UserDefaultLangId()
{
    const QLocale loc = QLocale::system();
    switch (loc.language()) {
    case QLocale::Chinese:
        if (loc.script() == QLocale::TraditionalChineseScript || loc.territory() == QLocale::Taiwan)
            return 0x0404;
        if (loc.territory() == QLocale::HongKong)
            return 0x0C04;
        if (loc.territory() == QLocale::Macao)
            return 0x1404;
        if (loc.territory() == QLocale::Singapore)
            return 0x1004;
        return 0x0804;
    case QLocale::English: return 0x0409;
    case QLocale::German: return 0x0407;
    case QLocale::French: return 0x040C;
    case QLocale::Spanish: return 0x0C0A;
    case QLocale::Japanese: return 0x0411;
    case QLocale::Korean: return 0x0412;
    case QLocale::Russian: return 0x0419;
    default: return 0x0400;   // no primary language we know: not Chinese
    }
}

int ChooseUiLanguage(int setting, int userLangId)
{
    return platform::chosenLanguage(setting, userLangId).id;
}

int ChooseUiLanguage(int setting)
{
    return ChooseUiLanguage(setting, UserDefaultLangId());
}

QString LanguagePackFileName(int language)
{
    return QString::fromLatin1(platform::language(language).packFile);
}

bool HasRawEthernetCapability()
{
    if (geteuid() == 0)
        return true;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    while (!status.atEnd()) {
        const QByteArray line = status.readLine();
        if (line.startsWith("CapEff:")) {
            bool ok = false;
            const quint64 caps = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (caps >> 13 & 1);   // CAP_NET_RAW
        }
    }
    return false;
}

QString StoredScreenPath(const QString& path, const QString& appFolder)
{
    QString folder = appFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    // Only a true leading folder: "/opt/app/" inside "/home/x/opt/app/a.pl"
    // or a sibling "/opt/application/" must not be cut.
    if (!folder.isEmpty() && path.startsWith(folder) && path.size() > folder.size())
        return path.mid(folder.size());
    return path;
}

QString ResolveScreenPath(const QString& stored, const QString& appFolder)
{
    if (stored.isEmpty() || QDir::isAbsolutePath(stored))
        return stored;
    QString folder = appFolder;
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder + stored;
}

} // namespace shell
