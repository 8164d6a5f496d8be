#pragma once

namespace qv {

// The wait cursor around long jobs. Not counted: the first HourglassOff restores the arrow
// however many HourglassOn came before.
void HourglassOn();
void HourglassOff();

// The wait cursor for the length of a job, also when the job ends with an error: the cursor is
// off again before any message about the error is shown.
struct WaitCursor {
    WaitCursor() { HourglassOn(); }
    ~WaitCursor() { HourglassOff(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace qv
