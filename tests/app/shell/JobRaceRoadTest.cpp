// A send, a bulk send, a USB-stick file and a preview played for 3 s
// through the real main window, while the window's thread reads every field
// its canvases, panels and tree read and a timer writes an item of the same
// screen, as a text panel's delayed store does. The event loop runs
// inside every modal job, so both timers run while the jobs do. Built for
// the thread sanitizer (make tsan): a job or a player that reached the live
// tree would be a reported race.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"
#include "PreviewProbe.h"

#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/preview/PreView.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/api/TypeRecords.h"
#include "core/api/UsbFile.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/ProgramSchema.h"
#include "platform/Clock.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <array>
#include <set>

using frametest::FrameHarness;
using sorvane::model::ForEachNode;
using sorvane::render::CContentCompiler;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Six scenes of texts, an animated text, a picture and a table.
void buildScreen(CCore& core, tagItemData* screen, const QString& picture)
{
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    for (int n = 0; n < 6; ++n) {
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        core.SetItemFrame(scene, 1);
        core.AddFrameElement(2, u"band", scene->Scene.Frame, nullptr);
        tagItemData* left = core.AddItem(IT_WND_TEXT, u"left", scene, nullptr);
        core.ChangeItemRect(left, 1, 1, 31, 30);
        tagItemData* right = core.AddItem(IT_WND_CONTENTLIST, u"right", scene, left);
        core.ChangeItemRect(right, 32, 1, 31, 30);
        tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", left, nullptr);
        records::SetItemText(line, QStringLiteral("Scene %1 line").arg(n));
        tagItemData* after = core.AddItem(IT_TEXTGIF, u"animated", left, line);
        for (int more = 0; more < 4; ++more) {
            after = core.AddItem(IT_SINGLELINE, u"more", left, after);
            records::SetItemText(after, QStringLiteral("Line %1 of scene %2").arg(more).arg(n));
        }
        tagItemData* photo = core.AddItem(IT_IMAGE, u"photo", right, nullptr);
        photo->Item.TypeRecord->set(records::picture::Path, picture);
        core.Paint(photo);
        core.AddItem(IT_GRID, u"table", right, photo);
    }
}

// The item the timer writes: the first scene's line.
tagItemData* writtenOf(tagItemData* screen)
{
    return screen->FirstChild->FirstChild->FirstChild;
}

// What the timer stores, in turn.
const std::array<QString, 2> kTexts = {QStringLiteral("Go"), QStringLiteral("Stop here")};

// The program data the screen compiles to as it stands, compiled here.
Bytes programDataOf(tagItemData* screen)
{
    CContentCompiler::ForgetCompiled(screen);
    if (CContentCompiler::Compile(screen) != 1)
        return {};
    Bytes data(CContentCompiler::GetProgramDataSize(screen));
    CContentCompiler::CopyProgramData(screen, data.data(), data.size());
    CContentCompiler::ForgetCompiled(screen);
    return data;
}

// The interface thread's readers and the timer's writer, running on the
// window's loop from construction to destruction.
class LiveUse {
public:
    LiveUse(CCore& core, tagItemData* screen) : m_core(core), m_screen(screen)
    {
        m_read.setInterval(2);
        QObject::connect(&m_read, &QTimer::timeout, [this] { readAll(); });
        m_write.setInterval(1);
        QObject::connect(&m_write, &QTimer::timeout, [this] { writeItem(); });
        m_read.start();
        m_write.start();
    }
    long reads = 0;
    long writes = 0;
    std::uint64_t seen = 0;

private:
    // Every field the canvases, the panels and the tree read: each node's
    // stored image (its level block, the screen's settings), its name, what
    // painting set, its picture, its record's owned text or table and its
    // border's elements.
    void readAll()
    {
        ForEachNode(m_screen, [this](tagItemData* n) {
            std::array<std::uint8_t, ITEMDATA_SIZE> image{};
            sorvane::model::WriteNodeImage(*n, image.data());
            seen += image[316] + n->Name[0];
            const sorvane::model::PaintedValues v = sorvane::model::PaintedValuesOf(n);
            seen += v.contentW + v.contentH + v.frameCount + v.picturePresent;
            seen += std::uint64_t(GetNodePicture(n).width()) + PreviewSizeOf(n).height();
            if (n->Level == LEVEL_PROGRAM && n->Item.TypeRecord)
                seen += std::uint64_t(n->Item.TypeRecord->text().size() + n->Item.TypeRecord->memFile().size());
            if (DynFrame** frame = FrameSlotOf(n); frame && *frame)
                for (const DynFrameElement* e = (*frame)->First; e; e = e->Next)
                    seen += e->Data().size() + e->Motion;
        });
        ++reads;
    }
    // A text's delayed store, as the text panels make it: the text written
    // and the item painted again.
    void writeItem()
    {
        tagItemData* item = writtenOf(m_screen);
        records::SetItemText(item, kTexts[std::size_t(++writes % 2)]);
        m_core.Paint(item);
    }

