#include "cardwindow/order_index.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::WriteBytes;

struct Card {
    std::array<uint8_t, 50> text{};
    std::array<uint16_t, 50> words{};
};

std::string Ints(std::initializer_list<int32_t> values) {
    std::string out;
    for (int32_t v : values) AppendI32(out, v);
    return out;
}

std::string Record(const std::string& chars, size_t size) {
    std::string r = chars;
    r.resize(size, '\0');
    return r;
}

std::string Comune(const std::string& name) {
    return Record(char(name.size()) + name, 38);
}

const std::string pad(12, ' ');

// Fields: 1 name (10 characters at byte 1), 2 phone (5 at byte 11), 3 coded (word 1),
// 4 municipality (word 2), 5 date (words 3..5), 6 number (6), 7 time (7), 8 percentage (8),
// 9 32-bit number (9, 10).
class OrderIndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.MakeDir("arch");
        CoreState.ProgramDir = dir.MakeDir("prog");
        CoreState.CardWordCount = CoreState.CardTextBytes = 50;
        CoreState.FieldCount = 9;
        TerritoryCount = 20;
        const int types[] = {-10, -5, 0, 3, 2, 4, 5, 6, 7};
        const int positions[] = {0, 0, 1, 2, 3, 6, 7, 8, 9};
        for (int f = 1; f <= 9; ++f) {
            FieldTypes[f] = int16_t(types[f - 1]);
            FieldPositions[f] = int16_t(positions[f - 1]);
        }
        FieldTextOffsets[1] = 1;
        FieldTextOffsets[2] = 11;
        FieldFirstLabel[3] = 1;  // labels 1..3 of the table
        FieldLastLabel[3] = 3;
        WriteBytes(CoreState.ArchiveDir + "mod-sch.dat",
                   Record("altro", 61) + Record("maschio", 61) + Record("femmina", 61) +
                       Record("un'etichetta molto lunga di trentacinque", 61));
        WriteBytes(CoreState.ProgramDir + "cmn-zor2.dat",
                   Comune("Alba") + Comune("Bra") + Comune("Cuneo") + Comune("Borgo San Dalmazzo"));
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
        std::string text, words;
        for (const Card& c : cards) {
            text.append(reinterpret_cast<const char*>(c.text.data()), c.text.size());
            for (uint16_t w : c.words) AppendU16(words, w);
        }
        WriteBytes(CoreState.ArchiveDir + "alf-sch.dat", text);
        WriteBytes(CoreState.ArchiveDir + "num-sch.dat", words);
        CoreState.LastCard = int32_t(cards.size()) - 1;
    }
    static std::string Archive(const std::string& name) { return ReadBytes(CoreState.ArchiveDir + name); }

    test::TempDir dir;
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
        {5, 3, 0, "000" + pad},                                  // an empty date
        {6, 6, 25, "0000000025" + pad},
        {6, 6, -5, "00000000-5" + pad},
        {6, 6, int16_t(kEmptyWord), pad},
        {7, 7, 930, "09:30." + pad},
        {7, 7, 5, "00:05." + pad},
        {7, 7, int16_t(kEmptyWord), "__:__." + pad},
        {8, 8, 550, "  5.50%" + pad},
        {8, 8, 10000, "100.00%" + pad},
        {8, 8, int16_t(kEmptyWord), "___.__%" + pad},
    };
    for (const Case& c : cases) {
        Card card = Blank();
        card.words[size_t(c.word - 1)] = uint16_t(c.value);
        EXPECT_EQ(AlphaKeyBuilder(c.field).Key(card.text.data(), card.words.data()), c.expected)
            << "field " << c.field << " value " << c.value;
    }

    Card card = Blank();
    AlphaKeyBuilder name(1), phone(2), date(5), big(9);
    auto key = [&](AlphaKeyBuilder& b) { return b.Key(card.text.data(), card.words.data()); };
    EXPECT_EQ(key(name) + key(big), pad + pad);
    Name(card, "Rossi");
    Name(card, "0171123456", 10);  // a full field does not run on into the next one
    card.words[2] = 15, card.words[3] = 6, card.words[4] = 95;
    EncodeCardNumber(-1000, card.words[8], card.words[9]);
    EXPECT_EQ(key(name), "Rossi" + pad);
    EXPECT_EQ(key(phone), "01711" + pad);
    EXPECT_EQ(key(date), "1995615" + pad);
    EXPECT_EQ(key(big), "00000-1000" + pad);
    card.words[1] = 7;
    EXPECT_EQ(TerritorialSortKey(card.words.data()), "0007");
}

TEST(OrderBySortKeys, SegmentsAndBinaryInsertion) {
    struct Case {
        std::vector<std::string> keys;
        int length;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        {{"Rossi", "rossi", "Bianchi"}, 1, {2, 0, 1}},      // three segments: B, R, r
        {{"Zeta", "   ", "Alfa", "  x"}, 1, {1, 3, 2, 0}},  // blank keys first, in card order
        {{"Md", "Mb", "Me", "Ma", "Mc"}, 1, {3, 1, 4, 0, 2}},
        {{"Md", "Mb", "Me", "Ma", "Mc"}, 4, {3, 1, 4, 0, 2}},
        // An equal key goes before the equal entry the search meets.
        {{"Neri", "Neri", "Neri"}, 1, {2, 1, 0}},
        {{"MB", "MA", "MB"}, 1, {1, 2, 0}},
        {{"0012", "0003", "0003"}, 4, {2, 1, 0}},
        // No chosen length works as one character; a control byte goes with the blank keys.
        {{"Rossi", "\x05x", "Bianchi"}, 0, {1, 2, 0}},
    };
    NoProgress none;
    for (const Case& c : cases)
        EXPECT_EQ(OrderBySortKeys(c.keys, c.length, none), c.expected) << c.keys[0] << ", L=" << c.length;

    // More than 10000 cards in one segment, descending in card order.
    std::vector<std::string> keys;
    for (int i = 0; i < 12000; ++i) keys.push_back("K" + std::to_string(50000 - i));
    const std::vector<int32_t> order = OrderBySortKeys(keys, 1, none);
    ASSERT_EQ(order.size(), keys.size());
    for (int i = 0; i < 12000; ++i) ASSERT_EQ(order[size_t(i)], 11999 - i);
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
    EXPECT_EQ(Archive("ALFA.001"), Ints({1, 2, 0, 3}));
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

    EXPECT_EQ(Archive("alf-supp.dat"), Record("0012", 31) + Record("0003", 31) + Record("0003", 31));
    EXPECT_EQ(Archive("lor-sch.dat"), Ints({2, 1, 0}));
    EXPECT_EQ(Archive("lpn-sch.dat"), Ints({3, 9, 2, 3, 8, 1, 12, 7, 0}));
    EXPECT_EQ(Archive("lsg-sch.dat"), Record("riga uno", 401) + Record("riga due", 401) + Record("", 401));
    std::vector<int32_t> lif(40, 0);
    lif[3 - 1] = 0, lif[20 + 3 - 1] = 1;    // code 3 at positions 0 and 1
    lif[12 - 1] = 2, lif[20 + 12 - 1] = 2;  // code 12 at position 2
    std::string expected;
    for (int32_t v : lif) AppendI32(expected, v);
    EXPECT_EQ(Archive("lif-sch.dat"), expected);
}

}  // namespace
}  // namespace qv
