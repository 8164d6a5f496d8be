#include "quick/quick_selection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/typed_values.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

using Op = SelectionOperation;

// Ten prepared cards (last index 9), one record per area. First two bytes of each variable:
// 0: cards 0 2 4 6 8   1: cards 1 3 5 7 9   2: cards 0-3   3: cards 2-5   4: cards 3 5 9
const char* const kAreaHeads[] = {"AA 80", "55 40", "F0 00", "3C 00", "14 40"};

class QuickSelectionTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        TerritoryCount = 8101;
        MapState.TerritoryDir = dir.MakeDir("geolar");
        CoreState.StationNumber = "007";
        test::InstallNumberedTexts(800, {{775, "Tutte le schede"}, {782, "territorio attivo"}});
        test::WritePreparedCards(9, kAreaHeads);
    }
    std::string Log() const { return ReadBytes(Arch("Selezio.007")); }
    static std::string Head(size_t bytes = 2) {
        return ToHex(std::string(reinterpret_cast<const char*>(CardSelectionMask.data()), bytes));
    }
    // Per-card values in whole records of 10240.
    void WriteValues(const std::string& name, const std::vector<int32_t>& values, int bytes) {
        std::string file;
        for (int32_t v : values) bytes == 2 ? AppendU16(file, uint16_t(v)) : AppendI32(file, v);
        file.resize(size_t(10240) * size_t(bytes), '\0');
        WriteBytes(Arch(name), file);
    }
};

