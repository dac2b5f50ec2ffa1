#include "app/shell/ScreenList.h"

#include "app/controls/MessageBox.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/MainApp.h"
#include "app/shell/UiHelpers.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;
constexpr unsigned kStrDeleteCaption = 48171;
constexpr unsigned kStrDeleteText = 48172;
constexpr unsigned kStrSaveFailed = 63000;
constexpr unsigned kStrFileFilter = 46006;

QString nodeName(const tagItemData* n)
{
    return QString::fromUtf16(n->Name);
}

} // namespace

QString QtFilterFromPack(const QString& packFilter)
{
    const QStringList parts = packFilter.split(u'|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i];
    return out.join(QStringLiteral(";;"));
}

CScreenListPanel::CScreenListPanel(CMainApp& app, Hooks hooks, QWidget* parent)
    : m_app(app), m_core(app.Core()), m_hooks(std::move(hooks)), m_tree(new QTreeWidget(parent))
{
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setObjectName(QStringLiteral("screenTree"));
}

CScreenListPanel::~CScreenListPanel() = default;

QWidget* CScreenListPanel::widget()
{
    return m_tree;
}

tagItemData* CScreenListPanel::selectedNode() const
{
    QTreeWidgetItem* it = m_tree->currentItem();
    return it ? static_cast<tagItemData*>(it->data(0, kNodeRole).value<void*>()) : nullptr;
}

tagItemData* CScreenListPanel::GetSelectedScreen()
{
    tagItemData* n = selectedNode();
    return n ? CCore::GetCurRoot(n) : nullptr;
}

QTreeWidgetItem* CScreenListPanel::itemOf(tagItemData* node) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, kNodeRole).value<void*>() == node)
            return *it;
    return nullptr;
}

bool CScreenListPanel::Select(tagItemData* node)
{
    QTreeWidgetItem* it = itemOf(node);
    if (it)
        m_tree->setCurrentItem(it);
    return it != nullptr;
}

void CScreenListPanel::refresh(tagItemData* select)
{
    m_tree->clear();
    for (tagItemData* screen : m_order) {
        auto* si = new QTreeWidgetItem(m_tree, {nodeName(screen)});
        si->setData(0, kNodeRole, QVariant::fromValue<void*>(screen));
        for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling) {
            auto* ci = new QTreeWidgetItem(si, {nodeName(scene)});
            ci->setData(0, kNodeRole, QVariant::fromValue<void*>(scene));
            for (tagItemData* sec = scene->FirstChild; sec; sec = sec->NextSibling) {
                auto* wi = new QTreeWidgetItem(ci, {nodeName(sec)});
                wi->setData(0, kNodeRole, QVariant::fromValue<void*>(sec));
            }
        }
    }
    m_tree->expandAll();
    if (select)
        Select(select);
}

QString CScreenListPanel::MakeDefaultItemName(int kind)
{
    // The kind's label (the item-kind bar's button text) and a number.
    static const unsigned kLabel[] = {0, 6121, 6122, 0, 6123, 6124, 6125, 6126, 6127, 6128};
    QString base;
    if (kind == 0)
        base = QStringLiteral("Screen");
    else if (kind > 0 && kind < 10 && kLabel[kind])
        base = platform::langString(kLabel[kind]).section(u'\n', 1, 1);
    if (base.isEmpty())
        return {};
    int n = 1;
    for (;; ++n) {
        const QString name = QStringLiteral("%1 %2").arg(base).arg(n);
        bool used = false;
        for (QTreeWidgetItemIterator it(m_tree); *it && !used; ++it)
            used = (*it)->text(0) == name;
        if (!used)
            return name;
    }
}

tagItemData* CScreenListPanel::AddNewItem(int kind)
{
    tagItemData* sel = selectedNode();
    const std::u16string name = MakeDefaultItemName(kind).toStdU16String();
    tagItemData* node = nullptr;
    if (kind == IT_SCREEN) {
        node = m_core.AddItem(IT_SCREEN, name.c_str(), nullptr, sel ? CCore::GetCurRoot(sel) : nullptr);
        return node;   // joins the list through InsertItemTree
    }
    tagItemData* screen = sel ? CCore::GetCurRoot(sel) : nullptr;
    if (!screen) {
        if (m_hooks.notice)
            m_hooks.notice(1, {});
        return nullptr;
    }
    if (kind == IT_GLOBALSCENE || kind == IT_SCENE) {
        tagItemData* after = sel && sel->Level == LEVEL_SCENE ? sel : nullptr;
        node = m_core.AddItem(static_cast<unsigned short>(kind), name.c_str(), screen, after);
        if (!node && m_hooks.notice)
            m_hooks.notice(1, {});
    } else if (kind >= IT_WND_PROGLIST && kind <= IT_WND_COUNT) {
        tagItemData* scene = CCore::GetCurScene(sel);
        node = scene ? m_core.AddItem(static_cast<unsigned short>(kind), name.c_str(), scene, nullptr) : nullptr;
        if (!node && m_hooks.notice)
            m_hooks.notice(scene ? 7 : 2, {});
    }
    if (node) {
        refresh(node);
        if (m_hooks.screenShown)
            m_hooks.screenShown(screen);
    }
    return node;
}

