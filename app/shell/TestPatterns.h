#pragma once
// Test pictures for checking a controller's LED panels: scanning lines, a
// moving grid and plain colour fills, drawn into picture items of a scratch
// copy of the screen. The drawing is plain functions on images; the scratch
// tree frees itself, so the operator's tree and files are never touched.
#include <QColor>
#include <QImage>
#include <QList>
#include <map>

class CCore;
struct tagItemData;

namespace shell {

// Colours of the tests (COLORREF order: 0x00BBGGRR).
inline constexpr unsigned kTestRed = 0x0000FF;
inline constexpr unsigned kTestGreen = 0x00FF00;
inline constexpr unsigned kTestYellow = 0x00FFFF;
inline constexpr unsigned kTestBlack = 0;
QColor testColour(unsigned colorref);

// Scanning lines 8 pixels apart (direction 0 rows, 1 columns) or diagonals
// tiled in 8 x 8 cells (2 falling, 3 rising), over a black picture.
void drawScanPattern(QImage& picture, int width, int height, QColor colour, int direction);
// Two diagonals in each 8 x 8 cell.
void drawGridPattern(QImage& picture, int width, int height, QColor colour);
// The picture moved down by k rows (0-7), the rows 8 - k to 7 wrapping to the top.
QImage shiftRows(const QImage& picture, int k);
// The eight pictures of the grid test in play order (colour choice 0 red,
// 1 green, 2 red and green).
QList<QImage> gridPictures(int width, int height, int colourChoice);

// A screen copied from another (its whole screen block) under a detached
// header, with one scene and one full-screen section holding one picture.
class ScratchScreen {
public:
    ScratchScreen(CCore& core, const tagItemData* source);
    ~ScratchScreen();
    ScratchScreen(const ScratchScreen&) = delete;
    ScratchScreen& operator=(const ScratchScreen&) = delete;

    bool ok() const { return m_picture != nullptr; }
    tagItemData* screen() const { return m_screen; }
    tagItemData* section() const { return m_section; }
    tagItemData* firstPicture() const { return m_picture; }
    // A further picture after `after`, as large as the section; null on failure.
    tagItemData* addPicture(tagItemData* after);
    // The item's drawing surface, made as large as the section.
    QImage& surface(tagItemData* picture);
    // Gives each picture item its surface as its picture; returns the screen.
    tagItemData* GiveSurfaces();

private:
    CCore& m_core;
    tagItemData* m_header = nullptr;
    tagItemData* m_screen = nullptr;
    tagItemData* m_section = nullptr;
    tagItemData* m_picture = nullptr;
    std::map<tagItemData*, QImage> m_surfaces;
};

} // namespace shell
