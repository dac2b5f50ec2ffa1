// The preview window driven through QTest: size at its dot, title, the bar
// on hover, play, pause and Escape; screenshots and a short recording.
#include "PlayTestUtil.h"

#include "app/controls/IconButton.h"
#include "app/preview/PreView.h"
#include "platform/LangPack.h"
#include "support/Screenshots.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace preview;
using namespace previewtest;

namespace {

QString outputDir()
{
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/preview");
    QDir().mkpath(dir);
    return dir;
}

struct Pack {
    explicit Pack(const char* file)
    {
        ok = platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/") + QLatin1String(file));
    }
    ~Pack() { platform::clearLangPack(); }
    bool ok = false;
};

// A screen whose scene shows a coloured picture item sliding in.
void colourfulScreen(PlayFixture& f)
{
    f.screen->Global.Type = 34;   // three colours
    tagItemData* a = f.scene(-1);
    tagItemData* s = f.section(a, QRect(4, 4, 56, 24));
    tagItemData* item = f.item(s, {.in = 5, .inSpeed = 5, .stay = 100000});
    QImage page(56, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 56; ++x)
            page.setPixel(x, y, qRgb(x * 4, 255 - y * 10, (x * y) % 256));
    SetNodePicture(item, page);
}

} // namespace

TEST(PreviewWindow, ClientFollowsTheDisplayAtDotThree)
{
    EXPECT_EQ(previewDotFor(64, 32, QSize(1920, 1080)), 3);
    EXPECT_EQ(previewDotFor(600, 480, QSize(1280, 1024)), 2);
    EXPECT_EQ(previewDotFor(2048, 480, QSize(1280, 1024)), 1);
    EXPECT_EQ(previewTitle(QStringLiteral("Preview the scene\nPreview"), QStringLiteral("Lobby")),
              QStringLiteral("Preview-Lobby"));

    PlayFixture f;
    colourfulScreen(f);
    VirtualClock clock;
    RandomSource random(3);
    CPreView dialog(f.core, f.screen->FirstChild, clock, random);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.size(), QSize(193, 97));
    EXPECT_EQ(dialog.Canvas().geometry(), QRect(0, 0, 193, 97));
    EXPECT_TRUE(dialog.Canvas().Control().IsActive());
    EXPECT_FALSE(dialog.Bar().Button(IDC_PREVIEW_PLAY)->isEnabled());
    EXPECT_TRUE(dialog.Bar().Button(IDC_PREVIEW_PAUSE)->isEnabled());
    dialog.close();
}

TEST(PreviewWindow, LedsShowTheScreensWorkMode)
{
    PlayFixture f;
    tagItemData* a = f.scene(-1);
    tagItemData* item = f.item(f.section(a, QRect(0, 0, 64, 32)), {.in = 5, .inSpeed = 1, .stay = 100000});
    QImage page(64, 32, QImage::Format_RGB32);
    page.fill(qRgb(0, 255, 0));
    page.setPixel(10, 10, qRgb(255, 255, 255));
    SetNodePicture(item, page);
    f.screen->Global.Type = 17;   // one colour: red only
    VirtualClock clock;
    RandomSource random(3);
    CPreView dialog(f.core, a, clock, random);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    clock.runUntil(70);
    const QImage display = dialog.Canvas().DisplayCopy();
    EXPECT_EQ(display.pixel(10 * 3 + 1, 10 * 3 + 1), qRgb(255, 0, 0));
    EXPECT_EQ(display.pixel(20 * 3 + 1, 20 * 3 + 1), editor::kUnlitLed);
    EXPECT_EQ(display.pixel(20 * 3, 20 * 3), qRgb(0, 0, 0));   // the gap between LEDs
}

