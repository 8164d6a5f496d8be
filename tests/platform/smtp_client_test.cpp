#include "platform/smtp_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/io_error.h"
#include "support/fake_smtp_server.h"
#include "support/temp_dir.h"

namespace qv {
namespace {

using test::FakeSmtpServer;
using Lines = std::vector<std::string>;

struct Recorder : SmtpEvents {
    void OnConnect() override { events.push_back("connect"); }
    void OnDisconnect() override { events.push_back("disconnect"); }
    void OnFailure(const std::string&) override { events.push_back("failure"); }
    void OnRecipientNotFound(const std::string& r) override { events.push_back("not found " + r); }
    Lines events;
};

// Every line end of the dialogue is the client's own CR LF.
bool OnlyCrLf(const std::string& raw) {
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && (i + 1 == raw.size() || raw[i + 1] != '\n')) return false;
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) return false;
    }
    return true;
}

bool HasLine(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class SmtpClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        client.SetTimeout(2000);
        message.senderAddress = "segreteria@example.it";
        message.senderName = "Segreteria";
        message.subject = "Prova";
        message.lines = {"Ciao"};
    }
    void Connect() { client.Connect("127.0.0.1", server.Port(), "stazione1"); }

    FakeSmtpServer server;
    Recorder events;
    SmtpClient client{&events};
    SmtpMessage message;
};

TEST_F(SmtpClientTest, WholeDialogue) {
    Connect();
    EXPECT_TRUE(client.Connected());
    message.subject = "Prova \xE8";
    message.to = {"Mario Rossi <mario@example.it>"};
    message.cc = {""};
    message.bcc = {"ccn@example.it"};
    message.lines = {"Ciao", ".inizia col punto", ".", "citt\xE0 = 3 ", ""};
    EXPECT_EQ(client.Send(message), 2);
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(events.events, (Lines{"connect", "disconnect"}));
    EXPECT_EQ(server.Commands(),
              (Lines{"EHLO stazione1", "MAIL FROM:<segreteria@example.it>", "RCPT TO:<mario@example.it>",
                     "RCPT TO:<ccn@example.it>", "DATA", "QUIT"}));
    ASSERT_EQ(server.Messages().size(), 1u);
    const Lines m = server.Messages()[0];
    EXPECT_TRUE(HasLine(m, "From: \"Segreteria\" <segreteria@example.it>"));
    EXPECT_TRUE(HasLine(m, "To: \"Mario Rossi\" <mario@example.it>"));
    EXPECT_TRUE(HasLine(m, "Subject: =?windows-1252?B?UHJvdmEg6A==?="));
    EXPECT_TRUE(HasLine(m, "Content-Transfer-Encoding: quoted-printable"));
    // The blind copy is no header; the body is quoted-printable and dot-stuffed.
    for (const std::string& line : m) EXPECT_EQ(line.find("ccn"), std::string::npos) << line;
    const auto body = std::find(m.begin(), m.end(), std::string());
    ASSERT_NE(body, m.end());
    EXPECT_EQ(Lines(body + 1, m.end()), (Lines{"Ciao", "..inizia col punto", "..", "citt=E0 =3D 3=20", ""}));
    EXPECT_TRUE(OnlyCrLf(server.Raw()));
}

