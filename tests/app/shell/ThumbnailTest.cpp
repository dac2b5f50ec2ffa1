// The thumbnail window: its layout, the view frame, and dragging it to scroll
// the canvas of a maximised, clipped screen window.
#include "app/shell/Thumbnail.h"

#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/controls/StaticLink.h"

#include "app/editor/ChildFrame.h"
#include "app/editor/FramePort.h"
#include "app/editor/LedView.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"

#include <QDir>
#include <QMdiArea>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell;

using shell::CThumbnail;

namespace {
// The pack holds the overlay's picture; without it the thumbnail says "Error!".
struct EnglishPack {
    EnglishPack() { platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_EN.rcc")); }
    ~EnglishPack() { platform::clearLangPack(); }
};

// The frame's port as far as the screen windows use the thumbnail.
class ThumbPort : public editor::FramePort {
public:
    explicit ThumbPort(CThumbnail& t) : m_thumb(t) {}
    bool thumbnailShown() override { return m_thumb.isVisible(); }
    void showThumbnail(int w, int h, editor::CLed* canvas) override { m_thumb.showThumbnail(w, h, canvas); }
    void hideThumbnail() override { m_thumb.hide(); }
    void resizeThumbnail(int w, int h) override { m_thumb.Resize(w, h); }
    void setThumbnailView(const QRect& leds) override { m_thumb.SetViewRect(leds); }
    QObject* thumbnailReceiver() override { return &m_thumb; }

private:
    CThumbnail& m_thumb;
};
} // namespace

TEST(Thumbnail, WideCanvasFitsTheAreasWidthAndCentresVertically)
{
    EnglishPack pack;
    CThumbnail t;
    ASSERT_EQ(t.areaRect().size(), QSize(200, 120));
    t.Resize(512, 128);
    EXPECT_FLOAT_EQ(t.scale(), 200.0f / 512.0f);
    EXPECT_EQ(t.pictureRect().size(), QSize(200, 51));
    EXPECT_EQ(t.pictureRect().left(), t.areaRect().left());
    EXPECT_EQ(t.pictureRect().top(), t.areaRect().top() + (120 - 51) / 2);
    EXPECT_EQ(t.picture().size(), QSize(512, 128));
}

TEST(Thumbnail, TallCanvasFitsTheHeightAndCentresHorizontally)
{
    EnglishPack pack;
    CThumbnail t;
    t.Resize(100, 400);
    EXPECT_FLOAT_EQ(t.scale(), 0.3f);
    EXPECT_EQ(t.pictureRect().size(), QSize(31, 120));
    EXPECT_EQ(t.pictureRect().left(), t.areaRect().left() + (200 - 31) / 2);
    EXPECT_EQ(t.pictureRect().top(), t.areaRect().top());
}

TEST(Thumbnail, SameSizeKeepsTheLayoutAndZeroSizeKeepsAnEmptyPicture)
{
    EnglishPack pack;
    CThumbnail t;
    t.SetViewRect(QRect(0, 0, 10, 10));   // before any picture: ignored
    EXPECT_TRUE(t.viewRect().isNull());
    t.Resize(512, 128);
    t.SetViewRect(QRect(100, 10, 200, 60));
    const QRect view = t.viewRect();
    EXPECT_EQ(view.left(), t.pictureRect().left() + 39);   // 100 x 0.390625 rounded
    EXPECT_EQ(view.right(), t.pictureRect().left() + 117 - 1);   // 300 x 0.390625 truncated
    t.Resize(512, 128);
    EXPECT_EQ(t.viewRect(), view);
    EXPECT_EQ(t.pictureRect().size(), QSize(200, 51));

    t.Resize(0, 128);
    EXPECT_TRUE(t.picture().isNull());
    EXPECT_EQ(t.scale(), 0.0f);
    t.Resize(64, 0);
    EXPECT_TRUE(t.picture().isNull());
    t.Resize(65535, 65535);
    EXPECT_TRUE(t.picture().isNull());
    t.SetViewRect(QRect(0, 0, 10, 10));
    EXPECT_EQ(t.viewRect(), view);   // still ignored
}

TEST(Thumbnail, DraggingTheFrameStopsAtThePicturesEdge)
{
    EnglishPack pack;
    CThumbnail t;
    t.Resize(512, 128);
    t.SetViewRect(QRect(0, 0, 128, 64));
    const QRect start = t.viewRect();
    t.mouseDown(start.center());
    t.mouseDrag(start.center() + QPoint(500, 500));
    t.mouseUp();
    EXPECT_EQ(t.viewRect().right(), t.pictureRect().right());
    EXPECT_EQ(t.viewRect().bottom(), t.pictureRect().bottom());
    EXPECT_EQ(t.viewRect().size(), start.size());
    // A press outside the frame drags nothing.
    const QRect now = t.viewRect();
    t.mouseDown(t.pictureRect().topLeft());
    t.mouseDrag(t.pictureRect().topLeft() + QPoint(5, 0));
    t.mouseUp();
    EXPECT_EQ(t.viewRect(), now);
}

TEST(Thumbnail, DraggedFrameScrollsTheMaximisedScreenWindow)
{
    ASSERT_TRUE(platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_EN.rcc")));
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"wide", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 512, 96);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* sec = core.AddItem(IT_WND_TEXT, u"text", scene, nullptr);
    core.ChangeItemRect(sec, 300, 10, 100, 40);

    QWidget main;
    main.resize(900, 500);
    QMdiArea area(&main);
    area.setGeometry(main.rect());
    CThumbnail thumb(&area);
    ThumbPort port(thumb);
    main.show();

    editor::CLed::setDefaultDotSize(3);
    auto* frame = new editor::CChildFrame(core, &port);
    area.addSubWindow(frame);
    frame->OpenScreen(screen);
    frame->show();
    EXPECT_FALSE(thumb.isVisible());
    frame->showMaximized();
    QTest::qWait(20);
    editor::CScreenLed* canvas = frame->canvas();
    ASSERT_TRUE(frame->view()->isClipped());
    ASSERT_TRUE(thumb.isVisible());
    thumb.move(area.width() - thumb.width(), area.height() - thumb.height());
    canvas->SelectItem(sec, true);
    QCoreApplication::processEvents();   // the canvas announces itself: the picture is copied

    const QRect view = thumb.viewRect();
    ASSERT_TRUE(view.isValid());
    EXPECT_EQ(view.left(), thumb.pictureRect().left());
    EXPECT_EQ(canvas->scrollOrigin(), QPoint(0, 0));
    // Drag the frame to the right with the mouse, over the overlay.
    QWidget* surface = thumb.surface();
    const QPoint from = view.center();
    QTest::mousePress(surface, Qt::LeftButton, {}, from);
    QTest::mouseMove(surface, from + QPoint(30, 0));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, from + QPoint(30, 0));
    const int expectedLed = int((thumb.viewRect().left() - thumb.pictureRect().left()) / thumb.scale() + 0.5f);
    EXPECT_GT(canvas->scrollOrigin().x(), 0);
    EXPECT_EQ(canvas->scrollOrigin().x(), std::min(expectedLed * 3, canvas->GetDisplaySize().width() - canvas->width()));

