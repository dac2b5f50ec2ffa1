#include "app/shell/FrameCommands.h"
#include "app/spine/ProgressStrings.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/task/TaskProgress.h"
#include "app/dialogs/usb/UsbExport.h"
#include "app/editor/KindTable.h"
#include "app/editor/ScreenLed.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/CommandTables.h"
#include "app/shell/PanelView.h"
#include "app/shell/ScreenPanelPort.h"
#include "app/shell/SmallDialogs.h"
#include "app/shell/TestPatterns.h"
#include "app/shell/UiHelpers.h"
#include "app/spine/NodeNotice.h"
#include "app/spine/SystemTime.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/Records.h"
#include "core/api/ScreenCopy.h"
#include "core/api/UsbFile.h"
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <unordered_map>
#include <memory>
#include <utility>

namespace shell {

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

QString S(unsigned id)
{
    return platform::langString(id);
}

} // namespace

FrameCommands::FrameCommands(CCore& core, ScreenPanelPort& panel, editor::FramePort& frame, spine::FrameDialogs own,
                             QString appFolder)
    : m_core(core), m_panel(panel), m_frame(frame), m_own(std::move(own)), m_appFolder(std::move(appFolder))
{
}

bool FrameCommands::run(unsigned id)
{
    switch (id) {
    case ID_NEW_SCREEN: newScreen(); break;
    case ID_OPEN_FILE: openFile(); break;
    case ID_SAVE_FILE: saveFile(); break;
    case ID_SAVE_FILE_AS: saveFileAs(); break;
    case ID_EXPORT_USB:
    case ID_EXPORT_USB2: exportUsbFile(); break;
    case ID_FIND_SCREEN: findScreen(); break;
    case ID_SEARCH: search(); break;
    case ID_READ_HARDWARE: readHardwareInfo(); break;
    case ID_SEND_PROGRAMS:
        m_frame.resetStatus();
        if (tagItemData* screen = selectedScreenOrNotice())
            sendScreenPrograms(screen);
        break;
    case ID_ADJUST_TIME: adjustTime(); break;
    case ID_DISPLAY_ON: displaySwitch(true); break;
    case ID_DISPLAY_OFF: displaySwitch(false); break;
    case ID_HARDWARE_SETTINGS:
    case ID_NETWORK_SETTINGS:
    case ID_WIFI_SETTINGS: settingsDialog(id); break;
    case ID_SOFTWARE_SETTINGS: runDialog(&spine::FrameDialogs::softwareSettings); break;
    case ID_WIZARD: wizard(); break;
    case ID_BULK_SEND: bulkSend(); break;
    case ID_PREVIEW: preview(); break;
    case ID_TEST_SCAN:
    case ID_TEST_GRID:
    case ID_TEST_BLACK:
    case ID_TEST_RED:
    case ID_TEST_GREEN:
    case ID_TEST_YELLOW: testPattern(id); break;
    case ID_CHECK_UPDATE:
    case ID_UPDATE: startUpdater(id); break;
    default:
        if (id >= ID_KIND_FIRST && id <= ID_KIND_DELETE) {
            itemKindButton(id);
            break;
        }
        return false;
    }
    return true;
}

tagItemData* FrameCommands::selectedScreenOrNotice()
{
    tagItemData* screen = m_panel.GetSelectedScreen();
    if (!screen)
        m_frame.notice(S(kStrNoScreen));
    return screen;
}

void FrameCommands::notAvailable()
{
    m_frame.notice(S(kStrNotAvailable));
}

void FrameCommands::nameByTree(tagItemData* node)
{
    if (!node)
        return;
    const QString name = m_panel.DefaultItemName(node);
    if (!name.isEmpty())
        m_core.ChangeItemName(node, wide(name.left(127)));
}

int FrameCommands::checkRights(unsigned id)
{
    const auto gate = dialog(&spine::FrameDialogs::accessGate);
    if (!gate) {
        notAvailable();
        return 0;
    }
    return gate(int(id), m_frame.owner()) ? 1 : 0;
}

int FrameCommands::runDialog(OwnerDialog spine::FrameDialogs::*slot)
{
    const OwnerDialog run = dialog(slot);
    if (!run) {
        notAvailable();
        return -1;
    }
    return tellingBlocks([&] { return run(m_frame.owner()); });
}

