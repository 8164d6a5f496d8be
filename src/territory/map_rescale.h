#pragma once
#include <cstdint>

namespace qv {

class Progress;

// Rescales the map geometry of the territorial directory from a map of x1 by y1 pixels to one of
// x2 by y2: every outline file "1-zor.dat".."8-zor.dat" that is there is rewritten with its points
// scaled (ring and outline end marks kept), "mmx-zor.dat" is rewritten with the comuni's boxes
// taken from the new outlines, and the new size becomes the map's (working options saved and
// loaded again, CoreState.ProceedFlag 1). "dov-zor.dat" is required and read before anything
// changes. False, with nothing changed, when a size is not 1 to 100000 pixels. The files are
// replaced all together: on the input/output error every one of them, and the map size, is as
// it was.
bool RescaleMapGeometry(int32_t x1, int32_t x2, int32_t y1, int32_t y2, Progress& progress);

}  // namespace qv
