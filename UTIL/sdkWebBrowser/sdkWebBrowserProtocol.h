// The page protocol of the browser host, as plain functions over texts: what
// a click on a bound element means, the page size a document asks for, which
// elements take commands, and which failed navigations the host cancels and
// reports. Everything here comes from the page (or the network), so every
// function takes any text without failing.
#pragma once

#include <string>
#include <string_view>

// The data id of a navigation the host cancelled; the text is the address.
inline constexpr long kSdkWebBrowserDataIdUrlOnError = 526619;
// The command numbers an element can be bound to: "app_command_1" to "app_command_7".
inline constexpr int kSdkWebBrowserCommandCount = 7;
// The page size when the body does not give one.
inline constexpr int kSdkWebBrowserDefaultWidth = 320;
inline constexpr int kSdkWebBrowserDefaultHeight = 669;
// The longest text a data message carries, in UTF-16 units (a 512-unit buffer
// with its terminator).
inline constexpr size_t kSdkWebBrowserDataTextMax = 511;

// The integer value of a text as the page writes it: leading blanks, an
// optional sign, then the digits up to the first other character; 0 when
// there are none, clamped to the 32-bit range.
long sdkWebBrowserIntegerValue(std::string_view text);

// The command number of an element id: 1 to 7 for "app_command_1" to
// "app_command_7" exactly, 0 for any other id.
int sdkWebBrowserCommandNumber(std::string_view id);

// Whether an element with this class attribute may be bound (it contains
// "app_command", letter case counting).
bool sdkWebBrowserIsCommandClass(std::string_view className);

// The page size a document asks for through its body's "app_width" and
// "app_height" attributes; an absent attribute gives 320 (width) or 669 (height).
void sdkWebBrowserPageSize(bool hasWidth, std::string_view width, bool hasHeight, std::string_view height,
                           int& pageWidth, int& pageHeight);

// What a click on a bound element (its id and class attribute) tells the application.
struct sdkWebBrowserClick {
    enum Kind {
        None,     // nothing
        Command,  // the element-clicked message with `command`
        Data,     // the data message with `dataId` and `text`
        BadId,    // class "app_command" with an id too short to hold a number: an internal error
    };
    Kind kind = None;
    long command = 0;
    long dataId = 0;
    std::string text;
};
// Class "app_command" exactly: a command, numbered by the id's text after
// "app_command_". Class "message^<id>^<text>": data, the text being all that
// follows the second '^' (further '^' kept) up to the first line end, cut to
// 511 UTF-16 units. Anything else: nothing.
sdkWebBrowserClick sdkWebBrowserParseClick(std::string_view id, std::string_view className);

// Why a navigation failed, as the host tells it apart.
enum class sdkWebBrowserFailure {
    InvalidAddress,  // the address cannot be used
    NoConnection,    // the computer has no internet connection
    CannotConnect,   // the server refused or could not be reached
    ServerNotFound,  // the host name is unknown
    NotFound,        // no such file
    TimedOut,        // the connection timed out
    Other,           // anything else (certificates, a server's error status, ...)
};
// The error groups a web engine reports failures in.
enum class sdkWebBrowserErrorDomain { None, Internal, Connection, Certificate, Http, Ftp, Dns, HttpStatus };
sdkWebBrowserFailure sdkWebBrowserClassifyFailure(sdkWebBrowserErrorDomain domain, int code);
// The failures the host cancels (no error page) and reports with 526619: all but Other.
bool sdkWebBrowserCancelsFailure(sdkWebBrowserFailure failure);
