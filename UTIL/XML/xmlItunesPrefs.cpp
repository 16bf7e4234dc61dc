// The library location in iTunes' preferences and the media folder in its
// library file.
#include "xmlItunesPrefs.h"

#include "fileSmartStringSearch.h"
#include "pstr.h"
#include "pstrXML.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/XML/xmlItunesPrefs";

int xmlItunesPrefsLibraryLocation(std::string_view prefsText, bool& found, std::string& libraryPath) {
    found = false;
    libraryPath.clear();
    std::string_view key, data;
    size_t next = 0;
    for (;;) {
        if (!pstrXMLNextElement(prefsText, next, "key", key, next)) return OKAY;
        if (key == kXmlItunesPrefsLibraryKey) break;
    }
    if (!pstrXMLNextElement(prefsText, next, "data", data, next)) return OKAY;
    const std::vector<unsigned char> bytes = pstrXMLBase64Decode(data.substr(0, kXmlItunesPrefsDataChars));

    // UTF-16LE up to its terminator (an odd last byte is no character).
    std::u16string path;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        path.push_back(unit);
    }
    if (path.empty() || !pstrUtf16WellFormed(path)) return OKAY;
    REPORT_CHECK(pstrFromUtf16(path, libraryPath));
    found = true;
    return OKAY;
}

int xmlItunesPrefsMusicFolderUrl(const std::string& libraryPath, bool& found, std::string& url) {
    found = false;
    url.clear();
    bool line = false;
    std::string rest;
    REPORT_CHECK(fileSmartStringSearch(libraryPath, kXmlItunesPrefsMusicFolderLine, line, rest));
    if (!line) return OKAY;
    const size_t end = rest.find("</string>");
    if (end == std::string::npos || end == 0) return OKAY;
    url = pstrXMLUnescape(std::string_view(rest).substr(0, end));
    found = true;
    return OKAY;
}
