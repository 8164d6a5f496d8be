#pragma once
#include <cstdint>
#include <string>

namespace qv {

// The one place where data-file names live: file id 1..210 to the directory in force followed
// by the name. Ids without a file, and ids outside 1..210, give an empty string.
std::string DataFilePath(int32_t id);

}  // namespace qv
