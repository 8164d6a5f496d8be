#include "quick/preparation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/prepared_snapshot.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "quick/additional_variables.h"
#include "quick/card_set_condition.h"
#include "quick/factor_matrix_counts.h"
#include "quick/quick_reports.h"
#include "quick/quick_selection.h"
#include "quick/report_table.h"
#include "support/card_files.h"
#include "support/field_layout.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Words of a card: sex (1), two answers (2, 3), a 16-bit number (4), a 32-bit number (5, 6), a
// date (7..9: day, month, years since 1900), a comune (10).
struct Card {
    uint16_t sex, answer1, answer2;
    int16_t number;
    int32_t big;
    uint16_t day, month, year, comune;
};
constexpr int16_t kEmpty16 = -32000;

std::string CardBytes(const Card& c) {
    std::array<uint16_t, 50> w{};
    w[0] = c.sex;
    w[1] = c.answer1;
    w[2] = c.answer2;
    w[3] = uint16_t(c.number);
    CardNumberWords(c.big, w[4], w[5]);
    w[6] = c.day;
    w[7] = c.month;
    w[8] = c.year;
    w[9] = c.comune;
    std::string out;
    for (uint16_t x : w) AppendU16(out, x);
    return out;
}

const Card kCards[] = {
    {1, 1, 0, 25, 1000, 15, 6, 95, 12}, {2, 2, 1, 40, kEmptyNumber, 0, 0, 0, 0},
    {2, 0, 0, 10, -5, 1, 1, 100, 7},    {0, 0, 0, kEmpty16, 7, 0, 0, 0, 3},
    {2, 1, 2, 20, 3, 1, 1, 1, 1},       {1, 0, 0, 31, 500, 31, 12, 99, 2},
    {2, 2, 2, 0, 0, 0, 0, 0, 0},        {1, 1, 1, 30, 99999999, 1, 1, 90, 9},
    {2, 3, 1, 5, 1000, 2, 2, 95, 8},
};

// Line 7 hangs from line 2 and line 10 from line 7; line 9 tests a text field; line 11 has no '*'.
const char* const kQuickGrid =
    "M*1=1,1;G0S0\r\n"
    "F*=2,2;\r\n"
    "A*2=1,1;G2S0\r\n"
    "Nessuna*=0,0;\r\n"
    "Giovani*4=0,30;G0S0\r\n"
    "Anni 90*6=900101,991231;G0S0\r\n"
    "F con A*2=1,1;G2S2\r\n"
    "Big*5=1000,99999999;G0S0\r\n"
    "Testo*8=0,0;G0S0\r\n"
    "F con A giovani*4=0,30;G0S7\r\n"
    "senza asterisco\r\n";

class PreparationTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        LayOutFields({{0, 1}, {0, 2}, {1, 3}, {4, 4}, {7, 5}, {2, 7}, {3, 10}, {-20, 0, 1}});
        std::string bytes;
        for (const Card& c : kCards) bytes += CardBytes(c);
        WriteBytes(Arch("num-sch.dat"), bytes);
        WriteBytes(Arch("alf-sch.dat"), std::string(9 * 50, '\0'));
        WriteLastCard(8);
        CoreState.LastCard = 8;
        WriteBytes(Arch("grl-dat.txt"), kQuickGrid);
        WriteBytes(Arch("grq-dat.txt"), "*4*Eta\r\n*5*Reddito\r\n*8*Nome\r\n");
        WriteBytes(Arch("grt-dat.txt"), "*7*Comune\r\n");
        WriteBytes(Arch("grd-dat.txt"), "*6*Nascita\r\n");
    }
    void WriteLastCard(int32_t last) {
        std::string b;
        AppendI32(b, last);
        WriteBytes(Arch("dli-sch.dat"), b);
    }

    NoProgress progress;
};

// Progress that keeps what it was told.

TEST(MatrixAreaTest, RecordsPerVariable) {
    struct Case {
        int32_t last;
        int64_t records;
    };
    for (Case c : {Case{-1, 1}, Case{0, 1}, Case{7991, 1}, Case{7992, 2}, Case{15991, 2}, Case{15992, 3},
                   Case{524007, 66}})
        EXPECT_EQ(MatrixAreaRecords(c.last), c.records) << c.last;
}

