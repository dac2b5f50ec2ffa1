// The main frame's commands and the messages other windows send it.
#include "app/shell/MainFrame.h"

#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/MessageBox.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/MainApp.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "app/dialogs/device/SettingSW.h"
#include "app/dialogs/device/SettingWIFI.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/usb/UFileConfigDlg.h"
#include "app/dialogs/usb/UsbExport.h"
#include "app/dialogs/wizard/NewScreenDlg.h"
#include "app/dialogs/wizard/Wizard.h"
#include "app/editor/ChildFrame.h"
#include "app/preview/PreView.h"
#include "app/editor/ScreenLed.h"
#include "app/shell/PanelView.h"
#include "app/shell/SmallDialogs.h"
#include "app/shell/TestPatterns.h"
#include "app/shell/UiHelpers.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/Records.h"
#include "platform/LangPack.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScreen>
#include <QToolBar>

#include <memory>

namespace shell {

int languageOfCommand(unsigned id)
{
    switch (id) {
    case ID_LANG_AUTO: return 255;
    case ID_LANG_CN: return 4;
    case ID_LANG_TW: return 0x7C04;
    case ID_LANG_EN: return 9;
    default: return -1;
    }
}

} // namespace shell

using namespace shell;

namespace {

constexpr unsigned kStrNoScreen = 48170;
constexpr unsigned kStrNotAvailable = 48290;
constexpr unsigned kStrNothingToPreview = 48303;
constexpr unsigned kStrClearPrograms = 57356;
constexpr unsigned kStrFileOpen = 48217;
constexpr unsigned kStrFileFilter = 46006;
constexpr unsigned kStrSearchSummary = 48225;
constexpr unsigned kStrFolderEmpty = 105;
constexpr unsigned kStrUsbFailed = 63000;
constexpr unsigned kStrItemTooLarge = 63030;
constexpr unsigned kStrFound = 44015;
constexpr unsigned kStrFillText = 57360;
constexpr unsigned kStrFillCaption = 57359;
constexpr unsigned kStrOverlapCaption = 32874;
// Templates of the property pane's screen panels.
constexpr int kScreenCommPanel = 6190;

QString S(unsigned id)
{
    return platform::langString(id);
}

const char16_t* wide(const QString& s)
{
    return reinterpret_cast<const char16_t*>(s.utf16());
}

// A panel of the property pane by its template id, shown or not; controls
// inside panels may carry the same number, so only a panel counts.
QWidget* panelOf(QWidget* pane, int templateId)
{
    if (!pane)
        return nullptr;
    for (QWidget* w : pane->findChildren<QWidget*>())
        if (w->objectName() == QString::number(templateId) && w->inherits("panels::CPanelBase"))
            return w;
    return nullptr;
}

SYSTEMTIME localNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    SYSTEMTIME t;
    t.wYear = std::uint16_t(now.date().year());
    t.wMonth = std::uint16_t(now.date().month());
    t.wDayOfWeek = std::uint16_t(now.date().dayOfWeek() % 7);
    t.wDay = std::uint16_t(now.date().day());
    t.wHour = std::uint16_t(now.time().hour());
    t.wMinute = std::uint16_t(now.time().minute());
    t.wSecond = std::uint16_t(now.time().second());
    t.wMilliseconds = std::uint16_t(now.time().msec());
    return t;
}

} // namespace

