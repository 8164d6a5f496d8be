#include "selection/print_mask.h"

#include <algorithm>

#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/compiler_fields.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "platform/file_io.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kFieldPartChars = 10;
constexpr size_t kWidthPartChars = 10;
constexpr size_t kTextPartChars = 50;
constexpr size_t kCopyLineChars = 2550;
constexpr size_t kDefinitionLineChars = 255;

// Dates and numbers line up on the right, texts and labels on the left.
bool AlignsRight(int type) {
    return type == FieldType::kDate || FieldType(type).IsNumeric();
}

std::string Fit(std::string value, int64_t width, bool right) {
    if (width <= 0) return value;
    const size_t w = size_t(std::min<int64_t>(width, kMaskValueLimit));
    if (value.size() > w) value.resize(w);
    const std::string pad(w - value.size(), ' ');
    return right ? pad + value : value + pad;
}

// A text field ends after its last character above the blank; a field of blanks keeps its
// first one.
std::string TrimText(std::string text) {
    size_t end = text.size();
    while (end > 0 && uint8_t(text[end - 1]) <= ' ') --end;
    text.resize(end == 0 ? std::min<size_t>(text.size(), 1) : end);
    return text;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string FieldValue(int field) {
    if (field > CoreState.FieldCount || field > kMaxFields) return {};
    FieldFormatOptions options;
    options.categoryOutOfRange = CategoryOutOfRange::Unknown;
    std::string value = FormatFieldValue(field, options);
    if (TypeOfField(field).IsText()) value = TrimText(std::move(value));
    if (value.size() > size_t(kMaskValueLimit)) value.resize(kMaskValueLimit);
    return value;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

int64_t MaskNumber(std::string_view part) {
    int64_t n = 0;
    // A part holds at most ten digits, which int64 always takes.
    for (char c : part) {
        if (c < '0' || c > '9') break;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string CardNotesText() {
    return ReadNotesChain(DataFilePath(data_file::kNotes), GetNotesHead());
}

std::string MaskFieldText(std::string_view fieldPart, std::string_view widthPart) {
    const int64_t width = MaskNumber(widthPart);
    if (fieldPart == "P") {
        // Only a byte has a character; a larger code writes nothing.
        return width <= 255 ? std::string(1, char(width)) : std::string();
    }
    if (fieldPart == "N") return CardNotesText();
    if (fieldPart.empty() || fieldPart[0] < '0' || fieldPart[0] > '9') return {};
    const int64_t n = MaskNumber(fieldPart);
    if (n == 0) {
        if (!AllDigits(fieldPart)) return {};
        // The ordinal number is written whole even when it is wider than the column.
        std::string number = std::to_string(int64_t(CoreState.CurrentCard) + 1);
        const int64_t w = std::min<int64_t>(width, kMaskValueLimit);
        if (int64_t(number.size()) < w) number.insert(0, size_t(w) - number.size(), ' ');
        return number;
    }
    if (n > CoreState.FieldCount || n > kMaxFields) return Fit({}, width, false);
    const int field = int(n);
    return Fit(FieldValue(field), width, AlignsRight(FieldTypes[field]));
}

void PrintMask::Load() {
    std::string bytes;
    RecordFile file;
    // Only a missing mask is an empty one: an empty mask may be replaced without asking.
    if (file.OpenIfExists(DataFilePath(data_file::kWorkingMask), 1, RecordFile::Mode::Read)) {
        bytes.resize(kMaskTextLimit);
        bytes.resize(size_t(file.ReadUpTo(0, bytes.data(), kMaskTextLimit)));
    }
    SetText(bytes);
}

void PrintMask::SetText(std::string_view text) {
    text = text.substr(0, kMaskTextLimit);
    text = text.substr(0, text.find('\0'));
    text_.assign(text);
    tabular_ = StartsWith(text_, "#T");
    cardOutputs_ = 0;
}

void PrintMask::Release() {
    text_.clear();
    text_.shrink_to_fit();
    tabular_ = false;
    cardOutputs_ = 0;
}

void PrintMask::FillPrintMask(ListOutputFile& out) {
    ReadCardText();
    ReadCardValues();
    WriteCard(out);
}

void PrintMask::WriteCard(ListOutputFile& out) const {
    Run(out, false);
}

void PrintMask::WriteTabularHeading(ListOutputFile& out) {
    if (cardOutputs_ > 0) out.Write('\f');
    Run(out, true);
    out.WriteLine();
    cardOutputs_ = 0;
}

void PrintMask::AfterCardOutput(ListOutputFile& out) {
    ++cardOutputs_;
    if (tabular_ && cardOutputs_ >= kCardsPerHeading) WriteTabularHeading(out);
}

void PrintMask::Run(ListOutputFile& out, bool heading) const {
    const size_t limits[3] = {kFieldPartChars, kWidthPartChars,
                              heading ? size_t(kMaskHeadingWidth) : kTextPartChars};
    bool inside = false;
    int part = 0;
    std::string parts[3];
    for (char c : text_) {
        if (!inside) {
            if (c == '#') {
                inside = true;
                continue;
            }
            out.Write(c);
            continue;
        }
        if (c != ',' && c != '*') {
            if (part < 3 && parts[part].size() < limits[part]) parts[part].push_back(c);
            continue;
        }
        ++part;
        if (c == ',') continue;
        // "*" closes the placeholder.
        if (!heading) {
            out.Write(MaskFieldText(parts[0], parts[1]));
        } else if (parts[0] == "P") {
            out.Write(MaskFieldText(parts[0], parts[1]));
        } else {
            std::string title = parts[2];
            title.resize(kMaskHeadingWidth, ' ');
            title.resize(size_t(std::min<int64_t>(MaskNumber(parts[1]), kMaskHeadingWidth)));
            out.Write(title);
        }
        inside = false;
        part = 0;
        for (std::string& p : parts) p.clear();
    }
}

void CopyMaskFile(const std::string& from, const std::string& to) {
    TextReader in;
    in.OpenOrThrow(from);
    TextBuilder copy;
    while (!in.Eof()) copy.Line(in.ReadLine(kCopyLineChars));
    copy.Save(to);
}

void CopyFileToWorkingMask(const std::string& from) {
    CopyMaskFile(from, DataFilePath(data_file::kWorkingMask));
}

void CopyWorkingMaskToFile(const std::string& to) {
    CopyMaskFile(DataFilePath(data_file::kWorkingMask), to);
}

bool CreateMaskFromDefinition() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kCardDefinition))) return false;
    TextBuilder mask;
    in.SkipLine();
    bool inText = true;
    int field = 0;
    while (!in.Eof()) {
        std::string line = in.ReadLine(kDefinitionLineChars);
        if (line.size() < kDefinitionLineChars) line.push_back(' ');
        if (StartsWith(line, "*T")) inText = true;
        if (StartsWith(line, "*C")) {
            inText = false;
            // As many placeholders as the compiler makes fields of this declaration, so that
            // the numbers that follow still name the right fields.
            const int fields = std::max(1, AnswerCount(ParseFieldType(line)));
            mask.Put("#" + std::to_string(++field) + "*");
            for (int k = 1; k < fields; ++k) mask.Put(" #" + std::to_string(++field) + "*");
        } else if (inText && !line.empty() && line[0] != '*' && line[0] != '#') {
            // A "#" line is a hidden caption, not shown on the card; in the mask its "#" would
            // open a placeholder that swallows the next field's.
            mask.Line().Put(line);
        }
    }
    mask.Line();
    mask.Save(DataFilePath(data_file::kWorkingMask));
    return true;
}

bool WorkingMaskEmpty() {
    PrintMask mask;
    mask.Load();
    return mask.Text().find_first_not_of(" \t\r\n\f\x1a") == std::string::npos;
}

}  // namespace qv
