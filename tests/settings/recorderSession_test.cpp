// Settings accessors on a fresh scratch profile: defaults, corrections of
// stored values, round trips, the e-mail triple, machine-wide values and the
// first-run rule.
#include <gtest/gtest.h>

#include <functional>

#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "settingsProfile.h"
#include "testsupport.h"

using namespace testsupport;

namespace {

using Profile = SettingsProfile;

void storeSession(const std::string& name, const std::string& text) {
    ASSERT_EQ(
        regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, std::string(RECORDER_SESSION_KEY) + "\\" + name, text),
        OKAY);
}

void storeMachine(const std::string& name, const std::string& text) {
    ASSERT_EQ(regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\" + name, text), OKAY);
}

int getInt(int (*reader)(int&)) {
    int v = -12345;
    EXPECT_EQ(reader(v), OKAY);
    return v;
}

bool getFlag(int (*reader)(bool&)) {
    bool v = false;
    EXPECT_EQ(reader(v), OKAY);
    return v;
}

TEST(recorderSession, FreshProfileReadsEveryDefault) {
    Profile p;
    ReportRecorder reports;
    int x = 0, y = 0;
    ASSERT_EQ(recorderSessionGetWindowPosition(x, y), OKAY);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_FALSE(getFlag(recorderSessionGetAlwaysOnTop));
    EXPECT_TRUE(getFlag(recorderSessionGetAutoSegment));
    EXPECT_TRUE(getFlag(recorderSessionGetRemoveAfterSave));
    EXPECT_TRUE(getFlag(recorderSessionGetClearOnExit));
    EXPECT_TRUE(getFlag(recorderSessionGetUseSubfolders));
    EXPECT_TRUE(getFlag(recorderSessionGetNameFromPlayers));
    EXPECT_EQ(getInt(recorderSessionGetMaxShortFileDuration), 30);
    EXPECT_EQ(getInt(recorderSessionGetSaveAsType), 1);
    EXPECT_EQ(getInt(recorderSessionGetNumChannels), 2);
    EXPECT_EQ(getInt(recorderSessionGetNumKbps), 256);
    double volume = 0;
    ASSERT_EQ(recorderSessionGetVolume(volume), OKAY);
    EXPECT_EQ(volume, 1.0);
    bool present = true;
    long t = 0;
    ASSERT_EQ(recorderSessionGetDateLastUsed(present, t), OKAY);
    EXPECT_FALSE(present);
    ASSERT_EQ(recorderSessionGetLastDynamicUpdate(present, t), OKAY);
    EXPECT_FALSE(present);
    ASSERT_EQ(recorderSessionGetDateInstalled(present, t), OKAY);
    EXPECT_FALSE(present);
    std::string text = "x";
    ASSERT_EQ(recorderSessionGetDefaultMp3SaveFolder(text), OKAY);
    EXPECT_EQ(text, "");
    ASSERT_EQ(recorderSessionGetCurrentSystemSound(present, text), OKAY);
    EXPECT_FALSE(present);
    recorderAskEmail ask{7, "x", 7};
    ASSERT_EQ(recorderSessionGetAskEmail(ask), OKAY);
    EXPECT_EQ(ask.dialogShown, 0);
    EXPECT_EQ(ask.emailAddress, "");
    EXPECT_EQ(ask.emailSent, 0);
    int subvendor = -1, vendor = 0;
    ASSERT_EQ(recorderProductCodes(subvendor, vendor), OKAY);
    EXPECT_EQ(subvendor, 0);
    EXPECT_EQ(vendor, 500);
    ASSERT_EQ(recorderSessionGetInstallEmailAddress(text), OKAY);
    EXPECT_EQ(text, "");
    EXPECT_EQ(reports.count(), 0u);

    // The one machine-wide value without a default.
    EXPECT_EQ(recorderSessionGetTopFolder(text), NOT_OKAY);
    EXPECT_TRUE(reports.reported("./recorderSession"));
}

TEST(recorderSession, StoredValuesAreCorrectedOnRead) {
    struct Case {
        const char* name;
        const char* stored;
        int (*reader)(int&);
        int expected;
    };
    const Case cases[] = {
        {"num_kbps", "100", recorderSessionGetNumKbps, 256},
        {"num_kbps", "320", recorderSessionGetNumKbps, 320},
        {"num_kbps", "64", recorderSessionGetNumKbps, 64},
        {"num_kbps", "abc", recorderSessionGetNumKbps, 256},
        {"num_channels", "3", recorderSessionGetNumChannels, 2},
        {"num_channels", "1", recorderSessionGetNumChannels, 1},
        {"save_as_type", "0", recorderSessionGetSaveAsType, 1},
        {"save_as_type", "2", recorderSessionGetSaveAsType, 2},
        {"max_short_file_duration", "-5", recorderSessionGetMaxShortFileDuration, 30},
        {"max_short_file_duration", "0", recorderSessionGetMaxShortFileDuration, 0},
        {"max_short_file_duration", "45s", recorderSessionGetMaxShortFileDuration,
         45},  // stops at the first non-digit
        {"max_short_file_duration", "99999999999", recorderSessionGetMaxShortFileDuration, 2147483647},
    };
    Profile p;
    for (const auto& c : cases) {
        storeSession(c.name, c.stored);
        EXPECT_EQ(getInt(c.reader), c.expected) << c.name << " stored as " << c.stored;
    }
    struct FlagCase {
        const char* stored;
        bool expected;
    };
    for (const FlagCase& c :
         {FlagCase{"0", false}, FlagCase{"1", true}, FlagCase{"255", true}, FlagCase{"-3", true}}) {
        storeSession("auto_segment", c.stored);
        EXPECT_EQ(getFlag(recorderSessionGetAutoSegment), c.expected) << c.stored;
    }
    struct VolumeCase {
        const char* stored;
        double expected;
    };
    for (const VolumeCase& c :
         {VolumeCase{"", 1.0}, VolumeCase{"0.5", 0.5}, VolumeCase{" 0.25", 0.25}, VolumeCase{"loud", 0.0}}) {
        storeSession("volume", c.stored);
        double v = -1;
        ASSERT_EQ(recorderSessionGetVolume(v), OKAY);
        EXPECT_EQ(v, c.expected) << "[" << c.stored << "]";
    }
}

TEST(recorderSession, WritersRoundTrip) {
    Profile p;
    ASSERT_EQ(recorderSessionSetWindowPosition(120, -30), OKAY);
    int x = 0, y = 0;
    ASSERT_EQ(recorderSessionGetWindowPosition(x, y), OKAY);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, -30);

    struct FlagCase {
        int (*set)(bool);
        int (*get)(bool&);
    };
    const FlagCase flags[] = {
        {recorderSessionSetAlwaysOnTop, recorderSessionGetAlwaysOnTop},
        {recorderSessionSetAutoSegment, recorderSessionGetAutoSegment},
        {recorderSessionSetRemoveAfterSave, recorderSessionGetRemoveAfterSave},
        {recorderSessionSetClearOnExit, recorderSessionGetClearOnExit},
        {recorderSessionSetUseSubfolders, recorderSessionGetUseSubfolders},
        {recorderSessionSetNameFromPlayers, recorderSessionGetNameFromPlayers},
    };
    for (const auto& f : flags) {
        for (bool v : {true, false}) {
            ASSERT_EQ(f.set(v), OKAY);
            EXPECT_EQ(getFlag(f.get), v);
        }
    }
    struct IntCase {
        int (*set)(int);
        int (*get)(int&);
        int value;
    };
    const IntCase ints[] = {
        {recorderSessionSetNumKbps, recorderSessionGetNumKbps, 192},
        {recorderSessionSetNumChannels, recorderSessionGetNumChannels, 1},
        {recorderSessionSetSaveAsType, recorderSessionGetSaveAsType, 2},
        {recorderSessionSetMaxShortFileDuration, recorderSessionGetMaxShortFileDuration, 0},
    };
    for (const auto& c : ints) {
        ASSERT_EQ(c.set(c.value), OKAY);
        EXPECT_EQ(getInt(c.get), c.value);
    }
    ASSERT_EQ(recorderSessionSetVolume(0.75), OKAY);
    double volume = 0;
    ASSERT_EQ(recorderSessionGetVolume(volume), OKAY);
    EXPECT_EQ(volume, 0.75);

    bool present = false;
    long t = 0;
    ASSERT_EQ(recorderSessionSetDateLastUsed(1700000000), OKAY);
    ASSERT_EQ(recorderSessionGetDateLastUsed(present, t), OKAY);
    EXPECT_TRUE(present);
    EXPECT_EQ(t, 1700000000);
    EXPECT_EQ(readText(p.home.home() +
                       "/.config/Tobrel/registry/SOFTWARE/Tobrel/2/500/session/date_last_used/(default)"),
              "1700000000");
    ASSERT_EQ(recorderSessionSetLastDynamicUpdate(1600000000), OKAY);
    ASSERT_EQ(recorderSessionGetLastDynamicUpdate(present, t), OKAY);
    EXPECT_TRUE(present);
    EXPECT_EQ(t, 1600000000);
    EXPECT_EQ(readText(p.home.home() +
                       "/.config/Tobrel/registry/SOFTWARE/Tobrel/2/500/last_dynamic_update/(default)"),
              "1600000000");

    std::string sound;
    storeSession("current_system_sound", "C:\\Windows\\Media\\ding.wav   ");
    ASSERT_EQ(recorderSessionGetCurrentSystemSound(present, sound), OKAY);
    EXPECT_TRUE(present);
    EXPECT_EQ(sound, "C:\\Windows\\Media\\ding.wav");
    ASSERT_EQ(recorderSessionSetCurrentSystemSound("restored"), OKAY);
    ASSERT_EQ(recorderSessionGetCurrentSystemSound(present, sound), OKAY);
    EXPECT_EQ(sound, "restored");
}

