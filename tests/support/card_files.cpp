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

}  // namespace qv::test
