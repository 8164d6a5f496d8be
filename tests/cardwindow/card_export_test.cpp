#include "cardwindow/card_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include "archive_job_test.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/progress.h"
#include "support/field_layout.h"
#include "support/program_dir.h"
#include "support/recording_progress.h"
#include "support/records.h"
#include "support/report_text.h"

namespace qv {
namespace {

using namespace test;

// The declarations of the fixture's twelve fields, one field line kind of each, a line of an
// unknown kind, a list shared with field 2 and one shared with field 105.
const char kDeclarations[] =
    "Prova\r\n"
    "001A Cognome\r\n"
    "     010\r\n"
    "0021 Colore\r\n"
    "     001 Rosso\r\n"
    "     002 Verde\r\n"
    "     003 Blu\r\n"
    "     ///\r\n"
    "0032 Colori secondari\r\n"
    "     001 002\r\n"
    "     ///\r\n"
    "005D Nascita\r\n"
    "006K Comune\r\n"
    "007Q Figli\r\n"
    "008O Ora\r\n"
    "009P Quota\r\n"
    "010L Reddito\r\n"
    "011A Note e osservazioni raccolte durante l'intervista finale\r\n"
    "     005\r\n"
    "012X Strano\r\n"
    "0121 Altro\r\n"
    "     001 105\r\n"
    "     ///\r\n";

// Cards of 50 text bytes and 50 words:
//   1 text 10 at byte 1      5 date at words 4-6        9 percentage at word 10
//   2 category (3) at w1     6 municipality at word 7  10 32-bit at words 11, 12
//   3 category (3) at w2     7 16-bit at word 8        11 text 5 at byte 11
//   4 its second answer w3   8 time-like at word 9     12 category (2) at word 13
class CardExport : public test::ArchiveJobTest {
  protected:
    void SetUp() override {
        ArchiveJobTest::SetUp();
        test::LayOutFields({{-10, 0, 1},
                            {0, 1},
                            {0, 2},
                            {1, 3},
                            {2, 4},
                            {3, 7},
                            {4, 8},
                            {5, 9},
                            {6, 10},
                            {7, 11},
                            {-5, 0, 11},
                            {0, 13}});
        const int labels[] = {0, 0, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 2};
        for (int f = 1; f <= 12; ++f) {
            FieldFirstLabel[f] = 5;
            FieldLastLabel[f] = int16_t(4 + labels[f]);
        }
        WriteBytes(archive / "sig-sch.dat", kDeclarations);
    }

    // Card `card`'s text with `pieces` at their 1-based bytes.
    void PutText(int card, std::map<int, std::string> pieces) {
        texts.resize(size_t(card + 1) * 50, '\0');
        for (const auto& [at, text] : pieces)
            texts.replace(size_t(card) * 50 + size_t(at - 1), text.size(), text);
    }
    void PutWords(int card, std::map<int, uint16_t> set) {
        words.resize(size_t(card + 1) * 100, '\0');
        for (const auto& [p, v] : set)
            PutU16(reinterpret_cast<uint8_t*>(words.data()) + card * 100 + 2 * (p - 1), v);
    }
    void PutNumber(int card, int p, int32_t v) {
        uint16_t first, second;
        EncodeCardNumber(v, first, second);
        PutWords(card, {{p, first}, {p + 1, second}});
    }
    void WriteCards(int32_t last) {
        WriteBytes(archive / "alf-sch.dat", texts);
        WriteBytes(archive / "num-sch.dat", words);
        WriteBytes(archive / "dli-sch.dat", test::Int32s({last}));
        CoreState.LastCard = last;
    }
    // Card 0 with a value in every field; card 1 with values that have no place in their
    // columns; card 2 named by the index but not yet in the card files (another station is
    // still writing it).
    void WriteSampleCards() {
        PutText(0, {{1, std::string("Bi\0nchi", 7)}, {11, "x\tz"}});
        PutWords(0, {{1, 2},
                     {2, 3},
                     {3, 4},
                     {4, 5},
                     {5, 7},
                     {6, 87},
                     {7, 4832},
                     {8, uint16_t(-12)},
                     {9, 930},
                     {10, 1205},
                     {13, 0}});
        PutNumber(0, 11, 123456);
        PutText(1, {});
        PutWords(1, {{4, 3}, {8, 0x8300}, {9, 0x8300}, {10, 0x8300}, {13, 0xFFFF}});
        PutNumber(1, 11, -123456789);
        WriteCards(2);
    }

