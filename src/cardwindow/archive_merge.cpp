#include "cardwindow/archive_merge.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "cardwindow/shared_archive.h"
#include "cardwindow/write_permission.h"
#include "core/archive_open.h"
#include "core/card_notes.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/compiler_fields.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/text_file.h"

namespace qv {
namespace {

constexpr size_t kListLineWidth = 255;
constexpr int64_t kMaxCards = int64_t(kSelectionMaskBytes) * 8;
constexpr int kCurrentListedText = 1968, kMissingText = 1969, kOtherSizeText = 1970, kIncompleteText = 1971,
              kNoMergeListText = 1972, kTooManyCardsText = 1973;

// A line of the merge report: the text, a blank, what it is about (mostly a path, shown as the
// report's text).
std::string Fault(int text, const std::string& about) {
    return LoadText(text) + " " + DisplayPath(about);
}

bool IsBlank(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return uint8_t(c) <= ' '; });
}

bool SameDirectory(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(ResolveExisting(a), ResolveExisting(b), ec) && !ec;
}

// The card size the program would open the archive with, as its descriptor gives it.
std::optional<CardGeometry> DescriptorGeometry(const std::string& dir) {
    const std::optional<DescriptorValues> d = ReadDescriptor(dir + "morvidex.dat");
    if (!d) return std::nullopt;
    CardGeometry g;
    g.wordCount = d->cardWords;
    g.textBytes = d->cardTextBytes;
    return g;
}

// What keeps a listed archive whose numeric card file opens out of the merge: an empty text
// when nothing. Adds its cards to `cards`.
std::string ArchiveFault(const std::string& dir, const CardGeometry& geometry, int64_t& cards) {
    if (SameDirectory(dir, CoreState.ArchiveDir)) return Fault(kCurrentListedText, dir);
    const CardFiles source = CardFiles::InDirectory(dir, geometry);
    for (const std::string& path : {source.TextPath(), source.IndexPath(), dir + "morvidex.dat"})
        if (!FileExists(path)) return Fault(kMissingText, path);
    const std::optional<CardGeometry> own = DescriptorGeometry(dir);
    // Records of another size would be copied out of step, card after card.
    if (!own || own->textBytes != geometry.textBytes || own->wordCount != geometry.wordCount)
        return Fault(kOtherSizeText, dir);
    // An index too short to hold its number is a fault of the archive; a failing read is told.
    const int32_t last = FileSize(source.IndexPath()).value_or(0) < 4 ? -2 : source.ReadLastCard();
    const int64_t count = int64_t(last) + 1;
    const int64_t textSize = FileSize(source.TextPath()).value_or(0);
    const int64_t valuesSize = FileSize(source.ValuesPath()).value_or(0);
    if (last < -1 || textSize < count * geometry.textBytes || valuesSize < count * geometry.wordCount * 2)
        return Fault(kIncompleteText, dir);
    cards += count;
    return {};
}

// Appends the `count` cards of `source` after the first `done` cards of `target`, block by
// block, each card's notes copied into `targetNotes` and its head set to the copy.
void AppendArchive(const CardFiles& source, const std::string& dir, int64_t count, int64_t done,
                   const CardFiles& target, const std::string& targetNotes) {
    const std::string sourceNotes = dir + "not-sch.dat";
    const int32_t perBlock = CardRecords{source.Geometry()}.BlockCards();
    for (int64_t first = 0; first < count; first += perBlock) {
        const int32_t n = int32_t(std::min<int64_t>(perBlock, count - first));
        CardRecords block = source.ReadCards(int32_t(first), n);
        CopyNotesOfBlock(block, sourceNotes, targetNotes);
        target.WriteCards(int32_t(done + first), block);
    }
}

}  // namespace

MergeCheck CheckMergeList() {
    MergeCheck result;
    TextBuilder report;
    TextReader list;
    if (!list.Open(DataFilePath(data_file::kMergeList))) {
        report.Line(LoadText(kNoMergeListText));
        report.Save(DataFilePath(data_file::kReport));
        return result;
    }
    const CardGeometry geometry = CurrentCardGeometry();
    bool sound = true;
    int64_t cards = 0;
    while (!list.Eof()) {
        const std::string line = list.ReadLine(kListLineWidth);
        // A blank line would name the root directory.
        if (IsBlank(line)) continue;
        const std::string dir = StoredDir(line);
        CoreState.OtherArchiveDir = dir;
        result.directories.push_back(dir);
        RecordFile probe;
        if (!probe.TryOpen(DataFilePath(data_file::kOtherCardValues), kCardValueRecordBytes,
                           RecordFile::Mode::Read)) {
            report.Line(Fault(kMissingText, dir));
            sound = false;
            continue;
        }
        probe.Close();
        if (const std::string fault = ArchiveFault(dir, geometry, cards); !fault.empty()) {
            report.Line(fault);
            sound = false;
        }
    }
    if (cards > kMaxCards) {
        report.Line(Fault(kTooManyCardsText, std::to_string(cards)));
        sound = false;
    }
    report.Save(DataFilePath(data_file::kReport));
    result.sound = sound;
    return result;
}

int32_t MergeArchives(const std::vector<std::string>& directories, Progress& progress) {
    if (!CardChangesAllowed()) return 0;
    const CardFiles current = CardFiles::Current();
    const CardGeometry g = current.Geometry();
    progress.SetMaximum(int(directories.size()));
    if (!FileIsThere(current.IndexPath())) current.WriteLastCard(-1);
    FileLock lock(current.IndexPath());
    if (!lock.Locked()) ThrowIo(kAccessDenied, current.IndexPath());
    RefusePendingCommits(CoreState.ArchiveDir);

    // The merged cards and their notes are written beside the archive's own, which stay whole
    // and counted until every listed archive is copied; then they are replaced together.
    CrashSafeArchiveReplacement commit(CoreState.ArchiveDir);
    const std::string notes = DataFilePath(data_file::kNotes);
    const std::string text = commit.Stage(current.TextPath());
    const CardFiles merged(text, commit.Stage(current.ValuesPath()), current.IndexPath(), g);
    const std::string mergedNotes = commit.Stage(notes);

    int64_t total = 0;
    for (size_t i = 0; i < directories.size(); ++i) {
        progress.SetPosition(int(i + 1));
        CoreState.OtherArchiveDir = directories[i];
        const CardFiles source = CardFiles::InDirectory(directories[i], g);
        const int32_t last = source.ReadLastCard();
        if (last < -1) ThrowIo(kInvalidNumber, source.IndexPath());
        if (total + last > kLastCardNumber) RefuseFullArchive(current.IndexPath());
        if (last < 0) continue;
        AppendArchive(source, directories[i], int64_t(last) + 1, total, merged, mergedNotes);
        total += int64_t(last) + 1;
    }
    // The archive's old notes belong to no card any more; left in place they would be taken for
    // the merged cards' notes.
    const std::optional<int64_t> notesBytes = FileSize(mergedNotes);
    if (!notesBytes) ThrowErrno(mergedNotes);
    if (*notesBytes == 0) commit.Remove(notes);
    commit.SetLastCard(current.IndexPath(), int32_t(total - 1));
    // The cards the shared archive received from here are replaced.
    ForgetSharedCopy(commit);
    commit.Commit();
    CoreState.LastCard = int32_t(total - 1);
    progress.SetPosition(0);
    return CoreState.LastCard;
}

}  // namespace qv
