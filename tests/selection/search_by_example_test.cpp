#include "selection/search_by_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/order_index.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/card_selection.h"
#include "support/field_layout.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

constexpr int16_t kNoNumber = -32000;

// The small archive: cards of 50 text bytes and 50 words.
//   1 name, text of 12 at byte 1      6 date, words 4-6
//   2 town, text of 8 at byte 13      7 16-bit number, word 7
//   3 category, word 1                8 32-bit number, words 8-9
//   4, 5 further answers of 3,        9 category, word 10 (no group)
//        words 2 and 3
struct Card {
    std::string name{}, town{};
    int answer1 = 0, answer2 = 0, answer3 = 0;
    int day = 0, month = 0, year = 0;
    int16_t number = kNoNumber;
    int32_t big = kEmptyNumber;
    int category = 0;
};

// name, town, answers 1-3, day, month, year, number, 32-bit number, category.
const std::vector<Card> kCards = {
    {"Marossi", "Pisa", 1, 3, 0, 15, 6, 95, 10, 1000, 2},                 // 0
    {"Bianchi", "Roma", 2, 0, 0, 1, 1, 100, 0, -5, 1},                    // 1
    {"Rossi", "Milano", 3, 1, 0, 20, 6, 99, kNoNumber, kEmptyNumber, 0},  // 2
    {"rossini", "Roma", 1, 2, 3, 0, 0, 0, 10, 1000, 2},                   // 3
    {"Rossi", "roma", 2, 3, 0, 5, 7, 95, -3, 7, 1},                       // 4
    {"Rossi", "Roma", 0, 0, 0, 0, 6, 0, 10, kEmptyNumber, 0},             // 5
};

// The order of the names by bytes, the three equal "Rossi" in the order the index holds them:
// Bianchi 1, Marossi 0, Rossi 5, 2, 4, rossini 3.
const std::vector<int32_t> kNameOrder = {1, 0, 5, 2, 4, 3};

void Put(const Card& c, uint8_t* text, uint16_t* words) {
    std::fill(text, text + 50, 0);
    std::fill(words, words + 50, 0);
    std::copy(c.name.begin(), c.name.end(), text);
    std::copy(c.town.begin(), c.town.end(), text + 12);
    words[0] = uint16_t(c.answer1), words[1] = uint16_t(c.answer2), words[2] = uint16_t(c.answer3);
    words[3] = uint16_t(c.day), words[4] = uint16_t(c.month), words[5] = uint16_t(c.year);
    words[6] = uint16_t(c.number);
    EncodeCardNumber(c.big, words[7], words[8]);
    words[9] = uint16_t(c.category);
}

class SearchByExampleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.Path();
        test::LayOutFields(
            {{-12, 0, 1}, {-8, 0, 13}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {4, 7}, {7, 8}, {0, 10}});
        WriteCards(kCards);
        WriteIndex("Alfa.001", kNameOrder);
        CoreState.SearchFromFirst = 1;
        CoreState.SearchEnded = 1;
        CoreState.CurrentCard = int32_t(kCards.size());
    }

    void WriteCards(const std::vector<Card>& cards) {
        std::string text, numbers;
        for (const Card& c : cards) {
            uint8_t t[50];
            uint16_t w[50];
            Put(c, t, w);
            text.append(reinterpret_cast<const char*>(t), 50);
            for (uint16_t v : w) AppendU16(numbers, v);
        }
        WriteBytes(dir / "alf-sch.dat", text);
        WriteBytes(dir / "num-sch.dat", numbers);
        CoreState.LastCard = int32_t(cards.size()) - 1;
    }
    void WriteIndex(const std::string& name, const std::vector<int32_t>& cards) {
        std::string bytes;
        for (int32_t c : cards) AppendI32(bytes, c);
        WriteBytes(dir / name, bytes);
    }
    // The mask typed on the card in hand.
    static void Type(const Card& mask) { Put(mask, &CurrentCardText[1], &CurrentCardValues[1]); }
    static bool HoldsCard(const Card& c) {
        uint8_t t[50];
        uint16_t w[50];
        Put(c, t, w);
        return std::equal(t, t + 50, &CurrentCardText[1]) && std::equal(w, w + 50, &CurrentCardValues[1]);
    }
    // Every card found, one step after the other, until the search ends.
    std::vector<int32_t> FoundInTurn(int kind, const Card& mask) {
        CoreState.SearchKind = kind;
        Type(mask);
        std::vector<int32_t> found;
        positions.clear();
        StartSearch(progress);
        while (CoreState.SearchEnded == 0 && found.size() < 20) {
            found.push_back(CoreState.CurrentCard);
            positions.push_back(CoreState.FoundIndexPosition);
            EXPECT_TRUE(HoldsCard(kCards.at(size_t(CoreState.CurrentCard)))) << CoreState.CurrentCard;
            ContinueSearch(progress);
        }
        EXPECT_TRUE(HoldsCard(mask)) << "the mask comes back when the search ends";
        return found;
    }
    static std::set<int32_t> SelectedCards() {
        const std::vector<int32_t> cards = test::SelectedCards(3999);
        return {cards.begin(), cards.end()};
    }

    TempDir dir;
    RecordingProgress progress;
    std::vector<int32_t> positions;  // FoundIndexPosition after each step that found a card
};

