#include "quick/report_table.h"

#include <algorithm>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/text_file.h"
#include "quick/card_set_condition.h"
#include "quick/preparation.h"
#include "quick/quick_selection.h"

namespace qv {

namespace {

constexpr size_t kLabelWidth = 50, kGroupLabelWidth = 100, kTitleWidth = 255, kFooterWidth = 50;
constexpr size_t kPrintOptionsWidth = 100;
constexpr int kMaxHtmlBackslashes = 10;
constexpr int kRowsLeftOutText = 1964, kColumnsLeftOutText = 1965, kSetLimitText = 1966,
              kGroupsLeftOutText = 1967, kUpdatedText = 1986;

std::vector<std::string> ReadLinesOrThrow(const std::string& path) {
    TextReader reader;
    reader.OpenOrThrow(path);
    std::vector<std::string> lines;
    while (!reader.Eof()) lines.push_back(reader.ReadLine());
    return lines;
}

std::vector<std::string> SetTitles(int fileId) {
    std::vector<std::string> titles;
    if (const auto lines = TextReader::ReadLines(DataFilePath(fileId)))
        for (const std::string& line : *lines)
            if (!line.empty() && line[0] == '#') titles.push_back(line.substr(1));
    return titles;
}

// A row or column line: its condition, closed by the ";" of ";*", and its label after ";*".
struct SetLine {
    std::string Condition, Label;
};
SetLine SplitSetLine(const std::string& line) {
    const size_t mark = line.find(";*");
    if (mark == std::string::npos) return {line, {}};
    return {line.substr(0, mark + 1), line.substr(mark + 2, kLabelWidth)};
}

std::optional<int64_t> Integer(const std::string& text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    const std::string t = text.substr(b, text.find_last_not_of(' ') - b + 1);
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() - i > 9) return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
    }
    return t[0] == '-' ? -value : value;
}

std::string HtmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int Backslashes(const std::string& label) {
    return int(
        std::min<std::ptrdiff_t>(std::count(label.begin(), label.end(), '\\'), kMaxHeadingBackslashes));
}

}  // namespace

int ReportTable::TableTop() const {
    return kReportTopMargin + 5 * kTitleFontHeight + kReportRowHeight * HeadingLines;
}
int ReportTable::TableRight() const {
    return kLabelColumnWidth + kReportColumnWidth * ShownColumns();
}
int ReportTable::TableBottom() const {
    return TableTop() + kReportRowHeight * (RowCount + 1);
}
int ReportTable::HeadingTop() const {
    return TableTop() - kHeadingLineHeight * (HeadingLines + 1);
}
int ReportTable::GroupTop() const {
    return TableTop() - kHeadingLineHeight * (HeadingLines + 2) - kReportRowGap;
}

std::string ColumnSetFilePath() {
    const int k = CoreState.ReportCondition;
    if (k >= 0 && k <= 99) {
        const std::string numbered =
            DataFilePath(data_file::kColumnSetStem) + char('0' + k / 10) + char('0' + k % 10);
        TextReader probe;
        if (probe.Open(numbered)) return numbered;
    }
    return DataFilePath(data_file::kColumnSets);
}

std::vector<std::string> ReadColumnSetTitles() {
    return SetTitles(data_file::kColumnSets);
}

std::vector<std::string> ReadRowSetTitles() {
    return SetTitles(data_file::kRowSets);
}

