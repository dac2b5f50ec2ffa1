// One test over every panel: a load writes nothing back, an unloaded panel
// writes nothing, and each control writes its own field and repaints, or
// not, as its panel says.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/RichEdit.h"
#include "app/panels/PropertyClockDigit.h"
#include "app/panels/PropertyClockSimul.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/PropertyBorder.h"
#include "app/panels/PropertyCount.h"
#include "app/panels/PropertyGrid.h"
#include "app/controls/IconButton.h"
#include "app/editor/GridEditor.h"
#include "app/gridwin/GridWindow.h"
#include "grid/RealGrid.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyImg.h"
#include "app/panels/PropertyText.h"
#include "app/panels/PropertyTextGif.h"
#include "app/panels/PropertyTextSingleLine.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScreenInfo.h"
#include "app/panels/PropertySection.h"
#include "app/panels/PropertyScenePlayMode.h"
#include "app/panels/PropertySceneShow.h"
#include "app/panels/PropertySceneTimer.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"
#include "core/api/ItemRecord.h"
#include "core/api/TypeRecords.h"
#include "core/model/Utilities.h"
#include "support/TreeBuilder.h"
#include "support/SeamScope.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QMenu>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <span>

#include <gtest/gtest.h>

using namespace panels;
using paneltest::choose;
using paneltest::typeInto;
using support::findByControlId;

namespace {

struct Fixture {
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* textWnd = nullptr;
    tagItemData* listWnd = nullptr;
    tagItemData* text = nullptr;

