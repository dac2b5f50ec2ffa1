// Resident memory around a bulk send of 20 mid screens (1024 x 256, 4 scenes
// of 8 sections, each a rich text, a picture and a table), opened from their
// files as the program opens them and sent from the bulk-send window through
// the task dialog to the simulated controller, run as a program of its own so
// what it keeps is not counted here. Counters: the growth of the peak over
// the level before the send, and what is still held after it, in MB: each
// screen's compile goes with its send, so nothing may stay.
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/task/TaskDlg.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/render/ContentCompiler.h"
#include "Screens.h"
#include "support/Widgets.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstring>
#include <malloc.h>

namespace {

double statusMb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// The peak starts again from what is resident now.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void BM_BulkSendOfTwentyMidScreensGivesItsMemoryBack(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    if (!windowbench::writeMidScreens(folder, 20)) {
        state.SkipWithError("the screens were not written");
        return;
    }
    QProcess sim;
    const quint16 port = windowbench::startSimController(sim, QStringLiteral(TAVRELO_SIM_CONTROLLER));
    if (!port) {
        state.SkipWithError("the simulated controller did not listen");
        return;
    }
    CCore core;
    tagItemData* last = nullptr;
    const QStringList files = QDir(folder + QStringLiteral("/userdata")).entryList({QStringLiteral("*.pl")}, QDir::Files,
                                                                                  QDir::Name);
    for (const QString& file : files) {
        tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, last);
        const QString path = folder + QStringLiteral("/userdata/") + file;
        if (!screen || core.LoadPL(screen, reinterpret_cast<const char16_t*>(path.utf16())) != 0) {
            state.SkipWithError("a screen did not load");
            return;
        }
        tagGlobalInfo& g = screen->Global;
        g.CommType = COMM_NETWORK;
        std::memset(g.Host, 0, sizeof g.Host);
        std::memcpy(g.Host, "127.0.0.1", 9);
        g.HostKind = 0;
        g.HostPort = port;
        g.ID = 1;
        last = screen;
    }
    if (files.size() != 20) {
        state.SkipWithError("not 20 screens");
        return;
    }
    double before = 0, peak = 0, after = 0;
    bool peakKnown = false;   // the kernel started the peak again
    for (auto _ : state) {
        dialogs::CSettingBulkProgram dlg(core, nullptr, folder + QStringLiteral("/groupinfo.ini"));
        dlg.show();
        settle();
        before = statusMb("VmRSS:");
        resetPeak();
        peakKnown = statusMb("VmHWM:") < before + 4;
        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, dialogs::CSettingBulkProgram::IDC_SEND),
                          Qt::LeftButton);
        settle();
        peak = statusMb("VmHWM:");
        after = statusMb("VmRSS:");
    }
    // Where what is still held sits: the node pictures, the kept compiles,
    // and what the allocator keeps free.
    const double pictures = double(sorvane::model::NodePictures::bytesHeld()) / (1 << 20);
    sorvane::render::CContentCompiler::ForgetCompiled(nullptr);
    const double withoutKept = statusMb("VmRSS:");
    malloc_trim(0);
    const double trimmed = statusMb("VmRSS:");
    sim.terminate();
    sim.waitForFinished(5000);
    state.counters["before_MB"] = before;
    state.counters["peak_growth_MB"] = peak - before;
    state.counters["held_after_MB"] = after - before;
    // Each screen's compile goes with its send, and nothing else of a send
    // may stay: not the task dialog's, the progress road's or a copy.
    if (after - before > 10 || (peakKnown && peak - before > 60))
        state.SkipWithError("a send keeps memory after it has ended");
    std::fprintf(stderr,
                 "bulk send of 20 mid screens: %.1f MB before, peak %.1f, after %.1f; pictures %.1f MB;"
                 " without kept compiles %.1f, trimmed %.1f\n",
                 before, peak, after, pictures, withoutKept, trimmed);
}
BENCHMARK(BM_BulkSendOfTwentyMidScreensGivesItsMemoryBack)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
