#include "territory/ui/tlistaterritoriale.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/register_all.h"
#include "core/core_state.h"
#include "core/ui/card_dialogs.h"
#include "core/ui/thelp.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "quick/ui/quick_commands.h"
#include "support/records.h"
#include "support/started_program.h"
#include "territory/ui/tunita.h"

namespace qv {
namespace {

using namespace test;

// The sample archive linked, for its first municipality field, to an archive of four cards:
// two in comune 3 (categories 1 and 2), two in comune 5 (categories 1 and 3).
class TerritorialListDialogTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        for (int f = 1; f <= CoreState.FieldCount && !communeField; ++f)
            if (FieldTypes[size_t(f)] == 3) communeField = f;
        ASSERT_GT(communeField, 0);
        linked = root.Root() + "Collegato/";
        std::filesystem::create_directories(linked);
        const int codes = TerritoryCount;
        std::vector<int32_t> firstLast(size_t(2 * codes), 0);
        firstLast[4] = 2;                  // first of code 5
        firstLast[size_t(codes + 2)] = 1;  // last of code 3
        firstLast[size_t(codes + 4)] = 3;  // last of code 5
        std::string lif;
        for (int32_t v : firstLast) AppendI32(lif, v);
        WriteBytes(linked + "lif-sch.dat", lif);
        WriteBytes(linked + "lpn-sch.dat", Int32s({3, 1, 2, 3, 2, 0, 5, 1, 1, 5, 3, 3}));
        WriteBytes(linked + "lsg-sch.dat", LineRecord("ROSSI Mario via Roma") + LineRecord("Bianchi anna") +
                                               LineRecord("Verdi Luigi") + LineRecord("Neri"));
        WriteBytes(linked + "sig-sch.dat",
                   "Categorie\r\n\r\n00000001 Privati\r\n00000002 Enti\r\n     ///\r\n");
        WriteBytes(CoreState.ArchiveDir + "lkt-sch.imp",
                   "40," + std::to_string(communeField) + "," + linked + "\r\n");
        CoreState.CurrentField = 40;
        CurrentCardValues[size_t(FieldPositions[size_t(communeField)])] = 3;
        TerritorySelection.fill(1);
    }
    void TearDown() override {
        RegisterCardDialog(CardDialog::ComunePicker, nullptr);
        RegisterCardDialog(CardDialog::TerritorialList, nullptr);
        RegisterQuickCommand(QuickCommand::Map, nullptr);
        StartedProgram::TearDown();
    }
    std::string Report() const { return ReadBytes(CoreState.ProgramDir + "tabella.txt"); }

    int communeField = 0;
    std::string linked;
};

TEST_F(TerritorialListDialogTest, ListsTheLinkedCardsOfTheCardsComune) {
    int askedFor = -1;
    On<TUnita>([&](TUnita& picker) {
        askedFor = CoreState.CommandCode;
        picker.Comuni->setCurrentRow(4, QItemSelectionModel::NoUpdate);  // code 5
        picker.ComuniClick();
        picker.EsciClick();
    });
    auto list = std::make_unique<TListaTerritoriale>(nullptr);
    TListaTerritoriale& dialog = *list;
    EXPECT_EQ(CoreState.CommuneField, communeField);
    EXPECT_EQ(CoreState.OtherArchiveDir, linked);
    ASSERT_EQ(dialog.Tipologie->count(), 2);
    EXPECT_EQ(dialog.Tipologie->selectedItems().size(), 2);
    for (int code = 1; code <= TerritoryCount; ++code)
        ASSERT_EQ(TerritorySelection[size_t(code - 1)], code == 3 ? 1 : 0) << "code " << code;

    dialog.TipologieClick(0);
    EXPECT_EQ(dialog.CategoryFlags(), (std::vector<uint8_t>{0, 1}));
    dialog.Visualizza->click();
    EXPECT_EQ(Report(), "Bianchi anna\r\n");
    EXPECT_EQ(viewed, std::vector<int>{-9});

    // The territory button opens the picker on the card's comune; category 3 is not listed.
    dialog.Attiva->click();
    dialog.NelTerritorio->click();
    EXPECT_EQ(askedFor, 3);
    EXPECT_EQ(CoreState.CommandCode, 0);
    dialog.Visualizza->click();
    EXPECT_EQ(Report(), "Verdi Luigi\r\n");
    // The list's territory was its own: the search's choice comes back, no condition was set.
    list.reset();
    EXPECT_EQ(std::count(TerritorySelection.begin(), TerritorySelection.begin() + TerritoryCount, 1),
              TerritoryCount);
    EXPECT_EQ(FieldInCondition[40], 0);

    // The card window reaches it through its dialog registry.
    RegisterAllDialogs();
    EXPECT_TRUE(OpenCardDialog(CardDialog::TerritorialList, nullptr));
    EXPECT_EQ(shown.back(), "TListaTerritoriale");
}

}  // namespace
}  // namespace qv
