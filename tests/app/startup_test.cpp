#include "app/startup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/archive_open.h"
#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using namespace test;

class StartupTest : public ::testing::Test {
  protected:
    void TearDown() override {
        StopProgram();
        ResetProgramState();
    }
};

TEST_F(StartupTest, DirectoriesAndDefaults) {
    ProgramRoot root;
    // Temporaries a crashed run of this station left while staging the map's files.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".tmp000_" + TempFileHost() + "_" + std::to_string(gone) + "-1";
    std::filesystem::create_directories(root.Root() + "morvidex.win/geolar");
    const std::string staged[] = {root / ("sel-glar.dat" + stale),
                                  root.Root() + "morvidex.win/geolar/1-zor.dat" + stale};
    for (const std::string& path : staged) WriteBytes(path, "x");
    StartProgram();
    for (const std::string& path : staged) EXPECT_FALSE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(ProgramStarted());
    EXPECT_EQ(CoreState.ProgramDir, root.Root() + "quorvanta.tv/");
    EXPECT_EQ(MapState.TerritoryDir, root.Root() + "morvidex.win/geolar/");
    EXPECT_EQ(CoreState.StationNumber, "000");
    EXPECT_EQ(CoreState.CardWindowMode, 1);
    EXPECT_EQ(CoreState.SearchKind, 1);
    EXPECT_EQ(CoreState.WriteAccess, 0);
    EXPECT_EQ(TerritoryCount, 8101);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard + 1);
    EXPECT_EQ(LoadText(26), "Testo 26");
    EXPECT_TRUE(StopProgram());
}

TEST_F(StartupTest, StationNumberFromTheProgramDirectory) {
    struct Case {
        std::string file;
        std::string station;
        std::string notice;  // what the first window is to show, if anything
    } cases[] = {
        {"12345\r\n", "123", ""},
        {"\r\n7\r\n", "", ""},
        {"04", "04", ""},
        {"123/", "123", ""},  // only the first three characters name files
        // A number that cannot stand in a file name is refused and the default stands.
        {"../\r\n", "000", "Testo 2152 \"../\"."},
        {"1\\2", "000", "Testo 2152 \"1\\2\"."},
        {"C:1", "000", "Testo 2152 \"C:1\"."},
        {std::string("0\t1"), "000", "Testo 2152 \"0\t1\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ProgramRoot root;
        WriteBytes(root / "num-serv.imp", c.file);
        StartProgram();
        EXPECT_EQ(CoreState.StationNumber, c.station);
        const std::vector<std::string> notices = StartupNotices();
        EXPECT_EQ(notices,
                  c.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.notice});
        EXPECT_TRUE(StopProgram());
    }
}

