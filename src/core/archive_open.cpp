#include "core/archive_open.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/compiler_fields.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
#include "core/selection_files.h"
#include "core/station_settings.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr int kMaxLayoutItems = 4000;
constexpr int kRuleLineWidth = 200;
constexpr int32_t kUnreadStationFilesText = 2101;

// Marks the fields named at the head of each line, before the separator, in 1..3999.
void LoadFieldList(int fileId, char separator, FieldFlags& flags) {
    flags.fill(0);
    TextReader reader;
    if (!reader.Open(DataFilePath(fileId))) return;
    while (!reader.Eof()) {
        const std::string line = reader.ReadLine(kRuleLineWidth);
        const size_t at = line.find(separator);
        if (at == std::string::npos) continue;
        const int field = LeadingInteger(std::string_view(line).substr(0, at));
        if (field > 0 && field < kMaxFields) flags[size_t(field)] = 1;
    }
}

void LoadLayoutItems() {
    const std::string path = DataFilePath(data_file::kLayoutItem);
    auto bytes = TryReadFile(path);
    if (!bytes) {
        ConvertInfoFile();
        bytes = ReadFileOrThrow(path);
    }
    StaticTextPage.fill(0);
    const int items = int(std::min<size_t>(bytes->size() / kLayoutItemBytes, kMaxLayoutItems));
    for (int i = 1; i <= items; ++i) {
        const int16_t page = GetI16(Bytes(*bytes) + size_t(i - 1) * kLayoutItemBytes);
        StaticTextPage[size_t(i)] = page;
        CoreState.PageCount = page;
    }
    CoreState.LayoutItemCount = items;
}

void LoadTextStyles() {
    for (auto& row : CardTextStyles) row.fill(257);
    const std::string bytes = ReadFileOrThrow(DataFilePath(data_file::kStyle));
    const int styles = int(std::min<size_t>(bytes.size() / kStyleRecordBytes, kMaxStyles));
    for (int k = 1; k <= styles; ++k)
        for (int v = 0; v < 9; ++v)
            CardTextStyles[size_t(k)][size_t(v)] =
                GetI16(Bytes(bytes) + size_t(k - 1) * kStyleRecordBytes + 2 * v);
}

// Options that the settings file does not hold.
void ApplyStartValues() {
    CoreState.ListReady = 0;
    CoreState.ListRow = 0;
    CoreState.SearchEnded = 1;
    CoreState.MinChiSquare = 6.635;
    CoreState.MinCorrelation = 0.2;
    CoreState.AfcRotate = 1;
    CoreState.PlaneFactorX = 1;
    CoreState.PlaneFactorY = 2;
    CoreState.PlaneShowCrosses = 0;
    CoreState.QuickReportChoice = 0;
}

CardCount gOpenedCards;
// The chosen directory the sample archive was opened in place of, for lack of a descriptor.
std::string gSampleInsteadOf;

// The user is told why once the window is up.
void OpenReadOnly(const std::string& reason) {
    SetArchiveReadOnly(reason);
    AddRecoveryNotice(reason);
}

constexpr int kDamagedIndexText = 2132;
constexpr int kCardSizeText = 2133;
constexpr int kSampleInsteadText = 2423;
constexpr int kShortIndexText = 2451;
constexpr int kRebuiltDefinitionText = 2452;

// This station's files of the archive that are there but could not be read at its opening: the
// defaults stand for the session, the user is told once, and the closing leaves these files as
// they are rather than save the defaults over the user's own.
std::vector<std::string> gUnreadStationFiles;
bool gUnreadStationFilesTold = true;
// Whether the station's settings in memory are the archive's: an opening that failed midway
// leaves some tables of this archive and some of the last, which must never be saved over either.
bool gStationLoaded = false;