    Fixture()
    {
        screen = tree.screen(support::ScreenSpec{128, 64});
        scene = tree.scene(screen);
        textWnd = tree.section(scene, QRect(0, 0, 64, 32), u"text", IT_WND_TEXT);
        text = tree.item(textWnd, IT_TEXT, u"rich");
        listWnd = tree.section(scene, QRect(64, 0, 64, 32), u"list", IT_WND_PROGLIST);
        tree.item(listWnd, IT_IMAGE, u"picture");
        tree.item(listWnd, IT_TEXT, u"words");
    }
    PanelContext ctx() { return PanelContext{core, &host}; }
};

// One control of a panel: how the test works it, and what it must leave.
struct Probe {
    const char* what;
    std::function<void(CPanelBase*)> drive;
    std::function<void(tagItemData*)> verify;
    bool repaints;
};

struct PanelCase {
    const char* name;
    std::function<CPanelBase*(PanelContext, QWidget*)> make;
    std::function<tagItemData*(Fixture&)> node;
    std::vector<Probe> probes;
};

template <typename W>
W* ctl(CPanelBase* p, int id)
{
    W* w = findByControlId<W>(p, id);
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

void click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

std::uint32_t remoteDay(CCore& core, QDate d)
{
    SYSTEMTIME t;
    t.wYear = std::uint16_t(d.year());
    t.wMonth = std::uint16_t(d.month());
    t.wDay = std::uint16_t(d.day());
    return core.PCToRemoteTime(t);
}

std::vector<PanelCase> allPanels()
{
    std::vector<PanelCase> cases;
    cases.push_back({"ScreenInfo", [](PanelContext c, QWidget* w) { return new CPropertyScreenInfo(c, w); },
                     [](Fixture& f) { return f.screen; }, {}});

    cases.push_back(
        {"ScreenComm", [](PanelContext c, QWidget* w) { return new CPropertyScreenComm(c, w); },
         [](Fixture& f) { return f.screen; },
         {
             {"link type", [](CPanelBase* p) { choose(ctl<QComboBox>(p, 6192), 2); },
              [](tagItemData* n) { EXPECT_EQ(n->Global.CommType, 2u); }, false},
             {"port", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6203), "5005"); },
              [](tagItemData* n) { EXPECT_EQ(n->Global.HostPort, 5005); }, false},
             {"ip", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6270), "10.0.0.7"); },
              [](tagItemData* n) { EXPECT_STREQ(n->Global.Host, "10.0.0.7"); }, false},
             {"by name", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6271)); },
              [](tagItemData* n) {
                  EXPECT_EQ(n->Global.HostKind, 1);
                  EXPECT_STREQ(n->Global.Host, "");
              },
              false},
             {"host name", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6272), "panel.local"); },
              [](tagItemData* n) { EXPECT_STREQ(n->Global.Host, "panel.local"); }, false},
             {"baud", [](CPanelBase* p) {
                  choose(ctl<QComboBox>(p, 6192), 0);
                  auto* baud = ctl<QComboBox>(p, 6187);
                  choose(baud, baud->findText("57600"));
              },
              [](tagItemData* n) {
                  EXPECT_EQ(n->Global.CommType, 0u);
                  EXPECT_EQ(n->Global.BaudRate, 57600u);
              },
              false},
             {"mac", [](CPanelBase* p) {
                  choose(ctl<QComboBox>(p, 6192), 1);
                  auto* mac = ctl<QLineEdit>(p, 6200);
                  mac->setFocus();
                  QTest::keyClick(mac, Qt::Key_Home);
                  QTest::keyClicks(mac, "0a1b2c3d4e5f");
              },
              [](tagItemData* n) {
                  const std::uint8_t want[6] = {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
                  EXPECT_EQ(std::memcmp(n->Global.DstMAC, want, 6), 0);
              },
              false},
         }});

    cases.push_back(
        {"SceneShow", [](PanelContext c, QWidget* w) { return new CPropertySceneShow(c, w); },
         [](Fixture& f) { return f.scene; },
         {
             {"mode", [](CPanelBase* p) { choose(ctl<QComboBox>(p, 6234), 1); },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.PictureMode, 1); }, true},
             {"option", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6244)); },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.DisplayOption & 1, 0); }, false},
             {"path", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6232), "/tmp/b.png"); },
              [](tagItemData* n) {
                  EXPECT_EQ(QString::fromUtf16(n->Scene.PicturePath), "/tmp/b.png");
                  EXPECT_EQ(n->Scene.PicturePresent, 0);
              },
              true},
         }});

    cases.push_back(
        {"ScenePlayMode", [](PanelContext c, QWidget* w) { return new CPropertyScenePlayMode(c, w); },
         [](Fixture& f) { return f.scene; },
         {
             {"play once", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, 6523)); },
              [](tagItemData* n) { EXPECT_EQ(std::uint32_t(n->PlayTime), 0xFFFF0000u); }, false},
             {"repeat", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, 6522)); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, -1); }, false},
             {"timed", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, 6524)); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 60000); }, false},
             {"time", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6179), "1234"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 1234); }, false},
         }});

    cases.push_back(
        {"SceneTimer", [](PanelContext c, QWidget* w) { return new CPropertySceneTimer(c, w); },
         [](Fixture& f) { return f.scene; },
         {
             {"weekdays on", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6152)); },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.Schedule, 2); }, false},
             {"sunday", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6236)); },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.ScheduleWeekdays, 1); }, false},
             {"monday", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6230)); },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.ScheduleWeekdays, 3); }, false},
             {"time on keeps the times", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6153)); },
              [](tagItemData* n) {
                  EXPECT_EQ(n->Scene.Schedule, 6);
                  EXPECT_EQ(n->Scene.StartTime, 0);
                  EXPECT_EQ(n->Scene.EndTime, 0);
              },
              false},
             // Each time is reached from the minute before: a load shows the
             // current time, which may be the one the probe sets.
             {"start", [](CPanelBase* p) {
                  ctl<QTimeEdit>(p, 6228)->setTime(QTime(7, 29));
                  ctl<QTimeEdit>(p, 6228)->setTime(QTime(7, 30));
              },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.StartTime, (7 << 8) | 30); }, false},
             {"end", [](CPanelBase* p) {
                  ctl<QTimeEdit>(p, 6229)->setTime(QTime(22, 4));
                  ctl<QTimeEdit>(p, 6229)->setTime(QTime(22, 5));
              },
              [](tagItemData* n) { EXPECT_EQ(n->Scene.EndTime, (22 << 8) | 5); }, false},
             {"date", [](CPanelBase* p) {
                  click(ctl<QCheckBox>(p, 6151));
                  ctl<QDateEdit>(p, 6226)->setDate(QDate(2027, 3, 4));
              },
              [](tagItemData* n) {
                  CCore core;
                  EXPECT_EQ(n->Scene.Schedule, 7);
                  EXPECT_EQ(n->Scene.ScheduleDate, remoteDay(core, QDate(2027, 3, 4)));
              },
              false},
             {"date off", [](CPanelBase* p) { click(ctl<QCheckBox>(p, 6151)); },
              [](tagItemData* n) {
                  EXPECT_EQ(n->Scene.Schedule, 6);
                  EXPECT_EQ(n->Scene.ScheduleDate, 0u);
              },
              false},
         }});

    cases.push_back(
        {"Section", [](PanelContext c, QWidget* w) { return new CPropertySection(c, w); },
         [](Fixture& f) { return f.textWnd; },
         {
             {"x", [](CPanelBase* p) { typeInto(ctl<QSpinBox>(p, 6092), "8"); },
              [](tagItemData* n) { EXPECT_EQ(n->Section.RectX, 8); }, true},
             {"width", [](CPanelBase* p) { typeInto(ctl<QSpinBox>(p, 6096), "33"); },
              [](tagItemData* n) { EXPECT_EQ(n->Section.RectW, 34); }, true},
             {"height", [](CPanelBase* p) { typeInto(ctl<QSpinBox>(p, 6098), "15"); },
              [](tagItemData* n) { EXPECT_EQ(n->Section.RectH, 16); }, true},
         }});

    cases.push_back(
        {"ProgList", [](PanelContext c, QWidget* w) { return new CPropertyProgList(c, w); },
         [](Fixture& f) { return f.listWnd; },
         {
             {"add", [](CPanelBase* p) {
                  support::SeamScope seams;
                  seams->popupMenu = [](QMenu* m, const QPoint&) { return m->actions().value(1); };
                  click(ctl<QAbstractButton>(p, CPropertyProgList::IdAdd));
              },
              [](tagItemData* n) {
                  EXPECT_EQ(CCore::GetChildNum(n), 3);
                  EXPECT_EQ(n->FirstChild->NextSibling->Item.TypeCode, IT_TEXT);
              },
              false},
             {"down", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyProgList::IdDown)); },
              [](tagItemData* n) { EXPECT_EQ(n->FirstChild->NextSibling->NextSibling->Item.TypeCode, IT_TEXT); },
              false},
         }});

    cases.push_back(
        {"EffectText", [](PanelContext c, QWidget* w) { return new CPropertyEffectText(c, w); },
         [](Fixture& f) { return f.text; },
         {
             {"entry", [](CPanelBase* p) {
                  auto* c = ctl<QComboBox>(p, 6110);
                  choose(c, c->findData(3));
              },
              [](tagItemData* n) { EXPECT_EQ(n->InEffect, 3); }, false},
             {"exit", [](CPanelBase* p) { choose(ctl<QComboBox>(p, 6113), 1); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.OutEffect, 0); }, false},
             {"entry speed clamped up", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6111), "0"); },
              [](tagItemData* n) { EXPECT_EQ(n->InSpeed, 1); }, false},
             {"exit speed clamped down", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6112), "70000"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.OutSpeed, 65535); }, false},
             {"stay", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, 6114), "4500"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 4500); }, false},
             {"stay refuses a negative", [](CPanelBase* p) {
                  ctl<QLineEdit>(p, 6114)->setText("-20");
              },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 0); }, false},
         }});
    cases.push_back(
        {"TextSingleLine", [](PanelContext c, QWidget* w) { return new CPropertyTextSingleLine(c, w); },
         [](Fixture& f) { return f.tree.item(f.listWnd, IT_SINGLELINE, u"line"); },
         {
             {"text", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyTextSingleLine::IdText), "abc"); },
              [](tagItemData* n) {
                  EXPECT_EQ(n->Item.TypeRecord->text(), "abc");
                  EXPECT_EQ(n->Item.TypeRecordSize, 118u);
              },
              true},
             {"bold", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyTextSingleLine::IdBold)); },
              [](tagItemData* n) {
                  const int w = n->Item.TypeRecord->get(records::singleline::TextFont).lfWeight;
                  EXPECT_TRUE(w == 700 || w == 100) << w;
              },
              true},
             {"size", [](CPanelBase* p) { typeInto(ctl<QComboBox>(p, CPropertyTextSingleLine::IdSize), "20"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::singleline::TextFont).lfHeight, 20); },
              true},
         }});

    cases.push_back(
        {"Img", [](PanelContext c, QWidget* w) { return new CPropertyImg(c, w); },
         [](Fixture& f) { return f.listWnd->FirstChild; },
         {
             {"mode", [](CPanelBase* p) { choose(ctl<QComboBox>(p, CPropertyImg::IdMode), 1); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::picture::Mode), 1); }, true},
             {"path", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyImg::IdPath), "/tmp/none.png"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::picture::Path), "/tmp/none.png"); },
              true},
             {"stay", [](CPanelBase* p) { ctl<QLineEdit>(p, CPropertyImg::IdStay)->setText("250"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 250); }, false},
         }});

    cases.push_back(
        {"Text", [](PanelContext c, QWidget* w) { return new CPropertyText(c, w); },
         [](Fixture& f) { return f.text; },
         {
             {"typed", [](CPanelBase* p) {
                  auto* e = static_cast<CPropertyText*>(p)->edit();
                  QTest::keyClicks(e, "xyz");
              },
              [](tagItemData* n) {
                  EXPECT_TRUE(n->Item.TypeRecord->text().contains("xyz"));
                  EXPECT_EQ(n->Item.TypeRecordSize, 276u + 2u * std::uint32_t(n->Item.TypeRecord->text().size()));
              },
              true},
             {"wrap", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyText::IdWrap)); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::richtext::Wrap), 1); }, true},
         }});

    cases.push_back(
        {"TextGif", [](PanelContext c, QWidget* w) { return new CPropertyTextGif(c, w); },
         [](Fixture& f) { return f.tree.item(f.textWnd, IT_TEXTGIF, u"anim"); },
         {
             {"typed", [](CPanelBase* p) {
                  auto* panel = static_cast<CPropertyTextGif*>(p);
                  QTest::keyClicks(panel->edit(), "moving");
                  panel->OnTimer();
              },
              [](tagItemData* n) {
                  EXPECT_TRUE(n->Item.TypeRecord->text().contains("moving"));
                  EXPECT_EQ(n->Item.TypeRecordSize, 20u + 2u * std::uint32_t(n->Item.TypeRecord->text().size()));
              },
              true},
         }});

    cases.push_back(
        {"CoolText", [](PanelContext c, QWidget* w) { return new CPropertyCoolText(c, w); },
         [](Fixture& f) { return f.tree.item(f.textWnd, IT_TEXTGIF, u"anim"); },
         {
             {"effect", [](CPanelBase* p) {
                  auto* c = ctl<QComboBox>(p, CPropertyCoolText::IdEffect);
                  choose(c, c->findData(41));
              },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::textgif::Effect), 41); }, true},
             {"interval", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyCoolText::IdInterval), "70"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::textgif::Delay), 70u); }, false},
             {"stay", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyCoolText::IdStay), "40000"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 32767); }, false},
         }});

    cases.push_back(
        {"ClockDigit", [](PanelContext c, QWidget* w) { return new CPropertyClockDigit(c, w); },
         [](Fixture& f) { return f.tree.item(f.textWnd, IT_CLOCKDIGIT, u"digital"); },
         {
             {"style", [](CPanelBase* p) { choose(ctl<QComboBox>(p, CPropertyClockDigit::IdStyle), 2); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::clockdigit::DateFormat), 2u); }, true},
             {"scroll", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyClockDigit::IdEffectScroll)); },
              [](tagItemData* n) { EXPECT_EQ(n->InEffect, 45); }, true},
             {"speed", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyClockDigit::IdSpeed), "120"); },
              [](tagItemData* n) { EXPECT_EQ(n->InSpeed, 120); }, false},
             {"stay", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyClockDigit::IdStay), "900"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 900); }, false},
         }});

    cases.push_back(
        {"ClockSimul", [](PanelContext c, QWidget* w) { return new CPropertyClockSimul(c, w); },
         [](Fixture& f) { return f.tree.item(f.textWnd, IT_CLOCKSIMUL, u"analog"); },
         {
             {"date", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyClockSimul::IdDate)); },
              [](tagItemData* n) { EXPECT_TRUE(n->Item.TypeRecord->get(records::clocksimul::FaceFlags) & 2); }, true},
             {"hour width", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyClockSimul::IdHourWidth), "3"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::clocksimul::HourWidth), 3u); }, true},
             {"stay", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyClockSimul::IdStay), "700"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 700); }, false},
         }});

    cases.push_back(
        {"Count", [](PanelContext c, QWidget* w) { return new CPropertyCount(c, w); },
         [](Fixture& f) {
             tagItemData* n = f.tree.item(f.textWnd, IT_COUNT, u"counter");
             SYSTEMTIME t;
             t.wYear = 2027, t.wMonth = 1, t.wDay = 2, t.wHour = 3;
             n->Item.TypeRecord->set(records::counter::Target, f.core.PCToRemoteTime(t));
             return n;
         },
         {
             {"text", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyCount::IdText), "Sale"); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::counter::Title), "Sale"); }, true},
             {"seconds off", [](CPanelBase* p) { click(ctl<QAbstractButton>(p, CPropertyCount::IdSeconds)); },
              [](tagItemData* n) { EXPECT_EQ(n->Item.TypeRecord->get(records::counter::Units) & 0x40, 0u); }, true},
             {"stay", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyCount::IdStay), "800"); },
              [](tagItemData* n) { EXPECT_EQ(n->PlayTime, 800); }, false},
         }});
    cases.push_back(
        {"Border", [](PanelContext c, QWidget* w) { return new CPropertyBorder(c, w); },
         [](Fixture& f) { return f.scene; },
         {
             {"width", [](CPanelBase* p) { choose(ctl<QComboBox>(p, CPropertyBorder::IdWidth), 3); },
              [](tagItemData* n) {
                  ASSERT_NE(n->Scene.Frame, nullptr);
                  EXPECT_EQ(n->Scene.Frame->Width, 3);
                  EXPECT_EQ(n->Scene.Frame->Count, 1);
              },
              true},
             {"speed", [](CPanelBase* p) { typeInto(ctl<QLineEdit>(p, CPropertyBorder::IdSpeed), "40"); },
              [](tagItemData* n) {
                  ASSERT_TRUE(n->Scene.Frame && n->Scene.Frame->First);
                  EXPECT_EQ(n->Scene.Frame->First->Speed, 40);
              },
              false},
         }});

    // The table's grid reports its changes later; the probes let them arrive.
    auto gridOf = [](CPanelBase* p) { return static_cast<CPropertyGrid*>(p)->gridWindow(); };
    auto storedGrid = [](tagItemData* n) {
        auto g = std::make_unique<grid::CRealGrid>();
        const QByteArray& file = n->Item.TypeRecord->memFile();
        EXPECT_TRUE(g->LoadFrom({reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())}));
        EXPECT_EQ(n->Item.TypeRecordSize, records::table::Size + std::size_t(file.size()));
        return g;
    };
    cases.push_back(
        {"Grid", [](PanelContext c, QWidget* w) { return new CPropertyGrid(c, w); },
         [](Fixture& f) {
             // A table as the panel itself stores it, so a load rewrites the same bytes.
             tagItemData* t = f.tree.item(f.listWnd, IT_GRID, u"table");
             grid::CRealGrid g;
             g.ResetToDefault();
             editor::writeHeaderLabels(g);
             std::vector<std::uint8_t> stream;
             g.SaveTo(stream);
             records::SetItemTableStream(t, QByteArray(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size())));
             return t;
         },
         {
             {"bold", [gridOf](CPanelBase* p) {
                  gridOf(p)->moveCurrentCell(1, 1);
                  click(ctl<controls::CIconButton>(p, CPropertyGrid::IdBold));
                  QCoreApplication::processEvents();
              },
              [storedGrid](tagItemData* n) {
                  LOGFONT font;
                  EXPECT_TRUE(storedGrid(n)->GetCellFont(1, 1, font));
                  EXPECT_EQ(font.lfWeight, 700);
              },
              true},
             {"merge", [gridOf](CPanelBase* p) {
                  gridOf(p)->selectRange(1, 2, 2, 3);
                  click(ctl<controls::CIconButton>(p, CPropertyGrid::IdMerge));
                  QCoreApplication::processEvents();
              },
              [storedGrid](tagItemData* n) { EXPECT_TRUE(storedGrid(n)->IsMergeAnchor(1, 2)); }, true},
         }});
    return cases;
}