TEST_F(StartupTest, ArchiveDirectoryFromCartella) {
    const std::string deep = "C:\\" + std::string(200, 'a') + "\\" + std::string(200, 'b') + "\\";
    struct Case {
        const char* name;
        bool write;
        std::string contents;
        std::string expectedTail;  // below the root
        bool refused;              // told at the first window
    } cases[] = {
        {"missing", false, "", "quorvanta.tv/Pianalto/", false},
        {"empty first line", true, "\r\nC:\\altro\\\r\n", "quorvanta.tv/Pianalto/", false},
        {"windows path", true, "C:\\archivi\\Soci\\\r\n", "archivi/Soci/", false},
        {"no final separator", true, "C:\\archivi\\Soci\r\n", "archivi/Soci/", false},
        {"long path not cut", true, deep + "\r\n", std::string(200, 'a') + "/" + std::string(200, 'b') + "/",
         false},
        {"climbs back inside", true, "C:\\archivi\\..\\Soci\\\r\n", "archivi/../Soci/", false},
        // Above the folder the drive letter stands for: refused, the sample archive opens.
        {"climbs above the drive", true, "C:\\archivi\\..\\..\\etc\\\r\n", "quorvanta.tv/Pianalto/", true},
        {"climbs above the root", true, "\\..\\Soci\\\r\n", "quorvanta.tv/Pianalto/", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramRoot root;
        if (c.write) WriteBytes(root / "cartella.txt", c.contents);
        InitProgramState();
        EXPECT_EQ(CoreState.ArchiveDir, root.Root() + c.expectedTail);
        BuildTextFile();
        EXPECT_EQ(StartupNotices().size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(StartupNotices()[0], "Testo 2153 " + c.contents.substr(0, c.contents.size() - 2));
        }
    }
}

TEST_F(StartupTest, AnArchiveFolderTooLongToOpenFallsBackToTheSample) {
    ProgramRoot root;
    const std::string folder = "C:\\" + std::string(10000, 'x') + "\\";
    WriteBytes(root / "cartella.txt", folder + "\r\n");
    StartProgram();
    EXPECT_EQ(CoreState.ArchiveDir, root.ProgramDir() + "Pianalto/");
    EXPECT_TRUE(StopProgram());
}

// The program always starts: a station or last-archive file too large to read, or a last
// archive whose descriptor cannot be read, is told and the sample archive opens.
TEST_F(StartupTest, UnreadableFilesAndAnArchiveThatFailsToOpenFallBackToTheSample) {
    struct Case {
        const char* unreadable;  // made a sparse file larger than its reader takes
        std::uintmax_t size;
        const char* notice;
    } cases[] = {{"num-serv.imp", std::uintmax_t(2) << 30, "Testo 2101\n"},
                 {"cartella.txt", std::uintmax_t(2) << 30, "Testo 2290 "},
                 {"Rotto/morvidex.dat", 1 << 20, "Testo 2291 "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unreadable);
        ProgramRoot root;
        std::filesystem::create_directories(root / "Rotto");
        WriteBytes(root / "cartella.txt", root.ProgramDir() + "Rotto/\r\n");
        WriteBytes(root / c.unreadable, "");
        std::filesystem::resize_file(root / c.unreadable, c.size);
        StartProgram();
        EXPECT_EQ(CoreState.ArchiveDir, root.ProgramDir() + "Pianalto/");
        EXPECT_EQ(CoreState.StationNumber, "000");
        const std::vector<std::string> notices = StartupNotices();
        EXPECT_EQ(notices.size(), 1u);
        if (!notices.empty()) {
            EXPECT_EQ(notices[0].rfind(c.notice, 0), 0u) << notices[0];
            EXPECT_TRUE(notices[0].ends_with(c.unreadable)) << notices[0];  // the file is named
        }
        EXPECT_TRUE(StopProgram());
    }
}

TEST_F(StartupTest, MissingTextSourcesStopStartUpAndSaveNothing) {
    for (const char* missing : {"sig-dat.imp", "sigle.imp"}) {
        ProgramRoot root;
        std::remove((root / missing).c_str());
        EXPECT_THROW(StartProgram(), IoError) << missing;
        EXPECT_FALSE(ProgramStarted());
        EXPECT_TRUE(StopProgram());
        EXPECT_TRUE(ReadBytes(root / "cartella.txt").empty()) << missing;
    }
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST_F(StartupTest, FreshProgramDirectoryOpensTheSampleArchive) {
    test::ProgramRoot root(/*shipped=*/true);
    StartProgram();
    EXPECT_EQ(CoreState.ArchiveDir, root.ProgramDir() + "Pianalto/");
    EXPECT_GT(CoreState.LastCard, 0);
    EXPECT_GT(CoreState.FieldCount, 0);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard + 1);
    // The card in hand is blank.
    for (int b = 1; b <= CoreState.CardTextBytes; ++b) ASSERT_EQ(CurrentCardText[b], 0) << b;
    EXPECT_EQ(LoadText(26), "26-&Esci");
    EXPECT_TRUE(StopProgram());
}

// The sample archive always opens, whatever of its index or definition is damaged and whether the
// text table is there, missing or one of an older program without the opening's texts: read-only,
// with the cards the files hold, and told why.
TEST_F(StartupTest, ADamagedSampleArchiveStartsReadOnlyWithTheCardsTheFilesHold) {
    test::ProgramRoot root(/*shipped=*/true);
    const std::string sample = root.ProgramDir() + "Pianalto/", texts = root.ProgramDir() + "sigle.dat";
    StartProgram();
    const int32_t cards = CoreState.LastCard + 1;
    const int fields = CoreState.FieldCount;
    StopProgram();
    const std::string index = test::ReadBytes(sample + "dli-sch.dat");
    const std::string definition = test::ReadBytes(sample + "imp-sch.dat");
    const std::string table = test::ReadBytes(texts);
    struct Case {
        const char* file;
        std::string bytes;
    } cases[] = {
        {"dli-sch.dat", test::Hex("FF FF FF 7F")},
        {"dli-sch.dat", test::Hex("FB FF FF FF")},
        {"dli-sch.dat", ""},
        {"dli-sch.dat", test::Hex("01 02 03")},
        {"imp-sch.dat", ""},
        {"imp-sch.dat", definition.substr(0, definition.size() / 2)},
    };
    for (const Case& c : cases) {
        for (const char* state : {"built", "missing", "older"}) {
            SCOPED_TRACE(std::string(c.file) + " of " + std::to_string(c.bytes.size()) + " bytes, texts " +
                         state);
            WriteBytes(sample + "dli-sch.dat", index);
            WriteBytes(sample + "imp-sch.dat", definition);
            WriteBytes(sample + c.file, c.bytes);
            if (state == std::string("missing")) std::filesystem::remove(texts);
            if (state == std::string("older")) WriteBytes(texts, table.substr(0, 2000 * 256));
            ASSERT_NO_THROW(StartProgram());
            EXPECT_EQ(CoreState.ArchiveDir, sample);
            EXPECT_EQ(CoreState.LastCard, cards - 1);
            EXPECT_EQ(CoreState.FieldCount, fields);
            EXPECT_EQ(CoreState.CurrentCard, cards);
            EXPECT_FALSE(ArchiveReadOnlyReason().empty());
            EXPECT_NE(TakeOpeningWarning().find(ArchiveReadOnlyReason()), std::string::npos);
            StopProgram();
        }
    }
}

TEST_F(StartupTest, AFullDiskNeverKeepsTheArchiveFromOpeningOrBeingRead) {
    test::ProgramRoot root(/*shipped=*/true);
    StartProgram();
    const int32_t last = CoreState.LastCard;
    StopProgram();
    const std::string texts = root.ProgramDir() + "sigle.dat";
    for (bool textsGone : {false, true}) {
        SCOPED_TRACE(textsGone ? "no text table" : "every file in place");
        if (textsGone) std::filesystem::remove(texts);
        FailIoCallForTest(IoCall::Write, -1, ENOSPC);
        StartProgram();
        EXPECT_EQ(CoreState.LastCard, last);
        CoreState.CurrentCard = 0;
        ReadCardText();
        EXPECT_NE(CurrentCardText[1], 0);
        EXPECT_EQ(LoadText(26), "26-&Esci");
        const std::string notice = TakeOpeningWarning();
        EXPECT_EQ(notice.find(texts) != std::string::npos, textsGone) << notice;
        EXPECT_FALSE(StopProgram());  // the settings could not be saved, and said so
        ResetIoFaultsForTest();
    }
}

TEST_F(StartupTest, FinalisationSavesMapOptionsThenSettings) {
    test::ProgramRoot root;
    StartProgram();
    const std::string archive = CoreState.ArchiveDir;
    ASSERT_TRUE(StopProgram());
    EXPECT_EQ(test::ReadBytes(root / "cartella.txt"), archive + "\r\n");
    EXPECT_FALSE(test::ReadBytes(root / "opz-glar.dat").empty());
    EXPECT_FALSE(test::ReadBytes(archive + "imposta.000").empty());
    EXPECT_FALSE(test::ReadBytes(archive + "Statisti.000").empty() &&
                 test::ReadBytes(archive + "statisti.000").empty());
    // Released: nothing of the archive is left in the shared state.
    EXPECT_EQ(CoreState.ArchiveDir, "");
    EXPECT_FALSE(ProgramStarted());
}

int gReports = 0;
void CountReport(const IoError&) {
    ++gReports;
}

TEST_F(StartupTest, FinalisationGoesOnAfterAFailedStep) {
    test::ProgramRoot root;
    StartProgram();
    const std::string archive = CoreState.ArchiveDir;
    // The map options cannot be written: a directory stands where the file should be.
    std::filesystem::create_directory(root / "opz-glar.dat");
    gReports = 0;
    SetIoErrorReporter(&CountReport);
    EXPECT_FALSE(StopProgram());
    SetIoErrorReporter(nullptr);
    EXPECT_EQ(gReports, 1);
    // The archive settings were still saved.
    EXPECT_EQ(test::ReadBytes(root / "cartella.txt"), archive + "\r\n");
    EXPECT_FALSE(test::ReadBytes(archive + "imposta.000").empty());
}

}  // namespace
}  // namespace qv
