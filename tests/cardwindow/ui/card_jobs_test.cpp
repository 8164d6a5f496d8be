#include "cardwindow/ui/card_jobs.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "app/startup.h"
#include "cardwindow/ui/tindicatori.h"
#include "cardwindow/ui/trange.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/field_format.h"
#include "core/ui/thelp.h"
#include "elaborations/ui/batch_jobs.h"
#include "elaborations/ui/tesegue.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"
#include "support/started_program.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;

// The sample archive opened in a fresh program directory (texts "Testo N"), with the card
// window's jobs registered. The runner's "Esegui" is pressed whenever it opens; the viewers
// only note what they were asked to show.
class CardJobsTest : public test::StartedProgram {
  protected:
    void SetUp() override {
        StartedProgram::SetUp();
        CoreState.WriteAccess = 1;
        RegisterCardWindowJobs();
        On<TEsegue>([this](TEsegue& runner) {
            ++runs;
            runner.Esegui->click();
        });
    }
    void TearDown() override {
        for (int code = 2; code <= 6; ++code) RegisterBatchJob(code, nullptr);
        StartedProgram::TearDown();
    }
    static std::vector<uint16_t> StoredValues(int32_t card) {
        std::vector<uint16_t> words(size_t(CurrentCardGeometry().wordCount));
        EXPECT_TRUE(CardFiles::Current().ReadValues(card, words.data()));
        return words;
    }
    static int16_t Stored(int32_t card, int field) {
        return int16_t(StoredValues(card)[size_t(FieldPositions[field] - 1)]);
    }
    static void Store(int32_t card, int field, int16_t value) {
        std::vector<uint16_t> words = StoredValues(card);
        words[size_t(FieldPositions[field] - 1)] = uint16_t(value);
        CardFiles::Current().WriteValues(card, words.data());
    }
    static void SelectAll() { CardSelectionMask.fill(0xFF); }

    int runs = 0;
};

TEST_F(CardJobsTest, AttributionCopiesThenClearsThroughTheRunner) {
    CardSelectionMask.fill(0);
    CardSelectionMask[0] = 0xE0;  // cards 0, 1, 2
    const std::vector<uint16_t> untouched = StoredValues(3);
    const std::string names = ReadBytes(CoreState.ArchiveDir + "alf-sch.dat");

    // The card typed in attribution mode: a sex and a household of 0.
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ClearCardFields(1, CoreState.FieldCount);
    CurrentCardValues[size_t(FieldPositions[kSex])] = 2;
    CurrentCardValues[size_t(FieldPositions[kHousehold])] = 0;
    const auto pattern = CurrentCardValues;

    for (int job : {2, 3}) {
        CoreState.CommandCode = job;
        TEsegue runner(nullptr);
        runner.Esegui->click();
        EXPECT_EQ(runner.result(), QDialog::Accepted);
        for (int c = 0; c <= 2; ++c) {
            EXPECT_EQ(Stored(c, kSex), job == 2 ? 2 : 0) << job << " card " << c;
            EXPECT_EQ(Stored(c, kHousehold), job == 2 ? 0 : -32000) << job << " card " << c;
        }
        EXPECT_EQ(StoredValues(3), untouched);
        EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard + 1);
        EXPECT_EQ(CurrentCardValues, pattern);
    }
    // No text was typed: the text part was not rewritten.
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "alf-sch.dat"), names);
}

TEST_F(CardJobsTest, RangeDialogBuildsTheRangesAndChecksWithThePassword) {
    CoreState.CommuneField = 12;
    CoreState.ProvinceField = 0;
    TRange d(nullptr);
    EXPECT_EQ(d.nCom->text(), "12");
    EXPECT_EQ(d.nProv->text(), "0");
    EXPECT_FALSE(d.Controlla->isVisibleTo(&d));

    const std::string starts = root / "ini-prov.imp";
    std::filesystem::rename(starts, starts + ".away");
    EXPECT_THROW(d.CreaClick(), IoError);  // no province starts in the program directory
    std::filesystem::rename(starts + ".away", starts);
    d.CreaClick();
    EXPECT_EQ(d.Status->text(), "Testo 1248");
    const std::string ranges = ReadBytes(CoreState.ArchiveDir + "province.txt");
    EXPECT_EQ(ranges.substr(0, 19), "    1  312 Torino\r\n");
    EXPECT_NE(ranges.find("\r\n  482  728 Cuneo\r\n"), std::string::npos);
    EXPECT_EQ(std::count(ranges.begin(), ranges.end(), '\n'), 103);
    d.InizioFineClick();
    EXPECT_EQ(viewed, std::vector<int>{-7});

    // Every household becomes 4, the Cuneo province; one sex is out of its list.
    SelectAll();
    CoreState.CurrentCard = CoreState.LastCard + 1;
    ClearCardFields(1, CoreState.FieldCount);
    CurrentCardValues[size_t(FieldPositions[kHousehold])] = 4;
    CoreState.CommandCode = 2;
    TEsegue(nullptr).Esegui->click();
    Store(7, kSex, 5);

    CoreState.WriteAccess = 0;
    d.nCom->setText(" 5");
    d.nProv->setText("9 (componenti)");
    d.EsegueClick();  // without the write password nothing runs
    EXPECT_EQ(d.Status->text(), "Testo 1247");
    EXPECT_EQ(CoreState.CommuneField, kComune);
    EXPECT_EQ(CoreState.ProvinceField, kHousehold);
    EXPECT_EQ(runs, 0);

    CoreState.WriteAccess = 1;
    d.EsegueClick();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(d.Status->text(), "Ok");
    EXPECT_EQ(viewed, (std::vector<int>{-7, 0}));
    std::string expected;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        if (c == 7) expected += "rec.      8, pos.     3, val. 5\r\n";
        const int comune = Stored(c, kComune);
        if (comune < 482 || comune > 728)
            expected += "rec. " + std::string(6 - std::to_string(c + 1).size(), ' ') + std::to_string(c + 1) +
                        "Testo 839\r\n";
    }
    EXPECT_EQ(ReadBytes(root / "tabella.txt"), expected);
    EXPECT_GT(expected.size(), 100u);  // the sample has municipalities outside the province
    EXPECT_EQ(Stored(7, kSex), 0);
    EXPECT_EQ(CoreState.CurrentCard, CoreState.LastCard);

    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 75);
    d.nCom->setText("x");
    d.EsciClick();
    EXPECT_EQ(CoreState.CommuneField, 0);
}

