#include "core/compiler_fields.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "core/archive_definition.h"
#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kLabelWidth = 200;
constexpr int kMaxCategoryIndex = 998;
constexpr int kListCount = 255;
// Numbers typed in the source are read up to this value; more digits change nothing.
constexpr int kNumberCap = 1000000;

bool IsCapital(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLetter(char c) {
    return IsCapital(c) || (c >= 'a' && c <= 'z');
}

void AppendDigit(int& value, char c) {
    value = std::min(kNumberCap, value * 10 + (c - '0'));
}

// A caption line: a hidden caption ("#...") gives the rest after the "#".
std::string CaptionOf(const std::string& line) {
    if (!line.empty() && line[0] == '#') return line.substr(1);
    return line;
}

}  // namespace

void CompileRun::Error(int lineNumber, std::string_view rest) {
    std::string line = RightAligned(lineNumber, 5);
    line.append(rest);
    errorList.Line(line);
    errorFlag = true;
}

void CompileRun::TextError(int lineNumber, int textNumber, std::string_view sourceLine) {
    std::string rest = LoadText(textNumber);
    rest += ' ';
    rest.append(sourceLine);
    Error(lineNumber, rest);
}

FieldTypeItem ParseFieldType(std::string_view line) {
    FieldTypeItem item;
    size_t i = 2;
    while (i < line.size() && !IsCapital(line[i])) ++i;
    if (i >= line.size()) return item;
    item.letter = line[i++];
    if (item.letter != 'A' && item.letter != 'C') return item;
    while (i < line.size() && line[i] != '#' && line[i] != ',' && !IsCapital(line[i])) {
        if (IsDigit(line[i])) AppendDigit(item.number, line[i]);
        ++i;
    }
    if (item.letter != 'C' || i >= line.size() || line[i] != ',') return item;
    for (++i; i < line.size() && line[i] != ' ' && !IsCapital(line[i]); ++i) {
        if (IsDigit(line[i])) AppendDigit(item.columns, line[i]);
    }
    return item;
}

int AnswerCount(const FieldTypeItem& item) {
    if (item.letter != 'C') return 0;
    if (item.number < 1 || item.number > kMaxAnswers) return 1;
    return item.number;
}

char AnswerCountCharacter(int n) {
    if (n <= 9) return char('0' + n);
    return char('a' + (n - 10));  // 36 gives "{", the character after "z"
}

int FieldsOfTypeCharacter(char c) {
    return std::max(1, CodedFieldAnswers(c));
}

std::string ZeroPadded(int64_t value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", digits, static_cast<long long>(value));
    return buf;
}

namespace {

// The field pass proper, one source line at a time.
class FieldPass {
  public:
    explicit FieldPass(CompileRun& run) : run_(run) {}

    void Run() {
        TextReader in;
        in.OpenOrThrow(DataFilePath(data_file::kDesignerSource));
        bool titleWritten = false;
        while (!in.Eof()) {
            std::string line = Next(in);
            if (line.empty()) continue;
            if (!titleWritten) {
                out_.Line(line);
                titleWritten = true;
            }
            if (line[0] != '*') {
                PlainLine(line);
                continue;
            }
            const char command = line.size() > 1 ? line[1] : '\0';
            if (command == 'T') {
                TextCommand(in, line);
            } else if (command == 'C') {
                FieldCommand(line);
            } else if (command != 'P') {
                run_.TextError(lineNumber_, 464, line);
            }
        }
        CloseList(467, lastRead_);
        out_.Save(DataFilePath(data_file::kDesignerDeclaration));
        run_.linesRead = lineNumber_;
        CheckCardSize();
    }

  private:
    enum class State { Before, Text, Field };

    std::string Next(TextReader& in) {
        lastRead_ = in.ReadLine(kSourceWidth);
        ++lineNumber_;
        return lastRead_;
    }

    void CloseList(int textNumber, const std::string& shown) {
        if (!inList_) return;
        out_.Line("     ///");
        if (categoryCount_ == 0) run_.TextError(lineNumber_, textNumber, shown);
        categoryCount_ = 0;
        inList_ = false;
    }

    void TextCommand(TextReader& in, const std::string& commandLine) {
        CloseList(456, commandLine);
        state_ = State::Text;
        // The line right after "*T" is the first caption candidate, whatever it holds.
        const std::string next = in.Eof() ? std::string() : Next(in);
        caption_ = CaptionOf(next);
        if (!next.empty() && next[0] == '*') run_.TextError(lineNumber_, 457, commandLine);
    }

