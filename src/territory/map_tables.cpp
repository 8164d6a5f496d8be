#include "territory/map_tables.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"

namespace qv {

namespace {
constexpr int kDefaultFontHeight = 8;

template <typename T>
void Release(std::vector<T>& table) {
    std::vector<T>().swap(table);
}
}  // namespace

std::vector<int16_t> MapCentroidX, MapCentroidY;
std::vector<int32_t> MapCardCounts;
std::vector<double> MapValues;
std::vector<int32_t> MapValueIndex;
std::vector<uint16_t> MapClassOf;
std::vector<uint8_t> MapVisible;
std::vector<uint8_t> MapOutlineFileOf;
std::vector<uint16_t> MapBorderValues;
std::array<uint32_t, 9> MapColours{};
std::array<int32_t, 8> MapFontHeights{};

void AllocateMapTables() {
    MapCentroidX.assign(kMapTableSize, kNoLabelPoint);
    MapCentroidY.assign(kMapTableSize, kNoLabelPoint);
    MapCardCounts.assign(kMapTableSize, 0);
    MapValues.assign(kMapTableSize, 0.0);
    MapValueIndex.assign(kMapTableSize, 0);
}

void ReleaseMapTables() {
    Release(MapCentroidX);
    Release(MapCentroidY);
    Release(MapCardCounts);
    Release(MapValues);
    Release(MapValueIndex);
}

void AllocateDrawingTables() {
    MapClassOf.assign(kMapTableSize, 0);
    MapVisible.assign(kMapTableSize, 0);
    MapOutlineFileOf.assign(kMapTableSize, 0);
    MapBorderValues.assign(kMapTableSize, 0);
}

void ReleaseDrawingTables() {
    Release(MapClassOf);
    Release(MapVisible);
    Release(MapOutlineFileOf);
    Release(MapBorderValues);
}

void LoadMapColours() {
    // A base without its colour file is still drawn; the options dialog writes one when asked.
    const std::optional<std::string> record = TryReadFile(DataFilePath(data_file::kLegendColour));
    if (!record || record->size() < 4 * MapColours.size()) {
        MapColours = kDefaultLegendColours;
        return;
    }
    for (size_t i = 0; i < MapColours.size(); ++i) MapColours[i] = GetU32(Bytes(*record) + 4 * i);
}

void LoadMapFonts() {
    MapFontHeights.fill(kDefaultFontHeight);
    RecordFile file;
    if (!file.OpenIfExists(DataFilePath(data_file::kMapFontHeight), 16, RecordFile::Mode::Read)) return;
    uint8_t records[32];
    // A short file keeps the defaults of what it lacks.
    const int64_t read = file.ReadUpTo(0, records, 2);
    for (int i = 0; i < 4 * read; ++i) MapFontHeights[size_t(i)] = GetI32(records + 4 * i);
}

int MapValueCount() {
    QV_ASSERT(MapState.ValueCount >= 0 && MapState.ValueCount <= kMaxMapComune);
    return std::clamp(MapState.ValueCount, 0, kMaxMapComune);
}

int MapComuneCount() {
    QV_ASSERT(MapState.ComuneCount >= 0 && MapState.ComuneCount <= kMaxMapComune);
    return std::clamp(MapState.ComuneCount, 0, kMaxMapComune);
}

bool IsMapComuneActive(int k) {
    return k >= 1 && k <= kMaxMapComune && MapActiveComuni[size_t(k - 1)] != 0;
}

}  // namespace qv
