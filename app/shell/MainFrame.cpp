#include "app/shell/MainFrame.h"

#include "app/editor/KindTable.h"
#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/controls/StaticSplitter.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/MainApp.h"
#include "app/editor/ChildFrame.h"
#include "app/editor/FramePort.h"
#include "app/editor/Editor.h"
#include "app/editor/ScreenLed.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertySection.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/FrameDialogs.h"
#include "app/shell/FrameJobs.h"
#include "app/shell/FrameStatus.h"
#include "app/shell/StatusTexts.h"
#include "app/shell/Thumbnail.h"
#include "app/shell/UiHelpers.h"
#include "app/tooltips/HtmlToolTip.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"
#include "platform/Languages.h"

#include <QAbstractSpinBox>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell {

namespace {

constexpr unsigned kIconScreen = 6238;

const QList<unsigned> kMainToolBarIcons = {6007, 6008, 6009, 6040, 6032, 6059, 6004, 6012, 6011, 6104, 6096};

// The Language menu's entries: automatic, then one per language.
QList<unsigned> languageCommands()
{
    QList<unsigned> ids{platform::kLangAutomaticCommand};
    for (const platform::Language& l : platform::languages())
        ids << l.menuCommand;
    return ids;
}

// The part of a command's string a toolbar button shows: after the first line feed.
QString buttonText(unsigned id)
{
    const QString s = platform::langString(id);
    const int nl = s.indexOf(u'\n');
    return nl < 0 ? s : s.mid(nl + 1);
}

QString promptText(unsigned id)
{
    return platform::langString(id).section(u'\n', 0, 0);
}

bool isTextInput(const QWidget* w)
{
    if (!w)
        return false;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w)
        || qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
        return true;
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable();
    return false;
}

} // namespace

// The frame's port: what the tree, the canvases, the panels and the commands
// ask of the frame, each service once.
class FrameServices : public editor::FramePort {
public:
    explicit FrameServices(CMainFrame& frame) : m_frame(frame) {}

    editor::CScreenLed* FindItemWindow(tagItemData* node) override { return m_frame.FindItemWindow(node); }
    bool OpenScreenWindow(tagItemData* screen) override { return m_frame.OpenScreenWindow(screen) == 1; }

    QWidget* owner() override { return &m_frame; }
    void notice(const QString& text) override { m_frame.Status().ShowTip(text); }
    void inform(const QString& text) override
    {
        controls::MessageBox::information(&m_frame, m_frame.windowTitle(), text);
    }
    void warn(const QString& text) override { controls::MessageBox::warning(&m_frame, m_frame.windowTitle(), text); }
    bool ask(const QString& caption, const QString& text) override
    {
        return controls::MessageBox::question(&m_frame, caption, text) == QMessageBox::Yes;
    }
    bool confirm(const QString& caption, const QString& text) override
    {
        return controls::MessageBox::question(&m_frame, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                              QMessageBox::Ok)
            != QMessageBox::Cancel;
    }
    void resetStatus() override { m_frame.Status().Reset(); }
    void setStatus(int pane, const QString& text) override
    {
        if (QLabel* label = m_frame.Status().Pane(pane))
            label->setText(text);
    }

    int runTask(const spine::TaskRequest& request) override { return m_frame.Jobs().runTask(request); }
    spine::JobOutcome runJob(std::function<int(CCore&)> call) override { return m_frame.Jobs().runJob(std::move(call)); }
    spine::JobOutcome runFileJob(std::function<int(CCore&)> call) override
    {
        return m_frame.Jobs().runJob(std::move(call), true);
    }

    bool thumbnailShown() override { return m_thumbnail && m_thumbnail->isVisible(); }
    void showThumbnail(int w, int h, editor::CLed* canvas) override
    {
        if (m_thumbnail)
            m_thumbnail->showThumbnail(w, h, canvas);
    }
    void hideThumbnail() override
    {
        if (m_thumbnail)
            m_thumbnail->hide();
    }
    void resizeThumbnail(int w, int h) override
    {
        if (m_thumbnail)
            m_thumbnail->Resize(w, h);
    }
    void setThumbnailView(const QRect& leds) override
    {
        if (m_thumbnail)
            m_thumbnail->SetViewRect(leds);
    }
    QObject* thumbnailReceiver() override { return m_thumbnail.data(); }

