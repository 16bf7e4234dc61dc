// The tests' HTTP server: one thread accepts, one thread per connection
// answers; both wait with poll on their socket and on a stop pipe, so the
// destructor ends every wait at once and joins every thread.
#include "httpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace httptest {

namespace {

const char* reasonOf(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

void sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return;
        data.remove_prefix(static_cast<size_t>(n));
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Server::Server() {
    if (::pipe(stopPipe_) != 0) return;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return;
    }
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

Server::~Server() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (stopPipe_[1] >= 0) (void)!::write(stopPipe_[1], "x", 1);
    if (acceptor_.joinable()) acceptor_.join();
    for (std::thread& t : connections_) t.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    for (int fd : stopPipe_)
        if (fd >= 0) ::close(fd);
}

std::string Server::base() const { return "http://127.0.0.1:" + std::to_string(port_); }

void Server::serve(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    table_[path] = std::move(response);
}

void Server::setBehaviour(Behaviour behaviour) {
    std::lock_guard lock(mutex_);
    behaviour_ = behaviour;
}

void Server::release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

std::vector<std::string> Server::targets() const {
    std::lock_guard lock(mutex_);
    return targets_;
}

int Server::requests(const std::string& path) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const std::string& target : targets_)
        if (target.substr(0, target.find('?')) == path) ++n;
    return n;
}

bool Server::waitForRequests(size_t count, int ms) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return targets_.size() >= count; });
}

bool Server::waitReadable(int fd) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    while (true) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[1].revents & POLLIN)) return false;
        if (fds[0].revents) return true;
    }
}

void Server::acceptLoop() {
    while (waitReadable(listenFd_)) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] {
            handle(fd);
            ::close(fd);
        });
    }
}

void Server::handle(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (!waitReadable(fd)) return;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<size_t>(n));
    }
    // "GET <target> HTTP/1.1"
    const size_t space = request.find(' ');
    const size_t space2 = request.find(' ', space + 1);
    if (space == std::string::npos || space2 == std::string::npos) return;
    const std::string target = request.substr(space + 1, space2 - space - 1);

    Behaviour behaviour;
    Response response{404, "not here"};
    {
        std::unique_lock lock(mutex_);
        targets_.push_back(target);
        behaviour = behaviour_;
        const auto found = table_.find(target.substr(0, target.find('?')));
        if (found != table_.end()) response = found->second;
    }
    changed_.notify_all();

    if (behaviour == Behaviour::BlackHole) {
        // Hold the connection without a word until the server stops; what
        // the client sends meanwhile is read and dropped.
        while (waitReadable(fd))
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0) break;
        return;
    }
    if (behaviour == Behaviour::Hold) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return released_ || stopping_; });
        if (stopping_) return;
    }
    const std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + reasonOf(response.status) +
                             "\r\nContent-Type: " + response.type +
                             "\r\nContent-Length: " + std::to_string(response.body.size()) +
                             "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    sendAll(fd, head);
    if (behaviour == Behaviour::DropMidBody) {
        sendAll(fd, std::string_view(response.body).substr(0, response.body.size() / 2));
        ::shutdown(fd, SHUT_RDWR);
        return;
    }
    sendAll(fd, response.body);
}

int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (fd >= 0) ::close(fd);
    return port;
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string queryValue(std::string_view target, std::string_view key) {
    const size_t q = target.find('?');
    if (q == std::string_view::npos) return {};
    std::string_view query = target.substr(q + 1);
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const size_t eq = pair.find('=');
        if (pair.substr(0, eq) == key)
            return eq == std::string_view::npos ? "" : percentDecode(pair.substr(eq + 1));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

}  // namespace httptest
