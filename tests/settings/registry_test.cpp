// The registry access and its file-tree store on a scratch profile: roots,
// round trips, missing keys, the buffer limit, malformed key paths and
// failures on existing keys.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include <sys/stat.h>

#include "regWithoutKeyname.h"
#include "registryStore.h"
#include "report.h"
#include "settingsProfile.h"
#include "testsupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using Profile = SettingsProfile;

TEST(registry, EachRootKeepsItsOwnTree) {
    Profile p;
    const std::string config = p.home.home() + "/.config/Tobrel/";
    struct Case {
        int root;
        std::string folder;
    };
    const Case cases[] = {
        {REG_ROOT_CLASSES_ROOT, config + "registry-classes"},
        {REG_ROOT_LOCAL_MACHINE, p.home.home() + "/machine"},
        {REG_ROOT_USERS, config + "registry-users"},
        {REG_ROOT_CURRENT_USER, config + "registry"},
    };
    for (const auto& c : cases) {
        const std::string text = "value of root " + std::to_string(c.root);
        ASSERT_EQ(regWithoutKeynameWrite(c.root, "SOFTWARE\\Tobrel\\2\\500\\session\\name", text), OKAY);
        EXPECT_EQ(readText(c.folder + "/SOFTWARE/Tobrel/2/500/session/name/(default)"), text);
    }
    for (const auto& c : cases) {
        bool found = false;
        std::string text;
        ASSERT_EQ(regWithoutKeynameRead(c.root, "SOFTWARE/Tobrel/2/500/session/name", 1024, found, text),
                  OKAY);
        EXPECT_TRUE(found);
        EXPECT_EQ(text, "value of root " + std::to_string(c.root));
    }
    // Overwriting replaces the value and leaves no temporary file behind.
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "a\\b", "first, longer"), OKAY);
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "a\\b", "second"), OKAY);
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(config + "registry/a/b")) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
    EXPECT_EQ(readText(config + "registry/a/b/(default)"), "second");
}

TEST(registry, MissingKeysAreNotFoundWithoutReports) {
    Profile p;
    ReportRecorder reports;
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "a\\b\\c", "x"), OKAY);
    for (const char* key : {"a\\missing", "a\\b", "a", "a\\b\\c\\d"}) {  // a and a\b exist but have no value
        bool found = true;
        std::string text = "untouched";
        ASSERT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, key, 1024, found, text), OKAY) << key;
        EXPECT_FALSE(found) << key;
        EXPECT_EQ(text, "untouched");
    }
    fs::create_directories(p.home.home() + "/.config/Tobrel/registry/plain");
    writeText(p.home.home() + "/.config/Tobrel/registry/plain/file", "x");
    bool found = true;
    std::string text;
    ASSERT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, "plain\\file\\below", 1024, found, text), OKAY);
    EXPECT_FALSE(found);
    EXPECT_EQ(reports.count(), 0u);
}

TEST(registry, BufferLimitCountsCharacters) {
    Profile p;
    const std::string e = "\xC3\xA9";  // one character, two bytes
    std::string fits511, accented511;
    for (int i = 0; i < 511; ++i) accented511 += e;
    fits511.assign(511, 'x');
    struct Case {
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        {fits511, true}, {accented511, true}, {fits511 + "x", false}, {accented511 + e, false}};
    for (const auto& c : cases) {
        ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "long", c.text), OKAY);
        ReportRecorder reports;
        bool found = false;
        std::string text;
        EXPECT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, "long", 1024, found, text), OKAY);
        EXPECT_EQ(found, c.ok);  // too long: the caller takes its default
        if (c.ok) {
            EXPECT_EQ(text, c.text);
        }
        EXPECT_EQ(reports.count(), 0u);
    }
}

TEST(registry, ValuesThatCannotBeReadAreNotFoundAndTold) {
    Profile p;
    std::string root;
    ASSERT_EQ(registryRootFolder(registryRoot::CurrentUser, root), OKAY);
    std::vector<std::pair<std::string, std::string>> told;
    regWithoutKeynameSetUnreadableNotice(
        [&](std::string_view key, const std::string& why) { told.emplace_back(std::string(key), why); });
    const auto valueFile = [&](const std::string& key) {
        std::filesystem::create_directories(root + "/" + key);
        return root + "/" + key + "/" + kRegistryValueFile;
    };
    struct Case {
        const char* key;
        std::function<void(const std::string&)> make;  // makes the value file's place
        const char* why;
    } cases[] = {
        {"folder", [](const std::string& f) { std::filesystem::create_directories(f); }, "a folder"},
        {"pipe", [](const std::string& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0); }, "not a regular file"},
        {"huge", [](const std::string& f) { testsupport::writeText(f, std::string(5 << 20, 'x')); },
         "longer than"},
        {"bytes", [](const std::string& f) { testsupport::writeText(f, "a\xff"); }, "not valid UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        c.make(valueFile(c.key));
        ReportRecorder reports;
        bool found = true;
        std::string text = "before";
        // A named pipe without a writer would block a read that waits.
        EXPECT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, c.key, 1024, found, text), OKAY);
        EXPECT_FALSE(found);
        EXPECT_EQ(reports.count(), 0u);
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.back().first, c.key);
        EXPECT_NE(told.back().second.find(c.why), std::string::npos) << told.back().second;
    }
    // A key whose folder is a file holds no value.
    testsupport::writeText(root + "/file", "x");
    bool found = true;
    std::string text;
    told.clear();
    EXPECT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, "file\\below", 1024, found, text), OKAY);
    EXPECT_FALSE(found);
    regWithoutKeynameSetUnreadableNotice(nullptr);
}

