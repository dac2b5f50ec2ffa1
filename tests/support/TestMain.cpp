// One application object per test binary, on the offscreen platform, so that
// fonts, images and widgets work without a display. Each binary has a runtime
// folder of its own, so the single-instance sockets of two runs on one
// machine never meet.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVRELO_TEST_OUTPUT", TAVRELO_TEST_OUTPUT_DIR, 0);
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/tavrelo-test-runtime-XXXXXX"));
    if (runtime.isValid())
        setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
