#include "elaborations/factor_plane.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "core/card_window_mode.h"
#include "core/core_state.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_loadings.h"
#include "platform/real6.h"

namespace qv {

namespace {

// Loadings far outside -1..1 would overflow the pixel arithmetic; they lie off the picture.
int PixelOf(long double v) {
    return int(std::trunc(std::clamp(v, -1.0e6L, 1.0e6L)));
}

// The factor into `column`; a factor the file does not hold (a one-factor analysis shows 1
// and 2) reads 0 throughout.
void ReadFactorColumn(const FactorLoadingsFile& file, int f, double* column) {
    std::fill(column, column + file.Variables(), 0.0);
    if (f < 1 || f > file.CountFactors()) return;
    const std::vector<double> loadings = file.ReadFactor(f);
    std::copy(loadings.begin(), loadings.end(), column);
}

}  // namespace

PlanePoint PlanePointOf(double a, double b) {
    const long double x = kPlaneCentreX + (long double)kPlaneCentreX * a;
    const long double y = kPlaneHeight - (kPlaneCentreY + (long double)kPlaneCentreY * b);
    return {PixelOf(x), PixelOf(y)};
}

bool StepPlaneByMargins(int x, int y, int factors, int& factorX, int& factorY) {
    bool margin = false;
    if (x >= kPlaneRightMargin) {
        margin = true;
        if (factorX + 1 < factors) ++factorX;
        if (factorX < factors) factorY = factorX + 1;
    }
    if (x < kPlaneLeftMargin) {
        margin = true;
        if (factorX > 1) --factorX;
        if (factorX < factors) factorY = factorX + 1;
    }
    if (y >= kPlaneBottomMargin) {
        margin = true;
        if (factorY > 1) --factorY;
    }
    if (y <= kPlaneTopMargin) {
        margin = true;
        if (factorY < factors) ++factorY;
    }
    return margin;
}

PlaneTurn PlaneTurnOfClick(int x, int y) {
    const long double dx = (long double)(x - kPlaneCentreX) * 100 / kPlaneWidth;
    const long double dy = (long double)((kPlaneHeight - y) - kPlaneCentreY) * 100 / kPlaneHeight;
    const long double r = std::sqrt(dx * dx + dy * dy);
    if (r == 0) return {};
    return {dx / r, dy / r, true};
}

void TurnColumns(double* a, double* b, int count, const PlaneTurn& turn) {
    for (int i = 0; i < count; ++i) {
        const long double x = a[i], y = b[i];
        a[i] = double(Real6Round(x * turn.c + y * turn.s));
        b[i] = double(Real6Round(y * turn.c - x * turn.s));
    }
}

void CountPlaneFactors(FactorRoad road) {
    CoreState.FactorCount = 0;
    CoreState.PlaneNumbers = 0;
    CoreState.CardWindowMode = kEntryMode;
    CoreState.FactorVariableCount = FactorLength(road);
    const std::optional<FactorLoadingsFile> file =
        FactorLoadingsFile::TryOpen(road, CoreState.FactorVariableCount);
    if (file) CoreState.FactorCount = file->CountFactors();
}

bool LoadPlaneAxes(FactorRoad road, int* factors) {
    const int v = CoreState.FactorVariableCount = FactorLength(road);
    // The columns hold 400 categories; a longer analysis was never computed from these flags.
    if (v < 1 || v > kFactorColumns) return false;
    const std::optional<FactorLoadingsFile> file = FactorLoadingsFile::TryOpen(road, v);
    if (!file) return false;
    ReadFactorColumn(*file, CoreState.PlaneFactorX, FactorPairColumnA.data());
    ReadFactorColumn(*file, CoreState.PlaneFactorY, FactorPairColumnB.data());
    if (factors) *factors = file->CountFactors();
    return true;
}

void SavePlaneAxes(FactorRoad road) {
    FactorLoadingsFile file(road, CoreState.FactorVariableCount);
    file.SaveFactorPair(CoreState.PlaneFactorX, CoreState.PlaneFactorY);
}

void RotatePlaneByClick(FactorRoad road, int x, int y) {
    const PlaneTurn turn = PlaneTurnOfClick(x, y);
    if (!turn.valid) return;
    if (CoreState.PlaneFactorX < 1 || CoreState.PlaneFactorY < 1) return;
    const int v = FactorLength(road);
    if (v < 1 || v > kFactorColumns) return;
    FactorLoadingsFile file(road, v);  // the turn is written back: the file must be there
    const int factors = file.CountFactors();
    if (CoreState.PlaneFactorX > factors || CoreState.PlaneFactorY > factors) return;
    CoreState.FactorVariableCount = v;
    file.LoadFactorPair(CoreState.PlaneFactorX, CoreState.PlaneFactorY);
    TurnColumns(FactorPairColumnA.data(), FactorPairColumnB.data(), v, turn);
    file.SaveFactorPair(CoreState.PlaneFactorX, CoreState.PlaneFactorY);
}

void PlaneClick(FactorRoad road, int x, int y) {
    const bool margin =
        StepPlaneByMargins(x, y, CoreState.FactorCount, CoreState.PlaneFactorX, CoreState.PlaneFactorY);
    if (!margin && CoreState.PlaneFactorX != CoreState.PlaneFactorY) RotatePlaneByClick(road, x, y);
}

PlaneScene BuildPlaneScene(FactorRoad road) {
    PlaneScene scene;
    scene.LabelX = " f. " + std::to_string(CoreState.PlaneFactorX) + " ";
    scene.LabelY = "f. " + std::to_string(CoreState.PlaneFactorY);
    scene.Numbers = CoreState.PlaneNumbers != 0;
    int factors = 0;
    if (!LoadPlaneAxes(road, &factors)) return scene;
    // An axis on a factor the analysis did not give (the second of a one-factor analysis) is
    // drawn at 0 and not named.
    if (CoreState.PlaneFactorX > factors) scene.LabelX.clear();
    if (CoreState.PlaneFactorY > factors) scene.LabelY.clear();
    const int v = CoreState.FactorVariableCount;
    for (int i = 0; i < v; ++i)
        scene.Points.push_back(PlanePointOf(FactorPairColumnA[size_t(i)], FactorPairColumnB[size_t(i)]));
    return scene;
}

FactorRoad PlaneRoad() {
    return CoreState.ElaborationMode == 2 ? FactorRoad::Quick : FactorRoad::Standard;
}

}  // namespace qv
