#include "selection/saved_search_files.h"

#include <algorithm>

#include "core/core_state.h"
#include "core/selection_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

namespace {

// Codes the territory table and the statistics tables can hold.
int TerritoryLimit() {
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    return std::clamp(TerritoryCount, 0, kTerritoryTableSize);
}

}  // namespace

std::string SavedSearchFileName(const std::string& chosen, const std::string& extension) {
    const size_t slash = chosen.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = chosen.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return chosen + extension;
    return chosen.substr(0, dot) + extension;
}

void LoadTerritorialSelection(const std::string& path) {
    const std::string bytes = ReadFileOrThrow(path);
    // A run without its last code is a broken file: refuse it before anything changes.
    if (bytes.size() % 4 != 0) ThrowIo(kReadPastEnd, path);
    const int limit = TerritoryLimit();
    std::fill_n(TerritorySelection.begin(), limit, uint8_t(0));
    const uint8_t* p = Bytes(bytes);
    for (size_t pos = 0; pos + 4 <= bytes.size(); pos += 4) {
        const int first = GetI16(p + pos);
        const int last = GetI16(p + pos + 2);
        if (first < 1 || first > last || last > limit) continue;
        std::fill(TerritorySelection.begin() + (first - 1), TerritorySelection.begin() + last, uint8_t(1));
    }
}

void SaveTerritorialSelection(const std::string& path) {
    std::string out;
    const int limit = TerritoryLimit();
    int first = 0;
    for (int code = 1; code <= limit + 1; ++code) {
        const bool set = code <= limit && TerritorySelection[size_t(code - 1)] != 0;
        if (set && first == 0) first = code;
        if (!set && first != 0) {
            AppendI16(out, int16_t(first));
            AppendI16(out, int16_t(code - 1));
            first = 0;
        }
    }
    WriteFileAtomic(path, out);
}

void SaveTerritorialDistribution(const std::string& path) {
    const int table = CoreState.DistributionTable >= 0 && CoreState.DistributionTable <= 2
                          ? CoreState.DistributionTable
                          : 0;
    // Territory counters stop where the category counters begin.
    const int limit = std::min(TerritoryLimit(), kStatisticsCategoryBase - 1);
    std::string out;
    out.reserve(size_t(limit) * 4);
    for (int code = 1; code <= limit; ++code) AppendI32(out, StatisticsTables[size_t(table)][size_t(code)]);
    WriteFileAtomic(path, out);
}

}  // namespace qv
