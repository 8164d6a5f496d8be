#include "cardwindow/card_export.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/selected_cards.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/progress.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr int kCaptionChars = 50;
constexpr int kValueWidth = 7;
constexpr int kNumberWidth = 9;

// The fixed-width column of field `field`'s 32-bit numbers.
int NumberWidth(const NumberColumns& widths, int field) {
    return field >= 0 && size_t(field) < widths.size() ? std::max(widths[size_t(field)], kNumberWidth)
                                                       : kNumberWidth;
}

void EndField(std::string& line, bool tabs) {
    if (tabs) line += '\t';
}

struct LayoutTexts {
    std::vector<std::string> t;  // 1095 .. 1109
    LayoutTexts() {
        for (int n = 1095; n <= 1109; ++n) t.push_back(LoadText(n));
    }
    const std::string& operator[](int n) const { return t[size_t(n - 1095)]; }
};

struct DeclaredKind {
    int width = 0;
    int answers = 0;  // coded fields: answers; others 0
    std::string text;
};

}  // namespace

std::string BuildExportLayout(const std::string& declarations, bool tabs, const NumberColumns& widths) {
    const LayoutTexts texts;
    TextReader in(declarations);
    if (!in.Eof()) in.SkipLine();
    TextBuilder out;
    out.Line(tabs ? texts[1096] : texts[1095] + " " + texts[1096]);
    int64_t pos = 0;
    int field = 1;
    const std::string indent(21, ' ');
    while (!in.Eof()) {
        const std::string line = in.ReadLine();
        const char type = line.size() >= 4 ? line[3] : '\0';
        DeclaredKind kind;
        switch (type) {
            case 'A':
                kind = {std::max(ReadColumnNumber(in.ReadLine(), 6, 55), 0), 0, texts[1097]};
                break;
            case 'Q':
                kind = {kValueWidth, 0, texts[1098]};
                break;
            case 'L':
                kind = {NumberWidth(widths, field), 0, texts[1099]};
                break;
            case 'D':
                kind = {kValueWidth, 0, texts[1100]};
                break;
            case 'P':
                kind = {kValueWidth, 0, texts[1101]};
                break;
            case 'O':
                kind = {kValueWidth, 0, texts[1102]};
                break;
            case 'K':
                kind = {kValueWidth, 0, texts[1103]};
                break;
            default:
                if (const int n = CodedFieldAnswers(type); n > 0)
                    kind = {kValueWidth * n, n,
                            n == 1 ? texts[1104] : texts[1105] + " " + std::to_string(n) + texts[1106]};
                else
                    continue;  // not a field line
        }
        std::string caption = line.size() > 5 ? line.substr(5, kCaptionChars) : std::string();
        caption.resize(kCaptionChars, ' ');
        std::string entry;
        if (!tabs) entry = RightAligned(pos + 1, 10) + RightAligned(pos + kind.width, 10) + " ";
        entry += caption + kind.text;
        pos += kind.width;
        if (kind.answers == 0) {
            out.Line(entry);
            ++field;
            continue;
        }
        if (!tabs) entry += texts[1107];
        out.Line(entry);
        out.Line(indent + texts[1108] + " " + std::to_string(field) + ")");
        for (int k = 1; !in.Eof(); ++k) {
            const std::string category = in.ReadLine();
            if (category.size() >= 8 && category.compare(5, 3, "///") == 0) break;
            const std::string label = category.size() > 9 ? category.substr(9) : std::string();
            // Labels begin with a letter; digits there name the field whose list this one shares.
            if (!label.empty() && label[0] >= '0' && label[0] <= '9')
                out.Line(indent + texts[1109] + " " + label);
            else
                out.Line(indent + RightAligned(k, 4) + " " + label);
        }
        field += kind.answers;
    }
    return out.Text();
}

