#include "cardwindow/entry_options.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class EntryOptionsTest : public test::SampleProgram {};

TEST_F(EntryOptionsTest, SwitchFilesAndTheirDefaults) {
    struct Case {
        bool present;
        std::string content;
        bool lists, mouse;
    };
    const Case cases[] = {
        {false, "", false, true},        {true, "", false, true},         {true, Hex("01"), true, true},
        {true, Hex("00"), false, false}, {true, Hex("02"), false, false}, {true, Hex("01 00"), true, true},
    };
    for (const Case& c : cases) {
        RemoveFile(Arch("ok-lista.dat"));
        RemoveFile(root / "ok-mouse.dat");
        if (c.present) {
            WriteBytes(Arch("ok-lista.dat"), c.content);
            WriteBytes(root / "ok-mouse.dat", c.content);
        }
        EXPECT_EQ(ReadCategoryListSwitch(), c.lists) << c.present << ToHex(c.content);
        EXPECT_EQ(ReadMouseSwitch(), c.mouse) << c.present << ToHex(c.content);
    }

    CoreState.MouseEntry = 1;
    StoreEntrySwitches(true, false);
    EXPECT_EQ(ReadBytes(Arch("ok-lista.dat")), Hex("01"));
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), Hex("00"));
    EXPECT_EQ(CoreState.MouseEntry, 0);
    StoreEntrySwitches(false, true);
    EXPECT_EQ(ReadBytes(Arch("ok-lista.dat")), Hex("00"));
    EXPECT_EQ(ReadBytes(root / "ok-mouse.dat"), Hex("01"));
    EXPECT_EQ(CoreState.MouseEntry, 1);
}

TEST_F(EntryOptionsTest, EntryBoxColourFile) {
    RemoveFile(Arch("inf-colo.dat"));
    EXPECT_EQ(ReadEntryBoxColour(), 0x00FFFFD0u);
    WriteBytes(Arch("inf-colo.dat"), Hex("11 22"));  // too short to hold a colour
    EXPECT_EQ(ReadEntryBoxColour(), 0x00FFFFD0u);
    WriteBytes(Arch("inf-colo.dat"), Hex("11 22 33 00"));
    EXPECT_EQ(ReadEntryBoxColour(), 0x00332211u);
    WriteEntryBoxColour(0x00563412);
    EXPECT_EQ(ReadBytes(Arch("inf-colo.dat")), Hex("12 34 56 00"));
    // Red sits in the file's low byte and in the dialog's high byte.
    EXPECT_EQ(BgrToRgb(0x00FFFFD0), 0xD0FFFFu);
    EXPECT_EQ(RgbToBgr(0xFF0000), 0x0000FFu);
}

TEST_F(EntryOptionsTest, GoToTypedCardKeepsWithinTheArchive) {
    const int32_t last = CoreState.LastCard;
    ASSERT_GT(last, 20);
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"1", 0},   {"12", 11}, {" 3", 2}, {"0", 0},           {"-5", 0}, {"100000", last + 1},
        {"12a", 5}, {"", 5},    {"x", 5},  {"-2147483648", 0},
    };
    for (const Case& c : cases) {
        CoreState.CurrentCard = 5;
        GoToTypedCard(c.text);
        EXPECT_EQ(CoreState.CurrentCard, c.expected) << c.text;
    }
    CoreState.CurrentCard = last + 7;  // a position out of range is brought back as well
    GoToTypedCard("abc");
    EXPECT_EQ(CoreState.CurrentCard, last + 1);
}

