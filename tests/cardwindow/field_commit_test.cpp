#include "cardwindow/field_commit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

constexpr uint16_t kSentinel = 77;
constexpr int16_t kEmpty = -32000;

// A card of 50 words and 50 text bytes:
//   1 text of 10 bytes at byte 1        6 municipality at word 7
//   2 category (5 labels) at word 1      7 16-bit number at word 8
//   3 the same, zero counts as code 1    8 time-like at word 9
//   4 the same, quick entry              9 percentage at word 10
//   5 date at words 4, 5, 6             10 32-bit number at words 11, 12
//  11 category of a group of answers at word 13
class FieldCommit : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        CoreState.ProgramDir = QV_SOURCE_DIR "/data/progdir/";
        TerritoryCount = 8101;
        CoreState.CardWindowMode = 1;
        test::LayOutFields(
            {{-10, 0, 1}, {0, 1}, {0, 2}, {0, 3}, {2, 4}, {3, 7}, {4, 8}, {5, 9}, {6, 10}, {7, 11}, {1, 13}});
        for (int f = 1; f <= 11; ++f) {
            FieldFirstLabel[f] = 2;  // two records of another field come first
            FieldLastLabel[f] = 6;
        }
        FieldAttributes[3] = 4;
        FieldAttributes[4] = 2;
        WriteBytes(dir / "mod-sch.dat",
                   test::LabelRecords({"Altro", "Campo", "Rosso", "Verde", "Blu", "Rosato", "Blu scuro"}));
        CurrentCardValues.fill(kSentinel);
        CurrentCardText.fill('#');
        opened.reset();
    }

    // Commits `typed` with the picker answering `answer`; records which picker opened.
    CommitResult Commit(int field, const std::string& typed, const std::string& original = "\x01",
                        int answer = 0) {
        CommitContext context;
        context.originalText = original;
        context.pick = [this, answer](CategoryPicker picker, int field) {
            opened = picker;
            pickedField = field;
            return answer;
        };
        context.pickComune = [this, answer](const std::vector<int>& codes) {
            offered = codes;
            return answer;
        };
        context.pickAmong = [this, answer](int field, const std::vector<int>& categories) {
            pickedField = field;
            offered = categories;
            return answer;
        };
        context.now = EntryClock{7, 4, 2024, 14, 5, 9};
        return CommitField(field, typed, context);
    }

    int16_t Word(int position) const { return int16_t(CurrentCardValues[position]); }

    TempDir dir;
    std::optional<CategoryPicker> opened;
    int pickedField = 0;
    std::vector<int> offered;
};