    QPointer<CThumbnail> m_thumbnail;

private:
    CMainFrame& m_frame;
};

editor::FramePort& CMainFrame::Port()
{
    return *m_port;
}

QMainWindow* CreateMainFrame(CMainApp& app)
{
    auto frame = std::make_unique<CMainFrame>(app);
    return frame->OnCreate() ? frame.release() : nullptr;
}

CMainFrame::CMainFrame(CMainApp& app, std::unique_ptr<ScreenPanelPort> panel, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_core(app.Core()), m_port(std::make_unique<FrameServices>(*this)),
      m_panel(std::move(panel))
{
    // Scroll bars go to the MDI area; the title is the program's name.
    setWindowTitle(GetExeBaseName());
    resize(kInitialWidth, kInitialHeight);
    setWindowIcon(platform::langIcon(128));
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_relay.reset();
    m_status.destroyTip();
    // The tree, the screen windows and the panels hold the port: they go
    // before it. The thumbnail goes with the screen area, so the canvases
    // lose it first.
    m_port->m_thumbnail = nullptr;
    delete takeCentralWidget();
    m_panel.reset();
}

bool CMainFrame::OnCreate()
{
    buildMenus();
    buildToolBars();
    buildItemKindBar();
    m_status.buildBar();
    buildPanes();
    m_status.buildTip();
    setUpLanguageMenu();

    m_relay = std::make_unique<spine::CoreSubscription>(
        m_core, this, [this](const std::vector<spine::CoreReport>& reports) {
            for (const spine::CoreReport& r : reports) {
                if (r.channel == spine::CoreChannel::Comm)
                    m_status.OnCommProgress(r.event);
                else
                    m_status.OnFileProgress(r.event);
            }
        });
    qApp->installEventFilter(this);

    QDir::setCurrent(m_app.AppFolder());
    reopenScreens();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return true;
}

// ---- bars ----

QAction* CMainFrame::commandAction(unsigned id)
{
    if (QAction* a = m_actions.find(kFrameMenu, id))
        return a;
    auto* a = new QAction(this);
    a->setProperty("commandId", id);
    a->setStatusTip(promptText(id));
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions.add(kFrameMenu, id, a);
    return a;
}

void CMainFrame::addMenuItems(QMenu* menu, const QList<platform::LangMenuItem>& items)
{
    for (const platform::LangMenuItem& item : items) {
        if (item.separator) {
            menu->addSeparator();
        } else if (item.isPopup()) {
            addMenuItems(menu->addMenu(item.text), item.submenu);
        } else if (item.command) {
            QAction* a = commandAction(item.command);
            a->setText(item.text);
            if (!item.shortcut.isEmpty())
                a->setShortcut(item.shortcut);
            menu->addAction(a);
        }
    }
}

void CMainFrame::buildMenus()
{
    menuBar()->clear();
    const std::optional<platform::LangMenu> menu = platform::langMenu(kFrameMenu);
    if (menu) {
        for (const platform::LangMenuItem& top : menu->items) {
            if (top.isPopup())
                addMenuItems(menuBar()->addMenu(top.text), top.submenu);
        }
    }
    // Every command of the frame has an action, in a menu or not.
    QList<unsigned> ids{ID_NEW_SCREEN, ID_OPEN_FILE, ID_SAVE_FILE, ID_SAVE_FILE_AS,
                        ID_EXPORT_USB, ID_EXPORT_USB2, ID_FIND_SCREEN, ID_SEARCH,
                        ID_READ_HARDWARE, ID_SEND_PROGRAMS, ID_ADJUST_TIME, ID_DISPLAY_ON,
                        ID_DISPLAY_OFF, ID_HARDWARE_SETTINGS, ID_NETWORK_SETTINGS,
                        ID_WIFI_SETTINGS, ID_SOFTWARE_SETTINGS, ID_WIZARD, ID_BULK_SEND,
                        ID_PREVIEW};
    ids << languageCommands();
    ids << QList<unsigned>{ID_TEST_SCAN, ID_TEST_GRID, ID_TEST_BLACK, ID_TEST_RED,
                           ID_TEST_GREEN, ID_TEST_YELLOW, ID_CHECK_UPDATE, ID_UPDATE,
                           ID_VIEW_TOOLBAR, ID_APP_ABOUT, ID_APP_EXIT};
    for (unsigned id : ids) {
        QAction* a = commandAction(id);
        if (a->text().isEmpty())
            a->setText(buttonText(id));
    }
    QAction* view = commandAction(ID_VIEW_TOOLBAR);
    view->setCheckable(true);
    view->setChecked(true);
}

QToolBar* CMainFrame::buildToolBar(unsigned templateId, const QList<unsigned>& icons)
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("toolbar%1").arg(templateId));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(32, 31));
    const std::optional<platform::LangToolBar> tb = platform::langToolBar(templateId);
    int icon = 0;
    for (unsigned id : tb ? tb->ids : QList<unsigned>{}) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* a = commandAction(id);
        auto* button = new QToolButton(bar);
        button->setDefaultAction(a);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(32, 31));
        button->setObjectName(QString::number(id));
        controls::setControlId(button, int(id));
        if (icon < icons.size())
            a->setIcon(platform::langIcon(icons[icon++]));
        // The button shows the short text; the menu keeps its own.
        button->setText(buttonText(id));
        button->setToolTip(promptText(id));
        bar->addWidget(button);
        if (id == ID_FIND_SCREEN) {
            auto* drop = new QMenu(button);
            QAction* search = drop->addAction(platform::langString(57348));
            connect(search, &QAction::triggered, this, [this] {
                OnCommand(ID_SEARCH);
                if (m_findButton)
                    m_findButton->setFocus();
            });
            button->setMenu(drop);
            button->setPopupMode(QToolButton::MenuButtonPopup);
            m_findButton = button;
        }
    }
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

