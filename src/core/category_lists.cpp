#include "core/category_lists.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/archive_definition.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "platform/file_io.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kUserListWidth = 100;
constexpr size_t kHelpLineWidth = 1100;
constexpr size_t kLabelLimit = 200;
// Declaration lines are carried whole: cutting them would lose the end of long labels.
constexpr size_t kWholeLine = size_t(1) << 20;

bool ValidField(int field) {
    return field >= 1 && field <= kMaxFields;
}

// The labels of a field as "mod-sch.dat" holds them; a record the file lacks is missing.
std::vector<std::optional<std::string>> FieldLabels(int field) {
    std::vector<std::optional<std::string>> labels;
    if (!ValidField(field)) return labels;
    const int first = FieldFirstLabel[size_t(field)];
    const int n = FieldLastLabel[size_t(field)] - first + 1;
    // The file is opened (and a missing one raises) even for a field without labels.
    const bool any = first >= 0 && n > 0;
    const std::vector<std::string> read =
        ReadNameRecordsUpTo(DataFilePath(data_file::kLabel), any ? first : 0, any ? n : 0);
    for (int i = 0; any && i < n; ++i) {
        if (size_t(i) < read.size())
            labels.emplace_back(read[size_t(i)]);
        else
            labels.emplace_back();
    }
    return labels;
}

bool IsEndLine(std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line.size() == 8 && line.compare(0, 8, "     ///") == 0;
}

std::string CategoryLine(int number, const std::string& label) {
    char head[24];
    std::snprintf(head, sizeof head, "     %03d ", number);
    return head + label;
}

// Counts the declarations as the walk meets them: a field line advances the field count by the
// fields it declares and starts a new count of the lines below it.
struct DeclarationWalk {
    int fields = 0;
    int linesBelow = 0;

    void See(const std::string& line) {
        const char c = line.size() >= 4 ? line[3] : '\0';
        if (c >= 'A' && c <= 'Z') {
            fields += 1;
            linesBelow = 0;
        } else if (const int answers = CodedFieldAnswers(c); answers > 0) {
            fields += answers;
            linesBelow = 0;
        } else if (c == ' ') {
            linesBelow += 1;
        }
    }
};

template <typename OnLine>
DeclarationEdit Walk(const std::string& declarations, OnLine onLine) {
    DeclarationEdit edit;
    TextReader in(declarations);
    TextBuilder out;
    if (!in.Eof()) out.Line(in.ReadLine(kWholeLine));
    DeclarationWalk walk;
    while (!in.Eof()) {
        const std::string line = in.ReadLine(kWholeLine);
        walk.See(line);
        if (!onLine(walk, line, out)) out.Line(line);
    }
    edit.text = out.Text();
    return edit;
}

void StoreDeclarations(const std::string& text) {
    WriteFileAtomic(DataFilePath(data_file::kDeclarationBackup), text);
    WriteFileAtomic(DataFilePath(data_file::kDeclaration), text);
    BuildArchiveDefinition();
}

}  // namespace

void WriteCategoryList(int field) {
    TextBuilder out;
    int i = 0;
    for (const auto& label : FieldLabels(field)) {
        ++i;
        if (!label) continue;
        char number[16];
        std::snprintf(number, sizeof number, "%4d. ", i);
        out.Line(number + *label);
    }
    out.Save(DataFilePath(data_file::kListStaging));
}

int WriteCategoryLabels(int field) {
    TextBuilder out;
    int count = 0;
    for (const auto& label : FieldLabels(field)) {
        if (!label) continue;
        out.Line(*label);
        ++count;
    }
    out.Save(DataFilePath(data_file::kListStaging));
    return count;
}

std::vector<std::string> StagedListItems() {
    return TextReader::ReadLines(DataFilePath(data_file::kListStaging)).value_or(std::vector<std::string>{});
}

void CopyCategoryListFile() {
    const auto lines = TextReader::ReadLines(DataFilePath(data_file::kListStaging), kUserListWidth);
    if (!lines) {
        ReadFileOrThrow(DataFilePath(data_file::kListStaging));  // raises the error of the missing list
        return;
    }
    TextBuilder out;
    for (const std::string& line : *lines) out.Line(line);
    out.Save(DataFilePath(data_file::kUserList));
}

