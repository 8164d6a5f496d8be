#pragma once
#include <cstdint>
#include <string>

// What the map window does with a click and a key: the comune nearest to the click among the
// label points of the map as drawn, its name as the window writes it, switching it on and off
// the map.

namespace qv {

// Writes "dli-poli.dat" (territorial directory) when it does not exist yet: for comuni
// 1..ComuneCount the label point x, then y, as signed 16-bit values.
void SaveComuneCentroids();

// SaveComuneCentroids, then the comune whose label point lies nearest to (x, y) in city-block
// pixels, the lowest number on a tie; 0 when no comune has a label point on the bitmap.
int32_t FindNearestComune(int32_t x, int32_t y);

// "+" when the comune is active on the map, "-" when not, then its name of "cmn-zor2.dat"
// (record comune - 1) up to its last character above the blank, 37 characters in all.
std::string ChosenComuneCaption(int32_t comune);

// Switches comune 1..ComuneCount on or off the map; false, changing nothing, for any other.
bool ToggleMapComune(int32_t comune);

}  // namespace qv
