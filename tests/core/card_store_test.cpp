#include "core/card_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/io_faults.h"
#include "support/program_dir.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A small archive: 100 text bytes and 50 words per card.
//   1 text of 10 characters at offset 1     5 16-bit number at word 5
//   2 category at word 1                    6 32-bit number at words 6-7
//   3 date at words 2-4                     7 text of 5 characters at offset 11
//   4 municipality at word 8
class CardStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.CardTextBytes = 100;
        CoreState.CardWordCount = 50;
        CoreState.FieldCount = 7;
        CoreState.LastCard = -1;
        Define(1, -10, 1, 0);
        Define(2, 0, 0, 1);
        Define(3, 2, 0, 2);
        Define(4, 3, 0, 8);
        Define(5, 4, 0, 5);
        Define(6, 7, 0, 6);
        Define(7, -5, 11, 0);
    }
    static void Define(int f, int16_t type, int16_t offset, int16_t position) {
        FieldTypes[f] = type;
        FieldTextOffsets[f] = offset;
        FieldPositions[f] = position;
    }
    // The empty card of this archive, word 1 first.
    static std::vector<uint16_t> EmptyWords() {
        std::vector<uint16_t> w(50, 0);
        w[4] = 0x8300;  // field 5
        w[5] = 0xE6FF;  // field 6: -9999999, high half reversed
        w[6] = 0x8196;  //          low half reversed
        return w;
    }
    static std::string LeWords(const std::vector<uint16_t>& words) {
        std::string s;
        for (uint16_t w : words) {
            s.push_back(char(w & 0xFF));
            s.push_back(char(w >> 8));
        }
        return s;
    }
    void MakeCardFiles(int cards, int32_t index) {
        WriteBytes(dir / "alf-sch.dat", std::string(size_t(cards) * 100, '\0'));
        WriteBytes(dir / "num-sch.dat", std::string(size_t(cards) * 100, '\0'));
        std::string idx(4, '\0');
        for (int i = 0; i < 4; ++i) idx[i] = char(uint32_t(index) >> (8 * i));
        WriteBytes(dir / "dli-sch.dat", idx);
    }
    TempDir dir;
};

TEST_F(CardStoreTest, CardRecordsSitAtCardTimesRecordsPerCard) {
    struct Case {
        int textBytes, words, card;
        size_t textAt, textSize, valuesAt, valuesSize;
    } cases[] = {
        // 100 text bytes = 2 records, 50 words = 1 record: card 3 is text records 6-7, number record 3.
        {100, 50, 3, 300, 400, 300, 400},
        // 50 text bytes = 1 record, 100 words = 2 records: card 2 is text record 2, number records 4-5.
        {50, 100, 2, 100, 150, 400, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.textBytes);
        CoreState.CardTextBytes = c.textBytes;
        CoreState.CardWordCount = c.words;
        CoreState.CurrentCard = c.card;
        for (int i = 1; i <= c.textBytes; ++i) CurrentCardText[i] = uint8_t('A' + i % 26);
        for (int i = 1; i <= c.words; ++i) CurrentCardValues[i] = uint16_t(0x0100 * i + 1);
        CreateCardTextFile();
        CreateCardValuesFile();
        const std::string text = ReadBytes(dir / "alf-sch.dat");
        const std::string nums = ReadBytes(dir / "num-sch.dat");
        ASSERT_EQ(text.size(), c.textSize);
        ASSERT_EQ(nums.size(), c.valuesSize);
        EXPECT_EQ(text.substr(0, c.textAt), std::string(c.textAt, '\0'));
        EXPECT_EQ(text[c.textAt], 'B');  // byte 1 of the card
        EXPECT_EQ(nums.substr(0, c.valuesAt), std::string(c.valuesAt, '\0'));
        EXPECT_EQ(ToHex(nums.substr(c.valuesAt, 4)), ToHex(Hex("01 01 01 02")));  // words 1 and 2

        // Reading back from the bytes on disk, after the buffers were spoiled.
        CoreState.LastCard = c.card;
        CurrentCardText.fill(0xEE);
        CurrentCardValues.fill(0xEEEE);
        ReadCardText();
        ReadCardValues();
        EXPECT_EQ(CurrentCardText[1], 'B');
        EXPECT_EQ(CurrentCardText[c.textBytes], uint8_t('A' + c.textBytes % 26));
        EXPECT_EQ(CurrentCardValues[c.words], uint16_t(0x0100 * c.words + 1));
        EXPECT_EQ(CoreState.FirstCardWord, 0x0101);
    }
}

