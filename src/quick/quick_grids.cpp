#include "quick/quick_grids.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "core/archive_definition.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "elaborations/grid_files.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kLineWidth = 255;
// Grid lines are read up to 300 characters; a copy keeps all of them.
constexpr size_t kGridCopyWidth = 300;
// Diagnostics of a code that is neither a 'G' code nor a heading, and of a parent outside the grid.
constexpr int kUnknownCodeText = 2174, kParentOutsideText = 2175;

// Copies a text file line by line; false when the source does not open.
bool CopyLines(int fromId, int toId) {
    std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(fromId), kGridCopyWidth);
    if (!lines) return false;
    TextBuilder out;
    for (const std::string& line : *lines) out.Line(line);
    out.Save(DataFilePath(toId));
    return true;
}

// "*" field "*" caption for every field declared with `code`. Fields are numbered as the archive
// definition numbers them: a coded field takes one number for each of its answers.
void WriteDeclaredFieldList(char code, int listId) {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kDeclaration));
    if (!in.Eof()) in.SkipLine();
    TextBuilder out;
    int field = 0;
    while (!in.Eof() && field < kMaxFields) {
        const std::string line = in.ReadLine(3 + 1 + 1 + kLineWidth);
        const char type = line.size() >= 4 ? line[3] : '\0';
        int fields = CodedFieldAnswers(type);
        if (fields == 0) {
            switch (type) {
                case 'A':
                case 'D':
                case 'K':
                case 'L':
                case 'O':
                case 'P':
                case 'Q':
                    fields = 1;
                    break;
                default:
                    continue;  // lengths, categories, ends of lists
            }
        }
        if (type == code) {
            const std::string caption = line.size() > 5 ? line.substr(5) : std::string();
            out.Line("*" + std::to_string(field + 1) + "*" + caption);
        }
        field += fields;
    }
    out.Save(DataFilePath(listId));
}

}  // namespace

const char* const kLinkLabels[kLinkBlockLines] = {
    "Posizione del Campo Link nel Record: ", "Nome dell'Archivio.................: ",
    "Directory dell'Archivio............: ", "Lunghezza del Record Numerico......: ",
    "Lunghezza del Record Alfabetico....: ", "Campo Alfabetico 1 Inizio-Fine.....: ",
    "Campo Alfabetico 2 Inizio-Fine.....: ", "******",
};

QuickGridCopy CopyGridsToQuickSet(const ConfirmReplace& confirmReplace) {
    QuickGridCopy copy;
    if (FileIsThere(DataFilePath(data_file::kQuickGrid)) && !(confirmReplace && confirmReplace()))
        return copy;
    copy.Done = true;
    copy.GridMissing = !CopyLines(data_file::kGrid, data_file::kQuickGrid);
    copy.HeadingsMissing = !CopyLines(data_file::kHeadings, data_file::kQuickHeadings);
    copy.QuantGridMissing = !CopyLines(data_file::kQuantGrid, data_file::kQuickQuantGrid);
    return copy;
}

std::string QuickGridCopyStatus(const QuickGridCopy& copy) {
    if (!copy.GridMissing && !copy.HeadingsMissing && !copy.QuantGridMissing) return LoadText(631);
    std::string s = LoadText(632);
    if (copy.GridMissing) s += " " + LoadText(633);
    if (copy.HeadingsMissing) s += " " + LoadText(634);
    if (copy.QuantGridMissing) s += " " + LoadText(635);
    return s;
}

void WriteTerritorialVariableList() {
    WriteDeclaredFieldList('K', data_file::kQuickTerritoryList);
}

void WriteDateVariableList() {
    WriteDeclaredFieldList('D', data_file::kQuickDateList);
}

bool WriteLinkTemplate(const ConfirmReplace& confirmReplace) {
    if (FileIsThere(DataFilePath(data_file::kLinkDefinitions)) && !(confirmReplace && confirmReplace()))
        return false;
    TextBuilder out;
    for (int block = 0; block < kLinkTemplateBlocks; ++block)
        for (const char* label : kLinkLabels) out.Line(label);
    out.Save(DataFilePath(data_file::kLinkDefinitions));
    return true;
}

void WriteGridWithHeadings() {
    TextReader grid, headings;
    const bool gridOpen = grid.Open(DataFilePath(data_file::kQuickGrid));
    const bool headingsOpen = headings.Open(DataFilePath(data_file::kQuickHeadings));
    TextBuilder out;
    if (!gridOpen) out.Line(LoadText(636));
    if (!headingsOpen) out.Line(LoadText(637));
    if (gridOpen && headingsOpen) {
        while (!grid.Eof()) {
            const std::string line = grid.ReadLine(kLineWidth);
            if (ParseGridLine(line, nullptr).OpensVariable) {
                if (!headings.Eof()) headings.SkipLine();  // the block's number
                while (!headings.Eof()) {
                    const std::string h = headings.ReadLine(kLineWidth);
                    if (h.compare(0, 3, "///") == 0) break;
                    out.Line(h);
                }
                out.Line();
            }
            out.Line(line);
        }
    }
    out.Save(DataFilePath(data_file::kReport));
}

void WriteNumberedGrid() {
    TextBuilder out;
    std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kQuickGrid), kLineWidth);
    if (!lines) {
        out.Line(LoadText(647));
    } else {
        const std::string head = LoadText(646);
        for (size_t n = 0; n < lines->size(); ++n)
            out.Line(head + RightAligned(int64_t(n) + 1, 5) + " = " + (*lines)[n]);
    }
    out.Save(DataFilePath(data_file::kReport));
}

void WriteGridDiagnostics() {
    TextBuilder out;
    std::optional<std::vector<std::string>> lines =
        TextReader::ReadLines(DataFilePath(data_file::kQuickGrid), kLineWidth);
    if (!lines) {
        out.Line(LoadText(647));
        out.Save(DataFilePath(data_file::kReport));
        return;
    }
    RunTexts texts;
    const std::string lineWord = texts(641);
    GridLine previous;
    bool havePrevious = false;
    for (size_t i = 0; i < lines->size(); ++i) {
        const std::string& text = (*lines)[i];
        const std::string n = RightAligned(int64_t(i) + 1, 4);
        const std::string quoted = " \"" + text + "\": ";
        auto formA = [&](int message) { out.Line(lineWord + " " + n + quoted + texts(message)); };
        auto formB = [&](int message) { out.Line("riga: " + n + quoted + texts(message)); };
        auto formC = [&](int message) { out.Line("riga: " + n + ": " + texts(message)); };

        const bool star = text.find('*') != std::string::npos;
        if (!star) formA(638);
        if (text.find('=') == std::string::npos) formA(639);
        if (text.find(';') == std::string::npos) formA(640);
        if (!star) continue;

        GridLineTokens tokens;
        const GridLine line = ParseGridLine(text, havePrevious ? &previous : nullptr, &tokens);
        if (tokens.HasEquals && !tokens.FieldText.empty() && line.Field == 0) formB(642);
        if (tokens.HasComma && !PlainInteger(tokens.LowText)) formB(643);
        if (tokens.HasSemicolon && !PlainInteger(tokens.HighText)) formB(644);
        if (tokens.UnknownCode) formB(kUnknownCodeText);
        if (line.Field == 0) formC(645);
        if (GivesParentOutside(line, int(lines->size()))) formC(kParentOutsideText);
        previous = line;
        havePrevious = true;
    }
    out.Save(DataFilePath(data_file::kReport));
}

}  // namespace qv