void CMainFrame::fillOwnDialogs()
{
    spine::FrameDialogs& s = m_own;
    if (!s.accessGate)
        s.accessGate = [](int id, QWidget* owner) { return dialogs::PassAccessGate(id, owner); };
    if (!s.hardwareSettings)
        s.hardwareSettings = [this](QWidget* owner, tagItemData* screen) {
            dialogs::CSettingHW dlg(m_core, screen, owner);
            dlg.setMainFrame(this);
            return dlg.exec();
        };
    if (!s.networkSettings)
        s.networkSettings = [this](QWidget* owner, tagItemData* screen) {
            dialogs::CSettingWan dlg(m_core, screen, owner);
            dlg.setMainFrame(this);
            return dlg.exec();
        };
    if (!s.wifiSettings)
        s.wifiSettings = [this](QWidget* owner, tagItemData* screen) {
            dialogs::CSettingWIFI dlg(m_core, screen, owner);
            dlg.setMainFrame(this);
            return dlg.exec();
        };
    if (!s.softwareSettings)
        s.softwareSettings = [this](QWidget* owner) {
            ShellSettings& st = m_app.Settings();
            const dialogs::SoftwareOptions options{st.closeByTray != 0, st.autoRetrieve != 0, st.isQuitNote != 0,
                                                   st.isSaveLED != 0};
            dialogs::CSettingSW dlg(m_core, options, owner);
            dlg.setMainFrame(this);
            // The screen-link panel lists the ports added, shown now or later.
            dlg.setLinkPage(panelOf(m_property, kScreenCommPanel));
            QObject::connect(&dlg, &dialogs::CSettingSW::applied, this, [&st](const dialogs::SoftwareOptions& o) {
                st.closeByTray = o.closeByTray;
                st.autoRetrieve = o.autoRetrieve;
                st.isQuitNote = o.quitNote;
                st.isSaveLED = o.saveLed;
            });
            return dlg.exec();
        };
    if (!s.searchScope)
        s.searchScope = [this](QWidget* owner) {
            dialogs::CSettingRetrieveDlg dlg(m_core, owner);
            dlg.setMainFrame(this);
            return dlg.exec();
        };
    if (!s.newScreen)
        s.newScreen = [this](QWidget* owner) {
            dialogs::CNewScreenDlg dlg(m_core, owner, this);
            return dlg.exec();
        };
    if (!s.wizard)
        s.wizard = [this](QWidget* owner) {
            dialogs::CWizard dlg(m_core, owner, this);
            dlg.AddStandardPages();
            return dlg.exec();
        };
    if (!s.bulkSend)
        s.bulkSend = [this](QWidget* owner) {
            dialogs::CSettingBulkProgram dlg(m_core, owner, m_app.AppFolder() + QStringLiteral("groupinfo.ini"));
            return dlg.exec();
        };
    if (!s.usbExport)
        s.usbExport = [](QWidget* owner, tagItemData* screen, UsbExportChoice& choice) {
            dialogs::CUFileConfigDlg dlg(screen ? screen->Global.HardwareId : 0, screen != nullptr,
                                         [] { return GetRemovableDrives(); }, owner);
            const int r = dlg.exec();
            choice.options = dlg.flags();
            choice.timeOffset = dlg.clockOffset();
            choice.folder = dlg.destination();
            choice.model = dlg.model();
            return r;
        };
    if (!s.preview)
        s.preview = [this](QWidget* owner, tagItemData* scene, int, int) { return preview::runPreview(m_core, scene, owner); };
}

bool CMainFrame::OnCommand(unsigned id)
{
    switch (id) {
    case ID_NEW_SCREEN: OnNewScreen(); break;
    case ID_OPEN_FILE: OnOpenFile(); break;
    case ID_SAVE_FILE: OnSaveFile(); break;
    case ID_SAVE_FILE_AS: OnSaveFileAs(); break;
    case ID_EXPORT_USB:
    case ID_EXPORT_USB2: OnExportUsbFile(); break;
    case ID_FIND_SCREEN: OnFindScreen(); break;
    case ID_SEARCH: OnSearch(); break;
    case ID_READ_HARDWARE: OnReadHardwareInfo(); break;
    case ID_SEND_PROGRAMS: OnSendPrograms(); break;
    case ID_ADJUST_TIME: OnAdjustTime(); break;
    case ID_DISPLAY_ON: OnDisplaySwitch(1); break;
    case ID_DISPLAY_OFF: OnDisplaySwitch(0); break;
    case ID_HARDWARE_SETTINGS:
    case ID_NETWORK_SETTINGS:
    case ID_WIFI_SETTINGS: OnSettingsDialog(id); break;
    case ID_SOFTWARE_SETTINGS:
        if (const auto settings = dialog(&spine::FrameDialogs::softwareSettings))
            settings(this);
        else
            notAvailable();
        break;
    case ID_WIZARD: OnWizard(); break;
    case ID_BULK_SEND: OnBulkSend(); break;
    case ID_PREVIEW: OnPreview(); break;
    case ID_LANG_AUTO:
    case ID_LANG_CN:
    case ID_LANG_TW:
    case ID_LANG_EN: OnLanguage(id); break;
    case ID_TEST_SCAN:
    case ID_TEST_GRID:
    case ID_TEST_BLACK:
    case ID_TEST_RED:
    case ID_TEST_GREEN:
    case ID_TEST_YELLOW: OnTestPattern(id); break;
    case ID_CHECK_UPDATE: OnCheckUpdate(); break;
    case ID_UPDATE: OnUpdate(); break;
    case ID_VIEW_TOOLBAR: OnViewToolbar(); break;
    case ID_APP_ABOUT: m_app.OnAppAbout(); break;
    case ID_APP_EXIT: close(); break;
    default:
        if (id >= ID_KIND_FIRST && id <= ID_KIND_DELETE) {
            OnItemKindButton(id);
            break;
        }
        return false;
    }
    return true;
}

