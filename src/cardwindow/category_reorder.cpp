#include "cardwindow/category_reorder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <utility>

#include "cardwindow/card_pass.h"
#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/category_lists.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kKeyChars = 30;
constexpr size_t kLineChars = 80;

std::string FoldedKey(const std::string& label) {
    std::string key = label.substr(0, kKeyChars);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return key;
}

// The end line of a category list, read as the definition builder reads it: characters 5-9
// are a blank and three slashes. A label holding "///" does not end the list.
bool IsEndLine(const std::string& line) {
    std::string mark = line.size() > 4 ? line.substr(4, 5) : std::string();
    while (!mark.empty() && mark.back() == ' ') mark.pop_back();
    return mark == " ///";
}

CardCount RenumberCards(int first, int last, const std::vector<int>& order, Progress& progress,
                        const std::string& valuesPath) {
    const int count = last - first + 1;
    std::vector<int16_t> inverse(size_t(count) + 1, 0);
    for (size_t p = 0; p < order.size(); ++p) inverse[size_t(order[p])] = int16_t(p + 1);
    std::vector<int> positions;
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    const int words = CurrentCardGeometry().wordCount;
    for (int g = 1; g <= fields; ++g) {
        const int p = FieldPositions[g];
        if (TypeOfField(g).IsAnswer() && FieldFirstLabel[g] == first && FieldLastLabel[g] == last && p >= 1 &&
            p <= words)
            positions.push_back(p);
    }
    return UpdateEveryCardValues(
        progress,
        [&](int32_t) {
            for (int p : positions) {
                const int v = std::max<int>(int16_t(CurrentCardValues[p]), 0);
                CurrentCardValues[p] = uint16_t(v <= count ? inverse[size_t(v)] : 0);
            }
        },
        valuesPath);
}

}  // namespace

std::vector<int> AlphabeticalCategoryOrder(const std::vector<std::string>& labels) {
    std::vector<std::string> keys;
    for (const std::string& label : labels) keys.push_back(FoldedKey(label));
    std::vector<int> order(labels.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = int(i) + 1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::string& x = keys[size_t(a) - 1];
        const std::string& y = keys[size_t(b) - 1];
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                            [](char l, char r) { return uint8_t(l) < uint8_t(r); });
    });
    return order;
}

std::string CategoryDeclarationLine(int number, std::string_view label) {
    std::string line = "     ";
    line += char('0' + number / 100);
    line += char('0' + number / 10 % 10);
    line += char('0' + number % 10);
    line += ' ';
    line += label.substr(0, size_t(kNameRecordChars));
    return line;
}

void ReplaceDeclaredCategories(int field, const std::vector<std::string>& categoryLines,
                               const std::string& target) {
    const std::string path = target.empty() ? DataFilePath(data_file::kDeclaration) : target;
    TextReader in;
    in.OpenOrThrow(path);
    TextBuilder out;
    if (!in.Eof()) out.Line(in.ReadLine(kLineChars));
    int declared = 0;
    bool replaced = false, missed = false;
    // Fields are counted as the definition builder numbers them, so that the declaration
    // found is the one the field's number came from.
    while (!in.Eof()) {
        const std::string line = in.ReadLine(kLineChars);
        out.Line(line);
        const char type = line.size() >= 4 ? line[3] : '\0';
        if (const int answers = CodedFieldAnswers(type); answers > 0) {
            declared += answers;
            const bool target = !replaced && !missed && declared >= field;
            while (!in.Eof()) {
                const std::string category = in.ReadLine(kLineChars);
                if (!target) out.Line(category);
                if (IsEndLine(category)) break;
            }
            if (target) {
                for (const std::string& c : categoryLines) out.Line(c.substr(0, kLineChars));
                out.Line("     ///");
                replaced = true;
            }
            continue;
        }
        if (type == 'A') {
            ++declared;
            if (!in.Eof()) out.Line(in.ReadLine(kLineChars));
        } else if (type != '\0' && std::strchr("DKQOPL", type)) {
            ++declared;
        } else {
            continue;
        }
        // The field's number falls on a declaration without categories.
        if (!replaced && declared >= field) missed = true;
    }
    if (!replaced) ThrowIo(kReadPastEnd, path);
    out.Save(DataFilePath(data_file::kOrderScratch));
    WriteFileAtomic(path, out.Text());
}

ReorderRun ReorderMarkedCategories(Progress& progress) {
    ReorderRun run;
    const int32_t kept = CoreState.CurrentCard;
    struct Restore {
        int32_t card;
        ~Restore() { CoreState.CurrentCard = card; }
    } restore{kept};

    // The lists' declarations and the renumbered cards are written beside the old ones and put
    // in place together at the end (see CrashSafeArchiveReplacement), under the index lock; each pass counts
    // the cards anew, so none another station added is left out.
    const CardFiles files = CardFiles::Current();
    FileLock lock(files.IndexPath());
    if (!lock.Locked() && FileIsThere(files.IndexPath())) ThrowIo(kAccessDenied, files.IndexPath());
    RefusePendingCommits(CoreState.ArchiveDir);
    std::optional<CrashSafeArchiveReplacement> commit;
    std::string declarations, values;

    std::set<std::pair<int, int>> done;
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields; ++f) {
        if (!IsReorderField(f) || FieldTypes[f] != FieldType::kCoded) continue;
        const int first = FieldFirstLabel[f];
        const int last = FieldLastLabel[f];
        const int count = last - first + 1;
        // A list is ordered once: a second pass would renumber its cards again.
        if (count <= 0 || first < 0 || !done.insert({first, last}).second) continue;
        if (count > kMaxReorderCategories) {
            run.tooLarge.push_back(f);
            continue;
        }
        const std::vector<std::string> labels = ReadCategoryLabels(first, count);
        const std::vector<int> order = AlphabeticalCategoryOrder(labels);

        TextBuilder permutation;
        for (int old : order) permutation.Line(std::to_string(old));
        permutation.Save(DataFilePath(data_file::kPermutation));

        std::vector<std::string> lines;
        for (size_t p = 0; p < order.size(); ++p)
            lines.push_back(CategoryDeclarationLine(int(p) + 1, labels[size_t(order[p]) - 1]));
        if (!commit) {
            commit.emplace(CoreState.ArchiveDir);
            declarations = commit->StageCopy(DataFilePath(data_file::kDeclaration));
            values = commit->StageCopy(files.ValuesPath());
        }
        // A list shared by reference is written where it is declared.
        ReplaceDeclaredCategories(ListFirstField(f), lines, declarations);

        run.cards = RenumberCards(first, last, order, progress, values);
    }
    if (commit)
        commit->Commit(BuildArchiveDefinition);
    else
        BuildArchiveDefinition();
    CoreState.CurrentCard = kept;
    ReadCardInHandAfterJob();
    return run;
}

}  // namespace qv
