#include "core/archive_open.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

std::string Descriptor(const std::string& words, const std::string& bytes, const std::string& line5 = "0",
                       const std::string& line6 = "0") {
    return "Nome Archivio....: \r\nNome indirizzario: x\r\nScheda.NUM.......: " + words +
           "\r\nScheda.ALF.......: " + bytes + "\r\nVar statistiche..: " + line5 +
           "\r\nModalita' \"\"\"\" ..: " + line6 + "\r\nInizio fattori...: 0\r\n";
}

// Layout items on the given pages.
std::string LayoutItems(const std::vector<int>& pages) {
    std::string out;
    for (int page : pages) {
        std::string record(212, '\0');
        PutI16(reinterpret_cast<uint8_t*>(record.data()), int16_t(page));
        out += record;
    }
    return out;
}

std::string Styles(int count) {
    std::string out;
    for (int k = 1; k <= count; ++k)
        for (int v = 0; v < 9; ++v) AppendI16(out, int16_t(10 * k + v));
    return out;
}

// "imp-sch.dat" of 20 tables with `fields` placed fields and the given marks in table 11.
std::string Definition(int fields, const std::vector<std::pair<int, int>>& marks = {}) {
    std::string out(160000, '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(out.data());
    for (int f = 1; f <= fields; ++f) {
        PutI16(p + 8000 * 1 + 2 * (f - 1), 1);           // page
        PutI16(p + 8000 * 6 + 2 * (f - 1), 4);           // type: number
        PutI16(p + 8000 * 8 + 2 * (f - 1), int16_t(f));  // word position
        PutI16(p + 8000 * 16 + 2 * (f - 1), 1);          // condition sense
    }
    for (auto [f, v] : marks) PutI16(p + 8000 * 10 + 2 * (f - 1), int16_t(v));
    return out;
}

int reportedErrors = 0;
void CountReport(const IoError&) {
    ++reportedErrors;
}

class ArchiveOpen : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        TerritoryCount = 8101;
        CoreState.ProgramDir = dir.MakeDir("quorvanta.tv");
        CoreState.StationNumber = "000";
        reportedErrors = 0;
        SetIoErrorReporter(CountReport);
    }
    void TearDown() override { SetIoErrorReporter(nullptr); }

    // A complete compiled archive in `archive`.
    void MakeArchive(const std::string& archive,
                     const std::string& descriptor = Descriptor("150 x", "200 x")) {
        WriteBytes(archive + "morvidex.dat", descriptor);
        WriteBytes(archive + "trd-tres.dat", LayoutItems({1, 1, 2, 3}));
        WriteBytes(archive + "trc-tres.dat", Styles(3));
        WriteBytes(archive + "imp-sch.dat", Definition(3, {{2, 33}}));
        WriteBytes(archive + "dli-sch.dat", Hex("04 00 00 00"));
        WriteCards(archive, 5, 5);
    }
    // MakeArchive in the folder "a/", made the current archive.
    std::string CurrentArchive() {
        const std::string archive = dir.MakeDir("a");
        MakeArchive(archive);
        CoreState.ArchiveDir = archive;
        return archive;
    }
    // Card files of 200 text bytes and `valueBytes` numeric bytes per card.
    static void WriteCards(const std::string& archive, int textCards, int valueCards, int valueBytes = 400) {
        WriteBytes(archive + "alf-sch.dat", std::string(size_t(textCards) * 200, '\0'));
        WriteBytes(archive + "num-sch.dat", std::string(size_t(valueCards) * size_t(valueBytes), '\0'));
    }
    TempDir dir;
};

