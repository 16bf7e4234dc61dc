// String helpers: trimming, replacing, path pieces, conversions, the time
// display and the sorted text array.
#include <gtest/gtest.h>

#include "pstr.h"
#include "report.h"

namespace {

TEST(pstr, StripHelpers) {
    struct Case {
        void (*op)(std::string&);
        std::string in, out;
    };
    const Case cases[] = {
        {pstrStripTrailingSlash, "/music/", "/music"},
        {pstrStripTrailingSlash, "C:\\Music\\", "C:\\Music"},
        {pstrStripTrailingSlash, "C:\\", "C:"},
        {pstrStripTrailingSlash, "/a//", "/a/"},  // only one is removed
        {pstrStripTrailingSlash, "", ""},
        {pstrStripTrailingBlanks, "  a b \t  ", "  a b \t"},
        {pstrStripTrailingBlanks, "   ", ""},
        {pstrStripLeadingBlanks, "  a b ", "a b "},
        {pstrStripLeadingBlanks, "   ", ""},
        {pstrStripAllBlanks, " a b  c ", "abc"},
        {pstrStripLineEnd, "line\r\n\n", "line"},
        {pstrStripLineEnd, "\r\n", ""},
    };
    for (const auto& c : cases) {
        std::string s = c.in;
        c.op(s);
        EXPECT_EQ(s, c.out) << "input [" << c.in << "]";
    }
}

TEST(pstr, ReplaceAndFileNameSafe) {
    EXPECT_EQ(pstrFileNameSafe("AC/DC: Live?", '_'), "AC_DC_ Live_");
    EXPECT_EQ(pstrFileNameSafe("a\"*<>|\\b\x01\x1f", '-'), "a------b--");
    EXPECT_EQ(pstrFileNameSafe("Caf\xC3\xA9", '_'), "Caf\xC3\xA9");  // non-ASCII kept intact
    EXPECT_EQ(pstrQuoteSql("it's 'x'"), "it''s ''x''");
    EXPECT_EQ(pstrReplaceCharByText("a,b,", ',', "<>"), "a<>b<>");
    std::string s = "a.b.c";
    pstrReplaceChar(s, '.', '/');
    EXPECT_EQ(s, "a/b/c");
}

TEST(pstr, FindEndsSplitUpperCompare) {
    size_t pos = 99;
    EXPECT_TRUE(pstrFind("abcabc", "bc", 2, pos));
    EXPECT_EQ(pos, 4u);
    EXPECT_FALSE(pstrFind("abc", "x", 0, pos));
    EXPECT_FALSE(pstrFind("abc", "a", 10, pos));

    std::string t = "song.mp3";
    EXPECT_TRUE(pstrEndsWith(t, ".mp3"));
    EXPECT_FALSE(pstrStripSuffix(t, ".wav"));
    EXPECT_TRUE(pstrStripSuffix(t, ".mp3"));
    EXPECT_EQ(t, "song");

    EXPECT_EQ(pstrSplit(";;a;b,,c;", ";,"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(pstrSplit("", ";").empty());
    EXPECT_EQ(pstrUpper("abZ\xC3\xA9"), "ABZ\xC3\xA9");

    struct Case {
        const char* a;
        const char* b;
        bool sensitive;
        int r;
    };
    const Case cases[] = {
        {"abc", "abc", true, 0},  {"abc", "ABC", true, 1}, {"abc", "ABC", false, 0},
        {"ab", "abc", false, -1}, {"b", "A", false, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(pstrCompare(c.a, c.b, c.sensitive), c.r) << c.a << " vs " << c.b;
    // Only the first 512 characters take part.
    EXPECT_EQ(pstrCompare(std::string(512, 'x') + "a", std::string(512, 'x') + "b", true), 0);
    EXPECT_EQ(pstrCompare(std::string(511, 'x') + "a", std::string(511, 'x') + "b", true), -1);
}

TEST(pstr, PathPieces) {
    struct Case {
        const char* in;
        const char* ext;
        const char* stripped;
    };
    const Case cases[] = {
        {"a/b/song.mp3", "mp3", "a/b/song"}, {"archive.tar.gz", "gz", "archive.tar"}, {"noext", "", "noext"},
        {"dir.d/noext", "", "dir.d/noext"},  // a dot in a folder name is not an extension
        {"trailing.", "", "trailing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pstrExtension(c.in), c.ext) << c.in;
        EXPECT_EQ(pstrStripExtension(c.in), c.stripped) << c.in;
    }
    std::string folder = "untouched";
    EXPECT_TRUE(pstrFolderPart("/a/b/c.txt", folder));
    EXPECT_EQ(folder, "/a/b");
    EXPECT_TRUE(pstrFolderPart("C:\\x\\y", folder));
    EXPECT_EQ(folder, "C:\\x");
    folder = "untouched";
    EXPECT_FALSE(pstrFolderPart("file", folder));
    EXPECT_EQ(folder, "untouched");
}

TEST(pstr, TimeDisplay) {
    struct Case {
        long s;
        const char* text;
    };
    const Case cases[] = {{0, "0:00"},       {59, "0:59"},      {61, "1:01"},          {3599, "59:59"},
                          {3600, "1:00:00"}, {3661, "1:01:01"}, {360000, "100:00:00"}, {-5, "0:00"}};
    for (const auto& c : cases) EXPECT_EQ(pstrTimeDisplay(c.s), c.text) << c.s;
}

TEST(pstr, Utf16) {
    // "é" is one unit, the G clef (U+1D11E) two, an invalid byte one.
    EXPECT_EQ(pstrUtf16Length("a\xC3\xA9\xF0\x9D\x84\x9E"), 4u);
    EXPECT_EQ(pstrUtf16Length("\xFF"), 1u);

    struct Case {
        const char* text;
        bool utf8;
    };
    const Case cases[] = {{"", true},
                          {"a\xC3\xA9\xF0\x9D\x84\x9E", true},
                          {"\xFF", false},
                          {"\xC3", false},      // cut short
                          {"\xC0\xAF", false},  // overlong "/"
                          {"\xED\xA0\x80", false},
                          {"\xF4\x90\x80\x80", false}};  // surrogate, above U+10FFFF
    for (const Case& c : cases) EXPECT_EQ(pstrIsUtf8(c.text), c.utf8) << c.text;

    // Cuts fall between whole characters: never inside "é" or the clef's pair.
    const std::string_view mixed = "a\xC3\xA9\xF0\x9D\x84\x9E\xFF";
    const struct {
        size_t units;
        std::string_view cut;
    } cuts[] = {{0, ""},    {1, "a"},   {2, "a\xC3\xA9"}, {3, "a\xC3\xA9"}, {4, "a\xC3\xA9\xF0\x9D\x84\x9E"},
                {5, mixed}, {99, mixed}};
    for (const auto& c : cuts) EXPECT_EQ(pstrCutToUnits(mixed, c.units), c.cut) << c.units;
    EXPECT_EQ(pstrCutToUnits("ab\xC3", 3), "ab\xC3");  // a lone lead byte counts one

    std::u16string w;
    ASSERT_EQ(pstrToUtf16("a\xC3\xA9\xF0\x9D\x84\x9E", w), OKAY);
    EXPECT_EQ(w, (std::u16string{u'a', 0x00E9, 0xD834, 0xDD1E}));
    std::string back;
    ASSERT_EQ(pstrFromUtf16(w, back), OKAY);
    EXPECT_EQ(back, "a\xC3\xA9\xF0\x9D\x84\x9E");

    ReportRecorder reports;
    EXPECT_EQ(pstrToUtf16("bad\xC3", w), NOT_OKAY);
    EXPECT_EQ(pstrToUtf16("\xED\xA0\x80", w), NOT_OKAY);  // an encoded surrogate
    EXPECT_EQ(pstrFromUtf16(std::u16string{0xD834}, back), NOT_OKAY);
    EXPECT_EQ(pstrFromUtf16(std::u16string{0xDD1E, u'a'}, back), NOT_OKAY);
    EXPECT_EQ(reports.count(), 4u);
    EXPECT_TRUE(reports.reported("UTIL/pstr/pstr"));
}

TEST(pstr, ArrayAdd) {
    pstrArray a;
    bool added = false;
    for (const char* t : {"delta", "Alpha", "charlie", "ALPHA", "bravo", "Charlie"})
        ASSERT_EQ(pstrArrayAdd(a, t, 64, pstrArrayRule::UniqueNoCaseSorted, added), OKAY);
    EXPECT_EQ(a.items, (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    ASSERT_EQ(pstrArrayAdd(a, "BRAVO", 64, pstrArrayRule::UniqueNoCaseSorted, added), OKAY);
    EXPECT_FALSE(added);

    pstrArray u;
    pstrArrayAdd(u, "x", 64, pstrArrayRule::UniqueNoCase, added);
    pstrArrayAdd(u, "X", 64, pstrArrayRule::UniqueNoCase, added);
    EXPECT_FALSE(added);
    pstrArrayAdd(u, "x", 64, pstrArrayRule::Any, added);
    EXPECT_TRUE(added);
    EXPECT_EQ(u.items.size(), 2u);

    // Cut to capacity - 1 units, never inside a character.
    pstrArray c;
    pstrArrayAdd(c, "abcdef", 4, pstrArrayRule::Any, added);
    pstrArrayAdd(c, "ab\xF0\x9D\x84\x9E", 4, pstrArrayRule::Any, added);
    EXPECT_EQ(c.items, (std::vector<std::string>{"abc", "ab"}));

    ReportRecorder reports;
    EXPECT_EQ(pstrArrayAdd(c, "x", 0, pstrArrayRule::Any, added), NOT_OKAY);
    EXPECT_EQ(reports.count(), 1u);
    pstrArrayFree(c);
    EXPECT_TRUE(c.items.empty());
}

}  // namespace
