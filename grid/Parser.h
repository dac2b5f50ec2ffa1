// The formula language: lexer and recursive-descent parser.
#pragma once

#include "grid/Expression.h"

#include <string_view>

namespace grid {

// Why a text is not a formula: it does not parse, it puts a criterion inside
// a criterion, or it nests deeper than kMaxNodeDepth.
enum class FormulaRefusal { NotAFormula, CriterionInCriterion, TooDeep };

// Parses a formula (upper-case text without its leading "="). Returns null when
// the text is not a formula, and why in `why` when given. Tokens after the
// first complete formula are ignored.
NodePtr ParseFormula(std::u16string_view text, FormulaRefusal* why = nullptr);

// A cell reference word such as "AB12": letters for the column (from 1), then
// the row (from 1). False for anything else.
bool ParseCellReference(std::u16string_view word, int& row, int& column);

}   // namespace grid
