#pragma once
#include <string>

namespace qv {

// Map options: kind 0 is the program's own set in the program directory.
void LoadMapOptions(int kind, const std::string& name);
void SaveMapOptions(int kind, const std::string& name);

}  // namespace qv
