#include "territory/map_interaction.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "territory/map_tables.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {
constexpr int kMaxCaption = 37;

int16_t Centroid(const std::vector<int16_t>& table, int k) {
    return size_t(k) < table.size() ? table[size_t(k)] : kNoLabelPoint;
}
}  // namespace

void SaveComuneCentroids() {
    const std::string path = DataFilePath(data_file::kMapCentroid);
    if (FileExists(ResolveExisting(path))) return;
    std::string bytes;
    const int count = MapComuneCount();
    bytes.reserve(size_t(count) * 4);
    for (int k = 1; k <= count; ++k) {
        AppendI16(bytes, Centroid(MapCentroidX, k));
        AppendI16(bytes, Centroid(MapCentroidY, k));
    }
    WriteFileAtomic(ResolveForCreate(path), bytes);
}

int32_t FindNearestComune(int32_t x, int32_t y) {
    SaveComuneCentroids();
    int32_t chosen = 0;
    int64_t best = 0;
    const int count = MapComuneCount();
    for (int k = 1; k <= count; ++k) {
        const int16_t cx = Centroid(MapCentroidX, k);
        if (cx == kNoLabelPoint) continue;
        const int64_t d = std::llabs(int64_t(x) - cx) + std::llabs(int64_t(y) - Centroid(MapCentroidY, k));
        if (chosen == 0 || d < best) {
            best = d;
            chosen = k;
        }
    }
    return chosen;
}

std::string ChosenComuneCaption(int32_t comune) {
    RecordFile names;
    OpenMapComuneNames(names);
    std::string caption = IsMapComuneActive(comune) ? "+" : "-";
    caption += ReadMapComuneName(names, comune - 1);
    if (caption.size() > kMaxCaption) caption.resize(kMaxCaption);
    return caption;
}

bool ToggleMapComune(int32_t comune) {
    if (comune < 1 || comune > MapState.ComuneCount || comune > kMaxMapComune) return false;
    uint8_t& flag = MapActiveComuni[size_t(comune - 1)];
    flag = flag ? 0 : 1;
    return true;
}

}  // namespace qv
