// Registry access by root number over the settings store of the platform
// layer. This is the one place that turns root numbers into store roots and
// applies the caller's buffer size.
#include "regWithoutKeyname.h"

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

}  // namespace

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
    REPORT_CHECK(registryStoreRead(folder, keyPath, units * 3, present, value));
    if (!present) return OKAY;
    if (pstrUtf16Length(value) > units) return REPORT_ERR();
    text = std::move(value);
    found = true;
    return OKAY;
}
