#pragma once
// Work-mode classes: the scan range, preset scan and first option a number
// selects. The number is a work-mode code when the operator picks a mode,
// and a list position (22 for none) when a page loads from a screen.
namespace dialogs {

struct WorkModeClass {
    int maxScan;
    int presetScan;
    bool firstOption;
};

constexpr WorkModeClass WorkModeClassOf(int number)
{
    switch (number) {
    case 0: case 13:
        return {16, 16, false};
    case 1: case 2: case 7: case 8: case 14: case 15: case 20: case 21:
        return {8, 4, false};
    case 3: case 4: case 9: case 10: case 16: case 17: case 22: case 23:
        return {4, 4, true};
    default:
        return {2, 2, false};
    }
}

} // namespace dialogs