TEST_F(SmtpClientTest, EnvelopeAddresses) {
    struct Case {
        std::string entry;
        std::optional<std::string> address;
    } cases[] = {
        {"mario@example.it", "mario@example.it"},
        {" Mario Rossi <mario@example.it> ", "mario@example.it"},
        {"A<B <a@b.it>", "a@b.it"},
        {" <  a@b.it  >", "a@b.it"},
        {"", std::nullopt},
        {"Mario <>", std::nullopt},
        {"Mario <a@b.it", std::nullopt},
        {"Mario <x>y>", std::nullopt},
        {"Mario <a@b.it> dopo", std::nullopt},
        {"a@b.it\r\nRCPT TO:<x@y.it>", std::nullopt},
        {"a@b.it\nDATA", std::nullopt},
        {"Mario\r\n <a@b.it>", std::nullopt},
        {"a b@c.it", std::nullopt},
        {"a,b@c.it", std::nullopt},
        {"citt\xE0@c.it", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(EnvelopeAddress(c.entry), c.address) << c.entry;
}

TEST_F(SmtpClientTest, LineBreaksInFieldsNeverReachTheDialogue) {
    Connect();
    message.senderName = "Ufficio\r\nBcc: spia@example.it";
    message.subject = "Avviso\nX-Spam: no";
    message.to = {"Mario\r\nBcc: spia@example.it <mario@example.it>",
                  "ok@example.it\r\nRCPT TO:<spia@example.it>", "Anna\tBianchi <anna@example.it>"};
    EXPECT_EQ(client.Send(message), 1);
    EXPECT_EQ(events.events, (Lines{"connect", "not found Mario  Bcc: spia@example.it <mario@example.it>",
                                    "not found ok@example.it  RCPT TO:<spia@example.it>"}));
    EXPECT_EQ(server.Commands(), (Lines{"EHLO stazione1", "MAIL FROM:<segreteria@example.it>",
                                        "RCPT TO:<anna@example.it>", "DATA"}));
    const Lines m = server.Messages().at(0);
    EXPECT_TRUE(HasLine(m, "From: \"Ufficio  Bcc: spia@example.it\" <segreteria@example.it>"));
    EXPECT_TRUE(HasLine(m, "To: \"Anna Bianchi\" <anna@example.it>"));
    EXPECT_TRUE(HasLine(m, "Subject: Avviso X-Spam: no"));
    for (const std::string& line : m) {
        EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
        EXPECT_NE(line.rfind("X-Spam:", 0), 0u) << line;
    }
    EXPECT_TRUE(OnlyCrLf(server.Raw()));

    // A sender address with a line break sends nothing at all.
    message.senderAddress = "a@b.it\r\nRCPT TO:<spia@example.it>";
    EXPECT_THROW(client.Send(message), SmtpError);
    EXPECT_EQ(server.Commands().size(), 4u);
    EXPECT_TRUE(client.Connected());
}

TEST_F(SmtpClientTest, RefusedRecipients) {
    server.RejectRecipient("nessuno@example.it");
    Connect();
    message.to = {"nessuno@example.it"};
    message.cc = {"mario@example.it"};
    EXPECT_EQ(client.Send(message), 1);
    // Nobody accepted: the transaction is reset and no message goes.
    message.cc.clear();
    EXPECT_EQ(client.Send(message), 0);
    EXPECT_EQ(server.Messages().size(), 1u);
    const Lines c = server.Commands();
    EXPECT_EQ(Lines(c.end() - 3, c.end()),
              (Lines{"MAIL FROM:<segreteria@example.it>", "RCPT TO:<nessuno@example.it>", "RSET"}));
    EXPECT_EQ(std::count(events.events.begin(), events.events.end(), "not found nessuno@example.it"), 2);
}

TEST_F(SmtpClientTest, HeloWhenEhloIsRefused) {
    server.RefuseEhlo();
    client.Connect("127.0.0.1", server.Port(), "nome con spazi");
    EXPECT_EQ(server.Commands(), (Lines{"EHLO localhost", "HELO localhost"}));
    EXPECT_EQ(events.events, (Lines{"connect"}));
}

TEST_F(SmtpClientTest, FailuresEndTheConnection) {
    struct Case {
        const char* what;
        void (FakeSmtpServer::*script)(const std::string&);
        const char* command;
    } cases[] = {
        {"no answer", &FakeSmtpServer::SilentAfter, "DATA"},
        {"connection dropped", &FakeSmtpServer::DropAfter, "RCPT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSmtpServer own;
        (own.*c.script)(c.command);
        Recorder recorder;
        SmtpClient mail(&recorder);
        mail.SetTimeout(300);
        mail.Connect("127.0.0.1", own.Port(), "");
        message.to = {"mario@example.it"};
        EXPECT_THROW(mail.Send(message), SmtpError);
        EXPECT_FALSE(mail.Connected());
        EXPECT_EQ(recorder.events, (Lines{"connect", "disconnect", "failure"}));
        EXPECT_THROW(mail.Send(message), SmtpError);
    }
}

TEST_F(SmtpClientTest, ConnectFailures) {
    int closedPort;
    {
        FakeSmtpServer gone;
        closedPort = gone.Port();
    }
    for (int port : {closedPort, 0, 70000}) {
        SCOPED_TRACE(port);
        events.events.clear();
        EXPECT_THROW(client.Connect("127.0.0.1", port, ""), SmtpError);
        EXPECT_FALSE(client.Connected());
        EXPECT_EQ(events.events, (Lines{"failure"}));
    }
    EXPECT_THROW(client.Connect("127.0.0.1\r\nQUIT", server.Port(), ""), SmtpError);
}

TEST_F(SmtpClientTest, Attachments) {
    test::TempDir dir;
    test::WriteBytes(dir / "nota.txt", "abcd");
    Connect();
    message.to = {"mario@example.it"};
    message.attachments = {dir / "nota.txt"};
    ASSERT_EQ(client.Send(message), 1);
    const Lines m = server.Messages().at(0);
    const auto type = std::find_if(m.begin(), m.end(), [](const std::string& l) {
        return l.rfind("Content-Type: multipart/mixed", 0) == 0;
    });
    ASSERT_NE(type, m.end());
    std::string boundary = type->substr(type->find("boundary=\"") + 10);
    boundary.pop_back();
    EXPECT_TRUE(HasLine(m, "Content-Disposition: attachment; filename=\"nota.txt\""));
    // "abcd" in base64, then the closing boundary.
    const auto data = std::find(m.begin(), m.end(), "YWJjZA==");
    ASSERT_NE(data, m.end());
    EXPECT_EQ(*(data + 1), "--" + boundary + "--");
    EXPECT_EQ(std::count(m.begin(), m.end(), "--" + boundary), 2);

    // A missing attachment stops the send before the transaction.
    const size_t commands = server.Commands().size();
    message.attachments = {dir / "manca.txt"};
    EXPECT_THROW(client.Send(message), IoError);
    EXPECT_EQ(server.Commands().size(), commands);
}

}  // namespace
}  // namespace qv
