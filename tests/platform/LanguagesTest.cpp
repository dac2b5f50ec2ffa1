#include "platform/CodePage.h"
#include "platform/Languages.h"

#include <gtest/gtest.h>
#include <set>

using namespace platform;

// Whatever the stored setting and the user's language, start-up gets a row;
// a row's own setting gives that row, the automatic one never Traditional
// Chinese, and each row has a menu entry of its own.
TEST(Languages, EverySettingGivesARowAndEachRowItsOwn)
{
    std::set<int> ids;
    std::set<unsigned> commands{kLangAutomaticCommand};
    for (const Language& l : languages()) {
        EXPECT_TRUE(ids.insert(l.id).second) << l.id;
        EXPECT_TRUE(commands.insert(l.menuCommand).second) << l.menuCommand;
        EXPECT_EQ(&language(l.id), &l);
        EXPECT_EQ(languageSettingOfCommand(l.menuCommand), l.id);
        EXPECT_EQ(codePageForLanguage(l.id), l.codePage);
    }
    EXPECT_EQ(languageSettingOfCommand(kLangAutomaticCommand), kLangAutomatic);
    EXPECT_EQ(languageSettingOfCommand(0), -1);
    EXPECT_FALSE(ids.count(language(kLangAutomatic).id));

    const int settings[] = {-1, 0, 1, 4, 9, 254, 255, 256, 0x0404, 0x0804, 0x7C03, 0x7C04, 0x7C05, 0xFFFF};
    const int users[] = {0, 0x0004, 0x0404, 0x0804, 0x0C04, 0x7C04, 0x0409, 0x0809, 0x0407, 0x0411, 0xFFFF};
    for (int setting : settings)
        for (int user : users) {
            const Language& chosen = chosenLanguage(setting, user);
            EXPECT_TRUE(ids.count(chosen.id)) << setting << ' ' << user;
            if (ids.count(setting))
                EXPECT_EQ(chosen.id, setting);
            else if (setting == kLangAutomatic)
                EXPECT_NE(chosen.id, kLangTraditionalChinese);
            else
                EXPECT_EQ(chosen.id, kLangEnglish);
        }
}
