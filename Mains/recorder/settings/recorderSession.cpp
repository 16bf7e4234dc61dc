// Settings accessors: key paths, text conversions, defaults and corrections.
// Every value is text in a key's unnamed value; numbers are written with "%d"
// and read back with a decimal conversion that stops at the first non-digit,
// dates are accepted only when the text is numeric.
#include "recorderSession.h"

#include <charconv>
#include <climits>
#include <cstdio>

#include "Mth.h"
#include "pstr.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "sndDevicesMp3BitRates.h"

static constexpr const char* kReportModule = "./recorderSession";

namespace {

const std::string kUserKey = "SOFTWARE\\Tobrel\\2\\500";
const std::string kMachineKey = "SOFTWARE\\Tobrel\\500";

std::string sessionKey(std::string_view name) {
    return std::string(RECORDER_SESSION_KEY) + "\\" + std::string(name);
}

int readText(int root, const std::string& key, bool& found, std::string& text) {
    REPORT_CHECK(regWithoutKeynameRead(root, key, REG_VALUE_BUFFER_BYTES, found, text));
    return OKAY;
}

// Leading blanks, an optional sign and the digits that follow, as the C
// library's decimal conversion reads them; out-of-range values are clamped.
long long decimalValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < LLONG_MAX / 10) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

int toInt(long long v) { return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v)); }

// A session integer: found and converted, or the default.
int getInt(std::string_view name, int fallback, bool& found, int& value) {
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, sessionKey(name), found, text));
    value = found ? toInt(decimalValue(text)) : fallback;
    return OKAY;
}

int setInt(std::string_view name, int value) {
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, sessionKey(name), std::to_string(value)));
    return OKAY;
}

int getFlag(std::string_view name, bool fallback, bool& on) {
    bool found = false;
    int v = 0;
    REPORT_CHECK(getInt(name, fallback ? 1 : 0, found, v));
    on = v != 0;
    return OKAY;
}

int setFlag(std::string_view name, bool on) {
    REPORT_CHECK(setInt(name, on ? 1 : 0));
    return OKAY;
}

int getDate(int root, const std::string& key, bool& present, long& seconds) {
    present = false;
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(root, key, found, text));
    if (found && MthIsNumeric(text)) {
        seconds = static_cast<long>(decimalValue(text));
        present = true;
    }
    return OKAY;
}

int setDate(int root, const std::string& key, long seconds) {
    REPORT_CHECK(regWithoutKeynameWrite(root, key, std::to_string(seconds)));
    return OKAY;
}

}  // namespace

int recorderSessionGetWindowPosition(int& xmin, int& ymin) {
    bool found = false;
    REPORT_CHECK(getInt("window_xmin", -1, found, xmin));
    REPORT_CHECK(getInt("window_ymin", -1, found, ymin));
    return OKAY;
}

int recorderSessionSetWindowPosition(int xmin, int ymin) {
    REPORT_CHECK(setInt("window_xmin", xmin));
    REPORT_CHECK(setInt("window_ymin", ymin));
    return OKAY;
}

int recorderSessionGetAlwaysOnTop(bool& on) {
    REPORT_CHECK(getFlag("always_on_top", false, on));
    return OKAY;
}
int recorderSessionSetAlwaysOnTop(bool on) {
    REPORT_CHECK(setFlag("always_on_top", on));
    return OKAY;
}
int recorderSessionGetAutoSegment(bool& on) {
    REPORT_CHECK(getFlag("auto_segment", true, on));
    return OKAY;
}
int recorderSessionSetAutoSegment(bool on) {
    REPORT_CHECK(setFlag("auto_segment", on));
    return OKAY;
}
int recorderSessionGetRemoveAfterSave(bool& on) {
    REPORT_CHECK(getFlag("remove_after_save", true, on));
    return OKAY;
}
int recorderSessionSetRemoveAfterSave(bool on) {
    REPORT_CHECK(setFlag("remove_after_save", on));
    return OKAY;
}
int recorderSessionGetClearOnExit(bool& on) {
    REPORT_CHECK(getFlag("clear_on_exit", true, on));
    return OKAY;
}
int recorderSessionSetClearOnExit(bool on) {
    REPORT_CHECK(setFlag("clear_on_exit", on));
    return OKAY;
}
int recorderSessionGetUseSubfolders(bool& on) {
    REPORT_CHECK(getFlag("use_subfolders", true, on));
    return OKAY;
}
int recorderSessionSetUseSubfolders(bool on) {
    REPORT_CHECK(setFlag("use_subfolders", on));
    return OKAY;
}
int recorderSessionGetNameFromPlayers(bool& on) {
    REPORT_CHECK(getFlag("name_from_players", true, on));
    return OKAY;
}
int recorderSessionSetNameFromPlayers(bool on) {
    REPORT_CHECK(setFlag("name_from_players", on));
    return OKAY;
}