    void FieldCommand(const std::string& line) {
        CloseList(458, line);
        const int declared = fieldNumber_;
        const FieldTypeItem item = ParseFieldType(line);
        if (item.letter == 'A' && item.number == 0) run_.TextError(lineNumber_, 459, line);
        const int length = std::max(1, item.number);
        state_ = State::Field;
        categoryIndex_ = 0;
        std::string out = ZeroPadded(fieldNumber_ % 1000, 3);
        ++fieldNumber_;
        switch (item.letter) {
            case 'A':
            case 'O':
            case 'P':
            case 'Q':
                out += item.letter;
                run_.numericTotal += 1;
                break;
            case 'D':
                out += 'D';
                run_.numericTotal += 3;
                break;
            case 'L':
                out += 'L';
                run_.numericTotal += 2;
                break;
            // The definition builder gives F and T one word each: they are counted here too,
            // or their values would land past the card's reserved words.
            case 'F':
                out += 'Q';
                run_.numericTotal += 1;
                break;
            case 'T':
                out += 'K';
                run_.numericTotal += 1;
                break;
            case 'C': {
                if (item.number > kMaxAnswers) {
                    std::string rest = LoadText(460);
                    rest += ' ' + std::to_string(item.number) + " (1..36) -> " + line;
                    run_.Error(lineNumber_, rest);
                }
                const int answers = AnswerCount(item);
                fieldNumber_ += answers - 1;
                run_.numericTotal += answers;
                out += AnswerCountCharacter(answers);
                inList_ = true;
                break;
            }
            default:
                run_.TextError(lineNumber_, 461, line);
        }
        out += ' ';
        out += caption_;
        out_.Line(out);
        if (!caption_.empty() && caption_[0] == ' ') {
            run_.Error(lineNumber_, LoadText(462) + caption_ + "\"");
            run_.errorList.Line("       " + LoadText(463));
        }
        if (item.letter == 'A') {
            out_.Line("     " + ZeroPadded(length, 3));
            run_.textTotal = std::min(kNumberCap, run_.textTotal + length);
        }
        // Only a coded field has a category list to share; elsewhere a "#" would put reference
        // lines after a field that the definition builder reads without any.
        if (item.letter == 'C') CheckCategoryReference(line, declared);
    }

    void CheckCategoryReference(const std::string& line, int declared) {
        const size_t hash = line.find('#');
        if (hash == std::string::npos) return;
        int list = 0;
        for (size_t i = hash + 1; i < line.size() && i <= hash + 5 && IsDigit(line[i]); ++i) {
            list = list * 10 + (line[i] - '0');
        }
        if (list < 1 || list > kListCount) {
            run_.Error(lineNumber_, LoadText(455) + "255) ->" + line);
            list = list < 1 ? 0 : kListCount;
        }
        if (listOwner_[list] == 0) {
            listOwner_[list] = declared;
            return;
        }
        out_.Line("     001 " + ZeroPadded(listOwner_[list] % 1000, 3));
        out_.Line("     ///");
        inList_ = false;
        categoryCount_ = 0;
    }

    void PlainLine(const std::string& line) {
        if (state_ == State::Text) {
            caption_ = CaptionOf(line);
        } else if (state_ == State::Field) {
            if (!inList_) {
                run_.TextError(lineNumber_, 466, line);
                return;
            }
            if (categoryIndex_ < kMaxCategoryIndex) ++categoryIndex_;
            ++categoryCount_;
            const auto start =
                std::find_if(line.begin(), line.end(), [](char c) { return IsLetter(c) || c == '#'; });
            if (start == line.end()) {
                run_.TextError(lineNumber_, 465, line);
                return;
            }
            std::string label(start, line.end());
            if (label.size() > kLabelWidth) label.resize(kLabelWidth);
            out_.Line("     " + ZeroPadded(categoryIndex_, 3) + " " + label);
        }
    }

