// Announcement files (well-formed, malformed and random), the announcement
// rule, the dynamic update's due rule and download, and the addresses of the
// web service's requests.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

#include "announce.h"
#include "httpTestServer.h"
#include "networkState.h"
#include "pstr.h"
#include "report.h"
#include "testsupport.h"
#include "web.h"

namespace fs = std::filesystem;

namespace {

constexpr float kVersion = 2.005f;

announce parse(std::string_view bytes, bool& present) {
    announce a;
    announceParse(bytes, present, a);
    return a;
}

TEST(announce, AWellFormedFile) {
    bool present = false;
    announce a = parse(
        "Tobrel news\r\n1.5\r\n42\r\n2.005\r\nhttps://example.org/news\r\nFirst line\r\n\r\nThird "
        "line\r\n\r\n\r\n",
        present);
    ASSERT_TRUE(present);
    EXPECT_EQ(a.number, 42);
    EXPECT_FLOAT_EQ(a.minVersion, 2.005f);
    EXPECT_EQ(a.link, "https://example.org/news");
    EXPECT_EQ(a.text, "First line\n\nThird line");

    // Numbers as a scanf conversion reads them; no text lines give no text.
    a = parse("x\n 7e-1 \n  +13 items\n\t3\nhttp://a.b/c", present);
    ASSERT_TRUE(present);
    EXPECT_EQ(a.number, 13);
    EXPECT_FLOAT_EQ(a.minVersion, 3.0f);
    EXPECT_EQ(a.link, "http://a.b/c");
    EXPECT_EQ(a.text, "");
}

TEST(announce, MalformedFilesCountAsAbsentOrAreCutToTheirRoom) {
    const std::string mib(1 << 20, 'm');
    static const char nul[] = "a\0\n1\0\n2\n3\nhttp://\0x\nte\0xt\n";
    const std::string withNul(nul, sizeof nul - 1);
    std::string binary;
    std::mt19937 random(7);
    for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>(random()));
    struct Case {
        const char* name;
        std::string bytes;
        bool present;
    } cases[] = {
        {"empty", "", false},
        {"one line", "a\n", false},
        {"four lines", "a\n1\n2\n3\n", false},
        {"no line ends", "a 1 2 3 http://x", false},
        {"only line ends", "\n\n\n\n\n\n", false},
        {"line 2 not a number", "a\nb\n2\n3\nhttp://x\n", false},
        {"number out of range", "a\n1\n99999999999999999999\n3\nhttp://x\n", false},
        {"version out of range", "a\n1\n2\n1e999\nhttp://x\n", false},
        {"1 MiB first line", mib + "\n1\n2\n3\nhttp://x\ntext\n", false},  // the rest is past the first MiB
        {"1 MiB line without end", mib, false},
        {"1 MiB link", "a\n1\n2\n3\n" + mib + "\ntext\n", true},
        {"1 MiB text", "a\n1\n2\n3\nhttp://x\n" + mib, true},
        {"NUL bytes", withNul, true},
        {"binary", binary, false},
        {"binary after a header", "a\n1\n2\n3\nhttp://x\n" + binary, true},
    };
    for (const Case& c : cases) {
        bool present = !c.present;
        const announce a = parse(c.bytes, present);
        EXPECT_EQ(present, c.present) << c.name;
        EXPECT_LE(pstrUtf16Length(a.link), kAnnounceLinkRoom) << c.name;
        EXPECT_LE(pstrUtf16Length(a.text), kAnnounceTextRoom) << c.name;
        EXPECT_EQ(a.link.find('\0'), std::string::npos) << c.name;
        EXPECT_EQ(a.text.find('\0'), std::string::npos) << c.name;
    }
    bool present = false;
    EXPECT_EQ(parse(withNul, present).link, "http://x");
    EXPECT_EQ(parse(withNul, present).text, "text");
    EXPECT_EQ(parse("a\n1\n2\n3\n" + mib + "\ntext\n", present).link, std::string(kAnnounceLinkRoom, 'm'));
    EXPECT_EQ(parse("a\n1\n2\n3\nhttp://x\n" + mib, present).text, std::string(kAnnounceTextRoom, 'm'));
}

