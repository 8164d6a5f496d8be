#include "cardwindow/ui/ordinamento.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "cardwindow/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/program_dir.h"

namespace qv {
namespace {

using test::ProgramRoot;
using test::ReadBytes;
using test::WriteBytes;

class OrderDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { StartProgram(); }
    void TearDown() override {
        ResetUiHooks();
        StopProgram();
        ResetProgramState();
    }
    std::vector<int32_t> OrderFile(const std::string& name) const {
        const std::string bytes = ReadBytes(CoreState.ArchiveDir + name);
        std::vector<int32_t> out;
        for (size_t i = 0; i + 4 <= bytes.size(); i += 4) out.push_back(GetI32(Bytes(bytes) + i));
        return out;
    }
    static void ExpectEveryCardOnce(const std::vector<int32_t>& order) {
        std::vector<int32_t> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        ASSERT_EQ(int(sorted.size()), CoreState.LastCard + 1);
        for (size_t i = 0; i < sorted.size(); ++i) ASSERT_EQ(sorted[i], int32_t(i));
    }
    ProgramRoot root;
};

TEST_F(OrderDialogTest, ChoicesOfTheSegmentLength) {
    CoreState.SortKeyLength = 3;
    TOrdinamento d(nullptr);
    EXPECT_EQ(d.windowTitle(), "Testo 1069");
    EXPECT_EQ(d.EsegueTerritorio->text(), "Testo 1075");
    EXPECT_EQ(d.ncar->toolTip(), "Testo 1071");
    ASSERT_EQ(d.ncar->count(), 4);
    EXPECT_EQ(d.ncar->itemText(3), "4");
    EXPECT_EQ(d.ncar->currentIndex(), 2);
    EXPECT_EQ(ReadBytes(root / "tresca.txt"), "1\r\n2\r\n3\r\n4\r\n");
    d.ncar->setCurrentIndex(0);
    d.EsciClick();
    EXPECT_EQ(CoreState.SortKeyLength, 1);

    CoreState.SortKeyLength = 0;
    TOrdinamento none(nullptr);
    EXPECT_EQ(none.ncar->currentIndex(), -1);
    none.EsciClick();
    EXPECT_EQ(CoreState.SortKeyLength, 0);
}

TEST_F(OrderDialogTest, AlphabeticalOrderOfTheSampleArchive) {
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
    EXPECT_EQ(d.Barra->value(), 0);
    const std::vector<int32_t> order = OrderFile("ALFA.001");
    ExpectEveryCardOnce(order);
    // The names, read through the card store, come in byte order of their padded keys.
    std::string previous;
    for (int32_t card : order) {
        CoreState.CurrentCard = card;
        ReadCardText();
        const char* text = reinterpret_cast<const char*>(&CurrentCardText[size_t(FieldTextOffsets[1])]);
        std::string key(text, strnlen(text, 30));
        key += std::string(std::min<size_t>(12, 29 - std::min<size_t>(29, key.size())), ' ');
        EXPECT_LE(previous, key) << "card " << card;
        previous = key;
    }
}

TEST_F(OrderDialogTest, TerritorialOrderOfTheSampleArchive) {
    TOrdinamento d(nullptr);
    d.EsegueTerritorioClick();
    EXPECT_EQ(d.Status->text(), "Testo 1081");
    ExpectEveryCardOnce(OrderFile("lor-sch.dat"));
    EXPECT_FALSE(FileExists(CoreState.ArchiveDir + "lif-sch.dat"));

    std::string list;
    for (int i = 1; i <= 400; ++i) list += "riga " + std::to_string(i) + "\r\n";
    WriteBytes(root / "lista.txt", list);
    d.Status->clear();
    d.EsegueTerritorioClick();
    EXPECT_EQ(d.Status->text(), "");
    const std::vector<int32_t> order = OrderFile("lor-sch.dat");
    ExpectEveryCardOnce(order);

    std::vector<int> codes;
    for (int32_t card : order) {
        CoreState.CurrentCard = card;
        ReadCardValues();
        codes.push_back(CurrentCardValues[2]);
    }
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    const std::vector<int32_t> lif = OrderFile("lif-sch.dat");
    ASSERT_EQ(lif.size(), 2u * 8101);
    // The sample archive's second word is the day of birth.
    for (int code : {1, 14, 28}) {
        ASSERT_NE(std::find(codes.begin(), codes.end(), code), codes.end());
        const auto first = std::find(codes.begin(), codes.end(), code) - codes.begin();
        const auto last = codes.rend() - std::find(codes.rbegin(), codes.rend(), code) - 1;
        EXPECT_EQ(lif[size_t(code - 1)], first) << code;
        EXPECT_EQ(lif[size_t(8101 + code - 1)], last) << code;
    }
    const std::string lines = ReadBytes(CoreState.ArchiveDir + "lsg-sch.dat");
    ASSERT_EQ(lines.size(), size_t(CoreState.LastCard + 1) * 401);
    EXPECT_EQ(lines.substr(399 * 401, 9), std::string("riga 400\0", 9));
    EXPECT_EQ(lines.substr(400 * 401, 401), std::string(401, '\0'));  // past the list's end
}

TEST_F(OrderDialogTest, OpenerShowsTheDialog) {
    QString title;
    SetModalHook([&](QDialog& d) {
        title = d.windowTitle();
        return 0;
    });
    OpenOrderDialog(nullptr);
    EXPECT_EQ(title, "Testo 1069");
}

}  // namespace
}  // namespace qv