// An archive of one card (LastCard 0) runs the check; "Ok" and the report follow only a run.
TEST_F(CardJobsTest, RangeCheckOnOneCardSaysOkOnlyAfterTheRun) {
    CoreState.LastCard = 0;
    CoreState.CommuneField = CoreState.ProvinceField = 0;
    Store(0, kSex, 5);
    TRange d(nullptr);
    for (const bool press : {false, true}) {
        On<TEsegue>([&](TEsegue& runner) { (press ? runner.Esegui : runner.Esci)->click(); });
        viewed.clear();
        d.EsegueClick();
        EXPECT_EQ(d.Status->text(), press ? "Ok" : "") << press;
        EXPECT_EQ(viewed, press ? std::vector<int>{0} : std::vector<int>{}) << press;
        EXPECT_EQ(Stored(0, kSex), press ? 0 : 5) << press;
    }
}

TEST_F(CardJobsTest, IndicatorsDialogRunsTheDefinitions) {
    Tindicatori d(nullptr);
    d.ListaClick();
    EXPECT_EQ(viewed, std::vector<int>{-8});

    WriteBytes(CoreState.ArchiveDir + "indicato.txt", "9 = 9 + 9\r\n1 = 9\r\n");
    std::vector<int16_t> before;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) before.push_back(Stored(c, kHousehold));
    CoreState.CurrentCard = 10;
    // Without the write password the command says so and no card changes.
    CoreState.WriteAccess = 0;
    d.AggiornaClick();
    EXPECT_EQ(messages, std::vector<std::string>{"Testo 1560"});
    EXPECT_EQ(Stored(3, kHousehold), before[3]);
    messages.clear();
    CoreState.WriteAccess = 1;
    d.AggiornaClick();
    EXPECT_EQ(runs, 2);
    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        EXPECT_EQ(Stored(c, kHousehold), int16_t(before[size_t(c)] * 2)) << c;
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "ind2.txt"), "9=9+9\r\n1=9\r\n");
    ASSERT_EQ(messages.size(), 1u);  // the text target is refused
    EXPECT_EQ(messages[0], "Testo 1892 2 Testo 1893");
    EXPECT_EQ(CoreState.CurrentCard, 10);
    EXPECT_EQ(GetCardWord(kHousehold), int16_t(before[10] * 2));

    d.Help2Click();
    EXPECT_EQ(CoreState.CommandCode, 52);
}

TEST_F(CardJobsTest, ReorderingAListSharedByTwoFields) {
    ASSERT_EQ(FieldFirstLabel[kStudy], FieldFirstLabel[kSpouseStudy]);
    std::vector<std::pair<int16_t, int16_t>> before;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        before.emplace_back(Stored(c, kStudy), Stored(c, kSpouseStudy));
    FieldAttributes[kSpouseStudy] |= 64;  // the field that shares the list

    CoreState.CommandCode = 6;
    TEsegue runner(nullptr);
    runner.Esegui->click();
    EXPECT_EQ(runner.result(), QDialog::Accepted);

    // nessun titolo, licenza elementare, licenza media, diploma..., laurea in alphabetical order.
    EXPECT_EQ(ReadBytes(root / "controll.txt"), "4\r\n5\r\n2\r\n3\r\n1\r\n");
    const int16_t position[] = {0, 5, 3, 4, 1, 2};
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        const auto [study, spouse] = before[size_t(c)];
        EXPECT_EQ(Stored(c, kStudy), study >= 1 && study <= 5 ? position[study] : 0) << c;
        EXPECT_EQ(Stored(c, kSpouseStudy), spouse >= 1 && spouse <= 5 ? position[spouse] : 0) << c;
    }
    for (int f : {kStudy, kSpouseStudy}) {
        EXPECT_EQ(CategoryLabel(f, 1, CategoryOutOfRange::Empty), "diploma di scuola superiore");
        EXPECT_EQ(CategoryLabel(f, 5, CategoryOutOfRange::Empty), "nessun titolo");
    }
    const std::string declarations = ReadBytes(CoreState.ArchiveDir + "sig-sch.dat");
    EXPECT_NE(declarations.find(
                  "0071 Titolo di studio\r\n     001 diploma di scuola superiore\r\n     002 laurea\r\n"
                  "     003 licenza elementare\r\n     004 licenza media\r\n     005 nessun titolo\r\n"
                  "     ///\r\n0081 Titolo studio coniuge\r\n     001 007\r\n     ///\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace qv
