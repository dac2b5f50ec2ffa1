// The window as the operator meets it: the program as `make run` installs it,
// on a virtual display of the bench's own, driven by synthetic keys from
// outside the process. Each figure runs from the event to the last change of
// the screen's pixels before a second of stillness ("at rest"); the first
// change is given where the issue asks for it. Quit runs from the key to the
// end of the process. Prints min and median of each figure over the runs and
// the machine's load; exits non-zero when a step did not happen.
//
//   bench_window --install DIR [--work DIR] [--runs N] [--quick] [--shots DIR]
//                [--only large|mid|many]
//
// Steps are functions of a Run below; a further figure (a send, say) is one
// more function called from main() that records into the same table.
#include "Program.h"
#include "Screens.h"
#include "XDisplay.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

using namespace windowbench;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
// Where the frame's tree shows the first scene's row when the frame fills the display.
const QPoint kSceneRow(82, 158);
constexpr unsigned kShift = 1u << 0, kCtrl = 1u << 2, kAlt = 1u << 3;

struct Options {
    QString install;
    QString work;
    QString shots;
    QString only;   // large, mid or many: that part alone
    int runs = 5;
    bool quick = false;
    bool runs_(const char* part) const { return only.isEmpty() || only == QLatin1String(part); }
};

// Figure name → one value per run, in the order first recorded.
class Table {
public:
    void add(const std::string& name, double v)
    {
        if (!m_values.count(name))
            m_order.push_back(name);
        m_values[name].push_back(v);
    }
    void print() const
    {
        std::printf("%-52s %5s %9s %9s\n", "figure", "runs", "min", "median");
        for (const std::string& name : m_order) {
            std::vector<double> v = m_values.at(name);
            std::sort(v.begin(), v.end());
            std::printf("%-52s %5zu %9.1f %9.1f\n", name.c_str(), v.size(), v.front(), v[v.size() / 2]);
        }
    }

private:
    std::vector<std::string> m_order;
    std::map<std::string, std::vector<double>> m_values;
};

QString load()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(u' ', 0, 2) : QStringLiteral("?");
}

bool failed = false;
void fail(const char* what)
{
    std::fprintf(stderr, "window bench: %s\n", what);
    failed = true;
}

// A run folder of its own: the installed files linked in, the screens copied.
bool makeRunFolder(const QString& install, const QString& screens, const QString& folder)
{
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        return false;
    const QStringList files = QDir(install).entryList(QDir::Files | QDir::System);
    for (const QString& name : files) {
        const QString from = install + u'/' + name, to = folder + u'/' + name;
        const QFileInfo info(from);
        const bool ok = info.isSymLink() ? QFile::link(info.symLinkTarget(), to)
                                          : ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
                                                || QFile::copy(from, to);
        if (!ok)
            return false;
    }
    // The screens and their settings, copied so a run may change them.
    const std::function<bool(const QString&, const QString&)> copyTree = [&](const QString& from, const QString& to) {
        QDir().mkpath(to);
        for (const QFileInfo& e : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString target = to + u'/' + e.fileName();
            if (e.isDir() ? !copyTree(e.filePath(), target) : !QFile::copy(e.filePath(), target))
                return false;
        }
        return true;
    };
    return copyTree(screens, folder);
}

class Run {
public:
    Run(Screen& screen, const Options& o, Table& t) : s(screen), opt(o), table(t) {}