int FrameCommands::tellingBlocks(const std::function<int()>& run)
{
    std::unordered_map<tagItemData*, tagGlobalInfo> before;
    for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
        before.emplace(s, s->Global);
    // A block the dialog wrote by the write road is told already: the notice
    // moves its mark, and only what was written past the road is told here.
    const QMetaObject::Connection told = QObject::connect(
        &spine::notices(), &spine::NodeNotices::nodeChanged, &spine::notices(),
        [&before](tagItemData* node, spine::NodeChanges, const QObject*) {
            if (const auto it = before.find(node); it != before.end())
                it->second = node->Global;
        });
    const int result = run();
    QObject::disconnect(told);
    // A screen the dialog closed is no longer among them.
    for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
        if (const auto it = before.find(s); it != before.end())
            spine::announceScreenBlock(m_core, s, it->second);
    return result;
}

void FrameCommands::newScreen()
{
    if (runDialog(&spine::FrameDialogs::newScreen) == 1023)
        search();
}

void FrameCommands::openFile()
{
    if (tagItemData* screen = m_panel.GetSelectedScreen()) {
        m_panel.OpenScreen(screen);
        return;
    }
    QWidget* owner = m_frame.owner();
    const QString path = controls::FileDialog::getOpenFileName(owner, QString(), m_appFolder + QStringLiteral("userdata"),
                                                               FileFilterFromPack(S(kStrFileFilter)));
    if (path.isEmpty())
        return;
    if (m_panel.IsFileOpen(path)) {
        m_frame.inform(S(kStrFileOpen));
        return;
    }
    tagItemData* screen = m_core.AddItem(IT_SCREEN, wide(GetFileTitlePart(path)), nullptr, nullptr);
    if (!screen)
        return;
    if (const int rc = m_panel.LoadScreenFile(screen, path); rc != 0) {
        m_panel.RemoveScreen(screen);
        ShowOpenFailedMessage(owner, path, rc);
    }
}

void FrameCommands::saveFile()
{
    if (tagItemData* screen = selectedScreenOrNotice())
        m_panel.SaveScreen(screen);
}

void FrameCommands::saveFileAs()
{
    if (tagItemData* screen = selectedScreenOrNotice())
        m_panel.SaveScreenAs(screen);
}

void FrameCommands::exportUsbFile()
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
    spine::UsbExportChoice choice;
    if (usbExport(m_frame.owner(), screen, choice) != 1)
        return;
    std::uint32_t stamp = m_core.PCToRemoteTime(spine::toSystemTime(QDateTime::currentDateTime()));
    if (choice.options & 4)
        stamp = dialogs::AddClockOffset(stamp, choice.timeOffset);
    if (choice.folder.isEmpty()) {
        m_frame.warn(S(kStrFolderEmpty));
        return;
    }
    QString folder = choice.folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    if ((choice.options & 1) && !checkItemSizes(screen))
        return;
    const QString path = folder + QStringLiteral("program.dat");
    // A firmware image is for the model chosen in the dialog; the screen keeps its own.
    const std::uint32_t model = (choice.options & 0x20) ? choice.model : screen->Global.HardwareId;
    // Written on a job's worker from a copy of the screen: a large screen
    // compiles for seconds, and the window answers meanwhile.
    auto copy = std::make_shared<CScreenCopy>(screen);
    const std::u16string target = path.toStdU16String();
    const spine::JobOutcome written =
        m_frame.runFileJob([copy, target, options = choice.options, stamp, model](CCore& core) {
            if (!copy->ok())
                return -1;
            return SaveAsUSBFileFor(core, copy->screen(), target.c_str(), options, stamp, model) == 0 ? 1 : -1;
        });
    if (!written.reached || written.cancelled)
        return;
    if (written.result <= 0) {
        // A pipe, a device or a folder there is refused untouched: say so.
        QByteArray lands;
        const QString refused = platform::operatorWriteMessage(platform::operatorWriteTarget(path, lands), path);
        m_frame.warn(refused.isEmpty() ? S(kStrUsbFailed) : refused);
    }
}

void FrameCommands::findScreen()
{
    m_frame.resetStatus();
    if (tagItemData* screen = m_panel.GetSelectedScreen())
        reconnectScreen(screen);
    else
        search();
}

void FrameCommands::search()
{
    runDialog(&spine::FrameDialogs::searchScope);
}

void FrameCommands::readHardwareInfo()
{
    m_frame.resetStatus();
    tagItemData* screen = selectedScreenOrNotice();
    if (!screen)
        return;
    // A request waits seconds on a silent controller: it runs as a job. Its
    // worker writes nothing; the dialog stores and announces what was read,
    // and only a read that came, so a failed one leaves the screen as it was.
    m_frame.runTask({dialogs::TASK_READ_SCREEN, screen, {}});
}

void FrameCommands::adjustTime()
{
    m_frame.resetStatus();
    if (tagItemData* screen = selectedScreenOrNotice())
        m_frame.runTask({dialogs::TASK_ADJUST_TIME, screen, {}});
}