TEST_F(CardStoreTest, ThirtyTwoBitNumbersAreStoredHighHalfFirstWithReversedBits) {
    struct Case {
        int32_t value;
        uint16_t first, second;
        const char* bytes;
    } cases[] = {
        {1, 0x0000, 0x8000, "00 00 00 80"},
        {-9999999, 0xE6FF, 0x8196, "FF E6 96 81"},  // FF676981
        {0x12345678, 0x2C48, 0x1E6A, "48 2C 6A 1E"},
        {0, 0, 0, "00 00 00 00"},
    };
    MakeCardFiles(1, 0);
    CoreState.LastCard = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(PutCardNumber(c.value, 6), 6);
        EXPECT_EQ(CurrentCardValues[6], c.first);
        EXPECT_EQ(CurrentCardValues[7], c.second);
        EXPECT_EQ(GetCardNumber(6), c.value);
        WriteCardValues();
        EXPECT_EQ(ToHex(ReadBytes(dir / "num-sch.dat").substr(10, 4)), ToHex(Hex(c.bytes)));
    }
}

TEST_F(CardStoreTest, FieldsOutsideTheCardAreNeverTouched) {
    CurrentCardValues.fill(777);
    Define(8, 7, 0, 50);  // 32-bit number whose second word would be word 51
    Define(9, 2, 0, 49);  // date whose third word would be word 51
    Define(10, 4, 0, 0);  // no position
    Define(11, 4, 0, 4001);
    Define(12, -20, 95, 0);  // text running past byte 100
    CurrentCardText.fill('x');
    CoreState.FieldCount = 12;

    EXPECT_EQ(PutCardNumber(5, 8), 0);
    EXPECT_EQ(GetCardNumber(8), kEmptyNumber);
    EXPECT_EQ(PutCardNumber(5, 0), 0);
    EXPECT_EQ(PutCardNumber(5, 4001), 0);
    EXPECT_EQ(GetCardNumber(-3), kEmptyNumber);
    EXPECT_EQ(GetCardWord(10), 0);
    EXPECT_EQ(GetCardWord(11), 0);
    EXPECT_EQ(GetCardWord(4001), 0);
    EXPECT_EQ(CoreState.DateMonth, 0);
    ClearCardFields(8, 12);
    EXPECT_EQ(CurrentCardValues[49], 0);  // the date's words inside the card are cleared
    EXPECT_EQ(CurrentCardValues[50], 0);
    EXPECT_EQ(CurrentCardValues[51], 777);
    EXPECT_EQ(CurrentCardText[94], 'x');
    EXPECT_EQ(CurrentCardText[95], 0);
    EXPECT_EQ(CurrentCardText[100], 0);
    EXPECT_EQ(CurrentCardText[101], 'x');
    ClearCardFields(3990, 5000);  // nothing there, nothing out of the tables

    // Inside the card: the first word signed, the next two copied for every field.
    CurrentCardValues[5] = 33536;
    CurrentCardValues[6] = 0xE6FF;
    CurrentCardValues[7] = 4;
    EXPECT_EQ(GetCardWord(5), -32000);
    EXPECT_EQ(CoreState.DateMonth, -6401);
    EXPECT_EQ(CoreState.DateYear, 4);
}

