#include "cardwindow/attribution.h"

#include <gtest/gtest.h>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/field_layout.h"
#include "support/scratch_archive.h"
#include "support/small_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// Fields: 1 text of 10 at byte 1, 2 coded (word 1), 3 municipality (2), 4 date (3..5),
// 5 number (6), 6 time (7), 7 percentage (8), 8 32-bit number (9, 10), 9 text of 5 at byte 11,
// 10 a 32-bit number whose second word would lie past the card.
class AttributionTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::LayOutFields(
            {{-10, 0, 1}, {0, 1}, {3, 2}, {2, 3}, {4, 6}, {5, 7}, {6, 8}, {7, 9}, {-5, 0, 11}, {7, 50}});
        CoreState.WriteAccess = 1;
    }

    static SmallCard Blank() {
        SmallCard c;
        c.Word(6, kEmptyWord).Word(7, kEmptyWord).Word(8, kEmptyWord).Number(9, kEmptyNumber);
        return c;
    }
    // Makes `card` the card in hand, as typed in attribution mode.
    static void Type(const SmallCard& card) {
        CurrentCardText.fill(0);
        CurrentCardValues.fill(0);
        std::copy(card.text.begin(), card.text.end(), &CurrentCardText[1]);
        std::copy(card.words.begin(), card.words.end(), &CurrentCardValues[1]);
    }
};

TEST_F(AttributionTest, FieldsListedByWhatThePatternHolds) {
    struct Case {
        const char* what;
        SmallCard pattern;
        std::vector<int> text, numeric;
    };
    const Case cases[] = {
        {"blank card", Blank(), {}, {}},
        {"plain text", Blank().Text(1, "Rossi"), {1}, {}},
        {"text after a blank", Blank().Text(1, " Rossi"), {}, {}},
        {"exclamation mark alone", Blank().Text(1, "!"), {}, {}},
        {"exclamation mark and a letter", Blank().Text(11, "!a"), {9}, {}},
        {"accented letter", Blank().Text(11, "\xe8"), {9}, {}},
        {"control character", Blank().Text(1, "\x05x"), {}, {}},
        {"category 1", Blank().Word(1, 1), {}, {2}},
        {"negative category", Blank().Word(1, -3), {}, {}},
        {"municipality", Blank().Word(2, 557), {}, {3}},
        {"month alone", Blank().Word(4, 3), {}, {4}},
        {"year alone", Blank().Word(5, 90), {}, {4}},
        {"number 0", Blank().Word(6, 0), {}, {5}},
        {"number -31999", Blank().Word(6, -31999), {}, {5}},
        {"time and percentage", Blank().Word(7, 930).Word(8, 0), {}, {6, 7}},
        {"32-bit 0", Blank().Number(9, 0), {}, {8}},
        {"32-bit past the card", Blank().Word(50, 1), {}, {}},
    };
    for (const Case& c : cases) {
        Type(c.pattern);
        const AttributionLists lists = BuildAttributionLists();
        EXPECT_EQ(lists.textFields, c.text) << c.what;
        EXPECT_EQ(lists.numericFields, c.numeric) << c.what;
    }
}