void CScreenListPanel::InsertItemTree(tagItemData* screen)
{
    if (!screen || CCore::IsRoot(screen) != 1)
        return;
    if (!m_files.contains(screen)) {
        m_files.insert(screen, QString());
        // Right after the selected screen, or last.
        const int at = m_order.indexOf(GetSelectedScreen());
        m_order.insert(at < 0 ? m_order.size() : at + 1, screen);
    }
    refresh(screen);
    if (m_hooks.screenShown)
        m_hooks.screenShown(screen);
}

int CScreenListPanel::DeleteSelectedItem()
{
    tagItemData* node = selectedNode();
    if (!node) {
        if (m_hooks.notice)
            m_hooks.notice(1, {});
        return 0;
    }
    if (node->Level == LEVEL_ROOT) {
        if (m_hooks.notice)
            m_hooks.notice(2, {});
        return 0;
    }
    if (controls::MessageBox::question(m_tree->window(), platform::langString(kStrDeleteCaption),
                                       platform::langString(kStrDeleteText).arg(nodeName(node)))
        != QMessageBox::Yes)
        return 0;
    tagItemData* screen = CCore::GetCurRoot(node);
    m_core.DeleteItem(node);
    refresh(screen);
    if (m_hooks.screenShown)
        m_hooks.screenShown(screen);
    return 1;
}

int CScreenListPanel::CloseAllScreens()
{
    OpenScreenLists& lists = m_app.Settings().screens;
    lists = OpenScreenLists{};
    const QList<tagItemData*> screens = m_order;
    for (tagItemData* screen : screens) {
        if (m_app.Settings().isSaveLED && !m_files.value(screen).isEmpty())
            SaveScreen(screen);
        const tagGlobalInfo& g = screen->Global;
        lists.savePath << StoredScreenPath(m_files.value(screen), m_app.AppFolder());
        lists.commMode.push_back(int(g.CommType));
        lists.serialPort.push_back(int(g.SerialPort));
        lists.baudRate.push_back(int(g.BaudRate));
        lists.adapter.push_back(int(g.AdapterIndex));
        char16_t mac[32] = {};
        CCore::ConvertMACToStr(g.DstMAC, mac);
        lists.mac << QString::fromUtf16(mac);
        lists.dhcpEnable.push_back(g.DhcpFlag);
        lists.useDomain.push_back(g.HostKind);
        lists.addr << QString::fromLocal8Bit(g.Host);
        lists.port.push_back(g.HostPort);
        RemoveScreen(screen);
    }
    return 1;
}

int CScreenListPanel::LoadScreenFile(tagItemData* screen, const QString& path)
{
    const int r = m_core.LoadPL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
    if (r != 0)
        return r;
    const QString title = GetFileTitlePart(path);
    if (!title.isEmpty())
        m_core.ChangeItemName(screen, reinterpret_cast<const char16_t*>(title.utf16()));
    InsertItemTree(screen);
    m_files.insert(screen, path);
    return 0;
}

void CScreenListPanel::RemoveScreen(tagItemData* screen)
{
    if (!screen)
        return;
    if (m_hooks.screenClosed)
        m_hooks.screenClosed(screen);
    m_files.remove(screen);
    m_order.removeAll(screen);
    tagItemData* n = screen;
    m_core.DeleteItem(n);
    refresh(nullptr);
}

void CScreenListPanel::ForgetScreenFile(tagItemData* screen)
{
    if (m_files.contains(screen))
        m_files.insert(screen, QString());
}

int CScreenListPanel::OpenScreen(tagItemData* screen)
{
    const QString path = controls::FileDialog::getOpenFileName(
        m_tree->window(), QString(), m_app.AppFolder() + QStringLiteral("userdata"),
        QtFilterFromPack(platform::langString(kStrFileFilter)));
    if (path.isEmpty())
        return 0;
    return LoadScreenFile(screen, path) == 0;
}

int CScreenListPanel::saveTo(tagItemData* screen, const QString& path)
{
    if (m_core.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16())) != 0) {
        controls::MessageBox::warning(m_tree->window(), QString(), platform::langString(kStrSaveFailed));
        return 0;
    }
    m_files.insert(screen, path);
    return 1;
}

int CScreenListPanel::SaveScreen(tagItemData* screen)
{
    if (!screen)
        return 0;
    QString path = m_files.value(screen);
    if (path.isEmpty()) {
        EnsureSubfolder(m_app.AppFolder(), QStringLiteral("userdata"));
        path = m_app.AppFolder() + QStringLiteral("userdata/") + nodeName(screen) + QStringLiteral(".pl");
    }
    return saveTo(screen, path);
}

int CScreenListPanel::SaveScreenAs(tagItemData* screen)
{
    if (!screen)
        return 0;
    const QString path = controls::FileDialog::getSaveFileName(
        m_tree->window(), QString(), m_app.AppFolder() + QStringLiteral("userdata/") + nodeName(screen) + QStringLiteral(".pl"),
        QtFilterFromPack(platform::langString(kStrFileFilter)));
    return path.isEmpty() ? 0 : saveTo(screen, path);
}

bool CScreenListPanel::IsFileOpen(const QString& path)
{
    const QString canon = QFileInfo(path).absoluteFilePath();
    for (const QString& f : m_files)
        if (!f.isEmpty() && QFileInfo(f).absoluteFilePath() == canon)
            return true;
    return false;
}