    // Starts the program in `folder`; the main frame fills the display and
    // has the keyboard. Returns false when it did not show.
    bool start(const QString& folder)
    {
        program = std::make_unique<Program>(folder, QStringLiteral(":0"), folder + QStringLiteral("/.bench"));
        return program->started();
    }
    // With a figure, the time from the start to the frame at rest is recorded.
    bool startOn(const QString& display, const QString& folder, const char* figure = nullptr)
    {
        const auto t0 = Clock::now();
        program = std::make_unique<Program>(folder, display, folder + QStringLiteral("/.bench"));
        if (!program->started())
            return false;
        // The splash comes first; the frame is the wide window of that title.
        while (!frame && Screen::msSince(t0, Clock::now()) < 60000) {
            for (const TopWindow& w : s.topWindows())
                if (w.title == QStringLiteral("Tavrelo") && w.rect.width() > 600)
                    frame = w;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (!frame)
            return false;
        s.place(frame->id, QRect(0, 0, kWidth, kHeight));
        s.focus(frame->id);
        const auto placed = Clock::now();
        const Settled r = s.settle(placed, 1000, 30000);
        if (figure)
            table.add(figure, Screen::msSince(t0, placed) + r.lastMs.value_or(0));
        return true;
    }

    void shot(const char* name)
    {
        if (!opt.shots.isEmpty())
            s.grab().save(opt.shots + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
    }

    // Ctrl+O, the file named in the dialog, then Enter: the figure runs from
    // Enter; the dialog's own closing is not the first change of the open.
    bool open(const QString& fileName, bool record)
    {
        s.rebase();
        s.key("o", kCtrl);
        const std::optional<TopWindow> dialog = s.waitWindow(QStringLiteral("Open program-list file"), 20000);
        if (!dialog) {
            fail("no file dialog");
            return false;
        }
        s.focus(dialog->id);
        s.settle(Clock::now(), 300, 10000);
        s.type(fileName);
        s.settle(Clock::now(), 300, 10000);
        const Settled r = s.settle(s.key("Return"), 1000, 60000, dialog->rect);
        if (!r.atRest || !r.firstMs) {
            fail("the open did not come to rest");
            return false;
        }
        if (record) {
            table.add("open of the largest screen: first change (ms)", *r.firstMs);
            table.add("open of the largest screen: at rest (ms)", *r.lastMs);
        }
        s.focus(frame->id);
        return true;
    }

    // A key whose effect is timed to rest; false when nothing changed.
    std::optional<Settled> timedKey(const char* key, unsigned mods = 0)
    {
        s.rebase();
        const Settled r = s.settle(s.key(key, mods), 1000, 60000);
        if (!r.atRest || !r.lastMs)
            return std::nullopt;
        return r;
    }
    // A key whose effect is waited for but not timed.
    void untimedKey(const char* key, unsigned mods = 0)
    {
        s.rebase();
        s.settle(s.key(key, mods), 300, 10000);
    }

    // A click on the first scene's node in the tree (the row below the
    // screen's, at this display's size) shows it and gives the tree the keys;
    // then Left folds each scene so Down reaches the next one. The last scene
    // is unfolded and its sections selected by Down.
    void scenesAndSections(int scenes, int sections)
    {
        for (int n = 0; n < scenes; ++n) {
            std::optional<Settled> r;
            if (n == 0) {
                s.rebase();
                const Settled c = s.settle(s.click(kSceneRow.x(), kSceneRow.y()), 1000, 60000);
                if (c.atRest && c.lastMs)
                    r = c;
            } else {
                r = timedKey("Down");
            }
            if (!r) {
                fail("a scene did not show");
                return;
            }
            table.add(n == 0 ? "first showing of scene 1 (ms)" : "first showing of scenes 2-16 (ms)", *r->lastMs);
            // A scene of more sections than the canvas has windows brings a
            // notice that fades in by its own timer: the canvas apart from it.
            if (const std::optional<double> canvas = r->lastOutside(noticeWindows()))
                table.add(n == 0 ? "  scene 1, the notice's fade aside (ms)" : "  scenes 2-16, the notice's fade aside (ms)",
                          *canvas);
            if (n + 1 < scenes)
                untimedKey("Left");
        }
        untimedKey("Right");
        shot("scene-16");
        for (int n = 0; n < sections; ++n) {
            const std::optional<Settled> r = timedKey("Down");
            if (!r) {
                fail("a section was not selected");
                return;
            }
            table.add("select a section, at rest (ms)", *r->lastMs);
        }
        shot("section-selected");
    }

    // What is shown over the frame without being it: a tip, a notice.
    std::vector<QRect> noticeWindows()
    {
        std::vector<QRect> rects;
        for (const TopWindow& w : s.topWindows())
            if (w.id != frame->id)
                rects.push_back(w.rect);
        return rects;
    }

    // F6 opens the preview; Escape closes it again.
    void preview()
    {
        s.rebase();
        const Settled r = s.settle(s.key("F6"), 1000, 60000);
        shot("preview");
        if (!r.atRest || !r.firstMs) {
            fail("the preview did not come to rest");
        } else {
            table.add("preview start: first change (ms)", *r.firstMs);
            table.add("preview start: at rest (ms)", *r.lastMs);
        }
        if (auto view = s.topWindows(); view.size() > 1)
            s.focus(view.back().id);
        untimedKey("Escape");
        s.focus(frame->id);
    }

    // Deletes the selected section by its key, answering a question if one comes.
    void change()
    {
        untimedKey("Delete");
        answerQuestion("changed");
    }
    // A modal over the frame is answered by Enter; returns whether one came.
    bool answerQuestion(const char* shotName)
    {
        const std::vector<TopWindow> now = s.topWindows();
        if (now.empty() || now.back().id == frame->id)
            return false;
        shot(shotName);
        s.focus(now.back().id);
        untimedKey("Return");
        s.focus(frame->id);
        return true;
    }

    // Alt+F4 until the process has ended.
    void quit(const char* figure)
    {
        s.focus(frame->id);
        const Clock::time_point at = s.key("F4", kAlt);
        if (!program->waitExit(60000)) {
            fail("the program did not end on quit");
            return;
        }
        table.add(figure, Screen::msSince(at, Clock::now()));
        if (program->exitCode() != 0)
            fail("the program ended with an error");
    }

    Screen& s;
    const Options& opt;
    Table& table;
    std::unique_ptr<Program> program;
    std::optional<TopWindow> frame;
};

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    // The screens are built here off-screen; the program runs on the bench's display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options opt;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args[i];
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == QStringLiteral("--install")) opt.install = next, ++i;
        else if (a == QStringLiteral("--work")) opt.work = next, ++i;
        else if (a == QStringLiteral("--shots")) opt.shots = next, ++i;
        else if (a == QStringLiteral("--runs")) opt.runs = std::max(1, next.toInt()), ++i;
        else if (a == QStringLiteral("--quick")) opt.quick = true;
        else if (a == QStringLiteral("--only")) opt.only = next, ++i;
        else {
            std::fprintf(stderr, "usage: bench_window --install DIR [--work DIR] [--runs N] [--quick] [--shots DIR]\n"
                         "                    [--only large|mid|many]\n");
            return 2;
        }
    }
    if (opt.install.isEmpty() || !QFileInfo::exists(opt.install + QStringLiteral("/Tavrelo"))) {
        std::fprintf(stderr, "window bench: no installed program in '%s'\n", qPrintable(opt.install));
        return 2;
    }
    // A work folder given is left for a look (or a profile) afterwards.
    const bool ownWork = opt.work.isEmpty();
    if (ownWork)
        opt.work = QDir::tempPath() + QStringLiteral("/bench-window-%1").arg(getpid());
    if (!opt.shots.isEmpty())
        QDir().mkpath(opt.shots);
    if (opt.quick)
        opt.runs = 1;

    // The screens, once: the largest alone, and 20 mid screens open at start.
    const QString largeScreens = opt.work + QStringLiteral("/screens-large");
    const QString midScreens = opt.work + QStringLiteral("/screens-mid");
    const QString manyScreens = opt.work + QStringLiteral("/screens-many");
    const int many = opt.quick ? 20 : 1000;
    for (const QString& f : {largeScreens, midScreens, manyScreens})
        QDir(f).removeRecursively();
    QDir().mkpath(largeScreens + QStringLiteral("/userdata"));
    if (!writeLargestScreen(largeScreens + QStringLiteral("/userdata/Largest.pl"))
        || !writeMidScreens(midScreens, opt.quick ? 2 : 20) || !writeSmallScreens(manyScreens, many)) {
        std::fprintf(stderr, "window bench: the screens were not written\n");
        return 1;
    }

    VirtualDisplay display(kWidth, kHeight);
    if (!display.ok()) {
        std::fprintf(stderr, "window bench: no virtual display (Xvfb)\n");
        return 1;
    }
    Screen screen(display.name());
    if (!screen.ok()) {
        std::fprintf(stderr, "window bench: the display has no damage or test extension\n");
        return 1;
    }
    Table table;
    const QString loadBefore = load();
    const QString folder = opt.work + QStringLiteral("/run");
    const std::string manyStart = "start: " + std::to_string(many) + " small screens, at rest (ms)";
    const std::string manyQuit = "quit: " + std::to_string(many) + " small screens (ms)";
    for (int n = 0; n < opt.runs && !failed; ++n) {
        // The largest screen: open, scenes, sections, preview, quit.
        if (opt.runs_("large")) {
            Run run(screen, opt, table);
            if (!makeRunFolder(opt.install, largeScreens, folder) || !run.startOn(display.name(), folder)) {
                fail("the program did not start");
                break;
            }
            if (!run.open(QStringLiteral("Largest.pl"), true))
                break;
            run.shot("opened");
            run.scenesAndSections(opt.quick ? 2 : 16, opt.quick ? 1 : 6);
            if (!opt.quick)
                run.preview();
            run.change();
            run.shot("changed");
            run.quit("quit: changed screen (ms)");
        }
        // Quit just after the open.
        if (!opt.quick && opt.runs_("large")) {
            Run run(screen, opt, table);
            if (!makeRunFolder(opt.install, largeScreens, folder) || !run.startOn(display.name(), folder)) {
                fail("the program did not start");
                break;
            }
            if (!run.open(QStringLiteral("Largest.pl"), false))
                break;
            run.quit("quit: just opened (ms)");
        }
        // 20 unchanged mid screens open at start.
        if (!opt.quick && opt.runs_("mid")) {
            Run run(screen, opt, table);
            if (!makeRunFolder(opt.install, midScreens, folder) || !run.startOn(display.name(), folder)) {
                fail("the program did not start");
                break;
            }
            run.shot("mid-screens");
            run.quit("quit: 20 unchanged mid screens (ms)");
        }
        // Many small screens open at start.
        if (opt.runs_("many")) {
            Run run(screen, opt, table);
            if (!makeRunFolder(opt.install, manyScreens, folder)
                || !run.startOn(display.name(), folder, manyStart.c_str())) {
                fail("the program did not start");
                break;
            }
            run.shot("many-screens");
            run.quit(manyQuit.c_str());
        }
    }
    std::printf("load (1, 5, 15 min) before: %s, after: %s\n", qPrintable(loadBefore), qPrintable(load()));
    table.print();
    if (!opt.shots.isEmpty())
        std::printf("pictures: %s\n", qPrintable(opt.shots));
    if (ownWork)
        QDir(opt.work).removeRecursively();
    return failed ? 1 : 0;
}
