#include "support/card_files.h"

#include "platform/bytes.h"
#include "support/temp_dir.h"

namespace qv::test {

void WriteCardFiles(const std::string& dir, const std::string& values) {
    const size_t count = values.size() / 100;
    std::string index;
    AppendI32(index, int32_t(count) - 1);
    WriteBytes(dir + "num-sch.dat", values);
    WriteBytes(dir + "alf-sch.dat", std::string(count * 50, '\0'));
    WriteBytes(dir + "dli-sch.dat", index);
}

namespace {
uint16_t Reversed(uint16_t v) {
    uint16_t r = 0;
    for (int i = 0; i < 16; ++i)
        if (v & (1u << i)) r |= uint16_t(1u << (15 - i));
    return r;
}
}  // namespace

void CardNumberWords(int32_t value, uint16_t& high, uint16_t& low) {
    high = Reversed(uint16_t(uint32_t(value) >> 16));
    low = Reversed(uint16_t(uint32_t(value)));
}

}  // namespace qv::test
