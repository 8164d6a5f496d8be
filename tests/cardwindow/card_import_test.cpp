#include "cardwindow/card_import.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "archive_job_test.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "support/field_layout.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/records.h"

namespace qv {
namespace {

using namespace test;

constexpr int kRoma = 4832;  // code of Roma in the shipped municipality table

// Text part of a card of 50 bytes: `text` from byte `at` (1-based), zeros elsewhere.
std::string TextPart(std::map<int, std::string> pieces) {
    std::string card(50, '\0');
    for (const auto& [at, text] : pieces) card.replace(size_t(at - 1), text.size(), text);
    return card;
}

// Numeric part of a card of 50 words, little-endian: the empty card of the fixture (words 6, 7
// and 8 hold 8300, words 9 and 10 the missing 32-bit number E6FF 8196) with `words` set.
std::string ValuePart(std::map<int, uint16_t> words) {
    std::map<int, uint16_t> all = {{6, 0x8300}, {7, 0x8300}, {8, 0x8300}, {9, 0xE6FF}, {10, 0x8196}};
    for (const auto& [p, v] : words) all[p] = v;
    std::string card(100, '\0');
    for (const auto& [p, v] : all) PutU16(reinterpret_cast<uint8_t*>(card.data()) + 2 * (p - 1), v);
    return card;
}

// A card of 50 text bytes and 50 words:
//   1 text of 10 bytes at byte 1       6 time-like at word 7
//   2 category (4 labels) at word 1    7 percentage at word 8
//   3 date at words 2, 3, 4            8 32-bit number at words 9, 10
//   4 municipality at word 5           9 text of 5 bytes at byte 11
//   5 16-bit number at word 6
class CardImport : public test::ArchiveJobTest {
  protected:
    void SetUp() override {
        ArchiveJobTest::SetUp();
        TerritoryCount = 8101;
        CoreState.WriteAccess = 1;
        CoreState.ImportFormat = kImportTab;
        CoreState.ImportDelimiter = ',';
        test::LayOutFields(
            {{-10, 0, 1}, {0, 1}, {2, 2}, {3, 5}, {4, 6}, {5, 7}, {6, 8}, {7, 9}, {-5, 0, 11}});
        FieldFirstLabel[2] = 1;  // one record of another list comes first
        FieldLastLabel[2] = 4;
        WriteBytes(archive / "mod-sch.dat",
                   test::LabelRecords({"Altro", "Rosso", "Verde", "Blu", "Blu scuro"}));
        WriteBytes(archive / "alf-sch.dat", "");
        WriteBytes(archive / "num-sch.dat", "");
        WriteBytes(archive / "dli-sch.dat", Int32s({-1}));
        CoreState.LastCard = -1;
        WriteBytes(archive / "trc-dat.txt", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");
    }

    ImportOutcome Run(const std::string& data, ImportMode mode = ImportMode::Replace) {
        WriteBytes(archive / "dati.txt", data);
        return RunImport(archive / "dati.txt", mode, progress);
    }

    std::string Report() { return ReadBytes(root / "tabella.txt"); }

    RecordingProgress progress;
};

TEST_F(CardImport, SpreadsheetExportWithLineBreaksInsideCells) {
    // Rows end with CR LF; a line break typed inside a cell is a lone LF, which stays inside
    // the row and, as a control character, leaves the piece.
    const std::string data =
        "Rossi\tVerde\t5/7/87\tRoma\t42\t9:30\t12.5\t123456\tab\r\n"
        "\"Via Roma\nInt. 3\"\t2\t\t4832\t-7\t\t\t\t\r\n"
        "\r\n";
    const ImportOutcome outcome = Run(data);
    EXPECT_TRUE(outcome.ran);
    EXPECT_FALSE(outcome.reported);
    EXPECT_EQ(outcome.cards, 3);

    const std::string texts =
        TextPart({{1, "Rossi"}, {11, "ab"}}) + TextPart({{1, "\"Via RomaI"}}) + TextPart({});
    // 123456 is 0001 E240: halves reversed bit by bit give 8000 and 0247.
    const std::string values = ValuePart({{1, 2},
                                          {2, 5},
                                          {3, 7},
                                          {4, 87},
                                          {5, kRoma},
                                          {6, 42},
                                          {7, 930},
                                          {8, 1250},
                                          {9, 0x8000},
                                          {10, 0x0247}}) +
                               ValuePart({{1, 2}, {5, kRoma}, {6, 0xFFF9}}) + ValuePart({});
    EXPECT_EQ(ToHex(ReadBytes(archive / "alf-sch.dat")), ToHex(texts));
    EXPECT_EQ(ToHex(ReadBytes(archive / "num-sch.dat")), ToHex(values));
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({2}));
    EXPECT_EQ(CoreState.LastCard, 2);
    EXPECT_EQ(CoreState.CurrentCard, 3);
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(progress.maximum, 3);
    // The bar moves once per block of cards stored.
    EXPECT_EQ(progress.positions, (std::vector<int>{3, 0}));
}

TEST_F(CardImport, AppendNumbersFromTheIndexFile) {
    // Another station has stored cards 0 to 4 meanwhile; this one still counts 2.
    WriteBytes(archive / "alf-sch.dat", std::string(5 * 50, 'x'));
    WriteBytes(archive / "num-sch.dat", std::string(5 * 100, 'y'));
    WriteBytes(archive / "dli-sch.dat", Int32s({4}));
    CoreState.LastCard = 2;
    Run("Nuova\t3\r\n", ImportMode::Append);
    const std::string text = ReadBytes(archive / "alf-sch.dat");
    ASSERT_EQ(text.size(), 6u * 50);
    EXPECT_EQ(text.substr(0, 250), std::string(250, 'x'));
    EXPECT_EQ(text.substr(250), TextPart({{1, "Nuova"}}));
    EXPECT_EQ(ReadBytes(archive / "num-sch.dat").substr(500), ValuePart({{1, 3}}));
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({5}));
    EXPECT_EQ(CoreState.LastCard, 5);
    EXPECT_EQ(CoreState.CurrentCard, 6);
}

TEST_F(CardImport, ReplaceWithEmptyFileLeavesNoCards) {
    WriteBytes(archive / "dli-sch.dat", Int32s({7}));
    CoreState.LastCard = 7;
    const ImportOutcome outcome = Run("");
    EXPECT_EQ(outcome.cards, 0);
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Hex("FF FF FF FF"));
    EXPECT_EQ(CoreState.LastCard, -1);
    EXPECT_EQ(CoreState.CurrentCard, 0);
}

