#include "core/field_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/archive_definition.h"
#include "core/card_store.h"
#include "core/comune_names.h"
#include "core/core_state.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

TEST(FieldFormat, PlainValues) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {FormatDateValue(5, 3, 98), "5/3/1998"},
        {FormatDateValue(31, 12, 105), "31/12/2005"},
        {FormatDateValue(0, 0, 0), "0/0/0"},
        {FormatDateValue(1, 1, -5), "1/1/-5"},  // a year word below 1 is shown as stored
        {FormatTimeValue(930), "09:30."},
        {FormatTimeValue(0), "00:00."},
        {FormatTimeValue(2359), "23:59."},
        {FormatTimeValue(5), "00:05."},
        {FormatTimeValue(-32000), "__:__."},
        {FormatPercentageValue(1234), " 12.34%"},
        {FormatPercentageValue(5), "  0.05%"},
        {FormatPercentageValue(10000), "100.00%"},
        {FormatPercentageValue(32767), "327.67%"},
        {FormatPercentageValue(-32000), "___.__%"},
        {FormatNumber16(0), "0"},
        {FormatNumber16(-31999), "-31999"},
        {FormatNumber16(32767), "32767"},
        {FormatNumber16(-32000), ""},
        {FormatNumber32(-9999998), "-9999998"},
        {FormatNumber32(2000000000), "2000000000"},
        {FormatNumber32(0), "0"},
        {FormatNumber32(-9999999), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

// Fields of a small card (100 text bytes, 50 words):
//   1 text of 10 at offset 1      5 16-bit number at word 6
//   2 category at word 1, labels  6 time-like at word 7
//     records 2..4 of 6           7 percentage at word 8
//   3 date at words 2-4           8 32-bit number at words 9-10
//   4 municipality at word 5      9 category without a word position
class FieldValueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = dir.Path();
        LayOutFields({{-10, 0, 1}, {0, 1}, {2, 2}, {3, 5}, {4, 6}, {5, 7}, {6, 8}, {7, 9}, {0, 0}});
        CoreState.CardTextBytes = 100;
        TerritoryCount = 8101;
        FieldFirstLabel[2] = FieldFirstLabel[9] = 2;
        FieldLastLabel[2] = FieldLastLabel[9] = 4;
        WriteBytes(dir / "mod-sch.dat",
                   LabelRecords({"zero", "uno", "Prima scelta", "seconda", "terza", "cinque"}));
        std::string names;
        for (const char* n : {"ABANO TERME", "ROMA", "SANT'ANGELO A FASANELLA IN VAL DI CHIANA"}) {
            std::string r(38, '\0');
            const size_t len = std::min<size_t>(std::strlen(n), 37);
            r[0] = char(std::strlen(n));  // the third claims more than the record holds
            std::memcpy(r.data() + 1, n, len);
            names += r;
        }
        WriteBytes(dir / "cmn-zor2.dat", names);
        ClearCardFields(1, 9);
    }
    void TearDown() override { ResetProgramState(); }
    static void Word(int w, int v) { CurrentCardValues[w] = uint16_t(int16_t(v)); }
    TempDir dir;
};

TEST_F(FieldValueTest, EmptyCardShowsEachTypesEmptyForm) {
    const char* want[] = {nullptr, "", "", "0/0/0", " ", "", "__:__.", "___.__%", ""};
    for (int f = 1; f <= 8; ++f) EXPECT_EQ(FormatFieldValue(f), want[f]) << "field " << f;
}

TEST_F(FieldValueTest, FilledValuesByType) {
    std::memcpy(&CurrentCardText[1], "Rossi", 5);
    Word(1, 3);
    Word(2, 7);
    Word(3, 11);
    Word(4, 99);
    Word(5, 2);
    Word(6, -45);
    Word(7, 1745);
    Word(8, 250);
    PutCardNumber(123456, 8);
    const char* want[] = {nullptr, "Rossi",  "terza",   "7/11/1999", "ROMA",
                          "-45",   "17:45.", "  2.50%", "123456"};
    for (int f = 1; f <= 8; ++f) EXPECT_EQ(FormatFieldValue(f), want[f]) << "field " << f;
}

