#include "cardwindow/order_index.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Fields of the small archive: 1 name (10 characters at byte 1), 2 phone (5 characters at
// byte 11), 3 coded (word 1), 4 municipality (word 2), 5 date (words 3..5), 6 number (6),
// 7 time (7), 8 percentage (8), 9 32-bit number (9, 10).
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

class RecordingProgress : public Progress {
  public:
    void SetMaximum(int m) override { maximum = m; }
    void SetPosition(int p) override { last = p; }
    int maximum = -1, last = -1;
};

class OrderIndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ArchiveDir = dir.MakeDir("arch");
        CoreState.ProgramDir = dir.MakeDir("prog");
        CoreState.CardWordCount = 50;
        CoreState.CardTextBytes = 50;
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
        // The coded field's labels are records 1..3 of the label table.
        FieldFirstLabel[3] = 1;
        FieldLastLabel[3] = 3;
        WriteBytes(CoreState.ArchiveDir + "mod-sch.dat",
                   Record("altro", 61) + Record("maschio", 61) + Record("femmina", 61) +
                       Record("un'etichetta molto lunga di trentacinque", 61));
        WriteBytes(CoreState.ProgramDir + "cmn-zor2.dat", Record("\x04"
                                                                 "Alba",
                                                                 38) +
                                                              Record("\x03"
                                                                     "Bra",
                                                                     38) +
                                                              Record("\x05"
                                                                     "Cuneo",
                                                                     38) +
                                                              Record("\x12"
                                                                     "Borgo San Dalmazzo",
                                                                     38));
    }

    Card Blank() const {
        Card c;
        c.words[5] = c.words[6] = c.words[7] = kEmptyWord;
        EncodeCardNumber(kEmptyNumber, c.words[8], c.words[9]);
        return c;
    }
    static void Name(Card& c, const std::string& name, int at = 0) {
        std::copy(name.begin(), name.end(), c.text.begin() + at);
    }

    void Store(const std::vector<Card>& cards) {
        std::string text, words;
        for (const Card& c : cards) {
            text.append(reinterpret_cast<const char*>(c.text.data()), c.text.size());
            for (uint16_t w : c.words) AppendU16(words, w);
        }
        WriteBytes(CoreState.ArchiveDir + "alf-sch.dat", text);
        WriteBytes(CoreState.ArchiveDir + "num-sch.dat", words);
        CoreState.LastCard = int32_t(cards.size()) - 1;
    }

    std::string Archive(const std::string& name) const { return ReadBytes(CoreState.ArchiveDir + name); }

    TempDir dir;
};

TEST_F(OrderIndexTest, KeysByFieldType) {
    struct Case {
        int field;
        int word;  // 1-based word set on a blank card (0 for a text field)
        int value;
        std::string expected;
    };
    const std::string pad(12, ' ');
    const Case cases[] = {
        {3, 1, 1, "maschio" + pad},
        {3, 1, 0, pad},
        {3, 1, 3, "un'etichetta molto lunga di tr"},  // cut to 30, no room for blanks
        {3, 1, 4, "???" + pad},                       // beyond the field's labels
        {3, 1, -1, "???" + pad},
        {4, 2, 3, "Cuneo" + pad},
        {4, 2, 0, pad},
        // A name of 18 characters gets 11 blanks: padded keys stop at 29 characters.
        {4, 2, 4, "Borgo San Dalmazzo" + std::string(11, ' ')},
        {4, 2, 5, "???" + pad},  // a code the name table does not hold
        {6, 6, 25, "0000000025" + pad},
        {6, 6, 0, "0000000000" + pad},
        {6, 6, -5, "00000000-5" + pad},
        {6, 6, int16_t(kEmptyWord), pad},
        {7, 7, 930, "09:30." + pad},
        {7, 7, 5, "00:05." + pad},
        {7, 7, 1200, "12:00." + pad},
        {7, 7, int16_t(kEmptyWord), "__:__." + pad},
        {8, 8, 550, "  5.50%" + pad},
        {8, 8, 1205, " 12.05%" + pad},
        {8, 8, 10000, "100.00%" + pad},
        {8, 8, int16_t(kEmptyWord), "___.__%" + pad},
    };
    for (const Case& c : cases) {
        Card card = Blank();
        card.words[size_t(c.word - 1)] = uint16_t(c.value);
        AlphaKeyBuilder builder(c.field);
        EXPECT_EQ(builder.Key(card.text.data(), card.words.data()), c.expected)
            << "field " << c.field << " value " << c.value;
    }
}

TEST_F(OrderIndexTest, KeysOfTextDateAnd32BitFields) {
    const std::string pad(12, ' ');
    Card card = Blank();
    AlphaKeyBuilder name(1), phone(2), date(5), big(9);
    EXPECT_EQ(name.Key(card.text.data(), card.words.data()), pad);
    Name(card, "Rossi");
    EXPECT_EQ(name.Key(card.text.data(), card.words.data()), "Rossi" + pad);
    // A full field does not run on into the next one.
    Name(card, "0171123456", 10);
    EXPECT_EQ(phone.Key(card.text.data(), card.words.data()), "01711" + pad);

    EXPECT_EQ(date.Key(card.text.data(), card.words.data()), "000" + pad);
    card.words[2] = 15, card.words[3] = 6, card.words[4] = 95;
    EXPECT_EQ(date.Key(card.text.data(), card.words.data()), "1995615" + pad);

    EXPECT_EQ(big.Key(card.text.data(), card.words.data()), pad);
    EncodeCardNumber(2147483647, card.words[8], card.words[9]);
    EXPECT_EQ(big.Key(card.text.data(), card.words.data()), "2147483647" + pad);
    EncodeCardNumber(-1000, card.words[8], card.words[9]);
    EXPECT_EQ(big.Key(card.text.data(), card.words.data()), "00000-1000" + pad);

    card.words[1] = 7;
    EXPECT_EQ(TerritorialSortKey(card.words.data()), "0007");
    card.words[1] = 12345;
    EXPECT_EQ(TerritorialSortKey(card.words.data()), "12345");
}

