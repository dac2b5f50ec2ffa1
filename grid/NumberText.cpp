#include "grid/NumberText.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <stdexcept>

namespace grid {

namespace {

locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

// Each UTF-16 unit becomes one char so that offsets stay equal; anything
// outside ASCII becomes a byte no number can contain.
std::string Narrow(std::u16string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char16_t c : text)
        s.push_back(c != 0 && c < 0x80 ? char(c) : '\x01');
    return s;
}

}   // namespace

std::string FormatNumber(double value, int precision)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
    return std::string(buf, r.ptr);
}

std::u16string FormatNumber16(double value, int precision)
{
    return Ascii16(FormatNumber(value, precision));
}

std::size_t ReadRealPrefix(std::u16string_view text, double& value)
{
    std::string s = Narrow(text);
    char* end = nullptr;
    value = strtod_l(s.c_str(), &end, CLocale());
    return std::size_t(end - s.c_str());
}

double CellValue(std::u16string_view text)
{
    double v = 0;
    if (ReadRealPrefix(text, v) == 0)
        return 0;
    return v;
}

std::size_t ReadIntegerPrefix(std::u16string_view text, long long& value)
{
    std::string s = Narrow(text);
    char* end = nullptr;
    value = strtoll_l(s.c_str(), &end, 10, CLocale());
    return std::size_t(end - s.c_str());
}

std::u16string Ascii16(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string Utf8To16(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        char32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (extra > 0 && i + extra >= s.size()) {
            out.push_back(0xFFFD);
            break;
        }
        bool bad = false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80) { bad = true; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (bad) { out.push_back(0xFFFD); ++i; continue; }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string Utf16To8(std::u16string_view t)
{
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char32_t cp = t[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (t[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}   // namespace grid
