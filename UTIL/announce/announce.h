// Announcements from the web service: the announcement file and its object,
// the rule that decides what a new announcement does, the weekly dynamic
// update (its due rule and its download) and the addresses of the service's
// requests.
//
// The announcement file is plain text, one item per line:
//   1  any text (not interpreted)
//   2  a number; must parse, its value is not used
//   3  the announcement number
//   4  the minimum product version that shows the announcement
//   5  the link address
//   6… the message text, lines joined with their line ends, trailing line
//      feeds removed
// A file that ends before line 5 counts as absent. The file comes from the
// network, so any bytes are expected: "\r\n" line ends read as "\n", NUL
// bytes are ignored, a number line that does not parse makes the file count
// as absent, and only the first kAnnounceMaxFileBytes bytes are read. The
// link and the text are cut at a character boundary to the object's room
// (UTF-16 units, as every character limit of the program counts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CSlout;
struct web;

inline constexpr size_t kAnnounceLinkRoom = 127;
inline constexpr size_t kAnnounceTextRoom = 2055;
// The most of an announcement file that is downloaded or read.
inline constexpr size_t kAnnounceMaxFileBytes = 1 << 20;
// The dynamic update runs once this many seconds have passed since the last.
inline constexpr long kAnnounceUpdatePeriod = 604800;

inline constexpr const char* kAnnounceNewFile = "new_retail.txt";
inline constexpr const char* kAnnounceCurrentFile = "current_retail.txt";

struct announce {
    int32_t number = 0;
    float minVersion = 0.0f;
    std::string link;  // at most kAnnounceLinkRoom units
    std::string text;  // at most kAnnounceTextRoom units
};

// Reads an announcement from the bytes of a file; present = false when they
// do not make one. Never fails.
void announceParse(std::string_view bytes, bool& present, announce& out);

// Reads the announcement file at path; a missing file is absent. A file that
// exists but cannot be read is an internal error.
int announceRead(const std::string& path, CSlout* trace, bool& present, announce& out);

// What the announcement step does with the newly downloaded announcement and
// the one shown last: a new announcement (another number, or none shown yet)
// becomes the current one; it is shown when the product is at least its
// minimum version: its text when it has one, else its link is opened.
struct announceAction {
    bool makeCurrent = false;
    bool showText = false;
    bool openLink = false;
};
announceAction announceDecide(bool freshPresent, const announce& fresh, bool currentPresent,
                              const announce& current, float productVersion);

// Copies the new announcement file over the current one through a temporary
// file, so the current file is never left half-written.
int announceMakeCurrent(const std::string& freshPath, const std::string& currentPath, CSlout* trace);

// Whether the dynamic update is due: no valid time of the last one, or that
// time lies more than kAnnounceUpdatePeriod seconds before now. A time after
// now (the clock was turned back) is no guide either, and makes it due.
bool announceUpdateDue(bool lastPresent, long last, long now);

// Downloads the next announcement file into path over the connection (no
// cache). A failed download leaves no file at path.
int announceDownload(web* connection, std::string_view address, const std::string& path, bool& downloaded);

// <base>/fromPlayer/announcements/<vendor>/<subvendor>/new_retail.txt
std::string announceDownloadAddress(std::string_view base, int vendor, int subvendor);

// <base>/proxy/install_email.php?product_version=2.01&email_address=<address>
// &vendor_code=<vendor>&subvendor_code=<subvendor>; the address is
// percent-encoded, so that "&", "#", "+" or blanks in it cannot change the
// request.
std::string announceEmailAddress(std::string_view base, float productVersion, std::string_view email,
                                 int vendor, int subvendor);

// The product version as the service expects it, with two decimals, rounded
// half up from its three (2.005 gives "2.01").
std::string announceVersionText(float productVersion);