ReportTable ComputeReportTable(int columnSet, int rowSet) {
    CoreState.CurrentCard = NewCardNumber();
    const ReportVariables variables = ReportVariables::Read();
    const int32_t prepared = ReadMatrixCardCount();
    ReportTable t;
    t.RowLabels.assign(1, std::string());
    t.ColumnLabels.assign(1, std::string());
    std::vector<CardBitmap> rowSets, columnSets;
    // Cards prepared after the matrix have no bits; bits past the last prepared card are no cards.
    const int64_t lastCounted = std::min<int64_t>(CoreState.LastCard, prepared);

    auto cardSet = [&](const std::string& condition) {
        CardBitmap set(kSelectionMaskBytes, 0xFF);
        CombineConditionItems(ParseCardSetCondition(condition), variables, prepared, true, set, t.LeftOut);
        set.KeepFirst(lastCounted + 1);
        return set;
    };

    int set = 0, droppedRows = 0;
    for (const std::string& line : ReadLinesOrThrow(DataFilePath(data_file::kRowSets))) {
        if (!line.empty() && line[0] == '#') {
            if (++set == rowSet) t.RowSetTitle = line.substr(1);
            continue;
        }
        if (set == 0 || set != rowSet) continue;
        if (t.RowCount == kMaxReportRows) {
            ++droppedRows;
            continue;
        }
        const SetLine row = SplitSetLine(line);
        t.RowLabels.push_back(row.Label);
        rowSets.push_back(cardSet(row.Condition));
        ++t.RowCount;
    }

    set = 0;
    int boundaries = 0, droppedColumns = 0, droppedGroups = 0;
    const int columnRoom = std::min(kMaxReportColumns, kMaxReportSets - t.RowCount);
    for (const std::string& line : ReadLinesOrThrow(ColumnSetFilePath())) {
        if (!line.empty() && line[0] == '#') {
            if (++set == columnSet) t.ColumnSetTitle = line.substr(1);
            boundaries = 0;
            continue;
        }
        if (set == 0 || set != columnSet) continue;
        if (!line.empty() && line[0] == '*') {
            ++boundaries;
            continue;
        }
        if (!line.empty() && line[0] == '"') {
            if (t.GroupCount == kMaxColumnGroups) {
                ++droppedGroups;
            } else {
                const size_t blank = line.find(' ', 1);
                const int64_t span =
                    Integer(line.substr(1, blank == std::string::npos ? std::string::npos : blank - 1))
                        .value_or(0);
                std::string label;
                if (line.size() > 3) {
                    const size_t quote = line.find('"', 3);
                    label = line.substr(3, quote == std::string::npos ? std::string::npos : quote - 3);
                }
                t.GroupLabels.push_back(label.substr(0, kGroupLabelWidth));
                t.GroupSpans.push_back(int32_t(std::clamp<int64_t>(span, 0, kMaxReportColumns)));
                ++t.GroupCount;
            }
        }
        if (boundaries != 1) continue;
        if (line.compare(0, 2, "0;") == 0) {
            t.TotalColumn = true;
            continue;
        }
        if (t.ColumnCount == columnRoom) {
            ++droppedColumns;
            continue;
        }
        const SetLine column = SplitSetLine(line);
        t.ColumnLabels.push_back(column.Label);
        columnSets.push_back(cardSet(column.Condition));
        ++t.ColumnCount;
    }
    if (droppedRows)
        t.LeftOut.push_back(std::to_string(droppedRows) + " " + LoadText(kRowsLeftOutText) + " " +
                            std::to_string(kMaxReportRows) + "a");
    if (droppedColumns)
        t.LeftOut.push_back(std::to_string(droppedColumns) + " " + LoadText(kColumnsLeftOutText) + " " +
                            std::to_string(kMaxReportSets) + " " + LoadText(kSetLimitText));
    if (droppedGroups)
        t.LeftOut.push_back(std::to_string(droppedGroups) + " " + LoadText(kGroupsLeftOutText) + " " +
                            std::to_string(kMaxColumnGroups) + "o");

    for (int r = 1; r <= t.RowCount; ++r) {
        for (int c = 1; c <= t.ColumnCount; ++c) {
            const int64_t n = rowSets[size_t(r - 1)].CountCommon(columnSets[size_t(c - 1)]);
            t.Counts[size_t(r)][size_t(c)] = n;
            t.Counts[0][size_t(c)] += n;
            t.Counts[size_t(r)][0] += n;
            t.Counts[0][0] += n;
        }
    }

    // The shown totals are sums of cells: a card in two rows counts twice in its column's total.
    const size_t R = size_t(t.RowCount), C = size_t(t.ColumnCount);
    for (size_t r = 1; r <= R; ++r)
        for (size_t c = 1; c <= C; ++c) {
            t.Counts[R + 1][c] += t.Counts[r][c];
            t.Counts[r][C + 1] += t.Counts[r][c];
        }
    for (size_t r = 1; r <= R; ++r) t.Counts[R + 1][C + 1] += t.Counts[r][C + 1];

    t.RowLabels.push_back("Totale");
    t.ColumnLabels.push_back("TOTALE");
    int widest = 0;
    for (size_t c = 1; c <= C; ++c) widest = std::max(widest, Backslashes(t.ColumnLabels[c]));
    t.HeadingLines = 1 + widest;
    t.PageWidth = kLabelColumnWidth + kReportColumnWidth * t.ShownColumns() + 5;
    t.PageHeight = kReportTopMargin + 5 * kTitleFontHeight + kReportRowHeight * (t.RowCount + 1) +
                   kReportRowHeight * t.HeadingLines + kReportTopMargin;
    return t;
}