std::string ExportCardLine(const uint8_t* text, const uint16_t* words, bool tabs,
                           const NumberColumns& widths) {
    const CardGeometry g = CurrentCardGeometry();
    auto word = [&](int p) -> int16_t { return p >= 1 && p <= g.wordCount ? int16_t(words[p - 1]) : 0; };
    std::string line;
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f) {
        const FieldType type = FieldTypes[f];
        const int p = FieldPositions[f];
        if (type.IsText()) {
            const int n = -type;
            std::string value;
            for (int i = FieldTextOffsets[f]; i >= 1 && i < FieldTextOffsets[f] + n && i <= g.textBytes;
                 ++i) {
                const uint8_t c = text[i - 1];
                if (c == 0) break;
                value.push_back(c < 32 ? ' ' : char(c));
            }
            if (!tabs) value.resize(size_t(n), ' ');
            line += value;
            EndField(line, tabs);
            continue;
        }
        switch (type) {
            case FieldType::kCoded:
            case FieldType::kFurtherAnswer: {
                const int v = word(p);
                const bool valid = v >= 1 && v <= FieldCategoryCount(f);
                if (tabs)
                    line += valid ? std::to_string(v) : std::string();
                else
                    line += valid ? RightAligned(v, kValueWidth) : std::string(kValueWidth, ' ');
                break;
            }
            case FieldType::kDate: {
                const int year = word(p + 2);
                std::string value(kValueWidth, ' ');
                if (year > 0) {
                    value = RightAligned(year, 3) + RightAligned(word(p + 1), 2) + RightAligned(word(p), 2);
                    if (!tabs && value.size() > size_t(kValueWidth)) value.assign(kValueWidth, ' ');
                }
                line += value;
                break;
            }
            case FieldType::kMunicipality: {
                const int v = word(p);
                line += v > 0 ? RightAligned(v, kValueWidth) : std::string(kValueWidth, ' ');
                break;
            }
            case FieldType::kNumber:
            case FieldType::kTime:
            case FieldType::kPercent: {
                const int16_t v = word(p);
                line +=
                    uint16_t(v) == kEmptyWord ? std::string(kValueWidth, ' ') : RightAligned(v, kValueWidth);
                break;
            }
            case FieldType::kNumber32: {
                const int32_t v =
                    p >= 1 && p + 1 <= g.wordCount ? DecodeCardNumber(words[p - 1], words[p]) : kEmptyNumber;
                const int width = NumberWidth(widths, f);
                line += v == kEmptyNumber ? std::string(size_t(width), ' ') : RightAligned(v, width);
                break;
            }
            default:
                continue;  // a type the layout does not know writes nothing
        }
        EndField(line, tabs);
    }
    return line;
}

namespace {

// Widens `widths` to the 32-bit numbers of one card's words (word 1 at words[0]).
void WidenNumberColumns(const uint16_t* words, NumberColumns& widths) {
    const CardGeometry g = CurrentCardGeometry();
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f) {
        const int p = FieldPositions[f];
        if (FieldTypes[f] != FieldType::kNumber32 || p < 1 || p + 1 > g.wordCount) continue;
        const int32_t v = DecodeCardNumber(words[p - 1], words[p]);
        if (v == kEmptyNumber) continue;
        if (widths.size() <= size_t(f)) widths.resize(size_t(f) + 1, kNumberWidth);
        widths[size_t(f)] = std::max(widths[size_t(f)], int(std::to_string(v).size()));
    }
}

}  // namespace

CardCount RunTotalExport(Progress& progress) {
    const bool tabs = CoreState.ExportTabs != 0;
    // Without the declarations nothing is written.
    const std::string declarations = ReadFileOrThrow(DataFilePath(data_file::kDeclaration));

    const CardFiles files = CardFiles::Current();
    const CardGeometry g = files.Geometry();
    const CardCount cards = files.CountCards();
    const int32_t last = cards.last;
    // A 32-bit number wider than its column widens the column on every line, and the layout
    // tells the columns, so that no value is lost and the lines stay aligned.
    NumberColumns widths;
    if (!tabs && last >= 0)
        ForEachCardBlock(last, [&](int32_t, int32_t count, int32_t, const uint16_t* words) {
            for (int32_t k = 0; k < count; ++k)
                WidenNumberColumns(&words[size_t(k) * size_t(g.wordCount)], widths);
        });
    const std::string layout = BuildExportLayout(declarations, tabs, widths);
    progress.SetMaximum(std::max(last, 0));
    std::string data;
    if (last >= 0) {
        RecordFile textFile(files.TextPath(), kCardTextRecordBytes, RecordFile::Mode::Read);
        std::vector<uint8_t> texts;
        ForEachCardBlock(last, [&](int32_t first, int32_t count, int32_t, const uint16_t* words) {
            texts.assign(size_t(count) * size_t(g.textBytes), 0);
            textFile.ReadUpTo(int64_t(first) * g.TextRecords(), texts.data(),
                              int64_t(count) * g.TextRecords());
            for (int32_t k = 0; k < count; ++k) {
                data += ExportCardLine(&texts[size_t(k) * size_t(g.textBytes)],
                                       &words[size_t(k) * size_t(g.wordCount)], tabs, widths);
                data += "\r\n";
                progress.SetPosition(first + k);
            }
        });
    }
    WriteFileAtomic(DataFilePath(data_file::kExportLayout), layout);
    WriteFileAtomic(DataFilePath(data_file::kExportData), data);

    if (last >= 0) {
        CoreState.CurrentCard = last;
        ReadCardText();
        ReadCardValues();
    }
    return cards;
}

}  // namespace qv
