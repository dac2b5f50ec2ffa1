// Tavrelo: designs what LED screens show and sends it to their controllers.
#include "app/shell/MainApp.h"
#include "app/shell/MainFrame.h"
#include "core/api/Core.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#ifdef TAVRELO_LEAK_SUPPRESSIONS
#include "LeakSuppressions.h"
// The suppressions name frames inside libraries built without frame pointers
// (fontconfig, libdbus), which only the slow unwinder reaches.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return kLeakSuppressions; }
#endif

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CCore core;
    int result = 0;
    {
        shell::CMainApp::Environment env;
#ifndef TAVRELO_LEAK_SUPPRESSIONS
        // The leak check runs at a normal exit only.
        env.endProcess = [](int code) {
            std::fflush(nullptr);
            std::_Exit(code);
        };
#endif
        shell::CMainApp theApp(core, std::move(env));
        theApp.SetMainFrameFactory(&shell::CreateMainFrame);
        if (theApp.InitInstance())
            result = app.exec();
        result = theApp.ExitInstance(result);
    }
    return result;
}