TEST(recorderSession, DefaultSaveFolderLosesOneTrailingSeparator) {
    Profile p;
    struct Case {
        const char* stored;
        const char* read;
    };
    const Case cases[] = {{"D:\\Music\\", "D:\\Music"},
                          {"/home/u/Music/", "/home/u/Music"},
                          {"/srv/a//", "/srv/a/"},
                          {"/srv/b", "/srv/b"}};
    for (const auto& c : cases) {
        storeSession("default_mp3_save_folder", c.stored);
        std::string folder;
        ASSERT_EQ(recorderSessionGetDefaultMp3SaveFolder(folder), OKAY);
        EXPECT_EQ(folder, c.read) << c.stored;
    }
    // The writer strips too, and writes nothing that is empty then.
    ASSERT_EQ(recorderSessionSetDefaultMp3SaveFolder("/data/mp3/"), OKAY);
    std::string folder;
    ASSERT_EQ(recorderSessionGetDefaultMp3SaveFolder(folder), OKAY);
    EXPECT_EQ(folder, "/data/mp3");
    for (const char* empty : {"", "/", "\\"}) {
        ASSERT_EQ(recorderSessionSetDefaultMp3SaveFolder(empty), OKAY);
        ASSERT_EQ(recorderSessionGetDefaultMp3SaveFolder(folder), OKAY);
        EXPECT_EQ(folder, "/data/mp3");
    }
}

