// Every row of the program's kind table through the real main window: the
// scene and section kinds added with the item-kind bar, the item kinds with
// a list window's add menu, each with its tree or list icon, its default
// name and the panels the page shows for it; then the screen saved and
// opened again in a fresh main window, where each kind shows the same.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

#include "app/editor/KindTable.h"
#include "app/editor/TreeRules.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"

#include <QListWidget>
#include <map>
#include <set>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shell;
using namespace operatorroad;
using editor::KindRow;
using editor::kindRow;
using frametest::FrameHarness;
using shelltest::readFile;

namespace {

QImage iconPicture(const QIcon& icon)
{
    EXPECT_FALSE(icon.isNull());
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The node's tree row: its kind's icon, and for a new node its kind's name numbered.
void expectTreeRow(CMainFrame& frame, const tagItemData* node, bool fresh)
{
    const KindRow& k = kindRow(editor::kindCodeOf(node));
    QTreeWidgetItem* row = treeOf(frame)->itemOf(node);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(iconPicture(row->icon(0)), iconPicture(platform::langIcon(k.treeIcon)));
    if (fresh)
        EXPECT_TRUE(row->text(0).startsWith(platform::langString(k.stringId))) << row->text(0).toStdString();
}

// The window page shows the panels of the kind (a section's, or an item's
// selected in its list), and its main panel took `loaded`'s record: a panel
// takes only the records of the kinds it edits.
void expectPanels(CMainFrame& frame, const KindRow& k, const tagItemData* loaded)
{
    panels::CPropertySubwnd* page = paneOf(frame)->windowPage();
    ASSERT_NE(page, nullptr);
    if (k.listWindow) {
        EXPECT_TRUE(page->progList()->isVisible());
        return;
    }
    ASSERT_NE(k.main, editor::MainSlot::None);
    EXPECT_EQ(page->currentMain(), page->mainPanel(k.main));
    ASSERT_NE(page->currentMain(), nullptr);
    EXPECT_TRUE(page->currentMain()->isVisible());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(page->currentMain()->node(), loaded);
    EXPECT_NE(page->currentMain()->record(), nullptr);
    EXPECT_EQ(page->currentMain()->record(), loaded->Item.TypeRecord);
    if (k.effect != editor::EffectSlot::None)
        EXPECT_EQ(page->currentEffect(), page->effectPanel(k.effect));
}

// Clicks the item's row in the Items pane: its icon is its kind's, and the
// page shows its panels.
void expectListRow(CMainFrame& frame, const tagItemData* item)
{
    panels::CPropertyProgList* list = paneOf(frame)->windowPage()->progList();
    ASSERT_NE(list, nullptr);
    const KindRow& k = kindRow(item->Item.TypeCode);
    for (int row = 0; row < list->list()->count(); ++row)
        if (list->itemAt(row) == item) {
            QListWidget* w = list->list();
            EXPECT_EQ(iconPicture(w->item(row)->icon()), iconPicture(platform::langIcon(k.listIcon)));
            QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(w->item(row)).center());
            QCoreApplication::processEvents();
            expectPanels(frame, k, item);
            return;
        }
    ADD_FAILURE() << "no list row for kind " << item->Item.TypeCode;
}

// Every node below the screen: sections by tree click, items by list click.
void expectEveryNode(CMainFrame& frame, tagItemData* screen, std::set<unsigned>& kinds, bool fresh)
{
    for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling) {
        kinds.insert(scene->Scene.TypeCode);
        expectTreeRow(frame, scene, fresh);
        for (tagItemData* section = scene->FirstChild; section; section = section->NextSibling) {
            kinds.insert(section->Section.WndKind);
            expectTreeRow(frame, section, fresh);
            ASSERT_TRUE(clickInTree(frame, section));
            const KindRow& k = kindRow(section->Section.WndKind);
            expectPanels(frame, k, section->FirstChild);
            for (tagItemData* item = section->FirstChild; k.listWindow && item; item = item->NextSibling) {
                kinds.insert(item->Item.TypeCode);
                expectListRow(frame, item);
            }
        }
    }
}

} // namespace