void FrameCommands::displaySwitch(bool on)
{
    m_frame.resetStatus();
    if (tagItemData* screen = selectedScreenOrNotice())
        m_frame.runTask({on ? dialogs::TASK_DISPLAY_ON : dialogs::TASK_DISPLAY_OFF, screen, {}});
}

void FrameCommands::settingsDialog(unsigned id)
{
    tagItemData* screen = selectedScreenOrNotice();
    if (!screen || !checkRights(id))
        return;
    const auto settings = dialog(id == ID_HARDWARE_SETTINGS ? &spine::FrameDialogs::hardwareSettings
                                 : id == ID_NETWORK_SETTINGS  ? &spine::FrameDialogs::networkSettings
                                                              : &spine::FrameDialogs::wifiSettings);
    if (settings)
        tellingBlocks([&] { return settings(m_frame.owner(), screen); });
    else
        notAvailable();
}

void FrameCommands::wizard()
{
    if (checkRights(ID_WIZARD))
        runDialog(&spine::FrameDialogs::wizard);
}

void FrameCommands::bulkSend()
{
    runDialog(&spine::FrameDialogs::bulkSend);
}

void FrameCommands::preview()
{
    tagItemData* item = m_panel.GetSelectedItem();
    tagItemData* scene = item ? CCore::GetCurScene(item) : nullptr;
    tagItemData* screen = item ? CCore::GetCurRoot(item) : nullptr;
    if (!scene && screen && !screen->FirstChild) {
        // Otherwise the command would seem to do nothing at all.
        m_frame.inform(S(kStrNothingToPreview));
        return;
    }
    if (!scene || !m_frame.FindItemWindow(screen))
        return;
    // Three pixels a dot, fewer when the screen would not fit the display.
    int dot = 3;
    const QScreen* display = QGuiApplication::primaryScreen();
    const int displayHeight = display ? display->geometry().height() : 768;
    while (dot > 1 && dot * int(screen->Global.Height) > displayHeight)
        --dot;
    if (const auto preview = dialog(&spine::FrameDialogs::preview))
        preview(m_frame.owner(), scene, dot, screen->Global.Type);
    else
        notAvailable();
}

void FrameCommands::itemKindButton(unsigned id)
{
    if (id == ID_KIND_DELETE)
        m_panel.DeleteSelectedItem();
    else if (const editor::KindRow* kind = editor::kindByButton(id))
        m_panel.AddNewItem(kind->type);
}

QString FrameCommands::updaterParameter(unsigned id) const
{
    QWidget* owner = m_frame.owner();
    QString p = GetFileVersionText() + u';' + (owner ? owner->windowTitle() : QString());
    if (id == ID_CHECK_UPDATE)
        p += QStringLiteral(";-ONLYCHECK");
    return p;
}

void FrameCommands::startUpdater(unsigned id)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/upgrade");
    const QStringList args{updaterParameter(id)};
    if (const auto start = dialog(&spine::FrameDialogs::startDetached))
        start(program, args);
    else if (!QFileInfo::exists(program) || !QProcess::startDetached(program, args))
        notAvailable();
}

// ---- the send road ----

int FrameCommands::sendScreenPrograms(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    return sendScreenPrograms(screen, m_core.GetSendLink(screen));
}

int FrameCommands::sendScreenPrograms(tagItemData* screen, const LinkSettings& link)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    if (m_core.GetValidChildNum(screen) == 0) {
        if (m_frame.ask(m_frame.owner()->windowTitle(), S(kStrClearPrograms)))
            m_frame.runJob([link](CCore& core) { return core.SendClearProg(link); });
        return 0;
    }
    if (!checkScreenOverlap(screen) || !checkItemSizes(screen))
        return 0;
    return m_frame.runTask(spine::TaskRequest::send(screen, link));
}

bool FrameCommands::checkItemSizes(tagItemData* screen)
{
    // Too large for the controller's records, or a picture that would go out black.
    const tagItemData* item = CCore::GetOversizedItem(screen);
    const unsigned text = item ? kStrItemTooLarge : spine::kStrUndrawableItem;
    if (!item)
        item = CCore::GetUndrawableItem(screen);
    if (!item)
        return true;
    const char16_t* end = std::find(std::begin(item->Name), std::end(item->Name), u'\0');
    const QString name = QString::fromUtf16(item->Name, int(end - item->Name));
    m_frame.warn(S(text).arg(name));
    return false;
}

QString FrameCommands::overlapMessage(const _tableOverlap& table)
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

