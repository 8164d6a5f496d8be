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
        const char* stored;        // name of the code found; nullptr: nothing is found
        std::vector<int> codes{};  // the code found, or the codes one of which is; empty: any
    } cases[] = {
        {"Roma", "Roma"},   // exact, though nine other names begin with it
        {"ROMA ", "Roma"},  // one trailing blank is dropped
        {"milano", "Milano"},
        {"agli\xE8", "Agli\xE8"},  // lower-case accent as stored
        {"Albiano d'Ivrea", "Albiano d'Ivrea"},
        {"Zungri", "Zungri"},            // last in the alphabet
        {"Abano Terme", "Abano Terme"},  // first name after the unused codes
        {"Bolzano/Bozen", "Bolzano/Bozen"},
        {"Appiano sulla strada del vino", "Appiano sulla strada del vino"},            // Italian part kept
        {"san valentino in abruzzo citeriore", "San Valentino in Abruzzo Citeriore"},  // over 30
        {"Sant'Andrea Apostolo dello IonioXYZ", "Sant'Andrea Apostolo dello Ionio"},   // key is 30
        {"Zungr", "Zungri"},                                                           // only prefix match
        {"Fi\xE8 allo Sciliar", "Fi\xE8 allo Sciliar/V\xF6ls am Schlern"},
        // The first municipalities of the province of Turin open the list: 001001, 001002, 001004.
        {"Agli\xE8", "Agli\xE8", {1}},
        {"Airasca", "Airasca", {2}},
        {"ALBIANO D'IVREA", "Albiano d'Ivrea", {4}},
        {"Samone", "Samone", {231, 2923}},  // homonyms give one of them
        // Only a-z are folded, so an upper-case accent misses the stored lower-case one.
        {"AGLI\xC8", nullptr},
        {"", nullptr},
        {" ", nullptr},
        {"Xyzzy", nullptr},
        {"Roma  ", nullptr},
        {"0", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const int code = FindComuneByName(c.typed);
        if (!c.stored) {
            EXPECT_EQ(code, 0);
            continue;
        }
        ASSERT_GT(code, 0);
        EXPECT_EQ(ShippedName(code), c.stored);
        if (!c.codes.empty()) {
            EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), code), c.codes.end()) << code;
        }
    }
}

// A small program directory: names by code and the index by alphabetical position.
class SmallTables : public ::testing::Test {
  protected:
    void Write(const std::vector<std::string>& names, const std::vector<int>& index) {
        std::string table, order;
        for (const std::string& n : names) table += test::MunicipalityRecords({n});
        for (int c : index) AppendI16(order, int16_t(c));
        WriteBytes(dir / "cmn-zor2.dat", table);
        WriteBytes(dir / "di-alfac.dat", order);
        TerritoryCount = int(index.size());
    }
    void SetUp() override {
        ResetProgramState();
        CoreState.ProgramDir = dir.Path();
    }
    TempDir dir;
};

TEST_F(SmallTables, ProbeSequence) {
    // Alphabetically: 6 "", 3 ALBA, 7 ROMA, 1 ROMAGNANO, 5 ROMANO, 2 RONCO, 4 ZUNGRI.
    Write({"Romagnano", "Ronco", "Alba", "Zungri", "Romano", "", "Roma"}, {6, 3, 7, 1, 5, 2, 4});
    struct Case {
        const char* typed;
        int code;
    } cases[] = {
        {"Roma", 7},             // probes 4, 2, 3
        {"alba ", 3},            // probes 4, 2
        {"ZUNGRI", 4},           // probes 4, 5, 6, then 7 on the step past a repeated probe
        {"ROMAN", 5},            // prefix pass: probes 4, 5
        {"RO", 1},               // prefix pass stops at the first name it meets that begins so: ROMAGNANO
        {"Q", 0},      {"", 0},  // not the unused code 6
    };
    for (const Case& c : cases) EXPECT_EQ(FindComuneByName(c.typed), c.code) << c.typed;
}

TEST_F(SmallTables, DamagedIndexStaysInsideTheTables) {
    // Codes 0 and 900 name nothing; a key before the first name must not probe position 0.
    Write({"Beta", "Gamma"}, {1, 2});
    EXPECT_EQ(FindComuneByName("Alfa"), 0);
    EXPECT_EQ(FindComuneByName("gamma"), 2);
    Write({"Beta", "Gamma", "Delta"}, {0, 900, 1});
    EXPECT_EQ(FindComuneByName("Beta"), 1);
    EXPECT_EQ(FindComuneByName("Gamma"), 0);
}

TEST_F(SmallTables, MissingOrShortFilesRaiseTheIoError) {
    TerritoryCount = 2;
    EXPECT_THROW(FindComuneByName("Roma"), IoError);
    Write({"Alba", "Roma"}, {1, 2});
    TerritoryCount = 3;  // index shorter than the territory: "Zeta" probes position 3
    EXPECT_THROW(FindComuneByName("Zeta"), IoError);
    Write({"Alba", "Roma"}, {1, 2});
    RemoveFile(dir / "cmn-zor2.dat");
    EXPECT_THROW(FindComuneByName("Roma"), IoError);
}

}  // namespace
}  // namespace qv
