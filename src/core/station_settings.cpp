#include "core/station_settings.h"

#include <algorithm>
#include <array>

#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

namespace {

enum class Kind { Word, Flag, Byte };

// One slot of the settings file. A slot with neither member is reserved: its value lives in
// CoreState.ReservedSlots and is written back as it was read.
struct Slot {
    Kind kind;
    int CoreStateRecord::*word;
    uint8_t CoreStateRecord::*flag;
    int defaultValue;
};

constexpr Slot W(int CoreStateRecord::*m, int def = 0) {
    return {Kind::Word, m, nullptr, def};
}
constexpr Slot F(uint8_t CoreStateRecord::*m) {
    return {Kind::Flag, nullptr, m, 0};
}
constexpr Slot B(int CoreStateRecord::*m, int def) {
    return {Kind::Byte, m, nullptr, def};
}
constexpr Slot ReservedW(int def = 0) {
    return {Kind::Word, nullptr, nullptr, def};
}
constexpr Slot ReservedF() {
    return {Kind::Flag, nullptr, nullptr, 0};
}

using C = CoreStateRecord;
constexpr std::array<Slot, kSettingsSlots> kSlots = {{
    W(&C::PageWidth, 640),          // 0
    W(&C::PageHeight, 480),         // 1
    W(&C::ProvinceIndex),           // 2
    W(&C::ClassWidth, 1),           // 3
    ReservedW(),                    // 4
    ReservedW(),                    // 5
    W(&C::DistributionTable),       // 6
    W(&C::ListGroupField1),         // 7
    W(&C::ListGroupField2),         // 8
    W(&C::ListOrderField),          // 9
    W(&C::SortKeyLength, 1),        // 10
    F(&C::ListFlag),                // 11
    ReservedF(),                    // 12
    F(&C::DistributionHeadings),    // 13
    F(&C::SkipEmptyRows),           // 14
    F(&C::TableHeadings),           // 15
    F(&C::OmitRowNumbers),          // 16
    F(&C::PercentColumn),           // 17
    F(&C::PercentRow),              // 18
    F(&C::PercentTotal),            // 19
    F(&C::ChiSquare),               // 20
    F(&C::HideTrivialConnections),  // 21
    F(&C::CellBorders),             // 22
    F(&C::WideCells),               // 23
    ReservedF(),                    // 24
    ReservedF(),                    // 25
    F(&C::CountByQuantUnit),        // 26
    W(&C::QuantUnitVar),            // 27
    W(&C::LabelColumns),            // 28
    F(&C::LabelsToPrinter),         // 29
    W(&C::LabelWidth),              // 30
    F(&C::MergeListAlphabetic),     // 31
    B(&C::SearchListOption, 0),     // 32
    B(&C::ImportFormat, 1),         // 33
    B(&C::ImportDelimiter, ','),    // 34
    F(&C::AfcFlag),                 // 35
    ReservedW(),                    // 36
    ReservedW(),                    // 37
    F(&C::Cumulate),                // 38
    F(&C::ExportTabs),              // 39
    F(&C::TabSeparators),           // 40
    W(&C::CommuneField),            // 41
    W(&C::ProvinceField),           // 42
    ReservedW(),                    // 43
    W(&C::PreparedQuantVar),        // 44
    W(&C::PreparedTerritoryVar),    // 45
    W(&C::PreparedDateVar),         // 46
    W(&C::LinkChoice1),             // 47
    W(&C::LinkChoice2),             // 48
    ReservedW(),                    // 49
    F(&C::ShowFrequencies),         // 50
    W(&C::TypologyField),           // 51
    W(&C::EmailAddressField),       // 52
    W(&C::EmailNameField),          // 53
    W(&C::EmailConditionField),     // 54
    W(&C::EmailConditionCode),      // 55
    ReservedW(1),                   // 56
    W(&C::EmailErrorField),         // 57
    W(&C::EmailErrorCode),          // 58
    W(&C::EmailSentCode),           // 59
}};

int GetSlot(int k) {
    const Slot& s = kSlots[size_t(k)];
    if (s.word) return CoreState.*s.word;
    if (s.flag) return CoreState.*s.flag;
    return CoreState.ReservedSlots[size_t(k)];
}

void SetSlot(int k, int value) {
    const Slot& s = kSlots[size_t(k)];
    if (s.word)
        CoreState.*s.word = value;
    else if (s.flag)
        CoreState.*s.flag = uint8_t(value);
    else
        CoreState.ReservedSlots[size_t(k)] = value;
}

const StationList kLists[kStationListCount] = {
    {"ScRighe.", &StandardRowFlags},
    {"DaRighe.", &QuickRowFlags},
    {"PSI.", &PsiFlags},
    {"ScAFC.", &StandardAfcCategoryFlags},
    {"DaAFC.", &QuickAfcCategoryFlags},
    {"QR.", &QuantVarFlags},
    {"QC.", &QuantColumnFlags},
    {"ScCol.", &StandardColumnFlags},
    {"DaCol.", &QuickColumnFlags},
};

}  // namespace