tagItemData* CMainFrame::selectedScreenOrNotice()
{
    tagItemData* screen = m_panel ? m_panel->GetSelectedScreen() : nullptr;
    if (!screen)
        ShowTip(S(kStrNoScreen));
    return screen;
}

void CMainFrame::notAvailable()
{
    ShowTip(S(kStrNotAvailable));
}

int CMainFrame::CheckRights(unsigned id)
{
    const auto gate = dialog(&spine::FrameDialogs::accessGate);
    if (!gate) {
        notAvailable();
        return 0;
    }
    return gate(int(id), this) ? 1 : 0;
}

void CMainFrame::OnNewScreen()
{
    const auto newScreen = dialog(&spine::FrameDialogs::newScreen);
    if (!newScreen) {
        notAvailable();
        return;
    }
    if (newScreen(this) == 1023)
        OnSearch();
}

void CMainFrame::OnOpenFile()
{
    if (tagItemData* screen = m_panel->GetSelectedScreen()) {
        m_panel->OpenScreen(screen);
        return;
    }
    const QString path = controls::FileDialog::getOpenFileName(this, QString(), m_app.AppFolder() + QStringLiteral("userdata"),
                                                               FileFilterFromPack(S(kStrFileFilter)));
    if (path.isEmpty())
        return;
    if (m_panel->IsFileOpen(path)) {
        controls::MessageBox::information(this, windowTitle(), S(kStrFileOpen));
        return;
    }
    const QString name = GetFileTitlePart(path);
    tagItemData* screen = m_core.AddItem(IT_SCREEN, wide(name), nullptr, nullptr);
    if (!screen)
        return;
    if (const int rc = m_panel->LoadScreenFile(screen, path); rc != 0) {
        m_panel->RemoveScreen(screen);
        ShowOpenFailedMessage(this, path, rc);
    }
}

void CMainFrame::OnSaveFile()
{
    if (tagItemData* screen = selectedScreenOrNotice())
        m_panel->SaveScreen(screen);
}

void CMainFrame::OnSaveFileAs()
{
    if (tagItemData* screen = selectedScreenOrNotice())
        m_panel->SaveScreenAs(screen);
}

void CMainFrame::OnExportUsbFile()
{
    // The file is written for one screen's controller: with none chosen
    // there is nothing to write.
    tagItemData* screen = selectedScreenOrNotice();
    if (!screen)
        return;
    const auto usbExport = dialog(&spine::FrameDialogs::usbExport);
    if (!usbExport) {
        notAvailable();
        return;
    }
    UsbExportChoice choice;
    if (usbExport(this, screen, choice) != 1)
        return;
    std::uint32_t stamp = m_core.PCToRemoteTime(localNow());
    if (choice.options & 4)
        stamp = dialogs::AddClockOffset(stamp, choice.timeOffset);
    if (choice.folder.isEmpty()) {
        controls::MessageBox::warning(this, windowTitle(), S(kStrFolderEmpty));
        return;
    }
    QString folder = choice.folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    if ((choice.options & 1) && !CheckItemSizes(screen))
        return;
    const QString path = folder + QStringLiteral("program.dat");
    const std::uint32_t oldModel = screen->Global.HardwareId;
    if (choice.options & 0x20)
        screen->Global.HardwareId = choice.model;
    const int r = m_core.SaveAsUSBFile(screen, wide(path), choice.options, stamp);
    screen->Global.HardwareId = oldModel;
    if (r != 0)
        controls::MessageBox::warning(this, windowTitle(), S(kStrUsbFailed));
}

