// A small HTTP server on 127.0.0.1 for tests that load pages: it serves the
// pages a test sets (anything else is 404), records every path asked for, and
// answers without caching. It runs on its own thread from construction to
// destruction.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalWebServer {
  public:
    // Listens on a free port; check port() > 0.
    LocalWebServer();
    ~LocalWebServer();
    LocalWebServer(const LocalWebServer&) = delete;
    LocalWebServer& operator=(const LocalWebServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string address() const;
    // Serves `body` at `path` (the query is ignored when matching).
    void setPage(const std::string& path, std::string body, std::string type = "text/html; charset=utf-8");
    // How often `path` was asked for (the query ignored).
    int requests(const std::string& path) const;

  private:
    void run();
    struct Page {
        std::string body;
        std::string type;
    };
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_;
    std::vector<std::string> asked_;
    int listenFd_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::thread thread_;
};
