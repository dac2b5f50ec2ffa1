// 8-bit text of the clipboard and of prefix-less archive strings. Linux has no
// ANSI code page, so the code page of the program's language is used: 936 for
// Chinese, 950 for traditional Chinese, 1252 otherwise. The program sets it.
#pragma once

#include <string>
#include <string_view>

namespace grid {

void SetAnsiCodePage(unsigned codePage);
unsigned AnsiCodePage();
unsigned CodePageForLanguage(unsigned languageId);   // 4 -> 936, 0x7C04 -> 950, else 1252

// Undecodable bytes become U+FFFD; characters the code page lacks become '?'.
std::u16string AnsiToUtf16(std::string_view bytes, unsigned codePage);
std::string Utf16ToAnsi(std::u16string_view text, unsigned codePage);

}   // namespace grid
