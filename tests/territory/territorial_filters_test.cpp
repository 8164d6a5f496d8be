#include "territory/territorial_filters.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/temp_dir.h"
#include "territory/scratch_territory.h"

namespace qv {
namespace {

using namespace test;

class TerritorialFilters : public test::ScratchTerritory {
  protected:
    void SetUp() override {
        ScratchTerritory::SetUp();
        MapState.ValueCount = 5;
        MapState.VariableLength = 50;  // one record per variable
    }
    static void SetActive(std::vector<int> comuni) {
        MapActiveComuni.fill(0);
        for (int i : comuni) MapActiveComuni[size_t(i - 1)] = 1;
    }
    static std::vector<int> Active() {
        std::vector<int> comuni;
        for (int i = 1; i <= 8; ++i)
            if (MapActiveComuni[size_t(i - 1)]) comuni.push_back(i);
        return comuni;
    }
    // Variable blocks of 50 int32 each: block 0 the units, block 1 the first qualitative variable.
    void WriteMatrix(const std::vector<int32_t>& block1) {
        std::string bytes;
        for (int i = 0; i < 50; ++i) AppendI32(bytes, 334);
        for (int i = 0; i < 50; ++i) AppendI32(bytes, i < int(block1.size()) ? block1[size_t(i)] : 0);
        WriteBytes(Geo("ter-zor.dat"), bytes);
    }
};

TEST_F(TerritorialFilters, QualitativeListsAndWorkingFiles) {
    WriteBytes(Geo("sig-zor2.txt"),
               "titolo\r\n"
               "001q Colore\r\n"
               "00001 rosso\r\n"
               "00002 verde\r\n"
               "002n  Abitanti\r\n"
               "003q Forma\r\n"
               "00001 tondo\r\n");
    struct Case {
        int variable;
        std::vector<std::string> categories;
        const char* file;
    } cases[] = {
        // The lines after a variable, up to the next qualitative one, are its categories.
        {0, {"rosso", "verde", "Abitanti"}, "rosso\r\nverde\r\nAbitanti\r\n"},
        {1, {"tondo"}, "tondo\r\n"},
        {2, {}, ""},
    };
    for (const Case& c : cases) {
        MapState.QualitativeVariable = c.variable;
        QualitativeLists lists = BuildQualitativeLists();
        EXPECT_EQ(lists.variables, (std::vector<std::string>{"Colore", "Forma"}));
        EXPECT_EQ(lists.categories, c.categories) << c.variable;
        EXPECT_EQ(ReadBytes(Prog("var.txt")), "Colore\r\nForma\r\n");
        EXPECT_EQ(ReadBytes(Prog("modalita.txt")), c.file) << c.variable;
    }
    std::remove(Geo("sig-zor2.txt").c_str());
    QualitativeLists none = BuildQualitativeLists();
    EXPECT_TRUE(none.variables.empty() && none.categories.empty());
    EXPECT_EQ(ReadBytes(Prog("var.txt")), "");
    EXPECT_EQ(ReadBytes(Prog("modalita.txt")), "");
}

TEST_F(TerritorialFilters, QualitativeAndOr) {
    // Comuni 1..5: category 0, 1, value -1, value 2000, category 2; comune 6 is past ValueCount.
    WriteMatrix({334, 335, 333, 2334, 336, 334});
    const std::vector<bool> zeroAndTwo = {true, false, true};
    struct Case {
        std::vector<bool> wanted;
        FilterJoin join;
        std::vector<int> before, after;
    } cases[] = {
        {zeroAndTwo, FilterJoin::And, {1, 2, 3, 4, 5, 6}, {1, 5, 6}},
        {zeroAndTwo, FilterJoin::And, {2, 5}, {5}},
        {zeroAndTwo, FilterJoin::Or, {3}, {1, 3, 5}},
        {{}, FilterJoin::And, {1, 2, 3, 4, 5}, {}},
        {{}, FilterJoin::Or, {2, 4}, {2, 4}},
    };
    for (const Case& c : cases) {
        SetActive(c.before);
        ApplyQualitativeFilter(c.wanted, c.join);
        EXPECT_EQ(Active(), c.after);
    }
}

TEST_F(TerritorialFilters, QualitativeNeedsItsBlock) {
    SetActive({1, 2});
    EXPECT_THROW(ApplyQualitativeFilter({true}, FilterJoin::And), IoError);
    WriteMatrix({334});
    MapState.QualitativeVariable = 1;  // block 2, past the end
    EXPECT_THROW(ApplyQualitativeFilter({true}, FilterJoin::And), IoError);
    EXPECT_EQ(Active(), (std::vector<int>{1, 2}));
}

TEST_F(TerritorialFilters, QuantitativeBounds) {
    // counts[i] is comune i's; entry 0 holds the cards without comune.
    const std::vector<int32_t> counts = {99, 0, 5, 7, 4, 0};
    struct Case {
        const char *low, *high;
        FilterJoin join;
        std::vector<int> before, after;
    } cases[] = {
        {"5", "", FilterJoin::And, {1, 2, 3, 4, 5, 6}, {2, 3, 6}},
        {"", "0", FilterJoin::Or, {3}, {1, 3, 5}},
        {"4", "5", FilterJoin::Or, {}, {2, 4}},
        {"4", "x", FilterJoin::And, {1, 2, 3}, {2, 3}},
    };
    for (const Case& c : cases) {
        SetActive(c.before);
        EXPECT_TRUE(ApplyQuantitativeFilter(counts, BoundValue(c.low), BoundValue(c.high), c.join));
        EXPECT_EQ(Active(), c.after) << c.low << "/" << c.high;
    }
    SetActive({1});
    EXPECT_FALSE(ApplyQuantitativeFilter(counts, kEmptyNumber, kEmptyNumber, FilterJoin::And));
    EXPECT_EQ(Active(), std::vector<int>{1});
}

TEST(BoundValue, Texts) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"12", 12},
                 {" 12 ", 12},
                 {"-3", -3},
                 {"+4", 4},
                 {"", kEmptyNumber},
                 {"1.5", kEmptyNumber},
                 {"12a", kEmptyNumber},
                 {"99999999999", kEmptyNumber}};
    for (const Case& c : cases) EXPECT_EQ(BoundValue(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace qv
