// Registry access by root number over the settings store of the platform
// layer. This is the one place that turns root numbers into store roots and
// applies the caller's buffer size.
#include "regWithoutKeyname.h"

#include <mutex>

#include "pstr.h"
#include "registryStore.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/reg/regWithoutKeyname";

namespace {

int rootFolderOf(int root, std::string& folder) {
    registryRoot r;
    switch (root) {
        case REG_ROOT_CLASSES_ROOT:
            r = registryRoot::ClassesRoot;
            break;
        case REG_ROOT_LOCAL_MACHINE:
            r = registryRoot::LocalMachine;
            break;
        case REG_ROOT_USERS:
            r = registryRoot::Users;
            break;
        case REG_ROOT_CURRENT_USER:
            r = registryRoot::CurrentUser;
            break;
        default:
            return REPORT_ERR();
    }
    REPORT_CHECK(registryRootFolder(r, folder));
    return OKAY;
}

std::mutex& noticeMutex() {
    static std::mutex m;
    return m;
}

RegUnreadableNotice& notice() {
    static RegUnreadableNotice n;
    return n;
}

void tellUnreadable(std::string_view keyPath, const std::string& why) {
    RegUnreadableNotice n;
    {
        std::lock_guard lock(noticeMutex());
        n = notice();
    }
    if (n) n(keyPath, why);
}

}  // namespace

void regWithoutKeynameSetUnreadableNotice(RegUnreadableNotice n) {
    std::lock_guard lock(noticeMutex());
    notice() = std::move(n);
}

int regWithoutKeynameWrite(int root, std::string_view keyPath, std::string_view text) {
    std::string folder;
    REPORT_CHECK(rootFolderOf(root, folder));
    REPORT_CHECK(registryStoreWrite(folder, keyPath, text));
    return OKAY;
}

int regWithoutKeynameRead(int root, std::string_view keyPath, size_t bufferBytes, bool& found,
                          std::string& text) {
    found = false;
    if (bufferBytes < 2) return REPORT_ERR();
    std::string folder;
    REPORT_CHECK(rootFolderOf(root, folder));
    const size_t units = bufferBytes / 2 - 1;
    // One UTF-16 unit never takes more than three UTF-8 bytes.
    bool present = false;
    std::string value;
    std::string unreadable;
    REPORT_CHECK(registryStoreRead(folder, keyPath, units * 3, present, value, unreadable));
    if (present && !pstrIsUtf8(value)) unreadable = "not valid UTF-8 text";
    if (present && unreadable.empty() && pstrUtf16Length(value) > units)
        unreadable = "longer than " + std::to_string(units) + " characters";
    if (!unreadable.empty()) {
        tellUnreadable(keyPath, unreadable);
        return OKAY;
    }
    if (!present) return OKAY;
    text = std::move(value);
    found = true;
    return OKAY;
}
