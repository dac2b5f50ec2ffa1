// A race of our own through a Qt container, made from a slot run by Qt's event
// loop against a plain thread: the thread-sanitizer run must report it. If it
// does not, the suppressions have grown to hide the program's own races.
#include <QCoreApplication>
#include <QList>
#include <QTimer>

#include <thread>

namespace {

QList<int> g_frames;

void appendFrames()
{
    for (int i = 0; i < 1000; ++i)
        g_frames.append(i);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::thread player(appendFrames);
    QTimer::singleShot(0, &app, [&app] {
        appendFrames();
        app.quit();
    });
    const int rc = app.exec();
    player.join();
    return rc;
}
