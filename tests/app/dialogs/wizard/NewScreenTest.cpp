// The new-screen dialog: the core's defaults, typed values clamped and
// rounded, the work-mode choice, and the three end codes.
#include "WizardTestUtil.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "app/dialogs/wizard/NewScreenDlg.h"
#include "support/MessageSpy.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace dialogs;

namespace {

// Stands in for the frame: takes the screen into the core's tree.
class Frame : public support::MessageSpy {
public:
    explicit Frame(CCore& core) : m_core(core) {}
    bool take = true;

protected:
    bool event(QEvent* e) override
    {
        if (auto* m = platform::asMessage(e, spine::WM_ITEM_MOVED)) {
            record(spine::WM_ITEM_MOVED, m->wParam(), m->lParam());
            if (take)
                m_core.ModifyItemPos(reinterpret_cast<tagItemData*>(m->wParam()), nullptr, m_core.GetScreen(0));
            return true;
        }
        return QWidget::event(e);
    }

private:
    CCore& m_core;
};

template <typename T>
T* byId(QWidget& w, int id)
{
    return support::findByControlId<T>(&w, id);
}

void type(QLineEdit* e, const QString& text)
{
    e->selectAll();
    QTest::keyClicks(e, text);
}

} // namespace

TEST(NewScreen, ApplyClampsRoundsAndDerivesTheScanMode)
{
    CCore core;
    tagItemData* s = wiztest::addScreen(core, u"s");
    s->Global.OptionBits = 0;
    ApplyNewScreenValues(s, {300, 70, 30, 17});
    EXPECT_EQ(s->Global.ID, 254);
    EXPECT_EQ(s->Global.Width, 72);
    EXPECT_EQ(s->Global.Height, 32);
    EXPECT_EQ(s->Global.Type, 17);
    unsigned short maxScan = 0, scan = 0;
    int first = 0;
    CCore::ParseLEDWorkMode(17, maxScan, scan, first);
    EXPECT_EQ(s->Global.ScanMode, scan);
    EXPECT_EQ(s->Global.OptionBits & 1, first ? 1 : 0);
    // Out of range the other way, and past the largest panel count.
    ApplyNewScreenValues(s, {0, 9999, -5, 0});
    EXPECT_EQ(s->Global.ID, 1);
    EXPECT_EQ(s->Global.Width, 4096);
    EXPECT_EQ(s->Global.Height, 4);
}

TEST(NewScreenDlg, OpensWithTheDefaultsAndCreatesWhatWasTyped)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    CCore core;
    wiztest::addScreen(core, u"old");
    Frame frame(core);
    frame.watch(spine::WM_ITEM_MOVED);
    CNewScreenDlg dlg(core, &frame);
    dlg.show();
    auto* address = byId<QLineEdit>(dlg, CNewScreenDlg::IDC_ADDRESS);
    auto* width = byId<QLineEdit>(dlg, CNewScreenDlg::IDC_WIDTH);
    auto* height = byId<QLineEdit>(dlg, CNewScreenDlg::IDC_HEIGHT);
    auto* mode = byId<QComboBox>(dlg, CNewScreenDlg::IDC_WORKMODE);
    EXPECT_EQ(address->text(), "1");
    EXPECT_EQ(width->text(), "64");
    EXPECT_EQ(height->text(), "32");
    EXPECT_TRUE(byId<QRadioButton>(dlg, CNewScreenDlg::IDC_PRESET_COLOUR)->isChecked());
    EXPECT_EQ(mode->currentData().toInt(), 17);
    EXPECT_FALSE(mode->isEnabled());
    ASSERT_EQ(mode->count(), 22);

    type(address, "300");
    EXPECT_EQ(byId<CSpinButtons>(dlg, CNewScreenDlg::IDC_ADDRESS_SPIN)->position(), 254);
    type(width, "70");
    type(height, "30");
    devicetest::click(byId<QRadioButton>(dlg, CNewScreenDlg::IDC_PRESET_MONO));
    EXPECT_EQ(mode->currentData().toInt(), 0);
    devicetest::click(byId<QRadioButton>(dlg, CNewScreenDlg::IDC_OWN));
    ASSERT_TRUE(mode->isEnabled());
    mode->setCurrentIndex(mode->findData(35));
    tagItemData* made = dlg.scratchScreen();
    QTest::mouseClick(byId<QPushButton>(dlg, CNewScreenDlg::IDC_CREATE), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), CNewScreenDlg::RESULT_CREATED);
    ASSERT_EQ(frame.count(spine::WM_ITEM_MOVED), 1);
    EXPECT_EQ(frame.messages()[0].w, reinterpret_cast<platform::WPARAM>(made));
    ASSERT_EQ(core.GetScreen(1), made);   // the frame's tree holds it, the dialog lets go
    EXPECT_EQ(made->Global.ID, 254);
    EXPECT_EQ(made->Global.Width, 72);
    EXPECT_EQ(made->Global.Height, 32);
    EXPECT_EQ(made->Global.Type, 35);
}

TEST(NewScreenDlg, SearchAndCancelLeaveNothingBehind)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    CCore core;
    tagItemData* old = wiztest::addScreen(core, u"old");
    Frame frame(core);
    frame.watch(spine::WM_ITEM_MOVED);
    {
        CNewScreenDlg dlg(core, &frame);
        dlg.show();
        QTest::mouseClick(byId<QPushButton>(dlg, CNewScreenDlg::IDC_SEARCH), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), CNewScreenDlg::RESULT_SEARCH);
    }
    {
        CNewScreenDlg dlg(core, &frame);
        dlg.show();
        QTest::mouseClick(byId<QPushButton>(dlg, CNewScreenDlg::IDC_CANCEL), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), CNewScreenDlg::RESULT_CANCELLED);
    }
    {
        CNewScreenDlg dlg(core, &frame);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), CNewScreenDlg::RESULT_CANCELLED);
    }
    {
        // A frame that does not take the screen: it is deleted with the dialog.
        frame.take = false;
        CNewScreenDlg dlg(core, &frame);
        dlg.show();
        QTest::mouseClick(byId<QPushButton>(dlg, CNewScreenDlg::IDC_CREATE), Qt::LeftButton);
    }
    EXPECT_EQ(frame.count(spine::WM_ITEM_MOVED), 1);
    EXPECT_EQ(core.GetScreen(0), old);
    EXPECT_EQ(core.GetScreen(1), nullptr);
}

TEST(NewScreenDlg, Screenshots)
{
    devicetest::PackScope packs;
    CCore core;
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        CNewScreenDlg dlg(core);
        dlg.show();
        EXPECT_EQ(dlg.windowTitle(), platform::langDialogText(CNewScreenDlg::IDD, 0));
        devicetest::saveShot(dlg, "newscreen_" + devicetest::packTag(pack));
    }
}