std::string SameFileKey(const std::string& path) {
    std::string key = path;
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

bool StationFileUnread(const std::string& path) {
    return std::any_of(gUnreadStationFiles.begin(), gUnreadStationFiles.end(),
                       [&](const std::string& unread) { return SameFileKey(unread) == SameFileKey(path); });
}

// Loads an optional station file; when it cannot be read, `defaults` puts back what a missing
// file would have left.
void LoadStationFile(const std::string& path, const std::function<void()>& load,
                     const std::function<void()>& defaults) {
    try {
        load();
    } catch (const IoError&) {
        defaults();
        gUnreadStationFiles.push_back(path);
        gUnreadStationFilesTold = false;
    }
}

// The cards to work with: the index, cut to what both card files hold. A card number past that
// is one another station is still writing (or one a crash left unwritten), so it is reported
// and left alone rather than read as a blank card. A damaged index (below -1, past the last
// card number, or too short to hold a number) opens the archive read-only with the cards the
// files hold.
void LoadLastCard() {
    CoreState.CurrentCard = 0;
    CoreState.LastCard = -1;
    gOpenedCards = CardFiles::Current().CountCards(true);
    CoreState.LastCard = gOpenedCards.last;
    if (gOpenedCards.shortIndex)
        OpenReadOnly(LoadText(kShortIndexText) + " " + DisplayPath(DataFilePath(data_file::kLastCard)));
    else if (gOpenedCards.damagedIndex)
        OpenReadOnly(LoadText(kDamagedIndexText) + " " + std::to_string(gOpenedCards.index) + ".");
}

// Whether the card files hold whole cards of `cardBytes` wherever the index counts cards. Past
// the counted cards a file may hold anything (a new archive's files are made larger than a
// card); inside them, a file ending within a card was written with another card size.
bool WholeCards(const std::string& path, int64_t cardBytes, int32_t index) {
    const int64_t size = FileSize(path).value_or(0);
    return cardBytes <= 0 || size % cardBytes == 0 || size >= (int64_t(index) + 1) * cardBytes;
}

// Whether the text file holds no more whole cards than the index and the numbers file count.
// New cards are written numbers first, so a text file holding more was read with a smaller card
// than it was written with (one card of slack for a station that writes the text first). A file
// still of the size the design gave it holds no cards to compare.
bool TextFollowsNumbers(const CardFiles& files, int32_t index) {
    const int64_t textBytes = files.Geometry().textBytes,
                  valueBytes = int64_t(files.Geometry().wordCount) * 2;
    const int64_t text = FileSize(files.TextPath()).value_or(0),
                  values = FileSize(files.ValuesPath()).value_or(0);
    if (textBytes <= 0 || valueBytes <= 0 || text == kCardTextLimit || values == int64_t(kCardWordLimit) * 4)
        return true;
    return text / textBytes <= std::max(values / valueBytes, int64_t(index) + 1) + 1;
}

// A descriptor that gives no card size, a card smaller than the definition's fields, or card
// files cut for another card size: the descriptor is not the archive's, and new cards would
// be written over others, so nothing is written.
void CheckCardSize(bool sized) {
    const CardFiles files = CardFiles::Current();
    bool agree =
        sized && WholeCards(files.TextPath(), files.Geometry().textBytes, gOpenedCards.index) &&
        WholeCards(files.ValuesPath(), int64_t(files.Geometry().wordCount) * 2, gOpenedCards.index) &&
        TextFollowsNumbers(files, gOpenedCards.index);
    const int fields = std::min(CoreState.FieldCount, kMaxFields);
    for (int f = 1; f <= fields && agree; ++f) {
        const FieldType type = TypeOfField(f);
        agree = type.IsText() ? FieldTextOffsets[size_t(f)] + type.TextWidth() - 1 <= CoreState.CardTextBytes
                              : FieldPositions[size_t(f)] + FieldWordCount(type) - 1 <=
                                    CoreState.CardWordCount - kNotesHeadWords;
    }
    if (!agree) OpenReadOnly(LoadText(kCardSizeText));
}

// A definition cut short (emptied, halved) is built again from the compiled files, as a
// missing one is. The marks it held are gone, and whether the cards were written under this
// definition cannot be told: nothing is written to the cards until the next opening.
void LoadOrRebuildDefinition() {
    try {
        LoadArchiveDefinition();
        return;
    } catch (const IoError& e) {
        if (e.Code() != kReadPastEnd) throw;
    }
    FieldAttributes.fill(0);
    BuildArchiveDefinition();
    OpenReadOnly(LoadText(kRebuiltDefinitionText) + " " + DisplayPath(DataFilePath(data_file::kDefinition)));
}

void SaveFieldAttributes() {
    uint8_t table[kDefinitionTableBytes];
    for (int f = 1; f <= kMaxFields; ++f) PutI16(table + 2 * (f - 1), FieldAttributes[size_t(f)]);
    RecordFile file(DataFilePath(data_file::kDefinition), kDefinitionTableBytes, RecordFile::Mode::ReadWrite);
    file.Write(kAttributesTable - 1, table);
    file.Sync();
}

}  // namespace