    CCore& m_core;
    tagItemData* m_screen;
    QTimer m_read;
    QTimer m_write;
};

void clickSendTool(FrameHarness& h)
{
    QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), shell::ID_SEND_PROGRAMS),
                      Qt::LeftButton);
}

} // namespace

TEST(JobRaceRoad, SendBulkSendUsbFileAndPreviewNeverReachTheLiveTree)
{
    platform::ScopedClockScale faster(5);
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    QTemporaryDir usb;
    support::SeamScope seams;
    int exports = 0;
    seams.frame().usbExport = [&](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
        ++exports;
        choice.folder = usb.path();
        choice.options = USB_PROGRAMS;
        return 1;
    };
    FrameHarness h;
    const QString picture = h.folder + QStringLiteral("photo.png");
    {
        QImage photo(31, 30, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x * 8, y * 8, (x ^ y) * 8));
        ASSERT_TRUE(photo.save(picture));
    }
    tagItemData* screen = h.core.GetScreen(0);
    ASSERT_NE(screen, nullptr);
    buildScreen(h.core, screen, picture);
    frametest::bindTcp(screen, peer.port());
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    h.list()->SelectNode(screen);

    // What a send may carry: the screen as it stands with either text.
    std::set<Bytes> expected;
    for (const QString& text : kTexts) {
        records::SetItemText(writtenOf(screen), text);
        h.core.Paint(writtenOf(screen));
        expected.insert(programDataOf(screen));
    }
    ASSERT_EQ(expected.size(), 2u);
    ASSERT_FALSE(expected.begin()->empty());

    support::ModalScript script(60000);
    script.allow(QStringLiteral("dialogs::CTaskDlg"));
    LiveUse use(h.core, screen);
    QTest::qWait(20);

    // A send through the task dialog.
    long readsBefore = use.reads, writesBefore = use.writes;
    clickSendTool(h);
    ASSERT_TRUE(controller.waitForBlocks(std::size(sorvane::render::program::BlockOrder)));
    EXPECT_GT(use.writes, writesBefore) << "the timer wrote the item while the send ran";
    EXPECT_GT(use.reads, readsBefore);

    // The bulk send of every open screen, one task dialog each.
    script.expect(QStringLiteral("dialogs::CSettingBulkProgram"), [](QWidget* bulk) {
        QTimer::singleShot(0, bulk, [bulk] {
            using Bulk = dialogs::CSettingBulkProgram;
            QTest::mouseClick(support::findByControlId<QPushButton>(bulk, Bulk::IDC_SEND), Qt::LeftButton);
            QTest::mouseClick(support::findByControlId<QPushButton>(bulk, Bulk::IDC_CLOSE), Qt::LeftButton);
        });
    });
    h.frame->OnCommand(shell::ID_BULK_SEND);
    ASSERT_TRUE(controller.waitForBlocks(2 * std::size(sorvane::render::program::BlockOrder)));

    // The USB-stick file.
    h.list()->SelectNode(screen);
    ASSERT_TRUE(operatorroad::chooseFromMenuBar(*h.frame, shell::ID_EXPORT_USB2));
    EXPECT_EQ(exports, 1);
    {
        QFile file(usb.filePath(QStringLiteral("program.dat")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        int carried = 0;
        for (const Bytes& data : expected)
            carried += written.contains(QByteArrayView(data.data(), qsizetype(data.size()))) ? 1 : 0;
        EXPECT_EQ(carried, 1) << "the file holds the program data of the screen as it was";
    }

    // The preview played for 3 s.
    bool lit = false;
    script.expect(QStringLiteral("preview::CPreView"), [&lit](QWidget* m) {
        auto* view = qobject_cast<preview::CPreView*>(m);
        ASSERT_NE(view, nullptr);
        lit = frametest::waitUntilPreviewLit(view, 5000);
        QTest::qWait(3000);
        QTest::keyClick(view, Qt::Key_Escape);
    });
    writesBefore = use.writes;
    h.frame->CommandAction(shell::ID_PREVIEW)->trigger();
    EXPECT_TRUE(lit);
    EXPECT_GT(use.writes, writesBefore + 100) << "the timer wrote the item while the preview played";
    EXPECT_EQ(script.pending(), 0);
    EXPECT_EQ(script.failures().size(), 0);

    // Each send carried the screen as it was when its job began.
    const std::vector<sim::Block> sent = controller.blocks();
    ASSERT_EQ(sent.size(), 2 * std::size(sorvane::render::program::BlockOrder));
    for (std::size_t at = std::size(sorvane::render::program::BlockOrder) - 1; at < sent.size();
         at += std::size(sorvane::render::program::BlockOrder))
        EXPECT_EQ(expected.count(Bytes(sent[at].data.begin(), sent[at].data.end())), 1u) << "send ending at " << at;
    EXPECT_GT(use.seen, 0u);
}