TEST(KindRows, EveryKindAddsShowsItsPanelsSavesAndOpensAgain)
{
    QTemporaryDir keep;   // outlives both main windows
    const QString file = keep.filePath("Kinds.pl");
    {
        FrameHarness h;
        support::SeamScope seams;
        support::ModalScript script;
        ASSERT_TRUE(showFrame(*h.frame));
        tagItemData* screen = h.core.GetScreen(0);
        ASSERT_NE(screen, nullptr);
        expectTreeRow(*h.frame, screen, false);

        // Scenes and sections from the item-kind bar, each with its first item.
        std::map<unsigned, tagItemData*> made;
        for (const KindRow& k : editor::kindRows()) {
            if (!k.kindButton)
                continue;
            SCOPED_TRACE(testing::Message() << "kind " << k.type);
            ASSERT_TRUE(clickInTree(*h.frame, screen));
            kindButton(*h.frame, k.kindButton);
            tagItemData* node = selectedNode(*h.frame);
            ASSERT_NE(node, nullptr);
            EXPECT_EQ(editor::kindCodeOf(node), k.type);
            expectTreeRow(*h.frame, node, true);
            if (node->Level == LEVEL_SECTION) {
                ASSERT_NE(node->FirstChild, nullptr);
                EXPECT_EQ(node->FirstChild->Item.TypeCode, k.firstItem);
                expectPanels(*h.frame, k, node->FirstChild);
            }
            made[k.type] = node;
        }

        // Items from each list window's add menu.
        for (const KindRow& window : editor::kindRows()) {
            if (window.addMenu == editor::AddMenu::None)
                continue;
            for (const KindRow& k : editor::kindRows()) {
                if (!k.addMenuRow[std::size_t(window.addMenu)])
                    continue;
                SCOPED_TRACE(testing::Message() << "kind " << k.type << " in window " << window.type);
                ASSERT_TRUE(clickInTree(*h.frame, made[window.type]));
                tagItemData* item = addListItem(*h.frame, k.type);
                ASSERT_NE(item, nullptr);
                EXPECT_TRUE(QString::fromUtf16(item->Name).startsWith(platform::langString(k.stringId)));
                expectListRow(*h.frame, item);
            }
        }
        // A kind no menu offers, as a file from elsewhere holds it.
        ASSERT_NE(h.core.AddItem(IT_COUNT2, u"down", made[IT_WND_PROGLIST], nullptr), nullptr);

        std::set<unsigned> kinds{IT_SCREEN};
        expectEveryNode(*h.frame, screen, kinds, false);
        EXPECT_EQ(kinds.size(), std::size(kItemTypes));

        ASSERT_TRUE(clickInTree(*h.frame, screen));
        seams.nextFileName(file);
        toolButton(*h.frame, ID_SAVE_FILE);
        ASSERT_TRUE(QFile::exists(file));
        std::vector<unsigned char> image(h.core.GetStoreSize(screen));
        h.core.Store(screen, image.data(), unsigned(image.size()));
        EXPECT_EQ(readFile(file), QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
        EXPECT_EQ(script.pending(), 0);
    }

    FrameHarness h;
    support::SeamScope seams;
    support::ModalScript script;
    ASSERT_TRUE(showFrame(*h.frame));
    tagItemData* screen = openIntoFirstScreen(*h.frame, h.core, seams, file);
    ASSERT_NE(screen, nullptr);
    // Every kind comes back but the second counter, which loads as a counter.
    std::set<unsigned> kinds{IT_SCREEN};
    expectEveryNode(*h.frame, screen, kinds, false);
    EXPECT_EQ(kinds.size(), std::size(kItemTypes) - 1);
    EXPECT_EQ(kinds.count(IT_COUNT2), 0u);
    EXPECT_EQ(script.pending(), 0);
}
