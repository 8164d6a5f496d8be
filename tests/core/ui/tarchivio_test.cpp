// The list of archives on screen and the archive commands of the main menu.
#include "core/ui/tarchivio.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/ui/archive_commands.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// The card window's steps, recorded in the order they run.
struct StepLog {
    std::vector<std::string> steps;
    int commandCodeAtRepaint = 0;
    CardWindowSteps Steps() {
        CardWindowSteps s;
        s.storeCard = [this] { steps.push_back("store"); };
        s.applyArchive = [this] { steps.push_back("apply"); };
        s.centre = [this] { steps.push_back("centre"); };
        s.repaint = [this] {
            steps.push_back("repaint");
            commandCodeAtRepaint = CoreState.CommandCode;
        };
        s.disableArchiveList = [this] { steps.push_back("disable"); };
        return s;
    }
};

class TArchivioTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        sample = CoreState.ArchiveDir;
        second = root.Root() + "archivi/Secondo/";
        MakeDirs(second);
        CopyTree(sample, second);
        WriteBytes(second + "dli-sch.dat", Hex("01 00 00 00"));  // two cards
    }
    void WriteList() {
        WriteBytes(root / "lst-kel.txt",
                   "Pianalto      C:\\quorvanta.tv\\Pianalto\\\r\nSecondo       C:\\archivi\\Secondo\\\r\n");
    }
    static std::vector<std::string> Items(const TArchivio& d) {
        std::vector<std::string> items;
        for (int i = 0; i < d.Archivi->count(); ++i) items.push_back(Cp(d.Archivi->item(i)->text()));
        return items;
    }

    std::string sample, second;
};

TEST_F(TArchivioTest, ShowsTheListAndTheCurrentArchive) {
    {
        TArchivio d(nullptr);  // no list: empty boxes
        EXPECT_EQ(d.Archivi->count(), 0);
        EXPECT_TRUE(d.indirizzo->text().isEmpty());
        EXPECT_TRUE(d.Num->text().isEmpty());
    }
    WriteList();
    TArchivio d(nullptr);
    EXPECT_EQ(Items(d), (std::vector<std::string>{"Pianalto      ", "Secondo       "}));
    EXPECT_EQ(Cp(d.indirizzo->text()), sample);  // the whole directory
    EXPECT_EQ(d.Num->text().toInt(), CoreState.CardWordCount);
    EXPECT_EQ(d.Alf->text().toInt(), CoreState.CardTextBytes);
}

TEST_F(TArchivioTest, AKeyTakesTheEntryHighlightedBeforeItActs) {
    WriteList();
    TArchivio d(nullptr);
    d.show();
    d.Archivi->setCurrentRow(0);
    QTest::keyClick(d.Archivi, Qt::Key_Down);  // the current archive: nothing happens
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.Archivi->currentRow(), 1);
    EXPECT_EQ(CoreState.ArchiveDir, sample);
    QTest::keyClick(d.Archivi, Qt::Key_Up);  // "Secondo" was highlighted
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.ArchiveChanged());
    EXPECT_EQ(CoreState.ArchiveDir, second);
    EXPECT_EQ(CoreState.CurrentCard, 2);
}

TEST_F(TArchivioTest, DoubleClickChoosesAndCardWindowFollows) {
    StepLog log;
    EXPECT_FALSE(OpenArchiveList(nullptr, log.Steps()));  // no list
    EXPECT_EQ(log.steps, (std::vector<std::string>{"disable"}));

    WriteList();
    On<TArchivio>([](TArchivio& d) {
        d.Archivi->setCurrentRow(1);
        emit d.Archivi->itemDoubleClicked(d.Archivi->item(1));
        CoreState.PageWidth += 10;  // as the new archive's settings may
    });
    log = StepLog();
    EXPECT_TRUE(OpenArchiveList(nullptr, log.Steps()));
    EXPECT_EQ(log.steps, (std::vector<std::string>{"store", "apply", "centre", "repaint"}));
    EXPECT_EQ(log.commandCodeAtRepaint, 1);
    EXPECT_EQ(CoreState.ArchiveDir, second);
}

TEST_F(TArchivioTest, OpeningAnArchiveByItsDescriptor) {
    struct Case {
        const char* name;
        std::string chosen;
        bool opened;
        std::vector<std::string> steps;
    } cases[] = {
        {"cancelled", "", false, {"store"}},
        {"another file", second + "dli-sch.dat", false, {"store"}},
        {"descriptor of another archive", second + "MORVIDEX.DAT", true, {"store", "apply", "repaint"}},
        {"the same archive again", second + "morvidex.dat", true, {"store", "apply", "repaint"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = CoreState.ArchiveDir;
        answer = c.chosen;
        CurrentCardText[1] = 'x';
        StepLog log;
        EXPECT_EQ(OpenArchiveFromFile(nullptr, log.Steps()), c.opened);
        EXPECT_EQ(log.steps, c.steps);
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back().directory, before);
        EXPECT_EQ(requests.back().fileName, "morvidex*.dat");
        EXPECT_EQ(CoreState.ArchiveDir, c.opened ? second : before);
        EXPECT_EQ(CurrentCardText[1], c.opened ? 0 : 'x');  // a blank new card when opened
    }
    EXPECT_EQ(CoreState.CurrentCard, 2);
}

}  // namespace
}  // namespace qv
