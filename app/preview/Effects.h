#pragma once
// Entry and exit effects of the preview: how many steps a phase has, at what
// period, and what each step draws into the back buffer. Each effect is one
// row, indexed by code, of its name, a small step function over QImage and its
// step count; the caller holds the back-buffer lock. Codes that need the core
// (live content, animations, animated text) are drawn by the player, not here.
#include <QImage>
#include <QRect>

#include <cstdint>

namespace preview {

class RandomSource;

// What an effect keeps between steps of one phase. It lives in the player:
// a preview never writes into the stored node.
struct EffectState {
    int settledRows = 0;
};

// One step: the area of the back buffer, the item's picture and where the
// current page starts in it.
struct StepTarget {
    QImage* back = nullptr;
    const QImage* page = nullptr;
    QRect area;            // the item's client rectangle in the back buffer
    int px = 0;            // page origin in the item's picture
    int py = 0;
    int k = 0;             // step index
    int n = 0;             // step count
    EffectState* state = nullptr;
};

using StepFn = void (*)(const StepTarget&);

// Entry codes drawn by the player itself.
bool isLiveCode(int code);          // 44, 46, 64, 66, 68, 76, 78: repaint and copy
bool isLiveScrollCode(int code);    // 45, 67, 77: live content moving left
constexpr int kAnimationCode = 75;
constexpr int kTextEffectCode = 79;
constexpr int kBlinkCode = 40;

// The pixel drawing of an entry code (0-43) or exit code; codes without a
// function of their own get the fallback (whole page / whole area black).
StepFn entryStepFunction(int code);
StepFn exitStepFunction(int code);
// Step k of any other entry code: the whole client area from the picture's origin.
void drawWholeFromOrigin(const StepTarget& t);

// What a phase needs to know of its item.
struct ItemFacts {
    int width = 0;          // client width W
    int height = 0;         // client height H
    int contentWidth = 0;
    int contentHeight = 0;
    std::int32_t stay = 0;  // ms, negative taken as 0
    std::uint16_t inSpeed = 0;
    std::uint16_t outSpeed = 0;
    std::uint8_t outCode = 0;
    std::uint32_t frameCount = 0;     // animation or animated text
    std::uint32_t firstDelay = 0;     // animation: delay of frame 0
    std::uint32_t repeat = 0;         // animated text
    std::uint32_t frameInterval = 0;  // animated text
};

struct PhasePlan {
    int code = 0;
    unsigned steps = 0;
    unsigned period = 0;
    bool periodic = true;
    unsigned stay = 0;
    bool exitPending = false;
};

PhasePlan planEntry(int code, const ItemFacts& item);
// `code` is the exit code already drawn for 255.
PhasePlan planExit(int code, const ItemFacts& item);

// Pages an item plays for an entry code, from its horizontal and vertical page counts.
int pageCountFor(int code, int hPages, int vPages);
// Page origin in the item's picture.
QPoint pageOrigin(int code, int page, int hPages, int width, int height);

// Random replacements for code 255.
int randomEntryCode(RandomSource& random);   // one of 0..22 and 40
int randomExitCode(RandomSource& random);    // 0..18
int randomBorderMode(RandomSource& random);  // 0..4

}