class PanelProtocol : public ::testing::TestWithParam<std::size_t> {
protected:
    PanelCase c = allPanels()[GetParam()];
    Fixture f;
    QWidget parent;
    CPanelBase* panel = nullptr;

    void SetUp() override
    {
        // Lists filled from the pack (the border widths) need it.
        ASSERT_TRUE(paneltest::loadPack("EN"));
        parent.resize(600, 300);
        panel = c.make(f.ctx(), &parent);
        ASSERT_TRUE(panel->Create(&parent));
        panel->setGeometry(0, 0, 600, 300);
        parent.show();
    }
    void TearDown() override { platform::clearLangPack(); }
    int load(tagItemData* n)
    {
        return int(platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(n), 0));
    }
};

TEST_P(PanelProtocol, LoadLeavesTheNodeAndItsRecordByteIdentical)
{
    tagItemData* n = c.node(f);
    const auto before = paneltest::snapshot(n);
    load(n);
    EXPECT_TRUE(f.host.repainted.empty());
    // Also once the notices the load posted have arrived (a table's repaint it).
    QCoreApplication::processEvents();
    EXPECT_EQ(paneltest::snapshot(n), before);
    // A second load over the first leaves it as well.
    load(n);
    QCoreApplication::processEvents();
    EXPECT_EQ(paneltest::snapshot(n), before);
}

