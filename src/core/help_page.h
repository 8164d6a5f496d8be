#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// Help page N (1..999) of the program directory: "help/help" + three digits + ".rtf". Empty
// for a number outside 1..999.
std::string HelpPagePath(int page);
// The page's RTF bytes, found ignoring case; nullopt when it does not exist or does not open.
std::optional<std::string> ReadHelpPage(int page);
// The page a link inside a help page leads to: "help" + three digits + ".rtf" (letter case
// aside), the name HelpPagePath gives; 0 for any other link.
int HelpPageOfLink(std::string_view target);

}  // namespace qv
