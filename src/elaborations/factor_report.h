#pragma once
#include <string>
#include <vector>

#include "elaborations/factor_files.h"

// The factor report "tabella.txt": each factor's share of the variance, the categories by
// communality, and for each factor the categories whose loading passes CoreState.MinCorrelation
// either way. A loading line keeps the category's grid line in columns 18 to 21, where the
// typology profiles read it.

namespace qv {

// Label n (1-based) of the road's label file "saf-sch.imp" / "saf-dat.dat"; nullopt past its
// end.
struct FactorLabels {
    std::string Bytes;
    int RecordBytes = 100;
    int Count() const { return int(Bytes.size()) / RecordBytes; }
    std::string Label(int n) const;
};
// Raises the input/output error when the file does not open.
FactorLabels ReadFactorLabels(FactorRoad road);

// Rewrites "tabella.txt" from the road's loadings and labels, with the slots of the analysis
// (FactorLines): a factor is read with the length the computation gave it, whatever the flags
// say now. The label file is required: when it does not open the input/output error
// is raised and nothing is written. When the loadings file does not open, CoreState.ProceedFlag
// is cleared, the report keeps its heading only and the answer is false. A loadings file that
// ends inside a factor raises the input/output error and the report is not written. Standard: a
// label past the end of its file is empty; quick: a label file shorter than the slots raises the
// input/output error and the report is not written.
bool WriteFactorReport(FactorRoad road);

}  // namespace qv