struct MaskCase {
    const char* what;
    Card mask;
    std::vector<int32_t> expected;
};

TEST_F(SearchByExampleTest, SequentialFindsEveryCardMatchingTheFilledFields) {
    const MaskCase cases[] = {
        {"text prefix, letters folded, not inside", {.name = "rOS"}, {2, 3, 4, 5}},
        {"longer prefix", {.name = "Rossin"}, {3}},
        {"two text fields", {.name = "ros", .town = "Roma"}, {3, 4, 5}},
        {"second text field alone", {.town = "Ro"}, {1, 3, 4, 5}},
        {"leading blank is no condition", {.name = " ros"}, {0, 1, 2, 3, 4, 5}},
        {"empty mask", {}, {0, 1, 2, 3, 4, 5}},
        {"date: month alone", {.month = 6}, {0, 2, 5}},
        {"date: year alone", {.year = 95}, {0, 4}},
        {"answer in the group's second field, any answer holds it", {.answer2 = 3}, {0, 2, 3, 4}},
        {"two answers, both present", {.answer1 = 1, .answer3 = 2}, {3}},
        {"16-bit number", {.number = 10}, {0, 3, 5}},
        {"16-bit zero is a value", {.number = 0}, {1}},
        {"negative 16-bit number", {.number = -3}, {4}},
        {"32-bit number", {.big = 1000}, {0, 3}},
        {"category outside a group is compared alone", {.category = 1}, {1, 4}},
        {"text and category", {.name = "ros", .category = 1}, {4}},
        {"nothing matches", {.name = "Verdi"}, {}},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FoundInTurn(kSequentialSearch, c.mask), c.expected);
        EXPECT_EQ(CoreState.SearchEnded, 1);
        EXPECT_EQ(CoreState.SearchFormSaved, 1);
    }
}

TEST_F(SearchByExampleTest, AnyFieldFindsTheFirstTextAnywhereWithLetterCase) {
    const MaskCase cases[] = {
        {"inside a word, case significant", {.name = "ros"}, {0, 3}},
        {"trailing blanks dropped", {.name = "ros  "}, {0, 3}},
        {"in another field than the mask's", {.name = "Roma"}, {1, 3, 5}},
        {"across two fields, zeros read as blanks", {.name = "chi     Roma"}, {1}},
        {"the first filled text field is the key", {.town = "Pisa"}, {0}},
        {"values of the mask play no part", {.name = "Rossi", .category = 2}, {2, 4, 5}},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FoundInTurn(kAnyFieldSearch, c.mask), c.expected);
    }
}