void ReadReportTitles(ReportTable& table) {
    const std::vector<std::string> log = ReadLinesOrThrow(SelectionLogPath());
    for (size_t i = 0; i < table.LogLines.size(); ++i)
        table.LogLines[i] = i < log.size() ? log[i] : std::string();
    table.LogLines[0] = (table.RowSetTitle + " - " + table.LogLines[0]).substr(0, kTitleWidth);
    table.Footer.clear();
    TextReader date;
    if (date.Open(DataFilePath(data_file::kUpdateDate)))
        table.Footer = (LoadText(kUpdatedText) + " " + date.ReadLine()).substr(0, kFooterWidth);
    // Counted on files the archive has moved on from: the footer says what they hold.
    if (std::string notice = PreparedSnapshotNotice(); !notice.empty()) table.Footer = std::move(notice);
}

std::string HeadingSegment(const std::string& label, int line) {
    size_t start = 0;
    for (int l = 1; l < line; ++l) {
        const size_t slash = label.find('\\', start);
        if (slash == std::string::npos) return {};
        start = slash + 1;
    }
    const size_t end = label.find('\\', start);
    return label.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string ReportTableHtml(const ReportTable& t) {
    const std::string q = "\"";
    const std::string centred = "<td><p align=" + q + "center" + q + ">";
    TextBuilder out;
    out.Line("<html>");
    out.Line("<head>");
    out.Line("<meta http-equiv=" + q + "Content-Type" + q);
    out.Line("content=" + q + "text/html; charset=iso-8859-1" + q + ">");
    out.Line("<meta name=" + q + "GENERATOR" + q + " content=" + q + "Geolar 1.0" + q + ">");
    out.Line("<title>Tabella</title>");
    out.Line("</head>");
    out.Line("<body bgcolor=" + q + "#FFFFFF" + q + ">");
    for (const std::string* text : {&t.ColumnSetTitle, &t.RowSetTitle, &t.LogLines[0], &t.LogLines[1]})
        if (!text->empty()) out.Line("<p>" + HtmlText(*text) + "</p>");
    out.Line("<div align=" + q + "center" + q + "><center>");
    out.Line("<table border=" + q + "2" + q + ">");
    if (t.GroupCount > 0) {
        out.Line("<tr>");
        out.Line("<td>&nbsp;</td>");
        for (int g = 0; g < t.GroupCount; ++g)
            out.Line("<td colspan=" + q + std::to_string(t.GroupSpans[size_t(g)]) + q + "><p align=" + q +
                     "center" + q + ">" + HtmlText(t.GroupLabels[size_t(g)]) + "</p></td>");
        out.Line("</tr>");
    }
    out.Line("<tr>");
    out.Line("<td>&nbsp;</td>");
    for (int c = 1; c <= t.ColumnCount; ++c) {
        std::string label = t.ColumnLabels[size_t(c)];
        int replaced = 0;
        for (char& ch : label)
            if (ch == '\\' && replaced < kMaxHtmlBackslashes) {
                ch = ' ';
                ++replaced;
            }
        out.Line(centred + HtmlText(label) + "</p></td>");
    }
    if (t.TotalColumn) out.Line("<td>TOTALE</td>");
    out.Line("</tr>");
    for (int r = 1; r <= t.RowCount + 1; ++r) {
        out.Line("<tr>");
        out.Line("<td><p align=" + q + "left" + q + ">" + HtmlText(t.RowLabels[size_t(r)]) + "</p></td>");
        for (int c = 1; c <= t.ShownColumns(); ++c)
            out.Line(centred + std::to_string(t.Counts[size_t(r)][size_t(c)]) + "</p></td>");
        out.Line("</tr>");
    }
    out.Line("</center></div>");
    out.Line("</body>");
    out.Line("</html>");
    return out.Text();
}

std::string ReportHtmlPath() {
    return CoreState.ProgramDir + "Geolar.Htm";
}

void WriteReportHtml(const ReportTable& table) {
    const std::string html = ReportTableHtml(table);
    WriteFileAtomic(ReportHtmlPath(), html);
}

std::optional<int> ReadPrintEnlargement() {
    TextReader reader;
    if (!reader.Open(CoreState.ArchiveDir + "Stampa." + CoreState.StationNumber)) return std::nullopt;
    const std::optional<int64_t> value = Integer(reader.ReadLine(kPrintOptionsWidth));
    if (!value || *value < 0) return std::nullopt;
    return int(*value);
}

void WritePrintEnlargement(int percent) {
    TextBuilder out;
    out.Line(std::to_string(percent));
    out.Save(CoreState.ArchiveDir + "Stampa." + CoreState.StationNumber);
}

}  // namespace qv