TEST_F(PreparationTest, MatrixBytesOfNineCards) {
    CoreState.PreparedQuantVar = 2;
    CoreState.PreparedTerritoryVar = 1;
    CoreState.PreparedDateVar = 1;
    CoreState.CountByQuantUnit = 1;
    RecordingProgress recorded;
    ASSERT_EQ(BuildDichotomousMatrix(recorded), MatrixOutcome::Done);

    EXPECT_EQ(ToHex(ReadBytes(Arch("dli-dat.dat"))), ToHex(Hex("08 00 00 00")));
    // Card c at byte c / 8, mask 0x80 >> (c % 8); one record a variable (B = 1).
    const uint8_t expected[11][2] = {
        {0x85, 0x00},  // M: cards 0, 5, 7
        {0x6A, 0x80},  // F: 1, 2, 4, 6, 8
        {0xC9, 0x80},  // A in either answer: 0, 1, 4, 7, 8
        {0x34, 0x00},  // no answer: 2, 3, 5
        {0xAB, 0x80},  // 0..30 (empty is -32000): 0, 2, 4, 6, 7, 8
        {0x85, 0x80},  // dated in the nineties: 0, 5, 7, 8
        {0x48, 0x80},  // A and F: 1, 4, 8
        {0x81, 0x80},  // 32-bit number from 1000: 0, 7, 8
        {0x00, 0x00},  // a text field is never true
        {0x08, 0x80},  // A and F and 0..30: 4, 8
        {0x00, 0x00},  // line without '*'
    };
    std::string want;
    for (const auto& area : expected) {
        std::string record(1000, '\0');
        record[0] = char(area[0]);
        record[1] = char(area[1]);
        want += record;
    }
    const std::string matrix = ReadBytes(Arch("dat-dat.dat"));
    ASSERT_EQ(matrix.size(), want.size());
    for (size_t v = 0; v < 11; ++v)
        EXPECT_EQ(ToHex(matrix.substr(v * 1000, 2)), ToHex(want.substr(v * 1000, 2))) << "line " << v + 1;
    EXPECT_EQ(matrix, want);

    EXPECT_EQ(CoreState.PreparedQuantVar, 0);
    EXPECT_EQ(CoreState.PreparedTerritoryVar, 0);
    EXPECT_EQ(CoreState.PreparedDateVar, 0);
    EXPECT_EQ(CoreState.CountByQuantUnit, 1);  // "grq-dat.txt" is there
    EXPECT_EQ(recorded.maximum, 8);
    ASSERT_FALSE(recorded.positions.empty());
    EXPECT_EQ(recorded.positions.back(), 0);

    EXPECT_EQ(ReadPreparedCardCount(), 8);
    EXPECT_EQ(ReadMatrixArea(4, 8).Count(), 6);
}

TEST_F(PreparationTest, ReportsSayWhatAStaleSnapshotHolds) {
    test::InstallShippedTexts();
    WriteBytes(Arch("alf-sch.dat"), std::string(9 * 50, '\0'));
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    QuickRowFlags.fill(0);
    QuickRowFlags[0] = QuickRowFlags[1] = 1;
    CardSelectionMask.fill(0xFF);
    EXPECT_EQ(PreparedSnapshotNotice(), "");
    WriteQuickDistributionReport(progress);
    const std::string asPrepared = Report();

    // A card stored after the preparation: the reports still count the nine prepared cards,
    // and say so first.
    std::vector<uint16_t> words(50, 0);
    words[0] = 1;
    EXPECT_EQ(CardFiles::Current().AppendCard(std::vector<uint8_t>(50, 0).data(), words.data()), 9);
    const std::string notice = LoadText(2177) + " " + LocalDateOf(*FileModifiedTime(Arch("dli-dat.dat"))) +
                               " (9 " + LoadText(2178) + ")";
    EXPECT_EQ(PreparedSnapshotNotice(), notice);
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(Report(), notice + "\r\n\r\n" + asPrepared);
    EXPECT_NE(asPrepared.find("9\r\n"), std::string::npos) << asPrepared;  // the total stays 9

    // Prepared again: nothing to say.
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    EXPECT_EQ(PreparedSnapshotNotice(), "");
}

