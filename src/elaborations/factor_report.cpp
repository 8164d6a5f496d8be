#include "elaborations/factor_report.h"

#include <algorithm>
#include <optional>

#include "core/core_state.h"
#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "elaborations/factor_counts.h"
#include "elaborations/factor_extraction.h"
#include "elaborations/factor_loadings.h"
#include "elaborations/report_conventions.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr double kTaken = 10;  // a loading already listed; no loading reaches it

// One list of a factor's loadings: repeatedly the largest loading that `passes` and is not yet
// taken (the lower slot first among equals), numbered from `counter` on.
template <typename Passes>
void WriteLoadingList(TextBuilder& out, std::vector<double>& loadings, const std::vector<int>& slots,
                      const FactorLabels& labels, int& counter, Passes passes) {
    for (;;) {
        ++counter;
        double best = -kTaken;
        int chosen = -1;
        for (size_t n = 0; n < loadings.size(); ++n)
            if (passes(loadings[n]) && loadings[n] < kTaken && loadings[n] > best) {
                best = loadings[n];
                chosen = int(n);
            }
        if (chosen < 0) return;
        out.Line(FormatInteger(counter, 3) + FormatFixed(best, 12, 3) + " (" +
                 FormatInteger(slots[size_t(chosen)], 4) + ") " + labels.Label(chosen + 1));
        loadings[size_t(chosen)] = kTaken;
    }
}

}  // namespace

std::string FactorLabels::Label(int n) const {
    if (n < 1 || n > Count()) return {};
    const size_t pos = size_t(n - 1) * size_t(RecordBytes);
    const size_t length = std::min<size_t>(uint8_t(Bytes[pos]), size_t(RecordBytes - 1));
    return Bytes.substr(pos + 1, length);
}

FactorLabels ReadFactorLabels(FactorRoad road) {
    FactorLabels labels;
    labels.RecordBytes = FilesOf(road).labelRecordBytes;
    labels.Bytes = ReadFileOrThrow(DataFilePath(FilesOf(road).labelsId));
    return labels;
}

bool WriteFactorReport(FactorRoad road) {
    const bool quick = road == FactorRoad::Quick;
    const FactorRoadFiles files = FilesOf(road);
    const std::vector<int> slots = FactorLines(road);
    const int v = int(slots.size());
    const std::string labelPath = DataFilePath(files.labelsId);

    TextBuilder out;
    if (quick) StartWithSnapshotNotice(out);
    out.Line(LoadText(1447)).Line().Line("------- " + LoadText(1448) + " --------").Line();

    const std::optional<FactorLoadingsFile> file = FactorLoadingsFile::TryOpen(road, v);
    if (!file) {
        CoreState.ProceedFlag = 0;
        out.Save(ReportFilePath());
        return false;
    }
    // Read once there are factors: before any computation there are no labels either.
    const FactorLabels labels = ReadFactorLabels(road);
    std::vector<std::vector<double>> loadings;
    for (int f = 1; f <= file->CountFactors(); ++f) loadings.push_back(file->ReadFactor(f));
    const int factors = int(loadings.size());
    if (quick && labels.Count() < v) ThrowIo(kReadPastEnd, labelPath);

    // Shares of the variance.
    std::vector<double> factorSquares(size_t(factors), 0), communality(size_t(v), 0);
    double allSquares = 0;
    for (int f = 1; f <= factors; ++f) {
        for (int n = 1; n <= v; ++n) {
            const double l = loadings[size_t(f - 1)][size_t(n - 1)];
            factorSquares[size_t(f - 1)] += l * l;
            communality[size_t(n - 1)] += l * l;
        }
        allSquares += factorSquares[size_t(f - 1)];
    }
    const std::string factorText = LoadText(quick ? 530 : 145);
    for (int f = 1; f <= factors; ++f) {
        // Factors all of zeros explain nothing: no share rather than a division by zero.
        const double share = allSquares > 0 ? factorSquares[size_t(f - 1)] / allSquares : 0;
        out.Line(factorText + " " + FormatInteger(f, 3) + ":  " + FormatFixed(share, 8, 3));
    }
    // Fewer factors than the steps asked: the extraction stopped, and the report says so.
    FactorComputation written;
    written.Categories = v;
    written.Factors = factors;
    written.Steps = FactorSteps(v);
    if (const std::string stop = FactorStopText(written); !stop.empty()) out.Line(stop);
    out.Line().Line().Line();

    // Categories by communality.
    out.Line("--------  " + LoadText(1449) + " ------").Line();
    std::vector<uint8_t> listed(size_t(v), 0);
    double sum = 0;
    for (int k = 0; k < v; ++k) {
        double best = -1;
        int chosen = 0;
        for (int n = 0; n < v; ++n)
            if (!listed[size_t(n)] && communality[size_t(n)] > best) {
                best = communality[size_t(n)];
                chosen = n;
            }
        listed[size_t(chosen)] = 1;
        sum += communality[size_t(chosen)];
        out.Line(FormatInteger(slots[size_t(chosen)], 4) + " - " +
                 FormatFixed(communality[size_t(chosen)], 8, 3) + " " + labels.Label(chosen + 1));
    }
    out.Line().Line();
    out.Line(LoadText(1450) + FormatFixed(v > 0 ? sum / v : 0, 9, 3));
    out.Line().Line();

    // Each factor's categories above the minimum, then those below its negative.
    const double minimum = CoreState.MinCorrelation;
    for (int f = 1; f <= factors; ++f) {
        out.Line("----- " + LoadText(1451) + " " + std::to_string(f)).Line();
        std::vector<double> factor = loadings[size_t(f - 1)];
        int counter = 0;
        WriteLoadingList(out, factor, slots, labels, counter, [minimum](double l) { return l > minimum; });
        out.Line("     - - - - - - - - - - - - -");
        WriteLoadingList(out, factor, slots, labels, counter, [minimum](double l) { return l < -minimum; });
        out.Line().Line();
    }

    out.Line("-------------  " + LoadText(1452)).Line();
    for (int n = 1; n <= std::min(v, labels.Count()); ++n)
        out.Line(FormatInteger(n, 4) + " - " + labels.Label(n));
    out.Save(ReportFilePath());
    return true;
}

}  // namespace qv
