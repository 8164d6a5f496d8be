#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/smtp_client.h"
#include "support/temp_dir.h"

// A real SMTP server for the tests: test_mail_server.py (Debian's python3-aiosmtpd) started on
// 127.0.0.1 with a certificate made for it by openssl, stopped when the object goes. It offers
// STARTTLS and requires a login unless told otherwise.
namespace qv::test {

// The fault of the SmtpError `f` raises; nullopt when it raises none.
template <class F>
std::optional<SmtpFault> FaultOf(F f) {
    try {
        f();
    } catch (const SmtpError& e) {
        return e.Fault();
    }
    return std::nullopt;
}

struct MailServerOptions {
    bool startTls = true;
    // An empty user lets anybody send without logging in.
    std::string user = "segreteria";
    std::string password = "Segreta-1";
    // RCPT for these gets 550; RCPT for `hangOn` gets no answer at all.
    std::vector<std::string> refuse = {"rifiuta@example.it"};
    std::string hangOn = "muto@example.it";
    // MAIL FROM for these gets 550.
    std::vector<std::string> refuseSender = {"rifiutato@example.it"};
    // EHLO offers no login mechanism.
    bool noLogin = false;
};

class TestMailServer {
  public:
    explicit TestMailServer(const MailServerOptions& options = {});
    ~TestMailServer();
    TestMailServer(const TestMailServer&) = delete;
    TestMailServer& operator=(const TestMailServer&) = delete;

    int Port() const { return port_; }
    // The authority that signed the server's certificate (for 127.0.0.1).
    std::string CaFile() const { return dir_ / "ca.pem"; }

    struct Message {
        std::string from;
        std::vector<std::string> to;
        bool tls = false;
        std::string login;
        std::string content;  // as received, CR LF line ends, dot-stuffing undone
    };
    std::vector<Message> Messages() const;
    // The sessions' events: "connect", "login MECHANISM USER ok|refused", "hang ADDRESS", "quit".
    std::vector<std::string> Log() const;

  private:
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// The value of header `name` in a message's text, its folded lines joined ("" when absent).
std::string HeaderValue(const std::string& content, const std::string& name);
// A header value with its windows-1252 encoded words decoded (blanks between two words
// dropped); the length of the longest word goes to `longestWord`.
std::string DecodeWords(const std::string& value, size_t* longestWord = nullptr);

}  // namespace qv::test
