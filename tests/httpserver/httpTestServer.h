// A small HTTP/1.1 server on 127.0.0.1 for the tests and benchmarks that
// talk to the web service or load pages. It answers GET requests from a table
// of paths (never to be cached) and can misbehave on purpose: break a body
// off halfway, accept connections and never answer, or hold its answers until
// the test releases them. Every request's target (path and query) is kept in
// order of arrival.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httptest {

enum class Behaviour {
    Answer,       // the table's answer (404 for paths not in it)
    DropMidBody,  // the headers announce the whole body; half of it comes, then the connection closes
    BlackHole,    // the request is read, nothing is ever answered
    Hold,         // answered once release() is called
};

inline constexpr const char* kHtml = "text/html; charset=utf-8";

struct Response {
    int status = 200;
    std::string body;
    std::string type = "text/plain; charset=utf-8";
};

class Server {
  public:
    Server();  // listens on a free port of 127.0.0.1
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    int port() const { return port_; }
    std::string base() const;  // "http://127.0.0.1:<port>"

    void serve(const std::string& path, Response response);
    void setBehaviour(Behaviour behaviour);
    void release();  // held answers go out now, later requests are answered at once

    std::vector<std::string> targets() const;
    // How many requests asked for the path (their queries aside).
    int requests(const std::string& path) const;
    // Waits until `count` requests have arrived or `ms` have passed.
    bool waitForRequests(size_t count, int ms) const;

  private:
    void acceptLoop();
    void handle(int fd);
    bool waitReadable(int fd) const;  // false when the server stops

    int listenFd_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};  // written once at stop, never drained: wakes every wait
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::string, Response> table_;
    Behaviour behaviour_ = Behaviour::Answer;
    bool released_ = false;
    bool stopping_ = false;
    std::vector<std::string> targets_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A port of 127.0.0.1 nobody listens on (just bound and released).
int closedPort();

// Decodes %XX escapes ("+" stays "+").
std::string percentDecode(std::string_view text);

// The value of a key in a request target's query, decoded; empty when absent.
std::string queryValue(std::string_view target, std::string_view key);

}  // namespace httptest
