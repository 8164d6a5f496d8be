#pragma once
#include <optional>
#include <string>

namespace qv {

// Help page N (1..999) of the program directory: "help/help" + three digits + ".rtf". Empty
// for a number outside 1..999.
std::string HelpPagePath(int page);
// The page's RTF bytes, found ignoring case; nullopt when it does not exist or does not open.
std::optional<std::string> ReadHelpPage(int page);

}  // namespace qv
