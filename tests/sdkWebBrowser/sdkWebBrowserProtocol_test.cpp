// The page protocol as text rules: clicks, command numbers, page sizes and the
// failures the host cancels. The texts come from pages on the network, so the
// tables include malformed ones.
#include <gtest/gtest.h>

#include "sdkWebBrowserProtocol.h"

namespace {

TEST(sdkWebBrowserProtocol, ClicksOnBoundElements) {
    using K = sdkWebBrowserClick::Kind;
    const struct {
        const char* id;
        std::string className;
        K kind;
        long number;  // command or data id
        std::string text;
    } cases[] = {
        {"app_command_3", "app_command", K::Command, 3, ""},
        {"app_command_12x", "app_command", K::Command, 12, ""},
        {"app_command_x", "app_command", K::Command, 0, ""},
        {"app_command_", "app_command", K::BadId, 0, ""},
        {"", "app_command", K::BadId, 0, ""},
        {"app_command_1", "app_command other", K::None, 0, ""},
        {"app_command_1", "message^3^Some Band", K::Data, 3, "Some Band"},
        {"app_command_1", "message^1^Artist^Title", K::Data, 1, "Artist^Title"},
        {"app_command_1", "message^2^line one\r\nline two", K::Data, 2, "line one"},
        {"app_command_1", "message^2^\nhidden", K::Data, 2, ""},
        {"app_command_1", "message^7", K::Data, 7, ""},
        {"app_command_1", "message^^text", K::Data, 0, "text"},
        {"app_command_1", "message^ 42abc^x", K::Data, 42, "x"},
        {"app_command_1", "message^99999999999999999999^x", K::Data, 2147483647, "x"},
        {"app_command_1", "messages^1^x", K::None, 0, ""},
        {"app_command_1", "Message^1^x", K::None, 0, ""},
        {"app_command_1", "", K::None, 0, ""},
        {"app_command_1", "^^^", K::None, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        const sdkWebBrowserClick click = sdkWebBrowserParseClick(c.id, c.className);
        EXPECT_EQ(click.kind, c.kind);
        EXPECT_EQ(c.kind == K::Command ? click.command : click.dataId, c.number);
        EXPECT_EQ(click.text, c.text);
    }
}

TEST(sdkWebBrowserProtocol, DataTextIsCutTo511Utf16Units) {
    const std::string longText(600, 'a');
    EXPECT_EQ(sdkWebBrowserParseClick("x", "message^1^" + longText).text, std::string(511, 'a'));
    // A character outside the basic plane takes two units and is never split.
    const std::string clef = "\xF0\x9D\x84\x9E";
    std::string text(510, 'b');
    text += clef;
    EXPECT_EQ(sdkWebBrowserParseClick("x", "message^1^" + text).text, std::string(510, 'b'));
    text = std::string(509, 'b') + clef;
    EXPECT_EQ(sdkWebBrowserParseClick("x", "message^1^" + text).text, text);
}

TEST(sdkWebBrowserProtocol, OnlySevenCommandIdsAreBound) {
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(sdkWebBrowserCommandNumber("app_command_" + std::to_string(n)), n);
    for (const char* id : {"app_command_0", "app_command_8", "app_command_10", "app_command_1 ",
                           "App_command_1", "xapp_command_1", "app_command_", ""})
        EXPECT_EQ(sdkWebBrowserCommandNumber(id), 0) << id;
    EXPECT_TRUE(sdkWebBrowserIsCommandClass("app_command"));
    EXPECT_TRUE(sdkWebBrowserIsCommandClass("big app_command_button"));
    EXPECT_FALSE(sdkWebBrowserIsCommandClass("App_Command"));
}

TEST(sdkWebBrowserProtocol, PageSizeFromTheBodyOrTheDefault) {
    int w = 0, h = 0;
    sdkWebBrowserPageSize(false, "", false, "", w, h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 669);
    sdkWebBrowserPageSize(true, "400px", true, "abc", w, h);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 0);
}

TEST(sdkWebBrowserProtocol, FailuresTheHostCancels) {
    using D = sdkWebBrowserErrorDomain;
    const struct {
        D domain;
        int code;
        bool cancelled;
    } cases[] = {
        {D::Connection, -102, true},  // refused (a closed port)
        {D::Connection, -109, true},  // unreachable
        {D::Dns, -105, true},         // unknown host
        {D::Connection, -106, true},  // no connection
        {D::Connection, -118, true},  // timed out
        {D::Internal, -7, true},      // timed out
        {D::Http, -300, true},        // invalid address
        {D::Internal, -6, true},      // no such file
        {D::HttpStatus, 404, false},  // a server's answer shows as the server sent it
        {D::HttpStatus, 500, false}, {D::Certificate, -202, false}, {D::Internal, -3, false},  // aborted
    };
    for (const auto& c : cases)
        EXPECT_EQ(sdkWebBrowserCancelsFailure(sdkWebBrowserClassifyFailure(c.domain, c.code)), c.cancelled)
            << c.code;
}

}  // namespace
