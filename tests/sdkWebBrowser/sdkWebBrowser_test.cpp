// The browser host on the real web engine, with pages served from
// 127.0.0.1 that speak the page protocol: they click their elements from
// script, as the wizard's page does. One engine serves every test here (its
// start costs seconds), so the cases are grouped by page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdlib>
#include <vector>

#include "httpTestServer.h"
#include "report.h"
#include "sdkWebBrowser.h"

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "test_sdkWebBrowser";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Keeps what the host sends or posts to its target.
class Target : public QObject {
  public:
    struct Message {
        int type;
        int host;
        long value;  // lParam, command or data id
        std::string text;
    };
    std::vector<Message> messages;

    bool event(QEvent* e) override {
        const int type = e->type();
        if (type == sdkWebBrowserPageSizeMessage()) {
            auto* m = static_cast<sdkWebBrowserPageSizeEvent*>(e);
            messages.push_back({type, m->hostValue, m->lParam, {}});
        } else if (type == sdkWebBrowserElementClickedMessage()) {
            auto* m = static_cast<sdkWebBrowserElementClickedEvent*>(e);
            messages.push_back({type, m->hostValue, m->command, {}});
        } else if (type == sdkWebBrowserDataMessage()) {
            auto* m = static_cast<sdkWebBrowserDataEvent*>(e);
            messages.push_back({type, m->hostValue, m->dataId, m->text});
        } else {
            return QObject::event(e);
        }
        return true;
    }
    int count(int type) const {
        int n = 0;
        for (const Message& m : messages) n += m.type == type;
        return n;
    }
};

template <class F>
bool waitFor(F done, int ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The page of the protocol tests: seven command elements, an eighth one and a
// second element with an id already taken, and the functions the test calls.
constexpr const char* kProtocolPage = R"HTML(<!DOCTYPE html>
<html><head><title>protocol</title></head><body>
<div id="app_command_1" class="app_command">one</div>
<div id="app_command_1" class="app_command">one again</div>
<div id="app_command_2" class="app_command">two</div>
<div id="app_command_3" class="app_command">three</div>
<div id="app_command_4" class="app_command">four</div>
<div id="app_command_5" class="app_command">five</div>
<div id="app_command_6" class="app_command">six</div>
<div id="app_command_7" class="app_command wide">seven</div>
<div id="app_command_8" class="app_command">eight</div>
<script>
function el(id) { return document.getElementById(id); }
function clickCommands() {
  var all = document.querySelectorAll('[class~=app_command]');
  for (var i = 0; i < all.length; ++i) all[i].click();
}
function sendMessages() {
  var e = el('app_command_7');
  var messages = ['message^3^Some Band', 'message^1^Artist^Title', 'message^2^line one\nline two'];
  for (var i = 0; i < messages.length; ++i) { e.className = messages[i]; e.click(); }
  e = el('app_command_8');
  e.className = 'message^5^never';
  e.click();
}
</script></body></html>)HTML";

constexpr const char* kSizedPage =
    R"HTML(<!DOCTYPE html><html><body app_width="400" app_height="500px">sized</body></html>)HTML";

struct Host {
    Host() {
        parent.resize(341, 565);
        parent.show();
        EXPECT_EQ(sdkWebBrowserInit(browser, &parent, &target, 1, false, nullptr, library()), OKAY);
        EXPECT_EQ(sdkWebBrowserCreate(browser.get(), 0, 0, 0, 0), OKAY);
        EXPECT_EQ(sdkWebBrowserSetSize(browser.get(), 341, 565), OKAY);
    }
    ~Host() { sdkWebBrowserFree(browser); }
    static std::string library() {
        const char* path = std::getenv("TOBREL_WEBVIEW_LIBRARY");
        return path ? path : "";
    }
    bool navigate(const std::string& address) {
        bool ok = false;
        return sdkWebBrowserNavigate(browser.get(), address, ok) == OKAY && ok;
    }
    std::string pageText() {
        bool done = false;
        std::string text;
        sdkWebBrowserPageText(browser.get(), [&](const std::string& t) {
            text = t;
            done = true;
        });
        waitFor([&] { return done; });
        return text;
    }

    QApplication& app = application();
    QWidget parent;
    Target target;
    sdkWebBrowserHandle browser;
};

