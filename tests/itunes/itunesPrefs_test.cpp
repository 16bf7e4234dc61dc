// Finding iTunes' media folder from its preferences and library files, with
// the files as iTunes writes them and as anything else might leave them, and
// the small readers underneath (element text, base64, character references,
// file URLs, line search).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>

#include "fileSmartStringSearch.h"
#include "itunesSdkPaths.h"
#include "pstr.h"
#include "pstrXML.h"
#include "report.h"
#include "testsupport.h"
#include "xmlItunesPrefs.h"

namespace fs = std::filesystem;

namespace {

std::string base64(const std::string& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        for (int s = 18; s >= 0; s -= 6) out += alphabet[(v >> s) & 63];
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        out += std::string{alphabet[(v >> 18) & 63], alphabet[(v >> 12) & 63]} + "==";
    } else if (i + 2 == bytes.size()) {
        const uint32_t v =
            (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += std::string{alphabet[(v >> 18) & 63], alphabet[(v >> 12) & 63], alphabet[(v >> 6) & 63]} + "=";
    }
    return out;
}

// UTF-16LE bytes of a UTF-8 text, with the terminator iTunes stores.
std::string utf16le(const std::string& text) {
    std::u16string units;
    EXPECT_EQ(pstrToUtf16(text, units), OKAY);
    std::string bytes;
    for (char16_t u : units) bytes += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes + std::string(2, '\0');
}

// The <data> text as iTunes lays it out: lines of 68 characters, each
// indented by tabs.
std::string dataLines(const std::string& encoded) {
    std::string out = "\n";
    for (size_t i = 0; i < encoded.size(); i += 68) out += "\t" + encoded.substr(i, 68) + "\n";
    return out + "\t";
}

std::string prefsWith(const std::string& data,
                      const std::string& key = std::string(kXmlItunesPrefsLibraryKey)) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>User "
           "Preferences</key>\n\t<dict>\n\t\t<key>AppleLanguages</key>\n\t\t<data>\n\t\tZW4=\n\t\t</data>\n"
           "\t\t<key>" +
           key + "</key>\n\t\t<data>" + data + "</data>\n\t</dict>\n</dict>\n</plist>\n";
}

std::string libraryWith(const std::string& musicFolderLine) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>Major Version</key><integer>1</integer>\n"
           "\t<key>Application Version</key><string>12.13.2.3</string>\n" +
           musicFolderLine + "\t<key>Tracks</key>\n\t<dict>\n\t</dict>\n</dict>\n</plist>\n";
}