TEST_F(SearchByExampleTest, AlphabeticalFollowsTheOrderIndexOfTheFirstTextField) {
    const MaskCase cases[] = {
        {"equal keys in index order, past the archive's last card", {.name = "Rossi"}, {5, 2, 4}},
        {"letter case counts", {.name = "ross"}, {3}},
        {"prefix", {.name = "Ros"}, {5, 2, 4}},
        {"first position", {.name = "B"}, {1}},
        {"between two keys", {.name = "Bz"}, {}},
        {"before every key", {.name = "A"}, {}},
        {"after every key", {.name = "zz"}, {}},
        {"trailing blank stays in the key", {.name = "Rossi "}, {}},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.what);
        CoreState.CurrentCard = 2;
        EXPECT_EQ(FoundInTurn(kAlphabeticalSearch, c.mask), c.expected);
        EXPECT_EQ(CoreState.FoundIndexPosition, -1);
    }
    // Each step goes one index position on; the end restores the card of the last step.
    CoreState.CurrentCard = 1;
    FoundInTurn(kAlphabeticalSearch, {.name = "Rossi"});
    EXPECT_EQ(positions, (std::vector<int32_t>{3, 4, 5}));
    EXPECT_EQ(CoreState.CurrentCard, 4);
}

TEST_F(SearchByExampleTest, AlphabeticalIgnoresIndexEntriesThatNameNoCard) {
    const std::vector<int32_t> stale[] = {{1, 0, 5, 2, 4, -1}, {1, 0, 5, 2, 4, 99}};
    for (const auto& order : stale) {
        WriteIndex("Alfa.001", order);
        CoreState.CurrentCard = 1;
        EXPECT_EQ(FoundInTurn(kAlphabeticalSearch, {.name = "ross"}), std::vector<int32_t>{});
        EXPECT_EQ(CoreState.CurrentCard, 1);
    }
}

TEST_F(SearchByExampleTest, MissingOrderIndexChangesNothing) {
    std::remove((dir / "Alfa.001").c_str());
    CoreState.SearchKind = kAlphabeticalSearch;
    CoreState.CurrentCard = 3;
    Type({.name = "Rossi"});
    StartSearch(progress);
    EXPECT_EQ(CoreState.ProceedFlag, 0);
    EXPECT_EQ(CoreState.SearchEnded, 1);
    EXPECT_EQ(CoreState.CurrentCard, 3);
    EXPECT_TRUE(HoldsCard({.name = "Rossi"}));

    CoreState.SearchAsList = 1;
    EXPECT_FALSE(SearchAllIntoSelection(progress));
    EXPECT_TRUE(SelectedCards().empty());

    // One that is there but fails to open (the second file the step opens) is told.
    WriteIndex("Alfa.001", kNameOrder);
    CoreState.SearchAsList = 0;
    FailIoCallForTest(IoCall::Open, 2, EIO);
    EXPECT_THROW(StartSearch(progress), IoError);
    ResetIoFaultsForTest();
}

TEST_F(SearchByExampleTest, WhereANewSearchStarts) {
    struct StartCase {
        const char* what;
        int kind;
        uint8_t fromFirst;
        int32_t current, last;
        Card mask;
        int32_t found;  // -1: nothing found
        int32_t cardAfterwards;
    };
    const StartCase cases[] = {
        {"from the current card, the last one", kSequentialSearch, 0, 5, 5, {}, -1, 6},
        {"from the current card, a new card", kAlphabeticalSearch, 0, 6, 5, {.name = "Rossi"}, -1, 7},
        {"an archive without cards", kSequentialSearch, 1, 0, -1, {}, -1, 0},
        {"the last card is tested as the start card", kSequentialSearch, 0, 4, 5, {.name = "Rossi"}, 5, 5},
        {"the last card is tested after others",
         kSequentialSearch,
         0,
         3,
         5,
         {.name = "Rossi", .number = 10},
         5,
         5},
        {"the last card as the start card, any field", kAnyFieldSearch, 0, 4, 5, {.name = "Roma"}, 5, 5},
        {"from the first card whatever the current", kSequentialSearch, 1, 4, 5, {.number = 10}, 0, 0},
        {"empty mask finds the start card", kSequentialSearch, 0, 1, 5, {}, 2, 2},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.what);
        CoreState.SearchKind = c.kind;
        CoreState.SearchFromFirst = c.fromFirst;
        CoreState.CurrentCard = c.current;
        CoreState.LastCard = c.last;
        CoreState.SearchEnded = 1;
        CoreState.FoundIndexPosition = 7;
        Type(c.mask);
        StartSearch(progress);
        EXPECT_EQ(CoreState.SearchEnded, c.found < 0 ? 1 : 0);
        EXPECT_EQ(CoreState.CurrentCard, c.cardAfterwards);
        if (c.found < 0) {
            EXPECT_TRUE(HoldsCard(c.mask));
            EXPECT_EQ(CoreState.FoundIndexPosition, -1);
        } else {
            EXPECT_TRUE(HoldsCard(kCards.at(size_t(c.found))));
        }
    }
}

