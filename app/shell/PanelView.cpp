#include "app/shell/PanelView.h"

#include "app/controls/AppMessages.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/SmallDialogs.h"
#include "app/shell/UiHelpers.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/CodePage.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr unsigned kOpenCaption = 46000;
constexpr unsigned kAskSave = 46001;
constexpr unsigned kCloseCaption = 46003;
constexpr unsigned kSaveOnQuitFailed = 46005;
constexpr unsigned kFilter = 46006;
constexpr unsigned kAlreadyOpen = 48217;
constexpr unsigned kNotDone = 63000;
constexpr unsigned kProgramTitle = 128;

const char16_t* wide(const QString& s)
{
    return reinterpret_cast<const char16_t*>(s.utf16());
}

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

QString absolute(const QString& path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
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
    if (!m_tree)
        m_tree = std::make_unique<ScreenRowsTree>(core);
    QWidget* w = m_tree->widget();
    w->setParent(this);
    controls::setControlId(w, IDC_TREE);
    w->setObjectName(QString::number(IDC_TREE));
    w->setGeometry(rect());
    w->show();
}

CPanelView::~CPanelView() = default;

void CPanelView::resizeEvent(QResizeEvent* e)
{
    CPanel::resizeEvent(e);
    m_tree->widget()->setGeometry(rect());
}

bool CPanelView::event(QEvent* e)
{
    if (const auto* m = platform::asMessage(e, app::WM_ITEM_RENAME)) {
        const_cast<platform::MessageEvent*>(m)->setResult(OnItemRename(reinterpret_cast<tagItemData*>(m->wParam())));
        return true;
    }
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
    forgetGoneScreens();
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
    // A file the core refuses must not cost the screen its programs: keep
    // them in a copy until the new ones are in.
    // The copy is the panel's business: the core's file reports stay quiet
    // for it, so the status bar keeps the reason of a refusal.
    QTemporaryDir keep;
    const QString backup = keep.isValid() ? keep.filePath(QStringLiteral("screen.pl")) : QString();
    const CoreCallBack fileReports = m_core.SetFileCallBack(nullptr);
    const bool kept = !backup.isEmpty() && m_core.SavePL(screen, wide(backup)) == 0;
    m_core.SetFileCallBack(fileReports);
    m_tree->ClearPrograms(screen);
    if (LoadScreenFile(screen, path) == 0 || !kept)
        return;
    m_core.SetFileCallBack(nullptr);
    const bool restored = m_core.LoadPL(screen, wide(backup)) == 0;
    m_core.SetFileCallBack(fileReports);
    if (restored) {
        m_tree->InsertItemTree(screen);
        if (m_host)
            m_host->RelayoutScreen(screen);
    }
}

void CPanelView::forgetGoneScreens()
{
    // A screen deleted elsewhere must not leave its file behind: a new screen
    // at the same address would take it over and overwrite it.
    QSet<tagItemData*> alive;
    for (unsigned n = 0; tagItemData* s = m_core.GetScreen(n); ++n)
        alive.insert(s);
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (alive.contains(it.key()))
            ++it;
        else
            it = m_files.erase(it);
    }
}

int CPanelView::LoadScreenFile(tagItemData* screen, const QString& path)
{
    const QString full = absolute(path);
    const int rc = m_core.LoadPL(screen, wide(full));
    if (rc != 0)
        return rc;
    m_files.insert(screen, full);
    NameScreenAfterFile(full, screen);
    m_tree->InsertItemTree(screen);
    if (m_host)
        m_host->RelayoutScreen(screen);
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
    if (CCore::IsRoot(screen) != 1)
        return false;
    forgetGoneScreens();
    QString path = m_files.value(screen);
    if (path.isEmpty()) {
        if (useDefaultName) {
            QDir().mkpath(DefaultFolder());
            path = DefaultPath(screen);
        } else {
            path = askSavePath(screen, true);
            if (path.isEmpty())
                return false;
        }
    }
    return SaveScreenFile(screen, path);
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
    const QString full = absolute(path);
    // The core's file callback tells the user how it went. A file that was
    // not written is not recorded: the screen would then compare as saved.
    if (m_core.SavePL(screen, wide(full)) != 0)
        return false;
    m_files.insert(screen, full);
    NameScreenAfterFile(full, screen);
    return true;
}

void CPanelView::NameScreenAfterFile(const QString& path, tagItemData* screen)
{
    const QString title = GetFileTitlePart(path);
    if (title.isEmpty() || title == nameOf(screen))
        return;
    m_core.ChangeItemName(screen, wide(title));
    m_tree->UpdateItemText(screen);
    setScreenTitle(screen);
}

void CPanelView::setScreenTitle(tagItemData* screen)
{
    if (m_host)
        m_host->SetScreenTitle(screen, nameOf(screen));
}

int CPanelView::IsScreenModified(tagItemData* screen)
{
    forgetGoneScreens();
    const QString path = m_files.value(screen);
    if (path.isEmpty())
        return 1;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const unsigned size = m_core.GetStoreSize(screen);
    if (f.size() != static_cast<qint64>(size))
        return 1;
    std::vector<unsigned char> image(size);
    m_core.Store(screen, image.data(), size);
    const QByteArray bytes = f.readAll();
    if (bytes.size() != static_cast<qsizetype>(size))
        return 1;
    return std::memcmp(bytes.constData(), image.data(), size) == 0 ? 0 : 1;
}

int CPanelView::IsFileOpen(const QString& path)
{
    forgetGoneScreens();
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        if (!it.value().isEmpty() && it.value() == path)
            return 1;
    return 0;
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
    m_files.remove(screen);
    m_tree->DeleteItem(screen);
}

void CPanelView::ForgetScreenFile(tagItemData* screen)
{
    m_files.insert(screen, QString());
}

