#include "elaborations/grid_files.h"

#include <algorithm>
#include <cstdio>

#include "core/archive_definition.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"

namespace qv {

namespace {

constexpr int kGridScanLimit = 100;  // positions of a grid line that are scanned
constexpr size_t kNumberBufferSize = 20;

// Record `record` of a name file read whole; one the file lacks raises, as a read past its end.
const std::string& NameRecord(const std::vector<std::string>& records, const std::string& path,
                              int64_t record) {
    if (record < 0 || record >= int64_t(records.size())) ThrowIo(kReadPastEnd, path);
    return records[size_t(record)];
}

}  // namespace

GridLine ParseGridLine(std::string_view text, const GridLine* previous, GridLineTokens* tokens) {
    GridLine line;
    // The line as the 300-character buffer it is read into holds it: zeros past its end.
    const size_t len = std::min(text.size(), size_t(kGridLineWidth));
    auto buf = [&](size_t i) { return i < len ? text[i] : '\0'; };

    size_t star = text.substr(0, len).find('*');
    if (star == std::string_view::npos) {
        line.Label = std::string(text.substr(0, len));
        return line;
    }
    line.HasStar = true;
    line.Label = std::string(text.substr(0, star));

    const GridLine none;
    const GridLine& prev = previous ? *previous : none;
    std::string number;
    for (size_t i = star + 1; i < size_t(kGridScanLimit); ++i) {
        char c = buf(i);
        if (c == '-' || (c >= '0' && c <= '9')) {
            if (number.size() < kNumberBufferSize) number.push_back(c);
        } else if (c == '=') {
            if (tokens) {
                tokens->HasEquals = true;
                tokens->FieldText = number;
            }
            line.Field = number.empty() ? prev.Field : WholeInteger(number).value_or(0);
            number.clear();
        } else if (c == ',') {
            if (tokens) {
                tokens->HasComma = true;
                tokens->LowText = number;
            }
            line.Low = WholeInteger(number).value_or(0);
            number.clear();
        } else if (c == ';') {
            if (tokens) {
                tokens->HasSemicolon = true;
                tokens->HighText = number;
            }
            line.High = WholeInteger(number).value_or(0);
            line.OpensVariable = buf(i + 1) == 'G';
            if (line.OpensVariable) line.Code = std::string(text.substr(i + 1, len - i - 1));
            line.FieldCount = prev.FieldCount;
            line.Parent = prev.Parent;
            if (tokens) {
                // What follows must be a code or a heading mark; a blank rest is no code.
                size_t k = i + 1;
                while (k < kGridLineWidth && buf(k) == ' ') ++k;
                tokens->UnknownCode = buf(k) != 0 && buf(k) != 'G' && buf(k) != '#';
            }
            // The count and the parent belong to the code: after anything else (a column
            // heading such as "#2015") the line keeps its variable's.
            if (!line.OpensVariable) break;
            // Count character: anything above '/' counts from '0', so groups of ten answers
            // and more (written ':' onwards) read back as written.
            unsigned char count = static_cast<unsigned char>(buf(i + 2));
            if (count > '/') line.FieldCount = count - '0';
            size_t d = i + 4;
            std::string digits;
            while (d < kGridLineWidth && buf(d) >= '0' && buf(d) <= '9') {
                if (digits.size() < kNumberBufferSize) digits.push_back(buf(d));
                ++d;
            }
            if (!digits.empty()) line.Parent = WholeInteger(digits).value_or(0);
            break;
        }
    }
    return line;
}

std::string_view GridLineLabel(std::string_view text, LeadingStar rule) {
    const size_t from = rule == LeadingStar::Skipped && !text.empty() && text[0] == '*' ? 1 : 0;
    const size_t star = text.find('*', from);
    return text.substr(from, (star == std::string_view::npos ? text.size() : star) - from);
}

CategoryGrid LoadCategoryGrid(const std::string& path) {
    TextReader reader;
    reader.OpenOrThrow(path);
    CategoryGrid grid;
    auto push = [&grid](GridLine& l) {
        grid.Low.push_back(l.Low);
        grid.High.push_back(l.High);
        grid.Parent.push_back(l.Parent);
        grid.FieldCount.push_back(l.FieldCount);
        grid.Field.push_back(l.Field);
        grid.HasStar.push_back(l.HasStar);
        grid.OpensVariable.push_back(l.OpensVariable);
        grid.Labels.push_back(std::move(l.Label));
    };
    GridLine first;
    push(first);  // entry 0
    grid.Low[0] = grid.High[0] = 0;

    // A line without '*' is passed over for inheritance, so the lines after it still carry
    // their variable's field and code.
    GridLine previous;
    bool havePrevious = false;
    while (!reader.Eof()) {
        if (grid.Count == kMaxGridLines) {
            grid.MoreLines = true;
            break;
        }
        GridLine line =
            ParseGridLine(reader.ReadLineView(kGridLineWidth), havePrevious ? &previous : nullptr);
        push(line);  // the label moves to the grid; the rest stays for the next lines
        if (line.HasStar) {
            previous = std::move(line);
            havePrevious = true;
        }
        ++grid.Count;
    }
    // A parent outside the grid is no parent: every count and report treats the line alone.
    for (int i = 1; i <= grid.Count; ++i) {
        int32_t& parent = grid.Parent[size_t(i)];
        if (!ParentInGrid(parent, grid.Count)) parent = 0;
        if (parent > 0) grid.ParentRepetitions = 2;
    }
    return grid;
}

int LoadUnitField(const std::string& quantGridPath) {
    if (!CoreState.CountByQuantUnit) return 0;
    TextReader reader;
    if (!reader.Open(quantGridPath)) {
        CoreState.CountByQuantUnit = 0;
        return 0;
    }
    std::string last;
    bool any = false;
    for (int i = 0; i <= CoreState.QuantUnitVar; ++i) {
        last = reader.Eof() ? std::string() : reader.ReadLine(20);
        any = true;
    }
    if (!any || last.empty()) return 0;
    std::string_view rest = std::string_view(last).substr(1);
    return WholeInteger(rest.substr(0, rest.find('*'))).value_or(0);
}

std::vector<int32_t> LoadQuantitativeGrid(const std::string& path) {
    TextReader reader;
    reader.OpenOrThrow(path);
    std::vector<int32_t> fields;
    while (!reader.Eof() && int(fields.size()) < kMaxFields) {
        std::string line = reader.ReadLine(101);
        std::string_view rest = line.empty() ? std::string_view() : std::string_view(line).substr(1);
        fields.push_back(WholeInteger(rest.substr(0, rest.find('*'))).value_or(0));
    }
    return fields;
}

void GenerateDichotomousGrid() {
    const std::string namesPath = DataFilePath(data_file::kFieldName);
    const std::string labelsPath = DataFilePath(data_file::kLabel);
    const std::vector<std::string> names = ReadAllNameRecords(namesPath);
    std::vector<std::string> labels;
    bool labelsRead = false;
    TextBuilder out;
    const int count = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= count; ++f) {
        const FieldType type = FieldTypes[f];
        if (type != FieldType::kCoded && type != FieldType::kDate && !type.IsNumeric()) continue;
        const std::string& name = NameRecord(names, namesPath, f - 1);
        const std::string field = std::to_string(f);
        switch (type) {
            case FieldType::kCoded: {
                const int first = FieldFirstLabel[f], last = FieldLastLabel[f];
                if (last < first) break;
                int n = 0;
                if (f < kMaxFields && FieldTypes[f + 1] == FieldType::kFurtherAnswer) {
                    n = 1;
                    for (int g = f + 1;
                         g <= kMaxFields && FieldTypes[g] == FieldType::kFurtherAnswer &&
                         FieldFirstLabel[g] == first && FieldLastLabel[g] == last && n < 255 - '0';
                         ++g)
                        ++n;
                }
                if (!labelsRead) {
                    labels = ReadAllNameRecords(labelsPath);
                    labelsRead = true;
                }
                for (int k = 1; k <= last - first + 1; ++k) {
                    std::string line = name + " " + NameRecord(labels, labelsPath, first + k - 1) + "*";
                    if (k == 1) line += field;
                    line += "=" + std::to_string(k) + "," + std::to_string(k) + ";";
                    if (k == 1) line += std::string("G") + char('0' + n) + "S0";
                    out.Line(line);
                }
                out.Line(name + " MR*=0,0;");
                break;
            }
            case FieldType::kDate:
                out.Line(name + "          - 31/12/1995*" + field + "=1,951231;G0S0");
                out.Line(name + " 1/1/1996 - 31/12/1996*=960101,961231;");
                out.Line(name + " 1/1/1997 - 31/12/1997*=970101,971231;");
                out.Line(name + " 1/1/1998 - 31/12/1998*=980101,981231;");
                out.Line(name + " 1/1/1999 - 31/12/1999*=990101,991231;");
                out.Line(name + " 1/1/2000 - 31/12/2000*=1000101,1001231;");
                out.Line(name + " 1/1/2001 - *=1010101,999999999;");
                out.Line(name + " MR*=-999999999,0;");
                break;
            case FieldType::kNumber:
            case FieldType::kNumber32:
                out.Line(name + "   0 -   0*" + field + "=0,0;G0S0");
                out.Line(name + "   1 -  20*=1,20;");
                out.Line(name + "  21 -  50*=21,50;");
                out.Line(name + "  51 - 100*=51,100;");
                out.Line(name + " 101 -*=101,999999999;");
                out.Line(name + " MR*=-999999999,-1;");
                break;
            case FieldType::kTime:
                out.Line(name + " 00.00 - 12.00*" + field + "=0,1200;G0S0");
                out.Line(name + " 12.01 - 18.00*=1201,1800;");
                out.Line(name + " 18.01 - 24.00*=1801,999999999;");
                out.Line(name + " MR*=-999999999,-1;");
                break;
            case FieldType::kPercent:
                out.Line(name + "   0%*" + field + "=0,0;G0S0");
                out.Line(name + "   1 -  25%*=1,2599;");
                out.Line(name + "  26 -  50%*=2600,5099;");
                out.Line(name + "  51 -  75%*=5100,7599;");
                out.Line(name + "  76 -  99%*=7600,9999;");
                out.Line(name + " 100%*=10000,999999999;");
                out.Line(name + " MR*=-32000,-1;");
                break;
        }
    }
    out.Save(DataFilePath(data_file::kGrid));
}

