#include "elaborations/factor_categories.h"

#include <algorithm>
#include <optional>

#include "core/data_files.h"
#include "core/station_settings.h"
#include "elaborations/grid_files.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

// Lines of a text file, counted while below `limit`; further lines are read and not counted.
int CountLines(int fileId, int limit) {
    TextReader reader;
    if (!reader.Open(DataFilePath(fileId))) return 0;
    int count = 0;
    while (!reader.Eof()) {
        reader.SkipLine();
        if (count < limit) ++count;
    }
    return count;
}

int LastIndex(int lastLine) {
    return std::min(lastLine, kFlagListSize - 1);
}

}  // namespace

FlagList& AfcFlags(FactorRoad road) {
    return road == FactorRoad::Standard ? StandardAfcCategoryFlags : QuickAfcCategoryFlags;
}

int CountAfcListEntries(FactorRoad road) {
    if (road == FactorRoad::Standard) return CountLines(data_file::kGrid, kMaxGridLines);
    const int gridLines = CountLines(data_file::kQuickGrid, kMaxGridLines);
    const int extraLines = CountLines(data_file::kAdditionalVariables, 2 * kMaxGridLines);
    return std::min(gridLines + (extraLines + 1) / 2, kMaxGridLines);
}

int CountChosenAfc(const FlagList& flags, int lastLine) {
    int chosen = 0;
    for (int i = 0; i <= LastIndex(lastLine); ++i) chosen += flags[size_t(i)] != 0;
    return chosen;
}

void ChooseAllAfc(FlagList& flags, int lastLine) {
    for (int i = 0; i <= LastIndex(lastLine); ++i) flags[size_t(i)] = 1;
}

void SaveAfcRunList(const std::string& path, const FlagList& flags, int lastLine) {
    SaveSelectionRunList(path, flags, LastIndex(lastLine));
}

void LoadAfcRunList(const std::string& path, FlagList& flags, int lastLine) {
    const int last = LastIndex(lastLine);
    for (int i = 0; i <= last; ++i) flags[size_t(i)] = 0;
    SetRunListFlags(ReadFileOrThrow(path), flags, last);
}

bool ReadConnectionsFile(const std::string& path, FlagList& flags, int lastLine) {
    const int last = LastIndex(lastLine);
    for (int i = 0; i <= last; ++i) flags[size_t(i)] = 0;
    TextReader report;
    if (!report.Open(path)) return false;
    while (!report.Eof()) {
        const std::string line = report.ReadLine(255);
        if (line.size() <= 17) continue;
        const std::optional<int> v = WholeInteger(std::string_view(line).substr(17, 4));
        if (v && *v >= 1 && *v - 1 <= last) flags[size_t(*v - 1)] = 1;
    }
    return true;
}

}  // namespace qv
