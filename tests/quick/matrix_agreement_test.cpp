#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "elaborations/counting_engine.h"
#include "elaborations/grid_files.h"
#include "platform/bytes.h"
#include "quick/preparation.h"
#include "quick/quick_grids.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using namespace test;

// On the sample archive, every variable's bits in the matrix count exactly the cards the
// counting pass puts in its category when all cards are selected.
TEST(MatrixAgreementTest, BitsPerVariableEqualTheCountingTotals) {
    ProgramRoot root;
    StartProgram();
    ASSERT_GT(CoreState.LastCard, 100);
    GenerateDichotomousGrid();
    // Two more lines: a multi-answer group hanging from line 1, and one hanging from it.
    const std::string gridPath = DataFilePath(data_file::kGrid);
    std::string grid = ReadBytes(gridPath);
    int lines = 0;
    for (char c : grid) lines += c == '\n';
    grid += "Con auto*13=1,1;G3S1\r\nCon auto e moto*13=2,2;G3S" + std::to_string(lines + 1) + "\r\n";
    WriteBytes(gridPath, grid);
    const int categories = lines + 2;

    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        CardSelectionMask[size_t(c / 8)] |= uint8_t(0x80 >> (c % 8));
    for (int line = 0; line < categories; ++line) StandardRowFlags[size_t(line)] = 1;
    CoreState.CountByQuantUnit = 0;
    NoProgress progress;
    ASSERT_EQ(RunCountingPass(kCategoryCountPass, progress).Outcome, CountingOutcome::Done);
    ASSERT_TRUE(CopyGridsToQuickSet(nullptr).Done);
    ASSERT_EQ(BuildDichotomousMatrix(progress), MatrixOutcome::Done);

    const std::string table = ReadBytes(DataFilePath(data_file::kCountTable));
    ASSERT_EQ(table.size(), size_t(categories + 2) * 48);
    const int32_t last = ReadPreparedCardCount();
    EXPECT_EQ(last, CoreState.LastCard);
    EXPECT_EQ(GetI32(Bytes(table) + 44), last + 1);
    int64_t nonEmpty = 0;
    for (int r = 1; r <= categories; ++r) {
        const int64_t bits = ReadMatrixArea(r - 1, last).Count();
        EXPECT_EQ(bits, GetI32(Bytes(table) + size_t(r) * 48 + 44)) << "line " << r;
        nonEmpty += bits > 0;
        if (r > lines) {
            EXPECT_GT(bits, 0) << "the lines hanging from others count something";
        }
    }
    EXPECT_GT(nonEmpty, categories / 2);
    StopProgram();
}

}  // namespace
}  // namespace qv
