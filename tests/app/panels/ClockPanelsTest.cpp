// The clock and counter panels driven through their controls: each change
// lands in its record field or node field and repaints the item; texts and
// paths stay terminated inside their fixed fields.
#include <algorithm>
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/panels/FontChoice.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyClockDigit.h"
#include "app/panels/PropertyClockSimul.h"
#include "app/panels/PropertyCount.h"
#include "app/panels/PropertyPages.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"
#include "support/SeamScope.h"
#include "support/TreeBuilder.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimeEdit>

#include <gtest/gtest.h>

using namespace panels;
using paneltest::choose;
using paneltest::typeInto;
using support::findByControlId;

namespace {

template <typename W>
W* ctl(QWidget* p, int id)
{
    W* w = findByControlId<W>(p, id);
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

void click(QAbstractButton* b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

// The bytes of a wide field straight from the stored record image.
std::u16string rawField(const ItemRecord& r, records::Chars f)
{
    std::u16string out(f.Count, u'\0');
    std::memcpy(out.data(), r.data() + f.Offset, 2 * f.Count);
    return out;
}

class ClockPanels : public ::testing::Test {
protected:
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* section = nullptr;
    QWidget parent;
    support::SeamScope seamScope;

    void SetUp() override
    {
        ASSERT_TRUE(paneltest::loadPack("EN"));
        section = tree.section(tree.scene(tree.screen(support::ScreenSpec{128, 64})), QRect(0, 0, 128, 64), u"clock",
                               IT_WND_CLOCKDIGIT);
        parent.resize(640, 360);
        parent.show();
    }
    void TearDown() override { platform::clearLangPack(); }
    template <typename P>
    P* make()
    {
        auto* p = new P(PanelContext{core, &host}, &parent);
        EXPECT_TRUE(p->Create(&parent));
        p->setGeometry(0, 0, 640, 360);
        p->show();
        return p;
    }
    void load(CPanelBase* p, tagItemData* n)
    {
        platform::sendMessage(p, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(n), 0);
    }
    std::size_t repaintsOf(tagItemData* n) const { return std::size_t(std::count(host.repainted.begin(), host.repainted.end(), n)); }
};

TEST_F(ClockPanels, DigitalClockLayoutFontColourAndEffect)
{
    tagItemData* n = tree.item(section, IT_CLOCKDIGIT, u"digital");
    ItemRecord& r = *n->Item.TypeRecord;
    n->InEffect = 0;
    auto* p = make<CPropertyClockDigit>();
    load(p, n);
    // An unknown code shows the third radio without rewriting the code.
    EXPECT_TRUE(ctl<QRadioButton>(p, CPropertyClockDigit::IdEffectMultiLine)->isChecked());
    EXPECT_FALSE(ctl<QWidget>(p, CPropertyClockDigit::IdSpeed)->isEnabled());
    EXPECT_EQ(n->InEffect, 0);

    choose(ctl<QComboBox>(p, CPropertyClockDigit::IdStyle), 3);
    EXPECT_EQ(r.get(records::clockdigit::DateFormat), 3u);
    const std::uint32_t flags = r.get(records::clockdigit::ShowFlags);
    click(ctl<QCheckBox>(p, CPropertyClockDigit::IdFirstPart + 3));
    EXPECT_EQ(r.get(records::clockdigit::ShowFlags), flags ^ 8u);
    click(ctl<QRadioButton>(p, CPropertyClockDigit::IdOptionA0 + 3));
    EXPECT_EQ(r.get(records::clockdigit::Hour12), 1u);
    EXPECT_EQ(r.get(records::clockdigit::TimeFormat), 0u);

    LOGFONT font = r.get(records::clockdigit::TextFont);
    SetLogFontFaceName(font, u"Serif");
    font.lfHeight = -14;
    seamScope.nextFont(font, platform::COLORREF(0x0000FF00));
    click(ctl<QPushButton>(p, CPropertyClockDigit::IdFont));
    EXPECT_EQ(LogFontFaceName(r.get(records::clockdigit::TextFont)), u"Serif");
    EXPECT_EQ(r.get(records::clockdigit::TextFont).lfHeight, -14);
    EXPECT_EQ(r.get(records::clockdigit::Colour), 0x0000FF00u);
    // Cancel keeps both.
    seamScope.nextFontCancelled();
    click(ctl<QPushButton>(p, CPropertyClockDigit::IdFont));
    EXPECT_EQ(r.get(records::clockdigit::Colour), 0x0000FF00u);

    click(ctl<QRadioButton>(p, CPropertyClockDigit::IdEffectScroll));
    EXPECT_EQ(n->InEffect, 45);
    EXPECT_EQ(r.get(records::clockdigit::MultiLine), 0u);
    EXPECT_TRUE(ctl<QWidget>(p, CPropertyClockDigit::IdSpeed)->isEnabled());
    click(ctl<QRadioButton>(p, CPropertyClockDigit::IdEffectMultiLine));
    EXPECT_EQ(n->InEffect, 46);
    EXPECT_EQ(r.get(records::clockdigit::MultiLine), 1u);
    EXPECT_FALSE(ctl<QWidget>(p, CPropertyClockDigit::IdSpeed)->isEnabled());
    EXPECT_GE(repaintsOf(n), 6u);

    // The repainted picture changes with the record.
    core.Paint(n);
    const QImage before = GetNodePicture(n).copy();
    r.set(records::clockdigit::Colour, 0x000000FFu);
    core.Paint(n);
    EXPECT_NE(GetNodePicture(n), before);

    // Reloading shows what is stored.
    load(p, n);
    EXPECT_EQ(ctl<QComboBox>(p, CPropertyClockDigit::IdStyle)->currentIndex(), 3);
    EXPECT_TRUE(ctl<QRadioButton>(p, CPropertyClockDigit::IdOptionA0 + 3)->isChecked());
    EXPECT_FALSE(ctl<QCheckBox>(p, CPropertyClockDigit::IdFirstPart + 3)->isChecked());
}

TEST_F(ClockPanels, TextsStayTerminatedInTheirFixedFields)
{
    tagItemData* digital = tree.item(section, IT_CLOCKDIGIT, u"digital");
    ItemRecord& r = *digital->Item.TypeRecord;
    const QString longText(400, u'x');
    EXPECT_TRUE(setBoundedText(r, records::clockdigit::Title, longText));
    EXPECT_EQ(r.get(records::clockdigit::Title), QString(259, u'x'));
    EXPECT_EQ(rawField(r, records::clockdigit::Title).back(), u'\0');
    // A shorter text later clears what the longer one left.
    EXPECT_TRUE(setBoundedText(r, records::clockdigit::Title, QStringLiteral("ab")));
    const std::u16string raw = rawField(r, records::clockdigit::Title);
    EXPECT_EQ(raw.substr(0, 3), std::u16string(u"ab\0", 3));
    EXPECT_EQ(raw.find_first_not_of(u'\0', 2), std::u16string::npos);

    // Through the panels: the analog clock's title and picture path, the counter's text.
    tagItemData* analog = tree.item(section, IT_CLOCKSIMUL, u"analog");
    auto* a = make<CPropertyClockSimul>();
    load(a, analog);
    support::SeamScope seams;
    seams.nextFileName(QStringLiteral("/p/") + QString(300, u'q') + QStringLiteral(".png"));
    click(ctl<QPushButton>(a, CPropertyClockSimul::IdBrowse));
    const ItemRecord& ar = *analog->Item.TypeRecord;
    EXPECT_EQ(ar.get(records::clocksimul::Picture).size(), 259);
    EXPECT_EQ(rawField(ar, records::clocksimul::Picture).back(), u'\0');
    ctl<QLineEdit>(a, CPropertyClockSimul::IdText)->setText(QString(50, u't'));
    EXPECT_EQ(ar.get(records::clocksimul::Title), QString(31, u't'));

    tagItemData* counter = tree.item(section, IT_COUNT, u"counter");
    auto* c = make<CPropertyCount>();
    load(c, counter);
    ctl<QLineEdit>(c, CPropertyCount::IdText)->setText(QString(40, u'c'));
    EXPECT_EQ(counter->Item.TypeRecord->get(records::counter::Title), QString(31, u'c'));
    EXPECT_EQ(rawField(*counter->Item.TypeRecord, records::counter::Title).back(), u'\0');
}

TEST_F(ClockPanels, AnalogClockColoursSizesAndPicture)
{
    tagItemData* n = tree.item(section, IT_CLOCKSIMUL, u"analog");
    ItemRecord& r = *n->Item.TypeRecord;
    r.set(records::clocksimul::HourMarkSize, 2u);
    auto* p = make<CPropertyClockSimul>();
    load(p, n);
    // A new face stores "no picture", a choice of its own in the list.
    auto* pictureMode = ctl<QComboBox>(p, CPropertyClockSimul::IdPictureMode);
    EXPECT_EQ(pictureMode->count(), 4);
    EXPECT_EQ(pictureMode->currentIndex(), 3);
    EXPECT_FALSE(ctl<QWidget>(p, CPropertyClockSimul::IdColour5)->isEnabled());
    EXPECT_FALSE(ctl<QWidget>(p, CPropertyClockSimul::IdMinuteMarkStyle)->isEnabled());

    // The colour buttons report their choice to the panel with their id.
    platform::sendMessage(p, spine::WM_COLOUR_SELENDOK, 0x00123456, CPropertyClockSimul::IdColour3);
    EXPECT_EQ(r.get(records::clocksimul::HourColour), 0x00123456u);
    platform::sendMessage(p, spine::WM_COLOUR_SELENDOK, 0x00ABCDEF, CPropertyClockSimul::IdColour4);
    EXPECT_EQ(r.get(records::clocksimul::HourMarkColour), 0x00ABCDEFu);

    choose(ctl<QComboBox>(p, CPropertyClockSimul::IdHourMarkStyle), 4);
    EXPECT_EQ(r.get(records::clocksimul::HourMarkStyle), 4u);
    EXPECT_EQ(r.get(records::clocksimul::HourMarkSize), 10u);

    typeInto(ctl<QLineEdit>(p, CPropertyClockSimul::IdSecondLength), "150");
    EXPECT_EQ(r.get(records::clocksimul::SecondLength), 100u);

    LOGFONT font = r.get(records::clocksimul::DateFont);
    font.lfHeight = -9;
    seamScope.nextFont(font, platform::COLORREF(0x00FF0000));
    click(ctl<QPushButton>(p, CPropertyClockSimul::IdDateFont));
    EXPECT_EQ(r.get(records::clocksimul::DateFont).lfHeight, -9);
    EXPECT_EQ(r.get(records::clocksimul::DateColour), 0x00FF0000u);

    support::SeamScope seams;
    seams.nextFileName(QStringLiteral("/srv/faces/dial.png"));
    host.clear();
    click(ctl<QPushButton>(p, CPropertyClockSimul::IdBrowse));
    EXPECT_EQ(ctl<QLineEdit>(p, CPropertyClockSimul::IdPicture)->text(), QStringLiteral("/srv/faces/dial.png"));
    EXPECT_EQ(r.get(records::clocksimul::Picture), QStringLiteral("/srv/faces/dial.png"));
    EXPECT_EQ(repaintsOf(n), 1u);
    // The chosen picture shows: stretched.
    EXPECT_EQ(r.get(records::clocksimul::PictureMode), 0u);
    EXPECT_EQ(pictureMode->currentIndex(), 0);
    choose(ctl<QComboBox>(p, CPropertyClockSimul::IdPictureMode), 1);
    EXPECT_EQ(r.get(records::clocksimul::PictureMode), 1u);

    const QImage before = (core.Paint(n), GetNodePicture(n).copy());
    r.set(records::clocksimul::HourWidth, 10u);
    core.Paint(n);
    EXPECT_NE(GetNodePicture(n), before);
}

QDateTime marchAfternoon()
{
    return QDateTime(QDate(2026, 3, 10), QTime(14, 25));
}

TEST_F(ClockPanels, CounterCountsDownToATypedMomentAndSwitchesDirection)
{
    seamScope->now = marchAfternoon;
    tagItemData* n = tree.item(section, IT_COUNT, u"counter");
    ItemRecord& r = *n->Item.TypeRecord;
    r.set(records::counter::Target, 0u);
    n->InEffect = 20;
    auto* p = make<CPropertyCount>();
    load(p, n);
    // A new counter counts down to 30 days on, at midnight.
    auto* date = ctl<QDateEdit>(p, CPropertyCount::IdDate);
    auto* time = ctl<QTimeEdit>(p, CPropertyCount::IdTime);
    EXPECT_EQ(date->date(), QDate(2026, 4, 9));
    EXPECT_EQ(time->time(), QTime(0, 0));
    SYSTEMTIME april;
    april.wYear = 2026, april.wMonth = 4, april.wDay = 9;
    EXPECT_EQ(r.get(records::counter::Target), core.PCToRemoteTime(april));
    // The moment the load stored is told, as any write; loaded again, the
    // counter writes and tells nothing.
    EXPECT_EQ(repaintsOf(n), 1u);
    host.clear();
    load(p, n);
    EXPECT_EQ(repaintsOf(n), 0u);
    EXPECT_EQ(r.get(records::counter::Target), core.PCToRemoteTime(april));
    EXPECT_EQ(n->InEffect, 20);   // an unknown code stays
    EXPECT_EQ(ctl<QLabel>(p, CPropertyCount::IdDateLabel)->text(), platform::langString(32866));

    // A moment typed into the pickers.
    date->setFocus();
    date->setDate(QDate(2026, 12, 24));
    time->setTime(QTime(18, 30, 0));
    SYSTEMTIME eve;
    eve.wYear = 2026, eve.wMonth = 12, eve.wDay = 24, eve.wHour = 18, eve.wMinute = 30;
    EXPECT_EQ(r.get(records::counter::Target), core.PCToRemoteTime(eve));
    EXPECT_GE(repaintsOf(n), 2u);

    click(ctl<QRadioButton>(p, CPropertyCount::IdEffect2));
    EXPECT_EQ(n->InEffect, 67);
    EXPECT_TRUE(ctl<QWidget>(p, CPropertyCount::IdSpeed)->isEnabled());

    // Counting up moves the effect to its family and starts from now.
    click(ctl<QRadioButton>(p, CPropertyCount::IdUp));
    EXPECT_EQ(r.get(records::counter::CountMode), 1u);
    EXPECT_EQ(n->InEffect, 77);
    SYSTEMTIME now;
    now.wYear = 2026, now.wMonth = 3, now.wDay = 10, now.wHour = 14, now.wMinute = 25;
    EXPECT_EQ(r.get(records::counter::Target), core.PCToRemoteTime(now));
    EXPECT_EQ(date->date(), QDate(2026, 3, 10));
    EXPECT_EQ(ctl<QLabel>(p, CPropertyCount::IdDateLabel)->text(), platform::langString(32864));
    // Clicking the chosen direction again keeps the effect in its family.
    click(ctl<QRadioButton>(p, CPropertyCount::IdUp));
    EXPECT_EQ(n->InEffect, 77);
    click(ctl<QRadioButton>(p, CPropertyCount::IdEffect3));
    EXPECT_EQ(n->InEffect, 78);
    EXPECT_EQ(r.get(records::counter::MultiLine), 1u);
    click(ctl<QRadioButton>(p, CPropertyCount::IdDown));
    EXPECT_EQ(n->InEffect, 68);
    EXPECT_EQ(r.get(records::counter::CountMode), 0u);

    click(ctl<QCheckBox>(p, CPropertyCount::IdDays));
    EXPECT_EQ(r.get(records::counter::Units) & records::counter::Days, 0u);
}

// The date and time pickers show one moment, the target or the start: their
// four labels (date and time of each) are four different texts in every pack.
TEST(CounterLabels, ThePickersNameTheirMomentAndPart)
{
    for (const char* lang : {"EN", "CN", "TW"}) {
        ASSERT_TRUE(paneltest::loadPack(lang));
        QSet<QString> labels;
        for (unsigned id : {32864u, 32865u, 32866u, 32867u}) {
            EXPECT_FALSE(platform::langString(id).isEmpty()) << lang << " " << id;
            EXPECT_FALSE(labels.contains(platform::langString(id))) << lang << " " << id;
            labels.insert(platform::langString(id));
        }
    }
    platform::clearLangPack();
}

TEST(CounterEffects, FamiliesFollowTheDirection)
{
    EXPECT_EQ(CPropertyCount::effectCode(0, 0), 66);
    EXPECT_EQ(CPropertyCount::effectCode(1, 2), 78);
    EXPECT_EQ(CPropertyCount::otherFamily(67), 77);
    EXPECT_EQ(CPropertyCount::otherFamily(78), 68);
    EXPECT_EQ(CPropertyCount::otherFamily(20), 20);
    EXPECT_EQ(CPropertyCount::otherFamily(69), 69);
    EXPECT_EQ(CPropertyCount::defaultMoment(0, QDateTime(QDate(2026, 12, 20), QTime(23, 59))),
              QDateTime(QDate(2027, 1, 19), QTime(0, 0)));
}

class ClockShots : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { platform::clearLangPack(); }
};

TEST_P(ClockShots, EachPanelIsLaidOutAndLabelledInTheLanguage)
{
    ASSERT_TRUE(paneltest::loadPack(GetParam()));
    CCore core;
    support::TreeBuilder tree;
    tagItemData* scene = tree.scene(tree.screen(support::ScreenSpec{128, 64}));
    tagItemData* list = tree.section(scene, QRect(0, 0, 128, 32), u"list", IT_WND_PROGLIST);
    const struct {
        const char* name;
        tagItemData* node;
    } shots[] = {{"clockdigit", tree.item(list, IT_CLOCKDIGIT, u"digital")},
                 {"clocksimul", tree.item(list, IT_CLOCKSIMUL, u"analog")},
                 {"count", tree.item(list, IT_COUNT, u"counter")}};
    CPanelProperty pane{PanelContext{core, nullptr}};
    pane.resize(1320, 420);
    pane.show();
    platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(list));
    for (const auto& s : shots) {
        platform::sendMessage(pane.windowPage(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(s.node));
        QCoreApplication::processEvents();
        // The program's pane scrolls to what its page needs; give the shot that room too.
        pane.resize(std::max(1320, pane.minimumSizeHint().width()), 420);
        QCoreApplication::processEvents();
        CPanelBase* main = pane.windowPage()->currentMain();
        ASSERT_NE(main, nullptr) << s.name;
        EXPECT_FALSE(qobject_cast<CEmptyPanel*>(main)) << s.name;
        EXPECT_EQ(main->node(), s.node);
        EXPECT_FALSE(main->title().isEmpty()) << s.name;
        for (QLabel* l : main->findChildren<QLabel*>())
            if (controls::controlId(l)) {
                EXPECT_FALSE(l->text().isEmpty()) << s.name << " label " << controls::controlId(l);
            }
        for (QAbstractButton* b : main->findChildren<QAbstractButton*>())
            if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b) || qobject_cast<QPushButton*>(b)) {
                EXPECT_FALSE(b->text().isEmpty()) << s.name << " button " << controls::controlId(b);
            }
        const QString file = QStringLiteral("%1/clock-%2_%3.png").arg(paneltest::outputDir(), s.name, GetParam());
        EXPECT_TRUE(pane.grab().save(file)) << file.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ClockShots, ::testing::Values("EN", "CN", "TW"));

} // namespace
