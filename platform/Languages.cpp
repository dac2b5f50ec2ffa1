#include "platform/Languages.h"

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

// Traditional Chinese is never chosen automatically: only when set.
constexpr Language kRows[] = {
    {.id = kLangSimplifiedChinese, .codePage = 936, .packFile = "UI_CN.rcc", .locale = "zh_CN",
     .clockTexts = ClockTexts::Simplified, .faceNames = FaceNames::AsStored, .menuCommand = 32849, .userLanguage = 4},
    {.id = kLangTraditionalChinese, .codePage = 950, .packFile = "UI_TW.rcc", .locale = "zh_TW",
     .clockTexts = ClockTexts::Traditional, .faceNames = FaceNames::Traditional, .menuCommand = 32850,
     .userLanguage = 0},
    {.id = kLangEnglish, .codePage = 1252, .packFile = "UI_EN.rcc", .locale = nullptr,
     .clockTexts = ClockTexts::English, .faceNames = FaceNames::Latin, .menuCommand = 32851, .userLanguage = 9},
};

constexpr Language kNoLanguage = {.id = -1, .codePage = 1252, .packFile = "UI_EN.rcc", .locale = nullptr,
                                  .clockTexts = ClockTexts::None, .faceNames = FaceNames::AsStored,
                                  .menuCommand = 0, .userLanguage = 0};

const Language* find(int id)
{
    const auto it = std::find_if(std::begin(kRows), std::end(kRows), [id](const Language& l) { return l.id == id; });
    return it == std::end(kRows) ? nullptr : &*it;
}

const Language& row(int id)
{
    const Language* l = find(id);
    return l ? *l : kNoLanguage;
}

} // namespace

std::span<const Language> languages() { return kRows; }

const Language& language(int id) { return row(id); }

const Language& startLanguage() { return row(kLangSimplifiedChinese); }

const Language& chosenLanguage(int setting, int userLangId)
{
    if (setting == kLangAutomatic) {
        const int primary = userLangId & 0x3FF;
        for (const Language& l : kRows)
            if (l.userLanguage != 0 && l.userLanguage == primary)
                return l;
    } else if (const Language* l = find(setting)) {
        return *l;
    }
    return row(kLangEnglish);
}

int languageSettingOfCommand(unsigned command)
{
    if (command == kLangAutomaticCommand)
        return kLangAutomatic;
    for (const Language& l : kRows)
        if (l.menuCommand == command)
            return l.id;
    return -1;
}

} // namespace platform
