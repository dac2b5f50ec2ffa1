// Leaks one object from a slot run by Qt's event loop, so the leak is made
// under Qt frames. The sanitizer run must report it: if it does not, the
// suppressions have grown to hide the program's own leaks.
#include <QCoreApplication>
#include <QObject>
#include <QTimer>

namespace {

QObject* volatile g_lastLeak = nullptr;

void leakCanarySlot()
{
    g_lastLeak = new QObject;
    g_lastLeak = nullptr;   // nothing points at it any more
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &leakCanarySlot);
    QObject::connect(&timer, &QTimer::timeout, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    timer.start(0);
    return app.exec();
}