TEST_F(FieldValueTest, TextTakesItsWholeLengthUpToAZeroByte) {
    std::memcpy(&CurrentCardText[1], "0123456789ABC", 13);
    EXPECT_EQ(FormatFieldValue(1), "0123456789");
    CurrentCardText[4] = 0;
    EXPECT_EQ(FormatFieldValue(1), "012");
    std::memcpy(&CurrentCardText[1], "  x  ", 5);
    CurrentCardText[6] = 0;
    EXPECT_EQ(FormatFieldValue(1), "  x  ");  // not trimmed
}

TEST_F(FieldValueTest, CategoryRangeAndTheUnknownMark) {
    const FieldFormatOptions unknown{CategoryOutOfRange::Unknown};
    struct Case {
        int value;
        const char* empty;
        const char* marked;
    } cases[] = {
        {0, "", ""},           {1, "Prima scelta", "Prima scelta"},
        {3, "terza", "terza"},  // the last category
        {4, "", "???"},         // one beyond the field's list, though the file goes on
        {-1, "", "???"},       {-32000, "", "???"},
    };
    for (const Case& c : cases) {
        Word(1, c.value);
        EXPECT_EQ(FormatFieldValue(2), c.empty) << c.value;
        EXPECT_EQ(FormatFieldValue(2, unknown), c.marked) << c.value;
    }
}

TEST_F(FieldValueTest, MunicipalityNames) {
    struct Case {
        int code;
        const char* want;
    } cases[] = {
        {1, "ABANO TERME"}, {2, "ROMA"}, {3, "SANT'ANGELO A FASANELLA IN VAL DI CHI"}, {0, " "}, {-2, " "}};
    for (const Case& c : cases) {
        Word(5, c.code);
        EXPECT_EQ(FormatFieldValue(4), c.want) << c.code;
    }
}

TEST_F(FieldValueTest, MissingFilesRaiseOnlyWhenAValueNeedsThem) {
    std::remove((dir / "mod-sch.dat").c_str());
    std::remove((dir / "cmn-zor2.dat").c_str());
    EXPECT_EQ(FormatFieldValue(2), "");
    EXPECT_EQ(FormatFieldValue(4), " ");
    Word(1, 4);
    EXPECT_EQ(FormatFieldValue(2), "");  // out of range: no file needed
    Word(1, 1);
    EXPECT_THROW(FormatFieldValue(2), IoError);
    Word(5, 1);
    EXPECT_THROW(FormatFieldValue(4), IoError);
}

// Every reader of the label and name files goes through these: a label is at most 60 characters
// even when a damaged record has no zero byte, and a short file is the caller's to judge.
TEST_F(FieldValueTest, NameAndMunicipalityRecordReaders) {
    const std::string labels = dir / "mod-sch.dat";
    EXPECT_EQ(ReadNameRecords(labels, 0, 2), (std::vector<std::string>{"zero", "uno"}));
    EXPECT_EQ(ReadNameRecordsUpTo(labels, 5, 3), std::vector<std::string>{"cinque"});
    EXPECT_TRUE(ReadNameRecordsUpTo(labels, 9, 1).empty());
    try {
        ReadNameRecords(labels, 5, 2);
        ADD_FAILURE() << "a record past the end was read";
    } catch (const IoError& e) {
        EXPECT_EQ(e.Code(), kReadPastEnd);
    }
    WriteBytes(dir / "mod-sch.dat", std::string(61, 'x'));
    EXPECT_EQ(ReadAllNameRecords(labels), std::vector<std::string>{std::string(60, 'x')});

    EXPECT_EQ(ReadComuneNames(2, 2),
              (std::vector<std::string>{"ROMA", "SANT'ANGELO A FASANELLA IN VAL DI CHI"}));
    EXPECT_THROW(ReadComuneNames(3, 2), IoError);
    WriteBytes(dir / "cmn-zor2.dat",
               ReadBytes(dir / "cmn-zor2.dat") + std::string(20, 'z'));  // a cut record is no name
    EXPECT_EQ(ReadAllComuneNames().size(), 3u);
}

TEST_F(FieldValueTest, MunicipalityBeyondTheTableRaises) {
    Word(5, 4);
    EXPECT_THROW(FormatFieldValue(4), IoError);
}

TEST_F(FieldValueTest, FieldWithoutWordPositionReadsZero) {
    EXPECT_EQ(FormatFieldValue(9), "");
    EXPECT_EQ(FormatFieldValue(0), "");
    EXPECT_EQ(FormatFieldValue(4001), "");
}

}  // namespace
}  // namespace qv
