#include "elaborations/factor_rotation.h"

#include <algorithm>
#include <cmath>

#include "core/core_state.h"
#include "elaborations/factor_extraction.h"
#include "platform/real6.h"

namespace qv {

namespace {

constexpr int kRotationSteps = 200;
constexpr double kFirstThreshold = 0.1, kSecondThreshold = 0.3;

}  // namespace

void RotateFactorPair(FactorLoadingsFile& file, int p, int q, double threshold) {
    const int v = file.Variables();
    file.LoadFactorPair(p, q);
    auto& a = FactorPairColumnA;
    auto& b = FactorPairColumnB;
    std::array<double, kFactorColumns> bestA = a, bestB = b;
    long double best = 0;
    const long double t = Real6Round(threshold);
    const long double norm = std::sqrt(200.0L * 200 + 5 * 5);
    const long double c = Real6Round(200 / norm), s = Real6Round(5 / norm);
    for (int step = 0; step < kRotationSteps; ++step) {
        long double criterion = 0;
        for (int i = 0; i < v; ++i) {
            const long double x = a[size_t(i)], y = b[size_t(i)];
            const long double nx = Real6Round(x * c + y * s);
            const long double ny = Real6Round(-x * s + y * c);
            a[size_t(i)] = double(nx);
            b[size_t(i)] = double(ny);
            if (nx > t) criterion = Real6Round(criterion + nx * nx);
            if (ny > t) criterion = Real6Round(criterion + ny * ny);
        }
        if (criterion > best) {
            best = criterion;
            bestA = a;
            bestB = b;
        }
    }
    a = bestA;
    b = bestB;
    file.SaveFactorPair(p, q);
}

void OrderFactorsByVariance(FactorLoadingsFile& file, int factors) {
    std::vector<std::vector<double>> columns;
    std::vector<long double> variance;
    for (int f = 1; f <= factors; ++f) {
        columns.push_back(file.ReadFactor(f));
        long double sum = 0;
        for (double l : columns.back()) sum = Real6Round(sum + (long double)l * l);
        variance.push_back(sum);
    }
    for (int r = 1; r <= factors; ++r) {
        long double largest = -1;
        int chosen = 0;
        for (int f = 0; f < factors; ++f)
            if (variance[size_t(f)] > largest) {
                largest = variance[size_t(f)];
                chosen = f;
            }
        const std::vector<double>& column = columns[size_t(chosen)];
        std::copy(column.begin(), column.end(), FactorPairColumnA.begin());
        std::copy(column.begin(), column.end(), FactorPairColumnB.begin());
        file.SaveFactorPair(r, r);
        variance[size_t(chosen)] = -1;
    }
}

void RotateFactors(FactorRoad road, int variables, Progress& progress) {
    CoreState.FactorVariableCount = variables;
    FactorLoadingsFile file(road, variables);
    const int factors = file.CountFactors();
    CoreState.FactorCount = factors;
    progress.SetMaximum(factors);
    for (const double threshold : {kFirstThreshold, kSecondThreshold})
        for (int p = 1; p < factors; ++p)
            for (int q = p + 1; q <= factors; ++q) {
                progress.SetPosition(p);
                RotateFactorPair(file, p, q, threshold);
            }
    OrderFactorsByVariance(file, factors);
}

FactorComputation ComputeFactors(FactorCountSource& source, Progress& progress) {
    const FactorComputation result = ComputeUnrotatedFactors(source, progress);
    RotateFactors(source.Road(), FactorLength(source.Road()), progress);
    return result;
}

}  // namespace qv