TEST_F(CardImport, FailedReplaceKeepsTheOldCards) {
    WriteBytes(archive / "alf-sch.dat", std::string(10 * 50, 'x'));
    WriteBytes(archive / "num-sch.dat", std::string(10 * 100, 'y'));
    WriteBytes(archive / "dli-sch.dat", Int32s({9}));
    CoreState.LastCard = 9;
    ASSERT_TRUE(std::filesystem::remove(archive / "mod-sch.dat"));
    // The second line's category name cannot be looked up.
    EXPECT_THROW(Run("A\t1\r\nB\tVerde\r\nC\t2\r\n"), IoError);
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({9}));
    EXPECT_EQ(CoreState.LastCard, 9);
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"), std::string(10 * 50, 'x'));
    EXPECT_EQ(ReadBytes(archive / "num-sch.dat"), std::string(10 * 100, 'y'));
    // Nothing of the new files is left beside them.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(archive.Path()))
        files += e.path().filename().string().find(".tmp") != std::string::npos;
    EXPECT_EQ(files, 0);
}

// Lines that fill several blocks, each card different.
std::string ManyLines(int count) {
    std::string data;
    for (int i = 0; i < count; ++i)
        data += "N" + std::to_string(i) + "\t" + std::to_string(i % 5) + "\t" + std::to_string(i % 28 + 1) +
                "/3/9" + std::to_string(i % 10) + "\t\t" + std::to_string(i) + "\r\n";
    return data;
}

