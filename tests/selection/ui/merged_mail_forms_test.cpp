#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstring>

#include "app/startup.h"
#include "core/card_store.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/ui/form_fixtures.h"
#include "selection/ui/temail.h"
#include "selection/ui/tlistamerge.h"
#include "support/card_selection.h"
#include "support/program_dir.h"
#include "support/sample_fields.h"
#include "support/started_program.h"
#include "support/test_mail_server.h"

namespace qv {
namespace {

using namespace test;
using namespace sample;
using Lines = std::vector<std::string>;

// The e-mail forms read texts of the program's own too.
class MergedMailFormsTest : public test::SelectionFormsTest {
  protected:
    MergedMailFormsTest() : SelectionFormsTest(kLastOwnText) {}
    // Stores a name and an address in card `card` of the archive.
    static void Recipient(int32_t card, const std::string& name, const std::string& address) {
        CoreState.CurrentCard = card;
        ReadCardText();
        ReadCardValues();
        for (auto [field, text] : {std::pair{kName, name}, {kPhone, address}}) {
            std::memset(&CurrentCardText[size_t(FieldTextOffsets[field])], 0, size_t(-FieldTypes[field]));
            std::memcpy(&CurrentCardText[size_t(FieldTextOffsets[field])], text.data(),
                        std::min(text.size(), size_t(-FieldTypes[field])));
        }
        WriteCardText();
    }
    static uint16_t Word(int32_t card, int field) {
        const std::string values = ReadBytes(CoreState.ArchiveDir + "num-sch.dat");
        const size_t at =
            (size_t(card) * size_t(CoreState.CardWordCount) + size_t(FieldPositions[field]) - 1) * 2;
        return GetU16(reinterpret_cast<const uint8_t*>(values.data()) + at);
    }
};

TEST_F(MergedMailFormsTest, MergedListDialog) {
    CoreState.MergeListAlphabetic = 1;
    WriteBytes(CoreState.ArchiveDir + "mas-dat.txt", "#0*\r\n");
    TListaMerge d(nullptr);
    EXPECT_TRUE(d.Alfabeticamente->isChecked());

    // No group field: the check box is stored all the same.
    d.Alfabeticamente->setChecked(false);
    d.PrimoClick();
    EXPECT_EQ(Text(d.Status), "Testo 1041");
    EXPECT_EQ(CoreState.MergeListAlphabetic, 0);
    d.UnisceClick();
    EXPECT_EQ(Text(d.Status), "Testo 1042");

    // The alphabetical pass without an order index says so.
    CoreState.ListGroupField1 = kSex;
    CoreState.ListOrderField = kName;
    d.Alfabeticamente->setChecked(true);
    d.PrimoClick();
    EXPECT_EQ(Text(d.Status), "Testo 1905");
    EXPECT_THROW(d.SuccessivoClick(), IoError);

    d.Alfabeticamente->setChecked(false);
    test::SelectCards({0, 2});
    d.PrimoClick();
    EXPECT_EQ(ReadBytes(root / "mrg-sch.dat"), std::string("\x01\x00", 2));
    d.UnisceClick();
    EXPECT_EQ(Text(d.Status), "Ok");
    EXPECT_EQ(ReadBytes(CoreState.ArchiveDir + "mrg-list.txt").size(), 6u);  // "1" and "3"

    d.VisualizzaClick();
    d.Help2Click();
    EXPECT_EQ(opened, (Lines{"THelp -17", "THelpRTF 55"}));
    d.Alfabeticamente->setChecked(true);
    d.EsciClick();
    EXPECT_EQ(CoreState.MergeListAlphabetic, 1);
}

TEST_F(MergedMailFormsTest, EmailDialogFilesAndBoxes) {
    {
        // Without the files the boxes keep the form's values.
        TEmail d(nullptr);
        EXPECT_EQ(Text(d.Port), "25");
        EXPECT_EQ(Text(d.Host), "");
        EXPECT_TRUE(d.TestoLines().empty());
        EXPECT_EQ(d.Password->echoMode(), QLineEdit::Password);
    }
    WriteBytes(root / "email.txt", "smtp.example.it\r\n2525\r\nstazione\r\nSegreteria\r\ns@example.it\r\n");
    WriteBytes(root / "emailogg.txt", "Assemblea\r\n");
    WriteBytes(root / "emailtxt.txt", "Gentile socio,\r\n\r\na presto\r\n");
    CoreState.EmailAddressField = 2;
    CoreState.EmailSentCode = -4;
    TEmail d(nullptr);
    EXPECT_EQ(Text(d.Host) + "|" + Text(d.Port) + "|" + Text(d.UserID) + "|" + Text(d.Nome) + "|" +
                  Text(d.indirizzoEmail),
              "smtp.example.it|2525|stazione|Segreteria|s@example.it");
    EXPECT_EQ(Text(d.Oggetto), "Assemblea");
    EXPECT_EQ(Text(d.Password), "");
    EXPECT_EQ(d.TestoLines(), (Lines{"Gentile socio,", "", "a presto"}));
    EXPECT_EQ(Text(d.nEmail), "2");
    EXPECT_EQ(Text(d.Inviato), "-4");

    // Message files in the program directory.
    answer = root / "invito.emt";
    d.SalvaClick();
    EXPECT_EQ(ReadBytes(answer), "Gentile socio,\r\n\r\na presto\r\n");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].directory, CoreState.ProgramDir);
    EXPECT_EQ(requests[0].fileName, "*.emt");
    WriteBytes(answer, "Nuovo testo\r\n");
    d.RecuperaClick();
    EXPECT_EQ(d.TestoLines(), (Lines{"Nuovo testo"}));
    answer = root / "programma.pdf";
    d.AggiungeAllegatiClick();
    ASSERT_EQ(d.Allegati->count(), 1);
    EXPECT_EQ(Cp(d.Allegati->item(0)->text()), answer);