TEST_P(PanelProtocol, EditsBeforeAnyLoadOrAfterANullLoadChangeNothing)
{
    tagItemData* n = c.node(f);
    const auto before = paneltest::snapshot(n);
    const auto sceneBefore = paneltest::snapshot(f.scene);
    for (const Probe& p : c.probes)
        p.drive(panel);
    load(nullptr);
    for (const Probe& p : c.probes)
        p.drive(panel);
    EXPECT_EQ(paneltest::snapshot(n), before);
    EXPECT_EQ(paneltest::snapshot(f.scene), sceneBefore);
    EXPECT_EQ(f.host.canvasCalls(), 0u);
}

TEST_P(PanelProtocol, EachControlWritesItsFieldAndRepaintsAsItsPanelSays)
{
    tagItemData* n = c.node(f);
    load(n);
    for (const Probe& p : c.probes) {
        SCOPED_TRACE(p.what);
        f.host.clear();
        p.drive(panel);
        p.verify(n);
        EXPECT_EQ(f.host.canvasCalls() > 0, p.repaints);
    }
}

TEST_P(PanelProtocol, ADeletionNoticeStopsAllWrites)
{
    tagItemData* n = c.node(f);
    load(n);
    panel->OnNodeDeleting(f.screen);
    const auto before = paneltest::snapshot(n);
    for (const Probe& p : c.probes)
        p.drive(panel);
    EXPECT_EQ(paneltest::snapshot(n), before);
}

