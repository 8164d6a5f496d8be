#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/recoding.h"
#include "cardwindow/ui/tmerge.h"
#include "cardwindow/ui/tricodifica.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/ui/card_dialogs.h"
#include "platform/bytes.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

class MergeRecodingForms : public test::StartedProgram {
  protected:
    MergeRecodingForms() : StartedProgram(true) {}
    void SetUp() override {
        StartedProgram::SetUp();
        CoreState.WriteAccess = 1;
        messageAnswer = 0;
    }

    // The words of `field` on every card of the open archive.
    std::vector<uint16_t> FieldValues(int field) const {
        const std::string num = ReadBytes(Arch("num-sch.dat"));
        std::vector<uint16_t> values;
        const size_t cardBytes = size_t(CoreState.CardWordCount) * 2;
        for (int32_t c = 0; c <= CoreState.LastCard; ++c)
            values.push_back(GetU16(reinterpret_cast<const uint8_t*>(num.data()) + c * cardBytes +
                                    2 * size_t(FieldPositions[size_t(field)] - 1)));
        return values;
    }
};

TEST_F(MergeRecodingForms, ListsHelpAndTheRegistry) {
    TMerge m(nullptr);
    EXPECT_EQ(Cp(m.windowTitle()), "Merge di piu' archivi");
    m.Lista->click();
    m.Help2->click();
    TRicodifica r(nullptr);
    EXPECT_EQ(Cp(r.Crea->toolTip()), "crea il testo di base della ricodifica");
    r.Lista->click();
    r.Help2->click();
    EXPECT_EQ(viewed, (std::vector<int>{-10, -13}));
    EXPECT_EQ(helpPages, (std::vector<int>{59, 79}));

    // The main menu and the card window reach both forms through the dialog registry.
    RegisterAllDialogs();
    shown.clear();
    EXPECT_TRUE(OpenCardDialog(CardDialog::MergeArchives, nullptr));
    EXPECT_TRUE(OpenCardDialog(CardDialog::Recoding, nullptr));
    EXPECT_EQ(shown, (std::vector<std::string>{"TMerge", "TRicodifica"}));
}

TEST_F(MergeRecodingForms, TwoCopiesOfTheSampleMakeAnArchiveOfTwiceItsCards) {
    const std::string alf = ReadBytes(Arch("alf-sch.dat"));
    const std::string num = ReadBytes(Arch("num-sch.dat"));
    const int32_t cards = CoreState.LastCard + 1;
    TMerge d(nullptr);
    // Listing the open archive itself is refused, and the report shown.
    WriteBytes(Arch("ap1-sch.txt"), CoreState.ArchiveDir + "\r\n");
    d.Esegui->click();
    EXPECT_EQ(viewed, (std::vector<int>{-11}));
    EXPECT_EQ(ReadBytes(Arch("alf-sch.dat")), alf);

    const std::string first = root.Root() + "copia1/";
    const std::string second = root.Root() + "copia2/";
    CopyTree(CoreState.ArchiveDir, first);
    CopyTree(CoreState.ArchiveDir, second);
    WriteBytes(Arch("ap1-sch.txt"), first + "\r\n" + second + "\r\n");
    d.Esegui->click();
    EXPECT_EQ(viewed.size(), 1u);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(CoreState.LastCard, 2 * cards - 1);
    EXPECT_EQ(GetI32(reinterpret_cast<const uint8_t*>(ReadBytes(Arch("dli-sch.dat")).data())), 2 * cards - 1);
    const size_t textBytes = size_t(cards) * size_t(CoreState.CardTextBytes);
    const size_t valueBytes = size_t(cards) * size_t(CoreState.CardWordCount) * 2;
    EXPECT_EQ(ReadBytes(Arch("alf-sch.dat")), alf.substr(0, textBytes) + alf.substr(0, textBytes));
    EXPECT_EQ(ReadBytes(Arch("num-sch.dat")), num.substr(0, valueBytes) + num.substr(0, valueBytes));
    EXPECT_EQ(d.Barra->value(), 0);
}

TEST_F(MergeRecodingForms, RecodingTheSharedListRenumbersBothStudyFields) {
    CoreState.WriteAccess = 1;
    const std::vector<uint16_t> studies = FieldValues(kStudy);
    const std::vector<uint16_t> spouse = FieldValues(kSpouseStudy);
    const std::vector<uint16_t> marital = FieldValues(kMarital);
    ASSERT_GT(std::count(studies.begin(), studies.end(), 2) + std::count(spouse.begin(), spouse.end(), 2), 0);

    // No base text for a number; no recoding before the text exists.
    CoreState.CurrentField = kHousehold;
    TRicodifica number(nullptr);
    number.Crea->click();
    EXPECT_EQ(Cp(number.Status->text()), "Il campo non ha modalita'");
    CoreState.CurrentField = kSpouseStudy;
    TRicodifica early(nullptr);
    early.Esegue->click();
    // The dialog closes at once: the refusal is told in a box.
    EXPECT_EQ(messages, std::vector<std::string>{"Manca il file ricod.txt"});
    messages.clear();
    EXPECT_EQ(FieldValues(kStudy), studies);

    TRicodifica d(nullptr);
    d.Crea->click();
    EXPECT_EQ(Cp(d.Status->text()), "Ok");
    std::string base = ReadBytes(Arch("ricod.txt"));
    ASSERT_NE(base.find("    2    2 = licenza elementare\r\n    3    3 = licenza media\r\n"),
              std::string::npos);
    // "licenza elementare" joins "nessun titolo"; the categories above move down by one.
    WriteBytes(Arch("ricod.txt"), base.replace(base.find("    2    2 = licenza"), 10, "    2    1"));
    d.Esegue->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.empty());

    const uint16_t newOf[] = {0, 1, 1, 2, 3, 4};
    for (auto [field, before] : {std::pair{kStudy, studies}, std::pair{kSpouseStudy, spouse}}) {
        std::vector<uint16_t> expected;
        for (uint16_t v : before) expected.push_back(v < 6 ? newOf[v] : 0);
        EXPECT_EQ(FieldValues(field), expected) << field;
        EXPECT_EQ(FieldCategoryCount(field), 4);
    }
    EXPECT_EQ(FieldValues(kMarital), marital);
    EXPECT_NE(ReadBytes(Arch("sig-sch.dat"))
                  .find("0071 Titolo di studio\r\n"
                        "     001 nessun titolo\r\n"
                        "     003 licenza media\r\n"
                        "     004 diploma di scuola superiore\r\n"
                        "     005 laurea\r\n"
                        "     ///\r\n"
                        "0081 Titolo studio coniuge\r\n"
                        "     001 007\r\n"
                        "     ///\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace qv