TEST(DescriptorLine, ValueNeedsAFollowingBlank) {
    struct Case {
        std::string line;
        int value;
    } cases[] = {
        {"Scheda.NUM.......: 150 posizioni riservate", 150},
        {"Var statistiche..: 0", 0},
        {"Var statistiche..: 7", 0},  // no blank after the value
        {"Var statistiche..: 7 ", 7},
        {"Var statistiche..: -3 x", -3},
        {"Var statistiche..: 12ab x", 12},
        {"Var statistiche..:  9 x", 0},  // a blank in column 20
        {"Var statistiche..: abc x", 0},
        {"short", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(DescriptorValue(c.line), c.value) << c.line;
}

TEST_F(ArchiveOpen, DescriptorGeometryIsClamped) {
    struct Case {
        std::string words, bytes;
        int wordCount, textBytes;
    } cases[] = {
        {"120 x", "200 x", 150, 200},     {"4001 x", "8001 x", 4000, 8000}, {"30 x", "0 x", 50, 50},
        {"3999 x", "7960 x", 4000, 8000}, {"150", "150", 50, 50},
    };
    CoreState.ArchiveDir = dir.MakeDir("a");
    for (const Case& c : cases) {
        WriteBytes(CoreState.ArchiveDir + "morvidex.dat", Descriptor(c.words, c.bytes, "5 ", "2 "));
        LoadArchiveDescriptor();
        EXPECT_EQ(CoreState.CardWordCount, c.wordCount) << c.words;
        EXPECT_EQ(CoreState.CardTextBytes, c.textBytes) << c.bytes;
        EXPECT_EQ(CoreState.SplitField, 5);
        EXPECT_EQ(CoreState.SplitCategoryCount, 2);
    }
}

TEST_F(ArchiveOpen, MissingDescriptorFallsBackToTheSampleArchive) {
    const std::string sample = dir.MakeDir("quorvanta.tv/Pianalto");
    test::InstallShippedTexts();
    MakeArchive(sample, Descriptor("200 x", "200 x"));
    const std::string chosen = dir.MakeDir("empty");
    CoreState.ArchiveDir = chosen;
    OpenArchive();
    EXPECT_EQ(CoreState.ArchiveDir, CoreState.ProgramDir + "Pianalto/");
    // The next card would go to the sample: the person is told whose archive is open.
    EXPECT_EQ(TakeOpeningWarning(), LoadText(2423) + " " + chosen);
    EXPECT_EQ(CoreState.CardWordCount, 200);
    EXPECT_EQ(CoreState.LastCard, 4);
    EXPECT_TRUE(SaveArchiveSettings());
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "cartella.txt"), CoreState.ProgramDir + "Pianalto/\r\n");
}

TEST_F(ArchiveOpen, NoSampleArchiveEitherRaises) {
    CoreState.ArchiveDir = dir.MakeDir("empty");
    EXPECT_THROW(OpenArchive(), IoError);
}