void CMainFrame::OnFindScreen()
{
    ResetStatusTexts();
    if (tagItemData* screen = m_panel->GetSelectedScreen())
        ReconnectScreen(screen);
    else
        OnSearch();
}

void CMainFrame::OnSearch()
{
    if (const auto searchScope = dialog(&spine::FrameDialogs::searchScope)) {
        searchScope(this);
        AllScreenSettingsChanged();
    } else {
        notAvailable();
    }
}

void CMainFrame::OnReadHardwareInfo()
{
    ResetStatusTexts();
    tagItemData* screen = selectedScreenOrNotice();
    if (!screen)
        return;
    auto copy = std::make_unique<tagGlobalInfo>();
    *copy = screen->Global;
    // A request waits seconds on a silent controller: it runs as a job.
    if (runTask(dialogs::TASK_READ_SCREEN, screen, 0) == 1)
        spine::ScreenHwChanged::send(this, screen, copy.get());
    else
        screen->Global = *copy;   // a failed or cancelled read leaves no half-read screen
}

void CMainFrame::OnSendPrograms()
{
    ResetStatusTexts();
    if (tagItemData* screen = selectedScreenOrNotice())
        SendScreenPrograms(screen);
}

void CMainFrame::OnAdjustTime()
{
    ResetStatusTexts();
    if (tagItemData* screen = selectedScreenOrNotice())
        runTask(dialogs::TASK_ADJUST_TIME, screen, 0);
}

void CMainFrame::OnDisplaySwitch(unsigned value)
{
    ResetStatusTexts();
    if (tagItemData* screen = selectedScreenOrNotice())
        runTask(value ? dialogs::TASK_DISPLAY_ON : dialogs::TASK_DISPLAY_OFF, screen, 0);
}

void CMainFrame::OnSettingsDialog(unsigned id)
{
    tagItemData* screen = selectedScreenOrNotice();
    if (!screen || !CheckRights(id))
        return;
    const auto settings = dialog(id == ID_HARDWARE_SETTINGS ? &spine::FrameDialogs::hardwareSettings
                                 : id == ID_NETWORK_SETTINGS  ? &spine::FrameDialogs::networkSettings
                                                              : &spine::FrameDialogs::wifiSettings);
    if (settings) {
        settings(this, screen);
        NodeSettingsChanged(screen);
    } else {
        notAvailable();
    }
}

void CMainFrame::OnWizard()
{
    if (!CheckRights(ID_WIZARD))
        return;
    if (const auto wizard = dialog(&spine::FrameDialogs::wizard)) {
        wizard(this);
        AllScreenSettingsChanged();
    } else {
        notAvailable();
    }
}

void CMainFrame::OnBulkSend()
{
    if (const auto bulkSend = dialog(&spine::FrameDialogs::bulkSend)) {
        bulkSend(this);
        AllScreenSettingsChanged();
    } else {
        notAvailable();
    }
}

void CMainFrame::OnPreview()
{
    tagItemData* item = m_panel->GetSelectedItem();
    tagItemData* scene = item ? CCore::GetCurScene(item) : nullptr;
    tagItemData* screen = item ? CCore::GetCurRoot(item) : nullptr;
    QWidget* canvas = screen ? FindItemWindow(screen) : nullptr;
    if (!scene && screen && !screen->FirstChild) {
        // Otherwise the command would seem to do nothing at all.
        controls::MessageBox::information(this, windowTitle(), S(kStrNothingToPreview));
        return;
    }
    if (!scene || !canvas)
        return;
    // Three pixels a dot, fewer when the screen would not fit the display.
    int dot = 3;
    const QScreen* display = QGuiApplication::primaryScreen();
    const int displayHeight = display ? display->geometry().height() : 768;
    while (dot > 1 && dot * int(screen->Global.Height) > displayHeight)
        --dot;
    if (const auto preview = dialog(&spine::FrameDialogs::preview))
        preview(this, scene, dot, screen->Global.Type);
    else
        notAvailable();
}

