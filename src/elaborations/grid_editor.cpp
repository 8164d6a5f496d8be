#include "elaborations/grid_editor.h"

#include <cstdio>
#include <optional>

#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "elaborations/report_conventions.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/text_file.h"

namespace qv {

namespace {

// Renumbering rewrites a file the user edits: every line is kept whole.
constexpr size_t kHeadingLineWidth = std::string::npos;
constexpr int kLineText = 926, kNoStar = 923, kNoEquals = 924, kNoSemicolon = 925, kZeroField = 927,
              kBadLow = 928, kBadHigh = 929, kNoField = 930, kNoGrid = 931, kUnknownCode = 2172,
              kParentOutside = 2173;

std::string LinePrefix(int n) {
    return LoadText(kLineText) + " " + FormatInteger(n, 4);
}

}  // namespace

bool RenumberTableHeadings() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kHeadings))) return false;
    TextBuilder out;
    int block = 0;
    while (!in.Eof()) {
        const std::string first = in.ReadLine(kHeadingLineWidth);
        if (first.empty()) {
            out.Line();
            continue;
        }
        char number[16];
        std::snprintf(number, sizeof number, "%03d", ++block);
        out.Line(number);
        while (!in.Eof()) {
            const std::string line = in.ReadLine(kHeadingLineWidth);
            out.Line(line);
            if (line.compare(0, 3, "///") == 0) break;
        }
    }
    out.Save(DataFilePath(data_file::kHeadingsScratch));
    WriteFileAtomic(DataFilePath(data_file::kHeadings),
                    ReadFileOrThrow(DataFilePath(data_file::kHeadingsScratch)));
    return true;
}

std::vector<std::string> CheckGridLine(int n, std::string_view line, const GridLine* previous, int lineCount,
                                       GridLine& parsed) {
    std::vector<std::string> findings;
    auto finding = [&](int text) {
        findings.push_back(LinePrefix(n) + " \"" + std::string(line) + LoadText(text));
    };
    GridLineTokens tokens;
    parsed = ParseGridLine(line, previous, &tokens);
    if (!parsed.HasStar) {
        finding(kNoStar);
        return findings;
    }
    if (line.find('=') == std::string_view::npos) finding(kNoEquals);
    if (line.find(';') == std::string_view::npos) finding(kNoSemicolon);
    if (tokens.HasEquals && !tokens.FieldText.empty() && parsed.Field == 0) finding(kZeroField);
    if (tokens.HasComma && !PlainInteger(tokens.LowText)) finding(kBadLow);
    if (tokens.HasSemicolon && !PlainInteger(tokens.HighText)) finding(kBadHigh);
    if (tokens.UnknownCode) finding(kUnknownCode);
    if (parsed.Field == 0) findings.push_back(LinePrefix(n) + LoadText(kNoField));
    if (GivesParentOutside(parsed, lineCount)) findings.push_back(LinePrefix(n) + LoadText(kParentOutside));
    return findings;
}

void WriteCategoryGridCheck() {
    TextBuilder out;
    const std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kGrid), kGridLineWidth);
    if (!lines) {
        out.Line(LoadText(kNoGrid));
    } else {
        GridLine previous;
        bool havePrevious = false;
        const int count = int(lines->size());
        for (int n = 1; n <= count; ++n) {
            GridLine parsed;
            for (const std::string& f :
                 CheckGridLine(n, (*lines)[size_t(n) - 1], havePrevious ? &previous : nullptr, count, parsed))
                out.Line(f);
            if (parsed.HasStar) {
                previous = parsed;
                havePrevious = true;
            }
        }
    }
    out.Save(ReportFilePath());
}

void WriteNumberedCategoryGrid() {
    TextBuilder out;
    TextReader grid;
    if (!grid.Open(DataFilePath(data_file::kGrid))) {
        out.Line(LoadText(kNoGrid));
    } else {
        const std::string line = LoadText(kLineText) + " ";
        for (int n = 1; !grid.Eof(); ++n)
            out.Line(line + FormatInteger(n, 5) + " = " + grid.ReadLine(kGridLineWidth));
    }
    out.Save(ReportFilePath());
}

namespace {

// The chosen name up to the first '.' of its file part: a dot in a directory name stays.
std::string SavedStem(const std::string& chosen) {
    const size_t slash = chosen.rfind('/');
    const size_t dot = chosen.find('.', slash == std::string::npos ? 0 : slash + 1);
    return dot == std::string::npos ? chosen : chosen.substr(0, dot);
}

}  // namespace

std::string SavedGridPath(const std::string& chosen) {
    return SavedStem(chosen) + ".Grl";
}

std::string SavedHeadingsPath(const std::string& chosen) {
    return SavedStem(chosen) + ".TIN";
}

void SaveGridPair(const std::string& chosen) {
    const std::string grid = ReadFileOrThrow(DataFilePath(data_file::kGrid));
    const std::string headings = ReadFileOrThrow(DataFilePath(data_file::kHeadings));
    WriteFileAtomic(SavedGridPath(chosen), grid);
    WriteFileAtomic(SavedHeadingsPath(chosen), headings);
}

void RestoreGridPair(const std::string& chosen) {
    const std::string grid = ReadFileOrThrow(SavedGridPath(chosen));
    const std::string headings = ReadFileOrThrow(SavedHeadingsPath(chosen));
    WriteFileAtomic(DataFilePath(data_file::kGrid), grid);
    WriteFileAtomic(DataFilePath(data_file::kHeadings), headings);
}

}  // namespace qv
