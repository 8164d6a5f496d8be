#include "platform/smtp_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "platform/io_error.h"
#include "support/temp_dir.h"
#include "support/test_mail_server.h"

namespace qv {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

struct Recorder : SmtpEvents {
    void OnConnect() override { events.push_back("connect"); }
    void OnDisconnect() override { events.push_back("disconnect"); }
    void OnFailure(const std::string&) override { events.push_back("failure"); }
    void OnRecipientNotFound(const std::string& r, const std::string& reply) override {
        events.push_back("not found " + r + (reply.empty() ? "" : " - " + reply));
    }
    Lines events;
};

// The lines of a message, every one ended by the client's own CR LF.
Lines SplitCrLf(const std::string& text) {
    Lines lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
        lines.push_back(text.substr(start, at - start));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
    }
    EXPECT_EQ(start, text.size()) << "text not ended by CR LF";
    return lines;
}

bool HasLine(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

Lines Body(const Lines& lines) {
    const auto blank = std::find(lines.begin(), lines.end(), std::string());
    return blank == lines.end() ? Lines() : Lines(blank + 1, lines.end());
}

SmtpMessage Sample() {
    SmtpMessage m;
    m.senderAddress = "segreteria@example.it";
    m.senderName = "Segreteria";
    m.subject = "Prova";
    m.lines = {"Ciao"};
    return m;
}

TEST(SmtpCompose, HeadersAndBody) {
    SmtpMessage m = Sample();
    m.subject = "Prova \xE8";
    m.to = {"Mario Rossi <mario@example.it>", "Anna\tBianchi <anna@example.it>"};
    m.cc = {""};
    m.bcc = {"ccn@example.it"};
    m.lines = {"Ciao", ".inizia col punto", ".", "citt\xE0 = 3 ", ""};
    const std::string text = ComposeMessage(m, {}, "Mon, 7 Dec 2026 12:00:00 +0000", "1.2@example.it", "b");
    const Lines lines = SplitCrLf(text);
    EXPECT_EQ(HeaderValue(text, "From"), "\"Segreteria\" <segreteria@example.it>");
    EXPECT_EQ(HeaderValue(text, "To"),
              "\"Mario Rossi\" <mario@example.it>, \"Anna Bianchi\" <anna@example.it>");
    EXPECT_EQ(HeaderValue(text, "Subject"), "=?windows-1252?B?UHJvdmEg6A==?=");
    EXPECT_EQ(HeaderValue(text, "Date"), "Mon, 7 Dec 2026 12:00:00 +0000");
    EXPECT_EQ(HeaderValue(text, "Message-ID"), "<1.2@example.it>");
    EXPECT_TRUE(HasLine(lines, "Content-Transfer-Encoding: quoted-printable"));
    // The blind copy is no header; the body is quoted-printable, dots left to the transport.
    EXPECT_EQ(text.find("ccn"), std::string::npos);
    EXPECT_EQ(HeaderValue(text, "Cc"), "");
    EXPECT_EQ(Body(lines), (Lines{"Ciao", ".inizia col punto", ".", "citt=E0 =3D 3=20", ""}));
}

TEST(SmtpCompose, LineBreaksInFieldsStayInTheirHeader) {
    SmtpMessage m = Sample();
    m.senderName = "Ufficio\r\nBcc: spia@example.it";
    m.subject = "Avviso\nX-Spam: no";
    m.to = {"Mario\r\nBcc: spia@example.it <mario@example.it>", "ok@example.it\r\nRCPT TO:<spia@example.it>",
            "anna@example.it"};
    const std::string text = ComposeMessage(m, {}, "d", "i@example.it", "b");
    const Lines lines = SplitCrLf(text);
    EXPECT_EQ(HeaderValue(text, "From"), "\"Ufficio  Bcc: spia@example.it\" <segreteria@example.it>");
    EXPECT_EQ(HeaderValue(text, "To"), "anna@example.it");
    EXPECT_EQ(HeaderValue(text, "Subject"), "Avviso X-Spam: no");
    for (const std::string& line : lines) {
        EXPECT_NE(line.rfind("Bcc:", 0), 0u) << line;
        EXPECT_NE(line.rfind("X-Spam:", 0), 0u) << line;
    }
}

// Encoded words are at most 75 characters and a header line holding them at most 76; decoded,
// they give back the text.
TEST(SmtpCompose, EncodedWordsStayShort) {
    const std::string accented = "Riunione del comitato di quartiere: citt\xE0, perch\xE9, luned\xEC.";
    for (const std::string& subject :
         {accented, accented + accented + accented, std::string(100, 'a'), std::string("\xE0")}) {
        SCOPED_TRACE(subject);
        SmtpMessage m = Sample();
        m.subject = subject;
        m.senderName = subject;
        const std::string text = ComposeMessage(m, {}, "d", "i@example.it", "b");
        size_t longest = 0;
        EXPECT_EQ(DecodeWords(HeaderValue(text, "Subject"), &longest), subject);
        EXPECT_LE(longest, 75u);
        EXPECT_EQ(DecodeWords(HeaderValue(text, "From"), &longest), subject + " <segreteria@example.it>");
        EXPECT_LE(longest, 75u);
        for (const std::string& line : SplitCrLf(text)) {
            if (line.find("=?") != std::string::npos) {
                EXPECT_LE(line.size(), 76u) << line;
            }
        }
    }
}

TEST(SmtpCompose, Attachments) {
    SmtpMessage m = Sample();
    m.attachments = {"/tmp/x/nota.txt", "/tmp/x/vuoto.bin"};
    const std::string text = ComposeMessage(m, {"abcd", ""}, "d", "i@example.it", "=_b");
    EXPECT_EQ(HeaderValue(text, "Content-Type"), "multipart/mixed; boundary=\"=_b\"");
    const Lines lines = SplitCrLf(text);
    EXPECT_TRUE(HasLine(lines, "Content-Disposition: attachment; filename=\"nota.txt\""));
    EXPECT_TRUE(HasLine(lines, "Content-Disposition: attachment; filename=\"vuoto.bin\""));
    // "abcd" in base64, the empty part, then the closing boundary.
    const auto data = std::find(lines.begin(), lines.end(), "YWJjZA==");
    ASSERT_NE(data, lines.end());
    EXPECT_EQ(lines.back(), "--=_b--");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "--=_b"), 3);
}

