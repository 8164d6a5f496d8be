#include "platform/smtp_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <random>

#include "platform/file_io.h"

namespace qv {

namespace {

constexpr size_t kReplyLineLimit = 4096;
constexpr int kReplyLinesLimit = 1000;
constexpr size_t kEncodedChunk = 45;  // bytes per encoded word: 60 base64 characters
constexpr size_t kQuotedLine = 76;
constexpr size_t kBase64Line = 76;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Header texts keep no control character: each becomes a blank.
std::string Flatten(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (uint8_t(c) < 32 || c == 127) c = ' ';
    return out;
}

std::string Base64(std::string_view bytes, size_t lineLength) {
    static const char* const kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t column = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t b0 = uint8_t(bytes[i]);
        const uint32_t b1 = i + 1 < bytes.size() ? uint8_t(bytes[i + 1]) : 0;
        const uint32_t b2 = i + 2 < bytes.size() ? uint8_t(bytes[i + 2]) : 0;
        const uint32_t v = b0 << 16 | b1 << 8 | b2;
        const char quad[4] = {kDigits[v >> 18 & 63], kDigits[v >> 12 & 63],
                              i + 1 < bytes.size() ? kDigits[v >> 6 & 63] : '=',
                              i + 2 < bytes.size() ? kDigits[v & 63] : '='};
        if (lineLength > 0 && column + 4 > lineLength) {
            out += "\r\n";
            column = 0;
        }
        out.append(quad, 4);
        column += 4;
    }
    return out;
}

bool PlainAscii(std::string_view s) {
    for (char c : s)
        if (uint8_t(c) < 32 || uint8_t(c) > 126) return false;
    return true;
}

// A header text: as it is when short plain ASCII, else encoded words folded one a line.
std::string HeaderText(std::string_view text) {
    const std::string flat = Flatten(text);
    if (PlainAscii(flat) && flat.size() <= 70 && flat.find("=?") == std::string::npos) return flat;
    std::string out;
    for (size_t i = 0; i < flat.size(); i += kEncodedChunk) {
        if (i > 0) out += "\r\n ";
        out += "=?windows-1252?B?" + Base64(std::string_view(flat).substr(i, kEncodedChunk), 0) + "?=";
    }
    return out;
}

// A display name: a quoted string when plain ASCII, else encoded words.
std::string DisplayName(std::string_view name) {
    const std::string flat = Flatten(Trim(name));
    if (!PlainAscii(flat) || flat.size() > 70) return HeaderText(flat);
    std::string out = "\"";
    for (char c : flat) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// "Name" <address>, or the address alone when the entry has no name.
std::string Mailbox(std::string_view entry, const std::string& address) {
    const size_t lt = entry.rfind('<');
    std::string_view name = lt == std::string_view::npos ? std::string_view() : Trim(entry.substr(0, lt));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (name.empty()) return address;
    return DisplayName(name) + " <" + address + ">";
}

std::string MailboxList(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& e : entries) {
        const auto address = EnvelopeAddress(e);
        if (!address) continue;
        if (!out.empty()) out += ",\r\n ";
        out += Mailbox(e, *address);
    }
    return out;
}

std::string QuotedPrintable(const std::vector<std::string>& lines) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const std::string& line : lines) {
        std::string encoded;
        size_t column = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const uint8_t c = uint8_t(line[i]);
            const bool last = i + 1 == line.size();
            std::string piece;
            if ((c >= 33 && c <= 126 && c != '=') || (IsBlank(char(c)) && !last)) {
                piece.assign(1, char(c));
            } else {
                piece = {'=', kHex[c >> 4], kHex[c & 15]};
            }
            // Soft line break: "=" ends the encoded line within 76 characters.
            if (column + piece.size() > kQuotedLine - 1) {
                encoded += "=\r\n";
                column = 0;
            }
            encoded += piece;
            column += piece.size();
        }
        out += encoded + "\r\n";
    }
    return out;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RfcDate() {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %d %s %d %02d:%02d:%02d +0000", kDays[t.tm_wday], t.tm_mday,
                  kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string NewBoundary() {
    static std::mt19937_64 rng(std::random_device{}());
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "=_qv_%016llx", static_cast<unsigned long long>(rng()));
    return buffer;
}