    // A section canvas paints itself into the thumbnail's picture at its place.
    EXPECT_EQ(thumb.picture().size(), QSize(512, 96));
    editor::CSectionLed* sc = canvas->sectionCanvas(sec);
    ASSERT_NE(sc, nullptr);
    QImage marker(100, 40, QImage::Format_RGB32);
    marker.fill(qRgb(0, 0, 250));
    sc->BlitToContent(marker, {0, 0}, QRect(0, 0, 100, 40), false);
    canvas->announceThumbnail(sec);
    QCoreApplication::processEvents();
    EXPECT_EQ(thumb.picture().pixel(300, 10), qRgb(0, 0, 250));
    EXPECT_EQ(thumb.picture().pixel(399, 49), qRgb(0, 0, 250));
    EXPECT_NE(thumb.picture().pixel(299, 10), qRgb(0, 0, 250));
    // A window that is not the shown screen's canvas is not asked.
    QWidget stranger;
    platform::postMessage(&thumb, spine::WM_THUMB_SETSOURCE, reinterpret_cast<platform::WPARAM>(&stranger));
    QCoreApplication::processEvents();
    EXPECT_EQ(thumb.picture().pixel(300, 10), qRgb(0, 0, 250));
    QDir().mkpath(qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/editor"));
    EXPECT_TRUE(main.grab().save(qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/editor/thumbnail_en.png")));

    // The close link hides it.
    QTest::mouseClick(static_cast<QWidget*>(thumb.surface()->closeLink()), Qt::LeftButton);
    EXPECT_FALSE(thumb.isVisible());
    frame->closeFrame();
}

TEST(Thumbnail, AMissingOverlayPictureSaysError)
{
    platform::clearLangPack();
    support::SeamScope seams;
    seams.nextAnswer(QMessageBox::Ok);
    CThumbnail t;
    EXPECT_EQ(controls::MessageBox::lastText(), QStringLiteral("Error!"));
}