TEST(sdkWebBrowser, CommandsAndMessagesOfAPageReachTheTargetInClickOrder) {
    httptest::Server server;
    ASSERT_GT(server.port(), 0);
    server.serve("/protocol", {200, kProtocolPage, httptest::kHtml});
    Host host;
    ASSERT_TRUE(host.browser);
    ASSERT_TRUE(host.navigate(server.base() + "/protocol"));

    // The page has no size attributes: 320 x 669.
    const int pageSize = sdkWebBrowserPageSizeMessage();
    ASSERT_TRUE(waitFor([&] { return host.target.count(pageSize) == 1; }));
    EXPECT_EQ(host.target.messages[0].value, (669L << 16) | 320);
    EXPECT_EQ(host.target.messages[0].host, 1);

    // Every element of class "app_command" is clicked: the first of ids 1 to 7
    // report their numbers; the second "app_command_1" and "app_command_8" are not
    // bound, and "app_command_7" has a wider class, so it reports nothing.
    host.target.messages.clear();
    ASSERT_EQ(sdkWebBrowserRunScript(host.browser.get(), "clickCommands"), OKAY);
    const int clicked = sdkWebBrowserElementClickedMessage();
    ASSERT_TRUE(waitFor([&] { return host.target.count(clicked) == 6; }));
    std::vector<long> numbers;
    for (const auto& m : host.target.messages) numbers.push_back(m.value);
    EXPECT_EQ(numbers, (std::vector<long>{1, 2, 3, 4, 5, 6}));

    // Message classes: the data message, '^' in the text kept, the text cut at
    // the line end; the unbound "app_command_8" sends nothing.
    host.target.messages.clear();
    ASSERT_EQ(sdkWebBrowserRunScript(host.browser.get(), "sendMessages"), OKAY);
    const int data = sdkWebBrowserDataMessage();
    ASSERT_TRUE(waitFor([&] { return host.target.count(data) == 3; }));
    ASSERT_EQ(host.target.messages.size(), 3u);
    EXPECT_EQ(host.target.messages[0].value, 3);
    EXPECT_EQ(host.target.messages[0].text, "Some Band");
    EXPECT_EQ(host.target.messages[1].value, 1);
    EXPECT_EQ(host.target.messages[1].text, "Artist^Title");
    EXPECT_EQ(host.target.messages[2].value, 2);
    EXPECT_EQ(host.target.messages[2].text, "line one");
    // Anything still under way would have arrived by the time the page answers this.
    EXPECT_FALSE(host.pageText().empty());
    EXPECT_EQ(host.target.messages.size(), 3u);

    // A function the page does not have is an internal error of the host.
    ReportRecorder reports;
    ASSERT_EQ(sdkWebBrowserRunScript(host.browser.get(), "noSuchFunction"), OKAY);
    ASSERT_TRUE(waitFor([&] { return reports.reported("UTIL/sdkWebBrowser/sdkWebBrowser"); }));
}

TEST(sdkWebBrowser, PageSizeFromTheBody) {
    httptest::Server server;
    server.serve("/sized", {200, kSizedPage, httptest::kHtml});
    Host host;
    ASSERT_TRUE(host.navigate(server.base() + "/sized"));
    const int pageSize = sdkWebBrowserPageSizeMessage();
    ASSERT_TRUE(waitFor([&] { return host.target.count(pageSize) == 1; }));
    EXPECT_EQ(host.target.messages[0].value, (500L << 16) | 400);
}

TEST(sdkWebBrowser, AnUnreachableServerIsReportedWithoutAnErrorPage) {
    httptest::Server server;
    Host host;
    const int data = sdkWebBrowserDataMessage();
    // Nothing listens on this port: cannot connect.
    const std::string closed = "http://127.0.0.1:59999/services/mrd";
    ASSERT_TRUE(host.navigate(closed));
    ASSERT_TRUE(waitFor([&] { return host.target.count(data) == 1; }));
    EXPECT_EQ(host.target.messages[0].value, kSdkWebBrowserDataIdUrlOnError);
    EXPECT_EQ(host.target.messages[0].text, closed);
    EXPECT_EQ(host.pageText(), "");
    // A server's "not found" answer is its own page, shown as it came, and not processed.
    host.target.messages.clear();
    ASSERT_TRUE(host.navigate(server.base() + "/services/mrd"));
    ASSERT_TRUE(waitFor([&] { return host.pageText() == "not here"; }));
    EXPECT_TRUE(host.target.messages.empty());
}

}  // namespace
