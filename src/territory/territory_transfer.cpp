#include "territory/territory_transfer.h"

#include <algorithm>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {

constexpr int kTranslationFile = 12;
constexpr size_t kMaxTranslations = 8250;

}  // namespace

void TransferTerritorySelection(TerritoryTransfer mode) {
    const std::string bytes = ReadFileOrThrow(DataFilePath(kTranslationFile));
    std::vector<int> comuneOf(std::min(bytes.size() / 2, kMaxTranslations));
    for (size_t j = 0; j < comuneOf.size(); ++j) comuneOf[j] = GetI16(Bytes(bytes) + 2 * j);

    const int codes = std::clamp(TerritoryCount, 0, kTerritoryTableSize);
    // A map comune the map tables can hold, or 0.
    auto comune = [&](int code) {
        const int m = size_t(code - 1) < comuneOf.size() ? comuneOf[size_t(code - 1)] : -1;
        return m >= 1 && m < kMapComuniSize ? m : 0;
    };
    if (mode == TerritoryTransfer::MapToArchive) {
        for (int c = 1; c <= codes; ++c) {
            const int m = comune(c);
            TerritorySelection[size_t(c - 1)] = m > 0 && MapActiveComuni[size_t(m - 1)] ? 1 : 0;
        }
    } else {
        std::fill_n(MapActiveComuni.begin(), std::min(codes + 1, kMapComuniSize), uint8_t(0));
        for (int c = 1; c <= codes; ++c)
            if (const int m = comune(c); m > 0 && TerritorySelection[size_t(c - 1)])
                MapActiveComuni[size_t(m - 1)] = 1;
    }
}

}  // namespace qv