TEST_F(ArchiveOpen, OpeningFillsTheArchiveState) {
    // A path well past 59 characters must be kept whole.
    const std::string archive =
        dir.MakeDir("a-very-long-archive-directory-name/that-goes-on-and-on/and-on-further");
    ASSERT_GT(archive.size(), 60u);
    MakeArchive(archive);
    WriteBytes(archive + "sal-sch.imp",
               "12=3=1,2>5\r\n4000=1=1,1>2\r\n0=1=1,1>2\r\n3999=0=1,1>1\r\nno rule\r\n 7 =1\r\n");
    WriteBytes(archive + "lkt-sch.imp", "8,a\r\n9=b\r\n");
    WriteBytes(archive + "lnk-sch.dat", "x");
    WriteBytes(CoreState.ProgramDir + "ok-mouse.dat", Hex("00"));
    CoreState.ArchiveDir = archive;
    CoreState.ColumnHeadingTexts = 1;
    OpenArchive();

    EXPECT_EQ(CoreState.ArchiveDir, archive);
    EXPECT_EQ(CoreState.DesignerDir, archive);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "dir-edit.imp"), archive + "\r\n");
    EXPECT_EQ(CoreState.CardWordCount, 150);
    EXPECT_EQ(CoreState.CardTextBytes, 200);
    EXPECT_EQ(CoreState.MouseEntry, 0);
    std::vector<int> jumps, links;
    for (int f = 0; f <= kMaxFields; ++f) {
        if (JumpRuleFields[size_t(f)]) jumps.push_back(f);
        if (TerritorialLinkFields[size_t(f)]) links.push_back(f);
    }
    EXPECT_EQ(jumps, (std::vector<int>{7, 12, 3999}));
    EXPECT_EQ(links, (std::vector<int>{8}));
    EXPECT_EQ(CoreState.LayoutItemCount, 4);
    EXPECT_EQ(CoreState.PageCount, 3);
    EXPECT_EQ(StaticTextPage[3], 2);
    EXPECT_EQ(CardTextStyles[1][0], 10);
    EXPECT_EQ(CardTextStyles[3][8], 38);
    EXPECT_EQ(CardTextStyles[4][0], 257);
    EXPECT_EQ(CardTextStyles[9][8], 257);
    EXPECT_EQ(CoreState.FieldCount, 3);
    EXPECT_EQ(FieldAttributes[2], 33);
    EXPECT_EQ(CoreState.LastCard, 4);
    EXPECT_EQ(CoreState.CurrentCard, 0);
    // The notes head has no entry of the field tables.
    EXPECT_EQ(FieldPositions[150], 0);
    EXPECT_EQ(CoreState.HasLinkedArchives, 1);
    EXPECT_EQ(CoreState.CurrentPage, 1);
    EXPECT_EQ(CoreState.ElaborationMode, 1);
    EXPECT_EQ(CoreState.ColumnHeadingTexts, 0);
    EXPECT_EQ(CoreState.SearchEnded, 1);
    EXPECT_DOUBLE_EQ(CoreState.MinChiSquare, 6.635);
    EXPECT_DOUBLE_EQ(CoreState.MinCorrelation, 0.2);
    EXPECT_EQ(CoreState.PlaneFactorX, 1);
    EXPECT_EQ(CoreState.PlaneFactorY, 2);
    EXPECT_EQ(CoreState.PageWidth, 640);
    EXPECT_EQ(CoreState.ImportDelimiter, ',');
    EXPECT_EQ(CoreState.FoundIndexPosition, -1);
    for (uint8_t active : MapActiveComuni) ASSERT_EQ(active, 1);
    // No criteria file: conditions cleared, no territory active; no statistics: empty selection.
    EXPECT_EQ(TerritorySelection[0], 0);
    EXPECT_EQ(NumericFieldSummary[0], -9999999);
}

TEST_F(ArchiveOpen, CardsToWorkWithAreTheIndexCutToBothCardFiles) {
    const std::string archive = CurrentArchive();
    test::InstallShippedTexts();
    struct Case {
        const char* index;
        int textCards, valueCards;
        int32_t last;
        std::string warning;  // the file and the missing cards, numbered from 1
        // A damaged index: read-only, the cards the files hold, told in this text and this tail.
        std::string damaged = "";
        int damagedText = 2132;
    } cases[] = {
        {"04 00 00 00", 5, 5, 4, ""},
        {"01 00 00 00", 5, 5, 1, ""},  // longer files: the index wins
        {"04 00 00 00", 5, 3, 2, "num-sch.dat\n" + LoadText(1642) + " 2 (4 - 5)"},
        {"04 00 00 00", 0, 5, -1, "alf-sch.dat\n" + LoadText(1642) + " 5 (1 - 5)"},
        {"FF FF FF FF", 5, 5, -1, ""},
        {"FF FF FF 7F", 3, 3, 2, "", "2147483647."},
        {"FB FF FF FF", 5, 4, 3, "", "-5."},
        {"E8 FE 07 00", 3, 3, 2, "", "524008."},  // past the last card number, 524007
        // Too short to hold a number: the file is named.
        {"", 3, 3, 2, "", archive + "dli-sch.dat", 2451},
        {"01 02 03", 5, 4, 3, "", archive + "dli-sch.dat", 2451},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        WriteBytes(archive + "dli-sch.dat", Hex(c.index));
        WriteCards(archive, c.textCards, c.valueCards, 300);
        CoreState.WriteAccess = 1;
        OpenArchive();
        EXPECT_EQ(CoreState.LastCard, c.last);
        EXPECT_EQ(NewCardNumber(), c.last + 1);
        const std::string warning = TakeOpeningWarning();
        if (!c.damaged.empty()) {
            EXPECT_EQ(warning, LoadText(c.damagedText) + " " + c.damaged);
            EXPECT_EQ(ArchiveReadOnlyReason(), warning);
            EXPECT_FALSE(ArchiveWritable());
        } else if (c.warning.empty()) {
            EXPECT_EQ(warning, "");
            EXPECT_TRUE(ArchiveWritable());
        } else {
            EXPECT_EQ(warning, LoadText(1641) + "\n" + archive + c.warning);
        }
        EXPECT_EQ(TakeOpeningWarning(), "");  // said once
    }
}

