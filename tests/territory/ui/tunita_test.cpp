#include "territory/ui/tunita.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <vector>

#include "app/register_all.h"
#include "core/core_state.h"
#include "core/selection_files.h"
#include "core/ui/card_dialogs.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "quick/ui/quick_commands.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;

// Codes of the shipped tables: Torino's province runs from 1 (Agliè) to 312, Vercelli's from 313;
// Torino city is 268, Parma 3784 in the province that starts at 3759.
constexpr int kTorino = 268;
constexpr int kParma = 3784;
constexpr int kParmaProvinceStart = 3759;

using namespace sample;

class TUnitaTest : public test::StartedProgram {
  protected:
    void TearDown() override {
        for (int d = 1; d <= kCardDialogCount; ++d) RegisterCardDialog(CardDialog(d), nullptr);
        for (int c = 1; c <= 8; ++c) RegisterQuickCommand(QuickCommand(c), nullptr);
        StartedProgram::TearDown();
    }
    static std::vector<int> Selected() {
        std::vector<int> codes;
        for (int c = 1; c <= TerritoryCount; ++c)
            if (TerritorySelection[size_t(c - 1)]) codes.push_back(c);
        return codes;
    }
    static void Choose(TUnita& u, const char* name) {
        u.CercaComune->setCurrentIndex(u.CercaComune->findText(QString::fromUtf8(name)));
        ASSERT_GE(u.CercaComune->currentIndex(), 0) << name;
    }
};

TEST_F(TUnitaTest, OpensOnTheProvinceOfTheCodeAndByMode) {
    struct Case {
        int mode;
        std::vector<int> after;
    } cases[] = {{2, {}}, {4, {5, 400}}};
    for (const Case& c : cases) {
        TerritorySelection[4] = TerritorySelection[399] = 1;
        CoreState.CardWindowMode = c.mode;
        CoreState.CommandCode = kParma;
        TUnita u(nullptr);
        EXPECT_EQ(u.windowTitle(), "Testo 1395");
        EXPECT_EQ(u.AttivaKm->toolTip(), "Testo 1411");
        EXPECT_EQ(Selected(), c.after) << c.mode;
        EXPECT_EQ(u.CodeOfItem(0), kParmaProvinceStart);
        EXPECT_EQ(u.Comuni->item(kParma - kParmaProvinceStart)->text(), "Parma");
        EXPECT_EQ(u.Comuni->currentRow(), 0);
        EXPECT_EQ(u.Province->count(), 103);
        // Marks follow the selection: Torino (5) and Novara (400) in mode 4 only.
        EXPECT_EQ(u.Province->item(0)->text().left(3), c.mode == 4 ? "-> " : "-  ");
        EXPECT_EQ(u.Province->item(2)->text(), c.mode == 4 ? "-> Novara" : "-  Novara");
        EXPECT_EQ(u.Km->text(), "0");
    }
    // A code in no province keeps the province shown last.
    CoreState.CommandCode = 0;
    TUnita again(nullptr);
    EXPECT_EQ(again.CodeOfItem(0), kParmaProvinceStart);
}

TEST_F(TUnitaTest, ClicksToggleAndMarkTheProvince) {
    CoreState.CardWindowMode = 2;
    CoreState.CommandCode = 1;
    TUnita u(nullptr);
    u.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    u.ComuniClick();
    EXPECT_EQ(u.Answer(), 3);
    EXPECT_EQ(ChosenTerritoryCode, 3);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_TRUE(u.Comuni->item(2)->isSelected());
    EXPECT_EQ(u.Province->item(0)->text(), "-> Torino");
    // The space bar acts on the current comune; the arrows only move.
    QTest::keyClick(u.Comuni, Qt::Key_Down);
    QTest::keyClick(u.Comuni, Qt::Key_Space);
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4}));
    QTest::keyClick(u.Comuni, Qt::Key_Space);
    u.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    u.ComuniClick();
    EXPECT_EQ(Selected(), std::vector<int>{});
    EXPECT_EQ(u.Province->item(0)->text(), "-  Torino");

    u.AttivaProvinciaClick();
    EXPECT_EQ(Selected().size(), 312u);
    EXPECT_TRUE(u.Comuni->item(311)->isSelected());
    u.DisattivaProvinciaClick();
    u.AttivaTuttoClick();
    EXPECT_EQ(Selected().size(), 8101u);
    u.DisattivaTuttoClick();
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(u.Comuni->item(0)->isSelected());
    // The last province runs to the last code.
    u.Province->setCurrentRow(102);
    EXPECT_EQ(u.CodeOfItem(u.Comuni->count() - 1), 8101);
    EXPECT_EQ(CoreState.ProvinceIndex, 102);
}

