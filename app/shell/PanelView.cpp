#include "app/shell/PanelView.h"

#include "app/shell/AppHelpers.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/SmallDialogs.h"
#include "app/shell/StatusTexts.h"
#include "app/shell/UiHelpers.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/CodePage.h"
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"
#include "platform/MessageEvent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace shell {

namespace {

constexpr unsigned kOpenCaption = 46000;
constexpr unsigned kAskSave = 46001;
constexpr unsigned kCloseCaption = 46003;
constexpr unsigned kSaveOnQuitFailed = 46005;
constexpr unsigned kFilter = 46006;
constexpr unsigned kNotSaved = 46007;
constexpr unsigned kNotOpened = 46008;
constexpr unsigned kAskSaveBeforeClosing = 46020;
constexpr unsigned kNotOpenedAtStart = 46021;
constexpr unsigned kNotThere = 46022;
constexpr unsigned kNotReadable = 46023;
constexpr unsigned kLeftWhereTheyAre = 46024;
constexpr unsigned kNameTooLong = 46025;
constexpr unsigned kNameNotAFileName = 46026;
constexpr unsigned kFileNotRenamed = 46027;
// A file name's bytes in UTF-8, ".pl" included, as the file systems hold them.
constexpr qsizetype kFileNameBytes = 255;
constexpr unsigned kAlreadyOpen = 48217;
constexpr unsigned kNotDone = 63000;
constexpr unsigned kProgramTitle = 128;

QString nameOf(const tagItemData* node)
{
    const std::size_t n = std::char_traits<char16_t>::length(node->Name);
    return QString::fromUtf16(node->Name, static_cast<qsizetype>(std::min<std::size_t>(n, 127)));
}

QString caption()
{
    const QString t = platform::langString(kProgramTitle).section(u'\n', 0, 0);
    return t.isEmpty() ? QCoreApplication::applicationName() : t;
}

QString packFilter()
{
    return FileFilterFromPack(platform::langString(kFilter));
}

// A file dialog may hand back a name without the extension the filter implies.
QString withExtension(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QStringLiteral(".pl");
}

// Recorded paths are absolute and clean, so that one file has one spelling.
QString absolute(const QString& path)
{
    return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Something is there already: a file, a folder, or a link to nothing.
bool pathTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A screen name as a file name: no folder separators, never "." or "..".
QString safeFileName(const QString& name)
{
    QString out = name;
    out.replace(u'/', u'_').replace(u'\\', u'_').replace(QChar(0), u'_');
    if (out.isEmpty() || out == QStringLiteral(".") || out == QStringLiteral(".."))
        out = QStringLiteral("screen");
    return out;
}

bool isSafeFileName(const QString& name)
{
    return !name.isEmpty() && name == safeFileName(name);
}

} // namespace

// ---- CPanel ----

CPanel::CPanel(QWidget* parent) : QWidget(parent)
{
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
}

// ---- CPanelView ----

CPanelView::CPanelView(CCore& core, ShellSettings& settings, const QString& appFolder,
                       std::unique_ptr<ScreenTree> tree, QWidget* parent)
    : CPanel(parent), m_core(core), m_settings(settings), m_appFolder(appFolder), m_tree(std::move(tree))
{
    if (!m_appFolder.isEmpty() && !m_appFolder.endsWith(u'/'))
        m_appFolder += u'/';
    m_files.reserve(128);
    QWidget* w = m_tree->widget();
    w->setParent(this);
    controls::setControlId(w, IDC_TREE);
    w->setObjectName(QString::number(IDC_TREE));
    w->setGeometry(rect());
    w->show();
    // A screen deleted elsewhere (the tree's delete) lets go of its file at
    // once: a new screen made at the same address must not take it over.
    connect(&spine::notices(), &spine::NodeNotices::nodeDeleting, this, [this](tagItemData* node) {
        dropFile(node);
        m_madeAs.remove(node);
        m_saved.remove(node);
    });
}

CPanelView::~CPanelView() = default;

void CPanelView::resizeEvent(QResizeEvent* e)
{
    CPanel::resizeEvent(e);
    m_tree->widget()->setGeometry(rect());
}

bool CPanelView::event(QEvent* e)
{
    if (spine::ItemRename::dispatch(e, [this](tagItemData* screen, const QString* name) {
            return name ? OnItemRename(screen, *name) : -1;
        }))
        return true;
    return CPanel::event(e);
}

QString CPanelView::DefaultFolder() const
{
    return m_appFolder + QStringLiteral("userdata");
}

QString CPanelView::DefaultPath(tagItemData* screen) const
{
    return DefaultFolder() + u'/' + safeFileName(nameOf(screen)) + QStringLiteral(".pl");
}

void CPanelView::OpenScreen(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return;
    const QString path = absolute(
        controls::FileDialog::getOpenFileName(this, platform::langString(kOpenCaption), DefaultFolder(), packFilter()));
    if (path.isEmpty())
        return;
    if (IsFileOpen(path)) {
        controls::MessageBox::information(this, caption(), platform::langString(kAlreadyOpen));
        return;
    }
    if (!askAndSaveIfChanged(screen, kOpenCaption))
        return;
    // The core takes a file in whole or leaves the screen as it was, so a
    // refused file costs the screen nothing: the tree and the window let go
    // of the scenes only while the load runs and show what is there after.
    m_tree->ReleasePrograms(screen);
    const int rc = LoadScreenFile(screen, path);
    if (rc == 0)
        return;
    m_tree->InsertItemTree(screen);
    spine::notices().changed(screen, spine::NodeChange::Programs);
    ShowOpenFailedMessage(this, path, rc);
}

int CPanelView::LoadScreenFile(tagItemData* screen, const QString& path)
{
    const QString full = absolute(path);
    const tagGlobalInfo before = screen->Global;
    const int rc = m_core.LoadPL(screen, wide(full));
    if (rc != 0)
        return rc;
    recordFile(screen, full);
    m_madeAs.remove(screen);
    NameScreenAfterFile(full, screen);
    m_tree->InsertItemTree(screen);
    // The file brings its own scenes and, with them, perhaps another size or link.
    spine::notices().changed(screen, spine::NodeChange::Programs | spine::screenBlockChanges(before, screen->Global));
    noteSaved(screen);
    return 0;
}

QString CPanelView::askSavePath(tagItemData* screen, bool proposeName)
{
    QDir().mkpath(DefaultFolder());
    const QString start = proposeName ? DefaultPath(screen) : DefaultFolder();
    return absolute(withExtension(controls::FileDialog::getSaveFileName(this, QString(), start, packFilter())));
}

bool CPanelView::SaveScreen(tagItemData* screen, bool useDefaultName)
{
    return saveScreen(screen, useDefaultName, true);
}

bool CPanelView::saveScreen(tagItemData* screen, bool useDefaultName, bool tellFailure)
{
    if (CCore::IsRoot(screen) != 1)
        return false;
    QString path = m_files.value(screen);
    if (path.isEmpty()) {
        if (useDefaultName) {
            QDir().mkpath(DefaultFolder());
            path = FreeDefaultPath(screen);
            if (path.isEmpty())
                path = DefaultPath(screen);   // refused below, and told
        } else {
            path = askSavePath(screen, true);
            if (path.isEmpty())
                return false;
        }
    }
    return saveScreenFile(screen, path, tellFailure);
}

bool CPanelView::SaveScreenAs(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return false;
    const QString path = askSavePath(screen, false);
    return !path.isEmpty() && SaveScreenFile(screen, path);
}

bool CPanelView::SaveScreenFile(tagItemData* screen, const QString& path)
{
    return saveScreenFile(screen, path, true);
}

bool CPanelView::saveScreenFile(tagItemData* screen, const QString& path, bool tellFailure)
{
    const QString full = absolute(path);
    // Another screen's file: on quitting its screen would write over this
    // one's, or this one over it.
    if (heldByOther(full, screen)) {
        if (tellFailure)
            controls::MessageBox::warning(this, caption(), platform::langString(kAlreadyOpen));
        return false;
    }
    // A file that was not written is not recorded: the screen would then
    // compare as saved. The status bar alone is easily missed.
    if (full.isEmpty() || m_core.SavePL(screen, wide(full)) != 0) {
        if (tellFailure)
            controls::MessageBox::warning(
                this, caption(), platform::langString(kNotSaved).arg(nameOf(screen), QDir::toNativeSeparators(full)));
        return false;
    }
    recordFile(screen, full);
    m_madeAs.remove(screen);
    NameScreenAfterFile(full, screen);
    noteSaved(screen);
    return true;
}

bool CPanelView::heldByOther(const QString& path, tagItemData* screen)
{
    if (path.isEmpty())
        return false;
    // The path's real name is looked up once, the recorded files' when they
    // were recorded: a start with many screens asks this for each of them.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    for (const QString& name : {path, canonical}) {
        if (name.isEmpty())
            continue;
        const auto [first, last] = m_holders.equal_range(name);
        for (auto it = first; it != last; ++it)
            if (it.value() != screen)
                return true;
    }
    return false;
}