TEST_F(ArchiveOpen, AnArchiveWhoseFilesDisagreeOpensReadOnlyWithTheCardsTheyHold) {
    const std::string archive = CurrentArchive();
    test::InstallShippedTexts();
    // Field 3 a text of 30 bytes from byte 180: it ends past a card of 200.
    std::string textPastTheCard = Definition(3);
    PutI16(reinterpret_cast<uint8_t*>(textPastTheCard.data()) + 8000 * 6 + 4, -30);
    PutI16(reinterpret_cast<uint8_t*>(textPastTheCard.data()) + 8000 * 7 + 4, 180);
    const std::string sized = Descriptor("150 x", "200 x");
    struct Case {
        const char* what;
        std::string descriptor, definition;
        const char* index;
        size_t textSize, valuesSize;  // cards of 200 text bytes and 300 numeric bytes
        int32_t last;
        bool readOnly;
    } cases[] = {
        {"sound", sized, Definition(3), "04 00 00 00", 1000, 1500, 4, false},
        // A new archive's files are larger than its cards and hold none yet.
        {"new archive", sized, Definition(3), "FF FF FF FF", 8000, 16000, -1, false},
        {"text field past the card", sized, textPastTheCard, "04 00 00 00", 1000, 1500, 4, true},
        {"numbers cut for cards of 100 words", sized, Definition(3), "04 00 00 00", 1000, 1000, 2, true},
        {"texts cut for cards of 150 bytes", sized, Definition(3), "04 00 00 00", 750, 1500, 2, true},
        // Whole cards of 100 bytes in the text file, twice as many as the numbers file holds.
        {"texts read in cards of 100 bytes", Descriptor("150 x", "100 x"), Definition(3), "04 00 00 00", 1000,
         1500, 4, true},
        {"a text card in flight", sized, Definition(3), "04 00 00 00", 1200, 1500, 4, false},
        {"empty descriptor", "", Definition(3), "04 00 00 00", 1000, 1500, 4, true},
        {"short descriptor", sized.substr(0, sized.find("Scheda.ALF")), Definition(3), "04 00 00 00", 1000,
         1500, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(archive + "morvidex.dat", c.descriptor);
        WriteBytes(archive + "imp-sch.dat", c.definition);
        WriteBytes(archive + "dli-sch.dat", Hex(c.index));
        WriteBytes(archive + "alf-sch.dat", std::string(c.textSize, 'x'));
        WriteBytes(archive + "num-sch.dat", std::string(c.valuesSize, '\0'));
        CoreState.WriteAccess = 1;
        OpenArchive();
        EXPECT_EQ(CoreState.LastCard, c.last);
        EXPECT_EQ(ArchiveReadOnlyReason(), c.readOnly ? LoadText(2133) : "");
        EXPECT_EQ(ArchiveWritable(), !c.readOnly);  // the password stays typed
        EXPECT_EQ(TakeOpeningWarning().find(LoadText(2133)) != std::string::npos, c.readOnly);
    }
}

// A journal of one image as the program writes it, with a right checksum.
std::string Journal(const std::string& name, uint64_t offset, const std::string& before,
                    const std::string& after) {
    std::string out = "QVJ1";
    AppendI32(out, 1);
    AppendI32(out, int32_t(name.size()));
    out += name;
    AppendI32(out, int32_t(offset & 0xFFFFFFFF));
    AppendI32(out, int32_t(offset >> 32));
    for (const std::string* image : {&before, &after}) {
        AppendI32(out, int32_t(image->size()));
        out += *image;
    }
    uint32_t h = 2166136261u;
    for (char c : out) h = (h ^ uint8_t(c)) * 16777619u;
    AppendI32(out, int32_t(h));
    return out;
}

TEST_F(ArchiveOpen, AJournalOrMarkerThatCannotBeAppliedIsSetAsideAndTheArchiveOpens) {
    const std::string archive = CurrentArchive();
    test::InstallShippedTexts();
    const std::string staged = "num-sch.dat.tmp000_1-1";
    struct Case {
        const char* file;
        std::string bytes;
        int reason;
    } cases[] = {
        {"sch-000.jnl", "QVJ1 cut short", 2126},
        {"sch-000.jnl", Journal("manca.dat", 0, "", "x"), 2127},
        {"sch-000.jnl", Journal("..", 0, "", "x"), 2126},
        {"sch-000.jnl", Journal("alf-sch.dat", uint64_t(1) << 62, "", "x"), 2128},
        {"sch-001.ren", "I dli-sch.dat\t-7\r\n", 2126},
        {"sch-001.ren", "R " + staged + "\t../num-sch.dat\r\n", 2126},
        {"sch-001.ren", "R alf-sch.dat\tnum-sch.dat\r\n", 2126},  // not the job's own temporary
        {"sch-001.ren", std::string(70000, 'R'), 2129},
    };
    const std::string cards = ReadBytes(archive + "alf-sch.dat") + ReadBytes(archive + "num-sch.dat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        WriteBytes(archive + c.file, c.bytes);
        WriteBytes(archive + staged, "new");
        OpenArchive();
        const std::string aside = archive + c.file + ".danneggiato";
        EXPECT_FALSE(FileExists(archive + c.file));
        EXPECT_EQ(ReadBytes(aside), c.bytes);
        EXPECT_EQ(TakeOpeningWarning(), LoadText(2125) + "\n" + aside + "\n" + LoadText(c.reason));
        EXPECT_EQ(ReadBytes(archive + "alf-sch.dat") + ReadBytes(archive + "num-sch.dat"), cards);
        EXPECT_EQ(CoreState.LastCard, 4);
        EXPECT_TRUE(ArchiveReadOnlyReason().empty());
    }
}

TEST_F(ArchiveOpen, AFieldNumberedLikeTheCardsWordsIsAnOrdinaryField) {
    // Cards of 50 words; 52 fields, of which 50 and 51 are numbers in words 1 and 2, the rest texts.
    const std::string archive = dir.MakeDir("a");
    MakeArchive(archive, Descriptor("50 x", "100 x"));
    std::string definition = Definition(52);
    uint8_t* p = reinterpret_cast<uint8_t*>(definition.data());
    for (int f = 1; f <= 52; ++f) {
        const bool number = f == 50 || f == 51;
        PutI16(p + 8000 * 6 + 2 * (f - 1), int16_t(number ? 4 : -1));
        PutI16(p + 8000 * 8 + 2 * (f - 1), int16_t(number ? f - 49 : 0));
        PutI16(p + 8000 * 7 + 2 * (f - 1), int16_t(number ? 0 : f));
    }
    WriteBytes(archive + "imp-sch.dat", definition);
    WriteBytes(archive + "not-sch.dat", std::string(8 * 104, '\0'));  // a head stored points at notes
    CoreState.ArchiveDir = archive;
    CoreState.WriteAccess = 1;
    CoreState.CardWindowMode = 1;
    for (int round = 0; round < 2; ++round) {
        OpenArchive();
        ASSERT_EQ(CoreState.FieldCount, 52);
        EXPECT_EQ(FieldPositions[50], 1);
        CoreState.CurrentCard = 2;
        ReadCardText();
        ReadCardValues();
        if (round == 0) {
            CurrentCardValues[size_t(FieldPositions[50])] = 1234;
            SetNotesHead(7);
            SaveCurrentCard();
        }
        // Reopened: the field and the notes chain each kept their own value.
        EXPECT_EQ(GetCardWord(50), 1234) << round;
        EXPECT_EQ(GetNotesHead(), 7) << round;
    }
}

TEST_F(ArchiveOpen, MouseSwitchAndOptionalFiles) {
    const std::string archive = CurrentArchive();
    struct Case {
        const char* bytes;  // nullptr: no file
        int mouse;
    } cases[] = {{nullptr, 1}, {"", 1}, {"01", 1}, {"00", 0}, {"02", 0}};
    for (const Case& c : cases) {
        RemoveFile(CoreState.ProgramDir + "ok-mouse.dat");
        if (c.bytes) WriteBytes(CoreState.ProgramDir + "ok-mouse.dat", Hex(c.bytes));
        LoadMouseOption();
        EXPECT_EQ(CoreState.MouseEntry, c.mouse) << (c.bytes ? c.bytes : "none");
    }
}

TEST_F(ArchiveOpen, MissingLastCardIndexMeansNoCards) {
    const std::string archive = CurrentArchive();
    RemoveFile(archive + "dli-sch.dat");
    OpenArchive();
    EXPECT_EQ(CoreState.LastCard, -1);
    EXPECT_EQ(CoreState.HasLinkedArchives, 0);
    // An index that is there but unreadable is not taken as an empty archive.
    WriteBytes(archive + "dli-sch.dat", "");
    EXPECT_THROW(OpenArchive(), IoError);
}

TEST_F(ArchiveOpen, OversizedLayoutAndStyleFilesAreCut) {
    const std::string archive = CurrentArchive();
    std::vector<int> pages(4000, 1);
    pages.push_back(7);  // item 4001 has no place in the table
    WriteBytes(archive + "trd-tres.dat", LayoutItems(pages));
    WriteBytes(archive + "trc-tres.dat", Styles(11));
    OpenArchive();
    EXPECT_EQ(CoreState.LayoutItemCount, 4000);
    EXPECT_EQ(CoreState.PageCount, 1);
    EXPECT_EQ(CardTextStyles[9][0], 90);
}

TEST_F(ArchiveOpen, RebuildsLayoutAndDefinitionFromCompiledFiles) {
    const std::string archive = CurrentArchive();
    RemoveFile(archive + "trd-tres.dat");
    RemoveFile(archive + "trc-tres.dat");
    RemoveFile(archive + "imp-sch.dat");
    const std::string style = "   1   2   3   4   5   6   7   8   9\r\n";
    const std::string pad(20, ' ');
    WriteBytes(archive + "inf-sch.dat", style + "#Pag 1\r\n   1  10  10   1" + pad +
                                            "Nome\r\n#Pag 2\r\n   1  10  30   1" + pad +
                                            "Eta\r\n#Pag 3\r\n   1  10  50   1" + pad + "Note\r\n");
    WriteBytes(archive + "sig-sch.dat", "campi\r\n001Q Eta\r\n");
    WriteBytes(archive + "dat-sch.dat", "   1  10  30 100\r\n");
    OpenArchive();
    EXPECT_EQ(CoreState.LayoutItemCount, 3);
    EXPECT_EQ(CoreState.PageCount, 3);
    EXPECT_EQ(CardTextStyles[1][8], 9);
    EXPECT_EQ(CardTextStyles[2][0], 257);
    EXPECT_EQ(CoreState.FieldCount, 1);
    EXPECT_EQ(FieldTypes[1], 4);
    EXPECT_EQ(ReadBytes(archive + "imp-sch.dat").size(), 160000u);

    // The next opening loads the definition that was built.
    RemoveFile(archive + "sig-sch.dat");
    OpenArchive();
    EXPECT_EQ(CoreState.FieldCount, 1);
    EXPECT_EQ(FieldTypes[1], 4);
}

TEST_F(ArchiveOpen, OddListFileDoesNotStopOpening) {
    const std::string archive = CurrentArchive();
    WriteBytes(archive + "ScRighe.000", Words({2, 4, 9}));
    OpenArchive();
    EXPECT_EQ(StandardRowFlags[3], 1);
    EXPECT_EQ(StandardRowFlags[9], 0);
}

TEST_F(ArchiveOpen, SaveThenOpenRestoresTheStation) {
    const std::string archive = CurrentArchive();
    OpenArchive();

    CoreState.PageWidth = 800;
    CoreState.HideTrivialConnections = 1;
    CoreState.EmailSentCode = 12;
    CoreState.ImportDelimiter = '\t';
    CoreState.ReservedSlots[43] = 99;
    FieldAttributes[1] = 5;
    FieldAttributes[2] = 0;
    FieldAttributes[4000] = 64;
    FlagList* lists[] = {&StandardRowFlags,         &QuickRowFlags,         &PsiFlags,
                         &StandardAfcCategoryFlags, &QuickAfcCategoryFlags, &QuantVarFlags,
                         &QuantColumnFlags,         &StandardColumnFlags,   &QuickColumnFlags};
    for (int i = 0; i < 9; ++i) (*lists[i])[size_t(i * 100)] = 1;
    TerritorySelection[2] = 1;
    FieldInCondition[3] = 1;
    NumericConditionLow[2] = 40;
    StatisticsTables[0][kStatisticsCategoryBase] = 17;
    CardSelectionMask[0] = 0x08;  // card 4
    EXPECT_TRUE(SaveArchiveSettings());
    EXPECT_EQ(reportedErrors, 0);
    EXPECT_EQ(ReadBytes(CoreState.ProgramDir + "cartella.txt"), archive + "\r\n");
    EXPECT_EQ(ReadBytes(archive + "imp-sch.dat").substr(80000, 4), Words({5, 0}));

    ResetProgramState();
    TerritoryCount = 8101;
    CoreState.ProgramDir = dir.Path() + "quorvanta.tv/";
    CoreState.StationNumber = "000";
    CoreState.ArchiveDir = archive;
    OpenArchive();
    EXPECT_EQ(CoreState.PageWidth, 800);
    EXPECT_EQ(CoreState.HideTrivialConnections, 1);
    EXPECT_EQ(CoreState.EmailSentCode, 12);
    EXPECT_EQ(CoreState.ImportDelimiter, '\t');
    EXPECT_EQ(CoreState.ReservedSlots[43], 99);
    EXPECT_EQ(FieldAttributes[1], 5);
    EXPECT_EQ(FieldAttributes[2], 0);
    EXPECT_EQ(FieldAttributes[4000], 64);
    for (int i = 0; i < 9; ++i) {
        int set = 0;
        for (uint8_t f : *lists[i]) set += f;
        EXPECT_EQ(set, 1) << i;
        EXPECT_EQ((*lists[i])[size_t(i * 100)], 1) << i;
    }
    EXPECT_EQ(TerritorySelection[2], 1);
    EXPECT_EQ(FieldInCondition[3], 1);
    EXPECT_EQ(NumericConditionLow[2], 40);
    EXPECT_EQ(StatisticsTables[0][kStatisticsCategoryBase], 17);
    EXPECT_TRUE(IsCardSelected(4));
    EXPECT_FALSE(IsCardSelected(3));
}

TEST_F(ArchiveOpen, FailedStepIsReportedOnceAndTheRestIsSaved) {
    const std::string archive = CurrentArchive();
    OpenArchive();
    RemoveFile(archive + "imp-sch.dat");  // the marks have nowhere to go
    PsiFlags[7] = 1;
    EXPECT_FALSE(SaveArchiveSettings());
    EXPECT_EQ(reportedErrors, 1);
    EXPECT_EQ(ReadBytes(archive + "PSI.000"), Words({7, 7}));
    EXPECT_EQ(ReadBytes(archive + "Statisti.000").size(), 226725u + 44064u);
    EXPECT_FALSE(FileExists(archive + "imp-sch.dat"));
}

TEST_F(ArchiveOpen, UnreadableStationFilesAreToldOnceAndKept) {
    const std::string archive = CurrentArchive();
    // Sparse files far larger than their kind: read whole they would end the program.
    InstallNumberedTexts(2101);
    const char* unread[] = {"Imposta.000", "Condizio.000", "Statisti.000", "ScRighe.000"};
    for (const char* name : unread) {
        WriteBytes(archive + name, "");
        std::filesystem::resize_file(archive + name, uintmax_t(64) << 30);
    }
    OpenArchive();
    EXPECT_EQ(CoreState.PageWidth, 640);
    const std::string warning = TakeOpeningWarning();
    EXPECT_EQ(warning.rfind("Testo 2101\n", 0), 0u) << warning;
    for (const char* name : unread) EXPECT_NE(warning.find(archive + name), std::string::npos) << name;
    EXPECT_EQ(TakeOpeningWarning(), "");
    // The session's values are not saved over the user's files; the rest are.
    CoreState.PageWidth = 800;
    PsiFlags[7] = 1;
    EXPECT_TRUE(SaveArchiveSettings());
    for (const char* name : unread) EXPECT_EQ(FileSize(archive + name), int64_t(64) << 30) << name;
    EXPECT_EQ(ReadBytes(archive + "PSI.000"), Words({7, 7}));
    // The next opening that reads them again finds nothing to tell.
    for (const char* name : unread) RemoveFile(archive + name);
    OpenArchive();
    EXPECT_EQ(TakeOpeningWarning(), "");

    // The descriptor is required: one larger than a descriptor can be stops the opening.
    WriteBytes(archive + "morvidex.dat", "");
    std::filesystem::resize_file(archive + "morvidex.dat", uintmax_t(64) << 30);
    try {
        OpenArchive();
        ADD_FAILURE() << "opened";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kHeapOverflow);
    }
}

