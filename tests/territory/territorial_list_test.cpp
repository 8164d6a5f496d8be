#include "territory/territorial_list.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/records.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A linked archive of four cards in territorial order:
//   position 0: code 3, category 1   "ROSSI Mario via Roma"
//   position 1: code 3, category 2   "Bianchi anna"
//   position 2: code 5, category 1   "verdi LUIGI citt\xE0"
//   position 3: code 5, category 3   "Neri"   (the list has two categories)
class TerritorialList : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        SetRootDir(dir.Path());
        linked = dir.MakeDir("linked");
        TerritoryCount = 5;
        WriteBytes(linked + "lif-sch.dat", Int32s({0, 0, 0, 0, 2, 0, 0, 1, 0, 3}));
        WriteBytes(linked + "lpn-sch.dat", Int32s({3, 1, 2, 3, 2, 0, 5, 1, 1, 5, 3, 3}));
        WriteBytes(linked + "lsg-sch.dat", LineRecord("ROSSI Mario via Roma") + LineRecord("Bianchi anna") +
                                               LineRecord("verdi LUIGI citt\xE0") + LineRecord("Neri"));
        WriteBytes(linked + "sig-sch.dat",
                   "Categorie\r\n\r\n00000001 Privati\r\n00000002 Enti   \r\n     ///\r\n00000003 Dopo\r\n");
    }
    void TearDown() override { SetRootDir("/"); }
    std::string linked;
};

TEST_F(TerritorialList, LinkLineOfTheField) {
    WriteBytes(CoreState.ArchiveDir + "lkt-sch.imp",
               "4,2,C:\\Link\\Uno\r\n7,3,/altro\r\n 4 , 9 ,\\linked \r\n");
    const TerritorialLink four = ReadTerritorialLink(4);
    EXPECT_TRUE(four.Found);
    EXPECT_EQ(four.CommuneField, 9) << "the last line of the field wins";
    EXPECT_EQ(four.Dir, dir.Path() + "linked/");
    const TerritorialLink seven = ReadTerritorialLink(7);
    EXPECT_EQ(seven.Dir, dir.Path() + "altro/");
    EXPECT_FALSE(ReadTerritorialLink(5).Found);
    // However long the directory, the whole path is taken.
    const std::string deep = "/" + std::string(150, 'd') + "/" + std::string(150, 'e');
    WriteBytes(CoreState.ArchiveDir + "lkt-sch.imp", "8,1," + deep + "\r\n");
    EXPECT_EQ(ReadTerritorialLink(8).Dir, dir.Path() + deep.substr(1) + "/");

    CoreState.OtherArchiveDir = linked;
    EXPECT_EQ(ReadLinkedCategories(), (std::vector<std::string>{"Privati", "Enti"}));
    CoreState.OtherArchiveDir = dir.Path() + "none/";
    EXPECT_TRUE(ReadLinkedCategories().empty());
}

TEST_F(TerritorialList, LinesOfTheSelectedTerritory) {
    struct Case {
        const char* name;
        std::vector<int> codes;
        std::vector<uint8_t> wanted;
        std::string search;
        std::string report;
    };
    const Case cases[] = {
        {"both comuni, every category: the third category is not listed",
         {3, 5},
         {1, 1},
         "",
         "ROSSI Mario via Roma\r\nBianchi anna\r\nverdi LUIGI citt\xE0\r\n"},
        {"the comune whose first card stands at position 0",
         {3},
         {1, 1},
         "",
         "ROSSI Mario via Roma\r\nBianchi anna\r\n"},
        {"the second category only", {3, 5}, {0, 1}, "", "Bianchi anna\r\n"},
        {"a search in small letters finds capitals", {3, 5}, {1, 1}, "mario", "ROSSI Mario via Roma\r\n"},
        {"and capitals find small letters, accented too",
         {3, 5},
         {1, 1},
         "CITT\xC0",
         "verdi LUIGI citt\xE0\r\n"},
        {"a code without cards reads 0 as its first position", {1, 2, 4}, {1, 1}, "", ""},
        {"no category listed", {3, 5}, {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerritorySelection.fill(0);
        for (int code : c.codes) TerritorySelection[size_t(code - 1)] = 1;
        WriteTerritorialList(linked, c.wanted, c.search);
        EXPECT_EQ(CoreState.OtherArchiveDir, linked);
        EXPECT_EQ(Report(), c.report);
    }
}

TEST_F(TerritorialList, WithoutLinkOrOrderFiles) {
    TerritorySelection.fill(1);
    WriteTerritorialList("", {1, 1}, "");
    EXPECT_EQ(Report(), "") << "no link: an empty report, no file read";
    std::remove((linked + "lif-sch.dat").c_str());
    EXPECT_THROW(WriteTerritorialList(linked, {1, 1}, ""), IoError);
    WriteBytes(linked + "lif-sch.dat", Int32s({0, 0, 0, 0, 2, 0, 0, 1, 0}));
    EXPECT_THROW(WriteTerritorialList(linked, {1, 1}, ""), IoError) << "a short first/last table";
    WriteBytes(linked + "lif-sch.dat", Int32s({0, 0, 0, 0, 2, 0, 0, 1, 0, 7}));
    EXPECT_THROW(WriteTerritorialList(linked, {1, 1}, ""), IoError) << "a last position past the entries";
}

}  // namespace
}  // namespace qv
