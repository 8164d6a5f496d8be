#include "territory/map_values.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selection_files.h"
#include "platform/assertion.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "territory/map_tables.h"
#include "territory/prepared_values.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr int kOctileBins = 10000;

double UnitValue(int comune) {
    return MapValues[size_t(MapValueIndex[size_t(comune)])];
}

// The nonzero values of entries 1..ValueCount, which the automatic limits are taken from.
std::vector<double> NonzeroValues() {
    std::vector<double> values;
    for (int i = 1; i <= MapValueCount(); ++i)
        if (MapValues[size_t(i)] != 0) values.push_back(MapValues[size_t(i)]);
    return values;
}

}  // namespace

void CountCardsPerComune() {
    std::fill(MapCardCounts.begin(), MapCardCounts.end(), 0);
    const int32_t lastCard = ReadPreparedCardCount();
    // A file prepared for fewer cards counts the cards it holds.
    const std::optional<std::vector<int32_t>> codes =
        ReadPerCardValues(data_file::kPreparedTerritory, 2, int64_t(lastCard) + 1);
    if (!codes) return;
    for (size_t c = 0; c < codes->size(); ++c) {
        const int32_t t = (*codes)[c];
        if (t >= 0 && t <= kMaxMapComune && IsCardSelected(int32_t(c))) ++MapCardCounts[size_t(t)];
    }
}

void AggregateByTranslation() {
    const std::vector<int32_t> table = ReadComuneTranslation();
    std::vector<int32_t> folded(kMapTableSize, 0);
    QV_ASSERT(TerritoryCount >= 0 && TerritoryCount <= kMaxMapComune);
    const int codes = std::clamp(TerritoryCount, 0, kMaxMapComune);
    for (int j = 0; j <= codes; ++j) {
        const int32_t m = table[size_t(j)];
        folded[size_t(m >= 0 && m <= kMaxMapComune ? m : 0)] += MapCardCounts[size_t(j)];
    }
    MapCardCounts = std::move(folded);
}

void ComputeMapValues() {
    MapState.ValueDecimals = 0;
    MapState.ValueTotal = 0;
    const int count = MapValueCount();
    std::vector<double> share(size_t(count) + 1, 0.0);
    for (int i = 1; i <= count; ++i) {
        if (!IsMapComuneActive(i)) continue;
        share[size_t(i)] = MapCardCounts[size_t(i)];
        MapState.ValueTotal += MapCardCounts[size_t(i)];
    }
    MapState.ValueTotal += MapCardCounts[0];
    std::fill(MapValues.begin(), MapValues.end(), 0.0);
    for (int i = 1; i <= count; ++i) MapValues[size_t(MapValueIndex[size_t(i)])] += share[size_t(i)];
}

void ComputeOctileLimits() {
    const std::vector<double> values = NonzeroValues();
    double low = 99999999, high = -99999999;
    for (double v : values) {
        if (v > high) high = v;
        if (v < low) low = v;
    }
    double step = (high - low) / kOctileBins;
    if (step == 0) step = 1;
    std::vector<int> bins(kOctileBins + 1, 0);
    for (double v : values) {
        const double b = std::nearbyint((v - low) / step) + 1;  // halves to even
        ++bins[size_t(std::clamp(b, 1.0, double(kOctileBins)))];
    }
    int target = int(values.size()) / 8;
    if (target == 0) target = 1;

    auto& limits = MapClassThresholds.Limits;
    limits.fill(kClassLimitUnset);
    int k = 0;
    int acc = 0;
    for (int b = 1; b <= kOctileBins; ++b) {
        acc += bins[size_t(b)];
        if (acc <= target) continue;
        acc -= target;
        ++k;
        if (k < 8) limits[size_t(k - 1)] = std::trunc(b * step + low);
    }
}

void ComputeMeanSdLimits() {
    const std::vector<double> values = NonzeroValues();
    double sum = 0;
    for (double v : values) sum += v;
    const double n = double(values.size());
    const double mean = values.empty() ? 0 : sum / n;
    double squares = 0;
    for (double v : values) squares += (v - mean) * (v - mean);
    const double sd = values.empty() ? 0 : std::sqrt(squares / n);
    MapClassThresholds.Limits = {mean - 2 * sd, mean - sd, mean - sd / 2, mean,
                                 mean + sd / 2, mean + sd, mean + 2 * sd};
}

int ClassOfValue(double value) {
    int cls = 1;
    for (int k = 1; k <= kMapClassLimits; ++k) {
        const double limit = MapClassThresholds.Limits[size_t(k - 1)];
        if (limit != kClassLimitUnset && value >= limit) cls = k + 1;
    }
    return cls;
}

void AssignMapClasses() {
    if (MapState.ClassMode == 2) ComputeOctileLimits();
    if (MapState.ClassMode == 3) ComputeMeanSdLimits();
    for (int i = 1; i <= MapComuneCount(); ++i) {
        const double v = UnitValue(i);
        MapClassOf[size_t(i)] = uint16_t(MapState.ZeroIsWhite && v == 0 ? 0 : ClassOfValue(v));
    }
}

}  // namespace qv