TEST(recorderSession, AskEmailValuesTravelTogether) {
    Profile p;
    ASSERT_EQ(recorderSessionSetAskEmail({1, "someone@example.org", 0}), OKAY);
    ASSERT_EQ(recorderSessionSetAskEmail({1, "", 1}), OKAY);  // an empty address is not written
    recorderAskEmail ask;
    ASSERT_EQ(recorderSessionGetAskEmail(ask), OKAY);
    EXPECT_EQ(ask.dialogShown, 1);
    EXPECT_EQ(ask.emailAddress, "someone@example.org");
    EXPECT_EQ(ask.emailSent, 1);
    EXPECT_EQ(readText(p.home.home() +
                       "/.config/Tobrel/registry/SOFTWARE/Tobrel/2/500/askEmail/email_sent/(default)"),
              "1");
}

TEST(recorderSession, MachineValuesAndTheFirstRunRule) {
    Profile p;
    storeMachine("top_folder", "/opt/tobrel/");
    storeMachine("subvendor", "42");
    storeMachine("email_address", "installer@example.org");
    std::string text;
    ASSERT_EQ(recorderSessionGetTopFolder(text), OKAY);
    EXPECT_EQ(text, "/opt/tobrel");
    int subvendor = 0, vendor = 0;
    ASSERT_EQ(recorderProductCodes(subvendor, vendor), OKAY);
    EXPECT_EQ(subvendor, 42);
    EXPECT_EQ(vendor, 500);
    storeMachine("subvendor", "42x");
    ASSERT_EQ(recorderProductCodes(subvendor, vendor), OKAY);
    EXPECT_EQ(subvendor, 0);
    ASSERT_EQ(recorderSessionGetInstallEmailAddress(text), OKAY);
    EXPECT_EQ(text, "installer@example.org");
    ASSERT_EQ(recorderSessionGetWebServiceAddress(text), OKAY);
    EXPECT_EQ(text, "https://www.tobrel.com");
    storeMachine("web_service_address", "http://127.0.0.1:8080/");
    ASSERT_EQ(recorderSessionGetWebServiceAddress(text), OKAY);
    EXPECT_EQ(text, "http://127.0.0.1:8080");

    // Stored dates, as read and as the first-run rule sees them.
    struct Case {
        const char* installed;
        const char* lastUsed;
        bool firstRun;
    };
    const Case cases[] = {
        {"1000", "2000", false}, {"2000", "1000", true},
        {"1000", "1000", true},  {"12a", "2000", true},  // not numeric: absent
        {"", "2000", true},      {"-5", "2000", false},  // a "-" in the first place is numeric
        {"1000", nullptr, true}, {nullptr, "2000", true},
    };
    for (const auto& c : cases) {
        Profile q;
        if (c.installed) storeMachine("date_installed", c.installed);
        if (c.lastUsed) storeSession("date_last_used", c.lastUsed);
        bool ip = false, lp = false;
        long it = 0, lt = 0;
        ASSERT_EQ(recorderSessionGetDateInstalled(ip, it), OKAY);
        ASSERT_EQ(recorderSessionGetDateLastUsed(lp, lt), OKAY);
        EXPECT_EQ(recorderSessionIsFirstRun(ip, it, lp, lt), c.firstRun)
            << (c.installed ? c.installed : "(none)") << " / " << (c.lastUsed ? c.lastUsed : "(none)");
    }
}

}  // namespace