// One area per line of the grid: with a line put in front after "Matrice", every count would
// stand under the label of the line before it. Every reader of the areas refuses in words, and
// leaves the report and the selection as they were, until the files are prepared again; the
// additional variables likewise until they are built again.
TEST_F(PreparationTest, AGridEditedAfterTheMatrixIsRefusedByEveryReader) {
    test::InstallShippedTexts();
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    WriteBytes(Arch("agg-dat.txt"), "#M o F\r\nM,-1;M,+2;\r\n");
    BuildAdditionalVariables(progress);
    WriteBytes(Arch("cnd-dat.dat"), "*Maschi\r\nM,-1;\r\n");
    QuickRowFlags.fill(0);
    QuickColumnFlags.fill(0);
    QuickRowFlags[0] = QuickRowFlags[11] = QuickColumnFlags[1] = 1;
    CardSelectionMask.fill(0xFF);
    WriteQuickDistributionReport(progress);
    const std::string report = Report();
    ASSERT_NE(report.find("M o F"), std::string::npos) << report;

    struct Reader {
        const char* name;
        std::function<void()> run;
    };
    const Reader readers[] = {
        {"distribution", [&] { WriteQuickDistributionReport(progress); }},
        {"cross tables", [&] { WriteQuickCrossTableReport(progress); }},
        {"connections", [&] { WriteQuickConnectionsReport(progress); }},
        {"report tables", [] { ComputeReportTable(1, 1); }},
        {"factor analysis", [] { BitMatrixCountSource(11).WriteCategoryLists(); }},
        {"selection", [] { SelectByVariable(SelectionOperation::AndNot, 0, "M"); }},
        {"saved condition", [] { ApplySavedCondition(0, "Maschi"); }},
        {"additional variables", [&] { BuildAdditionalVariables(progress); }},
    };
    WriteBytes(Arch("grl-dat.txt"), std::string("Nuova*1=2,2;G0S0\r\n") + kQuickGrid);
    for (const Reader& r : readers) {
        try {
            r.run();
            ADD_FAILURE() << r.name << " counted on the areas of another grid";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Message(), LoadText(2353)) << r.name;
        }
        EXPECT_EQ(Report(), report) << r.name;
        EXPECT_EQ(CardSelectionMask[0], 0xFF) << r.name;
    }

    // Prepared again, the matrix has dropped the additional variables: refused until "Crea"
    // builds them again, and again once their rules are edited.
    WriteBytes(Arch("grl-dat.txt"), kQuickGrid);
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    EXPECT_THROW(WriteQuickDistributionReport(progress), IoError);
    BuildAdditionalVariables(progress);
    WriteQuickDistributionReport(progress);
    EXPECT_EQ(Report(), report);
    WriteBytes(Arch("agg-dat.txt"), "#M o F\r\nM,-1;M,+3;\r\n");
    EXPECT_THROW(WriteQuickDistributionReport(progress), IoError);

    // Files prepared before the matrix recorded its grid are counted as they are.
    RemoveFile(Arch("grf-dat.dat"));
    WriteBytes(Arch("grl-dat.txt"), std::string("Nuova*1=2,2;G0S0\r\n") + kQuickGrid);
    EXPECT_EQ(ComparePreparedGrid(), PreparedGrid::Unrecorded);
    EXPECT_NO_THROW(WriteQuickDistributionReport(progress));
}

// An index the card files disagree with (damaged, as an archive opened read-only may have it, or
// past the cards they hold): the matrix is laid out for the nine cards there are, and is current.
TEST_F(PreparationTest, AnIndexTheCardFilesDisagreeWithPreparesTheCardsThereAre) {
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    const std::string matrix = ReadBytes(Arch("dat-dat.dat"));
    for (const char* index : {"A0 86 01 00", "FB FF FF FF", "01 02 03", "FF FF FF 7F", "A3 01 FF 00"}) {
        SCOPED_TRACE(index);
        WriteBytes(Arch("dli-sch.dat"), Hex(index));
        ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
        EXPECT_EQ(ToHex(ReadBytes(Arch("dli-dat.dat"))), ToHex(Hex("08 00 00 00")));
        EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), matrix);
        EXPECT_FALSE(ReadPreparedSnapshot()->Changed);
    }
}