void CPanelView::recordFile(tagItemData* screen, const QString& path)
{
    dropFile(screen);
    m_files.insert(screen, path);
    if (path.isEmpty())
        return;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    m_canonical.insert(screen, canonical);
    m_holders.insert(path, screen);
    if (!canonical.isEmpty() && canonical != path)
        m_holders.insert(canonical, screen);
}

void CPanelView::dropFile(tagItemData* screen)
{
    for (const QString& name : {m_files.value(screen), m_canonical.value(screen)})
        if (!name.isEmpty())
            m_holders.remove(name, screen);
    m_files.remove(screen);
    m_canonical.remove(screen);
}

bool CPanelView::FileNameTaken(const QString& name)
{
    const QString path = DefaultFolder() + u'/' + safeFileName(name) + QStringLiteral(".pl");
    return pathTaken(path) || heldByOther(path, nullptr);
}

QString CPanelView::FreeDefaultPath(tagItemData* screen)
{
    const QString own = DefaultPath(screen);
    if (!pathTaken(own) && !heldByOther(own, screen))
        return own;
    // The next number after the name's own (Screen1 -> Screen2), skipping
    // files already there, files other screens hold and other screens' names.
    QSet<QString> names;
    for (unsigned n = 0; tagItemData* s = m_core.GetScreen(n); ++n)
        if (s != screen)
            names.insert(nameOf(s));
    const QString name = safeFileName(nameOf(screen));
    qsizetype digits = name.size();
    while (digits > 0 && name[digits - 1] >= u'0' && name[digits - 1] <= u'9')
        --digits;
    const QString base = name.left(digits);
    qint64 number = digits < name.size() ? name.mid(digits).left(9).toLongLong() + 1 : 1;
    for (int tries = 0; tries < 100000; ++tries, ++number) {
        const QString suffix = QString::number(number);
        const QString candidate = base.left(127 - suffix.size()) + suffix;
        const QString path = DefaultFolder() + u'/' + candidate + QStringLiteral(".pl");
        if (!names.contains(candidate) && !pathTaken(path) && !heldByOther(path, screen))
            return path;
    }
    return QString();
}

