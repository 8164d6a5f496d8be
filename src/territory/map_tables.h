#pragma once
#include <array>
#include <cstdint>
#include <vector>

// The per-comune work tables of the map window. Every table has 8251 entries (index 0..8250;
// map comuni use 1..8250) while it is allocated and is empty otherwise.

namespace qv {

constexpr int kMapTableSize = 8251;
constexpr int kMaxMapComune = kMapTableSize - 1;
constexpr int16_t kNoLabelPoint = -30000;

// Allocated by the window that opens the map and released after the map has closed.
extern std::vector<int16_t> MapCentroidX, MapCentroidY;  // label point; -30000 = not on the bitmap
extern std::vector<int32_t> MapCardCounts;               // cards per territory code, then per map comune
extern std::vector<double> MapValues;                    // value per aggregation unit (entry 0: no unit)
extern std::vector<int32_t> MapValueIndex;               // per map comune, the MapValues entry colouring it
void AllocateMapTables();
void ReleaseMapTables();

// Allocated at the start of each drawing and released at its end.
extern std::vector<uint16_t> MapClassOf;       // class 0..8
extern std::vector<uint8_t> MapVisible;        // 1 = the comune's box touches the bitmap
extern std::vector<uint8_t> MapOutlineFileOf;  // outline file 1..8
extern std::vector<uint16_t> MapBorderValues;  // value of the border variable
void AllocateDrawingTables();
void ReleaseDrawingTables();

// Read from the territorial base at every drawing: colour 0 the background, 1..8 the classes
// (0x00BBGGRR); font heights of sigle, names, values and legend rows, legend title, first on
// the screen, then on the printer.
extern std::array<uint32_t, 9> MapColours;
extern std::array<int32_t, 8> MapFontHeights;
enum MapFont { kSigleFont = 0, kNamesFont = 1, kValuesFont = 2, kTitleFont = 3, kPrinterFonts = 4 };

// The legend colours of a base without its own: background and class 0 white, then yellow
// through green to brown and black.
inline constexpr std::array<uint32_t, 9> kDefaultLegendColours = {
    0xFFFFFF, 0xFFFF88, 0xFFFF00, 0x88FF00, 0x00FF00, 0x888800, 0x008800, 0x880000, 0x000000};
// "leg-colo.dat" into MapColours; a missing or short file gives the default colours.
void LoadMapColours();
// Every height 8, then "car-tres.dat" when it opens.
void LoadMapFonts();

// MapState.ValueCount and MapState.ComuneCount held to the tables' range.
int MapValueCount();
int MapComuneCount();
// MapActiveComuni of map comune k (1..8250); false outside.
bool IsMapComuneActive(int k);

}  // namespace qv