void CPanelView::rememberLink(tagItemData* screen, const QString& path)
{
    // Files inside the program's folder are kept relative to it.
    QString stored = path;
    if (!m_appFolder.isEmpty() && stored.startsWith(m_appFolder))
        stored = stored.mid(m_appFolder.size());
    const tagGlobalInfo& g = screen->Global;
    OpenScreenLists& l = m_settings.screens;
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
    m_settings.screens = OpenScreenLists{};
    // Tree order, so the screens come back in the order they had; every
    // screen, so one never saved is not left out of the save on quitting.
    std::vector<tagItemData*> screens;
    for (unsigned n = 0; tagItemData* s = m_core.GetScreen(n); ++n)
        screens.push_back(s);
    for (tagItemData* screen : screens) {
        if (m_settings.isQuitNote) {
            CQuerySaveDlg ask(this);
            if (ask.exec() != RESULT_QUIT)
                return 0;
        }
        // A screen that cannot be written is not dropped without a word.
        if (m_settings.isSaveLED && !SaveScreen(screen, true)) {
            const QString where = m_files.value(screen).isEmpty() ? DefaultPath(screen) : m_files.value(screen);
            const auto answer = controls::MessageBox::warning(
                this, platform::langString(kCloseCaption),
                platform::langString(kSaveOnQuitFailed).arg(nameOf(screen), QDir::toNativeSeparators(where)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return 0;
        }
        rememberLink(screen, m_files.value(screen));
        RemoveScreen(screen);
    }
    m_files.clear();
    return 1;
}

int CPanelView::OnItemRename(tagItemData* screen)
{
    if (!screen)
        return 0;
    forgetGoneScreens();
    const QString oldPath = m_files.value(screen);
    if (!oldPath.isEmpty()) {
        const QString name = nameOf(screen);
        // The name becomes a file name: it must not lead to another folder.
        if (!isSafeFileName(name))
            return -1;
        const QString newPath = QFileInfo(oldPath).absolutePath() + u'/' + name + QStringLiteral(".pl");
        if (newPath != oldPath) {
            if (!QFile::rename(oldPath, newPath))
                return -1;
            m_files.insert(screen, newPath);
        }
    }
    setScreenTitle(screen);
    return 0;
}

void ShowFailedMessage(QWidget* parent)
{
    controls::MessageBox::warning(parent, caption(), platform::langString(kNotDone));
}

QString FileFilterFromPack(const QString& packFilter)
{
    const QStringList parts = packFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        // The label usually shows the patterns already; Qt reads them from it.
        QString label = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        if (!label.contains(u'('))
            label += QStringLiteral(" (") + patterns + u')';
        filters << label;
    }
    return filters.join(QStringLiteral(";;"));
}

// ---- ScreenRowsTree ----

ScreenRowsTree::ScreenRowsTree(CCore& core) : m_core(core), m_view(new QTreeWidget)
{
    m_view->setHeaderHidden(true);
    m_view->setRootIsDecorated(false);
    m_view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    QObject::connect(m_view, &QTreeWidget::itemChanged, m_view, [this](QTreeWidgetItem* item) { onEdited(item); });
}

ScreenRowsTree::~ScreenRowsTree()
{
    // The panel owns the widget once it took it.
    if (m_view && !m_view->parent())
        delete m_view;
}

QWidget* ScreenRowsTree::widget()
{
    return m_view;
}

QTreeWidgetItem* ScreenRowsTree::rowOf(tagItemData* screen) const
{
    for (int i = 0; i < m_view->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_view->topLevelItem(i);
        if (item->data(0, Qt::UserRole).value<quintptr>() == reinterpret_cast<quintptr>(screen))
            return item;
    }
    return nullptr;
}

void ScreenRowsTree::InsertItemTree(tagItemData* screen)
{
    if (!screen)
        return;
    m_filling = true;
    QTreeWidgetItem* item = rowOf(screen);
    if (!item) {
        item = new QTreeWidgetItem;
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(screen)));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        // Rows follow the screens' order in the core.
        int at = 0;
        for (unsigned n = 0; tagItemData* s = m_core.GetScreen(n); ++n) {
            if (s == screen)
                break;
            if (rowOf(s))
                ++at;
        }
        m_view->insertTopLevelItem(at, item);
    }
    item->setText(0, nameOf(screen));
    m_filling = false;
}

void ScreenRowsTree::UpdateItemText(tagItemData* node)
{
    if (QTreeWidgetItem* item = rowOf(node)) {
        m_filling = true;
        item->setText(0, nameOf(node));
        m_filling = false;
    }
}

void ScreenRowsTree::DeleteItem(tagItemData* node)
{
    delete rowOf(node);
    m_core.DeleteItem(node);
}

void ScreenRowsTree::ClearPrograms(tagItemData* screen)
{
    m_core.ClearPrograms(screen);
}

void ScreenRowsTree::onEdited(QTreeWidgetItem* item)
{
    if (m_filling)
        return;
    auto* screen = reinterpret_cast<tagItemData*>(item->data(0, Qt::UserRole).value<quintptr>());
    if (!screen)
        return;
    const QString before = nameOf(screen);
    const QString typed = item->text(0).trimmed().left(127);
    if (typed.isEmpty() || typed == before) {
        UpdateItemText(screen);
        return;
    }
    m_core.ChangeItemName(screen, wide(typed));
    // The panel moves the screen's file; a refusal brings the old name back.
    if (platform::sendMessage(m_view->parentWidget(), app::WM_ITEM_RENAME, reinterpret_cast<platform::WPARAM>(screen)) ==
        -1)
        m_core.ChangeItemName(screen, wide(before));
    UpdateItemText(screen);
}
