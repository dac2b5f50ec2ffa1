// The animated-text panels: the lazily stored text, the effect panel, and
// the animation-effect dialog run from it, whose frame count reaches the
// record and the compiled program.
#include "TextPanelsTestUtil.h"

#include "app/controls/IconButton.h"
#include "app/controls/RichEdit.h"
#include "app/editor/CustomGif.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/PropertyTextGif.h"
#include "core/render/NodeArea.h"
#include "core/api/TextCartoon.h"
#include "support/MessageSpy.h"
#include "support/ModalRunner.h"

#include <QPushButton>

using namespace sorvane::render;

using namespace panels;
using namespace textpaneltest;
using paneltest::choose;
using paneltest::typeInto;

namespace {
namespace tg = records::textgif;

struct Animated : TextItems {
    tagItemData* item = addItem(IT_TEXTGIF);
};

} // namespace

TEST_F(Animated, TextIsStoredOnTheTickOnlyWhenItChanged)
{
    auto* panel = make<CPropertyTextGif>();
    load(panel, item);
    // The load's own change arms the timer; its tick stores the editor's form once.
    EXPECT_TRUE(panel->isStorePending());
    panel->OnTimer();
    host.clear();
    const QString loaded = item->Item.TypeRecord->text();
    panel->OnTimer();
    EXPECT_TRUE(host.repainted.empty());

    panel->edit()->selectAll();
    QTest::keyClicks(panel->edit(), "Go");
    EXPECT_EQ(item->Item.TypeRecord->text(), loaded);   // nothing until the tick
    panel->OnTimer();
    const QString text = item->Item.TypeRecord->text();
    EXPECT_TRUE(text.contains("Go"));
    EXPECT_EQ(item->Item.TypeRecordSize, 20u + 2u * std::uint32_t(text.size()));
    EXPECT_EQ(host.repainted.size(), 1u);
    panel->OnTimer();
    EXPECT_EQ(host.repainted.size(), 1u);
}

TEST_F(Animated, TheEffectPanelKeepsAnUnknownEffectAndClampsTheParameter)
{
    item->Item.TypeRecord->set(tg::Effect, std::uint16_t(2));
    item->Item.TypeRecord->set(tg::Delay, std::uint32_t(80));
    auto* panel = make<CPropertyCoolText>();
    const auto before = paneltest::snapshot(item);
    load(panel, item);
    EXPECT_EQ(paneltest::snapshot(item), before);
    auto* effect = ctl<QComboBox>(panel, CPropertyCoolText::IdEffect);
    EXPECT_EQ(effect->currentIndex(), 0);
    EXPECT_EQ(effect->count(), 37);
    EXPECT_EQ(ctl<QLineEdit>(panel, CPropertyCoolText::IdInterval)->text(), "80");
    typeInto(ctl<QLineEdit>(panel, CPropertyCoolText::IdParameter), "9");
    EXPECT_EQ(ctl<QLineEdit>(panel, CPropertyCoolText::IdParameter)->text(), "5");
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Repeat), 5);
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Effect), 2);
    EXPECT_TRUE(host.repainted.empty());
    choose(effect, effect->findData(13));
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Effect), 13);
    EXPECT_EQ(host.repainted.size(), 1u);
    typeInto(ctl<QLineEdit>(panel, CPropertyCoolText::IdInterval), "120");
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Delay), 120u);
}

TEST_F(Animated, AnEffectChosenInTheDialogLeavesItsFrameCountInTheRecordAndProgram)
{
    item->Item.TypeRecord->set(tg::FrameCount, std::uint32_t(0));
    auto* panel = make<CPropertyCoolText>();
    load(panel, item);
    bool sawTextPanelWithoutButton = false;
    int shownFrames = 0;
    support::ModalRunner runner([&](QWidget* modal) {
        auto* dlg = qobject_cast<editor::CCustomGif*>(modal);
        ASSERT_NE(dlg, nullptr);
        auto* text = modal->findChild<CPropertyTextGif*>();
        ASSERT_NE(text, nullptr);
        auto* button = support::findByControlId<QPushButton>(text, CPropertyTextGif::IdEffectDialog);
        sawTextPanelWithoutButton = button && !button->isVisibleTo(text);
        auto* effect = modal->findChild<CPropertyGifEffect*>();
        ASSERT_NE(effect, nullptr);
        auto* combo = support::findByControlId<QComboBox>(effect, CPropertyGifEffect::IdEffect);
        choose(combo, combo->findData(13));
        typeInto(support::findByControlId<QLineEdit>(effect, CPropertyGifEffect::IdInterval), "60");
        shownFrames = dlg->frameCount();
        dlg->accept();
    });
    click(ctl<QAbstractButton>(panel, CPropertyCoolText::IdEffectDialog));
    ASSERT_TRUE(runner.answered());
    EXPECT_TRUE(sawTextPanelWithoutButton);
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Effect), 13);
    EXPECT_EQ(item->Item.TypeRecord->get(tg::Delay), 60u);

    const QSize area = sorvane::render::NodeClientRect(item).size();
    render::TextCartoon engine(area.width(), area.height());
    engine.SetText(item->Item.TypeRecord->text());
    engine.SetEffect(13);
    ASSERT_GT(engine.FrameCount(), 1);
    EXPECT_EQ(shownFrames, engine.FrameCount());
    EXPECT_EQ(item->Item.TypeRecord->get(tg::FrameCount), std::uint32_t(engine.FrameCount()));
    EXPECT_FALSE(host.repainted.empty());

    core.Paint(item);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const auto& header = CContentCompiler::CompiledSlot(item, 1);
    ASSERT_GE(header.size(), 20u);
    const auto u32 = [&](std::size_t at) {
        return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | std::uint32_t(header[at + 3]) << 24;
    };
    EXPECT_EQ(u32(0), std::uint32_t(engine.FrameCount()) * (1 + item->Item.TypeRecord->get(tg::Repeat)));
    EXPECT_EQ(u32(16), 60u);
}

TEST_F(Animated, StoredTextTellsTheDialogThatEmbedsThePanel)
{
    support::MessageSpy target;
    target.watch(spine::WM_GIFTEXT_CHANGED);
    auto* panel = new CPropertyTextGif(PanelContext{core, &host}, nullptr);
    panel->setEffectButtonShown(false);
    panel->setNotifyTarget(&target);
    panel->Create(&parent);
    load(panel, item);
    panel->OnTimer();
    panel->edit()->selectAll();
    QTest::keyClicks(panel->edit(), "Z");
    panel->OnTimer();
    EXPECT_GE(target.count(spine::WM_GIFTEXT_CHANGED), 1);
    EXPECT_FALSE(support::findByControlId<QPushButton>(panel, CPropertyTextGif::IdEffectDialog)->isVisibleTo(panel));
}