    // Esci after the subject and text changed asks; saving is Aggiorna: the files and the seven
    // numbers, never the password.
    d.Oggetto->setText(QStringLiteral("Nuovo oggetto"));
    d.Password->setText(QStringLiteral("segreta"));
    d.nCodice->setText(QStringLiteral("7x"));
    d.Errore->setText(QStringLiteral("99999"));
    d.Inviato->setText(QStringLiteral("abc"));
    d.EsciClick();
    EXPECT_EQ(messages, (Lines{"Testo 2241"}));
    EXPECT_EQ(ReadBytes(root / "emailogg.txt"), "Nuovo oggetto\r\n");
    EXPECT_EQ(ReadBytes(root / "emailtxt.txt"), "Nuovo testo\r\n");
    EXPECT_EQ(ReadBytes(root / "email.txt"),
              "smtp.example.it\r\n2525\r\nstazione\r\nSegreteria\r\ns@example.it\r\n");
    EXPECT_EQ(CoreState.EmailConditionCode, 7);
    EXPECT_EQ(CoreState.EmailErrorCode, 32767);
    EXPECT_EQ(CoreState.EmailSentCode, 0);
}

TEST_F(MergedMailFormsTest, EmailDialogSends) {
    TestMailServer server({.refuse = {"nessuno@example.it", "nessuno@ex.it"}});
    TEmail d(nullptr);
    d.NMSMTP1.SetTimeout(3000);
    d.NMSMTP1.SetCaFile(server.CaFile());
    d.Host->setText(QStringLiteral("127.0.0.1"));
    d.UserID->setText(QStringLiteral("segreteria"));
    d.Password->setText(QStringLiteral("sbagliata"));
    d.a->setText(QStringLiteral("mario@example.it"));

    // The two tests, in order, for each of the three buttons.
    struct Case {
        uint8_t writeAccess;
        const char* status;
    } tests[] = {{0, "Testo 1944"}, {1, "Testo 1945"}};
    for (const Case& c : tests) {
        CoreState.WriteAccess = c.writeAccess;
        d.InviaClick();
        d.Button1Click();
        d.InviaSelezionateClick();
        EXPECT_EQ(Text(d.StatusInviata), c.status);
        EXPECT_EQ(Text(d.StatusSchedaVisualizzata), c.status);
    }

    // Each refusal says why and leaves the dialog unconnected: a port that is no number, a
    // sender that is no address (checked before any connection), a wrong password.
    d.Port->setText(QStringLiteral("venticinque"));
    d.ConnettiClick();
    d.Port->setText(QString::number(server.Port()));
    d.ConnettiClick();
    d.indirizzoEmail->setText(QStringLiteral("segreteria"));
    d.ConnettiClick();
    d.indirizzoEmail->setText(QStringLiteral("s@example.it"));
    d.ConnettiClick();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], "'venticinque' Testo 1941");
    EXPECT_EQ(messages[1], "Testo 1753");
    EXPECT_EQ(messages[2], "Testo 1753");
    EXPECT_EQ(messages[3].rfind("Testo 1760\n", 0), 0u) << messages[3];
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(server.Log().at(1), "login PLAIN segreteria refused");
    // A password for a server that offers no login is refused at once.
    {
        TestMailServer noLogin({.user = "", .noLogin = true});
        d.NMSMTP1.SetCaFile(noLogin.CaFile());
        d.Port->setText(QString::number(noLogin.Port()));
        d.ConnettiClick();
        EXPECT_EQ(messages.back(), "Testo 2235");
        EXPECT_FALSE(d.Connected());
        d.NMSMTP1.SetCaFile(server.CaFile());
        d.Port->setText(QString::number(server.Port()));
        messages.pop_back();
    }
    d.Password->setText(QStringLiteral("Segreta-1"));
    d.ConnettiClick();
    EXPECT_TRUE(d.Connected());
    EXPECT_EQ(Text(d.StatusConnetti), "Testo 1942");

    // A sender spoilt after connecting is refused before any send.
    d.indirizzoEmail->setText(QString());
    d.InviaClick();
    EXPECT_EQ(messages.back(), "Testo 1753");
    EXPECT_EQ(Text(d.StatusInviata), "Testo 1945");
    d.indirizzoEmail->setText(QStringLiteral("s@example.it"));

    // Typed addresses: empty copies give no recipient.
    d.InviaClick();
    EXPECT_EQ(Text(d.StatusInviata), "Testo 1949 mario@example.it");
    d.a->setText(QStringLiteral("nessuno@example.it"));
    d.InviaClick();
    const std::string noSuchUser = " (550 5.1.1 No such user here)";  // the server's reply
    EXPECT_EQ(Text(d.StatusInviata), "Testo 1947 nessuno@example.it" + noSuchUser);

    // The card on screen, then the selected cards with status 1 and error 9 in the sex field.
    Recipient(0, "Rossi", "rossi@ex.it");
    Recipient(2, "Verdi", "nessuno@ex.it");
    test::SelectCards({0, 2});
    d.nNome->setText(QString::number(kName));
    d.nEmail->setText(QString::number(kPhone));
    d.CampoErrore->setText(QString::number(kSex));
    d.Errore->setText(QStringLiteral("9"));
    d.Inviato->setText(QStringLiteral("1"));
    CoreState.CurrentCard = CoreState.LastCard + 1;
    d.Button1Click();
    EXPECT_EQ(Text(d.StatusSchedaVisualizzata), "Testo 2236");
    CoreState.CurrentCard = 0;
    d.Button1Click();
    EXPECT_EQ(Text(d.StatusSchedaVisualizzata), "Rossi <rossi@ex.it>");
    d.InviaSelezionateClick();
    EXPECT_EQ(CoreState.EmailErrorField, kSex);
    EXPECT_EQ(Text(d.StatusSchedaVisualizzata), "Testo 2237 1, Testo 2238 1, Testo 2239 0");
    EXPECT_EQ(d.Barra->value(), 2);
    EXPECT_EQ(Word(0, kSex), 1);
    EXPECT_EQ(Word(2, kSex), 9);
    EXPECT_EQ(server.Messages().size(), 3u);
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages.back(), "Testo 1947 nessuno@ex.it" + noSuchUser);

    // A category field cannot hold an address.
    d.nEmail->setText(QString::number(kSex));
    d.Button1Click();
    EXPECT_EQ(Text(d.StatusSchedaVisualizzata), "Testo 1946");

    d.DisconnettiClick();
    EXPECT_FALSE(d.Connected());
    EXPECT_EQ(Text(d.StatusConnetti), "Testo 1943");
    EXPECT_EQ(server.Log().back(), "quit");
}

}  // namespace
}  // namespace qv