TEST_F(SearchByExampleTest, StepsThatSearchNothingLeaveTheStateAlone) {
    // The any-field kind without a text in the mask, and a kind that names no search.
    for (int kind : {int(kAnyFieldSearch), 0, 4}) {
        SCOPED_TRACE(kind);
        CoreState.SearchKind = kind;
        CoreState.CurrentCard = 2;
        CoreState.FoundIndexPosition = 3;
        Type({.category = 1});
        StartSearch(progress);
        EXPECT_EQ(CoreState.SearchEnded, 1);
        EXPECT_EQ(CoreState.CurrentCard, 2);
        EXPECT_EQ(CoreState.FoundIndexPosition, 3);
        EXPECT_TRUE(HoldsCard({.category = 1}));
        EXPECT_FALSE(ContinueSearch(progress)) << "no search to continue";
    }
}

TEST_F(SearchByExampleTest, CardFilesShorterThanTheArchiveEndTheScan) {
    // The text part holds cards 0..2 only; the numeric part cards 0..3.
    const std::string text = ReadBytes(dir / "alf-sch.dat");
    const std::string numbers = ReadBytes(dir / "num-sch.dat");
    WriteBytes(dir / "alf-sch.dat", text.substr(0, 150));
    WriteBytes(dir / "num-sch.dat", numbers.substr(0, 400));
    struct ShortCase {
        const char* what;
        int kind;
        Card mask;
        std::vector<int32_t> expected;
    };
    const ShortCase cases[] = {
        {"text mask", kSequentialSearch, {.name = "Rossi"}, {2}},
        {"value mask", kSequentialSearch, {.category = 1}, {1}},
        {"both parts", kSequentialSearch, {.town = "Roma", .category = 2}, {}},
        {"any field", kAnyFieldSearch, {.name = "Roma"}, {1}},
    };
    for (const ShortCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FoundInTurn(c.kind, c.mask), c.expected);
    }
    // A start past the end of the file.
    CoreState.SearchFromFirst = 0;
    CoreState.CurrentCard = 3;
    CoreState.SearchKind = kSequentialSearch;
    Type({.name = "R"});
    StartSearch(progress);
    EXPECT_EQ(CoreState.SearchEnded, 1);
    EXPECT_EQ(CoreState.CurrentCard, 3);
}

TEST_F(SearchByExampleTest, ListDisplaySelectsEveryMatch) {
    struct ListCase {
        const char* what;
        int kind;
        Card mask;
        std::set<int32_t> expected;
    };
    const ListCase cases[] = {
        {"sequential", kSequentialSearch, {.name = "ros"}, {2, 3, 4, 5}},
        {"alphabetical", kAlphabeticalSearch, {.name = "Rossi"}, {2, 4, 5}},
        {"any field", kAnyFieldSearch, {.name = "ros"}, {0, 3}},
        {"nothing found", kSequentialSearch, {.name = "Verdi"}, {}},
    };
    CoreState.SearchAsList = 1;
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        CardSelectionMask.fill(0xFF);
        CoreState.ListRow = 7;
        CoreState.SearchKind = c.kind;
        Type(c.mask);
        EXPECT_EQ(SearchAllIntoSelection(progress), !c.expected.empty());
        EXPECT_EQ(CoreState.ListReady, c.expected.empty() ? 0 : 1);
        EXPECT_EQ(CoreState.ListRow, 0);
        EXPECT_EQ(SelectedCards(), c.expected);
        EXPECT_EQ(CoreState.SearchEnded, 1);
        EXPECT_TRUE(HoldsCard(c.mask));
        EXPECT_EQ(progress.maximum, 5);
    }
}