TEST(announce, LongTextsAreCutBetweenWholeCharacters) {
    const std::string header = "a\n1\n2\n3\nhttp://x\n";
    const std::string clef = "\xF0\x9D\x84\x9E";  // two UTF-16 units
    struct Case {
        std::string text, expected;
    } cases[] = {
        // 2 054 units and a pair that would need 2 056: the pair is left out whole.
        {std::string(2054, 'a') + clef + "tail", std::string(2054, 'a')},
        {std::string(2053, 'a') + clef + "tail", std::string(2053, 'a') + clef},
        // "é" is two bytes but one unit: 2 055 of them fit.
        {[] {
             std::string s;
             for (int i = 0; i < 3000; ++i) s += "\xC3\xA9";
             return s;
         }(),
         [] {
             std::string s;
             for (int i = 0; i < 2055; ++i) s += "\xC3\xA9";
             return s;
         }()},
        // Line feeds at the cut are trailing ones and go too.
        {std::string(2050, 'a') + "\n\n\n\n\n\nb", std::string(2050, 'a')},
    };
    for (const Case& c : cases) {
        bool present = false;
        const announce a = parse(header + c.text, present);
        ASSERT_TRUE(present);
        EXPECT_EQ(a.text, c.expected);
    }
    // A link cut inside a multi-byte character keeps only whole characters.
    bool present = false;
    const announce a = parse("a\n1\n2\n3\n" + std::string(126, 'l') + "\xC3\xA9\xC3\xA9\n", present);
    EXPECT_EQ(a.link, std::string(126, 'l') + "\xC3\xA9");
}

TEST(announce, RandomMutationsOfAFileNeverBreakTheReader) {
    const std::string seed = "Tobrel\n1\n17\n2.005\nhttps://example.org/x\nHello\nWorld\n";
    std::mt19937 random(20);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = seed;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const size_t at = bytes.empty() ? 0 : random() % bytes.size();
            switch (random() % 4) {
                case 0:
                    if (!bytes.empty()) bytes[at] = static_cast<char>(random());
                    break;
                case 1:
                    bytes.insert(at, std::string(random() % 300, static_cast<char>(random())));
                    break;
                case 2:
                    if (!bytes.empty()) bytes.erase(at, random() % 20);
                    break;
                case 3:
                    bytes.insert(at, "\n");
                    break;
            }
        }
        bool present = false;
        const announce a = parse(bytes, present);
        ASSERT_LE(pstrUtf16Length(a.link), kAnnounceLinkRoom);
        ASSERT_LE(pstrUtf16Length(a.text), kAnnounceTextRoom);
        ASSERT_EQ(a.link.find('\n'), std::string::npos);
    }
}

TEST(announce, ReadingFiles) {
    testsupport::TempDir dir;
    bool present = true;
    announce a;
    ASSERT_EQ(announceRead(dir.file("missing.txt"), nullptr, present, a), OKAY);
    EXPECT_FALSE(present);
    fs::create_directory(dir.file("folder.txt"));
    ASSERT_EQ(announceRead(dir.file("folder.txt"), nullptr, present, a), OKAY);
    EXPECT_FALSE(present);
    testsupport::writeText(dir.file("a.txt"), "a\n1\n5\n2.1\nhttp://x\nhi\n");
    ASSERT_EQ(announceRead(dir.file("a.txt"), nullptr, present, a), OKAY);
    EXPECT_TRUE(present);
    EXPECT_EQ(a.number, 5);
    EXPECT_EQ(a.text, "hi");
}