TEST_F(FieldCommit, Categories) {
    using P = CategoryPicker;
    struct Case {
        int field;
        const char* typed;
        int answer;  // of the picker
        int16_t word;
        std::optional<P> picker;
    } cases[] = {
        {2, "5", 0, 5, {}},
        {2, "  3", 0, 3, {}},
        {2, "0", 0, 0, {}},  // no category
        {2, "6", 0, kSentinel, P::List},
        {2, "6", 2, 2, P::List},
        {2, "-1", 0, kSentinel, P::List},
        {2, "99999999999", 4, 4, P::List},  // begins with a digit but does not read
        {2, "3x", 0, kSentinel, P::List},
        {2, "rosso", 0, 1, {}},
        {2, "RoSsO", 0, 1, {}},
        {2, "viola", 0, kSentinel, P::Choice},
        {2, "viola", 6, 6, P::Choice},
        {2, ",v", 0, kSentinel, P::Choice},
        {2, "/", 0, kSentinel, P::Choice},
        {2, "!v", 0, kSentinel, {}},  // no picker for other first characters
        {2, " v", 0, kSentinel, {}},
        {2, "", 0, 0, {}},  // an emptied field holds no category
        {2, "   ", 0, 0, {}},
        {3, "0", 0, 1, {}},  // zero counts as code 1
        {3, "4", 0, 5, {}},
        {3, "5", 0, kSentinel, P::List},
        {3, "", 0, 0, {}},
        {4, "3", 0, 3, {}},               // quick entry: one key is the code
        {4, "B", 0, kSentinel, P::List},  // code 11 of 5
        {4, "b", 3, 3, P::List},
        {4, "!", 0, kSentinel, {}},  // no label, no picker
        {11, "verde", 0, 2, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        Commit(c.field, c.typed, "?", c.answer);
        EXPECT_EQ(Word(FieldPositions[c.field]), c.word) << c.field << " '" << c.typed << "'";
        EXPECT_EQ(opened, c.picker) << c.field << " '" << c.typed << "'";
        if (c.picker) {
            EXPECT_EQ(pickedField, c.field);
        }
    }
}

TEST_F(FieldCommit, CategoryNamesAreNeverGuessed) {
    // Labels of field 2: 1 Rosso, 2 Verde, 3 Blu, 4 Rosato, 5 Blu scuro.
    const struct {
        const char* typed;
        int answer;  // of the choice among the labels left
        int16_t word;
        std::vector<int> offered;
    } cases[] = {
        {"blu", 0, 3, {}},       // an equal label wins over a later one beginning so
        {"v\xC8RDE", 0, 2, {}},  // case and accents folded
        {"BLU S", 0, 5, {}},
        {"rosa", 0, 4, {}},             // one label begins so
        {"ros", 0, kSentinel, {1, 4}},  // several: nothing until the person picks
        {"ros", 4, 4, {1, 4}},
        {"ros", 2, kSentinel, {1, 4}},  // an answer outside the choice is none
    };
    for (const auto& c : cases) {
        SetUp();
        offered.clear();
        Commit(2, c.typed, "?", c.answer);
        EXPECT_EQ(Word(FieldPositions[2]), c.word) << c.typed;
        EXPECT_EQ(offered, c.offered) << c.typed;
        EXPECT_EQ(opened, std::nullopt) << c.typed;
    }
}

TEST_F(FieldCommit, UnchangedTextIsNotCommitted) {
    Commit(2, "Rosso", "ROSSO");  // same text but for the case of its letters
    EXPECT_EQ(Word(1), kSentinel);
    Commit(7, "12", "12");
    EXPECT_EQ(Word(8), kSentinel);
    // A quick-entry coded field takes its key even when it shows that code already.
    Commit(4, "3", "3");
    EXPECT_EQ(Word(3), 3);
}

// A text that is no value of the field leaves the field as it was (kSentinel) and says why.
TEST_F(FieldCommit, Dates) {
    constexpr int16_t S = int16_t(kSentinel);
    struct Case {
        const char* typed;
        int16_t day, month, year;
        const char* original = "\x01";
    } cases[] = {
        {"3/11/1985", 3, 11, 85},
        {"3/11/85", 3, 11, 85},  // two digits above this year's: 19yy
        {"3/11/24", 3, 11, 124},
        {"3/11/5", 3, 11, 105},
        {"3-11-2001", 3, 11, 101},  // any non-digit separates
        {"31/12/2000", 31, 12, 100},
        {"29/2/2000", 29, 2, 100},
        {"0/5/1970", 0, 5, 70},                  // day not known
        {"3/11/19850/0/0", 3, 11, 85, "0/0/0"},  // typed in front of the empty form
        {" ", 7, 4, 124},                        // today
        {"", 0, 0, 0},                           // an emptied field is the empty date
        {"3/11/19850", S, S, S},
        {"31/2/1990", S, S, S},
        {"29/2/1900", S, S, S},
        {"31/13/2001", S, S, S},
        {"32/1/2001", S, S, S},
        {"1/1/1899", S, S, S},
        {"3//85", S, S, S},
        {"3/11", S, S, S},
        {"1/2/3/4", S, S, S},
    };
    for (const Case& c : cases) {
        CurrentCardValues.fill(kSentinel);
        const CommitResult r = Commit(5, c.typed, c.original);
        EXPECT_EQ(Word(4), c.day) << c.typed;
        EXPECT_EQ(Word(5), c.month) << c.typed;
        EXPECT_EQ(Word(6), c.year) << c.typed;
        EXPECT_EQ(r.refusal, c.day == S ? EntryRefusal::NotADate : EntryRefusal::None) << c.typed;
        EXPECT_EQ(r.changed, c.day != S) << c.typed;
    }
}

TEST_F(FieldCommit, NumbersTimesAndPercentages) {
    constexpr int16_t S = int16_t(kSentinel);
    using R = EntryRefusal;
    struct Case {
        int field;
        const char* typed;
        int16_t word;
        R refusal = R::None;
    } cases[] = {
        {7, "29999", 29999},
        {7, "-29999", -29999},
        {7, " 125 ", 125},
        {7, "+5", 5},
        {7, "", kEmpty},
        {7, "30000", S, R::OutOfRange},
        {7, "-30000", S, R::OutOfRange},
        {7, "2x", S, R::NotANumber},
        {7, "x12", S, R::NotANumber},
        {7, "12.5", S, R::NotANumber},
        {7, "1-2", S, R::NotANumber},
        {8, "9:30", 930},
        {8, "09:30.", 930},
        {8, "7", 700},
        {8, "12.45", 1245},
        {8, "0745", 745},  // three or four digits: hmm, hhmm
        {8, "930", 930},
        {8, "24:00", 2400},
        {8, "9:30__:__.", 930},  // typed in front of the empty form
        {8, " ", 1405},          // now
        {8, "", kEmpty},         // an emptied time is empty, not midnight
        {8, "30:75", S, R::NotATime},
        {8, "123456", S, R::NotATime},
        {8, ":30", S, R::NotATime},
        {8, "9:30:15:1", S, R::NotATime},
        {9, "12.34", 1234},
        {9, "12.5", 1250},  // one decimal is tenths
        {9, "12,5", 1250},
        {9, "12", 1200},
        {9, "0.5", 50},
        {9, ".5", 50},
        {9, "  5.00%", 500},
        {9, "299.99", 29999},
        {9, "-12.5", -1250},
        {9, "", kEmpty},
        {9, "12.345", S, R::NotAPercentage},
        {9, "300", S, R::NotAPercentage},
        {9, "-350", S, R::NotAPercentage},
        {9, "1 2", S, R::NotAPercentage},
        {9, "%", kEmpty},
    };
    for (const Case& c : cases) {
        CurrentCardValues.fill(kSentinel);
        const std::string original = c.field == 8 ? "__:__." : "\x01";
        const CommitResult r = Commit(c.field, c.typed, original);
        EXPECT_EQ(Word(FieldPositions[c.field]), c.word) << c.field << " '" << c.typed << "'";
        EXPECT_EQ(r.refusal, c.refusal) << c.field << " '" << c.typed << "'";
    }
}

TEST_F(FieldCommit, ThirtyTwoBitNumbers) {
    struct Case {
        const char* typed;
        int32_t value;
        EntryRefusal refusal = EntryRefusal::None;
    } cases[] = {
        {"123456789", 123456789},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"", kEmptyNumber},
        {"2147483648", 77, EntryRefusal::OutOfRange},
        {"-9999999", 77, EntryRefusal::OutOfRange},  // the missing marker is no value
        {"12ab", 77, EntryRefusal::NotANumber},
    };
    for (const Case& c : cases) {
        PutCardNumber(77, 10);
        EXPECT_EQ(Commit(10, c.typed).refusal, c.refusal) << c.typed;
        EXPECT_EQ(GetCardNumber(10), c.value) << c.typed;
    }
    // Stored as two bit-reversed halves, high half first: 1 is 0000 0000 0000 0001.
    Commit(10, "1");
    EXPECT_EQ(CurrentCardValues[11], 0x0000);
    EXPECT_EQ(CurrentCardValues[12], 0x8000);
}