TEST_F(CardImport, BlocksStoreTheSameBytesAsOneCardAtATime) {
    const int lines = 1200;
    WriteBytes(archive / "dati.txt", ManyLines(lines));
    const auto import = [&](ImportMode mode, int32_t blockCards) {
        WriteBytes(archive / "alf-sch.dat", "");
        WriteBytes(archive / "num-sch.dat", "");
        WriteBytes(archive / "dli-sch.dat", Int32s({-1}));
        EXPECT_EQ(RunImport(archive / "dati.txt", mode, progress, blockCards).cards, lines);
        EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({lines - 1}));
        return ReadBytes(archive / "alf-sch.dat") + ReadBytes(archive / "num-sch.dat");
    };
    const std::string oneByOne = import(ImportMode::Append, 1);
    EXPECT_TRUE(import(ImportMode::Append, 500) == oneByOne);  // three blocks, the last one short
    EXPECT_TRUE(import(ImportMode::Append, 0) == oneByOne);
    EXPECT_TRUE(import(ImportMode::Replace, 500) == oneByOne);
    EXPECT_TRUE(import(ImportMode::Replace, 0) == oneByOne);
}

TEST_F(CardImport, AFailedCallKeepsEveryCardStoredBefore) {
    const std::string oldText = std::string(2 * 50, 'x'), oldValues = std::string(2 * 100, 'y');
    for (ImportMode mode : {ImportMode::Append, ImportMode::Replace}) {
        SCOPED_TRACE(mode == ImportMode::Append ? "append" : "replace");
        const auto reset = [&] {
            WriteBytes(archive / "alf-sch.dat", oldText);
            WriteBytes(archive / "num-sch.dat", oldValues);
            WriteBytes(archive / "dli-sch.dat", Int32s({1}));
            WriteBytes(archive / "dati.txt", ManyLines(3));
            WriteBytes(archive / "inv-serv.dat", "record of the copy to the shared archive");
        };
        // A data file that does not open is told in the report. Appended a card at a time, a
        // failure after some are in says how many.
        std::string told;
        const auto run = [&] {
            told.clear();
            try {
                if (RunImport(archive / "dati.txt", mode, progress, mode == ImportMode::Append ? 1 : 0)
                        .reported)
                    ThrowIo(kFileNotFound, "dati.txt");
            } catch (const IoError& e) {
                told = e.Message();
                throw;
            }
        };
        test::ForEachIoFault(reset, run, [&](const std::string&) {
            // What the next opening does with a commit a failed rename left half done.
            FinishArchiveCommits(archive.Path());
            const std::string index = ReadBytes(archive / "dli-sch.dat");
            const std::string text = ReadBytes(archive / "alf-sch.dat");
            if (mode == ImportMode::Append) {
                // The old cards stay; each card is counted whole or not at all.
                EXPECT_EQ(text.substr(0, 100), oldText);
                EXPECT_EQ(ReadBytes(archive / "num-sch.dat").substr(0, 200), oldValues);
                const int32_t last = GetI32(reinterpret_cast<const uint8_t*>(index.data()));
                EXPECT_TRUE(last >= 1 && last <= 4 && text.size() >= size_t(last + 1) * 50) << last;
                if (last > 1 && last < 4) {
                    EXPECT_TRUE(told.ends_with(LoadText(2422) + " " + std::to_string(last - 1))) << told;
                }
                EXPECT_TRUE(FileExists(archive / "inv-serv.dat"));
            } else if (index == Int32s({1})) {
                EXPECT_EQ(text, oldText);
                EXPECT_EQ(ReadBytes(archive / "num-sch.dat"), oldValues);
                EXPECT_TRUE(FileExists(archive / "inv-serv.dat"));
            } else {
                // Past the commit: the new set whole, which the shared archive never received.
                EXPECT_EQ(index, Int32s({2}));
                EXPECT_FALSE(FileExists(archive / "inv-serv.dat"));
                EXPECT_EQ(text.substr(0, 50), TextPart({{1, "N0"}}));
                EXPECT_EQ(ReadBytes(archive / "num-sch.dat").size(), 300u);
            }
        });
    }
}

