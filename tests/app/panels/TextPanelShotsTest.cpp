// Pictures of the window page with each text and media panel, and of the
// animation-effect dialog with its panels, in each language, for review
// under $TAVRELO_TEST_OUTPUT/panels.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/editor/CustomGif.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyText.h"
#include "app/panels/PropertyTextGif.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"
#include "support/TreeBuilder.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace panels;

namespace {

class TextPanelShots : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { platform::clearLangPack(); }
};

} // namespace

TEST_P(TextPanelShots, EachPanelIsLaidOutAndLabelledInTheLanguage)
{
    ASSERT_TRUE(paneltest::loadPack(GetParam()));
    CCore core;
    const QString pack = QString::fromLatin1(GetParam());
    core.SetCurLang(pack.contains(QLatin1String("TW")) ? 0x7C04 : pack.contains(QLatin1String("CN")) ? 4 : 9);
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen(support::ScreenSpec{128, 64});
    tagItemData* scene = tree.scene(screen);
    tagItemData* list = tree.section(scene, QRect(0, 0, 128, 32), u"list", IT_WND_PROGLIST);
    tagItemData* line = tree.item(list, IT_SINGLELINE, u"line");
    tagItemData* rich = tree.item(list, IT_TEXT, u"rich");
    tagItemData* picture = tree.item(list, IT_IMAGE, u"picture");
    tagItemData* gif = tree.item(list, IT_GIF, u"gif");
    tagItemData* anim = tree.item(list, IT_TEXTGIF, u"anim");
    picture->Item.TypeRecord->set(records::picture::Path, QStringLiteral("/srv/pictures/logo.png"));
    gif->Item.TypeRecord->set(records::picture::Path, QStringLiteral("/srv/pictures/flag.gif"));
    gif->PlayTime = 5000;
    records::SetItemText(line, platform::langString(41010));   // as a line added in the window starts

    CPanelProperty pane{PanelContext{core, nullptr}};
    pane.resize(1320, 250);
    pane.show();
    platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(list));
    const struct {
        const char* name;
        tagItemData* node;
    } shots[] = {{"singleline", line}, {"richtext", rich}, {"picture", picture}, {"gif", gif}, {"animtext", anim}};
    for (const auto& s : shots) {
        platform::sendMessage(pane.windowPage(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(s.node));
        QCoreApplication::processEvents();
        CPanelBase* main = pane.windowPage()->currentMain();
        ASSERT_NE(main, nullptr) << s.name;
        EXPECT_FALSE(qobject_cast<CEmptyPanel*>(main)) << s.name;
        EXPECT_EQ(main->node(), s.node);
        EXPECT_FALSE(main->title().isEmpty()) << s.name;
        for (QLabel* l : main->findChildren<QLabel*>())
            if (controls::controlId(l) && l->isVisible()) {
                EXPECT_FALSE(l->text().isEmpty()) << s.name << " label " << controls::controlId(l);
            }
        if (CPanelBase* effect = pane.windowPage()->currentEffect()) {
            EXPECT_FALSE(effect->title().isEmpty()) << s.name;
        }
        const QString file = QStringLiteral("%1/text-%2_%3.png").arg(paneltest::outputDir(), s.name, GetParam());
        EXPECT_TRUE(pane.grab().save(file)) << file.toStdString();
    }

    // At the program's width the rich-text panel of a text window still gives its lists room.
    tagItemData* textWindow = tree.section(scene, QRect(0, 32, 64, 32), u"text", IT_WND_TEXT);
    tagItemData* windowText = tree.item(textWindow, IT_TEXT, u"rich");
    // The pane in the frame's scroll area, as the program has it.
    std::unique_ptr<QScrollArea> area(makePaneScroller(new CPanelProperty(PanelContext{core, nullptr}), nullptr));
    auto* framed = static_cast<CPanelProperty*>(area->widget());
    area->resize(860, 192);
    area->show();
    platform::sendMessage(framed, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(textWindow));
    platform::sendMessage(framed->windowPage(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(windowText));
    QCoreApplication::processEvents();
    CPanelBase* richPanel = framed->windowPage()->currentMain();
    ASSERT_NE(richPanel, nullptr);
    for (int id : {int(CPropertyText::IdFace), int(CPropertyText::IdSize)}) {
        auto* combo = richPanel->findChild<QComboBox*>(QString::number(id));
        ASSERT_NE(combo, nullptr) << id;
        // Its text and the drop-down arrow both show.
        EXPECT_GE(combo->width(), combo->fontMetrics().horizontalAdvance(combo->currentText()) + 30) << id;
        EXPECT_GE(combo->x(), 0) << id;
    }
    EXPECT_TRUE(area->grab().save(QStringLiteral("%1/text-richtext-narrow_%2.png").arg(paneltest::outputDir(), GetParam())));

    // The progress of a long import, with its cancel, in the language.
    QTemporaryDir dir;
    QFile big(dir.filePath("big.txt"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(200000, 'a'));
    big.close();
    auto* importer = static_cast<CPropertyText*>(richPanel);
    QSignalSpy done(importer, &CPropertyText::importFinished);
    importer->ImportFile(big.fileName());
    QProgressDialog* progress = importer->importProgress();
    ASSERT_NE(progress, nullptr);
    progress->resize(progress->sizeHint());
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), platform::langString(48333));
    EXPECT_EQ(progress->labelText(), platform::langString(48332));
    EXPECT_FALSE(cancel->text().isEmpty());
    EXPECT_TRUE(progress->grab().save(QStringLiteral("%1/text-importprogress_%2.png").arg(paneltest::outputDir(), GetParam())));
    cancel->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 30000));

    // The animation-effect dialog with the panels it is given.
    editor::CCustomGif dlg(anim);
    auto* text = new CPropertyTextGif(PanelContext{core, nullptr}, nullptr);
    text->setEffectButtonShown(false);
    text->Create(&dlg);
    dlg.setTextPanel(text);
    auto* effect = new CPropertyGifEffect(&dlg, nullptr);
    effect->Create(&dlg);
    dlg.setEffectPanel(effect);
    dlg.show();
    QCoreApplication::processEvents();
    for (QLabel* l : effect->findChildren<QLabel*>())
        EXPECT_FALSE(l->text().isEmpty());
    const QString file = QStringLiteral("%1/text-effectdialog_%2.png").arg(paneltest::outputDir(), GetParam());
    EXPECT_TRUE(dlg.grab().save(file)) << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, TextPanelShots, ::testing::Values("EN", "CN", "TW"));