std::string SampleArchiveDir() {
    return CoreState.ProgramDir + "Pianalto/";
}

int DescriptorValue(std::string_view line) {
    if (line.size() <= 19) return 0;
    const std::string_view rest = line.substr(19);
    const size_t blank = rest.find(' ');
    // The value counts only when a blank follows it.
    if (blank == std::string_view::npos) return 0;
    return LeadingInteger(rest.substr(0, blank));
}

bool LoadArchiveDescriptor() {
    CoreState.SplitCategoryCount = 0;
    CoreState.SplitField = 0;
    std::optional<DescriptorValues> found = ReadDescriptor(DataFilePath(data_file::kDescriptor));
    if (!found) {
        const std::string chosen = CoreState.ArchiveDir;
        CoreState.ArchiveDir = SampleArchiveDir();
        found = ReadDescriptor(DataFilePath(data_file::kDescriptor));
        if (!found) ThrowIo(kFileNotFound, DataFilePath(data_file::kDescriptor));
        // Cards typed from here on go to the sample archive: the person must know. Told with the
        // opening's warnings, whose texts are there once the program has started.
        if (chosen != CoreState.ArchiveDir) gSampleInsteadOf = chosen;
    }
    const DescriptorValues d = *found;
    CoreState.CardWordCount = d.cardWords;
    CoreState.CardTextBytes = d.cardTextBytes;
    CoreState.SplitField = d.splitField;
    CoreState.SplitCategoryCount = d.splitCategoryCount;
    return d.sized;
}

void LoadMouseOption() {
    CoreState.MouseEntry = 1;
    // An empty switch file counts as missing.
    auto bytes = TryReadFile(DataFilePath(data_file::kMouseSwitch));
    if (bytes && !bytes->empty()) CoreState.MouseEntry = (*bytes)[0] == 1 ? 1 : 0;
}

