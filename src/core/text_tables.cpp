#include "core/text_tables.h"

#include <cstring>

#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/short_string.h"
#include "platform/text_file.h"

namespace qv {

namespace {
constexpr int kTextRecord = 256;
constexpr int kSecondaryRecord = 101;

constexpr int kNotWrittenText = 2134;

std::string ProgramFile(const char* name) {
    return CoreState.ProgramDir + name;
}

// A table that could not be written, kept in memory: its path and its records.
struct HeldTable {
    std::string path, bytes;
};
HeldTable gHeldTexts, gHeldSecondary;

void SaveTable(const std::string& path, std::string bytes, HeldTable& held) {
    held = HeldTable();
    try {
        WriteFileAtomicIfChanged(path, bytes);
    } catch (const IoError&) {
        held = {path, std::move(bytes)};
        std::string intro;
        try {
            intro = LoadText(kNotWrittenText) + "\n";
        } catch (const IoError&) {
            // The texts themselves are what is missing: the file's name says enough.
        }
        AddRecoveryNotice(intro + DisplayPath(path));
    }
}

// Record `n` (from 1) of a table, from memory when it is held there.
void ReadRecord(const std::string& path, const HeldTable& held, int recordBytes, int32_t n, void* record) {
    if (n < 1) ThrowIo(kReadPastEnd, path);
    if (held.path == path) {
        const size_t at = size_t(n - 1) * size_t(recordBytes);
        if (at + size_t(recordBytes) > held.bytes.size()) ThrowIo(kReadPastEnd, path);
        std::memcpy(record, held.bytes.data() + at, size_t(recordBytes));
        return;
    }
    RecordFile(path, recordBytes, RecordFile::Mode::Read).Read(int64_t(n) - 1, record);
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
    SaveTable(ProgramFile("sigle.dat"), std::move(out), gHeldTexts);
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
    SaveTable(DataFilePath(data_file::kSecondaryText), std::move(out), gHeldSecondary);
}

std::string LoadText(int32_t n) {
    uint8_t record[kTextRecord];
    ReadRecord(ProgramFile("sigle.dat"), gHeldTexts, kTextRecord, n, record);
    return DecodeShortString(record, 255);
}

const std::string& RunTexts::operator()(int32_t n) {
    auto it = texts_.find(n);
    if (it != texts_.end()) return it->second;
    if (!read_) {
        path_ = ProgramFile("sigle.dat");
        table_ = gHeldTexts.path == path_ ? gHeldTexts.bytes : ReadFileOrThrow(path_);
        read_ = true;
    }
    const size_t at = size_t(n - 1) * kTextRecord;
    if (n < 1 || at + kTextRecord > table_.size()) ThrowIo(kReadPastEnd, path_);
    const auto* record = reinterpret_cast<const uint8_t*>(table_.data() + at);
    return texts_.emplace(n, DecodeShortString(record, 255)).first->second;
}

void LoadSecondaryText(int16_t n) {
    ReadRecord(DataFilePath(data_file::kSecondaryText), gHeldSecondary, kSecondaryRecord, n,
               SecondaryText.data());
}

std::string SecondaryTextString() {
    return DecodeZeroPadded(reinterpret_cast<const uint8_t*>(SecondaryText.data()), 101);
}

}  // namespace qv
