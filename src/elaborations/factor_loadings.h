#pragma once
#include <optional>
#include <string>
#include <vector>

#include "elaborations/factor_files.h"
#include "platform/file_io.h"

// The loadings file of a road: V categories a factor (the analysis's FactorLength), factor f's
// loading of category i at record (f - 1) x V + (i - 1), factors one after another. The
// extraction writes it whole from EncodeFactor; the report, the rotation and the plane read and
// rewrite it through FactorLoadingsFile only.

namespace qv {

// One factor as the file stores it: `count` loadings as 6-byte reals, one after another.
std::string EncodeFactor(const double* loadings, int count);

class FactorLoadingsFile {
  public:
    // Opens the file for reading and rewriting in place. The analysis writes whole factors
    // only, so a file that ends inside a factor was cut short or belongs to another analysis:
    // opening it raises the input/output error (read past the end) rather than reading zeros
    // for what is missing or passing over its tail. A file that does not open raises the error
    // too. With V outside 1..400 (no analysis, or one longer than the factor columns hold) the
    // file holds no factor and its length is not checked.
    FactorLoadingsFile(FactorRoad road, int variables);
    // For the readers that take a missing file as no analysis: open for reading only, nullopt
    // when it is not there; one that fails to open, or ends inside a factor, raises.
    static std::optional<FactorLoadingsFile> TryOpen(FactorRoad road, int variables);

    int Variables() const { return variables_; }
    // The factors in the file, counted when it was opened.
    int CountFactors() const { return factors_; }

    // Factor f of 1..CountFactors(); any other raises the input/output error, so nothing is
    // read past the end nor written beyond the factors the analysis wrote.
    std::vector<double> ReadFactor(int f) const;
    void WriteFactor(int f, const double* loadings);

    // Factor p into FactorPairColumnA and factor q into FactorPairColumnB, and back.
    void LoadFactorPair(int p, int q);
    void SaveFactorPair(int p, int q);

  private:
    FactorLoadingsFile(RecordFile file, int variables);
    void CheckFactor(int f) const;
    int64_t FactorBytes() const { return int64_t(variables_) * kLoadingRecordBytes; }

    RecordFile file_;  // addressed by byte
    int variables_ = 0;
    int factors_ = 0;
};

}  // namespace qv
