#include "core/comune_names.h"

#include <algorithm>

#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/short_string.h"

namespace qv {

std::string DecodeComuneName(const uint8_t* record) {
    return DecodeShortString(record, kComuneNameChars);
}

std::vector<std::string> ReadComuneNames(int first, int count) {
    // One open and one read: on a shared folder each is a round trip.
    std::string bytes(size_t(std::max(count, 0)) * kComuneRecordBytes, '\0');
    RecordFile(DataFilePath(data_file::kComuneNames), kComuneRecordBytes, RecordFile::Mode::Read)
        .Read(int64_t(first) - 1, bytes.data(), std::max(count, 0));
    std::vector<std::string> names;
    names.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        names.push_back(DecodeComuneName(reinterpret_cast<const uint8_t*>(bytes.data()) +
                                         size_t(i) * kComuneRecordBytes));
    return names;
}

std::string ComuneName(int code) {
    return ReadComuneNames(code, 1).front();
}

std::vector<std::string> ReadAllComuneNames() {
    const std::string bytes = ReadFileOrThrow(DataFilePath(data_file::kComuneNames));
    const size_t count = bytes.size() / kComuneRecordBytes;
    std::vector<std::string> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i)
        names.push_back(
            DecodeComuneName(reinterpret_cast<const uint8_t*>(bytes.data()) + i * kComuneRecordBytes));
    return names;
}

}  // namespace qv