TEST_F(CardImport, ConversionErrorsAreReportedAndTheCardStored) {
    WriteBytes(archive / "trc-dat.txt", "1\r\n2\r\n4\r\n3\r\n");
    WriteBytes(archive / "alf-sch.dat", std::string(5 * 50, '\0'));
    WriteBytes(archive / "num-sch.dat", std::string(5 * 100, '\0'));
    WriteBytes(archive / "dli-sch.dat", Int32s({4}));
    const ImportOutcome outcome = Run(
        "X\tNero\tAtlantide\t31/2/1990\r\nY\t9\tTorino\t1/1/1990\r\nZ\t2\tSamone\r\n", ImportMode::Append);
    EXPECT_TRUE(outcome.reported);
    const std::string file = archive / "dati.txt";
    EXPECT_EQ(Report(),
              "\r\n"
              "Errori di conversione nel file " +
                  file +
                  "\r\n"
                  "\r\n"
                  "Scheda:     6 riga del file:     1\r\n"
                  "campo    2 \"Nero\" - modalita' non trovata\r\n"
                  "Scheda:     6 riga del file:     1\r\n"
                  "campo    4 \"Atlantide\" - comune non trovato\r\n"
                  "Scheda:     6 riga del file:     1\r\n"
                  "campo    3 \"31/2/1990\" - data inesistente\r\n"
                  "Scheda:     7 riga del file:     2\r\n"
                  "campo    2 \"9\" - numero di modalita' oltre il massimo\r\n"
                  "Scheda:     8 riga del file:     3\r\n"
                  "campo    4 \"Samone\" - comune ambiguo\r\n");
    EXPECT_EQ(ReadBytes(archive / "num-sch.dat").substr(500),
              ValuePart({}) + ValuePart({{2, 1}, {3, 1}, {4, 90}, {5, 268}}) + ValuePart({{1, 2}}));
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({7}));
}

TEST_F(CardImport, NameTablesAreOpenedOncePerRun) {
    // However many lines name categories and municipalities, or report conversion errors, the
    // opens of a run stay the same: the name tables and the report's texts are read once.
    for (const std::string line : {"Rossi\tverde\t\tmondovi\r\n", "Rossi\tNero\t\tAtlantide\r\n"}) {
        std::vector<int> opens;
        for (int lines : {2, 40}) {
            std::string data;
            for (int i = 0; i < lines; ++i) data += line;
            ResetIoFaultsForTest();
            EXPECT_EQ(Run(data).cards, lines);
            opens.push_back(IoCallCountForTest(IoCall::Open));
            EXPECT_EQ(Report().empty(), line.find("verde") != std::string::npos);
        }
        EXPECT_EQ(opens[0], opens[1]) << line;
    }
}

TEST_F(CardImport, FindingsInTheFieldOrderStopBeforeTheArchive) {
    CoreState.ImportFormat = kImportFixed;
    WriteBytes(archive / "trc-dat.txt", "1,10\r\n2\r\nx,3\r\n99,2\r\n4,a\r\n99999999999,1\r\n\r\n  \r\n");
    WriteBytes(archive / "alf-sch.dat", "old text");
    WriteBytes(archive / "dli-sch.dat", Int32s({0}));
    const ImportOutcome outcome = Run("whatever\r\n");
    EXPECT_TRUE(outcome.reported);
    EXPECT_EQ(Report(),
              "Errori nel tracciato dei campi (trc-dat.txt):\r\n"
              "\r\n"
              "Riga    2 - manca la larghezza del campo\r\n"
              "Riga    3 - campo non numerico: \"x\"\r\n"
              "Riga    4 - 99 oltre il numero dei campi: 9\r\n"
              "Riga    5 - larghezza non numerica: \"a\"\r\n"
              "Riga    6 - campo non numerico: \"99999999999\"\r\n");
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"), "old text");
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({0}));
}

TEST_F(CardImport, FieldOrderOrDataFileThatDoesNotOpen) {
    WriteBytes(archive / "dli-sch.dat", Int32s({0}));
    // The report is Windows-1252 text: a path in it is too (0xE0 for the accented a).
    const std::string missing = archive / "manca citt\u00e0.txt";
    const std::string order = archive / "trc-dat.txt";
    const std::string orderBytes = ReadBytes(order);
    for (const bool withOrder : {true, false}) {
        if (!withOrder) std::filesystem::remove(order);
        const ImportOutcome outcome = RunImport(missing, ImportMode::Replace, progress);
        EXPECT_TRUE(outcome.reported);
        EXPECT_EQ(Report(), withOrder
                                ? "Impossibile aprire il file " + (archive / "manca citt\xe0.txt") + "\r\n"
                                : "Errori nel tracciato dei campi (trc-dat.txt):\r\n\r\n"
                                  "Impossibile aprire il file " +
                                      order + "\r\n");
        EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({0}));
    }
    WriteBytes(order, orderBytes);
    // One far larger than the whole-file bound is refused unread (sparse: it takes no disk).
    WriteBytes(archive / "grande.txt", "");
    std::filesystem::resize_file(archive / "grande.txt", uintmax_t(12) << 30);
    try {
        RunImport(archive / "grande.txt", ImportMode::Replace, progress);
        ADD_FAILURE() << "imported";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kHeapOverflow);
    }
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({0}));
}