// The name given in EHLO/HELO: the user id when it looks like a host name.
std::string Greeting(const std::string& userId) {
    if (userId.empty() || userId.size() > 255) return "localhost";
    for (char c : userId)
        if (!(std::isalnum(uint8_t(c)) && uint8_t(c) < 128) && c != '.' && c != '-' && c != '_')
            return "localhost";
    return userId;
}

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::optional<std::string> EnvelopeAddress(std::string_view entry) {
    // A line break anywhere makes the whole entry suspect, name included.
    if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return std::nullopt;
    std::string_view address = entry;
    const size_t lt = entry.rfind('<');
    if (lt != std::string_view::npos) {
        const size_t gt = entry.find('>', lt);
        if (gt == std::string_view::npos || !Trim(entry.substr(gt + 1)).empty()) return std::nullopt;
        address = entry.substr(lt + 1, gt - lt - 1);
    }
    address = Trim(address);
    if (address.empty()) return std::nullopt;
    for (char c : address) {
        const uint8_t b = uint8_t(c);
        if (b <= 32 || b >= 127 || std::strchr("<>()[],;\\\"", c)) return std::nullopt;
    }
    return std::string(address);
}

std::string ComposeMessage(const SmtpMessage& message, const std::vector<std::string>& attachmentBytes,
                           const std::string& date, const std::string& boundary) {
    std::string out;
    const auto sender = EnvelopeAddress(message.senderAddress);
    const std::string senderAddress = sender ? *sender : std::string();
    out += "From: ";
    out += Trim(message.senderName).empty() ? senderAddress
                                            : DisplayName(message.senderName) + " <" + senderAddress + ">";
    out += "\r\n";
    const std::string to = MailboxList(message.to);
    if (!to.empty()) out += "To: " + to + "\r\n";
    const std::string cc = MailboxList(message.cc);
    if (!cc.empty()) out += "Cc: " + cc + "\r\n";
    out += "Subject: " + HeaderText(message.subject) + "\r\n";
    out += "Date: " + date + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    const std::string textHeaders =
        "Content-Type: text/plain; charset=windows-1252\r\nContent-Transfer-Encoding: quoted-printable\r\n";
    if (message.attachments.empty()) {
        out += textHeaders + "\r\n" + QuotedPrintable(message.lines);
        return out;
    }
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + "\r\n" + textHeaders + "\r\n" + QuotedPrintable(message.lines);
    for (size_t i = 0; i < message.attachments.size() && i < attachmentBytes.size(); ++i) {
        std::string name = Flatten(BaseName(message.attachments[i]));
        for (char& c : name)
            if (c == '"' || c == '\\') c = '_';
        if (!PlainAscii(name)) name = HeaderText(name);
        out += "--" + boundary + "\r\n";
        out += "Content-Type: application/octet-stream; name=\"" + name + "\"\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n";
        const std::string encoded = Base64(attachmentBytes[i], kBase64Line);
        out += encoded;
        if (!encoded.empty()) out += "\r\n";
    }
    out += "--" + boundary + "--\r\n";
    return out;
}

SmtpClient::~SmtpClient() {
    if (fd_ < 0) return;
    // Best effort: the object goes away, nobody listens for the answer or the notifications.
    events_ = nullptr;
    try {
        Command("QUIT");
    } catch (const SmtpError&) {
    }
    Close(false);
}

void SmtpClient::Fail(const std::string& reason, bool closeConnection) {
    if (closeConnection) Close(true);
    if (events_) events_->OnFailure(reason);
    throw SmtpError(reason);
}

void SmtpClient::Close(bool notify) {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    inbox_.clear();
    if (notify && events_) events_->OnDisconnect();
}

void SmtpClient::Connect(const std::string& host, int port, const std::string& userId) {
    if (fd_ >= 0) Disconnect();
    commands_.clear();
    if (port < 1 || port > 65535) Fail("Porta non valida: " + std::to_string(port), false);
    if (host.empty() || !PlainAscii(host)) Fail("Host non valido", false);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) Fail("Host sconosciuto: " + host + " (" + ::gai_strerror(rc) + ")", false);

    std::string lastError = "nessun indirizzo";
    for (addrinfo* a = found; a && fd_ < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            lastError = std::strerror(errno);
            continue;
        }
        int err = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, timeoutMs_);
                socklen_t len = sizeof err;
                if (ready <= 0)
                    err = ETIMEDOUT;
                else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                    err = errno;
            }
        }
        if (err != 0) {
            lastError = std::strerror(err);
            ::close(fd);
            continue;
        }
        fd_ = fd;
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) Fail("Connessione non riuscita con " + host + ": " + lastError, false);

    const Reply greeting = ReadReply();
    if (greeting.code != 220) Fail("Il server rifiuta la connessione: " + greeting.text, true);
    const std::string name = Greeting(userId);
    Reply hello = Exchange("EHLO " + name);
    if (hello.code / 100 == 5) hello = Exchange("HELO " + name);
    if (hello.code / 100 != 2) Fail("Il server rifiuta il saluto: " + hello.text, true);
    if (events_) events_->OnConnect();
}

