#include "core/order_index.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>
#include <numeric>
#include <tuple>
#include <vector>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/scratch_archive.h"
#include "support/small_archive.h"
#include "support/started_program.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using Card = test::SmallCard;

std::string Record(const std::string& chars, size_t size) {
    std::string r = chars;
    r.resize(size, '\0');
    return r;
}

const std::string pad(12, ' ');

// Fields: 1 name (10 characters at byte 1), 2 phone (5 at byte 11), 3 coded (word 1),
// 4 municipality (word 2), 5 date (words 3..5), 6 number (6), 7 time (7), 8 percentage (8),
// 9 32-bit number (9, 10).
class OrderIndexTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        TerritoryCount = 20;
        test::LayOutFields(
            {{-10, 0, 1}, {-5, 0, 11}, {0, 1}, {3, 2}, {2, 3}, {4, 6}, {5, 7}, {6, 8}, {7, 9}});
        FieldFirstLabel[3] = 1;  // labels 1..3 of the table
        FieldLastLabel[3] = 3;
        WriteBytes(
            CoreState.ArchiveDir + "mod-sch.dat",
            test::LabelRecords({"altro", "maschio", "femmina", "un'etichetta molto lunga di trentacinque"}));
        WriteBytes(CoreState.ProgramDir + "cmn-zor2.dat",
                   test::MunicipalityRecords({"Alba", "Bra", "Cuneo", "Borgo San Dalmazzo"}));
    }

    static Card Blank() {
        Card c;
        c.words[5] = c.words[6] = c.words[7] = kEmptyWord;
        EncodeCardNumber(kEmptyNumber, c.words[8], c.words[9]);
        return c;
    }
    static void Name(Card& c, const std::string& name, int at = 0) {
        std::copy(name.begin(), name.end(), c.text.begin() + at);
    }
    static void Store(const std::vector<Card>& cards) {
        WriteBytes(CoreState.ArchiveDir + "alf-sch.dat", test::SmallTextFile(cards));
        WriteBytes(CoreState.ArchiveDir + "num-sch.dat", test::SmallValuesFile(cards));
        CoreState.LastCard = int32_t(cards.size()) - 1;
    }
    static std::string Archive(const std::string& name) { return ReadBytes(CoreState.ArchiveDir + name); }
};

TEST_F(OrderIndexTest, KeysByFieldType) {
    struct Case {
        int field, word, value;  // value of the 1-based word on a blank card
        std::string expected;
    };
    const Case cases[] = {
        {3, 1, 1, "maschio" + pad},
        {3, 1, 0, pad},
        {3, 1, 3, "un'etichetta molto lunga di tr"},  // cut to 30, no room for blanks
        {3, 1, 4, "???" + pad},                       // beyond the field's labels
        {3, 1, -1, "???" + pad},
        {4, 2, 3, "Cuneo" + pad},
        {4, 2, 0, pad},
        {4, 2, 4, "Borgo San Dalmazzo" + std::string(11, ' ')},  // padded keys stop at 29
        {4, 2, 5, "???" + pad},                                  // a code without a name
        {6, 6, int16_t(kEmptyWord), pad},                        // empty values keep their keys
        {7, 7, int16_t(kEmptyWord), "__:__." + pad},
        {8, 8, int16_t(kEmptyWord), "___.__%" + pad},
    };
    for (const Case& c : cases) {
        Card card = Blank();
        card.words[size_t(c.word - 1)] = uint16_t(c.value);
        EXPECT_EQ(AlphaKeyBuilder(c.field).Key(card.text.data(), card.words.data()), c.expected)
            << "field " << c.field << " value " << c.value;
    }

    Card card = Blank();
    AlphaKeyBuilder name(1), phone(2), big(9);
    auto key = [&](AlphaKeyBuilder& b) { return b.Key(card.text.data(), card.words.data()); };
    EXPECT_EQ(key(name) + key(big), pad + pad);
    Name(card, "Rossi");
    Name(card, "0171123456", 10);  // a full field does not run on into the next one
    EXPECT_EQ(key(name), "Rossi" + pad);
    EXPECT_EQ(key(phone), "01711" + pad);
}