int recorderSessionGetVolume(double& volume) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, sessionKey("volume"), found, text));
    volume = 1.0;
    if (!found || text.empty()) return OKAY;
    // Independent of the locale's decimal separator; text that is not a number reads as 0.
    size_t i = text.find_first_not_of(" \t");
    if (i != std::string::npos && text[i] == '+') ++i;
    double v = 0.0;
    if (i == std::string::npos ||
        std::from_chars(text.data() + i, text.data() + text.size(), v).ec != std::errc())
        v = 0.0;
    volume = v;
    return OKAY;
}

int recorderSessionSetVolume(double volume) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, volume);
    if (r.ec != std::errc()) return REPORT_ERR();
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, sessionKey("volume"),
                                        std::string_view(buf, r.ptr - buf)));
    return OKAY;
}

int recorderSessionGetMaxShortFileDuration(int& seconds) {
    bool found = false;
    REPORT_CHECK(getInt("max_short_file_duration", 30, found, seconds));
    if (seconds < 0) seconds = 30;
    return OKAY;
}
int recorderSessionSetMaxShortFileDuration(int seconds) {
    REPORT_CHECK(setInt("max_short_file_duration", seconds));
    return OKAY;
}

int recorderSessionGetSaveAsType(int& type) {
    bool found = false;
    REPORT_CHECK(getInt("save_as_type", 1, found, type));
    if (type != 1 && type != 2) type = 1;
    return OKAY;
}
int recorderSessionSetSaveAsType(int type) {
    REPORT_CHECK(setInt("save_as_type", type));
    return OKAY;
}

int recorderSessionGetNumChannels(int& channels) {
    bool found = false;
    REPORT_CHECK(getInt("num_channels", 2, found, channels));
    if (channels != 1 && channels != 2) channels = 2;
    return OKAY;
}
int recorderSessionSetNumChannels(int channels) {
    REPORT_CHECK(setInt("num_channels", channels));
    return OKAY;
}

int recorderSessionGetNumKbps(int& kbps) {
    bool found = false;
    REPORT_CHECK(getInt("num_kbps", kSndMp3DefaultBitRate, found, kbps));
    if (!sndDevicesIsMp3BitRate(kbps)) kbps = kSndMp3DefaultBitRate;
    return OKAY;
}
int recorderSessionSetNumKbps(int kbps) {
    REPORT_CHECK(setInt("num_kbps", kbps));
    return OKAY;
}

int recorderSessionGetDateLastUsed(bool& present, long& seconds) {
    REPORT_CHECK(getDate(REG_ROOT_CURRENT_USER, sessionKey("date_last_used"), present, seconds));
    return OKAY;
}
int recorderSessionSetDateLastUsed(long seconds) {
    REPORT_CHECK(setDate(REG_ROOT_CURRENT_USER, sessionKey("date_last_used"), seconds));
    return OKAY;
}

int recorderSessionGetDefaultMp3SaveFolder(std::string& folder) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, sessionKey("default_mp3_save_folder"), found, text));
    if (found) pstrStripTrailingSlash(text);
    folder = found ? text : std::string();
    return OKAY;
}