    std::string texts;
    std::string words;
    RecordingProgress progress;
};

TEST_F(CardExport, FixedWidthsGolden) {
    WriteSampleCards();
    CoreState.ExportTabs = 0;
    const CardCount cards = RunTotalExport(progress);

    // clang-format off
    const std::string layout =
        "      Da         A Campo                                             Tipo\r\n"
        "         1        10 Cognome" + Blanks(43) + "Testo\r\n"
        "        11        17 Colore" + Blanks(44) + "Modalita' (7 colonne per risposta)\r\n"
        "                     (modalita' del campo 2)\r\n"
        "                        1 Rosso\r\n"
        "                        2 Verde\r\n"
        "                        3 Blu\r\n"
        "        18        31 Colori secondari" + Blanks(34) + "Modalita' 2 risposte (7 colonne per risposta)\r\n"
        "                     (modalita' del campo 3)\r\n"
        "                     -- 002\r\n"
        "        32        38 Nascita" + Blanks(43) + "Data (aammgg)\r\n"
        "        39        45 Comune" + Blanks(44) + "Comune\r\n"
        "        46        52 Figli" + Blanks(45) + "Numero\r\n"
        "        53        59 Ora" + Blanks(47) + "Ora\r\n"
        "        60        66 Quota" + Blanks(45) + "Percentuale\r\n"
        "        67        76 Reddito" + Blanks(43) + "Numero lungo\r\n"
        "        77        81 Note e osservazioni raccolte durante l'intervista Testo\r\n"
        "        82        88 Altro" + Blanks(45) + "Modalita' (7 colonne per risposta)\r\n"
        "                     (modalita' del campo 12)\r\n"
        "                     -- 105\r\n";
    // clang-format on
    EXPECT_EQ(ReadBytes(archive / "rec-trac.txt"), layout);

    // 88 columns a card, as the layout says: the 32-bit column widens to the value of 10
    // characters a card holds, on every line.
    const std::string data =
        "Bi        "
        "      2"
        "      3"
        "       "
        " 87 7 5"
        "   4832"
        "    -12"
        "    930"
        "   1205"
        "    123456"
        "x z  "
        "       \r\n" +
        Blanks(66) + "-123456789" + Blanks(12) + "\r\n";
    EXPECT_EQ(ReadBytes(archive / "ascii.txt"), data);
    EXPECT_EQ(progress.maximum, 1);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(CoreState.CurrentCard, 1);
    // The closing message names the card the files lack instead of a plain success.
    EXPECT_EQ(ShortPassText(cards), LoadText(1643) + "\n" + LoadText(1641) + "\n" +
                                        (archive / "alf-sch.dat") + "\n" + LoadText(1642) + " 1 (3 - 3)");
}

TEST_F(CardExport, TabsGolden) {
    WriteSampleCards();
    CoreState.ExportTabs = 1;
    RunTotalExport(progress);

    // clang-format off
    const std::string layout =
        "Campo                                             Tipo\r\n"
        "Cognome" + Blanks(43) + "Testo\r\n"
        "Colore" + Blanks(44) + "Modalita'\r\n"
        "                     (modalita' del campo 2)\r\n"
        "                        1 Rosso\r\n"
        "                        2 Verde\r\n"
        "                        3 Blu\r\n"
        "Colori secondari" + Blanks(34) + "Modalita' 2 risposte\r\n"
        "                     (modalita' del campo 3)\r\n"
        "                     -- 002\r\n"
        "Nascita" + Blanks(43) + "Data (aammgg)\r\n"
        "Comune" + Blanks(44) + "Comune\r\n"
        "Figli" + Blanks(45) + "Numero\r\n"
        "Ora" + Blanks(47) + "Ora\r\n"
        "Quota" + Blanks(45) + "Percentuale\r\n"
        "Reddito" + Blanks(43) + "Numero lungo\r\n"
        "Note e osservazioni raccolte durante l'intervista Testo\r\n"
        "Altro" + Blanks(45) + "Modalita'\r\n"
        "                     (modalita' del campo 12)\r\n"
        "                     -- 105\r\n";
    // clang-format on
    EXPECT_EQ(ReadBytes(archive / "rec-trac.txt"), layout);

    const std::string data =
        "Bi\t2\t3\t\t 87 7 5\t   4832\t    -12\t    930\t   1205\t   123456\tx z\t\t\r\n"
        "\t\t\t\t       \t       \t       \t       \t       \t-123456789\t\t\t\r\n";
    EXPECT_EQ(ReadBytes(archive / "ascii.txt"), data);
}

TEST_F(CardExport, ArchiveWithoutCards) {
    WriteCards(-1);
    CoreState.CurrentCard = 0;
    RunTotalExport(progress);
    EXPECT_EQ(ReadBytes(archive / "ascii.txt"), "");
    EXPECT_NE(ReadBytes(archive / "rec-trac.txt"), "");
    EXPECT_EQ(CoreState.CurrentCard, 0);
}

TEST_F(CardExport, MissingDeclarationsWriteNothing) {
    WriteSampleCards();
    ASSERT_TRUE(std::filesystem::remove(archive / "sig-sch.dat"));
    EXPECT_THROW(RunTotalExport(progress), IoError);
    EXPECT_FALSE(std::filesystem::exists(archive / "ascii.txt"));
    EXPECT_FALSE(std::filesystem::exists(archive / "rec-trac.txt"));
}

TEST_F(CardExport, DatesAndValuesAtTheirWidths) {
    struct Case {
        int field;
        std::map<int, uint16_t> words;
        const char* fixed;
    } cases[] = {
        {5, {{4, 31}, {5, 12}, {6, 105}}, "1051231"},
        {5, {{4, 5}, {5, 7}, {6, 1000}}, "       "},  // the year 2900 has no place
        {5, {{4, 5}, {5, 7}, {6, uint16_t(-3)}}, "       "},
        {6, {{7, 0}}, "       "},
        {7, {{8, 0}}, "      0"},  // zero is a value
        {7, {{8, 0x8000}}, " -32768"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> text(50, 0);
        std::vector<uint16_t> w(50, 0);
        w[7] = w[8] = w[9] = 0x8300;
        EncodeCardNumber(kEmptyNumber, w[10], w[11]);
        for (const auto& [p, v] : c.words) w[size_t(p - 1)] = v;
        const std::string line = ExportCardLine(text.data(), w.data(), false);
        ASSERT_EQ(line.size(), 87u);
        const int start[] = {0, 0, 10, 17, 24, 31, 38, 45, 52, 59, 66, 75, 80};
        EXPECT_EQ(line.substr(size_t(start[c.field]), 7), c.fixed) << c.field;
    }
}

}  // namespace
}  // namespace qv
