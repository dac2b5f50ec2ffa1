#include "app/shell/UiHelpers.h"

#include "app/shell/ShellLang.h"
#include "app/spine/Seams.h"
#include "platform/ProfileIni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace shell {

QString GetFileTitlePart(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

namespace {

// /sys/class/block/<dev> of a device node, climbing from a partition to its disk.
bool deviceIsRemovable(const QByteArray& device)
{
    const QString dev = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    if (!dev.startsWith(u"/dev/"))
        return false;
    QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + dev.mid(5)).canonicalFilePath();
    if (sys.isEmpty())
        return false;
    if (QFile::exists(sys + QStringLiteral("/partition")))
        sys = QFileInfo(sys).path();
    QFile flag(sys + QStringLiteral("/removable"));
    if (flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1")
        return true;
    // USB disks often call themselves fixed.
    return sys.contains(u"/usb");
}

QStringList machineVolumes()
{
    QStringList out;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady() && deviceIsRemovable(v.device()))
            out.append(v.rootPath());
    return out;
}

} // namespace

QString GetRemovableDrives()
{
    const auto seam = spine::seams().removableVolumes;
    QStringList roots = seam ? seam() : machineVolumes();
    for (QString& r : roots)
        if (!r.endsWith(u'/'))
            r += u'/';
    roots.sort();
    roots.removeDuplicates();
    QString out;
    for (const QString& r : roots)
        out += r + u';';
    return out;
}

} // namespace shell