void WriteCategoryHelp(int field, int category) {
    std::string helpName;
    if (const auto names = TextReader::ReadLines(DataFilePath(data_file::kHelpNames), 255);
        names && field >= 1 && size_t(field) <= names->size())
        helpName = (*names)[size_t(field) - 1];
    TextBuilder out;
    TextReader help;
    if (!helpName.empty()) {
        std::string path = StoredPath(helpName);
        // A bare name is looked for beside the archive's own files.
        if (path[0] != '/') path = CoreState.ArchiveDir + path;
        if (help.Open(path)) {
            bool copying = false;
            while (!help.Eof()) {
                const std::string line = help.ReadLine(kHelpLineWidth);
                if (!line.empty() && line[0] == '*') {
                    int number = 0;
                    for (size_t i = 1; i <= 4 && i < line.size(); ++i)
                        if (line[i] >= '0' && line[i] <= '9') number = number * 10 + (line[i] - '0');
                    copying = number == category;
                } else if (copying) {
                    out.Line(line);
                }
            }
        }
    }
    out.Save(DataFilePath(data_file::kReport));
}

int ListFirstField(int field) {
    if (!ValidField(field)) return -1;
    const int16_t first = FieldFirstLabel[size_t(field)], last = FieldLastLabel[size_t(field)];
    // Both ends must agree: a coded field left without labels starts where the next list does.
    for (int f = 1; f <= std::min(CoreState.FieldCount, kMaxFields); ++f)
        if (FieldTypes[size_t(f)] == FieldType::kCoded && FieldFirstLabel[size_t(f)] == first &&
            FieldLastLabel[size_t(f)] == last && last >= first)
            return f;
    return -1;
}

std::string NewCategoryLabel(const std::string& typed) {
    std::string label = typed.substr(0, std::min(typed.size(), kLabelLimit));
    // A control character would end or split the declaration line (26 ends a text file).
    for (char& c : label)
        if (uint8_t(c) < ' ') c = ' ';
    return label;
}

bool IsStorableLabel(const std::string& label) {
    return !WholeInteger(label) && label.size() <= kLabelLimit;
}

DeclarationEdit InsertCategoryLine(const std::string& declarations, int firstField, int count,
                                   const std::string& label) {
    bool inserted = false, passed = false;
    DeclarationEdit edit =
        Walk(declarations, [&](const DeclarationWalk& walk, const std::string& line, TextBuilder& out) {
            out.Line(line);
            if (inserted || passed || firstField < 1 || count < 1 || walk.fields < firstField) return true;
            // The list ends before its line `count`: nothing is put below its end line.
            if (IsEndLine(line)) {
                passed = true;
            } else if (walk.linesBelow == count) {
                out.Line(CategoryLine(count + 1, label));
                inserted = true;
            }
            return true;
        });
    edit.done = inserted;
    if (!inserted) edit.text = declarations;
    return edit;
}

DeclarationEdit ReplaceCategoryLine(const std::string& declarations, int firstField, int category,
                                    const std::string& label) {
    bool replaced = false, passed = false;
    DeclarationEdit edit =
        Walk(declarations, [&](const DeclarationWalk& walk, const std::string& line, TextBuilder& out) {
            if (replaced || passed || firstField < 1 || category < 1 || walk.fields < firstField)
                return false;
            // A number past the list's end must not take the place of its end line.
            if (IsEndLine(line)) {
                passed = true;
                return false;
            }
            if (walk.linesBelow != category) return false;
            out.Line(CategoryLine(category, label));
            replaced = true;
            return true;
        });
    edit.done = replaced;
    if (!replaced) edit.text = declarations;
    return edit;
}

bool AddCategoryToDeclarations(int firstField, int count, const std::string& label) {
    if (!IsStorableLabel(label)) return false;
    const DeclarationEdit edit =
        InsertCategoryLine(ReadFileOrThrow(DataFilePath(data_file::kDeclaration)), firstField, count, label);
    if (!edit.done) return false;
    StoreDeclarations(edit.text);
    return true;
}

bool ReplaceCategoryInDeclarations(int firstField, int category, const std::string& label) {
    if (!IsStorableLabel(label)) return false;
    const DeclarationEdit edit = ReplaceCategoryLine(ReadFileOrThrow(DataFilePath(data_file::kDeclaration)),
                                                     firstField, category, label);
    if (!edit.done) return false;
    StoreDeclarations(edit.text);
    return true;
}

}  // namespace qv
