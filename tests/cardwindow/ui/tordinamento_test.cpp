#include "cardwindow/ui/tordinamento.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <set>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/program_dir.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

class OrderDialogTest : public test::StartedProgram {
  protected:
    std::vector<int32_t> OrderFile(const std::string& name) const {
        const std::string bytes = ReadBytes(CoreState.ArchiveDir + name);
        std::vector<int32_t> out;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4) out.push_back(GetI32(Bytes(bytes) + i));
        return out;
    }
};

TEST_F(OrderDialogTest, ChoicesOfTheSegmentLength) {
    CoreState.SortKeyLength = 3;
    TOrdinamento d(nullptr);
    ASSERT_EQ(d.ncar->count(), 4);
    EXPECT_EQ(d.ncar->itemText(3), "4");
    EXPECT_EQ(d.ncar->currentIndex(), 2);
    EXPECT_EQ(ReadBytes(root / "tresca.txt"), "1\r\n2\r\n3\r\n4\r\n");
    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 66);
    d.ncar->setCurrentIndex(0);
    d.EsciClick();
    EXPECT_EQ(CoreState.SortKeyLength, 1);

    CoreState.SortKeyLength = 0;  // no choice yet: none is shown, and none is kept
    On<TOrdinamento>([](TOrdinamento& order) { order.EsciClick(); });
    OpenOrderDialog(nullptr);
    EXPECT_EQ(CoreState.SortKeyLength, 0);
}

TEST_F(OrderDialogTest, OrdersOfTheSampleArchive) {
    TOrdinamento d(nullptr);
    CoreState.ListOrderField = 0;
    d.EsegueAlfaClick();
    EXPECT_EQ(d.Status->text(), "Testo 1084");
    EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "ALFA.001"));

    CoreState.ListOrderField = 1;  // surname and name
    d.ncar->setCurrentIndex(1);
    d.EsegueAlfaClick();
    EXPECT_EQ(CoreState.SortKeyLength, 2);
    EXPECT_EQ(d.Status->text(), "Testo 1083");
    const std::vector<int32_t> order = OrderFile("ALFA.001");
    EXPECT_EQ(std::set<int32_t>(order.begin(), order.end()).size(), 420u);
    // The names, read through the card store, come in byte order.
    std::string previous;
    for (int32_t card : order) {
        CoreState.CurrentCard = card;
        ReadCardText();
        const char* text = reinterpret_cast<const char*>(&CurrentCardText[size_t(FieldTextOffsets[1])]);
        const std::string name(text, strnlen(text, 30));
        EXPECT_LE(previous, name) << "card " << card;
        previous = name;
    }

    // Without the list text only the territorial order is written.
    CoreState.SortKeyLength = 1;
    d.EsegueTerritorioClick();
    EXPECT_EQ(d.Status->text(), "Testo 1081");
    EXPECT_EQ(OrderFile("lor-sch.dat").size(), 420u);
    EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "lif-sch.dat"));
    WriteBytes(root / "lista.txt", "riga 1\r\n");
    d.EsegueTerritorioClick();
    EXPECT_EQ(OrderFile("lif-sch.dat").size(), 2u * 8101);
}

}  // namespace
}  // namespace qv
