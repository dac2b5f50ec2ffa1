// Every job that reads a screen works on a copy of its own: while a send,
// a bulk send, a USB-stick file and a preview run, each live screen's whole
// stored image and every field a worker or a player could reach (pictures,
// what painting sets, the write count) stay as they were, before, during
// and after, and the job still delivers.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/dialogs/groups/BulkSend.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/preview/PreView.h"
#include "app/spine/CommandIds.h"
#include "core/api/Core.h"
#include "core/api/TypeRecords.h"
#include "core/api/UsbFile.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"
#include "support/SeamScope.h"
#include "support/SimController.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <functional>

using frametest::FrameHarness;
using sorvane::model::ForEachNode;
using sorvane::model::NodePictures;

namespace {

// What a worker or a player could change of a screen, read on its thread.
struct Seen {
    std::vector<std::uint8_t> image;
    std::vector<std::array<qint64, 7>> nodes;
    bool operator==(const Seen&) const = default;
};

Seen seenOf(CCore& core, tagItemData* screen)
{
    Seen s;
    s.image.resize(core.GetStoreSize(screen));
    core.Store(screen, s.image.data(), unsigned(s.image.size()));
    ForEachNode(screen, [&](tagItemData* n) {
        const auto lock = NodePictures::hold();
        const sorvane::model::PaintedValues v = sorvane::model::PaintedValuesOf(n);
        s.nodes.push_back({NodePictures::peek(n).cacheKey(), qint64(NodePictures::stateOf(n)), v.contentW, v.contentH,
                           v.picturePresent, v.frameCount, qint64(n->Revision)});
    });
    return s;
}

class JobCopies : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QImage photo(48, 24, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x * 5, y * 10, (x ^ y) * 7));
        ASSERT_TRUE(photo.save(dir.filePath("photo.png")));
        seams.frame().usbExport = [this](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
            choice.folder = dir.path();
            choice.options = USB_PROGRAMS | USB_HARDWARE;
            return 1;
        };
        screen = h.core.GetScreen(0);
        fill(screen, peer.port());
        second = h.core.AddItem(IT_SCREEN, u"second", nullptr, screen);
        fill(second, otherPeer.port());
        // Slow answers: the jobs last long enough to be watched.
        sim::Faults slow;
        slow.lateMs = 15;
        controller.setFaults(slow);
        otherController.setFaults(slow);
        h.frame->Panel()->InsertItemTree(screen);
        h.frame->Panel()->InsertItemTree(second);
        ASSERT_TRUE(operatorroad::showFrame(*h.frame));
        // Painted as the canvas paints them; one given picture, as a test pattern's.
        for (tagItemData* s : {screen, second})
            ForEachNode(s, [](tagItemData* n) { GetNodePicture(n); });
    }

    void fill(tagItemData* s, std::uint16_t port)
    {
        s->Global.Width = 64;
        s->Global.Height = 32;
        frametest::bindTcp(s, port);
        for (int n = 0; n < 2; ++n) {
            tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", s, nullptr);
            tagItemData* left = h.core.AddItem(IT_WND_TEXT, u"left", scene, nullptr);
            h.core.ChangeItemRect(left, 0, 0, 32, 32);
            tagItemData* right = h.core.AddItem(IT_WND_CONTENTLIST, u"right", scene, left);
            h.core.ChangeItemRect(right, 32, 0, 32, 32);
            tagItemData* line = h.core.AddItem(IT_SINGLELINE, u"line", left, nullptr);
            records::SetItemText(line, QStringLiteral("Moving along %1").arg(n));
            line->InEffect = 1;
            tagItemData* animated = h.core.AddItem(IT_TEXTGIF, u"animated", left, line);
            records::SetItemText(animated, QStringLiteral("Go"));
            tagItemData* picture = h.core.AddItem(IT_IMAGE, u"picture", right, nullptr);
            picture->Item.TypeRecord->set(records::picture::Path, dir.filePath("photo.png"));
            tagItemData* pattern = h.core.AddItem(IT_IMAGE, u"pattern", right, picture);
            QImage given(32, 32, QImage::Format_RGB32);
            given.fill(Qt::red);
            SetNodePicture(pattern, given);
        }
    }

    // Runs the road while the interface thread reads both screens every
    // few milliseconds; each read, and the one after, must find them as
    // they were before.
    void watch(const std::function<void()>& road)
    {
        const Seen before[2] = {seenOf(h.core, screen), seenOf(h.core, second)};
        int reads = 0, changed = 0;
        QTimer timer;
        timer.setInterval(0);   // at every turn of the modal loop
        QObject::connect(&timer, &QTimer::timeout, [&] {
            ++reads;
            changed += seenOf(h.core, screen) != before[0];
            changed += seenOf(h.core, second) != before[1];
        });
        timer.start();
        road();
        timer.stop();
        EXPECT_GT(reads, 0) << "the road ended before it was watched";
        EXPECT_EQ(changed, 0);
        EXPECT_TRUE(seenOf(h.core, screen) == before[0]);
        EXPECT_TRUE(seenOf(h.core, second) == before[1]);
    }

    support::SeamScope seams;
    QTemporaryDir dir;
    sim::SimController controller, otherController;
    sim::TcpPeer peer{controller}, otherPeer{otherController};
    FrameHarness h{"UI_EN.rcc"};
    tagItemData* screen = nullptr;
    tagItemData* second = nullptr;
};