TEST(registry, InternalErrors) {
    Profile p;
    ReportRecorder reports;
    bool found = false;
    std::string text;
    for (int root : {0, 5, -1}) {
        EXPECT_EQ(regWithoutKeynameWrite(root, "a", "x"), NOT_OKAY);
        EXPECT_EQ(regWithoutKeynameRead(root, "a", 1024, found, text), NOT_OKAY);
    }
    // Key paths that would leave the root, or name nothing.
    for (const char* key : {"", "a\\..\\..\\escape", "..", "a\\\\b", "a\\.\\b", "a\\", "(default)"}) {
        reports.clear();
        EXPECT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, key, "x"), NOT_OKAY) << key;
        EXPECT_EQ(regWithoutKeynameRead(REG_ROOT_CURRENT_USER, key, 1024, found, text), NOT_OKAY) << key;
        EXPECT_GE(reports.count(), 2u) << key;
    }
    EXPECT_FALSE(fs::exists(p.home.home() + "/.config/Tobrel/escape"));

    // Failures to write on an existing key: its value is a folder, or a level
    // is a file. (Reading them finds no value.)
    const std::string root = p.home.home() + "/.config/Tobrel/registry";
    fs::create_directories(root + "/broken/(default)");
    reports.clear();
    EXPECT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "broken", "x"), NOT_OKAY);
    writeText(root + "/file", "x");
    EXPECT_EQ(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, "file\\below", "x"), NOT_OKAY);
    EXPECT_TRUE(reports.reported("UTIL/reg/regWithoutKeyname"));
    EXPECT_TRUE(reports.reported("Platform/registry/registryStore"));
}

TEST(registry, MachineRootDefaultsToTheBuildTree) {
    ScopedEnv unset("TOBREL_MACHINE_REGISTRY", std::nullopt);
    std::string folder;
    ASSERT_EQ(registryRootFolder(registryRoot::LocalMachine, folder), OKAY);
    EXPECT_EQ(folder, binaryDir() + "/machine-registry");
}

// The lines the probe prints: the machine root, then the library candidates.
std::vector<std::string> runProbe(const std::string& program) {
    std::vector<std::string> lines;
    FILE* out = ::popen(("'" + program + "'").c_str(), "r");
    if (!out) return lines;
    char line[4096];
    while (std::fgets(line, sizeof line, out)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        lines.push_back(text);
    }
    EXPECT_EQ(::pclose(out), 0);
    return lines;
}

TEST(registry, InstalledProgramUsesTheSystemMachineRootAndItsLibraryFolder) {
    ScopedEnv unset("TOBREL_MACHINE_REGISTRY", std::nullopt);
    const std::filesystem::path probe = MACHINE_ROOT_PROBE;
    const std::string buildFolder = probe.parent_path().string();
    EXPECT_EQ(runProbe(probe.string()),
              (std::vector<std::string>{binaryDir() + "/machine-registry", buildFolder + "/liblame_enc.so",
                                        buildFolder + "/../lib/tobrel/liblame_enc.so", "liblame_enc.so"}));

    // A copy outside the build tree stands for an installed program (bin/ of a prefix).
    char pattern[] = "/tmp/tobrel-installed-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path prefix = pattern;
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::copy_file(probe, prefix / "bin/probe");
    const std::string bin = (prefix / "bin").string();
    EXPECT_EQ(runProbe(bin + "/probe"),
              (std::vector<std::string>{INSTALLED_MACHINE_ROOT, bin + "/liblame_enc.so",
                                        bin + "/../lib/tobrel/liblame_enc.so", "liblame_enc.so"}));
    {
        ScopedEnv chosen("TOBREL_MACHINE_REGISTRY", "/srv/machine");
        EXPECT_EQ(runProbe(bin + "/probe").at(0), "/srv/machine");
    }
    std::filesystem::remove_all(prefix);
}

}  // namespace