TEST(OrderBySortKeys, SegmentsAndBinaryInsertion) {
    struct Case {
        std::vector<std::string> keys;
        int length;
        std::vector<int32_t> expected;
    };
    const Case cases[] = {
        // Three segments with one character: B, R, r.
        {{"Rossi", "rossi", "Bianchi"}, 1, {2, 0, 1}},
        // Blank keys first, in card order.
        {{"Zeta", "   ", "Alfa", "  x"}, 1, {1, 3, 2, 0}},
        // Distinct keys of one segment come out sorted.
        {{"Md", "Mb", "Me", "Ma", "Mc"}, 1, {3, 1, 4, 0, 2}},
        {{"Md", "Mb", "Me", "Ma", "Mc"}, 4, {3, 1, 4, 0, 2}},
        // An equal key goes before the equal entry the search meets.
        {{"Neri", "Neri", "Neri"}, 1, {2, 1, 0}},
        {{"MB", "MA", "MB"}, 1, {1, 2, 0}},
        {{"0012", "0003", "0003"}, 1, {2, 1, 0}},
        {{"0012", "0003", "0003"}, 4, {2, 1, 0}},
        // No chosen length works as one character; a control byte goes with the blank keys.
        {{"Rossi", "\x05x", "Bianchi"}, 0, {1, 2, 0}},
        {{}, 1, {}},
    };
    for (const Case& c : cases) {
        NoProgress none;
        EXPECT_EQ(OrderBySortKeys(c.keys, c.length, none), c.expected)
            << c.keys.size() << " keys, L=" << c.length;
    }
}

TEST(OrderBySortKeys, SegmentLargerThanTenThousandCards) {
    std::vector<std::string> keys;
    for (int i = 0; i < 12000; ++i) keys.push_back("K" + std::to_string(50000 - i));
    NoProgress none;
    const std::vector<int32_t> order = OrderBySortKeys(keys, 1, none);
    ASSERT_EQ(order.size(), keys.size());
    // Descending numbers in card order: the order is the reverse.
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
    RecordingProgress progress;
    EXPECT_EQ(BuildAlphabeticalOrder(progress), OrderOutcome::Done);
    EXPECT_EQ(progress.maximum, 3);

    const std::string pad(12, ' ');
    EXPECT_EQ(Archive("alf-supp.dat"), Record("Rossi" + pad, 31) + Record(pad, 31) +
                                           Record("Bianchi" + pad, 31) + Record("rossi" + pad, 31));
    EXPECT_EQ(Archive("ALFA.001"), Ints({1, 2, 0, 3}));
}

TEST_F(OrderIndexTest, OrderFileNamesAndRefusedFields) {
    EXPECT_EQ(AlphabeticalOrderFileName(12), "ALFA.012");
    EXPECT_EQ(AlphabeticalOrderFileName(105), "ALFA.105");
    Store({Blank()});
    NoProgress none;
    for (int field : {0, -3, 10, 4001}) {
        CoreState.ListOrderField = field;
        EXPECT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::NoOrderField) << field;
    }
    EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "alf-supp.dat"));
}

TEST_F(OrderIndexTest, EmptyArchiveGivesEmptyFiles) {
    Store({});
    CoreState.ListOrderField = 3;
    NoProgress none;
    EXPECT_EQ(BuildAlphabeticalOrder(none), OrderOutcome::Done);
    EXPECT_EQ(Archive("alf-supp.dat"), "");
    EXPECT_EQ(Archive("ALFA.003"), "");
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

TEST_F(OrderIndexTest, TerritorialOrderWithoutListText) {
    std::vector<Card> cards(2, Blank());
    cards[0].words[1] = 5;
    cards[1].words[1] = 2;
    Store(cards);
    CoreState.SortKeyLength = 2;
    NoProgress none;
    EXPECT_EQ(BuildTerritorialOrder(none), OrderOutcome::ListMissing);
    EXPECT_EQ(Archive("lor-sch.dat"), Ints({1, 0}));
    for (const char* name : {"lpn-sch.dat", "lsg-sch.dat", "lif-sch.dat"})
        EXPECT_FALSE(FileExists(CoreState.ArchiveDir + name)) << name;
}

TEST_F(OrderIndexTest, ShortCardFileIsAnError) {
    Store({Blank(), Blank()});
    CoreState.LastCard = 5;
    CoreState.ListOrderField = 1;
    NoProgress none;
    EXPECT_THROW(BuildAlphabeticalOrder(none), IoError);
    CoreState.ListOrderField = 6;
    EXPECT_THROW(BuildAlphabeticalOrder(none), IoError);
}

}  // namespace
}  // namespace qv
