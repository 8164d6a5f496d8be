#include "cardwindow/ui/exit_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <vector>

#include "cardwindow/startup.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/message_log.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using test::ProgramRoot;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string Index(int32_t last) {
    std::string out;
    AppendI32(out, last);
    return out;
}

// The sample archive with write access and a shared archive in another directory.
class ExitDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        StartProgram();
        ASSERT_GE(CoreState.LastCard, 1);
        CoreState.WriteAccess = 1;
        WriteBytes(CoreState.ArchiveDir + "inf-serv.imp", shared.Path() + "\r\n");
        test::RecordMessages(messages);
    }
    void TearDown() override {
        ResetUiHooks();
        StopProgram();
        ResetProgramState();
    }
    // Presses a button of the dialog; answers whether the dialog let the user leave.
    bool Press(bool leave) {
        TEsciMorvidex d(nullptr);
        (leave ? d.No : d.Si)->click();
        EXPECT_EQ(CoreState.CommandCode, d.result() == QDialog::Accepted ? 1 : 0);
        return d.result() == QDialog::Accepted;
    }
    std::string SharedIndex() { return ReadBytes(shared / "dli-sch.dat"); }

    ProgramRoot root;
    TempDir shared;
    std::vector<std::string> messages;
};

TEST_F(ExitDialog, LeavingCopiesTheNewCards) {
    const int32_t last = CoreState.LastCard;
    WriteBytes(shared / "dli-sch.dat", Index(last - 1));
    EXPECT_TRUE(Press(true));
    EXPECT_EQ(SharedIndex(), Index(last));
    const size_t card = size_t(CoreState.CardTextBytes);
    const std::string local = ReadBytes(CoreState.ArchiveDir + "alf-sch.dat");
    EXPECT_EQ(ReadBytes(shared / "alf-sch.dat").substr(last * card), local.substr(last * card, card));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExitDialog, StayingOrNoWriteAccessCopyNothing) {
    WriteBytes(shared / "dli-sch.dat", Index(-1));
    EXPECT_FALSE(Press(false));
    CoreState.WriteAccess = 0;
    EXPECT_TRUE(Press(true));
    EXPECT_EQ(SharedIndex(), Index(-1));
    EXPECT_FALSE(FileExists(shared / "alf-sch.dat"));
}

TEST_F(ExitDialog, SharedArchiveWithMoreCardsIsToldAndKept) {
    const int32_t more = CoreState.LastCard + 5;
    WriteBytes(shared / "dli-sch.dat", Index(more));
    EXPECT_TRUE(Press(true));
    EXPECT_EQ(SharedIndex(), Index(more));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Testo 1897 ", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find(std::to_string(more + 1)), std::string::npos) << messages[0];
}

TEST_F(ExitDialog, FailedCopyIsShownAndTheDialogStays) {
    WriteBytes(shared / "dli-sch.dat", Index(CoreState.LastCard - 1));
    shared.MakeDir("alf-sch.dat");  // cannot be written
    EXPECT_FALSE(Press(true));
    EXPECT_EQ(SharedIndex(), Index(CoreState.LastCard - 1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Errore di input/output"), std::string::npos) << messages[0];
}

}  // namespace
}  // namespace qv
