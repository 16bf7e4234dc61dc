// The tests' local HTTP server. See localWebServer.h.
#include "localWebServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

LocalWebServer::LocalWebServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0 || ::pipe2(wake_, O_CLOEXEC) != 0) return;
    int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = 0;
    socklen_t length = sizeof at;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&at), &length) != 0)
        return;
    port_ = ntohs(at.sin_port);
    thread_ = std::thread([this] { run(); });
}

LocalWebServer::~LocalWebServer() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!::write(wake_[1], &stop, 1);
        thread_.join();
    }
    for (int fd : {listenFd_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

std::string LocalWebServer::address() const { return "http://127.0.0.1:" + std::to_string(port_); }

void LocalWebServer::setPage(const std::string& path, std::string body, std::string type) {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_[path] = Page{std::move(body), std::move(type)};
}

int LocalWebServer::requests(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(asked_.begin(), asked_.end(), path));
}

void LocalWebServer::run() {
    // Each client is read until its request header is complete, answered and closed.
    std::map<int, std::string> clients;
    for (;;) {
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listenFd_, POLLIN, 0}};
        for (const auto& [fd, _] : clients) fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) clients[client];
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            const int fd = fds[i].fd;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            std::string& request = clients[fd];
            if (n > 0) request.append(buffer, static_cast<size_t>(n));
            if (n > 0 && request.find("\r\n\r\n") == std::string::npos) continue;
            if (n > 0) {
                // "GET /path?query HTTP/1.1"
                const size_t start = request.find(' ') + 1;
                std::string path = request.substr(start, request.find(' ', start) - start);
                path = path.substr(0, path.find('?'));
                std::string status = "404 Not Found", body = "not here", type = "text/plain";
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    asked_.push_back(path);
                    auto page = pages_.find(path);
                    if (page != pages_.end()) {
                        status = "200 OK";
                        body = page->second.body;
                        type = page->second.type;
                    }
                }
                const std::string answer = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                                           "\r\nContent-Length: " + std::to_string(body.size()) +
                                           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
                size_t sent = 0;
                while (sent < answer.size()) {
                    const ssize_t w = ::write(fd, answer.data() + sent, answer.size() - sent);
                    if (w <= 0) break;
                    sent += static_cast<size_t>(w);
                }
            }
            ::close(fd);
            clients.erase(fd);
        }
    }
    for (const auto& [fd, _] : clients) ::close(fd);
}