void OpenArchive() {
    // Settled before anything is read: a job or an edit a crash interrupted ends whole first.
    gStationLoaded = false;
    gSampleInsteadOf.clear();
    const std::string recovered = CoreState.ArchiveDir;
    SetArchiveReadOnly(std::string());
    const bool rebuildDefinition = RecoverArchive(recovered);
    CoreState.ElaborationMode = 1;
    CoreState.ReportCondition = 0;
    CoreState.ColumnHeadingTexts = 0;  // not kept per station
    CoreState.ProceedFlag = 0;

    const bool sized = LoadArchiveDescriptor();
    LoadMouseOption();

    LoadFieldList(data_file::kJumpRule, '=', JumpRuleFields);
    LoadFieldList(data_file::kTerritorialLink, ',', TerritorialLinkFields);

    CoreState.CurrentPage = 1;
    CoreState.CurrentField = 1;
    CoreState.PreviousField = 1;
    CoreState.PageCount = 0;
    CoreState.SearchFormSaved = 0;

    LoadLayoutItems();
    LoadTextStyles();

    ApplyStartValues();
    ApplySettingsDefaults();
    for (int i = 0; i < kStationListCount; ++i) StationLists()[i].flags->fill(0);

    gUnreadStationFiles.clear();
    gUnreadStationFilesTold = true;
    LoadStationFile(StationFilePath("Imposta."), LoadSettingsWordFile, ApplySettingsDefaults);
    if (CoreState.PageWidth == 0) CoreState.PageWidth = 640;
    if (CoreState.PageHeight == 0) CoreState.PageHeight = 480;

    CoreState.DesignerDir = CoreState.ArchiveDir;
    // Written only when it changes: a full disk must not keep the archive from opening.
    try {
        WriteFileAtomicIfChanged(DataFilePath(data_file::kEditFolder),
                                 TextBuilder().Line(StoredText(CoreState.DesignerDir)).Text());
    } catch (const IoError& e) {
        ReportIoError(e);
    }

    RecordFile definition;
    if (!rebuildDefinition && definition.OpenIfExists(DataFilePath(data_file::kDefinition),
                                                      kDefinitionTableBytes, RecordFile::Mode::Read)) {
        definition.Close();
        LoadOrRebuildDefinition();
    } else {
        BuildArchiveDefinition();
        if (rebuildDefinition) ClearArchiveCommits(recovered);
    }

    LoadLastCard();
    CheckCardSize(sized);

    const std::string criteria = StationFilePath("Condizio."), statistics = StationFilePath("Statisti.");
    LoadStationFile(
        criteria, [&] { LoadSearchCriteria(criteria); }, ClearSearchCriteria);
    LoadStationFile(
        statistics, [&] { LoadStatistics(statistics); }, [] { ClearStatistics(2); });

    CoreState.FoundIndexPosition = -1;
    CoreState.SearchFromFirst = 1;

    for (int i = 0; i < kStationListCount; ++i) {
        const std::string path = StationFilePath(StationLists()[i].word);
        FlagList& flags = *StationLists()[i].flags;
        LoadStationFile(
            path, [&] { LoadSelectionRunList(path, flags); }, [&] { flags.fill(0); });
    }

    RecordFile linked;
    CoreState.HasLinkedArchives =
        linked.OpenIfExists(DataFilePath(data_file::kLinkedArchive), 1, RecordFile::Mode::Read) ? 1 : 0;
    CoreState.FirstCardWord = 0;
    CoreState.SearchAsList = 0;

    MapActiveComuni.fill(1);
    gStationLoaded = true;
}

std::string TakeOpeningWarning() {
    std::string warning = TakeRecoveryNotices();
    if (const std::string chosen = std::exchange(gSampleInsteadOf, std::string()); !chosen.empty())
        warning = LoadText(kSampleInsteadText) + " " + DisplayPath(chosen) + (warning.empty() ? "" : "\n\n") +
                  warning;
    const std::string missing = MissingCardsText(std::exchange(gOpenedCards, CardCount()));
    if (!warning.empty() && !missing.empty()) warning += "\n\n";
    warning += missing;
    if (!std::exchange(gUnreadStationFilesTold, true)) {
        if (!warning.empty()) warning += "\n\n";
        warning += LoadText(kUnreadStationFilesText);
        for (const std::string& path : gUnreadStationFiles) warning += "\n" + path;
    }
    return warning;
}

bool SaveArchiveSettings() {
    bool ok = true;
    // A file left unread at the opening keeps the user's contents.
    auto step = [&ok](const std::function<void()>& work, const std::string& path = {}) {
        if (!path.empty() && StationFileUnread(path)) return;
        try {
            work();
        } catch (const IoError& e) {
            ReportIoError(e);
            ok = false;
        }
    };
    step([] {
        TextBuilder().Line(StoredText(CoreState.ArchiveDir)).Save(DataFilePath(data_file::kLastArchive));
    });
    if (!gStationLoaded) return ok;
    step([] { SaveSettingsWordFile(); }, StationFilePath("imposta."));
    step([] { SaveFieldAttributes(); });
    step([] { SaveSearchCriteria(StationFilePath("Condizio.")); }, StationFilePath("Condizio."));
    step([] { SaveStatistics(StationFilePath("Statisti.")); }, StationFilePath("Statisti."));
    for (int i = 0; i < kStationListCount; ++i) {
        const StationList& list = StationLists()[i];
        step([&list] { SaveSelectionRunList(StationFilePath(list.word), *list.flags); },
             StationFilePath(list.word));
    }
    return ok;
}

}  // namespace qv