TEST_F(AttributionTest, CopyWritesTheListedFieldsIntoTheSelectedCards) {
    auto card = [](const char* name, int category, int number, int32_t big) {
        return Blank()
            .Text(1, name)
            .Text(11, "abc")
            .Word(1, category)
            .Word(2, 7)
            .Word(6, number)
            .Number(9, big);
    };
    std::vector<SmallCard> cards = {card("Ferraresi", 2, 17, 123456), card("Bianchi", 1, 4, 9),
                                    card("Marchesini", 3, 8, -5)};
    test::StoreSmallCards(CoreState.ArchiveDir, cards);
    test::SelectCards({0, 2});

    // Name, number 0 and a month are attributed; the empty category and " x" are not.
    const SmallCard pattern = Blank().Text(1, "Rossi").Text(11, " x").Word(6, 0).Word(4, 3);
    Type(pattern);
    CoreState.CurrentCard = 1;
    test::RecordingProgress progress;
    RunAttribution(AttributionKind::Copy, progress);

    for (int c : {0, 2}) {
        SmallCard& e = cards[size_t(c)];
        std::fill(e.text.begin(), e.text.begin() + 10, 0);  // all ten bytes, zeros included
        e.Text(1, "Rossi").Word(6, 0).Word(3, 0).Word(4, 3).Word(5, 0);
    }
    EXPECT_EQ(ReadBytes(Arch("alf-sch.dat")), test::SmallTextFile(cards));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), test::SmallValuesFile(cards));

    EXPECT_EQ(CoreState.CurrentCard, 1);
    EXPECT_TRUE(std::equal(pattern.words.begin(), pattern.words.end(), &CurrentCardValues[1]));
    EXPECT_TRUE(std::equal(pattern.text.begin(), pattern.text.end(), &CurrentCardText[1]));
    EXPECT_EQ(SavedCardValues, CurrentCardValues);
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2}));
}

TEST_F(AttributionTest, ClearEmptiesTheListedFieldsOnly) {
    std::vector<SmallCard> cards = {Blank().Text(11, "abcde").Word(3, 1).Word(4, 2).Word(5, 80).Word(6, 5),
                                    Blank().Text(11, "fghij").Word(3, 9).Word(4, 9).Word(5, 99).Word(6, 6),
                                    Blank().Text(11, "klmno").Word(3, 3).Word(4, 3).Word(5, 70).Word(6, 7)};
    test::StoreSmallCards(CoreState.ArchiveDir, cards);
    test::SelectCards({1});

    Type(Blank().Text(11, "!a").Word(3, 5).Number(9, 0));
    test::RecordingProgress progress;
    // Without the write password no card changes.
    CoreState.WriteAccess = 0;
    RunAttribution(AttributionKind::Clear, progress);
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), test::SmallValuesFile(cards));
    CoreState.WriteAccess = 1;
    RunAttribution(AttributionKind::Clear, progress);

    cards[1].Text(11, std::string(5, '\0')).Word(3, 0).Word(4, 0).Word(5, 0).Number(9, kEmptyNumber);
    EXPECT_EQ(ReadBytes(Arch("alf-sch.dat")), test::SmallTextFile(cards));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), test::SmallValuesFile(cards));
}

TEST_F(AttributionTest, OnlyTheCardPartsTheListsNeedAreOpened) {
    test::StoreSmallCards(CoreState.ArchiveDir, {Blank(), Blank()});
    RemoveFile(Arch("alf-sch.dat"));
    test::SelectCards({0, 1});
    Type(Blank().Word(6, 12));
    test::RecordingProgress progress;
    RunAttribution(AttributionKind::Copy, progress);  // the text file is never needed
    EXPECT_FALSE(FileExists(Arch("alf-sch.dat")));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")),
              test::SmallValuesFile({Blank().Word(6, 12), Blank().Word(6, 12)}));

    // With no card selected nothing is read or written at all.
    RemoveFile(Arch("num-sch.dat"));
    test::SelectCards({});
    Type(Blank().Text(1, "Rossi").Word(1, 2));
    RunAttribution(AttributionKind::Copy, progress);
    EXPECT_FALSE(FileExists(Arch("num-sch.dat")));
}

TEST_F(AttributionTest, AFailedWriteStillPutsThePatternBack) {
    test::StoreSmallCards(CoreState.ArchiveDir, {Blank(), Blank()});
    RemoveFile(Arch("num-sch.dat"));
    test::SelectCards({1});
    const SmallCard pattern = Blank().Word(1, 2);
    Type(pattern);
    CoreState.CurrentCard = 5;
    test::RecordingProgress progress;
    EXPECT_THROW(RunAttribution(AttributionKind::Copy, progress), IoError);
    EXPECT_EQ(CoreState.CurrentCard, 5);
    EXPECT_TRUE(std::equal(pattern.words.begin(), pattern.words.end(), &CurrentCardValues[1]));
}

}  // namespace
}  // namespace qv