void CPanelView::NameScreenAfterFile(const QString& path, tagItemData* screen)
{
    const QString title = GetFileTitlePart(path);
    if (title.isEmpty() || title == nameOf(screen))
        return;
    spine::writeNode(m_core, screen, spine::NodeChange::Name, [&] { m_core.ChangeItemName(screen, wide(title)); });
}

CPanelView::FileStamp CPanelView::stampOf(const QString& path)
{
    FileStamp s;
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    s.size = qint64(st.st_size);
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    return s;
}

void CPanelView::noteSaved(tagItemData* screen)
{
    const FileStamp stamp = stampOf(m_files.value(screen));
    if (stamp.size < 0)
        m_saved.remove(screen);
    else
        m_saved.insert(screen, SavedAs{screen->Revision, stamp});
}

bool CPanelView::changedSinceSave(tagItemData* screen) const
{
    const auto it = m_saved.constFind(screen);
    if (it == m_saved.constEnd() || it->revision != screen->Revision)
        return true;
    // Only the file's stamp is looked at, not its bytes: one written by
    // someone else since has another size, time or inode.
    return !(stampOf(m_files.value(screen)) == it->stamp);
}

int CPanelView::IsScreenModified(tagItemData* screen)
{
    const QString path = m_files.value(screen);
    if (path.isEmpty()) {
        // A new screen counts as changed once it differs from how it was made.
        const auto made = m_madeAs.constFind(screen);
        return made != m_madeAs.constEnd() && made.value() == storedImage(screen) ? 0 : 1;
    }
    // A file that cannot be read back (deleted, a folder or a pipe in its
    // place, longer than the screen) no longer holds the screen: closing or
    // replacing it must ask. Read without waiting, never past the screen's size.
    const unsigned size = m_core.GetStoreSize(screen);
    QByteArray bytes;
    if (platform::readOperatorFile(path, size, bytes) != platform::FileRead::Ok
        || bytes.size() != static_cast<qsizetype>(size))
        return 1;
    return bytes == storedImage(screen) ? 0 : 1;
}

QByteArray CPanelView::storedImage(tagItemData* screen)
{
    const unsigned size = m_core.GetStoreSize(screen);
    QByteArray image(qsizetype(size), '\0');
    m_core.Store(screen, reinterpret_cast<unsigned char*>(image.data()), size);
    return image;
}

int CPanelView::IsFileOpen(const QString& path)
{
    return heldByOther(absolute(path), nullptr) ? 1 : 0;
}