void CMainFrame::OnLanguage(unsigned id)
{
    const int code = languageOfCommand(id);
    ShellSettings& settings = m_app.Settings();
    const int old = settings.language;
    if (code < 0 || code == old)
        return;
    const int user = m_app.UserLangId();
    if (ChooseUiLanguage(old, user) == ChooseUiLanguage(code, user)) {
        settings.language = code;
        return;
    }
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

void CMainFrame::OnItemKindButton(unsigned id)
{
    static const int kKinds[] = {IT_GLOBALSCENE, IT_SCENE, IT_WND_PROGLIST, IT_WND_TEXT, IT_WND_CONTENTLIST,
                                 IT_WND_CLOCKSIMUL, IT_WND_CLOCKDIGIT, IT_WND_COUNT};
    if (id == ID_KIND_DELETE)
        m_panel->DeleteSelectedItem();
    else if (id >= ID_KIND_FIRST && id < ID_KIND_DELETE)
        m_panel->AddNewItem(kKinds[id - ID_KIND_FIRST]);
}

QString CMainFrame::UpdaterParameter(unsigned id) const
{
    QString p = GetFileVersionText() + u';' + windowTitle();
    if (id == ID_CHECK_UPDATE)
        p += QStringLiteral(";-ONLYCHECK");
    return p;
}

void CMainFrame::OnCheckUpdate()
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/upgrade");
    const QStringList args{UpdaterParameter(ID_CHECK_UPDATE)};
    if (const auto start = dialog(&spine::FrameDialogs::startDetached))
        start(program, args);
    else if (!QFileInfo::exists(program) || !QProcess::startDetached(program, args))
        notAvailable();
}

void CMainFrame::OnUpdate()
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/upgrade");
    const QStringList args{UpdaterParameter(ID_UPDATE)};
    if (const auto start = dialog(&spine::FrameDialogs::startDetached))
        start(program, args);
    else if (!QFileInfo::exists(program) || !QProcess::startDetached(program, args))
        notAvailable();
}

void CMainFrame::OnViewToolbar()
{
    const bool show = !m_mainBar->isVisible();
    for (QToolBar* bar : {m_mainBar, m_secondBar, m_kindBar})
        bar->setVisible(show);
    if (QAction* a = CommandAction(ID_VIEW_TOOLBAR))
        a->setChecked(show);
}

// ---- the send road ----

int CMainFrame::SendScreenPrograms(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    if (m_core.GetValidChildNum(screen) == 0) {
        if (controls::MessageBox::question(this, windowTitle(), S(kStrClearPrograms)) == QMessageBox::Yes)
            runJob([screen](CCore& core) { return core.SendClearProg(screen); });
        return 0;
    }
    if (!CheckScreenOverlap(screen) || !CheckItemSizes(screen))
        return 0;
    return runTask(dialogs::TASK_SEND_PROGRAMS, screen, 0);
}

bool CMainFrame::CheckItemSizes(tagItemData* screen)
{
    const tagItemData* item = CCore::GetOversizedItem(screen);
    if (!item)
        return true;
    const char16_t* end = std::find(std::begin(item->Name), std::end(item->Name), u'\0');
    const QString name = QString::fromUtf16(item->Name, int(end - item->Name));
    controls::MessageBox::warning(this, windowTitle(), S(kStrItemTooLarge).arg(name));
    return false;
}

QString CMainFrame::OverlapMessage(const _tableOverlap& table)
{
    QString text = S(32854);
    const std::uint32_t rows = std::min<std::uint32_t>(table.Count, std::min<std::uint32_t>(table.Capacity, 6));
    for (std::uint32_t i = 0; i < rows; ++i) {
        const _tableOverlap::Row& r = table.Rows[i];
        text += S(32857) + QString::fromUtf16(r.First, int(std::char_traits<char16_t>::length(r.First))) + S(32858)
              + QString::fromUtf16(r.Second, int(std::char_traits<char16_t>::length(r.Second))) + S(32859);
        if (r.Kind == 0)
            text += S(32855) + u'\n';
        else if (r.Kind == 1)
            text += S(32856) + u'\n';
    }
    if (table.Count > table.Capacity)
        text += S(32860).arg(table.Count).arg(table.Capacity);
    text += S(32861);
    return text;
}

