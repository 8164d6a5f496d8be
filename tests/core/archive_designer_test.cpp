// The designer's files: working folder, new folder, the source staged for the editor, page size.
#include "core/archive_designer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "compiler_fixture.h"
#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using namespace test;

class ArchiveDesignerTest : public test::CompilerFixture {
  protected:
    void SetUp() override {
        CompilerFixture::SetUp();
        SetRootDir(tmp.Path());
    }
    void TearDown() override { SetRootDir("/"); }
    std::string Prog(const std::string& name) const { return CoreState.ProgramDir + name; }
};

TEST_F(ArchiveDesignerTest, FolderTypedOrStored) {
    const std::string deep = std::string(60, 'n');
    struct Case {
        std::string typed, dir;
    } cases[] = {
        {"C:\\archivi\\nuovo\\", "archivi/nuovo/"},
        {"C:\\archivi\\nuovo", "archivi/nuovo/"},
        {"C:\\" + deep + "\\" + deep + "\\", deep + "/" + deep + "/"},  // never cut to 50
        {"", ""},                                                       // the root
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(DesignerFolderFromText(c.typed), tmp.Path() + c.dir);
        WriteBytes(Prog("dir-edit.imp"), c.typed + "\r\n");
        CoreState.DesignerDir = "prima/";
        LoadEditFolder();
        EXPECT_EQ(CoreState.DesignerDir, c.typed.empty() ? "prima/" : tmp.Path() + c.dir);
    }
    std::remove(Prog("dir-edit.imp").c_str());
    LoadEditFolder();
    EXPECT_EQ(CoreState.DesignerDir, "prima/");
}

TEST_F(ArchiveDesignerTest, CreatingTheFolder) {
    EXPECT_THROW(CreateDesignFolder(), IoError);  // no "dir-edit.imp"

    const std::string fresh = tmp.Path() + std::string(45, 'c') + "/nuovo/";
    struct Case {
        const char* name;
        std::string stored;
        bool created;
    } cases[] = {
        {"new, longer than 40 characters", "C:\\" + std::string(45, 'c') + "\\nuovo\\", true},
        {"exists already", "C:\\" + std::string(45, 'c') + "\\nuovo\\", false},
        {"exists with other letter case", "C:\\" + std::string(45, 'C') + "\\NUOVO\\", false},
        {"below a file", "C:\\file\\x\\", false},
    };
    WriteBytes(tmp.Path() + "file", "x");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(Prog("dir-edit.imp"), c.stored + "\r\n");
        EXPECT_EQ(CreateDesignFolder(), c.created);
    }
    EXPECT_TRUE(DirExists(fresh));
    EXPECT_EQ(ReadBytes(fresh + "scheda.txt"), fresh + "\r\n");  // the title line
}

TEST_F(ArchiveDesignerTest, SourceStagedForTheEditor) {
    EXPECT_EQ(StageSourceForEditor(), SourceStage::Missing);

    struct Case {
        size_t size;
        SourceStage stage;
    } cases[] = {{0, SourceStage::Loaded},
                 {29999, SourceStage::Loaded},
                 {30000, SourceStage::TooLarge},
                 {45000, SourceStage::TooLarge}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string source(c.size, 'a');
        for (size_t i = 79; i < source.size(); i += 80) source[i] = '\n';
        WriteSource(source);
        WriteBytes(Prog("tabella.txt"), "");
        EXPECT_EQ(StageSourceForEditor(), c.stage);
        if (c.stage == SourceStage::Loaded) {
            EXPECT_EQ(ReadBytes(Prog("txt-tab2.imp")), source);
            EXPECT_EQ(ReadBytes(Prog("tabella.txt")), "");
        } else {
            EXPECT_EQ(ReadBytes(Prog("tabella.txt")), "T443\r\nT444\r\nT445\r\n");
        }
    }
    // A source that fails to open is no missing one, which the editor may save a new one over.
    FailIoCallForTest(IoCall::Open, 1, EIO);
    EXPECT_THROW(StageSourceForEditor(), IoError);
    ResetIoFaultsForTest();
}

TEST_F(ArchiveDesignerTest, PageDimension) {
    struct Case {
        const char* typed;
        std::optional<int> value;
    } cases[] = {
        {"800", 800},
        {"1", 1},
        {"32767", 32767},
        {"0", std::nullopt},
        {"-5", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"abc", std::nullopt},
        {"32768", std::nullopt},
        {"99999999999", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PageDimensionFromText(c.typed), c.value) << c.typed;
}

}  // namespace
}  // namespace qv