void SmtpClient::Disconnect() {
    if (fd_ < 0) return;
    try {
        Exchange("QUIT");
    } catch (const SmtpError&) {
        // The connection is gone either way.
    }
    Close(true);
}

void SmtpClient::WriteAll(std::string_view bytes) {
    const int64_t deadline = NowMs() + timeoutMs_;
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd_, POLLOUT, 0};
            const int64_t left = deadline - NowMs();
            if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) Fail("Tempo scaduto scrivendo al server", true);
            continue;
        }
        Fail(std::string("Connessione interrotta: ") + std::strerror(errno), true);
    }
}

void SmtpClient::Command(const std::string& line) {
    if (fd_ < 0) Fail("Non connesso", false);
    // Only the client's own checked texts get here; a line break would start a new command.
    if (line.find_first_of("\r\n") != std::string::npos) Fail("Comando non valido", false);
    commands_.push_back(line);
    WriteAll(line + "\r\n");
}

SmtpClient::Reply SmtpClient::ReadReply() {
    Reply reply;
    const int64_t deadline = NowMs() + timeoutMs_;
    for (int lines = 0; lines < kReplyLinesLimit; ++lines) {
        size_t end;
        while ((end = inbox_.find('\n')) == std::string::npos) {
            if (inbox_.size() > kReplyLineLimit) Fail("Risposta del server troppo lunga", true);
            pollfd p{fd_, POLLIN, 0};
            const int64_t left = deadline - NowMs();
            if (left <= 0) Fail("Tempo scaduto in attesa del server", true);
            const int ready = ::poll(&p, 1, int(left));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) Fail("Tempo scaduto in attesa del server", true);
            char buffer[1024];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
            if (n <= 0) Fail("Connessione chiusa dal server", true);
            inbox_.append(buffer, size_t(n));
        }
        std::string line = inbox_.substr(0, end);
        inbox_.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 3 || !std::isdigit(uint8_t(line[0])) || !std::isdigit(uint8_t(line[1])) ||
            !std::isdigit(uint8_t(line[2])) || (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
            Fail("Risposta del server non valida: " + Flatten(line), true);
        const int code = std::stoi(line.substr(0, 3));
        if (lines > 0 && code != reply.code) Fail("Risposta del server non valida: " + Flatten(line), true);
        reply.code = code;
        if (!reply.text.empty()) reply.text += ' ';
        reply.text += Flatten(line);
        if (line.size() == 3 || line[3] == ' ') return reply;
    }
    Fail("Risposta del server troppo lunga", true);
}

int SmtpClient::Send(const SmtpMessage& message) {
    if (fd_ < 0) Fail("Non connesso", false);
    std::string sender;
    if (!Trim(message.senderAddress).empty()) {
        const auto address = EnvelopeAddress(message.senderAddress);
        if (!address) Fail("Indirizzo del mittente non valido", false);
        sender = *address;
    }
    // Attachments are read before the transaction starts, so that a missing file leaves the
    // server untouched.
    std::vector<std::string> attachments;
    for (const std::string& path : message.attachments) attachments.push_back(ReadFileOrThrow(path));
    const std::string text = ComposeMessage(message, attachments, RfcDate(), NewBoundary());

    const Reply mail = Exchange("MAIL FROM:<" + sender + ">");
    if (mail.code / 100 != 2) {
        Exchange("RSET");
        Fail("Mittente rifiutato: " + mail.text, false);
    }
    int accepted = 0;
    for (const auto* list : {&message.to, &message.cc, &message.bcc}) {
        for (const std::string& entry : *list) {
            if (Trim(entry).empty()) continue;
            const auto address = EnvelopeAddress(entry);
            if (!address) {
                if (events_) events_->OnRecipientNotFound(Flatten(entry));
                continue;
            }
            const Reply rcpt = Exchange("RCPT TO:<" + *address + ">");
            if (rcpt.code / 100 == 2)
                ++accepted;
            else if (events_)
                events_->OnRecipientNotFound(*address);
        }
    }
    if (accepted == 0) {
        Exchange("RSET");
        return 0;
    }
    const Reply data = Exchange("DATA");
    if (data.code != 354) {
        Exchange("RSET");
        Fail("Messaggio rifiutato: " + data.text, false);
    }
    // Dot-stuffing: a line that begins with a point gets another one.
    std::string wire;
    wire.reserve(text.size() + text.size() / 64 + 8);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        if (text[start] == '.') wire += '.';
        wire.append(text, start, end - start);
        wire += "\r\n";
        start = end + 2;
    }
    wire += ".\r\n";
    WriteAll(wire);
    const Reply done = ReadReply();
    if (done.code / 100 != 2) Fail("Messaggio rifiutato: " + done.text, false);
    return accepted;
}

}  // namespace qv
