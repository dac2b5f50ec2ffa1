// The formula language: lexer and recursive-descent parser.
#pragma once

#include "grid/Expression.h"

#include <string_view>

namespace grid {

// Parses a formula (upper-case text without its leading "="). Returns null when
// the text is not a formula. Tokens after the first complete formula are ignored.
NodePtr ParseFormula(std::u16string_view text);

// A cell reference word such as "AB12": letters for the column (from 1), then
// the row (from 1). False for anything else.
bool ParseCellReference(std::u16string_view word, int& row, int& column);

}   // namespace grid
