// Files and folders on a real scratch folder: folder paths (including a level
// that cannot be created), delete, copy, open, read, count and list.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "CSlout.h"
#include "File.h"
#include "report.h"
#include "testsupport.h"

using testsupport::RecordingDialog;
using testsupport::TempDir;
using testsupport::writeText;
namespace fs = std::filesystem;

namespace {

// A sink whose errors reach a recording dialog, tracing off.
struct Sink {
    RecordingDialog dialog;
    CDerivedSlout1 slout{false, "", &dialog};
};

TEST(File, ExistsAndIsFolder) {
    TempDir t;
    writeText(t.file("f"), "x");
    EXPECT_TRUE(FileExists(t.file("f")));
    EXPECT_FALSE(FileIsFolder(t.file("f")));
    EXPECT_TRUE(FileIsFolder(t.str()));
    EXPECT_FALSE(FileExists(t.file("missing")));
    EXPECT_FALSE(FileExists(""));
}

TEST(File, CreateFolderPathCreatesEveryMissingLevel) {
    TempDir t;
    fs::create_directory(t.file("a"));
    Sink sink;
    bool created = false;
    for (const std::string& p : {t.file("a/b/c"), t.file("a/b/c"), t.file("x//y/")}) {
        ASSERT_EQ(FileCreateFolderPath(p, &sink.slout, created), OKAY);
        EXPECT_TRUE(created) << p;
        EXPECT_TRUE(FileIsFolder(p)) << p;
    }
    EXPECT_TRUE(sink.dialog.texts.empty());
}

TEST(File, CreateFolderReportsALevelThatCannotBeCreated) {
    // Tests run as root, so permissions do not stop mkdir; a regular file in
    // the way does.
    TempDir t;
    fs::create_directory(t.file("a"));
    writeText(t.file("a/file"), "x");
    Sink sink;
    ReportRecorder reports;
    bool created = true;
    ASSERT_EQ(FileCreateFolderPath(t.file("a/file/b/c"), &sink.slout, created), OKAY);
    EXPECT_FALSE(created);
    ASSERT_EQ(sink.dialog.texts.size(), 1u);
    // The first level that cannot be a folder is the one reported; nothing below it is tried.
    EXPECT_EQ(sink.dialog.texts[0], "Unable to create folder \"" + t.file("a/file") + "\"");
    EXPECT_FALSE(FileExists(t.file("a/file/b/c")));

    created = true;
    ASSERT_EQ(FileCreateFolder(t.file("a/file"), nullptr, created), OKAY);  // silent without a sink
    EXPECT_FALSE(created);
    EXPECT_EQ(reports.count(), 0u);
}

TEST(File, DeleteIfPresent) {
    TempDir t;
    writeText(t.file("f"), "x");
    Sink sink;
    EXPECT_EQ(FileDeleteIfPresent(t.file("f"), &sink.slout), OKAY);
    EXPECT_FALSE(FileExists(t.file("f")));
    EXPECT_EQ(FileDeleteIfPresent(t.file("f"), &sink.slout), OKAY);  // absent is fine
    fs::create_directory(t.file("d"));
    EXPECT_EQ(FileDeleteIfPresent(t.file("d"), &sink.slout), NOT_OKAY);
    ASSERT_EQ(sink.dialog.texts.size(), 1u);
    EXPECT_EQ(sink.dialog.texts[0], t.file("d") + ": Is a directory");
}

TEST(File, DeleteMatchingLeavesOtherFiles) {
    TempDir t;
    for (const char* n : {"1.dat", "2.dat", "3.dax", "4.dat.tmp", ".dat", "keep"}) writeText(t.file(n), "x");
    fs::create_directory(t.file("sub.dat"));
    ASSERT_EQ(FileDeleteMatching(t.str(), "dat", nullptr), OKAY);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(t.path())) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".dat", "3.dax", "4.dat.tmp", "keep", "sub.dat"}));
}

