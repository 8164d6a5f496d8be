#pragma once
#include <cstdint>
#include <string>

#include "territory/map_canvas.h"

// The drawing of the map: background, comuni coloured by class with their borders, names,
// values, bars, sigle, legend and frame, onto a canvas of MapState.MapWidth x MapHeight.

namespace qv {

// The printer page the drawing is repeated on, in printer pixels, and the printer's resolution.
struct MapPrintPage {
    MapCanvas* Canvas = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int Dpi = 96;
};

// The whole drawing. Call NormalizeMapSize() first and give a canvas of that size. Reads the
// territorial base (a missing required file raises the input/output error midway; the caller
// keeps its previous picture); needs the map tables (AllocateMapTables) filled by the counts.
// The drawing tables are allocated for the drawing and released afterwards.
void DrawMap(MapCanvas& screen, const MapPrintPage* page);

// The number written with `width` and `decimals` as the program's reports write it, blanks
// removed.
std::string FormatMapNumber(double value, int width, int decimals);

}  // namespace qv