TEST_F(EntryOptionsTest, ClearByAnswerOnTheCardInHand) {
    // Field 1 text, 3 sex, 7 education, 9 household members: all filled on the card used.
    CoreState.CurrentCard = 0;
    ReadCardText();
    ReadCardValues();
    ASSERT_NE(CurrentCardText[size_t(FieldTextOffsets[1])], 0);
    ASSERT_GT(GetCardWord(3), 0);
    ASSERT_GT(GetCardWord(7), 0);
    ASSERT_GT(GetCardWord(9), 0);
    const auto text = CurrentCardText;
    const auto values = CurrentCardValues;
    auto filled = [](int f) {
        return FieldTypes[size_t(f)] < 0 ? CurrentCardText[size_t(FieldTextOffsets[size_t(f)])] != 0
                                         : GetCardWord(f) != 0 && GetCardWord(f) != -32000;
    };
    struct Case {
        int answer;
        std::array<bool, 4> cleared;  // fields 1, 3, 7, 9
    };
    const Case cases[] = {
        {0, {false, false, false, false}}, {1, {false, true, false, false}},  {2, {true, true, true, true}},
        {3, {false, false, true, true}},   {4, {false, false, false, false}},
    };
    for (const Case& c : cases) {
        CurrentCardText = text;
        CurrentCardValues = values;
        FieldAttributes = {};
        FieldAttributes[7] = 16;
        FieldAttributes[9] = 16 | 1;
        FieldAttributes[3] = 1 | 2 | 4 | 8;  // other marks do not clear
        CoreState.CurrentField = 3;
        ClearByAnswer(c.answer);
        const int fields[] = {1, 3, 7, 9};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(!filled(fields[i]), c.cleared[size_t(i)]) << c.answer << " " << fields[i];
    }
}

TEST_F(EntryOptionsTest, CopyLoadsAnotherCardAndKeepsNumberAndNotes) {
    const CardFiles files = CardFiles::Current();
    std::array<uint8_t, kMaxCardTextBytes + 1> text11{};
    std::array<uint16_t, kMaxCardWords + 1> values11{};
    ASSERT_TRUE(files.ReadText(11, &text11[1]));
    ASSERT_TRUE(files.ReadValues(11, &values11[1]));
    const int words = CoreState.CardWordCount;

    CoreState.CurrentCard = 30;
    ReadCardText();
    ReadCardValues();
    SetNotesHead(4242);
    CopyCardIntoHand(11);
    EXPECT_EQ(CoreState.CurrentCard, 30);
    EXPECT_EQ(CoreState.CommandCode, 1);
    EXPECT_TRUE(std::equal(&text11[1], &text11[1] + CoreState.CardTextBytes, &CurrentCardText[1]));
    EXPECT_TRUE(std::equal(&values11[1], &values11[1] + words - 2, &CurrentCardValues[1]));
    EXPECT_EQ(GetNotesHead(), 4242);

    // A negative number loads nothing; one past the last card empties every field.
    const auto before = CurrentCardValues;
    CoreState.CommandCode = 0;
    CopyCardIntoHand(-1);
    EXPECT_EQ(CurrentCardValues, before);
    EXPECT_EQ(CoreState.CommandCode, 1);
    CopyCardIntoHand(CoreState.LastCard + 3);
    for (int f = 1; f <= CoreState.FieldCount; ++f) {
        if (FieldTypes[size_t(f)] >= 0 && FieldTypes[size_t(f)] <= 3) {
            EXPECT_EQ(GetCardWord(f), 0) << f;
        }
    }
    EXPECT_EQ(CurrentCardText[size_t(FieldTextOffsets[1])], 0);
    EXPECT_EQ(GetNotesHead(), 4242);
    EXPECT_EQ(CoreState.CurrentCard, 30);

    // Reloading drops the changes, notes head included.
    ReloadCardInHand();
    EXPECT_EQ(CoreState.CommandCode, 2);
    std::array<uint16_t, kMaxCardWords + 1> values30{};
    ASSERT_TRUE(files.ReadValues(30, &values30[1]));
    EXPECT_TRUE(std::equal(&values30[1], &values30[1] + words, &CurrentCardValues[1]));
}

TEST_F(EntryOptionsTest, ClearModeMarksTakesOffOneBit) {
    struct Case {
        int mode;
        int bit;
    };
    const Case cases[] = {{5, 1}, {6, 2}, {7, 4}, {9, 16}, {16, 64}, {8, 0}, {13, 0}, {1, 0}};
    for (const Case& c : cases) {
        FieldAttributes = {};
        for (int f = 1; f <= CoreState.FieldCount; ++f) FieldAttributes[size_t(f)] = int16_t(f % 2 ? 127 : 8);
        EXPECT_EQ(ClearModeMarks(c.mode), c.bit != 0) << c.mode;
        for (int f = 1; f <= CoreState.FieldCount; ++f)
            EXPECT_EQ(FieldAttributes[size_t(f)], (f % 2 ? 127 : 8) & ~c.bit) << c.mode << " " << f;
    }
}

}  // namespace
}  // namespace qv
