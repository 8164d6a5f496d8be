// libFuzzer entry for the RTF reader, kept out of the build. Build from the repository root:
// clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc fuzz/rtf_fuzz.cpp src/platform/rtf_reader.cpp src/platform/cp1252.cpp -o rtf_fuzz
// and run it on a scratch copy of the pages (it adds files to its corpus): ./rtf_fuzz corpus/
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::RtfToHtml(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