TEST_F(OrderIndexTest, NumericKeysSortAsTheValues) {
    // For each field, values in ascending order, each set on a blank card by `set`.
    struct Case {
        const char* what;
        std::function<std::string(int)> key;
        std::vector<int> values;
    };
    auto wordKey = [&](int field, int word) {
        return [=](int v) {
            Card c = Blank();
            c.words[size_t(word - 1)] = uint16_t(v);
            return AlphaKeyBuilder(field).Key(c.text.data(), c.words.data());
        };
    };
    const Case cases[] = {
        {"16-bit number", wordKey(6, 6), {-31999, -5, 0, 2, 12, 99, 100, 32767}},
        {"time", wordKey(7, 7), {5, 59, 100, 930, 1200, 2359}},
        {"percentage", wordKey(8, 8), {0, 5, 99, 550, 999, 1000, 10000}},
        {"32-bit number",
         [&](int v) {
             Card c = Blank();
             EncodeCardNumber(v, c.words[8], c.words[9]);
             return AlphaKeyBuilder(9).Key(c.text.data(), c.words.data());
         },
         {INT32_MIN + 1, -12000000, -1000, -5, 0, 2, 12, 9999999, 12000000, INT32_MAX}},
        {"territory code",
         [&](int v) {
             Card c = Blank();
             c.words[1] = uint16_t(v);
             return TerritorialSortKey(c.words.data());
         },
         {-32768, -12, -5, 0, 7, 12, 9999, 10000, 32767}},
        // Dates as day + 100 x month + 10000 x stored year.
        {"date",
         [&](int v) {
             Card c = Blank();
             c.words[2] = uint16_t(v % 100), c.words[3] = uint16_t(v / 100 % 100),
             c.words[4] = uint16_t(v / 10000);
             return AlphaKeyBuilder(5).Key(c.text.data(), c.words.data());
         },
         {0, 270201, 271201, 271202, 280101, 1000101, 1231231}},
    };
    for (const Case& c : cases)
        for (size_t i = 1; i < c.values.size(); ++i)
            EXPECT_LT(c.key(c.values[i - 1]), c.key(c.values[i])) << c.what << " " << c.values[i];
}

TEST(OrderBySortKeys, BlankKeysFirstThenStableByteOrder) {
    struct Case {
        std::vector<std::string> keys;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {{"Rossi", "rossi", "Bianchi"}, {2, 0, 1}},      // byte order: B, R, r
        {{"Zeta", "   ", "Alfa", "  x"}, {1, 3, 2, 0}},  // blank keys first, in card order
        {{"Md", "Mb", "Me", "Ma", "Mc"}, {3, 1, 4, 0, 2}},
        // Equal keys keep card order.
        {{"Neri", "Neri", "Neri"}, {0, 1, 2}},
        {{"MB", "MA", "MB"}, {1, 0, 2}},
        {{"0012", "0003", "0003"}, {1, 2, 0}},
        // A control byte goes with the blank keys.
        {{"Rossi", "\x05x", "Bianchi"}, {1, 2, 0}},
        {{}, {}},
    };
    NoProgress none;
    for (const Case& c : cases)
        EXPECT_EQ(OrderBySortKeys(c.keys, none), c.expected) << (c.keys.empty() ? "" : c.keys[0]);
}

