#include "grid/NumberText.h"

#include <charconv>
#include <clocale>
#include <cmath>
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

// Only digit forms count: strtod also takes words such as "inf" and "nan",
// which would turn cell texts like "Information" into infinities.
static bool StartsWithDigitForm(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r')))
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    if (i < s.size() && s[i] == '.')
        ++i;
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

std::size_t ReadRealPrefix(std::u16string_view text, double& value)
{
    std::string s = Narrow(text);
    if (!StartsWithDigitForm(s))
        return 0;
    char* end = nullptr;
    value = strtod_l(s.c_str(), &end, CLocale());
    return std::size_t(end - s.c_str());
}

bool CellValue(std::u16string_view text, double& value)
{
    value = 0;
    // A number too large for a double is no number: the cell is text.
    if (ReadRealPrefix(text, value) == 0 || !std::isfinite(value))
        value = 0;
    return true;
}

bool FiniteCellValue(std::u16string_view text, double& value)
{
    value = 0;
    if (ReadRealPrefix(text, value) == 0)
        value = 0;
    return std::isfinite(value);
}

std::u16string FormatResult(double value)
{
    if (!std::isfinite(value))
        return u"#NUM!";
    return FormatNumber16(value == 0 ? 0.0 : value, 12);
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

}   // namespace grid
