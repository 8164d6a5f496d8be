#include "selection/email.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>

#include "core/card_store.h"
#include "core/core_state.h"
#include "platform/bytes.h"
#include "platform/io_error.h"
#include "support/mask_archive.h"
#include "support/recording_progress.h"
#include "support/test_mail_server.h"

namespace qv {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

constexpr uint16_t kEmpty = 33536;

// Ten cards; the name is field 1 (text of 10 at byte 1), the address field 9, here a text of
// 30 at byte 11. Field 2 (category, word 1) takes the mark, field 5 (number, word 6) the
// status.
class EmailTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FieldTypes[9] = -30;
        for (int c = 0; c < 10; ++c)
            Card(c, "Nome" + std::to_string(c), "n" + std::to_string(c) + "@example.it");
        CoreState.EmailNameField = 1;
        CoreState.EmailAddressField = 9;
        CoreState.EmailErrorField = 5;
        CoreState.EmailErrorCode = 9;
        CoreState.EmailSentCode = 1;
        CoreState.EmailConditionField = 2;
        CoreState.EmailConditionCode = 3;
        message.senderAddress = "segreteria@example.it";
        message.subject = "Avviso";
        message.lines = {"Ciao"};
        client.SetTimeout(3000);
        CoreState.WriteAccess = 1;
    }
    void Card(int32_t c, const std::string& name, const std::string& address) {
        a.Blank();
        a.Name(name);
        std::memset(&CurrentCardText[11], 0, 30);
        std::memcpy(&CurrentCardText[11], address.data(), std::min<size_t>(address.size(), 30));
        a.Store(c);
    }
    // The server is started only by the tests that send.
    void Connect(const MailServerOptions& options = {}) {
        server = std::make_unique<TestMailServer>(options);
        client.SetCaFile(server->CaFile());
        client.Connect("127.0.0.1", server->Port(), "segreteria", "Segreta-1");
    }
    uint16_t Word(int32_t card, int word) const {
        const std::string values = ReadBytes(a / "num-sch.dat");
        return GetU16(reinterpret_cast<const uint8_t*>(values.data()) + (card * 50 + word - 1) * 2);
    }
    SelectedCardsSend Run() {
        return SendToSelectedCards(client, message, progress, [this](const std::string& r) {
            shown.push_back(r);
            if (onShown) onShown(r);
        });
    }

    MaskArchive a;
    std::unique_ptr<TestMailServer> server;
    SmtpClient client;
    SmtpMessage message;
    RecordingProgress progress;
    Lines shown;
    std::function<void(const std::string&)> onShown;
};

// A run through TLS with the login: every message dated, identified and with its accented
// subject in short encoded words; one connection for the whole run.
TEST_F(EmailTest, SelectedCardsGetTheirStatus) {
    Card(1, "Mario", "mario@example.it    ");
    Card(9, "", "rifiuta@example.it");
    for (int c : {1, 4, 7, 9}) MaskArchive::Select(c);
    message.subject =
        "Convocazione dell'assemblea dei soci di luned\xEC: ordine del giorno e quote perch\xE9 s\xEC";
    Connect();
    // Another station stores card 4 anew while its mail is on the way: its edit stays.
    onShown = [this](const std::string& recipient) {
        if (recipient != "Nome4 <n4@example.it>") return;
        a.Blank();
        a.Name("Altro");
        a.Number32(77);
        a.Store(4);
    };
    const SelectedCardsSend result = Run();
    EXPECT_EQ(result.outcome, EmailRunOutcome::Done);
    EXPECT_EQ(result.sent, 3);
    EXPECT_EQ(result.refused, 1);
    EXPECT_EQ(result.notTried, 0);
    EXPECT_FALSE(result.failure);
    EXPECT_EQ(shown, (Lines{"Mario <mario@example.it    >", "Nome4 <n4@example.it>", "Nome7 <n7@example.it>",
                            " <rifiuta@example.it>"}));
    // The bar counts the selected cards and ends full.
    EXPECT_EQ(progress.maximum, 4);
    EXPECT_EQ(progress.positions, (std::vector<int>{1, 2, 3, 4, 4}));
    const auto messages = server->Messages();
    ASSERT_EQ(messages.size(), 3u);
    std::set<std::string> ids;
    for (const auto& m : messages) {
        EXPECT_TRUE(m.tls);
        EXPECT_EQ(m.login, "segreteria");
        ids.insert(test::HeaderValue(m.content, "Message-ID"));
        EXPECT_NE(test::HeaderValue(m.content, "Date"), "");
        size_t longest = 0;
        EXPECT_EQ(test::DecodeWords(test::HeaderValue(m.content, "Subject"), &longest), message.subject);
        EXPECT_LE(longest, 75u);
    }
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids.count(""), 0u);
    const Lines log = server->Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "connect"), 1);
    // Sent: status 1 and mark 3; refused: the error value 9 and no mark; the rest untouched.
    struct Expect {
        int32_t card;
        uint16_t status, mark;
    } expected[] = {{0, kEmpty, 0}, {1, 1, 3}, {4, 1, 3}, {7, 1, 3}, {8, kEmpty, 0}, {9, 9, 0}};
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.card);
        EXPECT_EQ(Word(e.card, 6), e.status);
        EXPECT_EQ(Word(e.card, 1), e.mark);
    }
    EXPECT_EQ(ReadBytes(a / "alf-sch.dat").substr(4 * 50, 6), std::string("Altro\0", 6));
    EXPECT_EQ(DecodeCardNumber(Word(4, 9), Word(4, 10)), 77);
    // The card in hand is not the card files' business here.
    EXPECT_EQ(CoreState.CurrentCard, 0);
}