TEST_F(OrderIndexTest, AlphabeticalOrderFiles) {
    std::vector<Card> cards(4, Blank());
    Name(cards[0], "Rossi");
    Name(cards[2], "Bianchi");
    Name(cards[3], "rossi");
    Store(cards);
    CoreState.ListOrderField = 1;
    CoreState.SortKeyLength = 1;
    NoProgress none;
    EXPECT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
    EXPECT_EQ(Archive("alf-supp.dat"), Record("Rossi" + pad, 31) + Record(pad, 31) +
                                           Record("Bianchi" + pad, 31) + Record("rossi" + pad, 31));
    EXPECT_EQ(Archive("ALFA.001"), Int32s({1, 2, 0, 3}));
    // One that fails to open is no missing one, which the person would be told to build again.
    FailIoCallForTest(IoCall::Open, 1, EIO);
    EXPECT_THROW(ReadAlphabeticalOrder(1), IoError);
    ResetIoFaultsForTest();
    EXPECT_EQ(AlphabeticalOrderFileName(105), "ALFA.105");

    for (int field : {0, 10, 4001}) {  // no field, or one the archive does not have
        CoreState.ListOrderField = field;
        EXPECT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::NoOrderField) << field;
    }
    Store({});
    CoreState.ListOrderField = 3;
    EXPECT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
    EXPECT_EQ(Archive("alf-supp.dat") + Archive("ALFA.003"), "");

    Store({Blank(), Blank()});
    CoreState.LastCard = 5;  // card files shorter than the index says
    for (int field : {1, 6}) {
        CoreState.ListOrderField = field;
        EXPECT_THROW(BuildAlphabeticalOrder(none), IoError) << field;
    }
}

TEST_F(OrderIndexTest, TerritorialOrderAndListFiles) {
    std::vector<Card> cards(3, Blank());
    const int codes[] = {12, 3, 3};
    for (int i = 0; i < 3; ++i) {
        cards[size_t(i)].words[0] = uint16_t(7 + i);
        cards[size_t(i)].words[1] = uint16_t(codes[i]);
    }
    Store(cards);
    CoreState.SortKeyLength = 1;
    WriteBytes(CoreState.ProgramDir + "lista.txt", "riga uno\r\nriga due\r\n");
    NoProgress none;
    EXPECT_EQ(BuildTerritorialOrder(none), OrderOutcome::Done);

    EXPECT_EQ(Archive("lor-sch.dat"), Int32s({1, 2, 0}));
    EXPECT_EQ(Archive("lpn-sch.dat"), Int32s({3, 8, 1, 3, 9, 2, 12, 7, 0}));
    EXPECT_EQ(Archive("lsg-sch.dat"), Record("riga uno", 401) + Record("riga due", 401) + Record("", 401));
    std::vector<int32_t> lif(40, 0);
    lif[3 - 1] = 0, lif[20 + 3 - 1] = 1;    // code 3 at positions 0 and 1
    lif[12 - 1] = 2, lif[20 + 12 - 1] = 2;  // code 12 at position 2
    std::string expected;
    for (int32_t v : lif) AppendI32(expected, v);
    EXPECT_EQ(Archive("lif-sch.dat"), expected);
}

std::vector<int32_t> OrderFile(const std::string& name) {
    const std::string bytes = ReadBytes(CoreState.ArchiveDir + name);
    std::vector<int32_t> out;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) out.push_back(GetI32(Bytes(bytes) + i));
    return out;
}

// The cards 0..n-1 in a plain stable sort: those `rank` puts at 0 first in card order, then by
// `less`, then those at 2 in card order.
std::vector<int32_t> StableOrder(int32_t n, const std::function<int(int32_t)>& rank,
                                 const std::function<bool(int32_t, int32_t)>& less) {
    std::vector<int32_t> cards(size_t(std::max(n, 0)));
    std::iota(cards.begin(), cards.end(), 0);
    std::stable_sort(cards.begin(), cards.end(), [&](int32_t a, int32_t b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return rank(a) == 1 && less(a, b);
    });
    return cards;
}

TEST_F(OrderIndexTest, OneSharedFirstLetterOverAHundredThousandCards) {
    constexpr int kCards = 100000;
    std::vector<Card> cards(kCards, Blank());
    std::vector<std::string> names(kCards);
    uint32_t seed = 12345;
    for (int i = 0; i < kCards; ++i) {
        seed = seed * 1103515245u + 12345u;
        names[size_t(i)] = "R" + std::to_string((seed >> 8) % 40000);  // many equal names
        Name(cards[size_t(i)], names[size_t(i)]);
    }
    Store(cards);
    CoreState.ListOrderField = 1;
    CoreState.SortKeyLength = 1;
    NoProgress none;
    ASSERT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
    EXPECT_EQ(OrderFile("ALFA.001"),
              StableOrder(
                  kCards, [](int32_t) { return 1; },
                  [&](int32_t a, int32_t b) { return names[size_t(a)] < names[size_t(b)]; }));
}

