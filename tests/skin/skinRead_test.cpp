// Reading definition files: the line rules, "%d" numbers and colour lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "File.h"
#include "hwnd.h"
#include "report.h"
#include "skinRead.h"
#include "testsupport.h"

namespace {

// An open file holding `text`, read from the start.
FileHandle fileWith(const testsupport::TempDir& dir, const std::string& text) {
    const std::string path = dir.file("def.txt");
    testsupport::writeText(path, text);
    return FileHandle(std::fopen(path.c_str(), "rb"));
}

TEST(SkinRead, LinesSkipBlanksAndStripEndsButKeepLinesOfSpaces) {
    testsupport::TempDir dir;
    ReportRecorder reports;
    FileHandle f = fileWith(dir, "\n\r\nfirst  \r\n\n  \nthird\r\r\n\n");
    std::string line;
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, "first");
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, "");  // a line of spaces is read, not skipped
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, "third");
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_NE(skinReadLine(f.get(), line), OKAY);  // end of file
    EXPECT_EQ(reports.count(), 1u);
}

TEST(SkinRead, LongLineIsSplitInto511CharacterReads) {
    testsupport::TempDir dir;
    FileHandle f = fileWith(dir, std::string(511, '7') + "12\n" + std::string(511, '8') + "\n5\n");
    std::string line;
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, std::string(511, '7'));
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, "12");
    // Exactly 511 characters: the line end left over is a blank read, skipped.
    ASSERT_EQ(skinReadLine(f.get(), line), OKAY);
    EXPECT_EQ(line, std::string(511, '8'));
    int value = 0;
    ASSERT_EQ(skinReadInt(f.get(), value), OKAY);
    EXPECT_EQ(value, 5);
}

TEST(SkinRead, IntegersFollowPercentD) {
    struct Case {
        const char* line;
        int expected;  // -99: no number, the variable keeps its value
    } cases[] = {
        {"42", 42},
        {"  -7", -7},
        {"+13", 13},
        {"\t8 apples", 8},
        {"12abc", 12},
        {"   ", -99},
        {"abc", -99},
        {"-", -99},
        {"- 5", -99},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -99},
        {"99999999999999999999", -99},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        FileHandle f = fileWith(dir, std::string(c.line) + "\n");
        int value = -99;
        EXPECT_EQ(skinReadInt(f.get(), value), OKAY) << c.line;
        EXPECT_EQ(value, c.expected) << c.line;
    }
}

TEST(SkinRead, PointAndRectReadOneLineEach) {
    testsupport::TempDir dir;
    FileHandle f = fileWith(dir, "1\n\n2\n3\n4\n5\n6\n");
    int x = 0, y = 0, l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(skinReadPoint(f.get(), x, y), OKAY);
    ASSERT_EQ(skinReadRect(f.get(), l, t, r, b), OKAY);
    EXPECT_EQ(std::vector<int>({x, y, l, t, r, b}), std::vector<int>({1, 2, 3, 4, 5, 6}));
    ReportRecorder reports;
    EXPECT_NE(skinReadPoint(f.get(), x, y), OKAY);  // file ends inside the group
    EXPECT_GE(reports.count(), 1u);
}

// A rectangle a definition may leave out: absent at the end of the file or
// where free text stands, an error once its first number was read.
TEST(SkinRead, OptionalRectangleIsAbsentAtTheEndOrBeforeFreeText) {
    struct {
        const char* text;
        int result;
        bool found;
        int left;
        int bottom = -1;
    } cases[] = {
        {"", OKAY, false, -1},
        {"\r\n\n", OKAY, false, -1},
        {"notes about the skin\n1\n2\n", OKAY, false, -1},
        {"7\n8\n9\n10\n", OKAY, true, 7, 10},
        {"-1\n8\n9\n10\n", OKAY, true, -1, 10},
        {"7\n8\n9\n", NOT_OKAY, true, 7},
        {"7", NOT_OKAY, true, 7},
        // Kept to a screen coordinate's range like every other rectangle.
        {"2147483647\n0\n0\n2147483647\n", OKAY, true, kHwndCoordMax, kHwndCoordMax},
        {"-2147483648\n0\n0\n-99999\n", OKAY, true, kHwndCoordMin, kHwndCoordMin},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases) {
        ReportRecorder reports;
        FileHandle f = fileWith(dir, c.text);
        int l = -1, t = -1, r = -1, b = -1;
        bool found = !c.found;
        EXPECT_EQ(skinReadRectOptional(f.get(), l, t, r, b, found), c.result) << c.text;
        EXPECT_EQ(found, c.found) << c.text;
        EXPECT_EQ(l, c.left) << c.text;
        if (c.result == OKAY && c.found) {
            EXPECT_EQ(b, c.bottom) << c.text;
        }
        EXPECT_EQ(reports.count() != 0, c.result != OKAY) << c.text;
    }
}

TEST(SkinRead, ColourLines) {
    struct Case {
        const char* line;
        bool ok;
        int a, b, c;
    } cases[] = {
        {"255,0,128", true, 255, 0, 128},
        {"255, 0, 128", true, 255, 0, 128},  // spaces after the commas
        {"  1,2,3 trailing", true, 1, 2, 3},
        {"0,0,0", true, 0, 0, 0},
        {"255,0", false, 0, 0, 0},       // two numbers
        {"255 ,0,128", false, 0, 0, 0},  // no space before a comma
        {"256,0,0", false, 0, 0, 0},
        {"1,-1,1", false, 0, 0, 0},
        {"", false, 0, 0, 0},
        {"1;2;3", false, 0, 0, 0},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        FileHandle f = fileWith(dir, std::string(c.line) + "\n");
        ReportRecorder reports;
        int a = -5, b = -5, cc = -5;
        const int result = skinReadColour(f.get(), a, b, cc);
        EXPECT_EQ(result == OKAY, c.ok) << c.line;
        if (c.ok) {
            EXPECT_EQ(std::vector<int>({a, b, cc}), std::vector<int>({c.a, c.b, c.c})) << c.line;
            EXPECT_EQ(reports.count(), 0u);
        } else {
            EXPECT_EQ(std::vector<int>({a, b, cc}), std::vector<int>({-5, -5, -5})) << c.line;
            EXPECT_TRUE(reports.reported("UTIL/skin/skinRead")) << c.line;
        }
    }
}

}  // namespace
