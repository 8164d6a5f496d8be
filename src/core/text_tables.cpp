#include "core/text_tables.h"

#include <cstring>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/short_string.h"
#include "platform/text_file.h"

namespace qv {

namespace {
constexpr int kTextRecord = 256;
constexpr int kSecondaryRecord = 101;

std::string ProgramFile(const char* name) {
    return CoreState.ProgramDir + name;
}
}  // namespace

void BuildTextFile() {
    TextReader in;
    in.OpenOrThrow(ProgramFile("sigle.imp"));
    std::string out;
    uint8_t record[kTextRecord];
    while (!in.Eof()) {
        EncodeShortString(in.ReadLine(255), 255, record);
        out.append(reinterpret_cast<const char*>(record), kTextRecord);
    }
    WriteFileAtomic(ProgramFile("sigle.dat"), out);
}

void BuildSecondaryTextFile() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kSecondaryTextSource));
    std::string out;
    // The record buffer is the shared one: bytes after the terminator are written as zeros so
    // the table is the same whatever was converted before.
    while (!in.Eof()) {
        std::string line = in.ReadLine(100);
        SecondaryText.fill(0);
        std::memcpy(SecondaryText.data(), line.data(), line.size());
        out.append(SecondaryText.data(), kSecondaryRecord);
    }
    WriteFileAtomic(DataFilePath(data_file::kSecondaryText), out);
}

std::string LoadText(int32_t n) {
    const std::string path = ProgramFile("sigle.dat");
    if (n < 1) ThrowIo(kReadPastEnd, path);
    RecordFile f(path, kTextRecord, RecordFile::Mode::Read);
    uint8_t record[kTextRecord];
    f.Read(int64_t(n) - 1, record);
    return DecodeShortString(record, 255);
}

void LoadSecondaryText(int16_t n) {
    const std::string path = DataFilePath(data_file::kSecondaryText);
    if (n < 1) ThrowIo(kReadPastEnd, path);
    RecordFile f(path, kSecondaryRecord, RecordFile::Mode::Read);
    f.Read(int64_t(n) - 1, SecondaryText.data());
}

std::string SecondaryTextString() {
    return DecodeZeroPadded(reinterpret_cast<const uint8_t*>(SecondaryText.data()), 101);
}

}  // namespace qv
