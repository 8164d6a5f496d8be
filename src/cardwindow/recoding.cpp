#include "cardwindow/recoding.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "cardwindow/category_reorder.h"
#include "cardwindow/write_permission.h"
#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/category_lists.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_format.h"
#include "core/field_type.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr int kFirstInstructionText = 1463;
constexpr int kInstructionLines = 4;
constexpr int32_t kCardsPerBlock = 256;

// Renumbers the category words at `positions` of cards 0 .. last into `copy`, a copy of the
// numeric card file; every other byte is copied unchanged.
void RenumberedCopy(const CardFiles& files, int32_t last, const std::vector<int>& positions,
                    const RecodingTables& tables, const std::string& copy, Progress& progress) {
    const std::string source = ResolveExisting(files.ValuesPath());
    const int64_t cardBytes = int64_t(files.Geometry().wordCount) * 2;
    {
        RecordFile in(source, 1, RecordFile::Mode::Read);
        RecordFile out(copy, 1, RecordFile::Mode::ReadWrite);
        const int64_t size = in.RecordCount();
        const int64_t blockBytes = kCardsPerBlock * cardBytes;
        std::vector<uint8_t> block(static_cast<size_t>(blockBytes));
        for (int64_t at = 0; at < size; at += blockBytes) {
            const int64_t n = std::min(blockBytes, size - at);
            in.Read(at, block.data(), n);
            const int64_t firstCard = at / cardBytes;
            for (int64_t k = 0; (k + 1) * cardBytes <= n && firstCard + k <= last; ++k) {
                const int32_t card = int32_t(firstCard + k);
                progress.SetPosition(card);
                uint8_t* words = &block[size_t(k * cardBytes)];
                for (const int p : positions) {
                    const int16_t v = int16_t(GetU16(words + 2 * (p - 1)));
                    const int32_t newValue = v > 0 && v < kRecodingTableSize ? tables.newOf[size_t(v)] : 0;
                    PutU16(words + 2 * (p - 1), uint16_t(newValue));
                }
            }
            out.Write(at, block.data(), n);
        }
        out.Sync();
    }
}

}  // namespace

bool IsRecodableField(int field) {
    if (field < 1 || field > std::min(CoreState.FieldCount, kMaxFields)) return false;
    const FieldType type = FieldTypes[size_t(field)];
    return type.IsAnswer();
}

std::string RecodingBaseText(int field) {
    TextBuilder text;
    for (int t = 0; t < kInstructionLines; ++t) text.Line(LoadText(kFirstInstructionText + t));
    const std::vector<std::string> labels =
        ReadCategoryLabels(FieldFirstLabel[size_t(field)], FieldCategoryCount(field));
    for (size_t k = 1; k <= labels.size(); ++k)
        text.Line(RightAligned(int32_t(k), 5) + RightAligned(int32_t(k), 5) + " = " + labels[k - 1]);
    return text.Text();
}

bool WriteRecodingText(int field) {
    if (!IsRecodableField(field)) return false;
    WriteFileAtomic(DataFilePath(data_file::kRecoding), RecodingBaseText(field));
    return true;
}

RecodingTables ReadRecodingTables(std::string_view text, int categories) {
    RecodingTables t;
    const int highest = std::min(categories, kRecodingMaxOld);
    TextReader reader{std::string(text)};
    for (int i = 0; i < kInstructionLines && !reader.Eof(); ++i) reader.SkipLine();
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine();
        const std::string_view view(line);
        const int32_t oldNumber = WholeInteger(view.substr(0, 5)).value_or(0);
        const int32_t newNumber = view.size() > 5 ? WholeInteger(view.substr(5, 5)).value_or(0) : 0;
        if (oldNumber < 1 || oldNumber > highest) continue;
        t.table[size_t(oldNumber)] = newNumber;
        t.maxOld = std::max(t.maxOld, int(oldNumber));
    }
    return t;
}

bool ResolveRecoding(RecodingTables& t) {
    t.newOf.fill(0);
    t.inv.fill(0);
    int32_t next = 0;
    for (int i = 1; i <= t.maxOld; ++i)
        if (t.table[size_t(i)] == i) t.newOf[size_t(i)] = ++next;
    for (int i = 1; i <= t.maxOld; ++i) {
        // A category merged into one that is itself merged goes where that one goes: the user
        // merged it, through the middle one, into the category that stays.
        int32_t at = i;
        for (int steps = 0; t.table[size_t(at)] != at; ++steps) {
            const int32_t target = t.table[size_t(at)];
            if (target < 1 || target > t.maxOld) {
                at = 0;  // removed, or merged into a number no line keeps
                break;
            }
            if (steps == t.maxOld) return false;
            at = target;
        }
        t.newOf[size_t(i)] = at > 0 ? t.newOf[size_t(at)] : 0;
    }
    for (int i = 1; i < kRecodingTableSize; ++i)
        if (const int32_t n = t.newOf[size_t(i)]; n > 0) t.inv[size_t(n)] = i;
    return true;
}

