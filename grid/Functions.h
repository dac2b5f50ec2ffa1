// The 21 built-in functions. Their order is part of the stream format.
#pragma once

#include "grid/Expression.h"

#include <string_view>

namespace grid {

enum class ArgRule { Two, Several, One, Three, Counted, None, List };

enum FunctionIndex {
    FnEQ = 0, FnNE, FnLT, FnGT, FnLE, FnGE, FnAND, FnOR, FnNOT, FnIF, FnCOUNTIF,
    FnPI, FnSUM, FnAVERAGE, FnPRODUCT, FnMIN, FnMAX, FnROUND, FnSIN, FnCOS, FnLOG,
};
inline constexpr int kFunctionCount = 21;

int FindFunction(std::u16string_view name);       // 0 to 20, or -1
const char16_t* FunctionName(int index);          // null outside the table
ArgRule FunctionRule(int index);
bool CheckArguments(int index, const NodeList& args);
bool CallFunction(int index, const NodeList& args, double& value, const CellTextSource& cells);
// The comparisons 0 to 5 of a criterion: a is the tested value.
double Compare(int index, double a, double b);

}   // namespace grid