INSTANTIATE_TEST_SUITE_P(AllPanels, PanelProtocol, ::testing::Range<std::size_t>(0, allPanels().size()),
                         [](const auto& info) { return std::string(allPanels()[info.param].name); });

} // namespace

TEST(FieldBindings, EachWritesWhatItReadsWithinItsFieldsRange)
{
    support::TreeBuilder tree;
    tagItemData* scene = tree.scene(tree.screen());
    tagItemData* item = tree.item(tree.section(scene), IT_TEXT);
    for (const FieldBinding& b : CPropertyEffectText::bindings()) {
        SCOPED_TRACE(b.controlId);
        EXPECT_FALSE(b.repaint);
        b.write(*item, 12);
        EXPECT_EQ(b.read(*item), 12);
    }
    const FieldBinding& stay = bindingOf(CPropertyEffectText::bindings(), CPropertyEffectText::IdStay);
    stay.write(*item, -5);
    EXPECT_EQ(stay.read(*item), 0);
    const FieldBinding& speed = bindingOf(CPropertyEffectText::bindings(), CPropertyEffectText::IdEntrySpeed);
    speed.write(*item, 0);
    EXPECT_EQ(speed.read(*item), 1);
    speed.write(*item, 1 << 20);
    EXPECT_EQ(speed.read(*item), 65535);

    // Every other table, on an item of its panel's kind.
    const std::pair<std::uint16_t, std::span<const FieldBinding>> tables[] = {
        {IT_CLOCKDIGIT, CPropertyClockDigit::bindings()}, {IT_CLOCKSIMUL, CPropertyClockSimul::bindings()},
        {IT_TEXTGIF, CPropertyCoolText::bindings()},      {IT_COUNT, CPropertyCount::bindings()},
        {IT_IMAGE, CPropertyImg::bindings()},             {IT_SINGLELINE, CPropertyTextSingleLine::bindings()},
        {IT_TEXT, CPropertyText::bindings()},
    };
    for (const auto& [kind, table] : tables) {
        tagItemData* n = tree.item(tree.section(scene), kind);
        std::set<int> ids;
        for (const FieldBinding& b : table) {
            SCOPED_TRACE(b.controlId);
            EXPECT_TRUE(ids.insert(b.controlId).second);
            for (qint64 v : {1, 0, 1}) {
                b.write(*n, v);
                EXPECT_EQ(b.read(*n), v);
            }
        }
    }

    EXPECT_TRUE(CPropertySceneShow::kModeBinding.repaint);
    EXPECT_FALSE(CPropertySceneShow::kOptionBinding.repaint);
    scene->Scene.DisplayOption = 0xF0;
    CPropertySceneShow::kOptionBinding.write(*scene, 1);
    EXPECT_EQ(scene->Scene.DisplayOption, 0xF1);
    CPropertySceneShow::kOptionBinding.write(*scene, 0);
    EXPECT_EQ(scene->Scene.DisplayOption, 0xF0);
}