int CMainFrame::CheckScreenOverlap(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    auto table = std::make_unique<_tableOverlap>();
    *table = _tableOverlap{};
    table->Capacity = 6;
    _tableOverlap* t = table.get();
    m_core.checkOverlap(screen, t);
    if (!t || t->Count == 0)
        return 1;
    return controls::MessageBox::question(this, S(kStrOverlapCaption), OverlapMessage(*t),
                                          QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        != QMessageBox::Cancel;
}

int CMainFrame::ReconnectScreen(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    if (runTask(dialogs::TASK_FIND_SCREEN, screen, 0) != 1)
        return 0;
    m_panes[1]->setText(S(kStrFound).arg(screen->Global.ID));
    NodeSettingsChanged(screen);
    return 1;
}

void CMainFrame::OnSearchScreens(int replace, int readHardware)
{
    ResetStatusTexts();
    int start = 0;
    if (replace == 1) {
        if (m_panel->CloseAllScreens() == 0)
            return;
    } else {
        for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
            ++start;
    }
    if (runTask(dialogs::TASK_SEARCH, nullptr, (std::intptr_t(start) << 16) | (replace & 0xFFFF)) != 1)
        return;
    // The found screens are read on the task dialog's worker; a failure or a
    // cancel is told there, and the screens are taken in either way.
    if (readHardware)
        runTask(dialogs::TASK_READ_HARDWARE, nullptr, start);
    int counts[3] = {0, 0, 0};
    int total = 0;
    for (tagItemData* s = m_core.GetScreen(unsigned(start)); s; s = s->NextSibling) {
        const QString name = m_panel->DefaultItemName(s);
        if (!name.isEmpty())
            m_core.ChangeItemName(s, wide(name.left(127)));
        m_panel->InsertItemTree(s);
        m_panel->ForgetScreenFile(s);
        if (s->Global.CommType < 3)
            ++counts[s->Global.CommType];
        ++total;
    }
    m_panes[2]->setText(S(kStrSearchSummary).arg(total).arg(counts[0]).arg(counts[1]).arg(counts[2]));
}

int CMainFrame::OnWizardFinish(tagItemData* screen, platform::LPARAM flags)
{
    if (!screen)
        return 0;
    if (flags & 0xFFFF) {
        const int w = screen->Global.Width, h = screen->Global.Height;
        // Each new node is named by the tree as it takes it in.
        const auto named = [this](tagItemData* n) {
            if (n) {
                const QString name = m_panel->DefaultItemName(n);
                if (!name.isEmpty())
                    m_core.ChangeItemName(n, wide(name.left(127)));
            }
            return n;
        };
        tagItemData* scene = named(m_core.AddItem(IT_SCENE, nullptr, screen, nullptr));
        tagItemData* first = scene ? named(m_core.AddItem(IT_WND_TEXT, nullptr, scene, nullptr)) : nullptr;
        if (first) {
            m_core.ChangeItemRect(first, 0, 0, w - 16, h);
            if (tagItemData* text = named(m_core.AddItem(IT_TEXT, nullptr, first, nullptr)))
                text->InEffect = 3;
            if (tagItemData* second = named(m_core.AddItem(IT_WND_TEXT, nullptr, scene, first))) {
                m_core.ChangeItemRect(second, w - 16, 0, 16, h);
                if (tagItemData* text = named(m_core.AddItem(IT_TEXT, nullptr, second, nullptr)))
                    text->InEffect = 1;
            }
        }
    }
    OnItemMoved(screen);
    if ((flags >> 16) & 0xFFFF) {
        // A write that failed stays open with its text: no send after it.
        const dialogs::TaskOutcome written = runJob([screen](CCore& core) { return core.SendHardwareInfo(screen, 0); });
        if (!written.cancelled && written.result > 0)
            SendScreenPrograms(screen);
    }
    return 0;
}

int CMainFrame::OnItemMoved(tagItemData* screen)
{
    if (!screen)
        return 0;
    m_core.ModifyItemPos(screen, nullptr, m_panel->GetSelectedScreen());
    const QString name = m_panel->DefaultItemName(screen);
    if (!name.isEmpty())
        m_core.ChangeItemName(screen, wide(name.left(127)));
    m_panel->InsertItemTree(screen);
    m_panel->ForgetScreenFile(screen);
    return 0;
}

int CMainFrame::OnScreenHwChanged(tagItemData* screen, const tagGlobalInfo* old)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    editor::CScreenLed* canvas = FindItemWindow(screen);
    if (old) {
        unsigned short a[4], b[4];
        CCore::ParseLEDWorkMode(old->Type, a[0], a[1], a[2], a[3]);
        CCore::ParseLEDWorkMode(screen->Global.Type, b[0], b[1], b[2], b[3]);
        if (a[0] != b[0] && canvas)
            canvas->ApplyWorkMode();
        const int w = screen->Global.Width, h = screen->Global.Height;
        screen->Global.Width = old->Width;
        screen->Global.Height = old->Height;
        m_core.ChangeItemRect(screen, 0, 0, w, h);
    }
    if (canvas)
        canvas->UpdateItemRect(screen);
    NodeSettingsChanged(screen);
    return 0;
}