    // The card must hold every field: the numeric part with the notes chain head after the
    // fields, and the text part.
    void CheckCardSize() {
        if (run_.numericTotal + kNotesHeadWords > kCardWordLimit) {
            run_.Error(lineNumber_, ", campi numerici oltre la scheda: " + std::to_string(run_.numericTotal) +
                                        " posizioni (massimo " +
                                        std::to_string(kCardWordLimit - kNotesHeadWords) + ")");
            run_.cardOverflow = true;
        }
        if (run_.textTotal > kCardTextLimit) {
            run_.Error(lineNumber_, ", campi di testo oltre la scheda: " + std::to_string(run_.textTotal) +
                                        " caratteri (massimo " + std::to_string(kCardTextLimit) + ")");
            run_.cardOverflow = true;
        }
    }

    CompileRun& run_;
    TextBuilder out_;
    std::array<int, kListCount + 1> listOwner_{};  // entry 0 takes a "#" without a valid number
    State state_ = State::Before;
    std::string caption_;
    std::string lastRead_;
    int lineNumber_ = 0;
    int fieldNumber_ = 1;
    int categoryIndex_ = 0;
    int categoryCount_ = 0;
    bool inList_ = false;
};

}  // namespace

void CompileFieldDeclarations(CompileRun& run) {
    FieldPass(run).Run();
}

int ReservedPositions(int total, int limit) {
    return std::min(limit, (total / 50 + 2) * 50);
}

void CreateEmptyCardFiles() {
    const CardFiles files(DataFilePath(data_file::kDesignerCardText),
                          DataFilePath(data_file::kDesignerCardValues),
                          DataFilePath(data_file::kDesignerLastCard), CardGeometry{});
    {
        // The same lock as every other writer of the last-card index.
        FileLock lock(files.IndexPath());
        files.WriteLastCard(-1);
    }
    WriteFileAtomic(files.ValuesPath(), std::string(size_t(kCardWordLimit) * 4, '\0'));
    WriteFileAtomic(files.TextPath(), std::string(kCardTextLimit, '\0'));
}

void WriteArchiveDescriptor(int numericReserved, int textReserved) {
    TextBuilder out;
    out.Line("Nome Archivio....: ");
    out.Line("Nome indirizzario: " + StoredText(CoreState.DesignerDir));
    out.Line("Scheda.NUM.......: " + std::to_string(numericReserved) + " posizioni riservate");
    out.Line("Scheda.ALF.......: " + std::to_string(textReserved) + " posizioni riservate");
    out.Line("Var statistiche..: 0");
    out.Line("Modalita' \"\"\"\" ..: 0");
    out.Line("Inizio fattori...: 0");
    out.Save(DataFilePath(data_file::kDesignerDescriptor));
}

void WriteFactorList() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kDesignerDeclaration));
    if (!in.Eof()) in.SkipLine();
    int field = 0;
    int factorStart = 0;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(3 + 1 + 1 + 50);
        if (line.empty() || static_cast<unsigned char>(line[0]) <= ' ') continue;
        field += FieldsOfTypeCharacter(line.size() > 3 ? line[3] : '\0');
        if (line.size() > 5 && line.find("Fattore  1", 5) != std::string::npos) factorStart = field;
    }
    TextBuilder out;
    out.Line(std::to_string(factorStart));
    out.Save(DataFilePath(data_file::kFactorStart));
}

int CardSizeFromDescriptor(int value, int limit) {
    value = std::clamp(value, 50, limit);
    return (value + 49) / 50 * 50;
}

DescriptorValues ParseDescriptor(TextReader& reader) {
    std::array<std::string, 6> lines;
    for (std::string& line : lines) line = reader.Eof() ? std::string() : reader.ReadLine(255);
    DescriptorValues d;
    d.cardWords = CardSizeFromDescriptor(DescriptorValue(lines[2]), kCardWordLimit);
    d.cardTextBytes = CardSizeFromDescriptor(DescriptorValue(lines[3]), kCardTextLimit);
    d.sized = DescriptorValue(lines[2]) > 0 && DescriptorValue(lines[3]) > 0;
    d.splitField = DescriptorValue(lines[4]);
    d.splitCategoryCount = DescriptorValue(lines[5]);
    return d;
}

std::optional<DescriptorValues> ReadDescriptor(const std::string& path) {
    constexpr int64_t kDescriptorLimit = 64 << 10;
    std::optional<std::string> bytes = TryReadFile(path, kDescriptorLimit);
    if (!bytes) return std::nullopt;
    TextReader reader(std::move(*bytes));
    return ParseDescriptor(reader);
}

}  // namespace qv
