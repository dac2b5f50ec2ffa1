// Leaks from slots run by Qt's event loop, so the leaks are made under Qt
// frames: one plain object, and one fontconfig pattern (as code of ours that
// parses a font name and never destroys the pattern would). The sanitizer run
// must report both: if it does not, the suppressions have grown to hide the
// program's own leaks, the fontconfig entries above all.
#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <fontconfig/fontconfig.h>

namespace {

QObject* volatile g_lastLeak = nullptr;
FcPattern* volatile g_lastPattern = nullptr;

void leakCanarySlot()
{
    g_lastLeak = new QObject;
    g_lastLeak = nullptr;   // nothing points at it any more
}

void leakFontPatternSlot()
{
    g_lastPattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:bold:pixelsize=12"));
    g_lastPattern = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &leakCanarySlot);
    QObject::connect(&timer, &QTimer::timeout, &leakFontPatternSlot);
    QObject::connect(&timer, &QTimer::timeout, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    timer.start(0);
    return app.exec();
}