TEST(File, CopyOverwritesAndReportsFailure) {
    TempDir t;
    writeText(t.file("from"), "new");
    writeText(t.file("to"), "old and longer");
    Sink sink;
    ASSERT_EQ(FileCopy(t.file("from"), t.file("to"), &sink.slout), OKAY);
    EXPECT_EQ(testsupport::readText(t.file("to")), "new");

    EXPECT_EQ(FileCopy(t.file("missing"), t.file("to"), &sink.slout), NOT_OKAY);
    ASSERT_EQ(sink.dialog.texts.size(), 2u);
    EXPECT_EQ(sink.dialog.texts[0],
              "Unable to copy file \"" + t.file("missing") + "\" to \"" + t.file("to") + "\"");
    EXPECT_EQ(sink.dialog.texts[1], "No such file or directory");
    EXPECT_EQ(testsupport::readText(t.file("to")), "new");
}

TEST(File, OpenReadAndCount) {
    TempDir t;
    Sink sink;
    FileHandle f;
    EXPECT_EQ(FileOpen("", "r", &sink.slout, f), NOT_OKAY);
    EXPECT_EQ(FileOpen(t.file("missing"), "r", &sink.slout, f), NOT_OKAY);
    EXPECT_FALSE(f);
    std::string text;
    EXPECT_EQ(FileReadText(t.file("missing"), &sink.slout, text), NOT_OKAY);
    int lines = -1;
    EXPECT_EQ(FileCountLines(t.file("missing"), &sink.slout, lines), NOT_OKAY);
    EXPECT_EQ(sink.dialog.texts,
              (std::vector<std::string>{"Unable to open file with no name.",
                                        t.file("missing") + ": No such file or directory",
                                        "Unable to open file \"" + t.file("missing") + "\"",
                                        "Unable to open file \"" + t.file("missing") + "\""}));

    const std::string big(5000, 'z');
    writeText(t.file("t"), "one\r\n" + big + "\n");
    ASSERT_EQ(FileOpen(t.file("t"), "rb", nullptr, f), OKAY);
    EXPECT_TRUE(f);
    ASSERT_EQ(FileReadText(t.file("t"), nullptr, text), OKAY);
    EXPECT_EQ(text, "one\r\n" + big + "\n");

    struct Case {
        std::string content;
        int lines;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 1},
        {"a\n", 1},
        {"a\nb", 2},
        {"\n\n", 2},
        {std::string(127, 'x') + "\n", 1},
        {std::string(128, 'x') + "\n", 2},
        {std::string(254, 'x'), 2},
        {std::string(255, 'x') + "\r\nshort\n", 4},
    };
    for (const auto& c : cases) {
        writeText(t.file("c"), c.content);
        ASSERT_EQ(FileCountLines(t.file("c"), nullptr, lines), OKAY);
        EXPECT_EQ(lines, c.lines) << "content of " << c.content.size() << " bytes";
    }
}

TEST(File, ListFilesAndSplitPath) {
    TempDir t;
    for (const char* n : {"b.txt", "a", ".hidden", "long_name.mp3"}) writeText(t.file(n), "x");
    fs::create_directory(t.file("folder"));
    std::vector<std::string> names;
    ASSERT_EQ(FileListFiles(t.str(), 6, names), OKAY);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b.txt", "long_"}));

    ReportRecorder reports;
    EXPECT_EQ(FileListFiles(t.file("missing"), 64, names), NOT_OKAY);
    EXPECT_EQ(reports.count(), 1u);

    std::string folder, name;
    ASSERT_EQ(FileSplitPath("/a/b/c.txt", folder, name), OKAY);
    EXPECT_EQ(folder, "/a/b/");
    EXPECT_EQ(name, "c.txt");
    ASSERT_EQ(FileSplitPath("c.txt", folder, name), OKAY);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "c.txt");
}

}  // namespace
