#pragma once
// One row per language of the interface: what the language setting, the
// Language menu, the pack loading, 8-bit text and the clocks and counters
// decide by language. Nothing else names a language.
#include <cstdint>
#include <span>

namespace platform {

// How clocks and counters write: the unit texts ("时", "時" or "hours") and
// the digital clock's layout. None: English units and no digital clock text.
enum class ClockTexts : std::uint8_t { None, Simplified, Traditional, English };

// How a font box names the Chinese faces: as stored, by their Latin names
// for a reader of English ("SimSun" for "宋体"), or in traditional script
// ("宋體").
enum class FaceNames : std::uint8_t { AsStored, Latin, Traditional };

struct Language {
    int id;                 // the language setting's value, the core's language index
    int codePage;           // the ANSI code page of 8-bit text
    const char* packFile;   // the language pack beside the program
    const char* locale;     // Qt's own dialogs speak it through qtbase_<locale>; null: Qt's own English
    ClockTexts clockTexts;
    FaceNames faceNames;
    unsigned menuCommand;   // its entry of the Language menu (0: none)
    int userLanguage;       // the user's primary language the automatic setting picks it for (0: never)
};

inline constexpr int kLangSimplifiedChinese = 4;
inline constexpr int kLangTraditionalChinese = 0x7C04;
inline constexpr int kLangEnglish = 9;
// The automatic setting is no language: start-up picks one by the user's.
inline constexpr int kLangAutomatic = 255;
inline constexpr unsigned kLangAutomaticCommand = 32848;

// The rows in the Language menu's order.
std::span<const Language> languages();
// The row of an id; an id without one gets the row of no language: code
// page 1252, the English pack, English units and no clock layout, faces as
// stored, no menu entry.
const Language& language(int id);
// A fresh core's language, until the program sets its own.
const Language& startLanguage();
// The language a setting gives a user whose default language is userLangId
// (a Windows language id, the primary language in its low 10 bits): the
// setting's own row, the automatic setting's pick, else English.
const Language& chosenLanguage(int setting, int userLangId);
// The setting a Language menu command stands for; -1 when it is none.
int languageSettingOfCommand(unsigned command);

} // namespace platform
