// Tavrelo: designs what LED screens show and sends it to their controllers.
#include "app/shell/MainApp.h"
#include "app/shell/MainFrame.h"
#include "core/api/Core.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CCore core;
    int result = 0;
    {
        shell::CMainApp theApp(core);
        theApp.SetMainFrameFactory(&shell::CreateMainFrame);
        if (theApp.InitInstance())
            result = app.exec();
        result = theApp.ExitInstance(result);
    }
    return result;
}