void CMainFrame::OnScreenChanged(tagItemData* node)
{
    if (CCore::IsRoot(node) != 1)
        return;
    NodeSettingsChanged(node);
}

void CMainFrame::AllScreenSettingsChanged()
{
    for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
        NodeSettingsChanged(s);
}

void CMainFrame::NodeSettingsChanged(tagItemData* node)
{
    if (node && m_links.propertyPane)
        spine::NodeLoad::send(m_links.propertyPane, node);
}

int CMainFrame::OnSendProgramsMsg(tagItemData* screen, tagItemData* linkScreen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    // The link is borrowed for this send; the screen's own setting (a stored
    // broadcast, say) comes back after it.
    tagItemData* const saved = screen->Global.TargetScreen;
    screen->Global.TargetScreen = linkScreen;
    SendScreenPrograms(screen);
    screen->Global.TargetScreen = saved;
    return 0;
}

int CMainFrame::OnSettingsChanged(platform::WPARAM what)
{
    if (what != 8)
        return 0;
    QList<QMdiSubWindow*> order;
    if (QMdiSubWindow* active = m_mdi->activeSubWindow())
        order << active;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (!order.contains(w))
            order << w;
    for (QMdiSubWindow* w : order)
        if (auto* child = qobject_cast<editor::CChildFrame*>(w))
            if (child->canvas())
                child->canvas()->ApplyWorkMode();
    return 0;
}

// ---- test patterns ----

void CMainFrame::OnTestPattern(unsigned id)
{
    ResetStatusTexts();
    tagItemData* source = m_panel->GetSelectedScreen();
    if (!source)
        return;
    if (id >= ID_TEST_BLACK) {
        if (controls::MessageBox::question(this, S(kStrFillCaption), S(kStrFillText)) != QMessageBox::Yes)
            return;
    }
    ScratchScreen scratch(m_core, source);
    if (!scratch.ok())
        return;
    const int w = source->Global.Width, h = source->Global.Height;
    tagItemData* first = scratch.firstPicture();
    if (id == ID_TEST_SCAN) {
        CTestScan dlg(this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        const TestScanValues& v = TestScanSettings();
        static const unsigned kColours[] = {kTestRed, kTestGreen, kTestYellow, kTestRed};
        drawScanPattern(scratch.surface(first), w, h, testColour(kColours[std::clamp(v.colour, 0, 3)]), v.direction);
        first->PlayTime = 0;
        tagItemData* second = scratch.addPicture(first);
        if (!second)
            return;
        scratch.surface(second) = scratch.surface(first).copy();
        second->InEffect = v.direction == 0 ? 3 : 1;
        second->InSpeed = std::uint16_t(v.speed);
        second->PlayTime = 0;
    } else if (id == ID_TEST_GRID) {
        CTestGrid dlg(this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        const TestGridValues& v = TestGridSettings();
        const QList<QImage> pictures = gridPictures(w, h, v.colour);
        tagItemData* item = first;
        for (int i = 0; i < pictures.size() && item; ++i) {
            if (i > 0)
                item = scratch.addPicture(item);
            if (!item)
                return;
            scratch.surface(item) = pictures[i];
            item->PlayTime = v.stay;
        }
    } else {
        static const unsigned kFill[] = {kTestBlack, kTestRed, kTestGreen, kTestYellow};
        QImage& pic = scratch.surface(first);
        pic.fill(testColour(kFill[id - ID_TEST_BLACK]));
    }
    SendScreenPrograms(scratch.screen());
}
