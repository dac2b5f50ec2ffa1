// Registered cell types, display formatters and input validators, looked up by
// their exact narrow names (the names are stored in grid streams).
#pragma once

#include <string>
#include <string_view>

namespace grid {

struct CellType {
    const char* name;
    bool createsEditor;   // "Edit" makes a multi-line edit; "Readonly" never has an editor
};

struct Formator {
    const char* name;
    std::u16string (*format)(const std::u16string& text);   // null: shown unchanged
};

struct Validator {
    const char* name;
    // Fills the message when the text does not pass; leaves it untouched otherwise.
    void (*check)(const std::u16string& text, const void* param, std::u16string& message);
    const void* param;
};

const CellType* FindCellType(std::string_view name);
const Formator* FindFormator(std::string_view name);
const Validator* FindValidator(std::string_view name);

const CellType* ReadonlyType();
const CellType* EditType();
const Formator* SameFormator();
const Validator* PassAlwaysValidator();

// What a cell shows: the formatter's output, or the text itself.
std::u16string FormatForDisplay(const Formator* formatter, const std::u16string& text);
// Runs a validator (none, or one without a check, passes).
void RunValidator(const Validator* validator, const std::u16string& text, std::u16string& message);

}   // namespace grid
