// One application object per test binary, on the offscreen platform, so that
// fonts, images and widgets work without a display.
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVRELO_TEST_OUTPUT", TAVRELO_TEST_OUTPUT_DIR, 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
