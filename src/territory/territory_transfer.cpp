#include "territory/territory_transfer.h"

#include <algorithm>
#include <vector>

#include "core/core_state.h"
#include "platform/assertion.h"
#include "territory/territorial_base.h"

namespace qv {

void TransferTerritorySelection(TerritoryTransfer mode) {
    const std::vector<int32_t> comuneOf = ReadComuneTranslation();

    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kTerritoryTableSize);
    const int codes = std::clamp(TerritoryCount, 0, kTerritoryTableSize);
    // A map comune the map tables can hold, or 0.
    auto comune = [&](int code) {
        const int m = size_t(code) < comuneOf.size() ? comuneOf[size_t(code)] : -1;
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