class SampleArchiveOrderTest : public test::SampleProgram {};

TEST_F(SampleArchiveOrderTest, OrdersAreStableSortsOfTheCardValues) {
    const int32_t n = CoreState.LastCard + 1;
    ASSERT_GT(n, 100);
    // What each card holds, read through the card store.
    struct Value {
        int rank = 1;  // 0 listed first, 2 listed last, both in card order
        std::string text;
        int64_t number = 0;
    };
    auto trimmed = [](std::string t) {
        t.resize(std::min<size_t>(t.size(), 30));
        while (!t.empty() && t.back() == ' ') t.pop_back();
        return t;
    };
    auto valueOf = [&](int field, int32_t card) {
        CoreState.CurrentCard = card;
        ReadCardText();
        ReadCardValues();
        Value v;
        const int type = FieldTypes[field];
        const int p = FieldPositions[field];
        if (type < 0) {
            const char* text =
                reinterpret_cast<const char*>(&CurrentCardText[size_t(FieldTextOffsets[field])]);
            v.text = trimmed(std::string(text, strnlen(text, size_t(-type))));
        } else if (type <= 1) {
            v.text = trimmed(CategoryLabel(field, GetCardWord(field), CategoryOutOfRange::Unknown));
        } else if (type == 2) {
            const int year = int16_t(CurrentCardValues[size_t(p + 2)]);
            v.number = int64_t(year > 0 ? year + 1900 : year) * 10000 +
                       int16_t(CurrentCardValues[size_t(p + 1)]) * 100 +
                       int16_t(CurrentCardValues[size_t(p)]);
        } else if (type == 6) {
            v.number = GetCardWord(field);
            if (uint16_t(v.number) == kEmptyWord) v.rank = 2;
        } else if (type == 7) {
            v.number = GetCardNumber(field);
            if (v.number == kEmptyNumber) v.rank = 0;
        }
        if (type <= 1 && (v.text.empty() || uint8_t(v.text[0]) <= ' ')) v.rank = 0;
        return v;
    };
    NoProgress none;
    for (const int type : {-1, 0, 2, 6, 7}) {
        int field = 1;
        while (field <= CoreState.FieldCount &&
               !(type < 0    ? FieldTypes[field] < 0
                 : type == 0 ? FieldTypes[field] <= 1 && FieldTypes[field] >= 0
                             : FieldTypes[field] == type))
            ++field;
        ASSERT_LE(field, CoreState.FieldCount) << "no field of type " << type;
        std::vector<Value> values;
        for (int32_t c = 0; c < n; ++c) values.push_back(valueOf(field, c));
        CoreState.ListOrderField = field;
        ASSERT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
        EXPECT_EQ(OrderFile(AlphabeticalOrderFileName(field)),
                  StableOrder(
                      n, [&](int32_t c) { return values[size_t(c)].rank; },
                      [&](int32_t a, int32_t b) {
                          return std::tie(values[size_t(a)].text, values[size_t(a)].number) <
                                 std::tie(values[size_t(b)].text, values[size_t(b)].number);
                      }))
            << "field " << field << " of type " << type;
    }

    std::vector<int16_t> codes;
    for (int32_t c = 0; c < n; ++c) {
        CoreState.CurrentCard = c;
        ReadCardValues();
        codes.push_back(int16_t(CurrentCardValues[2]));
    }
    BuildTerritorialOrder(none);
    EXPECT_EQ(OrderFile("lor-sch.dat"),
              StableOrder(
                  n, [](int32_t) { return 1; },
                  [&](int32_t a, int32_t b) { return codes[size_t(a)] < codes[size_t(b)]; }));
}

}  // namespace
}  // namespace qv