TEST_F(QuickSelectionTest, StepsByVariable) {
    struct Step {
        Op op;
        int variable;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        const char* head;
    };
    const Case cases[] = {
        {"all then AND: the variable itself", {{Op::And, 0}}, "AA 80"},
        {"AND then OR", {{Op::And, 2}, {Op::Or, 4}}, "F4 40"},
        {"AND then NOT", {{Op::And, 2}, {Op::AndNot, 3}}, "C0 00"},
        {"NOT from all", {{Op::AndNot, 1}}, "AA BF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectAllCards();
        std::string log = "Tutte le schede\r\n";
        for (const Step& s : c.steps) {
            SelectByVariable(s.op, s.variable, "v" + std::to_string(s.variable));
            log += OperatorWord(s.op) + "(v" + std::to_string(s.variable) + ")\r\n";
        }
        EXPECT_EQ(Head(), ToHex(Hex(c.head)));
        EXPECT_EQ(Log(), log);
    }
    // Past the area the selection is left as it was.
    EXPECT_EQ(CardSelectionMask[1000], 0xFF);
    EXPECT_EQ(CardSelectionMask[kSelectionMaskBytes - 1], 0xFF);
}

TEST_F(QuickSelectionTest, AllCardsRestartsTheLog) {
    CoreState.ReportCondition = 3;
    WriteBytes(Arch("Selezio.007"), "vecchio passo\r\n");
    SelectByVariable(Op::Or, 4, "Treno");
    EXPECT_EQ(Log(), "vecchio passo\r\nOR (Treno)\r\n");
    EXPECT_EQ(Head(), "14 40");
    SelectAllCards();
    EXPECT_EQ(Log(), "Tutte le schede\r\n");
    EXPECT_EQ(CoreState.ReportCondition, 0);
    for (uint8_t b : CardSelectionMask) ASSERT_EQ(b, 0xFF);
}

TEST_F(QuickSelectionTest, MissingFilesChangeNothing) {
    // No log yet: the step is refused before the selection changes.
    EXPECT_THROW(SelectByVariable(Op::Or, 0, "x"), IoError);
    EXPECT_EQ(Head(), "00 00");
    SelectAllCards();
    EXPECT_THROW(SelectByVariable(Op::And, 5, "oltre"), IoError);  // past the matrix
    RemoveFile(Arch("dat-dat.dat"));
    EXPECT_THROW(SelectByVariable(Op::And, 0, "x"), IoError);
    RemoveFile(Arch("dli-dat.dat"));
    EXPECT_THROW(SelectByDateRange(Op::And, "", "", "Data"), IoError);
    EXPECT_EQ(Head(), "FF FF");
    EXPECT_EQ(Log(), "Tutte le schede\r\n");
}

TEST_F(QuickSelectionTest, TerritoryStep) {
    // Codes of the ten cards; 5 and 7 are active, 0 and -1 never pass.
    WriteValues("ter-dat.dat", {5, 0, 7, 5, -1, 12, 7, 0, 5, 3}, 2);
    std::string translation;
    for (int code = 1; code <= 12; ++code) AppendU16(translation, uint16_t(code * 10));
    WriteBytes(MapState.TerritoryDir + "kel-trad.dat", translation);
    TerritorySelection[4] = TerritorySelection[6] = 1;
    MapActiveComuni.fill(1);
    SelectAllCards();
    EXPECT_EQ(SelectByTerritory(Op::And, "Comune"), ValueStepOutcome::Done);
    EXPECT_EQ(Head(3), "B2 80 00");
    EXPECT_EQ(Log(), "Tutte le schede\r\nAND territorio attivo (Comune)\r\n");
    // The map shows comuni 50 and 70 only.
    auto activeComuni = [] {
        int n = 0;
        for (uint8_t b : MapActiveComuni) n += b;
        return n;
    };
    EXPECT_EQ(activeComuni(), 2);
    EXPECT_EQ(MapActiveComuni[49], 1);
    EXPECT_EQ(MapActiveComuni[69], 1);

    // Without the translation the step is refused whole.
    RemoveFile(MapState.TerritoryDir + "kel-trad.dat");
    EXPECT_THROW(SelectByTerritory(Op::Or, "Comune"), IoError);
    EXPECT_EQ(Head(3), "B2 80 00");
    EXPECT_EQ(activeComuni(), 2);
}

TEST_F(QuickSelectionTest, DateAndQuantityRanges) {
    WriteValues(
        "ddd-dat.dat",
        {19950615, 19000000, 20000101, 19991231, 20000102, 19800101, 20101010, 19000000, 19991231, 20000101},
        4);
    WriteValues("num-dat.dat", {10, 0, 25, 10, -3, 1000000000, 9, 11, 10, 2000000000}, 4);
    using Step = std::function<ValueStepOutcome()>;
    struct Case {
        const char* name;
        Step step;
        const char* head;  // from every card
        const char* logLine;
    };
    const Case cases[] = {
        {"dates up to a day, empty dates included",
         [] { return SelectByDateRange(Op::And, "", "31/12/1999", "Nascita"); }, "D5 80 00",
         "AND  < (Nascita) < 31/12/1999"},
        {"one day", [] { return SelectByDateRange(Op::And, "1/1/2000", "01/01/2000", "Nascita"); },
         "20 40 00", "AND 1/1/2000 < (Nascita) < 01/01/2000"},
        {"from a day, incomplete upper bound",
         [] { return SelectByDateRange(Op::And, "15/06/1995", "31/12", "Nascita"); }, "BA C0 00",
         "AND 15/06/1995 < (Nascita) < 31/12"},
        {"exactly ten", [] { return SelectByQuantityRange(Op::And, "10", "10", "Reddito"); }, "90 80 00",
         "AND 10 < (Reddito) < 10"},
        {"up to zero, the lower bound not a number",
         [] { return SelectByQuantityRange(Op::And, "abc", "0", "Reddito"); }, "48 00 00",
         "AND abc < (Reddito) < 0"},
        {"open upper bound above every fixed limit",
         [] { return SelectByQuantityRange(Op::And, "1000000000", "", "Reddito"); }, "04 40 00",
         "AND 1000000000 < (Reddito) < "},
        {"NOT a range", [] { return SelectByQuantityRange(Op::AndNot, "9", "11", "Reddito"); }, "6C 7F FF",
         "NOT 9 < (Reddito) < 11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectAllCards();
        EXPECT_EQ(c.step(), ValueStepOutcome::Done);
        EXPECT_EQ(Head(3), ToHex(Hex(c.head)));
        EXPECT_EQ(Log(), std::string("Tutte le schede\r\n") + c.logLine + "\r\n");
    }

    // OR and NOT over an earlier step: cards 0 2 4 6 8, then OR the first of January 2000
    // (cards 2 and 9), then NOT exactly ten (cards 0, 3, 8).
    SelectAllCards();
    SelectByVariable(Op::And, 0, "v0");
    SelectByDateRange(Op::Or, "1/1/2000", "1/1/2000", "Nascita");
    EXPECT_EQ(Head(), "AA C0");
    SelectByQuantityRange(Op::AndNot, "10", "10", "Reddito");
    EXPECT_EQ(Head(), "2A 40");
}

TEST_F(QuickSelectionTest, MissingValueFileLeavesSelectionAndLog) {
    for (Op op : {Op::And, Op::Or, Op::AndNot}) {
        SelectAllCards();
        SelectByVariable(Op::And, 0, "v0");
        const std::string head = Head(4), log = Log();
        EXPECT_EQ(SelectByQuantityRange(op, "1", "2", "Reddito"), ValueStepOutcome::ValueFileMissing);
        EXPECT_EQ(Head(4), head);
        EXPECT_EQ(Log(), log);
    }
    // A value file prepared for fewer cards than the matrix cannot answer for the others.
    std::string shortFile;
    AppendI32(shortFile, 19991231);
    WriteBytes(Arch("ddd-dat.dat"), shortFile);
    EXPECT_THROW(SelectByDateRange(Op::And, "", "", "Nascita"), IoError);
}

TEST_F(QuickSelectionTest, TypedBounds) {
    struct Case {
        const char* typed;
        std::optional<int64_t> date, quantity;
    };
    const Case cases[] = {
        {"15/06/1995", 19950615, std::nullopt},
        {"1/1/2000", 20000101, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"15/06", std::nullopt, std::nullopt},
        {"15/06/0", std::nullopt, std::nullopt},
        {"xx/06/1995", 19950600, std::nullopt},
        {" 10 ", std::nullopt, 10},
        {"-5", std::nullopt, -5},
        {"1.5", std::nullopt, std::nullopt},
        // Two-digit years by the program's one rule, on 7 April 2024: up to 24 this century.
        {"1/1/70", 19700101, std::nullopt},
        {"1/1/24", 20240101, std::nullopt},
        {"1/1/25", 19250101, std::nullopt},
        {"1/1/5", 20050101, std::nullopt},
    };
    SetEntryClockForTests(EntryClock{7, 4, 2024});
    for (const Case& c : cases) {
        EXPECT_EQ(DateBound(c.typed), c.date) << c.typed;
        EXPECT_EQ(QuantityBound(c.typed), c.quantity) << c.typed;
    }
    SetEntryClockForTests(std::nullopt);
}

TEST_F(QuickSelectionTest, VariablesAndGroups) {
    WriteBytes(
        Arch("grl-dat.txt"),
        "maschio*3=1,1;G0S0\r\nfemmina*3=2,2;\r\nauto*20=1,1;G3S0\r\nbus*20=2,2;\r\nsenza asterisco\r\n");
    WriteBytes(Arch("agg-dat.txt"),
               "*Maschi con auto\r\nSesso,-1;Mezzi,-1;\r\n*Almeno uno\r\nF(1):Mezzi,1;\r\n");
    WriteBytes(Arch("tin-dat.txt"),
               "001\r\n\r\n\r\nSesso\r\n///\r\n002\r\n\r\n\r\nMezzi\r\n///\r\n003\r\n\r\n\r\nEta\r\n///\r\n");
    WriteBytes(Arch("tin-sch.txt"), "001\r\n\r\n\r\nStandard\r\n///\r\n");
    WriteBytes(Arch("grl-sch.txt"), "a*1=1,1;\r\nb*1=2,2;G0S0\r\n");

    CoreState.ElaborationMode = 2;
    EXPECT_EQ(QuickSelectionVariables(),
              (std::vector<std::string>{"maschio", "femmina", "auto", "bus", "senza asterisco",
                                        "Maschi con auto", "Almeno uno"}));
    std::vector<QuickVariableGroup> groups = QuickSelectionGroups();
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[1].Title, "Mezzi");
    EXPECT_EQ(groups[0].FirstLine, std::optional<int>(0));
    EXPECT_EQ(groups[1].FirstLine, std::optional<int>(2));
    EXPECT_EQ(groups[2].FirstLine, std::nullopt);

    // The standard mode leaves out the additional variables and reads the standard headings.
    CoreState.ElaborationMode = 1;
    EXPECT_EQ(QuickSelectionVariables().size(), 5u);
    groups = QuickSelectionGroups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].Title, "Standard");
    EXPECT_EQ(groups[0].FirstLine, std::optional<int>(1));
}

}  // namespace
}  // namespace qv
