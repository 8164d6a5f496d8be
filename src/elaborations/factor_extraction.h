#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "elaborations/factor_counts.h"
#include "elaborations/factor_files.h"
#include "platform/progress.h"

// Unrotated factors by the centroid method: the residual correlations are summed row by row,
// the sums give one factor's loadings, its products are taken out, and from the second factor
// on the categories are reflected first so that the sums stay large.

namespace qv {

// The extraction over one phi matrix (N x N, phi times 10000), step by step. The residual stays
// in 16-bit integers; sums, total and loadings are 6-byte reals.
class CentroidExtraction {
  public:
    CentroidExtraction(std::vector<int16_t> phi, int categories);

    // Step k (1-based): reflection from the second step on, the loadings, and the products
    // taken out unless the step found nothing more to take. Answers whether a factor was found
    // (a total above 0); its loadings are then Loadings().
    bool ExtractCentroidFactor(int k);
    void SubtractFactorProducts(int k);
    // The end of step k: the products taken out when the step goes on, else its reflection
    // undone, so the residual is as the step found it.
    void FinishStep(int k);
    void ReflectVariables();
    void UndoReflection();

    bool GoOn() const { return goOn_; }
    void SetGoOn() { goOn_ = true; }
    const std::vector<long double>& Loadings() const { return loadings_; }
    int16_t Residual(int r, int c) const { return residual_[Index(r, c)]; }
    bool Reflected(int i) const { return reflected_[size_t(i - 1)] != 0; }

  private:
    size_t Index(int r, int c) const { return size_t(r - 1) * size_t(n_) + size_t(c - 1); }
    void FlipMarked();

    int n_;
    std::vector<int16_t> residual_;
    std::vector<long double> sums_, loadings_;
    std::vector<uint8_t> reflected_, complement_;
    bool goOn_ = true;
};

// Steps made for N categories: N div 3, at most 20, and at least one.
int FactorSteps(int categories);

// Extracts the factors of the road's phi matrix for N categories and rewrites the loadings file
// with them (6-byte reals, factor after factor); answers how many were written. A step that
// stops (nothing worth taking out) still writes its factor, and is the last. Progress: the
// step, out of 20. Raises the input/output error when the phi matrix is missing or short.
int ExtractFactors(FactorRoad road, int categories, Progress& progress);

// What a computation gave: N, the categories of the analysis (the length of one factor in the
// loadings file), the factors extracted and the cards counted.
struct FactorComputation {
    int Categories = 0;
    int Factors = 0;
    int64_t Cards = 0;
    CardCount Files;  // the card files read, for the cards they miss
    int Steps = 0;    // the steps asked: more than Factors when the extraction stopped
};
// The text telling why a computation gave no factor (no card counted; every category on all
// cards or on none), 0 when it gave some.
int FactorComputationProblemText(const FactorComputation& result);

// The text telling how many factors were written when the extraction stopped before the
// steps asked (a residual with nothing more to take); empty otherwise.
std::string FactorStopText(const FactorComputation& result);

// The computation of unrotated factors from the chosen categories: category lists, counts, phi
// matrix, extraction; then the factor plane shows factors 1 and 2.
FactorComputation ComputeUnrotatedFactors(FactorCountSource& source, Progress& progress);

}  // namespace qv