const StationList* StationLists() {
    return kLists;
}

std::string StationFilePath(const std::string& word) {
    return CoreState.ArchiveDir + word + CoreState.StationNumber;
}

void ApplySettingsDefaults() {
    for (int k = 0; k < kSettingsSlots; ++k) SetSlot(k, kSlots[size_t(k)].defaultValue);
}

void SaveSettingsWordFile() {
    std::string out;
    out.reserve(kSettingsSlots * 4);
    for (int k = 0; k < kSettingsSlots; ++k) {
        const int v = GetSlot(k);
        switch (kSlots[size_t(k)].kind) {
            case Kind::Word:
                AppendU16(out, uint16_t(v));
                break;
            case Kind::Flag:
                AppendU16(out, v != 0 ? 1 : 0);
                break;
            case Kind::Byte:
                AppendU16(out, uint16_t(v & 0xFF));
                break;
        }
        AppendU16(out, kEmptyWord);
    }
    WriteFileAtomic(StationFilePath("imposta."), out);
}

void LoadSettingsWordFile() {
    // Only the head holding the 60 slots is read: the file is written with one value word per
    // slot, and a head this long that still lacks a slot's end is no settings file.
    constexpr int64_t kHeadBytes = 64 * kSettingsSlots * 4;
    const std::string path = StationFilePath("Imposta.");
    auto bytes = TryReadFilePrefix(path, kHeadBytes);
    if (!bytes) return;
    const uint8_t* p = Bytes(*bytes);
    int ends = 0;
    for (size_t pos = 0; pos + 2 <= bytes->size() && ends < kSettingsSlots; pos += 2)
        ends += GetU16(p + pos) == kEmptyWord;
    if (ends < kSettingsSlots && int64_t(bytes->size()) == kHeadBytes) ThrowIo(kHeapOverflow, path);
    int k = 0;
    for (size_t pos = 0; pos + 2 <= bytes->size() && k < kSettingsSlots; pos += 2) {
        const uint16_t word = GetU16(p + pos);
        if (word == kEmptyWord) {
            ++k;
            continue;
        }
        switch (kSlots[size_t(k)].kind) {
            case Kind::Word:
                SetSlot(k, int16_t(word));
                break;
            case Kind::Flag:
                // Only a positive word sets a flag; anything else leaves it as it was.
                if (int16_t(word) > 0) SetSlot(k, 1);
                break;
            case Kind::Byte:
                SetSlot(k, word & 0xFF);
                break;
        }
    }
}

void SaveSelectionRunList(const std::string& path, const FlagList& flags, int last) {
    last = std::min(last, kFlagListSize - 1);
    std::string out;
    int first = -1;
    for (int i = 0; i <= last + 1; ++i) {
        const bool set = i <= last && flags[size_t(i)] != 0;
        if (set && first < 0) first = i;
        if (!set && first >= 0) {
            AppendU16(out, uint16_t(first));
            AppendU16(out, uint16_t(i - 1));
            first = -1;
        }
    }
    WriteFileAtomic(path, out);
}

void LoadSelectionRunList(const std::string& path, FlagList& flags) {
    if (const auto bytes = TryReadFile(path)) SetRunListFlags(*bytes, flags);
}

void SetRunListFlags(std::string_view bytes, FlagList& flags, int last) {
    last = std::min(last, kFlagListSize - 1);
    const uint8_t* p = Bytes(bytes);
    for (size_t pos = 0; pos + 4 <= bytes.size(); pos += 4) {
        const int first = GetU16(p + pos);
        const int runLast = std::min(int(GetU16(p + pos + 2)), last);
        for (int i = first; i <= runLast; ++i) flags[size_t(i)] = 1;
    }
}

}  // namespace qv
