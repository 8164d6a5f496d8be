#include "support/test_mail_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qv::test {

namespace {

// Debian's interpreter, where python3-aiosmtpd is installed (a python3 earlier on PATH may
// lack the module).
constexpr const char* kPython = "/usr/bin/python3";
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kStopLimit = std::chrono::seconds(3);

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool Exited(pid_t pid) {
    int status;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

TestMailServer::TestMailServer(const MailServerOptions& options) {
    std::vector<std::string> args = {
        kPython,      std::string(QV_SOURCE_DIR) + "/tests/support/test_mail_server.py",
        "--dir",      dir_.Path(),
        "--lifetime", "120"};
    if (!options.startTls) args.push_back("--no-starttls");
    if (!options.user.empty())
        args.insert(args.end(), {"--user", options.user, "--password", options.password});
    for (const std::string& r : options.refuse) args.insert(args.end(), {"--refuse", r});
    if (!options.hangOn.empty()) args.insert(args.end(), {"--hang", options.hangOn});
    for (const std::string& r : options.refuseSender) args.insert(args.end(), {"--refuse-sender", r});
    if (options.noLogin) args.push_back("--no-login");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = dir_ / "server.out";
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + std::string(kPython));

    const auto limit = std::chrono::steady_clock::now() + kStartLimit;
    while (!std::filesystem::exists(dir_ / "port")) {
        const bool exited = Exited(pid_);
        if (exited || std::chrono::steady_clock::now() > limit) {
            if (!exited) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
            pid_ = -1;
            throw std::runtime_error("the test mail server did not start:\n" + Slurp(output));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    port_ = std::stoi(Slurp(dir_ / "port"));
}

TestMailServer::~TestMailServer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto limit = std::chrono::steady_clock::now() + kStopLimit;
    while (!Exited(pid_)) {
        if (std::chrono::steady_clock::now() > limit) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<TestMailServer::Message> TestMailServer::Messages() const {
    std::vector<Message> messages;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "msg-%03d.txt", n);
        if (!std::filesystem::exists(dir_ / name)) return messages;
        const std::string text = Slurp(dir_ / name);
        const size_t body = text.find("\r\n\r\n");
        Message m;
        for (const std::string& line : SplitLines(text.substr(0, body), "\r\n")) {
            const size_t blank = line.find(' ');
            const std::string key = line.substr(0, blank), value = line.substr(blank + 1);
            if (key == "MAIL") m.from = value;
            if (key == "RCPT") m.to.push_back(value);
            if (key == "TLS") m.tls = value == "yes";
            if (key == "LOGIN") m.login = value;
        }
        m.content = text.substr(body + 4);
        messages.push_back(m);
    }
}

std::vector<std::string> TestMailServer::Log() const {
    return SplitLines(Slurp(dir_ / "log.txt"), "\n");
}

std::string HeaderValue(const std::string& content, const std::string& name) {
    const std::vector<std::string> lines = SplitLines(content.substr(0, content.find("\r\n\r\n")), "\r\n");
    std::string value;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(name + ": ", 0) != 0) continue;
        value = lines[i].substr(name.size() + 2);
        while (i + 1 < lines.size() && (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t'))
            value += lines[++i];
    }
    return value;
}

std::string DecodeWords(const std::string& value, size_t* longestWord) {
    static const std::string kStart = "=?windows-1252?B?";
    std::string out;
    size_t longest = 0;
    bool afterWord = false;
    for (size_t i = 0; i < value.size();) {
        if (value.compare(i, kStart.size(), kStart) == 0) {
            const size_t end = value.find("?=", i + kStart.size());
            if (end == std::string::npos) break;
            const std::string data = value.substr(i + kStart.size(), end - i - kStart.size());
            out += QByteArray::fromBase64(QByteArray::fromStdString(data)).toStdString();
            longest = std::max(longest, end + 2 - i);
            i = end + 2;
            afterWord = true;
            continue;
        }
        const size_t next = value.find_first_not_of(" \t", i);
        if (afterWord && next != i && next != std::string::npos &&
            value.compare(next, kStart.size(), kStart) == 0) {
            i = next;
            continue;
        }
        out += value[i++];
        afterWord = false;
    }
    if (longestWord) *longestWord = longest;
    return out;
}

}  // namespace qv::test