TEST_F(CardImport, WithoutWriteAccessNothingHappens) {
    CoreState.WriteAccess = 0;
    WriteBytes(archive / "dli-sch.dat", Int32s({0}));
    const ImportOutcome outcome = Run("A\r\n");
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(ReadBytes(archive / "dli-sch.dat"), Int32s({0}));
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"), "");
}

TEST_F(CardImport, OverLongLineIsCutAndTheNextLineReadWhole) {
    WriteBytes(archive / "trc-dat.txt", "1\r\n9\r\n");
    const std::string line = std::string(29998, 'a') + "\tXYZ";
    Run(line + "\r\nB\tC\r\n");
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"),
              TextPart({{1, std::string(10, 'a')}, {11, "X"}}) + TextPart({{1, "B"}, {11, "C"}}));
}

TEST_F(CardImport, DelimiterAndFixedColumnsWithYearFirstDates) {
    CoreState.ImportFormat = kImportDelimiter + kImportYearFirst;
    CoreState.ImportDelimiter = ';';
    // Piece 2 is five characters wide inside a delimited line; the column after it is skipped.
    WriteBytes(archive / "trc-dat.txt", "3\r\n1,5\r\n0\r\n2\r\n");
    Run("1987/7/5;Abcde;skip;verde\r\n");
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"), TextPart({{1, "Abcde"}}));
    EXPECT_EQ(ReadBytes(archive / "num-sch.dat"), ValuePart({{1, 2}, {2, 5}, {3, 7}, {4, 87}}));

    // Right-aligned numbers in fixed columns, as other programs write them.
    CoreState.ImportFormat = kImportFixed;
    WriteBytes(archive / "trc-dat.txt", "1,3\r\n5,6\r\n8,9\r\n");
    Run("ABC     42  -1234567\r\n");
    EXPECT_EQ(ReadBytes(archive / "alf-sch.dat"), TextPart({{1, "ABC"}}));
    // -1234567 is FFED 2979: halves reversed give B7FF and 9E94.
    EXPECT_EQ(ToHex(ReadBytes(archive / "num-sch.dat")),
              ToHex(ValuePart({{6, 42}, {9, 0xB7FF}, {10, 0x9E94}})));
}

