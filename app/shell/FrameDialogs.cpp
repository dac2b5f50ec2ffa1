#include "app/shell/FrameDialogs.h"

#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "app/dialogs/device/SettingSW.h"
#include "app/dialogs/device/SettingWIFI.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/task/TaskProgress.h"
#include "app/dialogs/usb/UFileConfigDlg.h"
#include "app/dialogs/wizard/NewScreenDlg.h"
#include "app/dialogs/wizard/Wizard.h"
#include "app/editor/FramePort.h"
#include "app/preview/PreView.h"
#include "app/shell/MainApp.h"
#include "app/shell/ScreenPanelPort.h"
#include "app/shell/UiHelpers.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QPointer>

namespace shell {

namespace {

// Template of the property pane's screen-link panel.
constexpr int kScreenCommPanel = 6190;

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

// A settings dialog of one screen, run modally with the frame told of its changes.
template <class Dialog>
int runScreenSettings(CCore& core, QObject* frame, QWidget* owner, tagItemData* screen)
{
    Dialog dlg(core, screen, owner);
    dlg.setMainFrame(frame);
    return dlg.exec();
}

} // namespace

spine::FrameDialogs ownFrameDialogs(CCore& core, CMainApp& app, QObject* frame, QWidget* propertyPane,
                                    editor::FramePort* port)
{
    CCore* c = &core;
    CMainApp* a = &app;
    const QPointer<QObject> f(frame);
    const QPointer<QWidget> pane(propertyPane);
    spine::FrameDialogs s;
    s.accessGate = [](int id, QWidget* owner) { return dialogs::PassAccessGate(id, owner); };
    s.hardwareSettings = [c, f](QWidget* owner, tagItemData* screen) {
        return runScreenSettings<dialogs::CSettingHW>(*c, f, owner, screen);
    };
    s.networkSettings = [c, f](QWidget* owner, tagItemData* screen) {
        return runScreenSettings<dialogs::CSettingWan>(*c, f, owner, screen);
    };
    s.wifiSettings = [c, f](QWidget* owner, tagItemData* screen) {
        return runScreenSettings<dialogs::CSettingWIFI>(*c, f, owner, screen);
    };
    s.softwareSettings = [c, a, f, pane](QWidget* owner) {
        ShellSettings& st = a->Settings();
        const dialogs::SoftwareOptions options{st.closeByTray != 0, st.autoRetrieve != 0, st.isQuitNote != 0,
                                               st.isSaveLED != 0};
        dialogs::CSettingSW dlg(*c, options, owner);
        dlg.setMainFrame(f);
        // The screen-link panel lists the ports added, shown now or later.
        dlg.setLinkPage(panelOf(pane, kScreenCommPanel));
        QObject::connect(&dlg, &dialogs::CSettingSW::applied, &dlg, [&st](const dialogs::SoftwareOptions& o) {
            st.closeByTray = o.closeByTray;
            st.autoRetrieve = o.autoRetrieve;
            st.isQuitNote = o.quitNote;
            st.isSaveLED = o.saveLed;
        });
        return dlg.exec();
    };
    s.searchScope = [c, f](QWidget* owner) {
        dialogs::CSettingRetrieveDlg dlg(*c, owner);
        dlg.setMainFrame(f);
        return dlg.exec();
    };
    s.newScreen = [c, f](QWidget* owner) {
        dialogs::CNewScreenDlg dlg(*c, owner, f);
        return dlg.exec();
    };
    s.wizard = [c, f](QWidget* owner) {
        dialogs::CWizard dlg(*c, owner, f);
        dlg.AddStandardPages();
        return dlg.exec();
    };
    s.bulkSend = [c, a, port](QWidget* owner) {
        // Each transfer is one of the frame's jobs, so a close or quit asked
        // for meanwhile waits for it and no later transfer starts.
        dialogs::CSettingBulkProgram dlg(*c, owner, a->AppFolder() + QStringLiteral("groupinfo.ini"),
                                         [port](QWidget*, tagItemData* screen, const LinkSettings& link) {
                                             port->runTask(spine::TaskRequest::send(screen, link));
                                         });
        return dlg.exec();
    };
    s.usbExport = [](QWidget* owner, tagItemData* screen, spine::UsbExportChoice& choice) {
        dialogs::CUFileConfigDlg dlg(screen ? screen->Global.HardwareId : 0, screen != nullptr,
                                     [] { return GetRemovableDrives(); }, owner);
        const int r = dlg.exec();
        choice.options = dlg.flags();
        choice.timeOffset = dlg.clockOffset();
        choice.folder = dlg.destination();
        choice.model = dlg.model();
        return r;
    };
    s.preview = [c](QWidget* owner, tagItemData* scene, int, int) { return preview::runPreview(*c, scene, owner); };
    return s;
}

} // namespace shell