TEST_F(PreparationTest, ArchiveWithoutCards) {
    WriteLastCard(-1);
    RemoveFile(Arch("grq-dat.txt"));
    CoreState.CountByQuantUnit = 1;
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    EXPECT_EQ(ToHex(ReadBytes(Arch("dli-dat.dat"))), ToHex(Hex("FF FF FF FF")));
    EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), std::string(11 * 1000, '\0'));
    EXPECT_EQ(CoreState.CountByQuantUnit, 0);
}

TEST_F(PreparationTest, FailuresLeaveThePreviousFiles) {
    WriteBytes(Arch("dat-dat.dat"), "vecchia");
    WriteBytes(Arch("dli-dat.dat"), Hex("05 00 00 00"));
    std::string grid;
    for (int i = 0; i < 4001; ++i) grid += "x*1=1,1;\r\n";
    WriteBytes(Arch("grl-dat.txt"), grid);
    EXPECT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::GridTooLong);

    RemoveFile(Arch("grl-dat.txt"));
    EXPECT_THROW(BuildDichotomousMatrix(progress), IoError);
    WriteBytes(Arch("grl-dat.txt"), kQuickGrid);
    RemoveFile(Arch("dli-sch.dat"));
    EXPECT_THROW(BuildDichotomousMatrix(progress), IoError);
    EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), "vecchia");
    EXPECT_EQ(ToHex(ReadBytes(Arch("dli-dat.dat"))), ToHex(Hex("05 00 00 00")));
}

// Someone who guessed the count's temporary name planted a link there to another file: the
// build refuses to write through it; the link's target, the old pair and no staged matrix stay.
const char* gPlantedTarget = nullptr;
void PlantLink(const std::string& temp) {
    if (temp.find("dli-dat.dat") != std::string::npos) std::filesystem::create_symlink(gPlantedTarget, temp);
}

TEST_F(PreparationTest, APlantedLinkUnderATemporaryNameIsNotFollowed) {
    WriteBytes(Arch("dat-dat.dat"), "vecchia");
    WriteBytes(Arch("dli-dat.dat"), Hex("05 00 00 00"));
    TempDir elsewhere;
    const std::string victim = elsewhere / "altrui.dat";
    WriteBytes(victim, "di un altro");
    gPlantedTarget = victim.c_str();
    SetTempNameHookForTest(&PlantLink);
    EXPECT_THROW(BuildDichotomousMatrix(progress), IoError);
    SetTempNameHookForTest(nullptr);
    EXPECT_EQ(ReadBytes(victim), "di un altro");
    EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), "vecchia");
    EXPECT_EQ(ToHex(ReadBytes(Arch("dli-dat.dat"))), ToHex(Hex("05 00 00 00")));
    for (const auto& entry : std::filesystem::directory_iterator(CoreState.ArchiveDir))
        EXPECT_EQ(entry.path().filename().string().find("dat-dat.dat.tmp"), std::string::npos);
}

TEST_F(PreparationTest, TheMatrixAndItsCountAreReplacedTogether) {
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);
    const std::string matrix = ReadBytes(Arch("dat-dat.dat"));
    test::ForEachIoFault(
        [&] {
            WriteBytes(Arch("dat-dat.dat"), "vecchia");
            WriteBytes(Arch("dli-dat.dat"), Hex("05 00 00 00"));
        },
        [&] { BuildDichotomousMatrix(progress); },
        [&](const std::string& point) {
            // What the next opening does with a commit that a failure left half done.
            FinishArchiveCommits(CoreState.ArchiveDir);
            const std::string count = ReadBytes(Arch("dli-dat.dat"));
            if (count == Hex("05 00 00 00")) {
                EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), "vecchia");
            } else {
                EXPECT_EQ(ToHex(count), ToHex(Hex("08 00 00 00")));
                EXPECT_EQ(ReadBytes(Arch("dat-dat.dat")), matrix);
            }
            // A temporary whose removal failed stays until the opening after this process.
            if (point.rfind("unlink", 0) == 0) return;
            for (const auto& entry : std::filesystem::directory_iterator(CoreState.ArchiveDir))
                EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        });
}