TEST_F(CardImport, SequenceKeepsTheOldFieldOrder) {
    WriteBytes(archive / "trc-dat.txt", "3,4\r\n1\n");
    WriteDefaultFieldOrder();
    EXPECT_EQ(ReadBytes(archive / "asq-sch2.txt"), "3,4\r\n1\n\r\n");
    EXPECT_EQ(ReadBytes(archive / "trc-dat.txt"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");
}

TEST_F(CardImport, ImportFileNameDefaultsToTheArchive) {
    EXPECT_EQ(LoadImportFileName(), archive / "Dati.Txt");
    SaveImportFileName("/dati/schede.txt");
    EXPECT_EQ(ReadBytes(archive / "nin-sch.txt"), "/dati/schede.txt\r\n");
    EXPECT_EQ(LoadImportFileName(), "/dati/schede.txt");
}

TEST_F(CardImport, FieldOrderEntries) {
    struct Case {
        const char* text;
        int format;
        std::vector<ImportPiece> pieces;
    } cases[] = {
        {"1\r\n2,5\r\n0\r\n-3,\r\n4, \r\n+6 , 2 \r\n",
         kImportTab,
         {{1, -1}, {2, 5}, {0, -1}, {0, -1}, {4, -1}, {6, 2}}},
        // A line is read up to 30 characters; the width is cut there.
        {"7,                    123456789", kImportDelimiter, {{7, 12345678}}},
        {"2,-4\r\n", kImportTab, {{2, 0}}},
        {"", kImportFixed, {}},
    };
    for (const Case& c : cases) {
        const ImportFieldOrder order = ReadImportFieldOrder(c.text, c.format);
        EXPECT_TRUE(order.findings.empty()) << c.text;
        EXPECT_EQ(order.pieces, c.pieces) << c.text;
    }
    // Lines after the 4000th are not entries.
    std::string many;
    for (int i = 0; i < 4005; ++i) many += "0\r\n";
    EXPECT_EQ(ReadImportFieldOrder(many, kImportTab).pieces.size(), 4000u);
}

TEST(CardImportLine, CutsPieces) {
    ResetProgramState();
    using P = std::vector<ImportPiece>;
    struct Case {
        std::string line;
        P pieces;
        std::optional<char> separator;
        std::vector<std::string> expected;
    } cases[] = {
        {"a\tb", {{1, -1}, {2, -1}, {3, -1}}, '\t', {"a", "b", ""}},  // missing pieces are empty
        {"A,B\x01x,  ,", {{1, -1}, {2, -1}, {3, -1}, {4, -1}}, ',', {"A", "Bx", " ", ""}},
        {"ABC DE", {{1, 3}, {2, 2}}, std::nullopt, {"ABC", "DE"}},
        {"AB\t\t   \tC", {{1, 2}, {2, 1}, {3, -1}}, '\t', {"AB", "", " "}},  // fixed all blank: empty
        {"x,y\tz", {{1, -1}}, std::nullopt, {"x,yz"}},                       // no layout: the whole line
        {"AB", {{1, 5}, {2, 3}}, std::nullopt, {"AB", ""}},  // fixed pieces stop at the line's end
        {"AB,C", {{1, 2147483647}, {2, -1}}, ',', {"AB,C", ""}},
        {std::string(250, 'q') + ",z", {{1, -1}, {2, -1}}, ',', {std::string(200, 'q'), "z"}},
        {std::string(30010, 'q'), {{1, 29999}, {2, 5}}, std::nullopt, {std::string(200, 'q'), ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutImportLine(c.line, c.pieces, c.separator), c.expected) << c.line.substr(0, 40);
}

TEST(CardImportDate, ReadsParts) {
    // Two-digit years follow the entry rule: up to this year's two digits 20yy, else 19yy.
    SetEntryClockForTests(EntryClock{7, 4, 2024});
    struct Case {
        const char* piece;
        bool yearFirst;
        std::optional<ImportDate> expected;  // none: no such day
    } cases[] = {
        {"5/7/87", false, ImportDate{5, 7, 87}},
        {"5.7.1987", false, ImportDate{5, 7, 87}},
        {"1/1/24", false, ImportDate{1, 1, 124}},
        {"1/1/25", false, ImportDate{1, 1, 25}},
        {"1/1/0", false, ImportDate{1, 1, 100}},
        {"1/1/1850", false, ImportDate{0, 0, 0}},
        {"5/7", false, ImportDate{5, 7, 0}},
        {"29/2", false, ImportDate{29, 2, 0}},  // no year: any 29 February
        {"99999/2/2005", false, ImportDate{0, 2, 105}},
        {"abc", false, ImportDate{0, 0, 0}},
        {"1987/7/5", true, ImportDate{5, 7, 87}},
        {"2001/5", true, ImportDate{0, 5, 101}},
        {"10-12-31", true, ImportDate{31, 12, 110}},
        {"0/0/1990", false, ImportDate{0, 0, 90}},  // not known
        {"31/0/1990", false, ImportDate{31, 0, 90}},
        {"29/2/2000", false, ImportDate{29, 2, 100}},
        {"31/2/1990", false, std::nullopt},
        {"29/2/1900", false, std::nullopt},
        {"31/4/2001", false, std::nullopt},
        {"32/1/2001", false, std::nullopt},
        {"45/13/2001", false, std::nullopt},
        {"1/13/2001", false, std::nullopt},
        {"1990/2/30", true, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadImportDate(c.piece, c.yearFirst), c.expected) << c.piece;
    SetEntryClockForTests(std::nullopt);
}

TEST_F(CardImport, ConvertsPiecesByFieldType) {
    FieldAttributes[2] = 0;
    struct Case {
        int field;
        int attributes;  // of field 2
        const char* piece;
        int word;  // position looked at
        uint16_t expected;
        ImportError error;
    } cases[] = {
        {2, 0, "2", 1, 2, ImportError::None},
        {2, 0, "0", 1, 0, ImportError::None},
        {2, 0, "5", 1, 0, ImportError::CategoryAboveCount},
        {2, 0, "-1", 1, 0, ImportError::None},
        {2, 0, "ver", 1, 2, ImportError::None},              // beginning of a label
        {2, 0, "BLU", 1, 3, ImportError::None},              // equal wins over the later "Blu scuro"
        {2, 0, "bl", 1, 0, ImportError::CategoryAmbiguous},  // Blu and Blu scuro
        {2, 0, "Giallo", 1, 0, ImportError::CategoryNotFound},
        {2, 0, ".x", 1, 0, ImportError::None},               // neither number nor name
        {2, 4, "0", 1, 1, ImportError::None},                // zero taken as code 1
        {2, 2, "c", 1, 0, ImportError::CategoryAboveCount},  // quick entry: c is 12
        {2, 2, "3", 1, 3, ImportError::None},
        {4, 0, "268", 5, 268, ImportError::None},
        {4, 0, "milano", 5, 1811, ImportError::None},
        {4, 0, "Zungr", 5, 7830, ImportError::None},
        {4, 0, "9999", 5, 0, ImportError::ComuneNotFound},
        {4, 0, "mondovi", 5, 609, ImportError::None},
        {4, 0, "mondo", 5, 0, ImportError::ComuneAmbiguous},  // Mondovì and Mondolfo
        {4, 0, "Samone", 5, 0, ImportError::ComuneAmbiguous},
        {3, 0, "31/2/1990", 2, 0, ImportError::DateNotInCalendar},
        {3, 0, "28/2/1990", 2, 28, ImportError::None},
        {5, 0, "29999", 6, 29999, ImportError::None},
        {5, 0, "30000", 6, 0x8300, ImportError::None},
        {5, 0, "abc", 6, 0x8300, ImportError::None},
        {6, 0, "9:30", 7, 930, ImportError::None},
        {6, 0, "30:75", 7, 0x8300, ImportError::None},  // no time: left empty
        {6, 0, "0745", 7, 745, ImportError::None},
        {7, 0, "12.5", 8, 1250, ImportError::None},  // one decimal is tenths
        {7, 0, "12.345", 8, 0x8300, ImportError::None},
        {7, 0, "12,34", 8, 1234, ImportError::None},
        {7, 0, "350", 8, 0x8300, ImportError::None},
        {8, 0, "1", 10, 0x8000, ImportError::None},
        {8, 0, "99999999999", 9, 0xE6FF, ImportError::None},
    };
    ImportTables tables;
    for (const Case& c : cases) {
        FieldAttributes[2] = int16_t(c.attributes);
        ClearCardFields(1, CoreState.FieldCount);
        EXPECT_EQ(StoreImportPiece(c.field, c.piece, false, tables), c.error) << c.piece;
        EXPECT_EQ(CurrentCardValues[c.word], c.expected) << c.piece;
    }
}

// Of equal labels the last is taken, whether the name is found whole or by its beginning.
TEST_F(CardImport, OfEqualLabelsTheLastIsTaken) {
    FieldAttributes[2] = 0;
    FieldLastLabel[2] = 5;
    WriteBytes(archive / "mod-sch.dat",
               test::LabelRecords({"Altro", "Verde", "Rosso", "VERDE", "Blu", "Blu"}));
    ImportTables tables;
    for (const char* piece : {"verde", "Verde", "blu", "BLU"}) {
        ClearCardFields(1, CoreState.FieldCount);
        EXPECT_EQ(StoreImportPiece(2, piece, false, tables), ImportError::None) << piece;
        EXPECT_EQ(CurrentCardValues[1], piece[0] == 'b' || piece[0] == 'B' ? 5 : 3) << piece;
    }
}

}  // namespace
}  // namespace qv
