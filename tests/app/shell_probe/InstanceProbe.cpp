// Runs the program's start-up and shut-down against a folder, for tests that
// need two real processes: InstanceProbe <folder> <instance name> <run ms>.
// Prints what a user would see (messages) and what happened, one line each.
#include "app/shell/InstanceChecker.h"
#include "app/shell/MainApp.h"
#include "app/spine/Seams.h"
#include "core/api/Core.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

using namespace shell;

namespace {

void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    spine::seams().messageBox = [](const spine::MessageRequest& r) {
        say(QStringLiteral("MESSAGE:") + r.text);
        return QMessageBox::Ok;
    };
    CCore core;
    CMainApp::Environment env;
    env.appFolder = QString::fromLocal8Bit(argv[1]);
    env.instanceName = QString::fromLocal8Bit(argv[2]);
    env.minimumSplashMs = 0;
    env.userLangId = 0x0409;
    int result = 0;
    {
        CMainApp theApp(core, env);
        if (theApp.InitInstance()) {
            QObject::connect(theApp.InstanceChecker(), &CInstanceChecker::activationRequested,
                             [] { say(QStringLiteral("ACTIVATED")); });
            say(QStringLiteral("STARTED"));
            QTimer::singleShot(QString::fromLocal8Bit(argv[3]).toInt(), &app, &QCoreApplication::quit);
            result = app.exec();
        }
        result = theApp.ExitInstance(result);
    }
    say(QStringLiteral("EXIT"));
    return result;
}
