#pragma once
#include <string>

namespace qv {

// The phone dialer hand-off: the dialer's settings file "dialer.ini" in the program directory
// is rewritten with its speed-dial section first, entry 1 holding the first line of
// "dialer.txt" (the dial prefix, empty without the file) followed by `number`. Every old line
// that mentions a speed-dial section, a name or a number is dropped; the other lines follow.
// The new content is staged in "dialer.imp". Raises IoError when a file cannot be written.
void WriteDialerSettings(const std::string& number);

}  // namespace qv