int FrameCommands::checkScreenOverlap(tagItemData* screen)
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
    return m_frame.confirm(S(kStrOverlapCaption), overlapMessage(*t)) ? 1 : 0;
}

void FrameCommands::sendProgramsThrough(tagItemData* screen, tagItemData* linkScreen)
{
    if (CCore::IsRoot(screen) != 1)
        return;
    // The link is lent for this send alone: the screen keeps its own setting
    // (a stored broadcast, say).
    sendScreenPrograms(screen, m_core.GetSendLink(screen, linkScreen));
}

// ---- requests of other windows ----

int FrameCommands::reconnectScreen(tagItemData* screen)
{
    if (CCore::IsRoot(screen) != 1)
        return 0;
    const tagGlobalInfo before = screen->Global;
    const int found = m_frame.runTask({dialogs::TASK_FIND_SCREEN, screen, {}});
    // What the worker found is told once its job has ended.
    spine::announceScreenBlock(m_core, screen, before);
    if (found != 1)
        return 0;
    m_frame.setStatus(1, S(kStrFound).arg(screen->Global.ID));
    return 1;
}

void FrameCommands::searchScreens(int replace, int readHardware)
{
    m_frame.resetStatus();
    int start = 0;
    if (replace == 1) {
        // Unsaved changes the exit save would not keep are asked about on
        // the way, as on quitting.
        if (m_panel.CloseAllScreens() == 0)
            return;
    } else {
        for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
            ++start;
    }
    if (m_frame.runTask(spine::TaskRequest::search(start, replace)) != 1)
        return;
    // The found screens are read on the task dialog's worker; a failure or a
    // cancel is told there, and the screens are taken in either way.
    if (readHardware)
        m_frame.runTask(spine::TaskRequest::readHardwareFrom(start));
    int counts[3] = {0, 0, 0};
    int total = 0;
    for (tagItemData* s = m_core.GetScreen(unsigned(start)); s; s = s->NextSibling) {
        nameByTree(s);
        m_panel.InsertItemTree(s);
        m_panel.ForgetScreenFile(s);
        if (s->Global.CommType < 3)
            ++counts[s->Global.CommType];
        ++total;
    }
    m_frame.setStatus(2, S(kStrSearchSummary).arg(total).arg(counts[0]).arg(counts[1]).arg(counts[2]));
}

void FrameCommands::wizardFinish(tagItemData* screen, std::intptr_t flags)
{
    if (!screen)
        return;
    if (flags & 0xFFFF) {
        const int w = screen->Global.Width, h = screen->Global.Height;
        // Each new node is named by the tree as it takes it in.
        const auto named = [this](tagItemData* n) {
            nameByTree(n);
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
    itemMoved(screen);
    if (((flags >> 16) & 0xFFFF) && CCore::IsRoot(screen) == 1) {
        // A write that failed stays open with its text: no send after it.
        const dialogs::TaskOutcome written = m_frame.runJob(
            [block = screen->Global, link = CCore::GetOwnLink(screen)](CCore& core) {
                return core.SendHardwareInfo(block, link);
            });
        if (!written.cancelled && written.result > 0)
            sendScreenPrograms(screen);
    }
}

void FrameCommands::itemMoved(tagItemData* screen)
{
    if (!screen)
        return;
    // Made screens join at the end, where their windows open: the tree keeps
    // the order of the screen windows.
    tagItemData* last = nullptr;
    for (tagItemData* s = m_core.GetScreen(0); s; s = s->NextSibling)
        last = s;
    m_core.ModifyItemPos(screen, nullptr, last);
    nameByTree(screen);
    m_panel.InsertItemTree(screen);
    m_panel.ForgetScreenFile(screen);
}

void FrameCommands::screenChanged(tagItemData* node)
{
    if (CCore::IsRoot(node) == 1)
        spine::notices().changed(node, spine::NodeChange::Hardware);
}

// ---- test patterns ----

void FrameCommands::testPattern(unsigned id)
{
    m_frame.resetStatus();
    tagItemData* source = m_panel.GetSelectedScreen();
    if (!source)
        return;
    if (id >= ID_TEST_BLACK && !m_frame.ask(S(kStrFillCaption), S(kStrFillText)))
        return;
    ScratchScreen scratch(m_core, source);
    if (!scratch.ok())
        return;
    const int w = source->Global.Width, h = source->Global.Height;
    tagItemData* first = scratch.firstPicture();
    if (id == ID_TEST_SCAN) {
        CTestScan dlg(m_frame.owner());
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
        CTestGrid dlg(m_frame.owner());
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
    sendScreenPrograms(scratch.GiveSurfaces());
}

} // namespace shell