// Many variables and cards: the bytes are held in runs and written at each variable's place.
TEST_F(PreparationTest, LargeMatrixLandsAtEveryVariablesArea) {
    const int32_t cards = 70000;
    std::string bytes;
    for (int32_t c = 0; c < cards; ++c)
        bytes += CardBytes({uint16_t(c % 3 == 0 ? 1 : 2), 0, 0, 0, 0, 0, 0, 0, 0});
    WriteBytes(Arch("num-sch.dat"), bytes);
    WriteBytes(Arch("alf-sch.dat"), std::string(size_t(cards) * 50, '\0'));
    WriteLastCard(cards - 1);
    std::string grid = "uno*1=1,1;G0S0\r\n";
    for (int i = 2; i < 4000; ++i) grid += "mai*=9,9;\r\n";
    grid += "due*=2,2;\r\n";
    WriteBytes(Arch("grl-dat.txt"), grid);
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);

    const int64_t b = MatrixAreaRecords(cards - 1);
    ASSERT_EQ(b, 9);
    EXPECT_EQ(FileSize(Arch("dat-dat.dat")), std::optional<int64_t>(4000 * b * 1000));
    const CardBitmap first = ReadMatrixArea(0, cards - 1), middle = ReadMatrixArea(1999, cards - 1),
                     last = ReadMatrixArea(3999, cards - 1);
    for (int32_t c = 0; c < int32_t(b * 8000); ++c) {
        const bool bit = first.Bytes()[c / 8] & (0x80 >> (c % 8));
        const bool bitLast = last.Bytes()[c / 8] & (0x80 >> (c % 8));
        ASSERT_EQ(bit, c < cards && c % 3 == 0) << c;
        ASSERT_EQ(bitLast, c < cards && c % 3 != 0) << c;
    }
    EXPECT_EQ(middle.Count(), 0);
    EXPECT_EQ(first.Count(), (cards + 2) / 3);
}

