#include "grid/Registry.h"

#include "grid/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace grid {

namespace {

struct IntBounds { int low; int high; };
struct RealBounds { double low; double high; };

const IntBounds kInt0To100{0, 100};
const RealBounds kReal0To1{0.0, 1.0};

// A value that does not fit shows as a failed formula does.
std::u16string FormatPercent(const std::u16string& text)
{
    double v = 0;
    if (!FiniteCellValue(text, v) || !std::isfinite(v * 100.0))
        return u"#NUM!";
    return FormatResult(v * 100.0) + u"%";
}

std::u16string FormatMoney(const std::u16string& text)
{
    double v = 0;
    if (!FiniteCellValue(text, v))
        return u"#NUM!";
    return u"￥" + FormatResult(v);
}

void CheckInteger(const std::u16string& text, const void* param, std::u16string& message)
{
    const auto* b = static_cast<const IntBounds*>(param);
    long long value = 0;
    if (!text.empty()) {
        std::size_t used = ReadIntegerPrefix(text, value);
        if (used != text.size()) {
            message = u"不是一个整数。";
            return;
        }
    }
    if (value < b->low || value > b->high) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%d, %d", b->low, b->high);
        message = u"必须是[" + Ascii16(buf) + u"]上的整数。";
    }
}

void CheckReal(const std::u16string& text, const void* param, std::u16string& message)
{
    const auto* b = static_cast<const RealBounds*>(param);
    double value = 0.0;
    if (!text.empty()) {
        std::size_t used = ReadRealPrefix(text, value);
        // A number too large for a double is no real number either.
        if (used != text.size() || !std::isfinite(value)) {
            message = u"不是一个实数。";
            return;
        }
    }
    if (value < b->low || value > b->high)
        message = u"必须是[" + FormatNumber16(b->low, 12) + u", " + FormatNumber16(b->high, 12) + u"]上的实数。";
}

const CellType kCellTypes[] = {{"Edit", true}, {"Readonly", false}};
const Formator kFormators[] = {{"RMB", &FormatMoney}, {"Percent", &FormatPercent}, {"Same", nullptr}};
const Validator kValidators[] = {
    {"Dbl0_1", &CheckReal, &kReal0To1},
    {"Int0_100", &CheckInteger, &kInt0To100},
    {"PassAlways", nullptr, nullptr},
};

template <typename T, std::size_t N>
const T* FindIn(const T (&list)[N], std::string_view name)
{
    for (const T& r : list)
        if (name == r.name)
            return &r;
    return nullptr;
}

}   // namespace

const CellType* FindCellType(std::string_view name) { return FindIn(kCellTypes, name); }
const Formator* FindFormator(std::string_view name) { return FindIn(kFormators, name); }
const Validator* FindValidator(std::string_view name) { return FindIn(kValidators, name); }

const CellType* ReadonlyType() { return &kCellTypes[1]; }
const CellType* EditType() { return &kCellTypes[0]; }
const Formator* SameFormator() { return &kFormators[2]; }
const Validator* PassAlwaysValidator() { return &kValidators[2]; }

std::u16string FormatForDisplay(const Formator* formatter, const std::u16string& text)
{
    if (formatter && formatter->format)
        return formatter->format(text);
    return text;
}

void RunValidator(const Validator* validator, const std::u16string& text, std::u16string& message)
{
    if (validator && validator->check)
        validator->check(text, validator->param, message);
}

}   // namespace grid
