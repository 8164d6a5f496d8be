#include "cardwindow/ui/tescimorvidex.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <vector>

#include "app/startup.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/program_dir.h"
#include "support/records.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The sample archive with write access; each case names a shared archive of its own.
class ExitDialog : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        ASSERT_GE(CoreState.LastCard, 1);
        CoreState.WriteAccess = 1;
    }
    // Presses a button of the dialog; answers whether the dialog let the user leave.
    bool Press(bool leave) {
        TEsciMorvidex d(nullptr);
        (leave ? d.No : d.Si)->click();
        EXPECT_EQ(d.Answer(), d.result() == QDialog::Accepted ? 1 : 0);
        return d.result() == QDialog::Accepted;
    }
};

TEST_F(ExitDialog, LeavingCopiesOnlyTheNewCardsToTheSharedArchive) {
    const int32_t last = CoreState.LastCard;
    struct Case {
        const char* what;
        int32_t sharedLast;
        bool leave, writeAccess, sharedTextBlocked;
        bool otherCard;  // another station's card stands at the shared last card
        int answer;      // to the question, if one is put
        bool left;       // the dialog let the user go
        int32_t sharedLastAfter;
        std::string messageStart, messageHas;  // the one message shown, if any
    } cases[] = {
        {"new cards", last - 1, true, true, false, false, 1, true, last, "", ""},
        {"staying", -1, false, true, false, false, 1, false, -1, "", ""},
        {"no write access", -1, true, false, false, false, 1, true, -1, "", ""},
        // Which cards are this station's is unknown: nothing is copied, the user chooses.
        {"cannot tell, leave", last - 1, true, true, false, true, 1, true, last - 1, "Testo 1897 ",
         "Testo 2150 2Testo 2151"},
        {"cannot tell, stay", last - 1, true, true, false, true, 0, false, last - 1, "Testo 1897 ",
         "Testo 2150 2Testo 2151"},
        // A failed copy is shown and the dialog stays.
        {"copy fails", last - 1, true, true, true, false, 1, false, last - 1, "", "Errore di input/output"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir shared;
        WriteBytes(CoreState.ArchiveDir + "inf-serv.imp", shared.Path() + "\r\n");
        WriteBytes(shared / "dli-sch.dat", Int32s({c.sharedLast}));
        if (c.sharedLast >= 0) {
            // The shared archive this one was copied from.
            const size_t card = size_t(CoreState.CardTextBytes);
            std::string text =
                ReadBytes(CoreState.ArchiveDir + "alf-sch.dat").substr(0, (c.sharedLast + 1) * card);
            if (c.otherCard) text.back() ^= 1;
            if (!c.sharedTextBlocked) WriteBytes(shared / "alf-sch.dat", text);
            WriteBytes(shared / "num-sch.dat", ReadBytes(CoreState.ArchiveDir + "num-sch.dat"));
        }
        if (c.sharedTextBlocked) shared.MakeDir("alf-sch.dat");
        CoreState.WriteAccess = c.writeAccess;
        messages.clear();
        messageAnswer = c.answer;
        EXPECT_EQ(Press(c.leave), c.left);
        EXPECT_EQ(ReadBytes(shared / "dli-sch.dat"), Int32s({c.sharedLastAfter}));
        if (c.messageStart.empty() && c.messageHas.empty()) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind(c.messageStart, 0), 0u) << messages[0];
            EXPECT_NE(messages[0].find(c.messageHas), std::string::npos) << messages[0];
        }
        if (c.sharedLast == -1) {
            EXPECT_FALSE(FileExists(shared / "alf-sch.dat"));
        } else if (c.sharedLastAfter == last && c.sharedLast < last) {
            const size_t card = size_t(CoreState.CardTextBytes);
            const std::string local = ReadBytes(CoreState.ArchiveDir + "alf-sch.dat");
            EXPECT_EQ(ReadBytes(shared / "alf-sch.dat").substr(last * card), local.substr(last * card, card));
        }
    }
}

}  // namespace
}  // namespace qv
