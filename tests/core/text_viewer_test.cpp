#include "core/text_viewer.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "support/program_dir.h"
#include "support/scratch_archive.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

// A program directory with text N = "Testo N", and an archive directory.
class TextViewerTest : public test::ScratchArchive {
  protected:
    void SetUp() override {
        ScratchArchive::SetUp();
        test::InstallNumberedTexts(1000);
    }
    std::string Staging() const { return CoreState.ProgramDir + "txt-tab2.imp"; }
};

TEST_F(TextViewerTest, EverySelector) {
    // Save: 'D' always (through a dialog), 'Y' with write access, 'N' never.
    struct Row {
        int selector;
        const char* file;  // "P:" program directory, "A:" archive directory, "" none
        int caption;
        char save;
    } rows[] = {
        {0, "P:tabella.txt", 0, 'D'},      {-1, "", 936, 'Y'},
        {-2, "A:sal-sch.imp", 937, 'Y'},   {-3, "A:lkt-sch.imp", 938, 'Y'},
        {-5, "P:tabella.txt", 939, 'N'},   {-6, "P:lst-kel.txt", 940, 'Y'},
        {-7, "A:province.txt", 941, 'Y'},  {-8, "A:indicato.txt", 942, 'Y'},
        {-9, "P:tabella.txt", 0, 'N'},     {-10, "A:ap1-sch.txt", 943, 'Y'},
        {-11, "P:tabella.txt", 944, 'N'},  {-12, "A:trc-dat.txt", 945, 'Y'},
        {-13, "A:ricod.txt", 946, 'Y'},    {-14, "A:mas-dat.txt", 947, 'Y'},
        {-15, "P:lista.txt", 948, 'N'},    {-16, "P:etichett.txt", 949, 'N'},
        {-17, "A:mrg-list.txt", 950, 'N'}, {-18, "A:grl-sch.txt", 951, 'Y'},
        {-19, "A:tin-sch.txt", 952, 'Y'},  {-20, "A:grq-sch.txt", 953, 'Y'},
        {-21, "A:universo.txt", 954, 'Y'}, {-22, "A:pesi.txt", 955, 'Y'},
        {-23, "A:cfs-cont.txt", 956, 'Y'}, {-24, "P:tabella.txt", 957, 'N'},
        {-25, "A:ric-sch.imp", 958, 'Y'},  {-26, "P:tabella.txt", 959, 'Y'},
        {-27, "P:tabella.txt", 960, 'N'},  {-30, "A:grl-dat.txt", 961, 'Y'},
        {-31, "A:tin-dat.txt", 962, 'Y'},  {-32, "P:tabella.txt", 963, 'N'},
        {-33, "A:grq-dat.txt", 964, 'Y'},  {-34, "A:grt-dat.txt", 965, 'Y'},
        {-35, "A:grd-dat.txt", 966, 'Y'},  {-36, "A:lnk-dat.imp", 967, 'Y'},
        {-37, "P:tabella.txt", 968, 'N'},  {-38, "A:agg-dat.txt", 969, 'Y'},
    };
    CoreState.CardWindowMode = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.selector);
        std::string path;
        if (r.file[0] == 'P') path = CoreState.ProgramDir + (r.file + 2);
        if (r.file[0] == 'A') path = CoreState.ArchiveDir + (r.file + 2);
        for (uint8_t access : {0, 1}) {
            CoreState.WriteAccess = access;
            const ViewerSetup s = ViewerSetupFor(ViewerFile(r.selector));
            ASSERT_NE(s.entry, nullptr);
            EXPECT_EQ(s.path, path);
            EXPECT_EQ(s.caption, r.caption ? "Testo " + std::to_string(r.caption) : "");
            EXPECT_EQ(s.saveEnabled, r.save == 'D' || (r.save == 'Y' && access == 1)) << int(access);
            EXPECT_EQ(s.bothScrollBars, r.selector != -1 && r.selector != -26);
        }
    }
    for (int unused : {-4, -28, -29, -39, 1, 17}) {
        SCOPED_TRACE(unused);
        CoreState.WriteAccess = 1;
        const ViewerSetup s = ViewerSetupFor(ViewerFile(unused));
        EXPECT_EQ(s.entry, nullptr);
        EXPECT_EQ(s.path, "");
        EXPECT_FALSE(s.saveEnabled);
    }
    // The notes are saved only in card entry.
    CoreState.WriteAccess = 1;
    for (int mode : {0, 2, 3, 17}) {
        CoreState.CardWindowMode = mode;
        EXPECT_FALSE(ViewerSetupFor(ViewerFile::Notes).saveEnabled) << mode;
    }
}

TEST_F(TextViewerTest, StagingFileAndTitleByFileSize) {
    const std::string path = CoreState.ArchiveDir + "grl-sch.txt";
    std::string upTo10 = "0123456789";
    upTo10 += '\0';
    upTo10 += "dopo";
    struct Case {
        const char* name;
        std::string bytes;  // "-" for a missing file
        std::string staged;
        bool whole;
    } cases[] = {
        {"29999 bytes", std::string(29999, 'x'), std::string(29999, 'x'), true},
        {"30000 bytes", std::string(30000, 'y'), std::string(30000, 'y'), false},
        {"30001 bytes", std::string(30001, 'z'), std::string(30000, 'z'), false},
        {"zero byte at offset 10", upTo10, "0123456789", true},
        {"empty", "", "", true},
        {"missing", "-", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        if (c.bytes != "-") WriteBytes(path, c.bytes);
        WriteBytes(Staging(), "vecchio");
        EXPECT_EQ(LoadTextForViewer(path), c.whole);
        EXPECT_EQ(ReadBytes(Staging()), c.staged);
        EXPECT_EQ(ViewerTitle(path, "Griglia", c.whole), (c.whole ? "" : "Testo 970 ") + path + " - Griglia");
    }
    // Nothing to load: the staging file stays.
    WriteBytes(Staging(), "vecchio");
    EXPECT_TRUE(LoadTextForViewer(""));
    EXPECT_EQ(ReadBytes(Staging()), "vecchio");
    EXPECT_EQ(ViewerTitle(path, "", true), path + " - ");
}

TEST(ViewerLines, SplitAndSave) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
        {"x\r\n\r\n y ", {"x", "", " y "}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitViewerLines(c.text), c.lines) << c.text;

    TempDir dir;
    SaveViewerLines(dir / "out.txt", {"a", "", "\xE8 b"});
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "a\r\n\r\n\xE8 b\r\n");
    SaveViewerLines(dir / "out.txt", {});
    EXPECT_EQ(ReadBytes(dir / "out.txt"), "");
}

TEST(ViewerPrintout, SixBlanksAndPages) {
    using Pages = std::vector<PrintPage>;
    struct Case {
        std::vector<std::string> lines;
        int perPage;
        Pages pages;
    } cases[] = {
        {{}, 60, {}},
        {{""}, 60, {{"      "}}},
        {{"uno", "due", "tre", "quattro", "cinque"},
         2,
         {{"      uno", "      due"}, {"      tre", "      quattro"}, {"      cinque"}}},
        {{"uno", "due"}, 2, {{"      uno", "      due"}}},
        {{"a", "b"}, 0, {{"      a"}, {"      b"}}},
        {{"a", "b"}, -5, {{"      a"}, {"      b"}}},
        {{"  x\t"}, 1, {{"        x\t"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(LayoutPrintout(c.lines, c.perPage), c.pages) << c.perPage;
}

}  // namespace
}  // namespace qv
