#pragma once
// 8-bit text in Windows code pages, through iconv. Linux has no ANSI code
// page: the program's language picks one (936, 950 or 1252) at start-up.
// No Qt here, so the grid model can use it too.
#include <string>
#include <string_view>

namespace platform {

int ansiCodePage();
void setAnsiCodePage(int codePage);          // 0 or less means 1252
int codePageForLanguage(int languageId);     // the language row's (platform/Languages.h)

// Bytes the code page cannot decode become U+FFFD, one per byte.
std::u16string decodeBytes(std::string_view bytes, int codePage);

// Characters the code page lacks become '?'; *exact tells whether any did.
std::string encodeText(std::u16string_view text, int codePage, bool* exact = nullptr);

} // namespace platform
