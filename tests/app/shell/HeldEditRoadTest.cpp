// Typing a panel holds back for a moment reaches the item before anything
// else reads it: an animated text typed and at once another window clicked
// in the tree, Ctrl+S, F5 (the simulated controller over TCP) and F6, and a
// table cell still being edited when Ctrl+S comes. Only QTest key and mouse
// events drive the real main window.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/dialogs/task/TaskDlg.h"
#include "app/controls/RichEdit.h"
#include "app/panels/PropertyTextGif.h"
#include "core/render/ContentCompiler.h"
#include "support/SeamScope.h"
#include "support/SimController.h"

#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <optional>

using namespace shell;
using namespace operatorroad;
using frametest::FrameHarness;
using sorvane::render::CContentCompiler;

namespace {

QByteArray storedImage(CCore& core, tagItemData* screen)
{
    QByteArray image(qsizetype(core.GetStoreSize(screen)), '\0');
    core.Store(screen, reinterpret_cast<unsigned char*>(image.data()), unsigned(image.size()));
    return image;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Window {
    tagItemData* section = nullptr;
    tagItemData* item = nullptr;
};

// A shown frame with a 64 x 32 screen sending to `port`, one scene and
// two content-list windows, each holding one item of `type`.
struct TwoWindows {
    explicit TwoWindows(std::uint16_t port, int type)
    {
        // A question nobody expects fails the test instead of waiting for ever.
        seams->messageBox = [](const spine::MessageRequest& box) {
            ADD_FAILURE() << "unexpected box: " << box.text.toStdString();
            return QMessageBox::Cancel;
        };
        if (!showFrame(*h.frame))
            return;
        screen = h.core.AddItem(IT_SCREEN, u"Typed", nullptr, h.core.GetScreen(0));
        screen->Global.Width = 64;
        screen->Global.Height = 32;
        frametest::bindTcp(screen, port);
        h.frame->Panel()->InsertItemTree(screen);
        h.frame->OpenScreenWindow(screen);
        QCoreApplication::processEvents();
        if (!clickInTree(*h.frame, screen))
            return;
        kindButton(*h.frame, ID_KIND_FIRST + 1);   // scene
        tagItemData* scene = selectedNode(*h.frame);
        for (Window* w : {&a, &b}) {
            if (!clickInTree(*h.frame, scene))
                return;
            kindButton(*h.frame, ID_KIND_FIRST + 4);   // content-list window
            w->section = selectedNode(*h.frame);
            placeSection(*h.frame, w == &a ? 0 : 32, 0, 32, 32);   // side by side: no overlap question
            w->item = addListItem(*h.frame, type);
        }
    }
    // Where a key the operator presses goes: the focus, or the window.
    QWidget* keys() const { return QApplication::focusWidget() ? QApplication::focusWidget() : h.frame.get(); }
    bool ready() const { return a.item && b.item && a.section != b.section; }
    // Clicks the window in the tree, then its item in the items list; true
    // once the pane's main panel shows the item.
    bool select(const Window& w)
    {
        QApplication::setActiveWindow(h.frame.get());
        if (!clickInTree(*h.frame, w.section))
            return false;
        panels::CPropertyProgList* items = paneOf(*h.frame)->windowPage()->progList();
        QListWidget* list = items->list();
        for (int row = 0; row < list->count(); ++row)
            if (items->itemAt(row) == w.item)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        // The items list hands its item to the main panel a moment later.
        return QTest::qWaitFor([&] {
            panels::CPanelBase* main = paneOf(*h.frame)->windowPage()->currentMain();
            return main && main->node() == w.item && main->isVisible();
        }, 2000);
    }
    // Types `text` over the window's animated text.
    void typeInto(const Window& w, const QString& text)
    {
        ASSERT_TRUE(select(w));
        auto* panel = qobject_cast<panels::CPropertyTextGif*>(paneOf(*h.frame)->windowPage()->currentMain());
        ASSERT_NE(panel, nullptr);
        support::click(panel->edit());
        QTest::keyClick(panel->edit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(panel->edit(), text);
    }
    static bool holds(const Window& w, const QString& text)
    {
        return w.item->Item.TypeRecord->text().contains(text);
    }

    FrameHarness h;
    support::SeamScope seams;
    tagItemData* screen = nullptr;
    Window a, b;
};

} // namespace

TEST(HeldEdits, AnAnimatedTextTypedIsInTheItemForTheNextClickSaveSendAndPreview)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    TwoWindows w(peer.port(), IT_TEXTGIF);
    ASSERT_TRUE(w.ready());

    // Another window clicked at once: the first keeps what was typed.
    w.typeInto(w.a, QStringLiteral("North"));
    ASSERT_TRUE(clickInTree(*w.h.frame, w.b.section));
    EXPECT_TRUE(TwoWindows::holds(w.a, QStringLiteral("North")));

    // Ctrl+S at once: the file holds it.
    w.typeInto(w.b, QStringLiteral("South"));
    const QString file = w.h.folder + QStringLiteral("userdata/Typed.pl");
    w.seams.nextFileName(file);
    QTest::keyClick(w.keys(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(TwoWindows::holds(w.b, QStringLiteral("South")));
    EXPECT_EQ(readFile(file), storedImage(w.h.core, w.screen));

    // F5 at once: the controller gets the blocks of what was typed, and
    // nothing writes the item while the send runs.
    w.typeInto(w.b, QStringLiteral("East"));
    std::optional<bool> heldAtStart;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!heldAtStart && dialogs::CTaskDlg::LiveTaskDialog())
            heldAtStart = TwoWindows::holds(w.b, QStringLiteral("East"));
    });
    watch.start(5);
    QTest::keyClick(w.keys(), Qt::Key_F5);   // returns once the dialog closed itself
    watch.stop();
    EXPECT_EQ(dialogs::CTaskDlg::LiveTaskDialog(), nullptr);
    ASSERT_TRUE(heldAtStart.has_value());
    EXPECT_TRUE(*heldAtStart) << "the send began before the typing reached the item";
    EXPECT_TRUE(TwoWindows::holds(w.b, QStringLiteral("East")));
    ASSERT_TRUE(controller.waitForBlocks(4));
    ASSERT_EQ(CContentCompiler::Compile(w.screen), 1);
    sim::Bytes data(CContentCompiler::GetProgramDataSize(w.screen));
    CContentCompiler::CopyProgramData(w.screen, data.data(), data.size());
    CContentCompiler::FreeBuffers(w.screen);
    const std::vector<sim::Block> sent = controller.blocks();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[3].data, data);

    // F6 at once: the preview starts from the item as typed.
    w.typeInto(w.a, QStringLiteral("West"));
    int previews = 0;
    w.seams.frame().preview = [&](QWidget*, tagItemData* scene, int, int) {
        ++previews;
        EXPECT_EQ(scene, w.a.section->Parent);
        EXPECT_TRUE(TwoWindows::holds(w.a, QStringLiteral("West")));
        return 0;
    };
    QTest::keyClick(w.keys(), Qt::Key_F6);
    EXPECT_EQ(previews, 1);
}

TEST(HeldEdits, ATableCellStillBeingEditedIsInTheSavedFile)
{
    TwoWindows w(1, IT_GRID);
    ASSERT_TRUE(w.ready());
    ASSERT_TRUE(w.select(w.a));
    TableKeys keys(*w.h.frame);
    ASSERT_TRUE(keys.ready());
    QTest::mouseDClick(keys.window(), Qt::LeftButton, {}, keys.centre(1, 1));
    QPlainTextEdit* edit = keys.openEditor();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "42");
    const QString file = w.h.folder + QStringLiteral("userdata/Typed.pl");
    w.seams.nextFileName(file);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    grid::CRealGrid stored;
    ASSERT_TRUE(stored.LoadFrom(storedTable(w.a.item)));
    EXPECT_EQ(stored.GetCellText(1, 1), u"42");
    EXPECT_EQ(readFile(file), storedImage(w.h.core, w.screen));
    EXPECT_NE(keys.openEditor(), nullptr);   // the edit goes on
}
