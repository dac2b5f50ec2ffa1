// Number text as the formula engine reads and writes it, independent of the
// user's locale ("%.12g" and wcstod behave as in the C locale).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace grid {

std::string FormatNumber(double value, int precision);        // printf "%.<precision>g"
std::u16string FormatNumber16(double value, int precision);

// Reads a real number at the start of the text with wcstod rules (leading
// white space, sign, decimal or hexadecimal form); the words inf and nan are
// not numbers. Returns the number of UTF-16 units consumed, 0 when the text
// does not start with a number.
std::size_t ReadRealPrefix(std::u16string_view text, double& value);
// The value of a cell text: 0 when it does not start with a number, or with
// one too large for a double (such a text is text, as any other). Always true.
bool CellValue(std::u16string_view text, double& value);
// The same, but false when the number does not fit a double: a cell type
// that shows the value as a number shows such a text as a failure.
bool FiniteCellValue(std::u16string_view text, double& value);
// A formula's result as a cell shows it: "%.12g" of a finite value (negative
// zero shows "0"), "#NUM!" for a value that is not finite.
std::u16string FormatResult(double value);
// Reads a base-10 integer prefix with wcstol rules; returns the units consumed.
std::size_t ReadIntegerPrefix(std::u16string_view text, long long& value);

std::u16string Ascii16(std::string_view ascii);

}   // namespace grid