TEST_F(SearchByExampleTest, ManyCardsAreScannedBlockAfterBlock) {
    // 3000 cards: "Rossi" on every card k with k mod 7 = 3, category k mod 5 + 1.
    std::vector<Card> cards(3000);
    for (int k = 0; k < 3000; ++k) {
        cards[size_t(k)].name = k % 7 == 3 ? "Rossi" : "Bianchi";
        cards[size_t(k)].category = k % 5 + 1;
    }
    WriteCards(cards);
    std::set<int32_t> expected;
    for (int k = 0; k < 3000; ++k)
        if (k % 7 == 3 && k % 5 == 0) expected.insert(k);  // 10, 45, 80, ...

    CoreState.SearchKind = kSequentialSearch;
    CoreState.SearchAsList = 1;
    Type({.name = "Rossi", .category = 1});
    EXPECT_TRUE(SearchAllIntoSelection(progress));
    EXPECT_EQ(SelectedCards(), expected);
    EXPECT_EQ(progress.maximum, 2999);
    EXPECT_EQ(progress.positions.back(), 2999);

    // One step at a time, single display: from card 2000 the next is 2005 (2005 mod 7 = 3).
    CoreState.SearchAsList = 0;
    CoreState.SearchFromFirst = 0;
    CoreState.CurrentCard = 1999;
    Type({.name = "Rossi", .category = 1});
    StartSearch(progress);
    EXPECT_EQ(CoreState.CurrentCard, 2005);
    EXPECT_EQ(progress.positions.back(), 2006);
    ContinueSearch(progress);
    EXPECT_EQ(CoreState.CurrentCard, 2040);
}

TEST_F(SearchByExampleTest, OrderIndexBuiltByTheOrderingIsSearched) {
    std::remove((dir / "Alfa.001").c_str());
    CoreState.ListOrderField = 1;
    CoreState.SortKeyLength = 1;
    NoProgress none;
    ASSERT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
    CoreState.SearchAsList = 1;
    const std::pair<const char*, std::set<int32_t>> cases[] = {
        {"Rossi", {2, 4, 5}}, {"ross", {3}}, {"Marossi", {0}}, {"C", {}}};
    for (const auto& [key, expected] : cases) {
        SCOPED_TRACE(key);
        CoreState.SearchKind = kAlphabeticalSearch;
        Type({.name = key});
        SearchAllIntoSelection(none);
        EXPECT_EQ(SelectedCards(), expected);
    }
}

TEST_F(SearchByExampleTest, EveryStepMakesTheSearchCriteriaFileWhenMissing) {
    CoreState.SearchKind = kSequentialSearch;
    Type({.name = "Rossi"});
    StartSearch(progress);
    EXPECT_EQ(ReadBytes(dir / "ric-sch.imp"), "1,2,3,");
    WriteBytes(dir / "ric-sch.imp", "7,\r\n");
    ContinueSearch(progress);
    EXPECT_EQ(ReadBytes(dir / "ric-sch.imp"), "7,\r\n");
    // A file that is there but will not open is told, and kept.
    FailIoCallForTest(IoCall::Open, 1, EACCES);
    EXPECT_THROW(StartSearch(progress), IoError);
    ResetIoFaultsForTest();
    EXPECT_EQ(ReadBytes(dir / "ric-sch.imp"), "7,\r\n");
}

TEST_F(SearchByExampleTest, EnteringSearchModeBringsTheMaskBack) {
    CoreState.SearchKind = kSequentialSearch;
    Type({.name = "Bianchi"});
    RestoreSearchMask();
    EXPECT_TRUE(HoldsCard({})) << "no search yet: an empty card";

    Type({.name = "Bianchi", .number = 0});
    StartSearch(progress);
    ASSERT_EQ(CoreState.CurrentCard, 1);
    RestoreSearchMask();
    EXPECT_TRUE(HoldsCard({.name = "Bianchi", .number = 0}));
}

}  // namespace
}  // namespace qv
