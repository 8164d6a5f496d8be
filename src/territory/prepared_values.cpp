#include "territory/prepared_values.h"

#include <algorithm>

#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

int32_t ReadPreparedCardCount() {
    const std::string path = DataFilePath(data_file::kPreparedCount);
    RecordFile file(path, 4, RecordFile::Mode::Read);
    uint8_t bytes[4];
    file.Read(0, bytes);
    const int32_t last = GetI32(bytes);
    if (last < -1) ThrowIo(kInvalidNumber, path);
    return last;
}

std::optional<std::vector<int32_t>> ReadPerCardValues(int fileId, int valueBytes, int64_t cards) {
    const std::optional<std::string> bytes = TryReadFile(DataFilePath(fileId));
    if (!bytes) return std::nullopt;
    const int64_t held = std::min<int64_t>(std::max<int64_t>(cards, 0), int64_t(bytes->size()) / valueBytes);
    std::vector<int32_t> values(static_cast<size_t>(held));
    for (int64_t c = 0; c < held; ++c) {
        const uint8_t* v = Bytes(*bytes) + c * valueBytes;
        values[size_t(c)] = valueBytes == 2 ? int32_t(GetI16(v)) : GetI32(v);
    }
    return values;
}

}  // namespace qv
