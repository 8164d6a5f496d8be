#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The SMTP client: the program composes each message itself (headers, quoted-printable body,
// base64 attachments) and hands the finished text to libcurl, which carries the dialogue:
// TLS (implicit on port 465, STARTTLS elsewhere), the login, dot-stuffing, time-outs. One
// connection serves every message until Disconnect. Everything runs on the caller's thread; the
// notifications are called from inside Connect, Disconnect and Send.
//
// Nothing taken from a message reaches the dialogue unchecked: an address with a control
// character, a blank or an angle bracket is never sent, header texts lose their line breaks,
// and the body and the attachments travel encoded (quoted-printable, base64), so only the
// client itself ends lines.

namespace qv {

// What went wrong, so that the dialog can say it in the user's words. When the server refused,
// the error's text is its reply (code and text).
enum class SmtpFault {
    BadHost,
    BadPort,
    BadSender,
    NotConnected,
    Connect,      // no connection to the host and port
    NoTls,        // the server offers no STARTTLS and a password would travel in clear
    Certificate,  // the server's certificate does not verify
    Tls,          // the TLS handshake failed otherwise
    Login,        // user id or password refused, or a login the server asks for
    NoLogin,      // a password was typed but the server offers no login
    Timeout,      // the server stopped answering
    Dropped,      // the server closed the connection
    Refused,      // the server refused the sender or the message
    Other,
};

class SmtpError : public std::runtime_error {
  public:
    SmtpError(SmtpFault fault, const std::string& detail) : std::runtime_error(detail), fault_(fault) {}
    SmtpFault Fault() const { return fault_; }

  private:
    SmtpFault fault_;
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
    // A recipient the server refused, with the server's reply (code and text), or whose entry
    // holds no address that can be sent (reply empty).
    virtual void OnRecipientNotFound(const std::string& /*recipient*/, const std::string& /*reply*/) {}
};

class SmtpClient {
  public:
    explicit SmtpClient(SmtpEvents* events = nullptr);
    ~SmtpClient();
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    void SetEvents(SmtpEvents* events) { events_ = events; }
    // Bounds the connection and every wait for an answer (default 30 seconds); waits are
    // counted in whole seconds.
    void SetTimeout(int milliseconds);
    // Certificates are verified against this authority file instead of the system's store,
    // from the next Connect.
    void SetCaFile(const std::string& path) { caFile_ = path; }

    // Connects, secures the connection and logs in with `userId` when a password is given (a
    // password never travels without TLS, and is refused with NoLogin when the server, after
    // STARTTLS, offers no login); OnConnect when done. An open connection is closed first.
    // Raises SmtpError.
    void Connect(const std::string& host, int port, const std::string& userId, const std::string& password);
    // QUIT and close; OnDisconnect when a connection was open.
    void Disconnect();
    bool Connected() const { return curl_ != nullptr; }

    // Sends the message to every recipient of its three lists. Answers the number of
    // recipients the server accepted; with none, nothing is sent. Raises SmtpError when the
    // sender is not an address, the server refuses the sender or the message, or the
    // connection fails (the connection is then closed), IoError when an attachment cannot be
    // read.
    int Send(const SmtpMessage& message);

  private:
    struct Dialogue;
    [[noreturn]] void Fail(SmtpFault fault, const std::string& reason, bool closeConnection);
    void Close(bool notify);
    // Runs one exchange on the connection; answers libcurl's result code.
    int Perform(Dialogue& dialogue);

    SmtpEvents* events_ = nullptr;
    void* curl_ = nullptr;  // the libcurl handle; it keeps the connection between sends
    int timeoutMs_ = 30000;
    std::string caFile_;
};

// The address of a recipient entry: the text between its last "<" and the following ">", or
// the whole entry, without surrounding blanks. nullopt when it is empty or holds a character
// that has no place in an envelope address (controls, blanks, non-ASCII, <>()[],;\"), and
// when the entry holds a line break anywhere.
std::optional<std::string> EnvelopeAddress(std::string_view entry);
// The sender's address: an envelope address of the form local@domain, else nullopt.
std::optional<std::string> SenderAddress(std::string_view entry);

// The message as handed to the transport: headers, then the quoted-printable body, with the
// attachments' contents as base64 parts of a multipart message. `date` is the Date header's
// value, `messageId` the Message-ID's (without brackets); `boundary` separates the parts.
std::string ComposeMessage(const SmtpMessage& message, const std::vector<std::string>& attachmentBytes,
                           const std::string& date, const std::string& messageId,
                           const std::string& boundary);

}  // namespace qv