TEST(FieldBindings, SceneScreenAndBorderTablesKeepToTheirFields)
{
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen();
    tagItemData* scene = tree.scene(screen);
    const std::pair<tagItemData*, std::span<const FieldBinding>> tables[] = {
        {scene, CPropertySceneTimer::bindings()},
        {scene, {&CPropertyScenePlayMode::kPlayTimeBinding, 1}},
        {screen, CPropertyScreenComm::bindings()},
    };
    for (const auto& [node, table] : tables) {
        std::set<int> ids;
        for (const FieldBinding& b : table) {
            SCOPED_TRACE(b.controlId);
            EXPECT_TRUE(ids.insert(b.controlId).second);
            EXPECT_FALSE(b.repaint);
            for (qint64 v : {1, 0, 1}) {
                b.write(*node, v);
                // A port of 0 reaches nothing: the field keeps 1.
                EXPECT_EQ(b.read(*node), b.controlId == CPropertyScreenComm::IdPort ? 1 : v);
            }
        }
    }
    // Each weekday box owns its bit and the switches theirs.
    scene->Scene.Schedule = 0;
    scene->Scene.ScheduleWeekdays = 0;
    for (int box = 0; box < 7; ++box)
        bindingOf(CPropertySceneTimer::bindings(), CPropertySceneTimer::IdFirstDay + box).write(*scene, 1);
    EXPECT_EQ(scene->Scene.ScheduleWeekdays, 0x7F);
    bindingOf(CPropertySceneTimer::bindings(), CPropertySceneTimer::IdFirstDay + 6).write(*scene, 0);
    EXPECT_EQ(scene->Scene.ScheduleWeekdays, 0x7E);   // the last box is Sunday, bit 0
    bindingOf(CPropertySceneTimer::bindings(), CPropertySceneTimer::IdTimeOn).write(*scene, 1);
    EXPECT_EQ(scene->Scene.Schedule, 4);
    bindingOf(CPropertySceneTimer::bindings(), CPropertySceneTimer::IdStart).write(*scene, CPropertySceneTimer::packTime(23, 59));
    EXPECT_EQ(scene->Scene.StartTime, 0x173B);
    const FieldBinding& port = bindingOf(CPropertyScreenComm::bindings(), CPropertyScreenComm::IdPort);
    port.write(*screen, 70000);
    EXPECT_EQ(screen->Global.HostPort, 65535);

    // The screen's information is only read.
    screen->Global.ID = 7;
    screen->Global.Type = 13;
    for (const FieldBinding& b : CPropertyScreenInfo::bindings())
        EXPECT_EQ(b.write, nullptr) << b.controlId;
    EXPECT_EQ(bindingOf(CPropertyScreenInfo::bindings(), CPropertyScreenInfo::IdAddress).read(*screen), 7);
    EXPECT_EQ(bindingOf(CPropertyScreenInfo::bindings(), CPropertyScreenInfo::IdWorkMode).read(*screen), 13);

    // A border element: a new gap keeps the length shown; values are held to their ranges.
    DynFrameElement e;
    e.Period = 30;
    e.MarginRight = 10;
    const auto elem = CPropertyBorder::elementBindings();
    const auto field = [&](int id) -> const CPropertyBorder::ElementBinding& { return bindingOf(elem, id); };
    field(CPropertyBorder::IdGap).write(e, 4);
    EXPECT_EQ(e.MarginRight, 4);
    EXPECT_EQ(field(CPropertyBorder::IdLength).read(e), 20);
    field(CPropertyBorder::IdLength).write(e, 5000);
    EXPECT_EQ(e.Period, 4096);
    field(CPropertyBorder::IdSpeed).write(e, 0);
    EXPECT_EQ(e.Speed, 1);
    field(CPropertyBorder::IdStay).write(e, 20000);
    EXPECT_EQ(e.Duration, 10000u);
    field(CPropertyBorder::IdMotion).write(e, 3);
    EXPECT_EQ(field(CPropertyBorder::IdMotion).read(e), 3);
    EXPECT_TRUE(field(CPropertyBorder::IdLength).repaint && field(CPropertyBorder::IdGap).repaint);
    EXPECT_FALSE(field(CPropertyBorder::IdSpeed).repaint || field(CPropertyBorder::IdStay).repaint);
}