TEST_F(ArchiveOpen, AFailedCallAtOpeningOrClosingIsToldAndDamagesNothing) {
    const std::string archive = CurrentArchive();
    InstallNumberedTexts(2101);
    OpenArchive();
    CoreState.PageWidth = 800;
    PsiFlags[7] = 1;
    NumericConditionLow[2] = 40;
    StatisticsTables[0][kStatisticsCategoryBase] = 17;
    ASSERT_TRUE(SaveArchiveSettings());
    std::map<std::string, std::string> saved;
    for (const auto& e : std::filesystem::directory_iterator(archive))
        saved[e.path().filename().string()] = ReadBytes(e.path().string());
    const auto reset = [&] {
        for (const auto& [name, bytes] : saved) WriteBytes(archive + name, bytes);
    };
    // The session goes on after a failed opening and closes later; what it tells is an error.
    const auto run = [&] {
        try {
            OpenArchive();
        } catch (const IoError&) {
            SaveArchiveSettings();
            throw;
        }
        if (const std::string warning = TakeOpeningWarning(); !warning.empty())
            ThrowIo(kReadPastEnd, warning);
        if (!SaveArchiveSettings()) ThrowIo(kDiskWriteError, archive);
    };
    test::ForEachIoFault(reset, run, [&](const std::string& point) {
        std::map<std::string, std::string> now;
        for (const auto& e : std::filesystem::directory_iterator(archive))
            now[e.path().filename().string()] = ReadBytes(e.path().string());
        if (point.rfind("unlink", 0) == 0) {
            for (auto it = now.begin(); it != now.end();)
                it = it->first.find(".tmp") != std::string::npos ? now.erase(it) : std::next(it);
        }
        EXPECT_TRUE(now == saved);
    });
}

}  // namespace
}  // namespace qv
