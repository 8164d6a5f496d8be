#include "territory/map_options.h"

namespace qv {

// Placeholder until the map options storage lands.
void LoadMapOptions(int, const std::string&) {}
void SaveMapOptions(int, const std::string&) {}

}  // namespace qv