// The roads, each run as the operator's command runs it.
struct JobRoads : JobCopies {
    static void send(JobRoads& t)
    {
        // The screen clicked in the tree, then F5: returns once the task
        // dialog has closed itself.
        ASSERT_TRUE(operatorroad::clickInTree(*t.h.frame, t.screen));
        QWidget* keys = QApplication::focusWidget() ? QApplication::focusWidget() : t.h.frame.get();
        QTest::keyClick(keys, Qt::Key_F5);
        EXPECT_EQ(dialogs::CTaskDlg::LiveTaskDialog(), nullptr);
        EXPECT_TRUE(t.controller.waitForBlocks(4));
    }
    static void bulk(JobRoads& t)
    {
        const auto each = [&t](tagItemData* s, const LinkSettings& link) {
            dialogs::CTaskDlg task(t.h.core, t.h.frame.get());
            task.SetTask(spine::TaskRequest::send(s, link));
            EXPECT_EQ(task.exec(), 1);
        };
        EXPECT_TRUE(dialogs::RunBulkSend(t.h.core, {t.screen, t.second}, {0, 1}, 0, -1, each).sent);
        EXPECT_TRUE(t.controller.waitForBlocks(4));
        EXPECT_TRUE(t.otherController.waitForBlocks(4));
    }
    static void usb(JobRoads& t)
    {
        ASSERT_TRUE(operatorroad::clickInTree(*t.h.frame, t.screen));
        ASSERT_TRUE(operatorroad::chooseFromMenuBar(*t.h.frame, spine::ID_EXPORT_USB2));
        EXPECT_GT(QFileInfo(t.dir.filePath("program.dat")).size(), 0);
    }
    static void preview(JobRoads& t)
    {
        preview::CPreView dlg(t.h.core, t.screen->FirstChild, t.h.frame.get());
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        QTest::qWait(3000);
        EXPECT_TRUE(dlg.Canvas().Control().IsActive());
        QImage shown;
        {
            std::lock_guard lock(dlg.Canvas().mutex());
            shown = dlg.Canvas().backBuffer().copy();
        }
        dlg.close();
        // It played: the canvas shows more than black.
        bool lit = false;
        for (int y = 0; y < shown.height() && !lit; y += 3)
            for (int x = 0; x < shown.width() && !lit; x += 3)
                lit = (shown.pixel(x, y) & 0xFFFFFF) != 0;
        EXPECT_TRUE(lit);
    }
};

struct Road {
    const char* name;
    void (*run)(JobRoads&);
};

} // namespace

class JobCopiesRoads : public JobRoads, public ::testing::WithParamInterface<Road> {};

TEST_P(JobCopiesRoads, WriteNoFieldOfTheLiveScreens)
{
    watch([this] { GetParam().run(*this); });
}

INSTANTIATE_TEST_SUITE_P(Roads, JobCopiesRoads,
                         ::testing::Values(Road{"Send", JobRoads::send}, Road{"BulkSend", JobRoads::bulk},
                                           Road{"UsbFile", JobRoads::usb}, Road{"Preview", JobRoads::preview}),
                         [](const ::testing::TestParamInfo<Road>& i) { return std::string(i.param.name); });
