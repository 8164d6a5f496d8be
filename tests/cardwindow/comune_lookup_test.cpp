#include "cardwindow/comune_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/field_layout.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// The name stored for a code in the shipped table.
std::string ShippedName(int code) {
    RecordFile names(QV_SOURCE_DIR "/data/progdir/cmn-zor2.dat", 38, RecordFile::Mode::Read);
    uint8_t record[38];
    names.Read(code - 1, record);
    return std::string(reinterpret_cast<const char*>(record + 1), record[0]);
}

class ShippedTables : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        TerritoryCount = 8101;
        CoreState.ProgramDir = QV_SOURCE_DIR "/data/progdir/";
    }
};

TEST_F(ShippedTables, TypedNamesToCodes) {
    struct Case {
        const char* typed;
        std::vector<int> codes;  // every municipality the text stands for; empty: none
    } cases[] = {
        {"Roma", {4832}},  // exact, though nine other names begin with it
        {"ROMA ", {4832}},
        {"Roma  ", {4832}},                // separators at the end say nothing
        {"milano", {1811}},                //
        {"mondovi", {609}},                // "Mondovì" typed without its accent
        {"MONDOV\xCC", {609}},             // an upper-case accent as the lower-case one
        {"forli'", {3994}},                // the apostrophe put for the accent; exact over prefix
        {"Forl\xEC", {3994}},              // over "Forlimpopoli" and "Forlì del Sannio"
        {"cantu", {1506}},                 //
        {"vo", {3496}},                    // "Vo'" exactly, over the 25 names beginning "Vo"
        {"agli\xE8", {1}},                 //
        {"sant agata de' goti", {5160}},   // blank for apostrophe, apostrophe kept
        {"Sant'Agata  de  Goti", {5160}},  // a run of separators is one
        {"Sant\x92"
         "Agata de\x92 Goti",
         {5160}},           // the typographic apostrophe
        {"Zungr", {7830}},  // only one name begins so
        {"Bolzano/Bozen", {2710}},
        {"Fi\xE8 allo Sciliar", {2733}},                  // the Italian part of a two-language name
        {"san valentino in abruzzo citeriore", {5729}},   // over 30 characters
        {"Sant'Andrea Apostolo dello IonioXYZ", {6523}},  // the first 30 decide
        // Several municipalities: never one of them silently.
        {"mondo", {609, 4041}},           // Mondovì and Mondolfo begin so
        {"sant agata de", {5160, 6622}},  // "de' Goti" and "del Bianco"
        {"Samone", {231, 2923}},          // one name, two municipalities
        {"san teodoro", {6836, 7195}},
        {"Patern\xF2", {6282, 6972}},  // Paterno and the accented one fold alike
        {"", {}},
        {" ' ", {}},
        {"Xyzzy", {}},
        {"0", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(FindComuni(c.typed), c.codes) << c.typed;
    EXPECT_EQ(ShippedName(609), "Mondov\xEC");
}

TEST_F(ShippedTables, ChoiceListsTheMunicipalitiesWithTheirProvinces) {
    EXPECT_EQ(ComuneChoiceItems({609, 4041}),
              (std::vector<std::string>{"Mondov\xEC (Cuneo)", "Mondolfo (Pesaro e Urbino)"}));
    EXPECT_EQ(ComuneChoiceItems({231, 2923}),
              (std::vector<std::string>{"Samone (Torino)", "Samone (Trento)"}));
}

// A small program directory: names by code.
class SmallTables : public ::testing::Test {
  protected:
    void Write(const std::vector<std::string>& names) {
        std::string table;
        for (const std::string& n : names) table += test::MunicipalityRecords({n});
        WriteBytes(dir / "cmn-zor2.dat", table);
        TerritoryCount = int(names.size());
    }
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
    }
    TempDir dir;
};

TEST_F(SmallTables, UnusedCodesAndShortOrMissingFiles) {
    // Code 2 has no name: no text stands for it.
    Write({"Alba", "", "Alba Adriatica"});
    EXPECT_EQ(FindComuni("alba"), std::vector<int>{1});
    EXPECT_EQ(FindComuni("alb"), (std::vector<int>{1, 3}));
    TerritoryCount = 4;  // the file holds fewer names than the territory
    EXPECT_THROW(FindComuni("Alba"), IoError);
    RemoveFile(dir / "cmn-zor2.dat");
    TerritoryCount = 3;
    EXPECT_THROW(FindComuni("Alba"), IoError);
    EXPECT_EQ(FindComuni(" "), std::vector<int>{});  // nothing to look up reads nothing
}

}  // namespace
}  // namespace qv