std::string percentEscaped(const std::string& path) {
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

class MusicFolder : public ::testing::Test {
  protected:
    MusicFolder() {
        media = home.home() + "/Music/iTunes/iTunes Media é 音楽";
        library = home.home() + "/Music/iTunes/iTunes Music Library.xml";
        fs::create_directories(media);
        prefsFolder = home.home() + "/.config/Apple Computer/iTunes";
        fs::create_directories(prefsFolder);
    }
    void writePrefs(const std::string& text) {
        testsupport::writeText(prefsFolder + "/iTunesPrefs.xml", text);
    }
    void writeLibrary(const std::string& text) { testsupport::writeText(library, text); }
    std::string goodPrefs() const { return prefsWith(dataLines(base64(utf16le(library)))); }
    std::string goodLine() const {
        return "\t<key>Music Folder</key><string>file://localhost" + percentEscaped(media) + "/</string>\n";
    }
    bool lookup(std::string& folder) {
        bool found = true;
        EXPECT_EQ(itunesSdkPathsMusicFolder(folder, kItunesSdkPathCapacity, found), OKAY);
        return found;
    }

    testsupport::TempHome home;
    std::string media, library, prefsFolder;
};

TEST_F(MusicFolder, FromPreferencesSplitOverLinesWithTabs) {
    writePrefs(goodPrefs());
    writeLibrary(libraryWith(goodLine()));
    std::string folder;
    ASSERT_TRUE(lookup(folder));
    EXPECT_EQ(folder, media + "/");

    // CR LF line ends and a "&amp;" in the URL read alike.
    writeLibrary("\t<key>Music Folder</key><string>file:///A%20B&amp;C/</string>\r\n");
    ASSERT_TRUE(lookup(folder));
    EXPECT_EQ(folder, "/A B&C/");
}

TEST_F(MusicFolder, MalformedFilesGiveNoResult) {
    const std::string good = goodPrefs();
    std::string binary(4096, '\0');
    std::mt19937 random(17);
    for (char& c : binary) c = static_cast<char>(random());
    const struct {
        const char* name;
        std::string prefs;
        std::string library;
    } cases[] = {
        {"no preferences file", "", libraryWith(goodLine())},
        {"no key", prefsWith(dataLines(base64(utf16le(library))), "iTunes Library XML Location:2"),
         libraryWith(goodLine())},
        {"key without data", "<key>iTunes Library XML Location:1</key><string>x</string>",
         libraryWith(goodLine())},
        {"data never closed", "<key>iTunes Library XML Location:1</key><data>" + base64(utf16le(library)),
         libraryWith(goodLine())},
        {"bad base64", prefsWith("!!!!@@@@####"), libraryWith(goodLine())},
        {"base64 of one byte", prefsWith("QQ=="), libraryWith(goodLine())},
        {"a lone surrogate", prefsWith(base64(std::string("\x00\xD8/\x00", 4))), libraryWith(goodLine())},
        {"library missing", prefsWith(base64(utf16le(library + ".gone"))), ""},
        {"no Music Folder", good, libraryWith("\t<key>Music Library</key><string>file:///x/</string>\n")},
        {"Music Folder not at a line start", good,
         libraryWith("\t<dict><key>Music Folder</key><string>file:///x/</string>\n")},
        {"value never closed", good, libraryWith("\t<key>Music Folder</key><string>file:///x/\n")},
        {"empty value", good, libraryWith("\t<key>Music Folder</key><string></string>\n")},
        {"not a file URL", good,
         libraryWith("\t<key>Music Folder</key><string>http://localhost/x/</string>\n")},
        {"another host", good,
         libraryWith("\t<key>Music Folder</key><string>file://server/share/</string>\n")},
        {"escaped NUL", good, libraryWith("\t<key>Music Folder</key><string>file:///a%00b/</string>\n")},
        {"escapes that are not UTF-8", good,
         libraryWith("\t<key>Music Folder</key><string>file:///a%FFb/</string>\n")},
        {"a huge line with the value inside", good,
         "<plist>" + std::string(3 * 1024 * 1024, 'x') + goodLine() + "</plist>"},
        {"binary library", good, binary},
        {"binary preferences", binary, libraryWith(goodLine())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportRecorder reports;
        fs::remove(prefsFolder + "/iTunesPrefs.xml");
        fs::remove(library);
        if (!c.prefs.empty()) writePrefs(c.prefs);
        if (!c.library.empty()) writeLibrary(c.library);
        std::string folder = "untouched";
        EXPECT_FALSE(lookup(folder));
        EXPECT_EQ(folder, "");
        EXPECT_EQ(reports.count(), 0u);
    }
}

TEST_F(MusicFolder, AHugeLineBeforeTheValueIsPassedOver) {
    writePrefs(goodPrefs());
    writeLibrary("<plist>" + std::string(3 * 1024 * 1024, 'x') + "\n" + goodLine());
    std::string folder;
    ASSERT_TRUE(lookup(folder));
    EXPECT_EQ(folder, media + "/");
}

TEST_F(MusicFolder, FilesThatAreNotRegularFilesAreNotRead) {
    // A library "file" that never ends, a folder, and an oversized preferences file.
    for (const std::string& target : {std::string("/dev/zero"), home.home()}) {
        SCOPED_TRACE(target);
        writePrefs(prefsWith(base64(utf16le(target))));
        std::string folder;
        EXPECT_FALSE(lookup(folder));
    }
    writeLibrary(libraryWith(goodLine()));
    writePrefs(goodPrefs());
    fs::resize_file(prefsFolder + "/iTunesPrefs.xml", kItunesSdkPrefsMaxBytes + 1);
    std::string folder;
    EXPECT_FALSE(lookup(folder));
    fs::remove(prefsFolder + "/iTunesPrefs.xml");
    fs::create_symlink("/dev/zero", prefsFolder + "/iTunesPrefs.xml");
    EXPECT_FALSE(lookup(folder));
}

TEST(ItunesPrefsReaders, FileUrls) {
    const struct {
        const char* url;
        bool ok;
        const char* path;
    } cases[] = {
        {"file://localhost/home/me/Music/", true, "/home/me/Music/"},
        {"FILE://LOCALHOST/x", true, "/x"},
        {"file:///home/me/My%20Music/%E9%9F%B3/", true, "/home/me/My Music/音/"},
        {"file:/plain/path", true, "/plain/path"},
        {"file:///100%25%2", true, "/100%%2"},
        {"file:///lone%zz", true, "/lone%zz"},
        {"file://server/share/", false, ""},
        {"file://localhost", false, ""},
        {"file:relative/path", false, ""},
        {"http://localhost/x", false, ""},
        {"", false, ""},
        {"file:///nul%00here", false, ""},
        {"file:///bad%C3", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        std::string path = "untouched";
        EXPECT_EQ(itunesSdkPathsFromFileUrl(c.url, path), c.ok);
        EXPECT_EQ(path, c.path);
    }
}

TEST(ItunesPrefsReaders, Base64AndReferences) {
    const struct {
        const char* text;
        std::string bytes;
    } decoded[] = {
        {"", ""},
        {"QQ==", "A"},
        {"QUI=", "AB"},
        {"QUJD", "ABC"},
        {"\tQU\n\tJD\r\n", "ABC"},
        {"QUJD=QUJD", "ABC"},
        {"Q", ""},
        {"!!!", ""},
        {"AAEC/w==", std::string("\x00\x01\x02\xFF", 4)},
    };
    for (const auto& c : decoded) {
        SCOPED_TRACE(c.text);
        const std::vector<unsigned char> got = pstrXMLBase64Decode(c.text);
        EXPECT_EQ(std::string(got.begin(), got.end()), c.bytes);
    }
    const struct {
        const char* text;
        const char* plain;
    } references[] = {
        {"a &amp; b", "a & b"},
        {"&lt;&gt;&quot;&apos;", "<>\"'"},
        {"&#233;&#x97F3;", "é音"},
        {"&#0; &#xD800; &#x110000; &#;", "&#0; &#xD800; &#x110000; &#;"},
        {"&nbsp; &amp", "&nbsp; &amp"},
        {"&#99999999999999;", "&#99999999999999;"},
        {"&", "&"},
    };
    for (const auto& c : references) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pstrXMLUnescape(c.text), c.plain);
    }
    std::string_view content;
    size_t next = 0;
    ASSERT_TRUE(pstrXMLNextElement("<k>a</k><k>b</k>", 0, "k", content, next));
    EXPECT_EQ(content, "a");
    ASSERT_TRUE(pstrXMLNextElement("<k>a</k><k>b</k>", next, "k", content, next));
    EXPECT_EQ(content, "b");
    EXPECT_FALSE(pstrXMLNextElement("<k>a</k><k>b</k>", next, "k", content, next));
    EXPECT_FALSE(pstrXMLNextElement("<k>a", 0, "k", content, next));
    EXPECT_FALSE(pstrXMLNextElement("<k>a</k>", 99, "k", content, next));
}

TEST(ItunesPrefsReaders, LineSearch) {
    testsupport::TempDir dir;
    const std::string path = dir.file("lines.txt");
    const struct {
        std::string text;
        bool found;
        std::string rest;
    } cases[] = {
        {"\t\tkey=value\n", true, "value"},
        {"a\n\tkey=1\r\n\tkey=2\n", true, "1"},
        {"  key=spaces do not count as indent\n", false, ""},
        {"key=last line without end", true, "last line without end"},
        {std::string(1023, 'x') + "key=cut here\n", true, "cut here"},
        {std::string(1022, 'x') + "key=inside a line\n", false, ""},
        {std::string("\0key=after NUL\n", 15), false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        testsupport::writeText(path, c.text);
        bool found = !c.found;
        std::string rest;
        ASSERT_EQ(fileSmartStringSearch(path, "key=", found, rest), OKAY);
        EXPECT_EQ(found, c.found);
        EXPECT_EQ(rest, c.rest);
    }
    bool found = true;
    std::string rest;
    ASSERT_EQ(fileSmartStringSearch(dir.file("missing.txt"), "key=", found, rest), OKAY);
    EXPECT_FALSE(found);
}

}  // namespace