int recorderSessionSetDefaultMp3SaveFolder(std::string_view folder) {
    std::string text(folder);
    pstrStripTrailingSlash(text);
    if (text.empty()) return OKAY;
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, sessionKey("default_mp3_save_folder"), text));
    return OKAY;
}

int recorderSessionGetCurrentSystemSound(bool& present, std::string& sound) {
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, sessionKey("current_system_sound"), present, text));
    if (present) {
        pstrStripTrailingBlanks(text);
        sound = text;
    }
    return OKAY;
}

int recorderSessionSetCurrentSystemSound(std::string_view sound) {
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, sessionKey("current_system_sound"), sound));
    return OKAY;
}

int recorderSessionGetAskEmail(recorderAskEmail& values) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\askEmailDialogShown", found, text));
    values.dialogShown = found ? toInt(decimalValue(text)) : 0;
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\email_address", found, text));
    values.emailAddress = found ? text : std::string();
    REPORT_CHECK(readText(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\email_sent", found, text));
    values.emailSent = found ? toInt(decimalValue(text)) : 0;
    return OKAY;
}

int recorderSessionSetAskEmail(const recorderAskEmail& values) {
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\askEmailDialogShown",
                                        std::to_string(values.dialogShown)));
    if (!values.emailAddress.empty())
        REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\email_address",
                                            values.emailAddress));
    REPORT_CHECK(regWithoutKeynameWrite(REG_ROOT_CURRENT_USER, kUserKey + "\\askEmail\\email_sent",
                                        std::to_string(values.emailSent)));
    return OKAY;
}

int recorderSessionGetLastDynamicUpdate(bool& present, long& seconds) {
    REPORT_CHECK(getDate(REG_ROOT_CURRENT_USER, kUserKey + "\\last_dynamic_update", present, seconds));
    return OKAY;
}
int recorderSessionSetLastDynamicUpdate(long seconds) {
    REPORT_CHECK(setDate(REG_ROOT_CURRENT_USER, kUserKey + "\\last_dynamic_update", seconds));
    return OKAY;
}

int recorderSessionGetTopFolder(std::string& folder) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_LOCAL_MACHINE, kMachineKey + "\\top_folder", found, text));
    if (!found || text.empty()) return REPORT_ERR();
    pstrStripTrailingSlash(text);
    folder = text;
    return OKAY;
}

int recorderSessionGetDateInstalled(bool& present, long& seconds) {
    REPORT_CHECK(getDate(REG_ROOT_LOCAL_MACHINE, kMachineKey + "\\date_installed", present, seconds));
    return OKAY;
}

int recorderSessionGetSubvendor(int& subvendor) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_LOCAL_MACHINE, kMachineKey + "\\subvendor", found, text));
    subvendor = found && MthIsNumeric(text) ? toInt(decimalValue(text)) : 0;
    return OKAY;
}

int recorderSessionGetInstallEmailAddress(std::string& address) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_LOCAL_MACHINE, kMachineKey + "\\email_address", found, text));
    address = found ? text : std::string();
    return OKAY;
}

int recorderSessionGetWebServiceAddress(std::string& address) {
    bool found = false;
    std::string text;
    REPORT_CHECK(readText(REG_ROOT_LOCAL_MACHINE, kMachineKey + "\\web_service_address", found, text));
    while (!text.empty() && (text.back() == '/' || text.back() == ' ')) text.pop_back();
    address = found && !text.empty() ? text : std::string(RECORDER_WEB_SERVICE_DEFAULT);
    return OKAY;
}

int recorderProductCodes(int& subvendor, int& vendor) {
    REPORT_CHECK(recorderSessionGetSubvendor(subvendor));
    vendor = RECORDER_VENDOR;
    return OKAY;
}

bool recorderSessionIsFirstRun(bool installedPresent, long installed, bool lastUsedPresent, long lastUsed) {
    return !(installedPresent && lastUsedPresent && installed < lastUsed);
}
