#pragma once
#include <string>
#include <vector>

#include "elaborations/factor_files.h"

// The factor plane: the categories of the analysis as points on two factors, stepped through
// the pairs of factors by clicks on the margins and turned by a click inside, the turned
// loadings written back into the loadings file at once.

namespace qv {

// The drawing surface: 630 x 432 with the origin of the loadings at its centre, plus the
// outline's last row and column.
constexpr int kPlaneWidth = 630;
constexpr int kPlaneHeight = 432;
constexpr int kPlaneCentreX = 315;
constexpr int kPlaneCentreY = 216;
constexpr int kPlaneImageWidth = kPlaneWidth + 1;
constexpr int kPlaneImageHeight = kPlaneHeight + 1;

// Margin strips: a click at X >= 600 or X < 30 steps the pair, at Y >= 402 or Y <= 31 the
// vertical factor.
constexpr int kPlaneRightMargin = 600;
constexpr int kPlaneLeftMargin = 30;
constexpr int kPlaneBottomMargin = 402;
constexpr int kPlaneTopMargin = 31;

// The picture of the last drawing, in the archive directory.
constexpr const char* kPlanePictureName = "Prova.bmp";

struct PlanePoint {
    int x = 0, y = 0;
    bool operator==(const PlanePoint&) const = default;
};

// Where a category with loadings a (horizontal factor) and b (vertical) stands: positive
// loadings right and up.
PlanePoint PlanePointOf(double a, double b);

// The margin rules of a click at (x, y) on the pair (factorX, factorY) of `factors` factors,
// applied in order: right, left, bottom, top. Answers whether any margin applied.
bool StepPlaneByMargins(int x, int y, int factors, int& factorX, int& factorY);

// The turn that brings the direction of the click (x, y) onto the positive horizontal axis:
// cosine and sine of its angle. `valid` is false for a click at the centre, which has no
// direction.
struct PlaneTurn {
    long double c = 1, s = 0;
    bool valid = false;
};
PlaneTurn PlaneTurnOfClick(int x, int y);

// Turns the first `count` entries of the two columns: a := a c + b s, b := b c - a s, each kept
// as a 6-byte real.
void TurnColumns(double* a, double* b, int count, const PlaneTurn& turn);

// When the window opens: CoreState.FactorCount, PlaneNumbers 0, CardWindowMode 1 and
// FactorVariableCount (the analysis's factor length, FactorLength); FactorCount is the number of
// factors in the road's loadings file, 0 when it does not open. A file that ends inside a
// factor raises the input/output error.
void CountPlaneFactors(FactorRoad road);

// The loadings of factors PlaneFactorX and PlaneFactorY into FactorPairColumnA and B
// (FactorVariableCount read again); a factor the file does not hold reads 0. Answers false
// when the loadings file does not open or V is outside 1..400: the columns are then not read.
// `factors`, when given, receives the number of factors in the file. A file that ends inside a
// factor raises the input/output error.
bool LoadPlaneAxes(FactorRoad road, int* factors = nullptr);

// Writes column A over factor PlaneFactorX and column B over PlaneFactorY. Raises the
// input/output error when the loadings file does not open, ends inside a factor or does not
// hold both factors.
void SavePlaneAxes(FactorRoad road);

// A click inside the plane: loads the two factors, turns them by the click and writes them
// back. Nothing happens for a click at the centre, with V outside 1..400, or when either
// factor shown is not in the loadings file (a one-factor analysis has no second factor to
// turn). A loadings file that does not open or ends inside a factor raises the input/output
// error.
void RotatePlaneByClick(FactorRoad road, int x, int y);

// What FormMouseDown does with a click: margins, else (with two different factors shown) the
// rotation.
void PlaneClick(FactorRoad road, int x, int y);

// What one drawing shows, in bitmap coordinates.
struct PlaneScene {
    std::string LabelX;              // " f. " + PlaneFactorX + " ", its right end at x = 630, top at y = 208
    std::string LabelY;              // "f. " + PlaneFactorY, centred on x = 315, top at y = 1; each
                                     // empty for a factor the loadings file does not hold
    std::vector<PlanePoint> Points;  // slot i at i - 1
    bool Numbers = false;            // slot numbers instead of crosses
};
// Reads the two factors (LoadPlaneAxes) and lays out the scene.
PlaneScene BuildPlaneScene(FactorRoad road);

// The road of CoreState.ElaborationMode: 2 quick, anything else standard.
FactorRoad PlaneRoad();

}  // namespace qv