bool CPanelView::askAndSaveIfChanged(tagItemData* screen, unsigned captionId)
{
    if (!IsScreenModified(screen))
        return true;
    const auto answer = controls::MessageBox::question(this, platform::langString(captionId),
                                                       platform::langString(kAskSave),
                                                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                                       QMessageBox::Yes);
    if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
        return false;
    // A save that did not happen keeps the screen: nothing of it is lost.
    if (answer == QMessageBox::Yes)
        return SaveScreen(screen, false);
    return true;
}

int CPanelView::CloseScreen(tagItemData* screen)
{
    if (!askAndSaveIfChanged(screen, kCloseCaption))
        return 0;
    RemoveScreen(screen);
    return 1;
}

void CPanelView::RemoveScreen(tagItemData* screen)
{
    dropFile(screen);
    m_madeAs.remove(screen);
    m_saved.remove(screen);
    m_tree->DeleteItem(screen);
}

void CPanelView::ForgetScreenFile(tagItemData* screen)
{
    recordFile(screen, QString());
    m_madeAs.insert(screen, storedImage(screen));
    m_saved.remove(screen);
}

void CPanelView::rememberLink(OpenScreenLists& l, const tagItemData* screen, const QString& path) const
{
    // Files inside the program's folder are kept relative to it.
    const QString stored = StoredScreenPath(path, m_appFolder);
    const tagGlobalInfo& g = screen->Global;
    l.savePath << stored;
    l.commMode.push_back(static_cast<int>(g.CommType));
    l.serialPort.push_back(static_cast<int>(g.SerialPort));
    l.baudRate.push_back(static_cast<int>(g.BaudRate));
    l.adapter.push_back(static_cast<int>(g.AdapterIndex));
    char16_t mac[13] = {};
    CCore::ConvertMACToStr(g.DstMAC, mac);
    l.mac << QString::fromUtf16(mac);
    l.dhcpEnable.push_back(g.DhcpFlag);
    l.useDomain.push_back(g.HostKind);
    const std::size_t hostLength = strnlen(g.Host, sizeof g.Host);
    l.addr << QString::fromStdU16String(
        platform::decodeBytes(std::string_view(g.Host, hostLength), platform::ansiCodePage()));
    l.port.push_back(g.HostPort);
}

int CPanelView::CloseAllScreens()
{
    // Tree order, so the screens come back in the order they had; every
    // screen, so one never saved is not left out of the save on quitting.
    std::vector<tagItemData*> screens;
    for (unsigned n = 0; tagItemData* s = m_core.GetScreen(n); ++n)
        screens.push_back(s);
    // Asked once, before anything is closed: an answer but Quit keeps every
    // screen, its changes and the lists as they were.
    if (m_settings.isQuitNote) {
        CQuerySaveDlg ask(this);
        if (ask.exec() != RESULT_QUIT)
            return 0;
    }
    if (!settleChanges(screens))
        return 0;
    m_settings.screens = OpenScreenLists{};
    // The closed files by the names they were recorded with and their real
    // names, looked up then: each file set aside is compared with them below.
    QSet<QString> closed;
    for (tagItemData* screen : screens) {
        const QString file = m_files.value(screen);
        if (!file.isEmpty())
            closed << file << m_canonical.value(screen);
        rememberLink(m_settings.screens, screen, file);
    }
    closed.remove(QString());
    m_tree->DeleteScreens(screens);
    m_files.clear();
    m_canonical.clear();
    m_holders.clear();
    m_madeAs.clear();
    m_saved.clear();
    // Files set aside at start-up keep their entries, unless a screen took
    // one of them in meanwhile.
    OpenScreenLists& l = m_settings.screens;
    const OpenScreenLists& a = m_setAside;
    for (qsizetype i = 0; i < m_setAsidePaths.size(); ++i) {
        const QString& path = m_setAsidePaths[i];
        if (closed.contains(path) || closed.contains(QFileInfo(path).canonicalFilePath()))
            continue;
        const auto at = std::size_t(i);
        l.savePath << a.savePath[i];
        l.commMode.push_back(a.commMode[at]);
        l.serialPort.push_back(a.serialPort[at]);
        l.baudRate.push_back(a.baudRate[at]);
        l.adapter.push_back(a.adapter[at]);
        l.mac << a.mac[i];
        l.dhcpEnable.push_back(a.dhcpEnable[at]);
        l.useDomain.push_back(a.useDomain[at]);
        l.addr << a.addr[i];
        l.port.push_back(a.port[at]);
    }
    return 1;
}

