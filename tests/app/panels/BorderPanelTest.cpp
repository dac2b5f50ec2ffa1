// The border panel through its controls: width, elements added, named,
// reordered and deleted through the core, their values and custom picture.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/IconButton.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyBorder.h"
#include "app/panels/PropertyPages.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"
#include "support/TreeBuilder.h"

#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>

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

QString nameOf(const DynFrameElement* e)
{
    return QString::fromUtf16(e->Name);
}

QStringList namesOf(const DynFrame* f)
{
    QStringList out;
    for (const DynFrameElement* e = f->First; e; e = e->Next)
        out << nameOf(e);
    return out;
}

QStringList rowsOf(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

class BorderPanel : public ::testing::Test {
protected:
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* scene = nullptr;
    QWidget parent;
    CPropertyBorder* panel = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(paneltest::loadPack("EN"));
        scene = tree.scene(tree.screen(support::ScreenSpec{128, 64}));
        parent.resize(300, 420);
        panel = new CPropertyBorder(PanelContext{core, &host}, &parent);
        ASSERT_TRUE(panel->Create(&parent));
        panel->setGeometry(0, 0, 300, 420);
        parent.show();
        platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(scene), 0);
    }
    void TearDown() override { platform::clearLangPack(); }
    DynFrame* border() const { return scene->Scene.Frame; }
    QListWidget* list() { return ctl<QListWidget>(panel, CPropertyBorder::IdList); }
};

TEST_F(BorderPanel, WidthStartsAFirstElementAndKeepsElementsWhenSetToZero)
{
    ASSERT_NE(border(), nullptr);
    choose(ctl<QComboBox>(panel, CPropertyBorder::IdWidth), 3);
    EXPECT_EQ(border()->Width, 3);
    ASSERT_EQ(border()->Count, 1);
    EXPECT_EQ(border()->First->Type, 16);
    EXPECT_EQ(nameOf(border()->First), platform::langString(41033) + "1");
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_TRUE(ctl<QWidget>(panel, CPropertyBorder::IdMotion)->isVisible());

    choose(ctl<QComboBox>(panel, CPropertyBorder::IdWidth), 0);
    EXPECT_EQ(border()->Width, 0);
    EXPECT_EQ(border()->Count, 1);
    EXPECT_FALSE(ctl<QWidget>(panel, CPropertyBorder::IdMotion)->isVisible());
    choose(ctl<QComboBox>(panel, CPropertyBorder::IdWidth), 2);
    EXPECT_EQ(border()->Count, 1);
    EXPECT_TRUE(ctl<QWidget>(panel, CPropertyBorder::IdMotion)->isVisible());
    EXPECT_FALSE(host.rectUpdated.empty());
}

TEST_F(BorderPanel, ThreeElementsWithMotionsAndAPictureReorderedAndDeleted)
{
    choose(ctl<QComboBox>(panel, CPropertyBorder::IdWidth), 4);   // starts with a solid line
    panel->addElement(1);
    panel->addElement(CPropertyBorder::kCustomPicture);
    const QString solid = platform::langString(41017), custom = platform::langString(41018);
    EXPECT_EQ(namesOf(border()), (QStringList{solid + "1", solid + "2", custom + "1"}));
    EXPECT_EQ(rowsOf(list()), namesOf(border()));

    // Values of the selected (custom) element.
    DynFrameElement* pic = panel->selectedElement();
    ASSERT_EQ(pic->Type, 255);
    choose(ctl<QComboBox>(panel, CPropertyBorder::IdMotion), 3);
    EXPECT_EQ(pic->Motion, 2);
    typeInto(ctl<QLineEdit>(panel, CPropertyBorder::IdSpeed), "40");
    EXPECT_EQ(pic->Speed, 40);
    pic->Period = 10;
    pic->MarginRight = 2;
    typeInto(ctl<QLineEdit>(panel, CPropertyBorder::IdGap), "5");
    EXPECT_EQ(pic->MarginRight, 5);
    EXPECT_EQ(pic->Period, 13);
    typeInto(ctl<QLineEdit>(panel, CPropertyBorder::IdLength), "7");
    EXPECT_EQ(pic->Period, 12);

    // The picture goes through the core; a long path is capped.
    EXPECT_TRUE(ctl<QWidget>(panel, CPropertyBorder::IdPicture)->isVisible());
    support::SeamScope seams;
    seams.nextFileName(QStringLiteral("/srv/borders/stars.png"));
    QTest::mouseClick(ctl<QPushButton>(panel, CPropertyBorder::IdBrowse), Qt::LeftButton);
    EXPECT_EQ(CCore::GetFrameElementPicture(pic), QStringLiteral("/srv/borders/stars.png"));
    EXPECT_EQ(pic->Size(), 312 + 2 * 22);
    ctl<QLineEdit>(panel, CPropertyBorder::IdPicture)->setMaxLength(1000);
    ctl<QLineEdit>(panel, CPropertyBorder::IdPicture)->setText(QString(600, u'p'));
    EXPECT_EQ(CCore::GetFrameElementPicture(pic).size(), CPropertyBorder::kMaxPath);
    EXPECT_EQ(pic->Size(), 312 + 2 * CPropertyBorder::kMaxPath);

    // Up twice moves the picture to the head, in the core and the list.
    QTest::mouseClick(ctl<controls::CIconButton>(panel, CPropertyBorder::IdUp), Qt::LeftButton);
    QTest::mouseClick(ctl<controls::CIconButton>(panel, CPropertyBorder::IdUp), Qt::LeftButton);
    EXPECT_EQ(namesOf(border()), (QStringList{custom + "1", solid + "1", solid + "2"}));
    EXPECT_EQ(rowsOf(list()), namesOf(border()));
    QTest::mouseClick(ctl<controls::CIconButton>(panel, CPropertyBorder::IdDown), Qt::LeftButton);
    EXPECT_EQ(namesOf(border()), (QStringList{solid + "1", custom + "1", solid + "2"}));
    EXPECT_EQ(panel->selectedElement(), pic);

    // Delete asks; Cancel keeps it, OK removes it and selects the last row.
    seams.nextAnswer(QMessageBox::Cancel);
    QTest::mouseClick(ctl<controls::CIconButton>(panel, CPropertyBorder::IdDelete), Qt::LeftButton);
    EXPECT_EQ(border()->Count, 3);
    list()->setCurrentRow(0);
    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(ctl<controls::CIconButton>(panel, CPropertyBorder::IdDelete), Qt::LeftButton);
    EXPECT_EQ(namesOf(border()), (QStringList{custom + "1", solid + "2"}));
    EXPECT_EQ(list()->currentRow(), 1);
    // The freed name is given again.
    list()->setCurrentRow(1);
    panel->addElement(1);
    EXPECT_EQ(namesOf(border()), (QStringList{custom + "1", solid + "2", solid + "1"}));
    EXPECT_FALSE(host.repainted.empty());
}