TEST(SmtpCompose, EnvelopeAndSenderAddresses) {
    struct Case {
        std::string entry;
        std::optional<std::string> address;
        bool sender;
    } cases[] = {
        {"mario@example.it", "mario@example.it", true},
        {" Mario Rossi <mario@example.it> ", "mario@example.it", true},
        {"A<B <a@b.it>", "a@b.it", true},
        {" <  a@b.it  >", "a@b.it", true},
        {"", std::nullopt, false},
        {"Mario <>", std::nullopt, false},
        {"Mario <a@b.it", std::nullopt, false},
        {"Mario <x>y>", std::nullopt, false},
        {"Mario <a@b.it> dopo", std::nullopt, false},
        {"a@b.it\r\nRCPT TO:<x@y.it>", std::nullopt, false},
        {"a@b.it\nDATA", std::nullopt, false},
        {"Mario\r\n <a@b.it>", std::nullopt, false},
        {"a b@c.it", std::nullopt, false},
        {"a,b@c.it", std::nullopt, false},
        {"citt\xE0@c.it", std::nullopt, false},
        // Envelope addresses, but no sender's.
        {"segreteria", "segreteria", false},
        {"@example.it", "@example.it", false},
        {"a@", "a@", false},
        {"a@b@c.it", "a@b@c.it", false},
        {"a@.it", "a@.it", false},
        {"a@b..it", "a@b..it", false},
        {"a@b.it.", "a@b.it.", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnvelopeAddress(c.entry), c.address) << c.entry;
        EXPECT_EQ(SenderAddress(c.entry), c.sender ? c.address : std::nullopt) << c.entry;
    }
}

class SmtpClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        client.SetTimeout(3000);
        client.SetCaFile(server.CaFile());
        message = Sample();
    }
    void Connect() { client.Connect("127.0.0.1", server.Port(), "segreteria", "Segreta-1"); }

    TestMailServer server;
    Recorder events;
    SmtpClient client{&events};
    SmtpMessage message;
};

TEST_F(SmtpClientTest, DeliversThroughTlsWithLogin) {
    Connect();
    EXPECT_TRUE(client.Connected());
    message.to = {"Mario Rossi <mario@example.it>"};
    message.cc = {"rifiuta@example.it"};
    message.bcc = {"ccn@example.it"};
    message.lines = {"Ciao", ".inizia col punto", ".", ""};
    EXPECT_EQ(client.Send(message), 2);
    // Every recipient refused: nothing goes, and the next message goes all the same.
    message.to = {"rifiuta@example.it"};
    message.cc = message.bcc = {};
    EXPECT_EQ(client.Send(message), 0);
    message.to = {"anna@example.it"};
    EXPECT_EQ(client.Send(message), 1);
    client.Disconnect();
    EXPECT_FALSE(client.Connected());
    const std::string refused = "not found rifiuta@example.it - 550 5.1.1 No such user here";
    EXPECT_EQ(events.events, (Lines{"connect", refused, refused, "disconnect"}));

    const auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].from, "segreteria@example.it");
    EXPECT_EQ(messages[0].to, (Lines{"mario@example.it", "ccn@example.it"}));
    EXPECT_EQ(messages[1].to, (Lines{"anna@example.it"}));
    for (const auto& m : messages) {
        EXPECT_TRUE(m.tls);
        EXPECT_EQ(m.login, "segreteria");
    }
    // The transport stuffs and unstuffs the dots: the text arrives as composed.
    EXPECT_EQ(Body(SplitCrLf(messages[0].content)), (Lines{"Ciao", ".inizia col punto", ".", ""}));
    EXPECT_NE(HeaderValue(messages[0].content, "Date"), "");
    const std::string id = HeaderValue(messages[0].content, "Message-ID");
    EXPECT_EQ(id.front(), '<');
    EXPECT_NE(id.find("@example.it>"), std::string::npos) << id;
    EXPECT_NE(id, HeaderValue(messages[1].content, "Message-ID"));
    const Lines log = server.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "connect"), 2)
        << "one connection, and one after the refusal";
    EXPECT_EQ(log.back(), "quit");
}