TEST_F(CardStoreTest, ClearingEmptiesFieldsByTypeAndTheWholeCardDropsTheNotesHead) {
    CurrentCardValues.fill(9);
    CurrentCardText.fill('z');
    SetNotesHead(5);
    EXPECT_EQ(CurrentCardValues[49], 0);
    EXPECT_EQ(CurrentCardValues[50], 0xA000);  // 5 bit-reversed
    EXPECT_EQ(GetNotesHead(), 5);

    ClearCardFields(2, 6);  // a smaller range keeps the notes head
    EXPECT_EQ(GetNotesHead(), 5);
    EXPECT_EQ(CurrentCardValues[1], 0);
    EXPECT_EQ(CurrentCardValues[2], 0);
    EXPECT_EQ(CurrentCardValues[4], 0);
    EXPECT_EQ(CurrentCardValues[5], kEmptyWord);
    EXPECT_EQ(CurrentCardValues[6], 0xE6FF);
    EXPECT_EQ(CurrentCardValues[7], 0x8196);
    EXPECT_EQ(CurrentCardValues[8], 0);
    EXPECT_EQ(CurrentCardValues[9], 9);
    EXPECT_EQ(CurrentCardText[1], 'z');  // field 1 was not in the range

    // A real field numbered like the word count keeps its own words.
    Define(50, 7, 0, 20);
    PutCardNumber(123, 50);
    EXPECT_EQ(CurrentCardValues[21], 0xDE00);  // 123 = 0x007B, reversed
    EXPECT_EQ(GetNotesHead(), 5);

    ClearCardFields(1, CoreState.FieldCount);
    EXPECT_EQ(GetNotesHead(), 0);
    EXPECT_EQ(CurrentCardValues[9], 0);
    EXPECT_EQ(CurrentCardValues[5], kEmptyWord);
    EXPECT_EQ(CurrentCardText[1], 0);
    EXPECT_EQ(CurrentCardText[100], 0);
    EXPECT_EQ(CurrentCardText[101], 'z');
    EXPECT_FALSE(CardHasData());
}

