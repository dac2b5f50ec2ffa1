#include "FrameTestUtil.h"

#include "app/shell/AppHelpers.h"
#include "app/shell/CommandTables.h"
#include "core/model/Utilities.h"
#include "core/render/ClockText.h"
#include "platform/CodePage.h"
#include "platform/Languages.h"

#include <QAction>
#include <gtest/gtest.h>

using namespace frametest;
using sorvane::render::ClockLayout;

namespace {

bool holdsCommand(const QList<platform::LangMenuItem>& items, unsigned command)
{
    for (const platform::LangMenuItem& item : items)
        if ((!item.separator && !item.isPopup() && item.command == command) || holdsCommand(item.submenu, command))
            return true;
    return false;
}

} // namespace

// Every language on every road that reads its row: its pack loads and offers
// the Language menu, the frame's entry carries its setting and is checked
// when it is the setting, its clock texts are there and its code page
// carries them both ways.
TEST(LanguageRows, EveryRowLoadsItsPackOffersItsEntryAndKeepsItsClockTexts)
{
    ASSERT_EQ(platform::languages().size(), 3u);
    for (const platform::Language& l : platform::languages()) {
        SCOPED_TRACE(l.packFile);
        EXPECT_EQ(ChooseUiLanguage(l.id, 0x0409), l.id);
        EXPECT_EQ(LanguagePackFileName(l.id), QLatin1String(l.packFile));
        FrameHarness h(l.packFile, false);
        const std::optional<platform::LangMenu> menu = platform::langMenu(kFrameMenu);
        ASSERT_TRUE(menu.has_value()) << "the pack did not load";
        EXPECT_TRUE(holdsCommand(menu->items, l.menuCommand));
        EXPECT_TRUE(holdsCommand(menu->items, platform::kLangAutomaticCommand));
        h.app->Settings().language = l.id;
        ASSERT_TRUE(h.frame->OnCreate());
        QAction* entry = h.frame->CommandAction(l.menuCommand);
        ASSERT_NE(entry, nullptr);
        EXPECT_FALSE(entry->text().isEmpty());
        EXPECT_EQ(entry->data().toInt(), l.id);
        EXPECT_TRUE(entry->isChecked());
        EXPECT_FALSE(h.frame->CommandAction(platform::kLangAutomaticCommand)->isChecked());

        const ClockLayout layout = sorvane::render::ClockLayoutFor(l.id);
        EXPECT_NE(layout, ClockLayout::None);
        std::u16string sample;
        for (int unit = 0; unit < 4; ++unit) {
            const QString text = sorvane::model::GetLangText(unit, l.id);
            EXPECT_FALSE(text.isEmpty()) << unit;
            sample += text.toStdU16String();
        }
        if (layout == ClockLayout::Chinese)
            sample += u"日一二三四五六上午下午";
        bool exact = false;
        const std::string bytes = platform::encodeText(sample, l.codePage, &exact);
        EXPECT_TRUE(exact);
        EXPECT_EQ(platform::decodeBytes(bytes, l.codePage), sample);
    }
}
