#include "core/data_files.h"

#include <gtest/gtest.h>

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

TEST_F(DataFilesTest, NamesAndDirectories) {
    struct Case {
        int id;
        const char* path;
    } cases[] = {
        {3, "/p/sig-xsig.dat"},   {4, "/a/alf-sch.dat"},  {5, "/a/num-sch.dat"},    {8, "/a/dli-sch.dat"},
        {12, "/t/kel-trad.dat"},  {28, "/p/lst-kel.txt"}, {36, "/p/tabella.txt"},   {52, "/x/alf-sch.dat"},
        {64, "/a/ms-maxsm."},     {70, "/s/scheda.txt"},  {80, "/s/morvidex.dat"},  {94, "/a/lnk-dat."},
        {95, "/a/ll-dat."},       {184, "/a/tab-dat."},   {202, "/t/cmn-zor2.dat"}, {204, "/a/num-serv.imp"},
        {205, "/p/cartella.txt"}, {210, "/a/scheda.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(DataFilePath(c.id), c.path) << c.id;
}

TEST_F(DataFilesTest, IdsWithoutAFile) {
    const int none[] = {-5, 0,  1,   2,   9,   19,  27,  47,  48,  62,   73,
                        74, 81, 177, 186, 192, 194, 200, 203, 211, 99999};
    for (int id : none) EXPECT_EQ(DataFilePath(id), "") << id;
    int withFile = 0;
    for (int id = 1; id <= 210; ++id) withFile += !DataFilePath(id).empty();
    EXPECT_EQ(withFile, 183);
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