TEST_F(CardStoreTest, CardHasDataByFieldType) {
    struct Case {
        const char* name;
        void (*fill)();
        bool expected;
    } cases[] = {
        {"empty", [] {}, false},
        {"16-bit number 0", [] { CurrentCardValues[5] = 0; }, true},
        {"text starting with a zero byte", [] { CurrentCardText[2] = 'a'; }, false},
        {"text", [] { CurrentCardText[1] = 'a'; }, true},
        {"second text field", [] { CurrentCardText[11] = 'a'; }, true},
        {"date year only", [] { CurrentCardValues[4] = 80; }, true},
        {"category", [] { CurrentCardValues[1] = 2; }, true},
        {"municipality", [] { CurrentCardValues[8] = 1; }, true},
        {"32-bit zero", [] { PutCardNumber(0, 6); }, true},
        {"notes head only", [] { SetNotesHead(3); }, true},
        {"word no field owns", [] { CurrentCardValues[30] = 1; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearCardFields(1, CoreState.FieldCount);
        c.fill();
        EXPECT_EQ(CardHasData(), c.expected);
    }
    CoreState.FieldCount = 0;
    CurrentCardText[1] = 'a';
    EXPECT_FALSE(CardHasData());
}

TEST_F(CardStoreTest, NewCardTakesItsNumberFromTheIndexFile) {
    MakeCardFiles(10, 9);
    CoreState.LastCard = 8;  // another station stored card 9 meanwhile
    CoreState.CurrentCard = 9;
    CoreState.WriteAccess = 1;
    CoreState.CardWindowMode = 1;
    ClearCardFields(1, CoreState.FieldCount);
    CurrentCardText[1] = 'Q';
    CurrentCardValues[1] = 0x0302;
    SaveCurrentCard();
    EXPECT_EQ(CoreState.LastCard, 10);
    EXPECT_EQ(CoreState.CurrentCard, 10);
    EXPECT_EQ(ToHex(ReadBytes(dir / "dli-sch.dat")), ToHex(Hex("0A 00 00 00")));
    const std::string text = ReadBytes(dir / "alf-sch.dat");
    const std::string nums = ReadBytes(dir / "num-sch.dat");
    ASSERT_EQ(text.size(), 1100u);
    ASSERT_EQ(nums.size(), 1100u);
    EXPECT_EQ(text[1000], 'Q');
    EXPECT_EQ(text.substr(0, 1000), std::string(1000, '\0'));  // card 9 untouched
    std::vector<uint16_t> expected = EmptyWords();
    expected[0] = 0x0302;
    EXPECT_EQ(ToHex(nums.substr(1000)), ToHex(LeWords(expected)));

    // Past the last card number, or while a job's commit is pending, the store is refused in
    // words and nothing changes.
    CoreState.ProgramDir = dir.MakeDir("prog");
    InstallShippedTexts();
    struct Case {
        int32_t index;
        const char* marker;
        int text;
    } cases[] = {{kLastCardNumber, nullptr, 2120}, {5, "sch-002.ren", 2121}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        MakeCardFiles(10, c.index);
        if (c.marker) WriteBytes(dir / c.marker, "R x\ty\r\n");
        const std::string before = ReadBytes(dir / "dli-sch.dat") + ReadBytes(dir / "num-sch.dat");
        CoreState.LastCard = 9;
        CoreState.CurrentCard = 10;
        try {
            SaveCurrentCard();
            ADD_FAILURE() << "stored";
        } catch (const IoError& e) {
            EXPECT_EQ(e.Message(), LoadText(c.text));
        }
        EXPECT_EQ(ReadBytes(dir / "dli-sch.dat") + ReadBytes(dir / "num-sch.dat"), before);
        EXPECT_EQ(CoreState.LastCard, 9);
        if (c.marker) RemoveFile(dir / c.marker);
    }
}

// An edit is stored with its journal removed, or failed with its journal removed (or kept and
// the archive read-only); whatever failed, the next edit goes through, and the next opening
// never applies an edit that was reported failed.
TEST_F(CardStoreTest, AFailedEditNeverBlocksTheNextOneNorComesBackAtOpening) {
    CoreState.StationNumber = "000";
    CoreState.ProgramDir = dir.MakeDir("prog");
    InstallShippedTexts();
    const CardFiles files = CardFiles::Current();
    const auto card = [](char c) { return std::string(100, c); };
    const auto edit = [&](int32_t n, char c) {
        const std::string text = card(c);
        std::vector<uint16_t> words(50, uint16_t(c));
        files.RewriteCard(n, reinterpret_cast<const uint8_t*>(text.data()), words.data());
    };
    const auto reset = [&] {
        MakeCardFiles(2, 1);
        SetArchiveReadOnly(std::string());
    };
    std::string told;
    bool failed = false;
    const auto run = [&] {
        try {
            edit(0, 'a');
        } catch (const IoError& e) {
            told = e.Message();
            failed = true;
            throw;
        }
    };
    ForEachIoFault(reset, run, [&](const std::string&) {
        const std::string text = ReadBytes(dir / "alf-sch.dat").substr(0, 100);
        const bool kept = !ArchiveReadOnlyReason().empty();
        if (!kept) {
            EXPECT_EQ(text, failed ? card('\0') : card('a'));  // reported failed: not there
            edit(1, 'b');                                      // and the next edit is not blocked
            EXPECT_EQ(ReadBytes(dir / "alf-sch.dat").substr(100), card('b'));
        } else {
            EXPECT_EQ(told, LoadText(2130));
        }
        RecoverArchive(dir.Path());  // the next opening
        EXPECT_EQ(ReadBytes(dir / "alf-sch.dat").substr(0, 100), kept || !failed ? card('a') : card('\0'));
        EXPECT_FALSE(FileExists(dir / "sch-000.jnl"));
        told.clear();
        failed = false;
    });
}

TEST_F(CardStoreTest, AnArchiveDirectoryThatCannotBeListedTakesNoStore) {
    // A job's pending commit there cannot be ruled out: its finish would overwrite the store.
    MakeCardFiles(1, 0);
    FailIoCallForTest(IoCall::Open, 1, EIO);
    EXPECT_THROW(RefusePendingCommits(dir.Path()), IoError);
    ResetIoFaultsForTest();
    EXPECT_NO_THROW(RefusePendingCommits(dir.Path()));
}

TEST_F(CardStoreTest, FailedNewCardLeavesIndexAndNumbersUnchanged) {
    struct Case {
        const char* missing;
    } cases[] = {{"dli-sch.dat"}, {"num-sch.dat"}, {"alf-sch.dat"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        MakeCardFiles(3, 2);
        ASSERT_EQ(::remove((dir / c.missing).c_str()), 0);
        CoreState.LastCard = 2;
        CoreState.CurrentCard = 3;
        CoreState.WriteAccess = 1;
        CoreState.CardWindowMode = 1;
        CurrentCardText[1] = 'Q';
        EXPECT_THROW(SaveCurrentCard(), IoError);
        EXPECT_EQ(CoreState.LastCard, 2);
        EXPECT_EQ(CoreState.CurrentCard, 3);
        if (std::string(c.missing) != "dli-sch.dat") {
            EXPECT_EQ(ToHex(ReadBytes(dir / "dli-sch.dat")), ToHex(Hex("02 00 00 00")));
        }
    }
}

TEST_F(CardStoreTest, StoreConditions) {
    struct Case {
        uint8_t writeAccess;
        int mode;
        bool data;
        bool stored;
    } cases[] = {
        {1, 1, true, true},   {0, 1, true, false},  {1, 2, true, false},
        {1, 12, true, false}, {1, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.writeAccess) << " " << c.mode << " " << c.data);
        MakeCardFiles(2, 1);
        CoreState.LastCard = 1;
        CoreState.CurrentCard = 1;  // an existing card, rewritten in place
        CoreState.WriteAccess = c.writeAccess;
        CoreState.CardWindowMode = c.mode;
        ClearCardFields(1, CoreState.FieldCount);
        if (c.data) CurrentCardValues[1] = 4;
        SaveCurrentCard();
        const std::string nums = ReadBytes(dir / "num-sch.dat");
        EXPECT_EQ(nums.size(), 200u);
        EXPECT_EQ(nums[100] == 4, c.stored);
        EXPECT_EQ(CoreState.LastCard, 1);
    }
}

TEST_F(CardStoreTest, RequiredFieldsReport) {
    CoreState.ProgramDir = dir.Path();
    test::InstallShippedTexts();  // the report's heading
    const std::string heading = "Mancano informazioni sui campi:\r\n\r\n";
    struct Case {
        const char* list;
        bool filled;
        bool answer;
        std::string report;
    } cases[] = {
        {"7,Codice cliente\r\n", false, true, heading + "7,Codice cliente\r\n"},
        {"7,Codice cliente\r\n", true, false, heading},
        // Lines without a field number 1..4000 are skipped; the others are copied unchanged.
        {"abc\r\n\r\nx,y\r\n9999,z\r\n0,a\r\n 5 ,Importo\r\n", false, true, heading + " 5 ,Importo\r\n"},
        {"2,Stato\r\n3,Data\r\n", false, true, heading + "2,Stato\r\n3,Data\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        ClearCardFields(1, CoreState.FieldCount);
        if (c.filled) CurrentCardText[11] = 'K';
        WriteBytes(dir / "cfs-sch.imp", c.list);
        EXPECT_EQ(CheckRequiredFields(), c.answer);
        EXPECT_EQ(ReadBytes(dir / "cfs-cont.txt"), c.report);
    }
    ::remove((dir / "cfs-sch.imp").c_str());
    ::remove((dir / "cfs-cont.txt").c_str());
    EXPECT_FALSE(CheckRequiredFields());
    EXPECT_FALSE(FileExists(dir / "cfs-cont.txt"));
}

TEST_F(CardStoreTest, ShortFilesAndCardsPastTheLastReadEmpty) {
    std::string text(200, '\0');
    text[100] = 'T';  // card 1, byte 1
    WriteBytes(dir / "alf-sch.dat", text);
    WriteBytes(dir / "num-sch.dat", std::string(100, '\x05'));  // card 0 only
    CoreState.LastCard = 1;
    CoreState.CurrentCard = 0;
    ReadCardText();
    ReadCardValues();
    EXPECT_EQ(CurrentCardValues[1], 0x0505);
    CoreState.CurrentCard = 1;
    ReadCardText();
    ReadCardValues();
    EXPECT_EQ(CurrentCardText[1], 'T');
    for (int w = 1; w <= 50; ++w) EXPECT_EQ(CurrentCardValues[w], EmptyWords()[w - 1]) << w;
    EXPECT_EQ(CoreState.FirstCardWord, 0);

    // Past the last card, or past the end of the text file: an empty card.
    for (int32_t last : {0, 1}) {
        WriteBytes(dir / "alf-sch.dat", std::string(150, 'a'));  // card 1 cut short
        CurrentCardValues.fill(3);
        CoreState.LastCard = last;
        ReadCardText();
        EXPECT_EQ(CurrentCardText[1], 0);
        EXPECT_EQ(CurrentCardValues[5], kEmptyWord);
    }
    CoreState.CurrentCard = -1;  // before the first: nothing is read
    CurrentCardText[1] = 'x';
    ReadCardText();
    EXPECT_EQ(CurrentCardText[1], 'x');
}

TEST_F(CardStoreTest, BlockReadGivesEachCardWhatReadCardValuesGives) {
    CoreState.CardWordCount = 100;  // two records a card
    Define(5, 4, 0, 75);
    std::string nums;
    for (int card = 0; card < 3; ++card) nums += std::string(200, char(0x10 + card));
    nums += std::string(100, '\x7F');  // half of card 3
    WriteBytes(dir / "num-sch.dat", nums);

    std::vector<uint16_t> block(4 * 100, 0xEEEE);
    const CardFiles files = CardFiles::Current();
    EXPECT_EQ(files.ReadValuesBlock(1, 4, block.data(), EmptyCardValues(files.Geometry())), 2);
    EXPECT_EQ(block[0], 0x1111);    // card 1 word 1
    EXPECT_EQ(block[199], 0x1212);  // card 2 word 100
    for (int card = 3; card <= 4; ++card) {
        SCOPED_TRACE(card);
        const uint16_t* w = &block[size_t(card - 1) * 100];
        EXPECT_EQ(w[0], 0);
        EXPECT_EQ(w[74], kEmptyWord);
        EXPECT_EQ(w[5], 0xE6FF);
        EXPECT_EQ(w[6], 0x8196);
        EXPECT_EQ(w[99], 0);
    }
    // One card through the card in hand agrees with the block.
    CoreState.LastCard = 10;
    CoreState.CurrentCard = 3;
    ReadCardValues();
    EXPECT_EQ(CurrentCardValues[75], kEmptyWord);
    EXPECT_EQ(CurrentCardValues[1], 0);
}

TEST_F(CardStoreTest, OtherArchivesFilesThroughTheSameHelper) {
    const std::string other = dir.MakeDir("altro");
    const CardFiles files = CardFiles::InDirectory(other, CardGeometry{50, 50});
    WriteBytes(other + "alf-sch.dat", "");
    WriteBytes(other + "num-sch.dat", "");
    files.WriteLastCard(-1);
    std::vector<uint8_t> text(50, 'm');
    std::vector<uint16_t> words(50, 0x0102);
    EXPECT_EQ(files.AppendCard(text.data(), words.data()), 0);
    EXPECT_EQ(files.AppendCard(text.data(), words.data()), 1);
    EXPECT_EQ(files.ReadLastCard(), 1);
    EXPECT_EQ(ReadBytes(other + "alf-sch.dat"), std::string(100, 'm'));
    EXPECT_EQ(ReadBytes(other + "num-sch.dat").substr(100, 2), Hex("02 01"));
    std::vector<uint16_t> back(50);
    EXPECT_TRUE(files.ReadValues(1, back.data()));
    EXPECT_EQ(back, words);
    EXPECT_FALSE(files.ReadValues(2, back.data()));
}

TEST_F(CardStoreTest, MarkBitTests) {
    bool (*tests[])(int) = {IsTabStopField, IsQuickEntryField, IsPlusOneField, IsCopyField,
                            IsClearField,   IsStatisticsField, IsReorderField};
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        FieldAttributes[3] = int16_t(1 << k);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(tests[j](3), j == k);
        EXPECT_FALSE(tests[k](4));
        EXPECT_FALSE(tests[k](0));
        EXPECT_FALSE(tests[k](4001));
    }
}

}  // namespace
}  // namespace qv