bool RecodingTextMatches(std::string_view text, const std::vector<std::string>& labels) {
    auto trimmed = [](std::string_view s) {
        while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
        return s;
    };
    TextReader reader{std::string(text)};
    for (int i = 0; i < kInstructionLines && !reader.Eof(); ++i) reader.SkipLine();
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine();
        const int32_t oldNumber = WholeInteger(std::string_view(line).substr(0, 5)).value_or(0);
        if (oldNumber < 1) continue;  // not read as a line of the list either
        if (size_t(oldNumber) > labels.size()) return false;
        const size_t at = line.find(" = ", 10);
        if (at == std::string::npos) return false;
        const std::string_view label =
            std::string_view(labels[size_t(oldNumber) - 1]).substr(0, size_t(kNameRecordChars));
        if (trimmed(std::string_view(line).substr(at + 3)) != trimmed(label)) return false;
    }
    return true;
}

std::string RecodingPermutationText(const RecodingTables& tables) {
    TextBuilder text;
    for (int k = 1; k <= tables.maxOld; ++k)
        text.Line(RightAligned(tables.newOf[size_t(k)], 10) + RightAligned(tables.inv[size_t(k)], 10));
    return text.Text();
}

RecodingOutcome RunRecoding(int field, Progress& progress, CardCount* worked) {
    if (!CardChangesAllowed()) return RecodingOutcome::Refused;
    if (!IsRecodableField(field)) return RecodingOutcome::NotCategoryField;
    // The labels live in the declaration of the list's first field, also when `field` only
    // shares that list.
    const int listField = ListFirstField(field);
    if (listField < 1) return RecodingOutcome::NotCategoryField;
    const std::optional<std::string> text = TryReadFile(DataFilePath(data_file::kRecoding));
    if (!text) return RecodingOutcome::NoText;

    // A text already applied (or written for another list) would recode the cards again.
    const std::vector<std::string> labels =
        ReadCategoryLabels(FieldFirstLabel[size_t(field)], FieldCategoryCount(field));
    if (!RecodingTextMatches(*text, labels)) return RecodingOutcome::TextOutOfDate;
    RecodingTables tables = ReadRecodingTables(*text, FieldCategoryCount(field));
    if (!ResolveRecoding(tables)) return RecodingOutcome::MergeCycle;
    std::vector<std::string> categoryLines;
    for (int i = 1; i <= tables.maxOld; ++i)
        if (tables.table[size_t(i)] == i)
            categoryLines.push_back(CategoryDeclarationLine(i, labels[size_t(i) - 1]));
    WriteFileAtomic(DataFilePath(data_file::kPermutation), RecodingPermutationText(tables));

    // Every field that reads its categories from the same list holds the same numbers.
    std::vector<int> positions;
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int g = 1; g <= fields; ++g) {
        const int p = FieldPositions[size_t(g)];
        if (FieldFirstLabel[size_t(g)] == FieldFirstLabel[size_t(field)] && TypeOfField(g).IsAnswer() &&
            p >= 1 && p <= CoreState.CardWordCount)
            positions.push_back(p);
    }

    const CardFiles files = CardFiles::Current();
    {
        // No station appends a card between the copy and the rename.
        FileLock lock(files.IndexPath());
        if (!lock.Locked()) ThrowIo(kAccessDenied, files.IndexPath());
        RefusePendingCommits(CoreState.ArchiveDir);
        const CardCount cards = files.CountCards();
        const int32_t last = cards.last;
        if (worked) *worked = cards;
        progress.SetMaximum(std::max(last, 1));
        // The new cards and declarations are written beside the old ones and put in place
        // together; the compiled tables follow before the commit is over (see CrashSafeArchiveReplacement).
        CrashSafeArchiveReplacement commit(CoreState.ArchiveDir);
        RenumberedCopy(files, last, positions, tables, commit.Stage(files.ValuesPath()), progress);
        ReplaceDeclaredCategories(listField, categoryLines,
                                  commit.StageCopy(DataFilePath(data_file::kDeclaration)));
        commit.Commit(BuildArchiveDefinition);
        CoreState.LastCard = last;
    }

    ReadCardInHandAfterJob();
    return RecodingOutcome::Done;
}

}  // namespace qv