TEST_F(EmailTest, FieldsThatWriteNothing) {
    struct Case {
        const char* what;
        int errorField, conditionCode;
        uint16_t status, mark;
    } cases[] = {
        {"no status field", 0, 3, kEmpty, 3},
        {"status field past the archive", 4001, 3, kEmpty, 3},
        {"no mark value", 5, 0, 1, 0},
        {"negative mark value", 5, -2, 1, 0},
    };
    MaskArchive::Select(2);
    Connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Card(2, "Anna", "anna@example.it");
        CoreState.EmailErrorField = c.errorField;
        CoreState.EmailConditionCode = c.conditionCode;
        EXPECT_EQ(Run().sent, 1);
        EXPECT_EQ(Word(2, 6), c.status);
        EXPECT_EQ(Word(2, 1), c.mark);
    }
}

TEST_F(EmailTest, RecipientFieldsMustBeTexts) {
    MaskArchive::Select(2);
    Connect();
    for (auto [name, address] : {std::pair{2, 9}, {1, 5}, {0, 9}, {1, 10}}) {
        CoreState.EmailNameField = name;
        CoreState.EmailAddressField = address;
        EXPECT_EQ(Run().outcome, EmailRunOutcome::FieldError);
        EXPECT_EQ(SendToCurrentCard(client, message, nullptr).outcome, EmailRunOutcome::FieldError);
    }
    EXPECT_TRUE(server->Messages().empty());
    EXPECT_EQ(Word(2, 6), kEmpty);
}

TEST_F(EmailTest, LineBreaksInCardFieldsAreRefused) {
    Card(3, "Eva\r\nBcc:x", "eva@example.it");
    Card(5, "Ugo", "u@x.it\r\nRCPT TO:<spia@x.it>");
    Card(6, "Ada", "ada@example.it");
    for (int c : {3, 5, 6}) MaskArchive::Select(c);
    Connect();
    const SelectedCardsSend result = Run();
    EXPECT_EQ(result.sent, 1);
    EXPECT_EQ(result.refused, 2);
    const auto messages = server->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].to, (Lines{"ada@example.it"}));
    EXPECT_EQ(messages[0].content.find("spia"), std::string::npos);
    EXPECT_EQ(messages[0].content.find("Bcc"), std::string::npos);
    EXPECT_EQ(Word(3, 6), 9);
    EXPECT_EQ(Word(5, 6), 9);
    EXPECT_EQ(Word(6, 6), 1);
}

