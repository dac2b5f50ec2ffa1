// The single-instance guard between real processes.
#include "ShellTestUtil.h"

#include "app/shell/InstanceChecker.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QWidget>
#include <gtest/gtest.h>
#include <signal.h>

using namespace shell;

using namespace shelltest;

namespace {

class Probe {
public:
    Probe(const QString& folder, const QString& name, const QString& runtime, int runMs)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TAVRELO_SHELL_PROBE), {folder, name, QString::number(runMs)});
    }
    bool waitFor(const QByteArray& line, int ms = 8000)
    {
        QElapsedTimer t;
        t.start();
        while (!m_out.contains(line + '\n') && t.elapsed() < ms) {
            m_process.waitForReadyRead(100);
            m_out += m_process.readAllStandardOutput();
        }
        return m_out.contains(line + '\n');
    }
    bool finish(int ms = 8000)
    {
        const bool done = m_process.waitForFinished(ms);
        m_out += m_process.readAllStandardOutput();
        return done;
    }
    void terminate() { m_process.terminate(); }
    void crash()
    {
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }
    const QByteArray& out() const { return m_out; }

private:
    QProcess m_process;
    QByteArray m_out;
};

} // namespace

TEST(SingleInstance, ASecondCopyBringsTheFirstForwardAndWritesNothing)
{
    QTemporaryDir dir, runtime;
    const QString folder = folderWithPacks(dir);
    const QByteArray config = "[Config]\r\nLanguage=9\r\n[File]\r\nSavePath=/first/screen.pl;\r\n";
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), config));
    const QString name = uniqueName("two");

    Probe first(folder, name, runtime.path(), 6000);
    ASSERT_TRUE(first.waitFor("STARTED")) << first.out().constData();
    ASSERT_TRUE(QFile::exists(runtime.filePath("CInstanceChecker_MMF_" + name)));

    Probe second(folder, name, runtime.path(), 6000);
    ASSERT_TRUE(second.finish());
    EXPECT_TRUE(second.out().contains("MESSAGE:Previous version detected, will now restore it\n"))
        << second.out().constData();
    EXPECT_FALSE(second.out().contains("STARTED"));
    EXPECT_TRUE(first.waitFor("ACTIVATED")) << first.out().constData();
    EXPECT_EQ(readFile(dir.filePath("config.ini")), config);   // the first has not ended yet
    EXPECT_FALSE(QFile::exists(dir.filePath("usr.ini")));

    first.crash();
}

TEST(SingleInstance, ASocketLeftByACrashDoesNotBlockTheNextStart)
{
    QTemporaryDir dir, runtime;
    const QString folder = folderWithPacks(dir);
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanguage=9\r\n"));
    const QString name = uniqueName("crash");
    {
        Probe first(folder, name, runtime.path(), 60000);
        ASSERT_TRUE(first.waitFor("STARTED")) << first.out().constData();
        first.crash();
    }
    ASSERT_TRUE(QFile::exists(runtime.filePath("CInstanceChecker_MMF_" + name)));   // stale

    Probe next(folder, name, runtime.path(), 200);
    ASSERT_TRUE(next.finish());
    EXPECT_TRUE(next.out().contains("STARTED\n")) << next.out().constData();
    EXPECT_FALSE(next.out().contains("MESSAGE:"));
    EXPECT_TRUE(next.out().contains("EXIT\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath("usr.ini")));   // a normal end writes

    Probe after(folder, name, runtime.path(), 200);   // and the socket went with it
    ASSERT_TRUE(after.finish());
    EXPECT_TRUE(after.out().contains("STARTED\n")) << after.out().constData();
}

TEST(SingleInstance, CopiesWithDifferentNamesDoNotMeet)
{
    QWidget window;
    CInstanceChecker a(uniqueName("alpha"));
    CInstanceChecker b(uniqueName("beta"));
    EXPECT_EQ(a.GetMappingName(), "CInstanceChecker_MMF_" + uniqueName("alpha"));
    ASSERT_TRUE(a.TrackFirstInstance(&window));
    EXPECT_FALSE(b.PreviousInstanceRunning());
    EXPECT_TRUE(CInstanceChecker(uniqueName("alpha")).PreviousInstanceRunning());
    a.Close();
    EXPECT_FALSE(CInstanceChecker(uniqueName("alpha")).PreviousInstanceRunning());
}

TEST(SingleInstance, ATerminationSignalEndsNormallyAndWritesTheConfiguration)
{
    QTemporaryDir dir, runtime;
    const QString folder = folderWithPacks(dir);
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanguage=9\r\n"));
    Probe first(folder, uniqueName("term"), runtime.path(), 60000);
    ASSERT_TRUE(first.waitFor("STARTED")) << first.out().constData();
    first.terminate();
    ASSERT_TRUE(first.finish());
    EXPECT_TRUE(first.out().contains("EXIT\n"));
    EXPECT_TRUE(readFile(dir.filePath("config.ini")).contains("[File]\r\nSavePath=\r\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath("usr.ini")));
}
