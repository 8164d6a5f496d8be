#include "selection/print_mask.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "core/core_state.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "support/mask_archive.h"

namespace qv {
namespace {

using namespace test;

std::string Card(const std::string& maskText) {
    PrintMask mask;
    mask.SetText(maskText);
    ListOutputFile out;
    out.Create();
    mask.WriteCard(out);
    return out.Text();
}

class PrintMaskTest : public ::testing::Test {
  protected:
    // The card in hand, card index 9.
    void SetUp() override {
        a.Name("Rossi   ");
        a.Short("   ");
        a.Category(2);
        a.Date(5, 3, 98);
        a.Comune(2);
        a.Number(42);
        a.Time(930);
        a.Percentage(1234);
        a.Number32(123456);
        CoreState.CurrentCard = 9;
    }
    MaskArchive a;
};

TEST_F(PrintMaskTest, PlaceholdersOfTheCardInHand) {
    const std::string blanks15(15, ' ');
    struct Case {
        std::string mask, want;
    } cases[] = {
        {"#1,20*", "Rossi" + blanks15},
        {"#1,3*", "Ros"},
        {"#1*", "Rossi"},
        {"#9*", " "},  // blanks only: the first one stays
        {"#9,3*", "   "},
        {"#2*", "sposato"},
        {"#2,10*", "sposato   "},
        {"#2,3*", "spo"},
        {"#3*", "5/3/1998"},
        {"#3,10*", "  5/3/1998"},
        {"#3,3*", "5/3"},  // cut first, then aligned
        {"#4*", "MILANO"},
        {"#4,8*", "MILANO  "},
        {"#5,6*", "    42"},
        {"#5,10,Cognome*", "        42"},  // the text part is only a heading
        {"#6*", "09:30."},
        {"#7*", " 12.34%"},
        {"#7,8*", "  12.34%"},
        {"#8,8*", "  123456"},
        {"#10*", ""},  // past the archive's fields
        {"#10,3*", "   "},
        {"#0*", "10"},
        {"#0,4*", "  10"},
        {"#0,1*", "10"},          // never cut
        {"#00000000001*", "10"},  // field part cut to ten characters: 0
        {"#,4*", ""},
        {"#P,13*", "\r"},
        {"#P,12*", "\f"},
        {"#P,9*", "\t"},
        {"#P*", std::string(1, '\0')},
        {"#P,300*", ""},
        {"#p,65*", ""},
        {"#N1*", ""},
        {"#x5*", ""},
        {"a*b", "a*b"},
        {"x#T*y", "xy"},
        {"#1xyz,3q*", "Ros"},  // leading digits
        {"#1,3,Nome,altro*", "Ros"},
        {"#1#,3*", "Ros"},
        {"ab#1,3", "ab"},  // still open at the end
        {"Nome: #1*\r\nEta: #5,3*\r\n", "Nome: Rossi\r\nEta:  42\r\n"},
        {"#1,9999999999*", "Rossi" + std::string(196, ' ')},  // no value is wider than 201
    };
    for (const Case& c : cases) EXPECT_EQ(Card(c.mask), c.want) << c.mask;
}

TEST_F(PrintMaskTest, EmptyAndOutOfRangeValues) {
    struct Case {
        std::function<void()> set;
        std::string mask, want;
    } cases[] = {
        {[&] { a.Category(4); }, "#2*", "???"},
        {[&] { a.Category(-1); }, "#2,5*", "???  "},
        {[&] { a.Category(0); }, "#2,5*", "     "},
        {[&] { a.Time(5); }, "#6*", "00:05."},
        {[&] { a.Time(-32000); }, "#6*", "__:__."},
        {[&] { a.Percentage(10000); }, "#7*", "100.00%"},
        {[&] { a.Percentage(5); }, "#7*", "  0.05%"},
        {[&] { a.Percentage(-32000); }, "#7*", "___.__%"},
        {[&] { a.Number(-32000); }, "#5,6*", "      "},
        {[&] { a.Number(-7); }, "#5,4*", "  -7"},
        {[&] { a.Number32(-9999999); }, "#8*", ""},
        {[&] { a.Date(0, 0, 0); }, "#3*", "0/0/0"},
        {[&] { a.Date(31, 12, 105); }, "#3*", "31/12/2005"},
        {[&] { a.Comune(0); }, "#4*", " "},
        {[&] { a.Comune(0); }, "#4,3*", "   "},
        {[&] { a.Name(""); }, "#1,3*", "   "},
        {[&] { a.Name("Bellini Alessandro"); }, "#1*", "Bellini Al"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.set();
        EXPECT_EQ(Card(c.mask), c.want) << c.mask;
    }
}

TEST_F(PrintMaskTest, Notes) {
    EXPECT_EQ(Card("[#N*]"), "[]");
    const std::string notes = "Prima riga\r\n" + std::string(140, 'x');
    a.Notes(notes);
    EXPECT_EQ(Card("[#N,5*]"), "[" + notes + "]");
    CoreState.CurrentCard = 7;
    EXPECT_EQ(Card("A#0*\r\nB#P,13*#N*\r\n"), "A8\r\nB\r" + notes + "\r\n");
}

TEST_F(PrintMaskTest, TabularHeading) {
    PrintMask mask;
    mask.SetText("#T,0*Nome#1,8,Cognome*|#5,4,Eta*#P,9,xx*#N,3,Note*#0,2*\r\n");
    EXPECT_TRUE(mask.Tabular());
    ListOutputFile out;
    out.Create();
    mask.WriteTabularHeading(out);
    const std::string heading = "NomeCognome |Eta \tNot  \r\n\r\n";
    EXPECT_EQ(out.Text(), heading);
    mask.WriteCard(out);
    mask.AfterCardOutput(out);
    EXPECT_EQ(mask.CardOutputs(), 1);
    mask.WriteTabularHeading(out);
    EXPECT_EQ(mask.CardOutputs(), 0);
    EXPECT_EQ(out.Text(), heading + "NomeRossi   |  42\t10\r\n" + "\f" + heading);

    // A heading text is cut to 100 characters, then to the width.
    mask.SetText("#T*#1,150," + std::string(120, 'a') + "*");
    out.Create();
    mask.WriteTabularHeading(out);
    EXPECT_EQ(out.Text(), std::string(100, 'a') + "\r\n");

    for (const char* text : {"x#T*", " #T*", "#t*", ""}) {
        mask.SetText(text);
        EXPECT_FALSE(mask.Tabular()) << text;
    }
}

TEST_F(PrintMaskTest, LoadTakesTheFirst10000BytesUpToAZero) {
    PrintMask mask;
    mask.SetText("old");
    mask.Load();  // no working mask
    EXPECT_EQ(mask.Text(), "");
    EXPECT_FALSE(mask.Tabular());

    WriteBytes(a / "MAS-DAT.TXT", "#T*" + std::string(10005, 'a'));
    mask.Load();
    EXPECT_EQ(mask.Text(), "#T*" + std::string(9997, 'a'));
    EXPECT_TRUE(mask.Tabular());

    WriteBytes(a / "MAS-DAT.TXT", std::string("ab\0#1*", 6));
    mask.Load();
    EXPECT_EQ(mask.Text(), "ab");

    // One that is there but will not open is no empty mask, which a new one may replace unasked.
    FailIoCallForTest(IoCall::Open, 1, EACCES);
    EXPECT_THROW(WorkingMaskEmpty(), IoError);
    ResetIoFaultsForTest();
}

TEST_F(PrintMaskTest, FillPrintMaskReadsTheStoredCard) {
    a.Store(0);
    a.Name("Bianchi");
    a.Store(1);
    a.Name("in mano");
    CoreState.CurrentCard = 0;
    WriteBytes(a / "mas-dat.txt", "#1*;#0*\r\n");
    PrintMask mask;
    mask.Load();
    ListOutputFile out;
    out.Create();
    mask.FillPrintMask(out);
    CoreState.CurrentCard = 1;
    mask.FillPrintMask(out);
    EXPECT_EQ(out.Text(), "Rossi;1\r\nBianchi;2\r\n");
}

TEST_F(PrintMaskTest, CopyingMaskFiles) {
    WriteBytes(a / "mia.mas", "uno\n" + std::string(3000, 'x') + "\ndue");
    CopyFileToWorkingMask(a / "mia.mas");
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "uno\r\n" + std::string(2550, 'x') + "\r\ndue\r\n");
    CopyWorkingMaskToFile(a / "copia.mas");
    EXPECT_EQ(ReadBytes(a / "copia.mas"), ReadBytes(a / "mas-dat.txt"));

    EXPECT_THROW(CopyFileToWorkingMask(a / "manca.mas"), IoError);
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "uno\r\n" + std::string(2550, 'x') + "\r\ndue\r\n");
}

TEST_F(PrintMaskTest, MaskFromTheCardDefinition) {
    WriteBytes(a / "mas-dat.txt", "vecchia");
    EXPECT_FALSE(CreateMaskFromDefinition());
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"), "vecchia");

    WriteBytes(a / "scheda.txt",
               "Archivio di prova\r\n"
               "*T X10 P S N <\r\n"
               "Cognome\r\n"
               "*C A20\r\n"
               "*T\r\n"
               "Sesso\r\n"
               "#Sesso nascosto\r\n"  // a hidden caption shows nowhere
               "*C C1\r\n"
               "maschio\r\n"
               "femmina\r\n"
               "*T\r\n"
               "Hobby\r\n"
               "*CC3\r\n"
               "sport\r\n"
               "*T\r\n"
               "\r\n"
               "Lingue parlate\r\n"
               "*C C2 #4\r\n"  // two answers written the usual way
               "*P\r\n"
               "*T\r\n"
               "Data di\r\n"
               "nascita\r\n"
               "*C D\r\n");
    EXPECT_TRUE(CreateMaskFromDefinition());
    EXPECT_EQ(ReadBytes(a / "mas-dat.txt"),
              "\r\nCognome #1*\r\nSesso #2*\r\nHobby #3* #4* #5*\r\n \r\nLingue parlate #6* #7*"
              "\r\nData di \r\nnascita #8*\r\n");
}

}  // namespace
}  // namespace qv
