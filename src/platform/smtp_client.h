#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A small SMTP client on plain sockets: connect (greeting, EHLO, HELO when EHLO is refused),
// send one message at a time (MAIL FROM, RCPT TO for every recipient, DATA with dot-stuffing),
// disconnect (QUIT). Plain text only, no TLS and no authentication. Every wait for the server
// is bounded by the time-out. Everything runs on the caller's thread; the notifications are
// called from inside Connect, Disconnect and Send.
//
// Nothing taken from a message reaches the dialogue unchecked: an address with a control
// character, a blank or an angle bracket is never sent, header texts lose their line breaks,
// and the body and the attachments travel encoded (quoted-printable, base64), so only the
// client itself ends lines.

namespace qv {

class SmtpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Texts are Windows-1252. A recipient entry is "Name <address>" or a bare address; empty
// entries are passed over.
struct SmtpMessage {
    std::string senderAddress;
    std::string senderName;
    std::string subject;
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::vector<std::string> attachments;  // file paths, sent as base64 parts
    std::vector<std::string> lines;        // the plain-text body
};

class SmtpEvents {
  public:
    virtual ~SmtpEvents() = default;
    virtual void OnConnect() {}
    virtual void OnDisconnect() {}
    // Called before every SmtpError the client raises.
    virtual void OnFailure(const std::string& /*reason*/) {}
    // A recipient the server refused, or whose entry holds no address that can be sent.
    virtual void OnRecipientNotFound(const std::string& /*recipient*/) {}
};

class SmtpClient {
  public:
    explicit SmtpClient(SmtpEvents* events = nullptr) : events_(events) {}
    ~SmtpClient();
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    void SetEvents(SmtpEvents* events) { events_ = events; }
    // Bounds the connection and every wait for an answer (default 30 seconds).
    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }

    // Connects and introduces itself as `userId` when that is a plain host-like name, else as
    // "localhost"; OnConnect when done. An open connection is closed first. Raises SmtpError.
    void Connect(const std::string& host, int port, const std::string& userId);
    // QUIT and close; OnDisconnect when a connection was open.
    void Disconnect();
    bool Connected() const { return fd_ >= 0; }

    // Sends the message to every recipient of its three lists. Answers the number of
    // recipients the server accepted; with none, the transaction is reset and nothing is sent.
    // Raises SmtpError when the server refuses the sender or the message or the connection
    // fails (the connection is then closed), IoError when an attachment cannot be read.
    int Send(const SmtpMessage& message);

    // The lines the client sent, for diagnostics (commands only, not the message text).
    const std::vector<std::string>& Commands() const { return commands_; }

  private:
    struct Reply {
        int code = 0;
        std::string text;
    };
    [[noreturn]] void Fail(const std::string& reason, bool closeConnection);
    void Close(bool notify);
    void WriteAll(std::string_view bytes);
    void Command(const std::string& line);
    Reply ReadReply();
    Reply Exchange(const std::string& line) {
        Command(line);
        return ReadReply();
    }

    SmtpEvents* events_ = nullptr;
    int fd_ = -1;
    int timeoutMs_ = 30000;
    std::string inbox_;
    std::vector<std::string> commands_;
};

// The address of a recipient entry: the text between its last "<" and the following ">", or
// the whole entry, without surrounding blanks. nullopt when it is empty or holds a character
// that has no place in an envelope address (controls, blanks, non-ASCII, <>()[],;\"), and
// when the entry holds a line break anywhere.
std::optional<std::string> EnvelopeAddress(std::string_view entry);

// The message as it goes after DATA (before dot-stuffing): headers, then the quoted-printable
// body, with the attachments' contents as base64 parts of a multipart message. `date` is the
// Date header's value; `boundary` separates the parts.
std::string ComposeMessage(const SmtpMessage& message, const std::vector<std::string>& attachmentBytes,
                           const std::string& date, const std::string& boundary);

}  // namespace qv