TEST(PreviewWindow, BarOnHoverPlayPauseAndEscapeCloses)
{
    PlayFixture f;
    colourfulScreen(f);
    Pack pack("UI_EN.rcc");
    CPreView dialog(f.core, f.screen->FirstChild);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(pack.ok);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Preview-Lobby"));
    CPreviewLed& led = dialog.Canvas();
    EXPECT_FALSE(dialog.Bar().isVisible());
    QTest::mouseMove(&led, QPoint(50, 50));
    support::mouseMove(&led, QPoint(50, 50));
    QTRY_VERIFY(dialog.Bar().isVisible());
    EXPECT_EQ(dialog.Bar().y(), 0);
    EXPECT_EQ(dialog.Bar().x(), (dialog.width() - dialog.Bar().width()) / 2);

    // From the canvas onto the bar the bar stays; out of the window it goes.
    QCursor::setPos(dialog.Bar().mapToGlobal(dialog.Bar().rect().center()));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&led, &leave);
    EXPECT_TRUE(dialog.Bar().isVisible());
    QCursor::setPos(dialog.mapToGlobal(QPoint(dialog.width() + 40, dialog.height() + 40)));
    QCoreApplication::sendEvent(&dialog.Bar(), &leave);
    EXPECT_FALSE(dialog.Bar().isVisible());
    support::mouseMove(&led, QPoint(60, 60));
    QTRY_VERIFY(dialog.Bar().isVisible());

    // Pause, then play again.
    auto* pause = dialog.Bar().Button(IDC_PREVIEW_PAUSE);
    auto* play = dialog.Bar().Button(IDC_PREVIEW_PLAY);
    QTest::mouseClick(pause, Qt::LeftButton);
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_TRUE(play->isEnabled());
    QTRY_VERIFY(led.Control().IsPaused());
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_FALSE(led.Control().IsPaused());
    EXPECT_TRUE(led.Control().IsActive());

    // The keyboard reaches the bar too.
    dialog.Bar().hide();
    QTest::keyClick(&dialog, Qt::Key_Tab);
    EXPECT_TRUE(dialog.Bar().isVisible());
    QWidget* focused = QApplication::focusWidget();
    ASSERT_TRUE(focused && dialog.Bar().isAncestorOf(focused));
    for (int i = 0; i < 4 && QApplication::focusWidget() != pause; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), pause);
    QTest::keyClick(pause, Qt::Key_Space);
    EXPECT_FALSE(pause->isEnabled());
    QTRY_VERIFY(led.Control().IsPaused());
    QTest::mouseClick(play, Qt::LeftButton);

    // Enter does nothing; Escape closes and stops every player.
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTRY_VERIFY(!dialog.isVisible());
    EXPECT_FALSE(led.Control().IsActive());
    EXPECT_FALSE(led.Control().Player(0).IsActive());
}

TEST(PreviewWindow, CloseButtonStopsBeforeTheWindowGoes)
{
    PlayFixture f;
    colourfulScreen(f);
    auto* dialog = new CPreView(f.core, f.screen->FirstChild);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QPointer<CPreView> alive(dialog);
    CPlayControl* control = &dialog->Canvas().Control();
    QTRY_VERIFY(control->Player(0).IsActive());
    dialog->Bar().show();
    QTest::mouseClick(dialog->Bar().Button(IDC_PREVIEW_CLOSE), Qt::LeftButton);
    support::flushDeletes();
    EXPECT_TRUE(alive.isNull());
}

TEST(PreviewWindow, ScreenshotsInEachLanguageAndARecording)
{
    const char* packs[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
    const char* names[] = {"en", "cn", "tw"};
    for (int i = 0; i < 3; ++i) {
        PlayFixture f;
        colourfulScreen(f);
        Pack pack(packs[i]);
        VirtualClock clock;
        RandomSource random(5);
        CPreView dialog(f.core, f.screen->FirstChild, clock, random);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        if (i == 0) {
            // A strip of frames of the entry, one every 40 ms of virtual time.
            QImage strip(dialog.width(), dialog.height() * 8, QImage::Format_RGB32);
            strip.fill(Qt::darkGray);
            QPainter p(&strip);
            for (int frame = 0; frame < 8; ++frame) {
                clock.runUntil(static_cast<std::uint64_t>(frame * 40));
                QCoreApplication::processEvents();
                p.drawImage(0, frame * dialog.height(), dialog.Canvas().grab().toImage());
            }
            p.end();
            strip.save(outputDir() + QStringLiteral("/recording_strip.png"));
        }
        clock.runUntil(400);
        QCoreApplication::processEvents();
        dialog.Bar().show();
        dialog.Bar().raise();
        EXPECT_TRUE(support::saveScreenshot(dialog, QStringLiteral("preview"),
                                            QStringLiteral("preview_%1").arg(QLatin1String(names[i]))));
        dialog.close();
    }
}