void CMainFrame::buildToolBars()
{
    m_mainBar = buildToolBar(kMainToolBar, kMainToolBarIcons);
    m_secondBar = buildToolBar(kSecondToolBar, {6044});
}

void CMainFrame::buildItemKindBar()
{
    m_kindBar = new QToolBar(this);
    m_kindBar->setObjectName(QString::number(kItemKindBar));
    controls::setControlId(m_kindBar, int(kItemKindBar));
    m_kindBar->setMovable(false);
    m_kindBar->setWindowTitle(platform::langDialogText(kItemKindBar, 0));
    for (int i = 0; i < 9; ++i) {
        const unsigned id = ID_KIND_FIRST + unsigned(i);
        auto* b = new controls::CIconButton(m_kindBar);
        b->setObjectName(QString::number(id));
        controls::setControlId(b, int(id));
        const editor::KindRow* kind = editor::kindByButton(id);
        b->AssignIcons(kind ? kind->buttonIcon : 6205u);   // the last button deletes
        b->SetFlat(true);
        b->setText(buttonText(id));
        b->setToolTip(promptText(id));
        b->setStatusTip(promptText(id));
        b->setMinimumHeight(40);
        connect(b, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        m_kindButtons << b;
        m_kindBar->addWidget(b);
    }
    // A row of its own, so that no kind is pushed into the overflow.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_kindBar);
}

void CMainFrame::buildPanes()
{
    m_outer = new controls::CStaticSplitterWnd(this, false);
    m_outer->setObjectName(QStringLiteral("outerSplitter"));
    m_inner = new controls::CStaticSplitterWnd(m_outer, true);
    m_inner->setObjectName(QStringLiteral("innerSplitter"));

    m_mdi = new QMdiArea(m_inner);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiViewport = m_mdi->viewport();
    m_mdiViewport->installEventFilter(this);
    // Hidden until a maximised screen window no longer fits; the canvases reach it through the port.
    auto* thumbnail = new CThumbnail(m_mdi->viewport());
    m_thumbnail = thumbnail;
    m_port->m_thumbnail = thumbnail;

    m_port->mainFrame = this;
    if (!m_panel) {
        auto panel = std::make_unique<CEditorScreenPanel>(m_core, m_app.Settings(), m_app.AppFolder(), *m_port, m_inner);
        m_port->itemTree = panel->Editor();
        m_panel = std::move(panel);
    }
    m_panel->SetNoticeCallback([this](int code, const QString& text) { m_status.OnEditorNotice(code, text); });
    QWidget* panelWidget = m_panel->widget();
    panelWidget->setParent(m_inner);
    panelWidget->resize(kPanelWidth, 300);

    m_property = new QWidget(m_outer);
    m_property->setObjectName(QStringLiteral("propertyPane"));
    m_property->resize(870, kPropertyHeight);
    auto* lay = new QVBoxLayout(m_property);
    lay->setContentsMargins(0, 0, 0, 0);
    auto* pane = new panels::CPanelProperty(panels::PanelContext{m_core, m_port.get()});
    lay->addWidget(panels::makePaneScroller(pane, m_property));
    m_port->propertyPane = pane;
    // The tree's "Add ..." commands and its item selections go to the items pane.
    m_port->itemListPanel = pane->windowPage()->progList();

    m_outer->SetPanes(m_inner, m_property);
    m_inner->SetPanes(panelWidget, m_mdi);
    m_layoutReady = 1;
    m_outer->SetFixedPane(m_property, kPropertyHeight);
    m_inner->SetFixedPane(panelWidget, kPanelWidth);
    m_outer->SetResizeFlags(controls::SplitterModel::KeepSecond);
    m_inner->SetResizeFlags(0);
    setCentralWidget(m_outer);
    panelWidget->show();
    m_property->show();

    m_cmds = std::make_unique<FrameCommands>(m_core, *m_panel, *m_port,
                                                    ownFrameDialogs(m_core, m_app, this, m_property, m_port.get()),
                                                    m_app.AppFolder());
}

void CMainFrame::SetThumbnail(QWidget* thumbnail)
{
    m_thumbnail = thumbnail;
    if (thumbnail) {
        thumbnail->setParent(m_mdi->viewport());
        thumbnail->show();
        PlaceThumbnail();
    }
}

void CMainFrame::PlaceThumbnail()
{
    if (!m_thumbnail || !m_mdi)
        return;
    const QRect area = m_mdi->viewport()->rect();
    m_thumbnail->move(area.bottomRight() - QPoint(m_thumbnail->width() - 1, m_thumbnail->height() - 1));
    m_thumbnail->raise();
}

void CMainFrame::setUpLanguageMenu()
{
    m_langGroup = new QActionGroup(this);
    m_langGroup->setExclusive(true);
    for (unsigned id : languageCommands()) {
        QAction* a = commandAction(id);
        const int code = platform::languageSettingOfCommand(id);
        a->setCheckable(true);
        a->setChecked(false);
        a->setData(code);
        m_langGroup->addAction(a);
        if (code == m_app.Settings().language)
            a->setChecked(true);
    }
}

// ---- start-up: the screens of the last session ----

void CMainFrame::reopenScreens()
{
    const OpenScreenLists& lists = m_app.Settings().screens;
    if (lists.savePath.isEmpty()) {
        if (tagItemData* screen = m_panel->AddNewItem(IT_SCREEN)) {
            m_panel->InsertItemTree(screen);
            m_panel->ForgetScreenFile(screen);
        }
        return;
    }
    tagItemData* last = nullptr;
    m_panel->HoldSelection(true);
    for (int i = 0; i < lists.savePath.size(); ++i) {
        const QString path = ResolveScreenPath(lists.savePath[i], m_app.AppFolder());
        // A file named twice gets one screen: two would each save over the other.
        if (m_panel->IsFileOpen(path))
            continue;
        const std::u16string name = GetFileTitlePart(path).toStdU16String();
        tagItemData* screen = m_core.AddItem(IT_SCREEN, name.c_str(), nullptr, last);
        if (!screen)
            continue;
        tagGlobalInfo& g = screen->Global;
        const auto has = [](const auto& list, int i) { return i < int(list.size()); };
        if (has(lists.commMode, i))
            g.CommType = std::uint32_t(lists.commMode[i]);
        if (has(lists.serialPort, i))
            g.SerialPort = std::uint32_t(lists.serialPort[i]);
        if (has(lists.baudRate, i))
            g.BaudRate = std::uint32_t(lists.baudRate[i]);
        if (has(lists.adapter, i))
            g.AdapterIndex = std::uint32_t(lists.adapter[i]);
        if (has(lists.mac, i))
            CCore::ConvertStrToMAC(wide(lists.mac[i]), g.DstMAC);
        if (has(lists.dhcpEnable, i))
            g.DhcpFlag = lists.dhcpEnable[i];
        if (has(lists.useDomain, i))
            g.HostKind = lists.useDomain[i];
        if (has(lists.addr, i)) {
            const QByteArray host = lists.addr[i].toLocal8Bit().left(int(sizeof g.Host) - 1);
            std::fill(std::begin(g.Host), std::end(g.Host), '\0');
            std::copy(host.begin(), host.end(), g.Host);
        }
        if (has(lists.port, i))
            g.HostPort = lists.port[i];
        if (const int rc = m_panel->LoadScreenFile(screen, path); rc != 0)
            m_panel->SetAsideScreen(screen, path, rc);   // told once the window shows
        else
            last = screen;
    }
    m_panel->HoldSelection(false);
}

// ---- screen windows ----

int CMainFrame::OpenScreenWindow(tagItemData* screen)
{
    if (!screen || CCore::IsRoot(screen) != 1)
        return 0;
    if (FindItemWindow(screen))
        return 1;
    auto* child = new editor::CChildFrame(m_core, m_port.get());
    if (!m_mdi->isVisible())
        child->quietFirstShow();
    m_mdi->addSubWindow(child);
    if (!child->OpenScreen(screen)) {
        delete child;
        return 0;
    }
    child->setWindowTitle(QString::fromUtf16(screen->Name));
    child->setWindowIcon(platform::langIcon(kIconScreen));
    child->show();
    child->relayout();
    return 1;
}

editor::CScreenLed* CMainFrame::FindItemWindow(tagItemData* node)
{
    if (!node || !m_mdi)
        return nullptr;
    tagItemData* root = CCore::GetCurRoot(node);
    // One look at each window: this runs for every screen a start opens.
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (auto* child = qobject_cast<editor::CChildFrame*>(w); child && child->canvas()
            && child->canvas()->boundItem() == root)
            return child->canvas();
    return nullptr;
}

QList<editor::CScreenLed*> CMainFrame::canvases() const
{
    // The active window first, then the others.
    QList<QMdiSubWindow*> order;
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (active)
        order << active;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (w != active)
            order << w;
    QList<editor::CScreenLed*> out;
    for (QMdiSubWindow* w : order)
        if (auto* child = qobject_cast<editor::CChildFrame*>(w); child && child->canvas())
            out << child->canvas();
    return out;
}

// ---- commands ----

bool CMainFrame::OnCommand(unsigned id)
{
    // Every command may read the tree (save, send, preview, quit): typing a
    // panel still holds back goes into it first.
    spine::notices().flushPendingEdits();
    if (platform::languageSettingOfCommand(id) >= 0) {
        OnLanguage(id);
        return true;
    }
    switch (id) {
    case ID_VIEW_TOOLBAR: OnViewToolbar(); return true;
    case ID_APP_ABOUT: m_app.OnAppAbout(); return true;
    case ID_APP_EXIT: close(); return true;
    default: return m_cmds && m_cmds->run(id);
    }
}

void CMainFrame::OnLanguage(unsigned id)
{
    const int code = platform::languageSettingOfCommand(id);
    ShellSettings& settings = m_app.Settings();
    const int old = settings.language;
    if (code < 0 || code == old)
        return;
    const int user = m_app.UserLangId();
    if (ChooseUiLanguage(old, user) == ChooseUiLanguage(code, user)) {
        settings.language = code;
        return;
    }
    // The restart closes every screen by the quitting road: what would be
    // lost is asked about there, and a Cancel keeps the language.
    settings.language = code;
    m_app.SetRestart(true, false);
    m_app.m_closeAccepted = 1;
    close();
    if (!m_app.m_closeAccepted || isVisible()) {
        settings.language = old;
        m_app.SetRestart(false, false);
        for (QAction* a : m_langGroup->actions())
            a->setChecked(a->data().toInt() == old);
    }
}

void CMainFrame::OnViewToolbar()
{
    const bool show = !m_mainBar->isVisible();
    for (QToolBar* bar : {m_mainBar, m_secondBar, m_kindBar})
        bar->setVisible(show);
    if (QAction* a = CommandAction(ID_VIEW_TOOLBAR))
        a->setChecked(show);
}

void CMainFrame::OnSettingsChanged(std::uintptr_t what)
{
    if (what != 8)
        return;
    for (editor::CScreenLed* canvas : canvases())
        canvas->ApplyWorkMode();
}

// ---- events ----

bool CMainFrame::event(QEvent* e)
{
    using namespace spine;
    if (e->type() == QEvent::StatusTip) {
        if (QLabel* prompt = m_status.Pane(0))
            prompt->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    if (Command::dispatch(e, [this](CommandWord c, QObject*) { OnCommand(unsigned(c.id)); })
        || StatusIdle::dispatch(e, [this] { m_status.Reset(); })
        || SettingsChanged::dispatch(e, [this](std::uintptr_t what, std::intptr_t) { OnSettingsChanged(what); }))
        return true;
    // The other windows' requests go to the commands, once there are any.
    if (m_cmds) {
        FrameCommands& c = *m_cmds;
        if (ScreenChanged::dispatch(e, [&c](tagItemData* s) { c.screenChanged(s); })
            || SearchScreens::dispatch(e, [&c](int replace, int readHw) { c.searchScreens(replace, readHw); })
            || SendPrograms::dispatch(e, [&c](tagItemData* s, tagItemData* link) {
                   notices().flushPendingEdits();
                   c.sendProgramsThrough(s, link);
               })
            || WizardFinish::dispatch(e, [&c](tagItemData* s, std::intptr_t flags) { c.wizardFinish(s, flags); })
            || ScreenReconnect::dispatch(e, [this, &c](tagItemData* s) {
                   m_status.Reset();
                   c.reconnectScreen(s);
               })
            || ItemMoved::dispatch(e, [&c](tagItemData* s) { c.itemMoved(s); }))
            return true;
    }
    return QMainWindow::event(e);
}

void CMainFrame::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // Files of the last session that did not open are told over the window,
    // once it is up.
    if (!m_setAsideTold && m_panel) {
        m_setAsideTold = true;
        QTimer::singleShot(0, this, [this] {
            if (m_panel)
                m_panel->TellSetAsideFiles();
        });
    }
    // The splitters are placed once their real size is known.
    if (m_layoutReady == 1) {
        m_layoutReady = 2;
        m_inner->SetSplitterPos(kPanelWidth);
        m_outer->SetSplitterPos(std::max(0, m_outer->height() - kPropertyHeight - m_outer->model().barWidth));
    }
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    spine::notices().flushPendingEdits();
    // Closing now would pull the screens from under the running job: keep
    // the request and act on it when the job has ended.
    if (m_jobs.running()) {
        m_jobs.deferClose(false);
        e->ignore();
        return;
    }
    if (!m_panel || m_panel->CloseAllScreens() == 0) {
        m_app.m_closeAccepted = 0;
        m_jobs.closeRefused();
        e->ignore();
        return;
    }
    e->accept();
}

bool CMainFrame::deleteKeyRelayed(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Delete)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this || QApplication::activeModalWidget())
        return false;
    // Delete in a text field edits the text; only elsewhere does it delete
    // the selected scene or section. The tree's label editor opens by itself
    // a moment after a click into the selected row: until something is typed
    // there, Delete still deletes that row's node.
    QWidget* focus = QApplication::focusWidget();
    auto* label = qobject_cast<QLineEdit*>(focus);
    auto* tree = qobject_cast<QWidget*>(m_port->itemTree.data());
    if (label && tree && !label->isModified() && tree->isAncestorOf(label))
        tree->setFocus();   // closes the label editor with the name unchanged
    else if (isTextInput(focus) || isTextInput(w))
        return false;
    if (m_panel)
        m_panel->DeleteSelectedItem();
    return true;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (m_mdiViewport && watched == m_mdiViewport && e->type() == QEvent::Resize) {
        PlaceThumbnail();
        return false;
    }
    if (e->type() == QEvent::Quit && m_jobs.running()) {
        m_jobs.deferClose(true);
        return true;
    }
    m_status.relay(watched, e);
    return deleteKeyRelayed(watched, e);
}

} // namespace shell
