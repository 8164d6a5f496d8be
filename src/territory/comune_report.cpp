#include "territory/comune_report.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/comune_names.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/report_conventions.h"
#include "platform/file_io.h"
#include "platform/short_string.h"
#include "platform/text_file.h"
#include "territory/map_tables.h"
#include "territory/map_values.h"
#include "territory/territorial_base.h"

namespace qv {

namespace {

constexpr double kNoSmallest = 9999999, kNoLargest = -9999999;

enum class ReportKind { List, Ranking };

// The entries' names: the comuni of "cmn-zor2.dat" as stored, or the units of the aggregation
// variable through "tresca.txt"; each padded to its column so that the numbers line up.
class EntryNames {
  public:
    EntryNames() : units_(MapState.AggregationVariable != 0) {
        if (units_) {
            BuildUnitNames();
            file_.Open(DataFilePath(data_file::kListStaging), kUnitRecordSize, RecordFile::Mode::Read);
        } else {
            OpenMapComuneNames(file_);
        }
    }
    bool Units() const { return units_; }

    std::string Name(int entry) const {
        std::string name;
        if (units_) {
            char record[kUnitRecordSize];
            file_.Read(entry - 1, record);
            size_t end = 0;
            while (end < size_t(kUnitRecordSize) && record[end] != '\0') ++end;
            name.assign(record, end);
            if (name.size() > kUnitNameWidth) name.resize(kUnitNameWidth);
            name.resize(kUnitNameWidth, ' ');
        } else {
            uint8_t record[kComuneRecordBytes];
            file_.Read(int64_t(entry) - 1 + MapState.ComuneNumberOffset, record);
            name = DecodeComuneName(record);
            name.resize(kComuneNameChars, ' ');
        }
        return name;
    }

  private:
    bool units_;
    RecordFile file_;
};

struct Tally {
    int lines = 0;
    double smallest = kNoSmallest;
    double largest = kNoLargest;
    void Add(double v) {
        ++lines;
        if (v < smallest) smallest = v;
        if (v > largest) largest = v;
    }
};

std::string Value(double v) {
    return FormatFixed(v, 10, MapState.ValueDecimals);
}

void WriteReport(ReportKind kind) {
    LoadTerritorialVariable(TerritorialReading::Aggregation);
    ComputeMapValues();
    const EntryNames names;
    const bool list = kind == ReportKind::List;
    const int width = (list ? 45 : 52) - (names.Units() ? 7 : 0);
    const bool counts = MapState.ValueDecimals == 0;
    const int entries = MapValueCount();

    TextBuilder out;
    out.Line((list ? "Distribuzione: " : "Ordinamento: ") + MapClassThresholds.Title);
    out.Line();
    if (counts) out.Line(std::string(size_t(width), ' ') + "n.         %");
    double total = 0;
    for (int i = 1; i <= entries; ++i)
        if (MapValues[size_t(i)] > 0) total += MapValues[size_t(i)];

    Tally tally;
    auto entryLine = [&](std::string head, int i) {
        const double v = MapValues[size_t(i)];
        head += names.Name(i) + Value(v);
        // Counts are whole numbers: their shares are rounded on the exact ratio.
        if (counts) head += FormatPercent(std::llround(v), std::llround(total), 10, 2);
        out.Line(head);
        tally.Add(v);
    };
    if (list) {
        for (int i = 1; i <= entries; ++i)
            if (MapValues[size_t(i)] > 0) entryLine({}, i);
    } else {
        // Only the entries that can be listed are ranked, so every round finds one.
        std::vector<double> left(MapValues.begin(), MapValues.end());
        int ranked = 0;
        for (int i = 1; i <= entries; ++i) ranked += left[size_t(i)] > 0 ? 1 : 0;
        const bool numbers = names.Units() || !MapState.HideRankNumbers;
        for (int r = 1; r <= ranked; ++r) {
            int top = 0;
            double best = kNoLargest;
            for (int i = 1; i <= entries; ++i)
                if (left[size_t(i)] > 0 && left[size_t(i)] > best) {
                    best = left[size_t(i)];
                    top = i;
                }
            left[size_t(top)] = 0;
            entryLine(numbers ? FormatInteger(r, 4) + " - " : std::string(), top);
        }
    }

    const std::string indent(size_t(width - 8), ' ');
    out.Line(indent + "----------");
    out.Line(indent + Value(total));
    out.Line();
    out.Line("Schede senza indicazione del Comune: " + FormatInteger(MapCardCounts[0]));
    if (counts) {
        const std::string mean = FormatRatio(std::llround(total), std::max(tally.lines, 1), 10, 2);
        if (list) {
            out.Line();
            out.Line("Valore medio: " + mean);
        } else {
            out.Line("Media..: " + mean);
        }
    }
    if (tally.lines > 0) {
        out.Line();
        out.Line("Min.: " + Value(tally.smallest));
        out.Line("Max.: " + Value(tally.largest));
    }
    out.Save(DataFilePath(data_file::kReport));
}

}  // namespace

void WriteComuneList() {
    WriteReport(ReportKind::List);
}

void WriteComuneRanking() {
    WriteReport(ReportKind::Ranking);
}

}  // namespace qv
