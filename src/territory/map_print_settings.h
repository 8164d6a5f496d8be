#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Settings of map printing: the print scale ("inf-stam.txt", territorial directory), the heights
// of the characters chosen for screen and printer ("car-cart.dat", program directory, with the
// heights in pixels the map reads from "car-tres.dat", territorial directory) and the comment
// printed under the map ("commento.txt", program directory).

namespace qv {

// Reads MapState.PrintScaleX and PrintScaleY from "inf-stam.txt" when it opens; a missing line
// leaves its value, a line that is no number gives the integer it begins with (0 for none).
void LoadPrintScale();
void SavePrintScale();

// What is printed under the map, in 1/96 inch as the page: the comment's lines (cut to 255
// characters), then the source of the boundaries, which their licence asks to be named wherever
// the map is handed over. The first line's top lies 3 below the map, each next one the printer
// legend title's height + 2 lower.
struct MapPageNotes {
    std::vector<std::string> Lines;
    int32_t LineHeight = 0;
    int32_t Top(size_t line) const { return 3 + int32_t(line) * (LineHeight + 2); }
    int32_t Height() const { return Top(Lines.size()); }
};

// The notes of a page `pageHeight` high, with the printer heights of MapFontHeights: comment
// lines that would push the source off the page are left out.
MapPageNotes LoadMapPageNotes(int32_t pageHeight);

// The factor, at most 1, by which the map's drawable area at MapState.PrintScaleX and
// PrintScaleY (percent of its bitmap pixels, 1/96 inch each) is reduced to fit a page of that
// many 1/96 inches with `notesHeight` of them left under it, keeping its proportions.
double PrintFitFactor(int32_t pageWidth, int32_t pageHeight, int32_t notesHeight);

// Positions in the list of heights "1".."500" (position p is height p + 1): screen sigle,
// comuni, values, legend, then the same for the printer.
using PrintFontPositions = std::array<int32_t, 8>;
constexpr int32_t kDefaultFontPosition = 8;
// All 8, then the whole values "car-cart.dat" holds when it opens.
PrintFontPositions LoadPrintFontPositions();
// Writes "car-cart.dat" (two records of four int32) and the heights they stand for to
// "car-tres.dat" in the same order, so that the map draws with them.
void SavePrintFontPositions(const PrintFontPositions& positions);

// The comment's lines; none when the file does not open.
std::vector<std::string> LoadPrintComment();
void SavePrintComment(const std::vector<std::string>& lines);

}  // namespace qv