TEST_F(PreparationTest, PerCardValueFiles) {
    struct Case {
        PerCardValueKind kind;
        int item;
        const char* file;
        int valueBytes;
        std::vector<int32_t> values;
    };
    const std::vector<Case> cases = {
        // A 16-bit number; the empty value -32000 is stored as 0.
        {PerCardValueKind::Quantity, 1, "num-dat.dat", 4, {25, 40, 10, 0, 20, 31, 0, 30, 5}},
        // A 32-bit number; the empty value -9999999 is stored as 0.
        {PerCardValueKind::Quantity, 2, "num-dat.dat", 4, {1000, 0, -5, 7, 3, 500, 0, 99999999, 1000}},
        // A text field gives 0.
        {PerCardValueKind::Quantity, 3, "num-dat.dat", 4, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {PerCardValueKind::Territory, 1, "ter-dat.dat", 2, {12, 0, 7, 3, 1, 2, 0, 9, 8}},
        // (years since 1900 + 1900) * 10000 + month * 100 + day; an empty date 19000000.
        {PerCardValueKind::Date,
         1,
         "ddd-dat.dat",
         4,
         {19950615, 19000000, 20000101, 19000000, 19010101, 19991231, 19000000, 19900101, 19950202}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + std::to_string(c.item));
        ASSERT_TRUE(PreparePerCardValues(c.kind, c.item, progress));
        std::string want;
        for (int32_t v : c.values) c.valueBytes == 2 ? AppendU16(want, uint16_t(v)) : AppendI32(want, v);
        want.resize(size_t(10240 * c.valueBytes), '\0');
        EXPECT_EQ(ReadBytes(Arch(c.file)), want);
    }
    EXPECT_EQ(CoreState.PreparedQuantVar, 3);
    EXPECT_EQ(CoreState.PreparedTerritoryVar, 1);
    EXPECT_EQ(CoreState.PreparedDateVar, 1);
}

TEST_F(PreparationTest, ValueFileChoicesAndRecords) {
    // Item 0 prepares nothing and stores 0.
    CoreState.PreparedQuantVar = 2;
    ASSERT_TRUE(PreparePerCardValues(PerCardValueKind::Quantity, 0, progress));
    EXPECT_EQ(CoreState.PreparedQuantVar, 0);
    EXPECT_FALSE(FileSize(Arch("num-dat.dat")).has_value());

    // A missing list: nothing happens.
    RemoveFile(Arch("grd-dat.txt"));
    CoreState.PreparedDateVar = 1;
    EXPECT_FALSE(PreparePerCardValues(PerCardValueKind::Date, 1, progress));
    EXPECT_EQ(CoreState.PreparedDateVar, 1);
    EXPECT_FALSE(FileSize(Arch("ddd-dat.dat")).has_value());

    // 10241 cards take two whole records; cards past the end of the card file read empty.
    CoreState.LastCard = 10240;
    ASSERT_TRUE(PreparePerCardValues(PerCardValueKind::Quantity, 1, progress));
    const std::string bytes = ReadBytes(Arch("num-dat.dat"));
    ASSERT_EQ(bytes.size(), 2u * 40960);
    EXPECT_EQ(GetI32(Bytes(bytes) + 4 * 8), 5);
    EXPECT_EQ(GetI32(Bytes(bytes) + 4 * 9), 0);
    EXPECT_EQ(GetI32(Bytes(bytes) + 4 * 10240), 0);

    // A value file that cannot be replaced: the error, and the choice stays the one prepared.
    std::filesystem::create_directory(Arch("ddd-dat.dat"));
    WriteBytes(Arch("grd-dat.txt"), "*6*Nascita\r\n");
    EXPECT_THROW(PreparePerCardValues(PerCardValueKind::Date, 1, progress), IoError);
    EXPECT_EQ(CoreState.PreparedDateVar, 1);
    CoreState.PreparedDateVar = 0;
    EXPECT_THROW(PreparePerCardValues(PerCardValueKind::Date, 1, progress), IoError);
    EXPECT_EQ(CoreState.PreparedDateVar, 0);

    // No card: an empty file.
    CoreState.LastCard = -1;
    ASSERT_TRUE(PreparePerCardValues(PerCardValueKind::Territory, 1, progress));
    EXPECT_EQ(ReadBytes(Arch("ter-dat.dat")), "");
}

std::string LinkBlockText(const std::string& position, const std::string& name, const std::string& directory,
                          const std::string& textLength, const std::string& range1,
                          const std::string& range2) {
    const char* labels[] = {
        "Posizione del Campo Link nel Record: ", "Nome dell'Archivio.................: ",
        "Directory dell'Archivio............: ", "Lunghezza del Record Numerico......: ",
        "Lunghezza del Record Alfabetico....: ", "Campo Alfabetico 1 Inizio-Fine.....: ",
        "Campo Alfabetico 2 Inizio-Fine.....: ",
    };
    const std::string values[] = {position, name, directory, "50", textLength, range1, range2};
    std::string out;
    for (int i = 0; i < 7; ++i) out += labels[i] + values[i] + "\r\n";
    return out + "******\r\n";
}

TEST_F(PreparationTest, LinkFiles) {
    // The linked archive, a sibling directory: three cards of 20 text bytes.
    const std::string other = dir.MakeDir("Altro");
    WriteBytes(other + "dli-sch.dat", Hex("02 00 00 00"));
    std::string text = std::string("Rossi\0\0\0\0\0", 10) + "Roma      ";
    text += "Bianchi Gi" + std::string(10, '\0');
    text += std::string(20, '\0');
    WriteBytes(other + "alf-sch.dat", text);

    WriteBytes(Arch("lnk-dat.imp"), LinkBlockText("", "", "", "", "", "") +
                                        LinkBlockText("10", "Altro archivio", "Altro", "20", "1-5", "11-20") +
                                        LinkBlockText(" ", "Nome", "", "", "", "") +
                                        LinkBlockText("4", "Di nuovo", "\\Altro\\", "20", "3-4", ""));
    std::optional<int> built = BuildLinkFiles(progress);
    ASSERT_TRUE(built);
    EXPECT_EQ(*built, 2);

    std::string keys1, keys2;
    for (uint16_t k : {12, 0, 7, 3, 1, 2, 0, 9, 8}) AppendU16(keys1, k);
    for (int16_t k : {25, 40, 10, -32000, 20, 31, 0, 30, 5}) AppendI16(keys2, k);
    keys1.resize(20480, '\0');
    keys2.resize(20480, '\0');
    EXPECT_EQ(ReadBytes(Arch("lnk-dat.1")), keys1);
    EXPECT_EQ(ReadBytes(Arch("lnk-dat.2")), keys2);
    EXPECT_EQ(ReadBytes(Arch("ll-dat.1")), "Rossi;Roma      ;\r\nBianc;;\r\n;;\r\n");
    EXPECT_EQ(ReadBytes(Arch("ll-dat.2")), "ss;;\r\nan;;\r\n;;\r\n");
    EXPECT_EQ(CoreState.LinkChoice1, 1);
    EXPECT_EQ(CoreState.LinkChoice2, 2);
    EXPECT_EQ(CoreState.OtherArchiveDir, other);

    const std::optional<std::vector<LinkBlock>> blocks = ReadLinkDefinitions();
    ASSERT_TRUE(blocks);
    ASSERT_EQ(blocks->size(), 4u);
    EXPECT_EQ((*blocks)[1].Values[1], "Altro archivio");
    EXPECT_FALSE(LinkValueSet((*blocks)[0].Values[0]));
    EXPECT_FALSE(LinkValueSet((*blocks)[2].Values[0]));
    EXPECT_TRUE(LinkValueSet("  "));
}

TEST_F(PreparationTest, LinkFilesFailures) {
    // No definitions: nothing happens.
    CoreState.LinkChoice1 = 1;
    EXPECT_FALSE(BuildLinkFiles(progress));
    EXPECT_EQ(CoreState.LinkChoice1, 1);

    // One link only.
    const std::string other = dir.MakeDir("Altro");
    WriteBytes(other + "dli-sch.dat", Hex("FF FF FF FF"));
    WriteBytes(Arch("lnk-dat.imp"), LinkBlockText("1", "Altro", "Altro", "20", "1-5", "6-7"));
    EXPECT_EQ(BuildLinkFiles(progress), std::optional<int>(1));
    EXPECT_EQ(CoreState.LinkChoice1, 1);
    EXPECT_EQ(CoreState.LinkChoice2, 0);
    EXPECT_EQ(ReadBytes(Arch("ll-dat.1")), "");

    struct Case {
        const char* name;
        std::string definitions;
    };
    const Case cases[] = {
        {"position outside the card", LinkBlockText("51", "Altro", "Altro", "20", "1-5", "6-7")},
        {"no text length", LinkBlockText("1", "Altro", "Altro", "x", "1-5", "6-7")},
        {"linked archive missing", LinkBlockText("1", "Altro", "Nessuno", "20", "1-5", "6-7")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(Arch("lnk-dat.imp"), c.definitions);
        EXPECT_THROW(BuildLinkFiles(progress), IoError);
    }
    // A linked archive whose text file ends before its last card: the names of the cards it holds.
    WriteBytes(other + "alf-sch.dat", std::string(30, 'a'));
    WriteBytes(Arch("lnk-dat.imp"), LinkBlockText("1", "Altro", "Altro", "20", "1-5", "6-7"));
    for (const char* index : {"01 00 00 00", "FF FF FF 7F"}) {
        WriteBytes(other + "dli-sch.dat", Hex(index));
        EXPECT_EQ(BuildLinkFiles(progress), std::optional<int>(1));
        EXPECT_EQ(ReadBytes(Arch("ll-dat.1")), "aaaaa;aa;\r\n") << index;
    }
}

}  // namespace
}  // namespace qv
