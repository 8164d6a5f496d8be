#include "platform/smtp_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

#include "platform/file_io.h"

namespace qv {

namespace {

// Bytes per encoded word: 48 base64 characters, a word of 67, so that even "Subject: " and the
// first word stay within the 76 characters a line with encoded words may have.
constexpr size_t kEncodedChunk = 36;
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

// "Name" <address>, or the address alone without a name. After encoded words the address
// goes on a line of its own, which keeps those lines within their 76 characters.
std::string NamedAddress(std::string_view name, const std::string& address) {
    if (Trim(name).empty()) return address;
    const std::string shown = DisplayName(name);
    return shown + (shown.front() == '"' ? " <" : "\r\n <") + address + ">";
}

std::string Mailbox(std::string_view entry, const std::string& address) {
    const size_t lt = entry.rfind('<');
    std::string_view name = lt == std::string_view::npos ? std::string_view() : Trim(entry.substr(0, lt));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    return NamedAddress(name, address);
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

std::string NewMessageId(const std::string& sender) {
    static std::mt19937_64 rng(std::random_device{}());
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    char buffer[64];
    std::snprintf(
        buffer, sizeof buffer, "%llx.%016llx",
        static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
        static_cast<unsigned long long>(rng()));
    return buffer + sender.substr(sender.rfind('@'));
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

std::optional<std::string> SenderAddress(std::string_view entry) {
    auto address = EnvelopeAddress(entry);
    if (!address) return std::nullopt;
    const size_t at = address->find('@');
    if (at == 0 || at == std::string::npos || address->find('@', at + 1) != std::string::npos)
        return std::nullopt;
    const std::string_view domain = std::string_view(*address).substr(at + 1);
    if (domain.empty() || domain.front() == '.' || domain.back() == '.' ||
        domain.find("..") != std::string_view::npos)
        return std::nullopt;
    return address;
}

std::string ComposeMessage(const SmtpMessage& message, const std::vector<std::string>& attachmentBytes,
                           const std::string& date, const std::string& messageId,
                           const std::string& boundary) {
    std::string out;
    const auto sender = EnvelopeAddress(message.senderAddress);
    const std::string senderAddress = sender ? *sender : std::string();
    out += "From: ";
    out += NamedAddress(message.senderName, senderAddress);
    out += "\r\n";
    const std::string to = MailboxList(message.to);
    if (!to.empty()) out += "To: " + to + "\r\n";
    const std::string cc = MailboxList(message.cc);
    if (!cc.empty()) out += "Cc: " + cc + "\r\n";
    out += "Subject: " + HeaderText(message.subject) + "\r\n";
    out += "Date: " + date + "\r\n";
    out += "Message-ID: <" + messageId + ">\r\n";
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

namespace {

CURL* Handle(void* curl) {
    return static_cast<CURL*>(curl);
}

// The answers of the server, read from libcurl's trace of the dialogue: the first refusal of
// the exchange (the reason it failed; the QUIT that libcurl sends after it answers 221 and
// says nothing), the code of each RCPT in order, and whether the last EHLO offered a login.
struct Trace {
    int refusalCode = 0;
    std::string refusal;
    int pendingRcpt = 0;
    std::vector<int> rcptCodes;
    std::vector<std::string> rcptReplies;
    bool loginOffered = false;
};

bool StartsWithNoCase(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::toupper(uint8_t(text[i])) != word[i]) return false;
    return true;
}

// A reply line as the user is shown it: on one line, at most 200 characters.
std::string ReplyLine(std::string_view text) {
    std::string line = Flatten(text.substr(0, std::min<size_t>(text.size(), 200)));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

int OnTrace(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    // The QUIT of a closing handle is traced with no listener.
    if (!user) return 0;
    auto& trace = *static_cast<Trace*>(user);
    const std::string_view text(data, size);
    if (type == CURLINFO_HEADER_OUT) {
        if (text.rfind("RCPT TO:", 0) == 0) ++trace.pendingRcpt;
        if (StartsWithNoCase(text, "EHLO")) trace.loginOffered = false;
        return 0;
    }
    if (type != CURLINFO_HEADER_IN || text.size() < 3 || !std::isdigit(uint8_t(text[0]))) return 0;
    // "250-AUTH PLAIN LOGIN": a login offered only when some mechanism follows the word.
    if (text.size() > 4 && text.substr(0, 3) == "250" && StartsWithNoCase(text.substr(4), "AUTH")) {
        const std::string mechanisms = Flatten(text.substr(std::min<size_t>(text.size(), 8)));
        if (text.size() > 8 && IsBlank(text[8]) && !Trim(mechanisms).empty()) trace.loginOffered = true;
    }
    if (text.size() > 3 && text[3] == '-') return 0;
    // The last line of a reply.
    const int code = std::atoi(std::string(text.substr(0, 3)).c_str());
    if (trace.pendingRcpt > 0) {
        // A refused recipient is told by itself and does not stop the message.
        --trace.pendingRcpt;
        trace.rcptCodes.push_back(code);
        trace.rcptReplies.push_back(ReplyLine(text));
        return 0;
    }
    if (code >= 400 && trace.refusalCode == 0) {
        trace.refusalCode = code;
        trace.refusal = ReplyLine(text);
    }
    return 0;
}

size_t Discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

struct Upload {
    std::string_view rest;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
    auto& upload = *static_cast<Upload*>(user);
    const size_t n = std::min(size * count, upload.rest.size());
    std::memcpy(buffer, upload.rest.data(), n);
    upload.rest.remove_prefix(n);
    return n;
}

// Hosts are names or addresses; nothing that could change the meaning of the URL.
bool HostUsable(const std::string& host) {
    if (host.empty() || host.size() > 253) return false;
    for (char c : host)
        if (!std::isalnum(uint8_t(c)) && !std::strchr(".-_:[]", c)) return false;
    return true;
}

SmtpFault Classify(CURLcode rc, const Trace& trace) {
    switch (rc) {
        case CURLE_OPERATION_TIMEDOUT:
            return SmtpFault::Timeout;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return SmtpFault::Connect;
        case CURLE_USE_SSL_FAILED:
            return SmtpFault::NoTls;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
            return SmtpFault::Certificate;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
            return SmtpFault::Tls;
        case CURLE_LOGIN_DENIED:
        case CURLE_AUTH_ERROR:
            return SmtpFault::Login;
        default:
            break;
    }
    // 530: the server wants a login before it takes anything.
    if (trace.refusalCode == 530) return SmtpFault::Login;
    if (trace.refusalCode >= 400) return SmtpFault::Refused;
    if (rc == CURLE_GOT_NOTHING || rc == CURLE_RECV_ERROR || rc == CURLE_SEND_ERROR)
        return SmtpFault::Dropped;
    return SmtpFault::Other;
}

}  // namespace

struct SmtpClient::Dialogue {
    Trace trace;
    char error[CURL_ERROR_SIZE] = {};
    // The reason for a failure: the server's own refusal, code and text, when it refused;
    // else libcurl's words.
    std::string Reason(int rc) const {
        if (trace.refusalCode >= 400) return trace.refusal;
        return error[0] ? error : curl_easy_strerror(CURLcode(rc));
    }
};

SmtpClient::SmtpClient(SmtpEvents* events) : events_(events) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

SmtpClient::~SmtpClient() {
    // The object goes away: nobody listens for the notifications.
    events_ = nullptr;
    Close(false);
}

void SmtpClient::Fail(SmtpFault fault, const std::string& reason, bool closeConnection) {
    if (closeConnection) Close(true);
    if (events_) events_->OnFailure(reason);
    throw SmtpError(fault, reason);
}

void SmtpClient::Close(bool notify) {
    if (!curl_) return;
    // Sends QUIT on a connection that is still open.
    curl_easy_cleanup(Handle(curl_));
    curl_ = nullptr;
    if (notify && events_) events_->OnDisconnect();
}

int SmtpClient::Perform(Dialogue& dialogue) {
    CURL* curl = Handle(curl_);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, dialogue.error);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &dialogue.trace);
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, nullptr);
    return rc;
}

void SmtpClient::Connect(const std::string& host, int port, const std::string& userId,
                         const std::string& password) {
    if (curl_) Disconnect();
    if (port < 1 || port > 65535) Fail(SmtpFault::BadPort, std::to_string(port), false);
    if (!HostUsable(host)) Fail(SmtpFault::BadHost, Flatten(host), false);
    curl_ = curl_easy_init();
    if (!curl_) Fail(SmtpFault::Other, "libcurl", false);
    CURL* curl = Handle(curl_);
    const bool bareIpv6 = host.find(':') != std::string::npos && host.front() != '[';
    const std::string authority = (bareIpv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    // 465 speaks TLS from the first byte; elsewhere the connection is upgraded by STARTTLS,
    // which becomes a must as soon as a password would go over it.
    curl_easy_setopt(curl, CURLOPT_URL, ((port == 465 ? "smtps://" : "smtp://") + authority).c_str());
    curl_easy_setopt(curl, CURLOPT_USE_SSL, long(password.empty() ? CURLUSESSL_TRY : CURLUSESSL_ALL));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile_.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile_.c_str());
    if (!password.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, userId.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    }
    SetTimeout(timeoutMs_);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnTrace);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    // NOOP: the connection, TLS and the login, without sending anything; the connection then
    // stays open in the handle for the messages.
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    Dialogue dialogue;
    const int rc = Perform(dialogue);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    if (rc != CURLE_OK) {
        // Never connected as far as the user is concerned: no disconnect notification.
        Close(false);
        // A login refused before any was offered: the server has none to offer.
        const bool noLogin =
            rc == CURLE_LOGIN_DENIED && !dialogue.trace.loginOffered && dialogue.trace.refusalCode == 0;
        Fail(noLogin ? SmtpFault::NoLogin : Classify(CURLcode(rc), dialogue.trace), dialogue.Reason(rc),
             false);
    }
    // libcurl passes over the login when the server offers none; a typed password would then
    // go unused and the first message be refused.
    if (!password.empty() && !dialogue.trace.loginOffered) {
        Close(false);
        Fail(SmtpFault::NoLogin, "", false);
    }
    if (events_) events_->OnConnect();
}

void SmtpClient::SetTimeout(int milliseconds) {
    timeoutMs_ = milliseconds;
    if (!curl_) return;
    CURL* curl = Handle(curl_);
    const long seconds = std::max(1L, long((timeoutMs_ + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs_));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
    // A server that stops taking the message mid-way: less than a byte a second is a stop.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
}

void SmtpClient::Disconnect() {
    Close(true);
}

int SmtpClient::Send(const SmtpMessage& message) {
    if (!curl_) Fail(SmtpFault::NotConnected, "", false);
    const auto sender = SenderAddress(message.senderAddress);
    if (!sender) Fail(SmtpFault::BadSender, Flatten(message.senderAddress), false);
    // Attachments are read before the transaction starts, so that a missing file leaves the
    // server untouched.
    std::vector<std::string> attachments;
    for (const std::string& path : message.attachments) attachments.push_back(ReadFileOrThrow(path));
    std::vector<std::string> recipients;
    for (const auto* list : {&message.to, &message.cc, &message.bcc}) {
        for (const std::string& entry : *list) {
            if (Trim(entry).empty()) continue;
            if (const auto address = EnvelopeAddress(entry))
                recipients.push_back(*address);
            else if (events_)
                events_->OnRecipientNotFound(Flatten(entry), std::string());
        }
    }
    if (recipients.empty()) return 0;
    const std::string text =
        ComposeMessage(message, attachments, RfcDate(), NewMessageId(*sender), NewBoundary());

    CURL* curl = Handle(curl_);
    curl_slist* rcpt = nullptr;
    for (const std::string& r : recipients) rcpt = curl_slist_append(rcpt, ("<" + r + ">").c_str());
    Upload upload{text};
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + *sender + ">").c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    // A refused recipient does not stop the message to the others.
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT_ALLLOWFAILS, 1L);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(text.size()));
    Dialogue dialogue;
    const int rc = Perform(dialogue);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    curl_slist_free_all(rcpt);

    int accepted = 0;
    const std::vector<int>& codes = dialogue.trace.rcptCodes;
    for (size_t i = 0; i < codes.size() && i < recipients.size(); ++i) {
        if (codes[i] / 100 == 2)
            ++accepted;
        else if (events_)
            events_->OnRecipientNotFound(recipients[i], dialogue.trace.rcptReplies[i]);
    }
    if (rc == CURLE_OK) return accepted;
    // Every recipient refused: nothing was sent; libcurl closes that connection, and the next
    // message opens a new one by itself.
    if (accepted == 0 && codes.size() == recipients.size()) return 0;
    Fail(Classify(CURLcode(rc), dialogue.trace), dialogue.Reason(rc), true);
}

}  // namespace qv
