#pragma once
#include <cmath>
#include <cstdint>
#include <string>

#include "core/data_files.h"
#include "platform/real6.h"

// What the two factor-analysis roads share: their files, their limits, and the arithmetic of
// the 6-byte reals the analysis keeps its numbers in.

namespace qv {

// Standard: the card grid and the cards. Quick: the quick label list and the bit matrix.
enum class FactorRoad { Standard, Quick };

struct FactorRoadFiles {
    int phiId;       // "cor-sch.dat" / "cor-dat.dat"
    int loadingsId;  // "fat-sch.dat" / "fat-dat.dat"
    int labelsId;    // "saf-sch.imp" / "saf-dat.dat"
    int linesId;     // "maf-sch.dat" / "maf-dat.dat"
    int labelRecordBytes;
};

inline FactorRoadFiles FilesOf(FactorRoad road) {
    return road == FactorRoad::Standard
               ? FactorRoadFiles{data_file::kCorrelation, data_file::kFactorLoadings,
                                 data_file::kFactorSettings, data_file::kFactorLines, 100}
               : FactorRoadFiles{data_file::kQuickCorrelation, data_file::kQuickFactorLoadings,
                                 data_file::kQuickFactorSettings, data_file::kQuickFactorMatrix, 201};
}

// Columns of the factor tables: entry 400 of a count record is a margin, so the standard road
// keeps 399 categories; the quick road's matrices hold 400.
constexpr int kFactorColumns = 400;
constexpr int kStandardFactorCategories = 399;
constexpr int kMaxFactorSteps = 20;

// The categories an analysis of the road can take.
constexpr int FactorCategoryLimit(FactorRoad road) {
    return road == FactorRoad::Standard ? kStandardFactorCategories : kFactorColumns;
}
constexpr int kLoadingRecordBytes = 6;

}  // namespace qv
