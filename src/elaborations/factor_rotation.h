#pragma once
#include <cstdint>
#include <vector>

#include "elaborations/factor_counts.h"
#include "elaborations/factor_extraction.h"
#include "elaborations/factor_files.h"
#include "elaborations/factor_loadings.h"
#include "platform/progress.h"

// The factors after the extraction are turned pair by pair, in 200 fixed steps of the angle
// whose tangent is 5/200, keeping the orientation where the squares of the loadings above a
// threshold sum highest; then they are renumbered from the largest variance down.

namespace qv {

// Turns factors p and q of the file and writes back the best orientation reached.
void RotateFactorPair(FactorLoadingsFile& file, int p, int q, double threshold);

// Rewrites the first F factors in decreasing order of variance (equal variances keep their
// order).
void OrderFactorsByVariance(FactorLoadingsFile& file, int factors);

// The rotation of the road's loadings, V categories a factor: stores V in
// CoreState.FactorVariableCount and the number of factors in CoreState.FactorCount,
// makes two sweeps over the pairs (thresholds 0.1 and 0.3) and orders the factors. Progress: the
// first factor of the pair, out of F. V outside 1..400 rotates nothing (F = 0). A loadings file
// that does not open, or ends inside a factor, raises the input/output error before anything is
// turned.
void RotateFactors(FactorRoad road, int variables, Progress& progress);

// The whole computation from the chosen categories: unrotated factors, then their rotation,
// with the analysis's own N as the length of a factor.
FactorComputation ComputeFactors(FactorCountSource& source, Progress& progress);

}  // namespace qv