TEST_F(SmtpClientTest, NothingReachesTheServerForBadInput) {
    test::TempDir dir;
    Connect();
    struct Case {
        const char* what;
        std::string sender, attachment;
    } cases[] = {
        {"no sender", "", ""},
        {"sender without domain", "segreteria", ""},
        {"sender with a line break", "a@b.it\r\nRCPT TO:<spia@example.it>", ""},
        {"missing attachment", "s@example.it", dir / "manca.txt"},
    };
    message.to = {"mario@example.it"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        message.senderAddress = c.sender;
        message.attachments = c.attachment.empty() ? Lines() : Lines{c.attachment};
        if (c.attachment.empty()) {
            EXPECT_EQ(FaultOf([&] { client.Send(message); }), SmtpFault::BadSender);
        } else {
            EXPECT_THROW(client.Send(message), IoError);
        }
        EXPECT_TRUE(client.Connected());
    }
    // Entries without a sendable address are reported and never sent.
    message.senderAddress = "s@example.it";
    message.attachments.clear();
    message.to = {"Mario\r\n <mario@example.it>"};
    EXPECT_EQ(client.Send(message), 0);
    EXPECT_EQ(events.events.back(), "not found Mario   <mario@example.it>");
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(SmtpClientTest, ConnectFailures) {
    TestMailServer clear({.startTls = false, .user = ""});
    TestMailServer noLogin({.user = "", .noLogin = true});
    const int closedPort = 1;  // nothing listens there on the loopback address
    struct Case {
        const char* what;
        std::string host;
        int port;
        std::string password, caFile;
        SmtpFault fault;
    } cases[] = {
        {"wrong password", "127.0.0.1", server.Port(), "sbagliata", server.CaFile(), SmtpFault::Login},
        {"no STARTTLS for the password", "127.0.0.1", clear.Port(), "Segreta-1", server.CaFile(),
         SmtpFault::NoTls},
        {"password for a server that offers no login", "127.0.0.1", noLogin.Port(), "Segreta-1",
         noLogin.CaFile(), SmtpFault::NoLogin},
        {"certificate the system does not know", "127.0.0.1", server.Port(), "Segreta-1", "",
         SmtpFault::Certificate},
        {"nobody listening", "127.0.0.1", closedPort, "", "", SmtpFault::Connect},
        {"port 0", "127.0.0.1", 0, "", "", SmtpFault::BadPort},
        {"port past 65535", "127.0.0.1", 70000, "", "", SmtpFault::BadPort},
        {"host with a path", "127.0.0.1/x", server.Port(), "", "", SmtpFault::BadHost},
        {"host with a line break", "127.0.0.1\r\nQUIT", server.Port(), "", "", SmtpFault::BadHost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        SmtpClient mail(&recorder);
        mail.SetTimeout(3000);
        mail.SetCaFile(c.caFile);
        EXPECT_EQ(FaultOf([&] { mail.Connect(c.host, c.port, "segreteria", c.password); }), c.fault);
        EXPECT_FALSE(mail.Connected());
        EXPECT_EQ(recorder.events, (Lines{"failure"}));
    }
    // Without a password, a server without STARTTLS is used as it is.
    SmtpClient mail;
    mail.Connect("127.0.0.1", clear.Port(), "", "");
    message.to = {"mario@example.it"};
    EXPECT_EQ(mail.Send(message), 1);
    EXPECT_FALSE(clear.Messages().at(0).tls);
}

// A refusal is told in the server's own words, never in those of the QUIT that follows it.
TEST_F(SmtpClientTest, RefusalsCarryTheServersReply) {
    struct Case {
        const char* what;
        std::string password, sender;
        SmtpFault fault;
        std::string reply;
    } cases[] = {
        {"sender refused", "Segreta-1", "rifiutato@example.it", SmtpFault::Refused,
         "550 5.7.1 Sender not allowed here"},
        {"login asked for", "", "segreteria@example.it", SmtpFault::Login,
         "530 5.7.0 Authentication required"},
    };
    message.to = {"mario@example.it"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        client.Connect("127.0.0.1", server.Port(), "segreteria", c.password);
        message.senderAddress = c.sender;
        try {
            client.Send(message);
            ADD_FAILURE() << "sent";
        } catch (const SmtpError& e) {
            EXPECT_EQ(e.Fault(), c.fault);
            EXPECT_EQ(std::string(e.what()), c.reply);
        }
        EXPECT_FALSE(client.Connected());
    }
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(SmtpClientTest, ServerThatStopsAnsweringEndsTheConnection) {
    Connect();
    client.SetTimeout(1000);
    message.to = {"muto@example.it"};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FaultOf([&] { client.Send(message); }), SmtpFault::Timeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(events.events, (Lines{"connect", "disconnect", "failure"}));
    EXPECT_EQ(FaultOf([&] { client.Send(message); }), SmtpFault::NotConnected);
}

}  // namespace
}  // namespace qv