void GenerateQuantitativeGrid() {
    const std::string namesPath = DataFilePath(data_file::kFieldName);
    const std::vector<std::string> names = ReadAllNameRecords(namesPath);
    TextBuilder out;
    const int count = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= count; ++f) {
        if (FieldTypes[f] != FieldType::kNumber && FieldTypes[f] != FieldType::kNumber32) continue;
        out.Line("*" + std::to_string(f) + "*" + NameRecord(names, namesPath, f - 1));
    }
    out.Save(DataFilePath(data_file::kQuantGrid));
}

void GenerateTableHeadings() {
    TextReader reader;
    reader.OpenOrThrow(DataFilePath(data_file::kDeclaration));
    if (!reader.Eof()) reader.SkipLine();
    TextBuilder out;
    int block = 0;
    while (!reader.Eof()) {
        std::string line = reader.ReadLine();
        if (line.size() < 4) continue;
        const char type = line[3];
        // Coded fields ("1".."9", "a".."z", "{" for 36 answers), dates, numbers, times and
        // percentages: the fields the grid generator writes a variable for.
        bool heads = (type >= '1' && type <= '9') || (type >= 'a' && type <= '{') || type == 'D' ||
                     type == 'L' || type == 'O' || type == 'P' || type == 'Q';
        if (!heads) continue;
        ++block;
        char number[8];
        std::snprintf(number, sizeof number, "%03d", block % 1000);
        out.Line(number)
            .Line()
            .Line()
            .Line(line.size() > 5 ? std::string_view(line).substr(5) : "")
            .Line("///");
    }
    out.Save(DataFilePath(data_file::kHeadings));
}

bool TableHeadingsReader::Open(const std::string& path) {
    return reader_.Open(path);
}

void TableHeadingsReader::AppendHeading(int variable, TextBuilder& out) {
    while (!reader_.Eof()) {
        std::string line = reader_.ReadLine();
        if (line.size() == 3 && WholeInteger(line).value_or(0) == variable) break;
    }
    while (!reader_.Eof()) {
        std::string line = reader_.ReadLine();
        if (line.compare(0, 3, "///") == 0) break;
        out.Line(line);
    }
    out.Line().Line();
}

std::string_view QuantGridLineName(std::string_view line) {
    const size_t first = line.find('*');
    const size_t second = first == std::string_view::npos ? first : line.find('*', first + 1);
    return second == std::string_view::npos ? std::string_view() : line.substr(second + 1);
}

}  // namespace qv
