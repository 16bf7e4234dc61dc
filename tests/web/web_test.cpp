// The web connection against a local HTTP server: downloads and requests,
// every way a transfer can fail (and that a failed download never leaves a
// half file), the limits, an abort from another thread, the connected-state
// check and percent-encoding.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "httpTestServer.h"
#include "networkState.h"
#include "report.h"
#include "testsupport.h"
#include "web.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// No proxy of the machine stands between the tests and their local server.
struct NoProxy {
    testsupport::ScopedEnv lower{"no_proxy", "*"}, upper{"NO_PROXY", "*"};
};

std::unique_ptr<web> open(NetworkState& network, webLimits limits = {}, bool skipCheck = true) {
    std::unique_ptr<web> w;
    EXPECT_EQ(webInit(w, nullptr, skipCheck, "Tobrel", &network, limits), OKAY);
    EXPECT_TRUE(w && !w->offline);
    return w;
}

TEST(web, ReceiveWritesTheBodyAsItCameAndRequestReachesTheServer) {
    NoProxy noProxy;
    httptest::Server server;
    ASSERT_TRUE(server.listening());
    std::string body("line one\r\nline two\n");
    body.push_back('\0');
    body += std::string(10000, 'x');  // several blocks
    server.serve("/files/a.txt", {200, body});
    server.serve("/ping", {200, "pong"});
    ScriptedNetworkState network;
    auto w = open(network);
    testsupport::TempDir dir;

    for (bool byteMode : {true, false}) {
        const std::string path = dir.file(byteMode ? "deep/er/bytes.txt" : "text.txt");
        bool failed = true;
        ASSERT_EQ(webReceive(w.get(), server.base() + "/files/a.txt", path, byteMode, true, failed), OKAY);
        EXPECT_FALSE(failed);
        EXPECT_EQ(testsupport::readText(path), body) << byteMode;
        EXPECT_FALSE(fs::exists(path + ".part"));
    }

    bool failed = true;
    ASSERT_EQ(webRequest(w.get(), server.base() + "/ping?x=1&y=2", failed), OKAY);
    EXPECT_FALSE(failed);
    EXPECT_EQ(server.targets().back(), "/ping?x=1&y=2");
    ASSERT_EQ(webFree(w), OKAY);
    EXPECT_EQ(w, nullptr);
}

TEST(web, AFailedTransferReportsFailureAndLeavesTheFileAsItWas) {
    NoProxy noProxy;
    httptest::Server server;
    server.serve("/big", {200, std::string(5000, 'b')});
    server.serve("/error", {500, "oops"});
    ScriptedNetworkState network;
    webLimits limits;
    limits.connectMs = 2000;
    limits.totalMs = 400;  // the black hole's bound
    limits.maxBytes = 4096;
    auto w = open(network, limits);
    testsupport::TempDir dir;
    const std::string path = dir.file("kept.txt");

    struct Case {
        const char* name;
        httptest::Behaviour behaviour;
        std::string address;
    } cases[] = {
        {"missing page", httptest::Behaviour::Answer, server.base() + "/nothing"},
        {"server error", httptest::Behaviour::Answer, server.base() + "/error"},
        {"too large", httptest::Behaviour::Answer, server.base() + "/big"},
        {"dropped mid-file", httptest::Behaviour::DropMidBody, server.base() + "/big"},
        {"never answers", httptest::Behaviour::BlackHole, server.base() + "/big"},
        {"closed port", httptest::Behaviour::Answer,
         "http://127.0.0.1:" + std::to_string(httptest::closedPort()) + "/big"},
        {"not a web address", httptest::Behaviour::Answer, "file:///etc/hostname"},
        {"control characters", httptest::Behaviour::Answer, server.base() + "/big\r\nX-Evil: 1"},
    };
    for (const Case& c : cases) {
        testsupport::writeText(path, "the earlier file");
        server.setBehaviour(c.behaviour);
        bool failed = false;
        const auto start = Clock::now();
        ASSERT_EQ(webReceive(w.get(), c.address, path, true, true, failed), OKAY) << c.name;
        EXPECT_TRUE(failed) << c.name;
        EXPECT_EQ(testsupport::readText(path), "the earlier file") << c.name;
        EXPECT_FALSE(fs::exists(path + ".part")) << c.name;
        EXPECT_LT(testsupport::msSince(start), 10000) << c.name;  // bounded by the limits, not by the server
        failed = false;
        ASSERT_EQ(webRequest(w.get(), c.address, failed), OKAY) << c.name;
        // A request reads no body: an answer whose status came is its success.
        const bool answered =
            c.behaviour == httptest::Behaviour::DropMidBody || std::string(c.name) == "too large";
        EXPECT_EQ(failed, !answered) << c.name;
    }
}

