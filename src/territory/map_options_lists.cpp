#include "territory/map_options_lists.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/short_string.h"
#include "platform/text_file.h"
#include "territory/map_options.h"

namespace qv {

namespace {

constexpr int kBorderRecordSize = 101;
constexpr int kBorderNameWidth = 100;
constexpr int kBorderVariables = 21;
constexpr size_t kLimitTextWidth = 20;

}  // namespace

std::vector<std::string> ReadSigleSetNames() {
    std::vector<std::string> names;
    auto lines = TextReader::ReadLines(DataFilePath(data_file::kSigleList));
    if (!lines) return names;
    for (const std::string& line : *lines) names.push_back(line.substr(0, line.find(';')));
    return names;
}

std::vector<std::string> ReadAggregationUnits() {
    std::vector<std::string> units;
    auto lines = TextReader::ReadLines(DataFilePath(data_file::kUnitNames), 260);
    if (!lines) return units;
    for (size_t n = 1; n < lines->size(); ++n) {
        const std::string& line = (*lines)[n];
        if (!line.empty() && uint8_t(line[0]) > ' ')
            units.push_back(line.size() > 5 ? line.substr(5, 255) : "");
    }
    return units;
}

std::vector<std::string> ReadBorderVariables() {
    std::vector<std::string> names{"Non Selezionato"};
    auto bytes = TryReadFile(DataFilePath(data_file::kBorderVariable));
    if (!bytes) return names;
    const size_t records = std::min<size_t>(bytes->size() / kBorderRecordSize, kBorderVariables);
    for (size_t r = 0; r < records; ++r)
        names.push_back(DecodeShortString(Bytes(*bytes) + r * kBorderRecordSize, kBorderNameWidth));
    return names;
}

std::string FormatClassLimit(double limit, int decimals) {
    if (limit == kClassLimitUnset) return {};
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 18), limit);
    std::string s = text;
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

double ParseClassLimit(const std::string& text) {
    const std::string cut = text.substr(0, std::min(text.size(), kLimitTextWidth));
    size_t start = cut.find_first_not_of(' ');
    if (start == std::string::npos) return kClassLimitUnset;
    if (cut[start] == '+') ++start;
    // Only plain decimal numbers: no "inf", "nan" or hexadecimal forms.
    if (start >= cut.size() || !(std::isdigit(uint8_t(cut[start])) || cut[start] == '-' || cut[start] == '.'))
        return kClassLimitUnset;
    double value = 0;
    const auto [ptr, ec] =
        std::from_chars(cut.data() + start, cut.data() + cut.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != cut.data() + cut.size() || !std::isfinite(value)) return kClassLimitUnset;
    return value;
}

void SaveBaseMapSize() {
    std::string out;
    AppendI32(out, MapState.MapWidth);
    AppendI32(out, MapState.MapHeight);
    WriteFileAtomic(DataFilePath(data_file::kBaseSize), out);
}

bool RestoreBaseOptions() {
    if (!TryReadFile(DataFilePath(data_file::kBaseThresholds))) return false;
    const std::string path = DataFilePath(data_file::kBaseSize);
    const std::string bytes = ReadFileOrThrow(path);
    if (bytes.size() < 8) ThrowIo(kReadPastEnd, path);
    LoadMapOptions(1, "");
    MapState.MapWidth = GetI32(Bytes(bytes));
    MapState.MapHeight = GetI32(Bytes(bytes) + 4);
    return true;
}

void ActivateWholeMap() {
    QV_ASSERT(MapState.ValueCount >= -1 && MapState.ValueCount < kMapComuniSize);
    const int last = std::clamp(MapState.ValueCount, -1, kMapComuniSize - 1);
    for (int i = 0; i <= last; ++i) MapActiveComuni[size_t(i)] = 1;
}

}  // namespace qv
