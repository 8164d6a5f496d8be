#pragma once
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// An SMTP server for the tests: a thread listening on 127.0.0.1 (a free port) that answers
// one connection at a time with fixed replies and records the whole dialogue.
namespace qv::test {

class FakeSmtpServer {
  public:
    FakeSmtpServer();
    ~FakeSmtpServer();
    FakeSmtpServer(const FakeSmtpServer&) = delete;
    FakeSmtpServer& operator=(const FakeSmtpServer&) = delete;

    int Port() const { return port_; }

    // Replies: RCPT TO for these addresses gets 550; EHLO gets 502 (HELO is then accepted);
    // after a command beginning with `silentAfter` the server answers nothing more; after
    // one beginning with `dropAfter` it closes the connection.
    void RejectRecipient(const std::string& address);
    void RefuseEhlo();
    void SilentAfter(const std::string& command);
    void DropAfter(const std::string& command);

    // Every command line received, in order (the message text not included).
    std::vector<std::string> Commands() const;
    // Each message's lines as received after DATA, still dot-stuffed, without the final ".".
    std::vector<std::vector<std::string>> Messages() const;
    // Every byte received.
    std::string Raw() const;

  private:
    void Run();
    void Serve(int fd);
    bool Starts(const std::string& line, const std::string& prefix) const;

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::set<std::string> rejected_;
    bool refuseEhlo_ = false;
    std::string silentAfter_;
    std::string dropAfter_;
    std::vector<std::string> commands_;
    std::vector<std::vector<std::string>> messages_;
    std::string raw_;
};

}  // namespace qv::test