TEST(web, AbortEndsATransferAtOnceFromAnotherThreadAndFailsLaterOnes) {
    NoProxy noProxy;
    httptest::Server server;
    server.setBehaviour(httptest::Behaviour::BlackHole);
    ScriptedNetworkState network;
    webLimits limits;
    limits.totalMs = 120000;  // only the abort can end it in time
    auto w = open(network, limits);
    testsupport::TempDir dir;

    auto pending = std::async(std::launch::async, [&] {
        bool failed = false;
        const int r = webReceive(w.get(), server.base() + "/a", dir.file("a.txt"), false, true, failed);
        return r == OKAY && failed;
    });
    ASSERT_TRUE(server.waitForRequests(1, 10000));
    const auto start = Clock::now();
    webAbort(w.get());
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(pending.get());
    EXPECT_LT(testsupport::msSince(start), 2000);
    EXPECT_FALSE(fs::exists(dir.file("a.txt")));
    EXPECT_FALSE(fs::exists(dir.file("a.txt.part")));

    server.setBehaviour(httptest::Behaviour::Answer);
    bool failed = false;
    ASSERT_EQ(webRequest(w.get(), server.base() + "/a", failed), OKAY);
    EXPECT_TRUE(failed);
    EXPECT_EQ(server.targets().size(), 1u);
}

TEST(web, WithoutSkipCheckADisconnectedSystemMakesNoRequest) {
    NoProxy noProxy;
    httptest::Server server;
    server.serve("/a", {200, "a"});
    ScriptedNetworkState network;
    network.up = false;
    testsupport::TempDir dir;

    for (bool skipCheck : {false, true}) {
        auto w = open(network, {}, skipCheck);
        bool connected = true;
        ASSERT_EQ(webConnected(w.get(), connected), OKAY);
        EXPECT_FALSE(connected);
        bool failed = !skipCheck;
        ASSERT_EQ(webReceive(w.get(), server.base() + "/a", dir.file("a.txt"), false, true, failed), OKAY);
        EXPECT_EQ(failed, !skipCheck);
    }
    EXPECT_EQ(server.targets().size(), 1u);  // only the skip-check connection asked
}

TEST(web, PercentEncodingLeavesOnlyUnreservedCharacters) {
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"plain-Text_1.2~", "plain-Text_1.2~"},
        {"a&b#c+d e@x.org", "a%26b%23c%2Bd%20e%40x.org"},
        {"=?/%", "%3D%3F%2F%25"},
        {"\xC3\xA9", "%C3%A9"},
        {std::string_view("\0\n", 2), "%00%0A"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(webPercentEncode(c.in), c.out);
        EXPECT_EQ(httptest::percentDecode(webPercentEncode(c.in)), c.in);
    }
}

TEST(web, MissingArgumentsAreInternalErrors) {
    ReportRecorder reports;
    bool failed = false;
    EXPECT_EQ(webRequest(nullptr, "http://127.0.0.1/", failed), NOT_OKAY);
    ScriptedNetworkState network;
    auto w = open(network);
    EXPECT_EQ(webRequest(w.get(), "", failed), NOT_OKAY);
    EXPECT_EQ(webReceive(w.get(), "http://127.0.0.1/", "", true, true, failed), NOT_OKAY);
    EXPECT_TRUE(failed);
    EXPECT_EQ(reports.count(), 3u);
    EXPECT_TRUE(reports.reported("UTIL/web/web"));
}

}  // namespace
