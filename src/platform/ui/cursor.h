#pragma once

namespace qv {

// The wait cursor around long jobs. Not counted: the first HourglassOff restores the arrow
// however many HourglassOn came before.
void HourglassOn();
void HourglassOff();

}  // namespace qv