// The status line's message names the values a number or category field takes.
TEST_F(FieldCommit, RefusalMessagesNameTheLimits) {
    TempDir program;
    std::filesystem::copy_file(QV_SOURCE_DIR "/data/progdir/sigle.imp", program / "sigle.imp");
    CoreState.ProgramDir = program.Path();
    BuildTextFile();
    const struct {
        EntryRefusal refusal;
        int field;
        std::string end;
    } cases[] = {
        {EntryRefusal::NotANumber, 7, "Valori ammessi: da -29999 a 29999."},
        {EntryRefusal::OutOfRange, 10, "Valori ammessi: da -2147483648 a 2147483647."},
        {EntryRefusal::NoCategory, 2, "Valori ammessi: da 1 a 5."},
        {EntryRefusal::NotATime, 8, "Il campo conserva il valore precedente."},
    };
    for (const auto& c : cases) {
        const std::string message = RefusalMessage(c.refusal, c.field);
        ASSERT_GE(message.size(), c.end.size()) << message;
        EXPECT_EQ(message.substr(message.size() - c.end.size()), c.end) << message;
    }
    EXPECT_EQ(RefusalMessage(EntryRefusal::None, 7), "");
}

TEST_F(FieldCommit, Municipalities) {
    struct Case {
        const char* typed;
        int answer;  // of the choice
        int16_t code;
        std::vector<int> offered;  // the choice opened with these; empty: not opened
    } cases[] = {
        {"airasca", 0, 2, {}},
        {"ALBIANO D'IVREA", 0, 4, {}},
        {"mondovi", 0, 609, {}},
        {"mondo", 4041, 4041, {609, 4041}},       // Mondovì and Mondolfo: the person chooses
        {"Samone", 0, kSentinel, {231, 2923}},    // Esc: the field keeps what it held
        {"Samone", 609, kSentinel, {231, 2923}},  // an answer not offered is none
        {"Xyzzy", 0, kSentinel, {}},
        {"", 0, 0, {}},
        {"   ", 0, 0, {}},
    };
    for (const Case& c : cases) {
        CurrentCardValues.fill(kSentinel);
        offered.clear();
        const CommitResult r = Commit(6, c.typed, "\x01", c.answer);
        EXPECT_EQ(Word(7), c.code) << c.typed;
        EXPECT_EQ(offered, c.offered) << c.typed;
        EXPECT_EQ(r.refusal == EntryRefusal::NoComune, std::string(c.typed) == "Xyzzy") << c.typed;
    }
}

