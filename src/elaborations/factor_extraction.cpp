#include "elaborations/factor_extraction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/factor_loadings.h"
#include "platform/assertion.h"
#include "platform/file_io.h"
#include "platform/real6.h"

namespace qv {

namespace {

// The residual keeps to 16 bits; a matrix gone wild saturates instead of wrapping round.
int16_t Saturate16(int64_t v) {
    return int16_t(
        std::clamp<int64_t>(v, -std::numeric_limits<int16_t>::max(), std::numeric_limits<int16_t>::max()));
}

}  // namespace

CentroidExtraction::CentroidExtraction(std::vector<int16_t> phi, int categories)
    : n_(categories), residual_(std::move(phi)) {
    residual_.resize(size_t(n_) * size_t(n_), 0);
    for (int16_t& v : residual_) v = Saturate16(v);
    sums_.assign(size_t(n_), 0);
    loadings_.assign(size_t(n_), 0);
    reflected_.assign(size_t(n_), 0);
    complement_.assign(size_t(n_), 0);
}

bool CentroidExtraction::ExtractCentroidFactor(int k) {
    if (k >= 2) ReflectVariables();
    long double total = 0;
    for (int i = 1; i <= n_; ++i) {
        long double s = residual_[Index(i, i)];
        for (int j = 1; j <= n_; ++j)
            if (j != i) s = Real6Round(s + residual_[Index(i, j)]);
        sums_[size_t(i - 1)] = s;
        total = Real6Round(total + s);
    }
    total = Real6Round(total / 10000);
    if (total <= 0) {
        goOn_ = false;
        return false;
    }
    total = Real6Round(std::sqrt(total));
    for (int i = 1; i <= n_; ++i) {
        long double l = Real6Round((sums_[size_t(i - 1)] / 10000) / total);
        if (k >= 2 && reflected_[size_t(i - 1)]) l = -l;
        loadings_[size_t(i - 1)] = l;
    }
    return true;
}

void CentroidExtraction::ReflectVariables() {
    std::fill(reflected_.begin(), reflected_.end(), 0);
    std::fill(complement_.begin(), complement_.end(), 0);
    long double best = 0;
    int pivot = 0;
    for (int j = 1; j <= n_; ++j) {
        long double s = 0;
        for (int i = 1; i <= n_; ++i)
            if (i != j) s = Real6Round(s + std::abs(int(residual_[Index(j, i)])));
        if (s > best) {
            best = s;
            pivot = j;
        }
    }
    // Under 10 in the stored units there is nothing worth taking out: the step still writes
    // its factor, but its products stay in the residual.
    if (best / 10000 < 0.001L) goOn_ = false;
    if (pivot == 0) return;
    for (int i = 1; i <= n_; ++i) {
        reflected_[size_t(i - 1)] = residual_[Index(i, pivot)] <= 0;
        complement_[size_t(i - 1)] = residual_[Index(pivot, i)] > 0;
    }
    FlipMarked();
}

void CentroidExtraction::UndoReflection() {
    FlipMarked();
}

void CentroidExtraction::FlipMarked() {
    for (int i = 1; i <= n_; ++i) {
        if (!reflected_[size_t(i - 1)]) continue;
        for (int j = 1; j <= n_; ++j) {
            if (!complement_[size_t(j - 1)]) continue;
            residual_[Index(i, j)] = int16_t(-residual_[Index(i, j)]);
            residual_[Index(j, i)] = int16_t(-residual_[Index(j, i)]);
        }
    }
}

void CentroidExtraction::SubtractFactorProducts(int k) {
    if (k >= 2) UndoReflection();
    for (int i = 1; i <= n_; ++i)
        for (int j = 1; j <= n_; ++j) {
            const long double product =
                Real6Round(loadings_[size_t(i - 1)] * loadings_[size_t(j - 1)] * 10000);
            residual_[Index(i, j)] =
                Saturate16(int64_t(residual_[Index(i, j)]) - int64_t(std::nearbyint(product)));
        }
}

void CentroidExtraction::FinishStep(int k) {
    if (goOn_)
        SubtractFactorProducts(k);
    else if (k >= 2)
        // A step that stops takes nothing out; its reflection must not stay in the residual
        // either, or the next step extracts a factor from the flipped signs.
        UndoReflection();
}

int FactorSteps(int categories) {
    return std::max(1, std::min(categories / 3, kMaxFactorSteps));
}

int ExtractFactors(FactorRoad road, int categories, Progress& progress) {
    QV_ASSERT(categories >= 0 && categories <= kFactorColumns);
    const int n = std::clamp(categories, 0, kFactorColumns);
    CentroidExtraction extraction(LoadPhiMatrix(road, n), n);
    const int steps = FactorSteps(n);
    progress.SetMaximum(kMaxFactorSteps);
    std::string file;
    int written = 0;
    for (int k = 1; k <= steps; ++k) {
        progress.SetPosition(k);
        extraction.SetGoOn();
        if (extraction.ExtractCentroidFactor(k)) {
            const std::vector<double> loadings(extraction.Loadings().begin(), extraction.Loadings().end());
            file += EncodeFactor(loadings.data(), int(loadings.size()));
            ++written;
        }
        extraction.FinishStep(k);
        // The step that stops is the last: another would start from the same residual and
        // write the same factor again.
        if (!extraction.GoOn()) break;
    }
    WriteFileAtomic(DataFilePath(FilesOf(road).loadingsId), file);
    return written;
}

int FactorComputationProblemText(const FactorComputation& result) {
    constexpr int kNoCardText = 1697, kNoFactorText = 1698;
    if (result.Factors > 0) return 0;
    return result.Cards == 0 ? kNoCardText : kNoFactorText;
}

FactorComputation ComputeUnrotatedFactors(FactorCountSource& source, Progress& progress) {
    const int listed = source.WriteCategoryLists();
    const CooccurrenceCounts counts = source.Count(listed, progress);
    WritePhiMatrix(counts, source.Road(), progress);
    const int n = counts.Categories;
    StoreFactorLength(source.Road(), n);
    const int factors = ExtractFactors(source.Road(), n, progress);
    CoreState.PlaneFactorX = 1;
    CoreState.PlaneFactorY = 2;
    return {n, factors, counts.Cards, counts.Files, FactorSteps(n)};
}

std::string FactorStopText(const FactorComputation& result) {
    constexpr int kStoppedText = 2176;
    if (result.Factors <= 0 || result.Factors >= result.Steps) return {};
    return LoadText(kStoppedText) + " " + std::to_string(result.Factors);
}

}  // namespace qv
