#include "support/fake_smtp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace qv::test {

namespace {

void Reply(int fd, const std::string& text) {
    const std::string bytes = text + "\r\n";
    (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

}  // namespace

FakeSmtpServer::FakeSmtpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("bind");
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
}

FakeSmtpServer::~FakeSmtpServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void FakeSmtpServer::RejectRecipient(const std::string& address) {
    std::lock_guard lock(mutex_);
    rejected_.insert(address);
}
void FakeSmtpServer::RefuseEhlo() {
    std::lock_guard lock(mutex_);
    refuseEhlo_ = true;
}
void FakeSmtpServer::SilentAfter(const std::string& command) {
    std::lock_guard lock(mutex_);
    silentAfter_ = command;
}
void FakeSmtpServer::DropAfter(const std::string& command) {
    std::lock_guard lock(mutex_);
    dropAfter_ = command;
}

std::vector<std::string> FakeSmtpServer::Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}
std::vector<std::vector<std::string>> FakeSmtpServer::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}
std::string FakeSmtpServer::Raw() const {
    std::lock_guard lock(mutex_);
    return raw_;
}

bool FakeSmtpServer::Starts(const std::string& line, const std::string& prefix) const {
    return !prefix.empty() && line.compare(0, prefix.size(), prefix) == 0;
}

void FakeSmtpServer::Run() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Serve(fd);
        ::close(fd);
    }
}

void FakeSmtpServer::Serve(int fd) {
    Reply(fd, "220 fake ESMTP");
    std::string inbox;
    bool inData = false;
    bool silent = false;
    std::vector<std::string> message;
    while (!stop_) {
        size_t end;
        while ((end = inbox.find("\r\n")) == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                if (stop_) return;
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            std::lock_guard lock(mutex_);
            raw_.append(buffer, size_t(n));
            inbox.append(buffer, size_t(n));
        }
        const std::string line = inbox.substr(0, end);
        inbox.erase(0, end + 2);
        std::unique_lock lock(mutex_);
        if (inData) {
            if (line != ".") {
                message.push_back(line);
                continue;
            }
            messages_.push_back(message);
            message.clear();
            inData = false;
            lock.unlock();
            if (!silent) Reply(fd, "250 accepted");
            continue;
        }
        commands_.push_back(line);
        const bool drop = Starts(line, dropAfter_);
        silent = silent || Starts(line, silentAfter_);
        std::string answer;
        if (Starts(line, "EHLO"))
            answer = refuseEhlo_ ? "502 not here" : "250-fake greets you\r\n250-8BITMIME\r\n250 SIZE 1000000";
        else if (Starts(line, "HELO") || Starts(line, "MAIL FROM:") || Starts(line, "RSET") ||
                 Starts(line, "NOOP"))
            answer = "250 ok";
        else if (Starts(line, "RCPT TO:<")) {
            const std::string address = line.substr(9, line.size() - 10);
            answer = rejected_.count(address) ? "550 no such user" : "250 ok";
        } else if (Starts(line, "DATA")) {
            answer = "354 go ahead";
            inData = true;
        } else if (Starts(line, "QUIT"))
            answer = "221 bye";
        else
            answer = "500 unknown command";
        lock.unlock();
        if (drop) return;
        if (!silent) Reply(fd, answer);
        if (Starts(line, "QUIT")) return;
    }
}

}  // namespace qv::test
