// One application object per test binary, on the offscreen platform, so that
// fonts, images and widgets work without a display. Each binary has a runtime
// folder of its own, so the single-instance sockets of two runs on one
// machine never meet. After each test the seam registry must be empty again:
// a slot a test left filled fails that test and is emptied.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>

#ifdef TAVRELO_SEAM_REGISTRY
#include "app/spine/Seams.h"

namespace {

class SeamCheck : public ::testing::EmptyTestEventListener {
    // Runs before the printer reports the test, so the failure counts for it.
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        const QStringList left = spine::seams().filled();
        if (!left.isEmpty())
            ADD_FAILURE() << "seams left filled (use support::SeamScope): " << left.join(u", ").toStdString();
        spine::seams() = spine::Seams{};
    }
};

} // namespace
#endif

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVRELO_TEST_OUTPUT", TAVRELO_TEST_OUTPUT_DIR, 0);
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/tavrelo-test-runtime-XXXXXX"));
    if (runtime.isValid())
        setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TAVRELO_SEAM_REGISTRY
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeamCheck);
#endif
    return RUN_ALL_TESTS();
}