// A run that loses its server ends at that card with its counts and the fault: the server
// stops answering, or refuses the sender in its own words. Without a connection, or without
// write access, no card gets a value.
TEST_F(EmailTest, RunsThatEndEarly) {
    Card(4, "Muto", "muto@example.it");
    for (int c : {1, 4, 7}) MaskArchive::Select(c);
    struct Case {
        const char* what;
        std::string sender;
        bool connect;
        uint8_t writeAccess;
        EmailRunOutcome outcome;
        int sent, refused, notTried;
        std::optional<SmtpFault> fault;
        std::string reply;
        uint16_t status1, status4, status7;
    } cases[] = {
        {"server stops answering at the second card", "segreteria@example.it", true, 1, EmailRunOutcome::Done,
         1, 1, 1, SmtpFault::Timeout, "", 1, 9, kEmpty},
        {"sender refused", "rifiutato@example.it", true, 1, EmailRunOutcome::Done, 0, 1, 2,
         SmtpFault::Refused, "550 5.7.1 Sender not allowed here", 9, kEmpty, kEmpty},
        {"read-only", "segreteria@example.it", true, 0, EmailRunOutcome::ReadOnly, 0, 0, 0, std::nullopt, "",
         kEmpty, kEmpty, kEmpty},
    };
    client.SetTimeout(2000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int card : {1, 4, 7})
            Card(card, card == 4 ? "Muto" : "Nome" + std::to_string(card),
                 card == 4 ? "muto@example.it" : "n" + std::to_string(card) + "@example.it");
        if (c.connect) Connect();
        CoreState.WriteAccess = c.writeAccess;
        message.senderAddress = c.sender;
        const SelectedCardsSend result = Run();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.sent, c.sent);
        EXPECT_EQ(result.refused, c.refused);
        EXPECT_EQ(result.notTried, c.notTried);
        EXPECT_EQ(result.failure ? std::optional(result.failure->Fault()) : std::nullopt, c.fault);
        if (result.failure && !c.reply.empty()) {
            EXPECT_EQ(std::string(result.failure->what()), c.reply);
        }
        EXPECT_EQ(Word(1, 6), c.status1);
        EXPECT_EQ(Word(4, 6), c.status4);
        EXPECT_EQ(Word(7, 6), c.status7);
        if (c.outcome == EmailRunOutcome::Done) {
            EXPECT_EQ(progress.positions.back(), 3);
        }
        client.Disconnect();
    }
    // Not connected: refused before any card is touched.
    CoreState.WriteAccess = 1;
    EXPECT_EQ(FaultOf([&] { Run(); }), SmtpFault::NotConnected);
    EXPECT_EQ(FaultOf([&] { SendToCurrentCard(client, message, nullptr); }), SmtpFault::NotConnected);
    EXPECT_EQ(Word(1, 6), kEmpty);
}

TEST_F(EmailTest, CurrentCard) {
    CoreState.CurrentCard = 4;
    Connect();
    const CurrentCardSend result = SendToCurrentCard(client, message, nullptr);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.recipient, "Nome4 <n4@example.it>");
    EXPECT_EQ(server->Messages().at(0).to, (Lines{"n4@example.it"}));
    EXPECT_EQ(Word(4, 6), kEmpty);
    // The new blank card is in no file: there is no card to send to.
    CoreState.CurrentCard = 10;
    EXPECT_EQ(SendToCurrentCard(client, message, nullptr).outcome, EmailRunOutcome::NoCard);
}

TEST_F(EmailTest, SettingsAndTextFiles) {
    EXPECT_FALSE(LoadEmailSettings());
    EXPECT_FALSE(LoadEmailSubject());
    EXPECT_FALSE(LoadEmailText());

    SaveEmailSettings({"smtp.example.it", "25", "stazione", "Segreteria", "s@example.it"});
    EXPECT_EQ(ReadBytes(a / "email.txt"),
              "smtp.example.it\r\n25\r\nstazione\r\nSegreteria\r\ns@example.it\r\n");
    SaveEmailSubject("Riunione\r\ndi luned\xEC");
    EXPECT_EQ(ReadBytes(a / "emailogg.txt"), "Riunione  di luned\xEC\r\n");
    SaveEmailText({"Gentile socio,", "", "a presto"});
    EXPECT_EQ(ReadBytes(a / "emailtxt.txt"), "Gentile socio,\r\n\r\na presto\r\n");
    EXPECT_EQ(LoadEmailText(), (Lines{"Gentile socio,", "", "a presto"}));

    // Lines past the fifth are ignored, missing ones are empty, each is cut to 255.
    WriteBytes(a / "email.txt", "host\r\n" + std::string(300, 'p') + "\r\n");
    const auto s = LoadEmailSettings();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->host, "host");
    EXPECT_EQ(s->port, std::string(255, 'p'));
    EXPECT_EQ(s->userId + s->name + s->address, "");
    WriteBytes(a / "emailogg.txt", "Oggetto\r\naltro\r\n");
    EXPECT_EQ(LoadEmailSubject(), "Oggetto");

    WriteMessageFile(a / "invito.emt", {"riga 1", "riga 2"});
    EXPECT_EQ(ReadBytes(a / "invito.emt"), "riga 1\r\nriga 2\r\n");
    EXPECT_EQ(ReadMessageFile(a / "invito.emt"), (Lines{"riga 1", "riga 2"}));
    EXPECT_THROW(ReadMessageFile(a / "manca.emt"), IoError);
}

TEST_F(EmailTest, NumbersInBoxes) {
    struct Case {
        const char* text;
        int leading;
        std::optional<int> whole;
    } cases[] = {
        {"25", 25, 25},
        {" 25 ", 0, 25},
        {"-7", -7, -7},
        {"12ab", 12, std::nullopt},
        {"ab", 0, std::nullopt},
        {"", 0, std::nullopt},
        {"99999999999", 2147483647, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BoxNumber(c.text), c.leading) << c.text;
        EXPECT_EQ(WholeNumber(c.text), c.whole) << c.text;
    }
}

}  // namespace
}  // namespace qv