void CPanelView::SetAsideScreen(tagItemData* screen, const QString& path, int code)
{
    const QString full = absolute(path);
    if (!full.isEmpty()) {
        m_untold.append({full, code});
        // Looked up by name: a start may set many aside.
        const QString real = QFileInfo(full).canonicalFilePath();
        const bool known = m_setAsideNames.contains(full) || (!real.isEmpty() && m_setAsideNames.contains(real));
        // Dropping the entry would lose where the screen went; with nothing
        // left at the path there is nothing to lose.
        if (pathTaken(full) && !known) {
            m_setAsidePaths << full;
            m_setAsideNames << full;
            if (!real.isEmpty())
                m_setAsideNames << real;
            rememberLink(m_setAside, screen, full);
        }
    }
    RemoveScreen(screen);
}

void CPanelView::TellSetAsideFiles()
{
    if (m_untold.isEmpty())
        return;
    QString text = platform::langString(kNotOpenedAtStart);
    for (const auto& [path, code] : std::as_const(m_untold))
        text += QStringLiteral("\n\n") + QDir::toNativeSeparators(path) + u'\n' + OpenFailureReason(path, code);
    text += QStringLiteral("\n\n") + platform::langString(kLeftWhereTheyAre);
    m_untold.clear();
    controls::MessageBox::warning(this, caption(), text);
}

bool CPanelView::settleChanges(const std::vector<tagItemData*>& screens)
{
    for (tagItemData* screen : screens) {
        if (m_settings.isSaveLED) {
            // A screen that cannot be written is not dropped without a word.
            if (!changedSinceSave(screen) || saveScreen(screen, true, false))
                continue;
            QString where = m_files.value(screen);
            if (where.isEmpty())
                where = FreeDefaultPath(screen);
            if (where.isEmpty())
                where = DefaultPath(screen);
            const auto answer = controls::MessageBox::warning(
                this, platform::langString(kCloseCaption),
                platform::langString(kSaveOnQuitFailed).arg(nameOf(screen), QDir::toNativeSeparators(where)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return false;
            continue;
        }
        // Saving on the way out is off: that means not without asking, never
        // dropping changes unasked.
        if (!changedSinceSave(screen) || !IsScreenModified(screen))
            continue;
        const auto answer = controls::MessageBox::question(
            this, platform::langString(kCloseCaption), platform::langString(kAskSaveBeforeClosing).arg(nameOf(screen)),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::NoButton)
            return false;
        if (answer == QMessageBox::Yes && !SaveScreen(screen, false))
            return false;
    }
    return true;
}

int CPanelView::OnItemRename(tagItemData* screen, const QString& name)
{
    if (!screen)
        return 0;
    const QString refusal = renameRefusal(screen, name);
    if (refusal.isEmpty())
        return 0;
    controls::MessageBox::warning(this, caption(), refusal);
    return -1;
}

QString CPanelView::renameRefusal(tagItemData* screen, const QString& name)
{
    // The name becomes the screen's file name when it is saved, if not now.
    if (name.toUtf8().size() + 3 > kFileNameBytes)
        return platform::langString(kNameTooLong);
    const QString oldPath = m_files.value(screen);
    if (oldPath.isEmpty())
        return {};
    // The name must not lead to another folder.
    if (!isSafeFileName(name))
        return platform::langString(kNameNotAFileName);
    const QString newPath = QFileInfo(oldPath).absolutePath() + u'/' + name + QStringLiteral(".pl");
    if (newPath == oldPath)
        return {};
    if (heldByOther(newPath, screen) || !QFile::rename(oldPath, newPath))
        return platform::langString(kFileNotRenamed).arg(QDir::toNativeSeparators(newPath));
    recordFile(screen, newPath);
    return {};
}

void ShowFailedMessage(QWidget* parent)
{
    controls::MessageBox::warning(parent, caption(), platform::langString(kNotDone));
}

QString OpenFailureReason(const QString& path, int code)
{
    switch (code) {
    case 2: return platform::langString(kStrNotAProgramList);
    case 3: return platform::langString(kStrNewerVersion);
    case 4: return platform::langString(kStrIncomplete);
    default: return platform::langString(pathTaken(path) ? kNotReadable : kNotThere);
    }
}

void ShowOpenFailedMessage(QWidget* parent, const QString& path, int code)
{
    const QString text = platform::langString(kNotOpened).arg(QDir::toNativeSeparators(path));
    controls::MessageBox::warning(parent, caption(), text + u'\n' + OpenFailureReason(path, code));
}

QString FileFilterFromPack(const QString& packFilter)
{
    return controls::FileDialog::filterFromPack(packFilter);
}

} // namespace shell