TEST_F(FieldCommit, TextFields) {
    auto bytes = [] { return std::string(reinterpret_cast<const char*>(&CurrentCardText[1]), 11); };
    Commit(1, "Hello", "");
    EXPECT_EQ(bytes(), std::string("Hello\0\0\0\0\0#", 11));
    Commit(1, "ABCDEFGHIJKL", "");
    EXPECT_EQ(bytes(), "ABCDEFGHIJ#");
    Commit(1, "hello", "HELLO");  // compared exactly
    EXPECT_EQ(bytes(), std::string("hello\0\0\0\0\0#", 11));
    CurrentCardText.fill('#');
    Commit(1, "same", "same");
    EXPECT_EQ(bytes(), "###########");
}

TEST_F(FieldCommit, OnlyTheEntryModesReadTheText) {
    for (int mode : {2, 3}) {
        CurrentCardValues.fill(kSentinel);
        CoreState.CardWindowMode = mode;
        CommitContext context;
        context.mode = mode;
        CommitField(7, "42", context);
        EXPECT_EQ(Word(8), 42) << mode;
    }
    for (int mode : {4, 5, 12, 14}) {
        CurrentCardValues.fill(kSentinel);
        CommitContext context;
        context.mode = mode;
        CommitField(7, "42", context);
        EXPECT_EQ(Word(8), kSentinel) << mode;
    }
    // A field outside the card is left alone.
    CommitContext context;
    CommitField(12, "42", context);
    CommitField(0, "42", context);
}

TEST_F(FieldCommit, MissingLabelFileRaises) {
    RemoveFile(dir / "mod-sch.dat");
    EXPECT_THROW(Commit(2, "rosso"), IoError);
    EXPECT_EQ(Word(1), kSentinel);
}

TEST(EntryText, MarkRemoval) {
    struct Case {
        std::string buffer;
        int cursor;
        const char* text;
    } cases[] = {
        {"12>5", 2, "125"},
        {">", 0, ""},
        {"abcdefg", 7, "abcdefg"},  // the mark fell behind the cut
        {std::string("ab>\0\0", 5), 2, "ab"},
        {"a>b>", 3, "a>b"},
    };
    for (const Case& c : cases) EXPECT_EQ(EntryTextWithoutMark(c.buffer, c.cursor), c.text) << c.buffer;
}

TEST_F(FieldCommit, EntryBufferCommit) {
    CoreState.CurrentField = 7;
    CoreState.EntryBuffer = "12>5";
    CoreState.EntryCursor = 2;
    CoreState.EntryOriginalText = "5";
    CommitEntryBuffer({});
    EXPECT_EQ(Word(8), 125);
    EXPECT_EQ(CoreState.EntryBuffer, "125");

    // The category choice finds the typed name in the entry buffer, without the mark.
    CoreState.CurrentField = 2;
    CoreState.EntryBuffer = "vio>la";
    CoreState.EntryCursor = 3;
    std::string seen;
    CommitEntryBuffer([&](CategoryPicker, int) {
        seen = CoreState.EntryBuffer;
        return 6;
    });
    EXPECT_EQ(seen, "viola");
    EXPECT_EQ(Word(1), 6);
}

}  // namespace
}  // namespace qv