TEST(announce, WhatANewAnnouncementDoes) {
    announce fresh, current;
    fresh.number = 8;
    fresh.minVersion = 2.005f;
    fresh.text = "news";
    current.number = 7;
    struct Case {
        const char* name;
        bool freshPresent, currentPresent;
        int currentNumber;
        float minVersion;
        const char* text;
        bool makeCurrent, showText, openLink;
    } cases[] = {
        {"none downloaded", false, true, 7, 2.005f, "news", false, false, false},
        {"first ever", true, false, 0, 2.005f, "news", true, true, false},
        {"another number", true, true, 7, 2.005f, "news", true, true, false},
        {"same number", true, true, 8, 2.005f, "news", false, false, false},
        {"for older versions only", true, true, 7, 2.0f, "news", true, false, false},
        {"for later versions too", true, true, 7, 3.0f, "news", true, true, false},
        {"no text", true, true, 7, 2.005f, "", true, false, true},
    };
    for (const Case& c : cases) {
        fresh.minVersion = c.minVersion;
        fresh.text = c.text;
        current.number = c.currentNumber;
        const announceAction action =
            announceDecide(c.freshPresent, fresh, c.currentPresent, current, kVersion);
        EXPECT_EQ(action.makeCurrent, c.makeCurrent) << c.name;
        EXPECT_EQ(action.showText, c.showText) << c.name;
        EXPECT_EQ(action.openLink, c.openLink) << c.name;
    }
}

TEST(announce, TheDynamicUpdateIsDueAfterAWeek) {
    const long now = 1700000000;
    EXPECT_TRUE(announceUpdateDue(false, 0, now));
    EXPECT_FALSE(announceUpdateDue(true, now, now));
    EXPECT_FALSE(announceUpdateDue(true, now - 604800, now));
    EXPECT_TRUE(announceUpdateDue(true, now - 604801, now));
    EXPECT_TRUE(announceUpdateDue(true, LONG_MIN, now));
    EXPECT_TRUE(announceUpdateDue(true, now + 3600, now));  // the clock was turned back
}

TEST(announce, AddressesOfTheService) {
    EXPECT_EQ(announceDownloadAddress("http://h:1", 500, 77),
              "http://h:1/fromPlayer/announcements/500/77/new_retail.txt");
    EXPECT_EQ(announceVersionText(2.005f), "2.01");
    EXPECT_EQ(announceVersionText(2.0f), "2.00");
    const std::string address = announceEmailAddress("http://h:1", 2.005f, "a&b#c+d e@x.org", 500, 3);
    EXPECT_EQ(
        address,
        "http://h:1/proxy/install_email.php?product_version=2.01&email_address=a%26b%23c%2Bd%20e%40x.org"
        "&vendor_code=500&subvendor_code=3");
    const std::string target = address.substr(std::string("http://h:1").size());
    EXPECT_EQ(httptest::queryValue(target, "email_address"), "a&b#c+d e@x.org");
    EXPECT_EQ(httptest::queryValue(target, "vendor_code"), "500");
}

TEST(announce, ADownloadThatBreaksOffLeavesNoFile) {
    testsupport::ScopedEnv noProxy("no_proxy", "*");
    httptest::Server server;
    const std::string body = "a\n1\n9\n2.005\nhttp://x\n" + std::string(8000, 't') + "\n";
    server.serve("/new_retail.txt", {200, body});
    ScriptedNetworkState network;
    std::unique_ptr<web> w;
    ASSERT_EQ(webInit(w, nullptr, false, "none", &network), OKAY);
    testsupport::TempDir dir;
    const std::string path = dir.file("Announcements/new_retail.txt");

    bool downloaded = false;
    ASSERT_EQ(announceDownload(w.get(), server.base() + "/new_retail.txt", path, downloaded), OKAY);
    EXPECT_TRUE(downloaded);
    EXPECT_EQ(testsupport::readText(path), body);

    server.setBehaviour(httptest::Behaviour::DropMidBody);
    ASSERT_EQ(announceDownload(w.get(), server.base() + "/new_retail.txt", path, downloaded), OKAY);
    EXPECT_FALSE(downloaded);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(dir.file("Announcements")));
}

}  // namespace
