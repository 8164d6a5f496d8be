#include "core/data_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/core_state.h"

namespace qv {
namespace {

class DataFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = "/p/";
        CoreState.ArchiveDir = "/a/";
        CoreState.OtherArchiveDir = "/x/";
        CoreState.DesignerDir = "/s/";
        MapState.TerritoryDir = "/t/";
    }
};

// Every id's path, taken from the catalogue as it stood before it became a table (id, a tab,
// the path; ids without a file have an empty path).
TEST_F(DataFilesTest, EveryIdKeepsItsPath) {
    std::ifstream golden(QV_SOURCE_DIR "/tests/fixtures/data_file_paths.tsv");
    std::string line;
    int lines = 0, withFile = 0;
    while (std::getline(golden, line)) {
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const int id = std::stoi(line.substr(0, tab));
        EXPECT_EQ(DataFilePath(id), line.substr(tab + 1)) << id;
        withFile += tab + 1 < line.size();
        ++lines;
    }
    EXPECT_EQ(lines, 212);
    EXPECT_EQ(withFile, 184);
    for (int id : {-5, 99999}) EXPECT_EQ(DataFilePath(id), "") << id;
}

TEST_F(DataFilesTest, SharedFilesAndDirectoryReadAtCallTime) {
    EXPECT_EQ(DataFilePath(167), DataFilePath(169));
    EXPECT_EQ(DataFilePath(101), DataFilePath(207));
    CoreState.ArchiveDir = "/other/";
    EXPECT_EQ(DataFilePath(4), "/other/alf-sch.dat");
    CoreState.OtherArchiveDir = "elenco";
    EXPECT_EQ(DataFilePath(193), "/t/elenco.txt");
}

}  // namespace
}  // namespace qv