TEST_F(BorderPanel, TheGlobalSceneHasNoBorder)
{
    tagItemData* global = tree.scene(scene->Parent, u"global", IT_GLOBALSCENE);
    EXPECT_EQ(platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(global), 0), 0);
    EXPECT_FALSE(ctl<QWidget>(panel, CPropertyBorder::IdWidth)->isEnabled());
    EXPECT_FALSE(list()->isVisible());
    // Nothing it holds is written through the panel afterwards.
    choose(ctl<QComboBox>(panel, CPropertyBorder::IdWidth), 2);
    EXPECT_TRUE(!global->Scene.Frame || global->Scene.Frame->Width == 0);
}

TEST(BorderShots, EachLanguage)
{
    for (const char* lang : {"EN", "CN", "TW"}) {
        ASSERT_TRUE(paneltest::loadPack(lang));
        CCore core;
        support::TreeBuilder tree;
        tagItemData* scene = tree.scene(tree.screen(support::ScreenSpec{128, 64}));
        QWidget parent;
        auto* panel = new CPropertyBorder(PanelContext{core, nullptr}, &parent);
        ASSERT_TRUE(panel->Create(&parent));
        // About the width the pane gives the panel, so the shot shows what an operator sees.
        const int width = 600;
        parent.resize(width, 420);
        panel->setGeometry(0, 0, width, 420);
        parent.show();
        platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(scene), 0);
        choose(findByControlId<QComboBox>(panel, CPropertyBorder::IdWidth), 2);
        panel->addElement(CPropertyBorder::kCustomPicture);
        QCoreApplication::processEvents();
        for (QLabel* l : panel->findChildren<QLabel*>())
            if (controls::controlId(l) && l->isVisible()) {
                EXPECT_FALSE(l->text().isEmpty()) << lang << " label " << controls::controlId(l);
            }
        const QString file = QStringLiteral("%1/border_%2.png").arg(paneltest::outputDir(), lang);
        EXPECT_TRUE(parent.grab().save(file));
        platform::clearLangPack();
    }
}

TEST_F(BorderPanel, TheWidthRowStandsApartWhileTheWidthIsZero)
{
    // Wide enough that nothing is squeezed below its size.
    parent.resize(700, 420);
    panel->setGeometry(0, 0, 700, 420);
    auto* label = ctl<QLabel>(panel, 6215);
    auto* combo = ctl<QComboBox>(panel, CPropertyBorder::IdWidth);
    const auto placed = [&] {
        panel->layout()->activate();
        return std::pair{label->pos(), combo->pos()};
    };
    const auto [labelZero, comboZero] = placed();
    choose(combo, 3);
    const auto [labelWide, comboWide] = placed();
    EXPECT_EQ(labelZero - labelWide, QPoint(14, 18));
    EXPECT_EQ(comboZero - comboWide, QPoint(16, 18));
    choose(combo, 0);
    EXPECT_EQ(placed(), std::pair(labelZero, comboZero));
    // A load places it by the loaded border's width at once.
    choose(combo, 2);
    tagItemData* other = tree.scene(scene->Parent);
    platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(other), 0);
    EXPECT_EQ(placed(), std::pair(labelZero, comboZero));
    platform::sendMessage(panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(scene), 0);
    EXPECT_EQ(placed(), std::pair(labelWide, comboWide));
}

} // namespace
