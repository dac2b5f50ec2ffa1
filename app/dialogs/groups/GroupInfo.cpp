#include "app/dialogs/groups/GroupInfo.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemTypes.h"
#include "platform/LangPack.h"
#include "platform/ProfileIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace dialogs {

namespace {

const QString kInfo = QStringLiteral("GroupInfo");

QString section(int k) { return QStringLiteral("Group") + QString::number(k); }
QString groupNameKey(int k) { return QStringLiteral("GroupName") + QString::number(k); }

// The file as read, and whether it can be used: a file that cannot be read,
// or whose count numbers more groups than it has sections, is damaged and
// neither looped over nor written.
struct Groups {
    platform::ProfileFile f;
    platform::FileRead read = platform::FileRead::Ok;
    bool readable = true;
    bool countDamaged = false;
    bool usable() const { return readable && !countDamaged; }
};

Groups load(const QString& path)
{
    Groups g;
    g.readable = g.f.load(path, &g.read);
    if (g.readable && g.f.contains(kInfo, QStringLiteral("num"))) {
        const int n = platform::ProfileTextToInt(g.f.value(kInfo, QStringLiteral("num")));
        // Every group has a section of its own beside "GroupInfo".
        g.countDamaged = n < 0 || n > g.f.sectionCount() - 1;
    }
    return g;
}

// "num" of a usable file, or `fallback` when missing.
int num(const Groups& g, int fallback)
{
    if (!g.usable())
        return 0;
    if (!g.f.contains(kInfo, QStringLiteral("num")))
        return fallback;
    return platform::ProfileTextToInt(g.f.value(kInfo, QStringLiteral("num")));
}

// Member number of an "id"/"name" key, or 0 for any other key.
int memberNumber(const QString& key)
{
    static const QRegularExpression re(QStringLiteral("^(?:id|name)([0-9]+)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(key);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace

QString ScreenName(const tagItemData* screen)
{
    return screen ? QString::fromUtf16(screen->Name) : QString();
}

QStringList ScreenRowTexts(const tagItemData* screen)
{
    const tagGlobalInfo& g = screen->Global;
    QString kind, params;
    switch (g.CommType) {
    case COMM_SERIAL:
        kind = platform::langString(48258);
        params = QStringLiteral("%1,n,8,1").arg(g.BaudRate);
        break;
    case COMM_ETHERNET:
        kind = platform::langString(48280);
        params = QStringLiteral("mac:ff-ff-ff-ff-ff-ff");
        break;
    default:
        kind = platform::langString(48271);
        params = QStringLiteral("IP:") + QString::fromLatin1(g.Host, int(qstrnlen(g.Host, sizeof g.Host))) +
                 QStringLiteral(", %1").arg(g.HostPort);
        break;
    }
    return {ScreenName(screen), QString::number(g.Width), QString::number(g.Height), kind, params};
}

QList<tagItemData*> OpenScreens(CCore& core)
{
    QList<tagItemData*> out;
    for (unsigned n = 0;; ++n) {
        tagItemData* s = core.GetScreen(n);
        if (!s)
            break;
        out.append(s);
    }
    return out;
}

QString DefaultGroupInfoPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("groupinfo.ini"));
}

int GroupInfoFile::count(int fallback) const { return num(load(m_path), fallback); }

QString GroupInfoFile::problem() const
{
    const Groups g = load(m_path);
    if (!g.readable)
        return platform::operatorFileMessage(g.read, m_path, platform::kMaxProfileBytes);
    if (g.countDamaged)
        return platform::langString(63022).arg(m_path);
    return {};
}

QStringList GroupInfoFile::listedNames() const
{
    const Groups g = load(m_path);
    const platform::ProfileFile& f = g.f;
    QStringList out;
    const int n = num(g, 0);
    for (int k = 1; k <= n; ++k) {
        const QString name = f.value(section(k), groupNameKey(k));
        if (name.isEmpty())
            break;
        out.append(name);
    }
    return out;
}

QStringList GroupInfoFile::allNames() const
{
    const Groups g = load(m_path);
    const platform::ProfileFile& f = g.f;
    QStringList out;
    const int n = num(g, -1);
    for (int k = 1; k <= n; ++k) {
        const QString name = f.value(section(k), groupNameKey(k));
        if (!name.isEmpty())
            out.append(name);
    }
    return out;
}

QList<int> GroupInfoFile::membersNamed(const QString& name, int screenCount) const
{
    const Groups g = load(m_path);
    const platform::ProfileFile& f = g.f;
    QList<int> out;
    const int n = num(g, -1);
    for (int k = 1; k <= n; ++k) {
        if (f.value(section(k), groupNameKey(k)) != name)
            continue;
        for (int j = 1; j <= screenCount; ++j) {
            const QString key = QStringLiteral("id") + QString::number(j);
            if (!f.contains(section(k), key))
                continue;
            const int pos = platform::ProfileTextToInt(f.value(section(k), key));
            if (pos >= 0 && pos < screenCount && !out.contains(pos))
                out.append(pos);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

GroupInfoFile::Result GroupInfoFile::add(const QString& name, const QList<int>& ticked,
                                         const QStringList& screenNames, const QStringList& listed)
{
    if (name.isEmpty())
        return EmptyName;
    if (ticked.isEmpty())
        return NoScreen;
    if (listed.contains(name))
        return NameTaken;
    return write(name, 0, ticked, screenNames, false);
}

GroupInfoFile::Result GroupInfoFile::change(int k, const QString& name, const QList<int>& ticked,
                                            const QStringList& screenNames)
{
    if (k < 1)
        return NoSelection;
    if (name.isEmpty())
        return EmptyName;
    if (ticked.isEmpty())
        return NoScreen;
    return write(name, k, ticked, screenNames, true);
}

GroupInfoFile::Result GroupInfoFile::write(const QString& name, int k, const QList<int>& ticked,
                                           const QStringList& screenNames, bool dropRest)
{
    Groups g = load(m_path);
    if (!g.usable())
        return Damaged;
    platform::ProfileFile& f = g.f;
    if (k == 0) {
        k = num(g, 0) + 1;
        f.setValue(kInfo, QStringLiteral("num"), QString::number(k));
    }
    const QString sec = section(k);
    if (!f.setValue(sec, groupNameKey(k), name))
        return EmptyName;   // a name with a line break cannot be stored
    int j = 1;
    for (int pos : ticked) {
        f.setValue(sec, QStringLiteral("id") + QString::number(j), QString::number(pos));
        f.setValue(sec, QStringLiteral("name") + QString::number(j), screenNames.value(pos));
        ++j;
    }
    if (dropRest) {
        // Every member key past the new last one goes, however many there were.
        for (const QString& key : f.keys(sec)) {
            if (memberNumber(key) >= j)
                f.removeKey(sec, key);
        }
    }
    return f.save(m_path) ? Ok : WriteFailed;
}

GroupInfoFile::Result GroupInfoFile::remove(int k)
{
    Groups g = load(m_path);
    if (!g.usable())
        return Damaged;
    platform::ProfileFile& f = g.f;
    const int n = num(g, 0);
    if (k < 1 || k > n)
        return NoSelection;
    f.removeSection(section(k));
    f.setValue(kInfo, QStringLiteral("num"), QString::number(n - 1));
    // Later groups move down whole, their name key numbered anew.
    for (int m = k + 1; m <= n; ++m) {
        const QString from = section(m), to = section(m - 1);
        for (const QString& key : f.keys(from)) {
            const QString value = f.value(from, key);
            const QString newKey = key.compare(groupNameKey(m), Qt::CaseInsensitive) == 0 ? groupNameKey(m - 1) : key;
            f.setValue(to, newKey, value);
        }
        f.removeSection(from);
    }
    return f.save(m_path) ? Ok : WriteFailed;
}

} // namespace dialogs