TEST_F(TUnitaTest, SearchAndDistance) {
    CoreState.CardWindowMode = 2;
    CoreState.CommandCode = kParma;
    CoreState.CurrentField = kComune;
    // Centroids: Torino (10, 10), Agliè (13, 11) at 5, Airasca (14, 11) at 6; the others unplaced.
    std::string centroids;
    for (int c = 1; c <= 8101; ++c) {
        const int x = c == kTorino ? 10 : c == 1 ? 13 : c == 2 ? 14 : -30000;
        const int y = c == kTorino ? 10 : 11;
        AppendI16(centroids, int16_t(x));
        AppendI16(centroids, int16_t(y));
    }
    WriteBytes(root / "dli-poli.dat", centroids);
    TUnita u(nullptr, TUnitaUse::SearchCondition);
    // Nothing chosen in the search box: nothing happens.
    u.CercaClick();
    EXPECT_EQ(u.Answer(), kParma);

    Choose(u, "Torino");
    u.CercaClick();
    EXPECT_EQ(u.Answer(), kTorino);
    EXPECT_EQ(CoreState.ProvinceIndex, 0);
    EXPECT_EQ(u.Comuni->currentRow(), kTorino - 1);
    EXPECT_TRUE(Selected().empty());

    u.Km->setText("5");
    QTest::keyClick(u.Km, Qt::Key_Return);
    EXPECT_EQ(Selected(), (std::vector<int>{1, kTorino}));
    EXPECT_EQ(KmRadius, 5);
    // Without the positions the distance is not measured: the error is shown, the choice stays.
    std::filesystem::remove(root / "dli-poli.dat");
    u.Km->setText("6");
    QTest::keyClick(u.Km, Qt::Key_Return);
    EXPECT_EQ(Selected(), (std::vector<int>{1, kTorino}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("dli-poli.dat"), std::string::npos);
    WriteBytes(root / "dli-poli.dat", centroids);
    EXPECT_EQ(u.Province->item(0)->text(), "-> Torino");
    u.Km->setText("7 km");
    u.EsciClick();
    EXPECT_EQ(KmRadius, 7);
    EXPECT_EQ(FieldInCondition[kComune], 1);

    // The next opening shows the last distance.
    TUnita next(nullptr, TUnitaUse::SearchCondition);
    EXPECT_EQ(next.Km->text(), "7");
    next.EsciClick();
    EXPECT_EQ(FieldInCondition[kComune], 0);
}

TEST_F(TUnitaTest, WhoOpensItDecidesWhatTheClosingLeaves) {
    struct Case {
        const char* name;
        TUnitaUse use;
        int mode;
        std::vector<int> after;  // the territory choice once the picker is gone
        bool marked;             // the municipality field is in the conditions
    } cases[] = {
        // The value picker answers a comune and leaves the search's choice alone.
        {"value picker", TUnitaUse::ValuePicker, 1, {5, 400}, false},
        {"map options", TUnitaUse::Selection, 4, {3, 5, 400}, false},
        // The condition marks the municipality field, though the cursor is on another field.
        {"search condition", TUnitaUse::SearchCondition, 12, {3, 5, 400}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSearchCriteria();
        TerritorySelection[4] = TerritorySelection[399] = 1;
        CoreState.CardWindowMode = c.mode;
        CoreState.CurrentField = kSex;
        CoreState.CommandCode = 1;
        {
            TUnita u(nullptr, c.use);
            u.Comuni->setCurrentRow(2, QItemSelectionModel::NoUpdate);
            u.ComuniClick();
            u.EsciClick();
            EXPECT_EQ(u.Answer(), 3);
        }
        EXPECT_EQ(Selected(), c.after);
        EXPECT_EQ(FieldInCondition[kComune], c.marked ? 1 : 0);
        EXPECT_EQ(FieldInCondition[kSex], 0);
    }
}

TEST_F(TUnitaTest, SaveAndRestoreTheSelection) {
    CoreState.CardWindowMode = 2;
    TUnita u(nullptr);
    for (int c : {3, 4, 5, 9}) TerritorySelection[size_t(c - 1)] = 1;
    answer = root.Root() + "zona";
    u.SalvaClick();
    EXPECT_EQ(ReadBytes(root.Root() + "zona.tun"), Hex("03 00 05 00 09 00 09 00"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fileName, "*.tun");
    EXPECT_EQ(requests[0].directory, root.ProgramDir());

    u.DisattivaTuttoClick();
    answer = root.Root() + "zona.tun";
    u.RecuperaClick();
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4, 5, 9}));
    EXPECT_EQ(u.Province->item(0)->text(), "-> Torino");
    // Cancelled: nothing changes.
    answer.clear();
    u.RecuperaClick();
    EXPECT_EQ(Selected().size(), 4u);
}

TEST_F(TUnitaTest, RegisteredPickerAnswersTheDoubleClickedComune) {
    RegisterAllDialogs();
    CoreState.CardWindowMode = 1;
    CoreState.CommandCode = kParma;
    On<TUnita>([](TUnita& u) {
        const int kept = u.Answer();
        u.Help2Click();
        EXPECT_EQ(u.Answer(), kept);
        u.Comuni->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        u.ComuniDblClick();
    });
    TerritorySelection[4] = 1;
    EXPECT_TRUE(OpenCardDialog(CardDialog::ComunePicker, nullptr));
    EXPECT_EQ(CoreState.CommandCode, kParmaProvinceStart + 1);
    EXPECT_EQ(Selected(), std::vector<int>{5});  // picked on a copy

    On("TUnita", nullptr);
    forms.clear();
    EXPECT_TRUE(OpenQuickCommand(QuickCommand::ManualTerritory, nullptr));
    EXPECT_EQ(forms, std::vector<std::string>{"TUnita"});
}

}  // namespace
}  // namespace qv
