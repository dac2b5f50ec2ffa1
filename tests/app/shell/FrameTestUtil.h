#pragma once
// A main frame over its own core and program folder, with the English pack
// (or another) loaded, for the frame's tests.
#include "ShellTestUtil.h"

#include "app/dialogs/task/TaskProgress.h"
#include "app/shell/MainApp.h"
#include "app/shell/MainFrame.h"
#include "app/editor/ScreenLed.h"
#include "app/shell/EditorPanel.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/LangPack.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstring>
#include <functional>
#include <memory>

#include <ostream>

// Readable failures for texts.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace frametest {

using namespace shell;

inline CMainApp::Environment frameEnv(const QString& folder)
{
    CMainApp::Environment env;
    env.appFolder = folder;
    env.instanceName = shelltest::uniqueName("frame");
    env.userLangId = 0x0409;
    env.minimumSplashMs = 0;
    env.hasRawCapability = [] { return true; };
    env.startProcess = [](const QString&, const QStringList&) { return true; };
    return env;
}

inline void bindTcp(tagItemData* screen, std::uint16_t port)
{
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::strcpy(g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = port;
    g.TargetScreen = nullptr;
}

class FrameHarness {
public:
    explicit FrameHarness(const char* pack = "UI_EN.rcc", bool create = true, int userLangId = 0x0409)
    {
        QString error;
        platform::loadLangPack(shelltest::builtPack(pack), &error);
        folder = dir.path() + u'/';
        QDir(folder).mkpath(QStringLiteral("userdata"));
        CMainApp::Environment env = frameEnv(folder);
        env.userLangId = userLangId;
        app = std::make_unique<CMainApp>(core, env);
        app->Settings().language = 9;
        frame = std::make_unique<CMainFrame>(*app);
        if (create)
            frame->OnCreate();
    }
    ~FrameHarness()
    {
        frame.reset();
        platform::clearLangPack();
    }
    ScreenPanelPort* list() const { return frame->Panel(); }
    editor::CEditor* tree() const { return static_cast<CEditorScreenPanel*>(frame->Panel())->Editor(); }
    int screenCount()
    {
        int n = 0;
        for (tagItemData* s = core.GetScreen(0); s; s = s->NextSibling)
            ++n;
        return n;
    }
    // A program list of one scene, one text window and one text, saved as `name`.pl.
    QString writeProgramList(const QString& name, int width = 64, int height = 32)
    {
        CCore scratch;
        tagItemData* screen = scratch.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
        screen->Global.Width = std::uint16_t(width);
        screen->Global.Height = std::uint16_t(height);
        tagItemData* scene = scratch.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* wnd = scratch.AddItem(IT_WND_CONTENTLIST, u"window", scene, nullptr);
        scratch.ChangeItemRect(wnd, 0, 0, width, height);
        scratch.AddItem(IT_IMAGE, u"picture", wnd, nullptr);
        const QString path = folder + QStringLiteral("userdata/") + name + QStringLiteral(".pl");
        scratch.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
        return path;
    }

    QTemporaryDir dir;
    QString folder;
    CCore core;
    std::unique_ptr<CMainApp> app;
    std::unique_ptr<CMainFrame> frame;
};

inline QString S(unsigned id)
{
    return platform::langString(id);
}

inline QString tipText(CMainFrame& f)
{
    return f.Status().LastTip();
}

// Counts task runs instead of opening the task dialog; a send shows the link it goes over.
inline void countRuns(spine::FrameDialogs& frame, int& runs,
                      std::function<void(tagItemData*, const LinkSettings*)> onRun = {})
{
    frame.runTask = [&runs, onRun](QWidget*, const spine::TaskRequest& request) {
        ++runs;
        if (onRun)
            onRun(request.screen, request.kind == dialogs::TASK_SEND_PROGRAMS ? request.link() : nullptr);
        return 1;
    };
}

} // namespace frametest
