// Folder lookup by identifier over the installation folder and the user's
// known folders. Paths under local application data are built as
// folder/Tobrel/500/<sub-folder>.
#include "recorderPaths.h"

#include "knownFolders.h"
#include "pstr.h"
#include "recorderSession.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderPaths";

namespace {

std::string underLocal(const std::string& local, const char* sub) {
    return local + "/Tobrel/" + std::to_string(RECORDER_VENDOR) + "/" + sub;
}

int shellFolder(knownFolder which, bool create, std::string& path) {
    REPORT_CHECK(knownFolderPath(which, create, path));
    pstrStripTrailingSlash(path);
    return OKAY;
}

}  // namespace

int recorderPaths(int id, std::string& path) {
    // No path of the program lies under the machine-wide data folder, so it is
    // not looked up here: a sandbox that hides every folder of XDG_DATA_DIRS
    // must not stop the program (start-up traces its absence).
    std::string top, local, roaming, documents;
    REPORT_CHECK(recorderSessionGetTopFolder(top));
    REPORT_CHECK(shellFolder(knownFolder::LocalAppData, true, local));
    REPORT_CHECK(shellFolder(knownFolder::RoamingAppData, true, roaming));
    REPORT_CHECK(shellFolder(knownFolder::Documents, true, documents));
    switch (id) {
        case RECORDER_PATH_SKINS:
            path = top + "/Skins";
            break;
        case RECORDER_PATH_ANNOUNCEMENTS:
            path = underLocal(local, "Announcements");
            break;
        case RECORDER_PATH_DOCUMENTS:
            path = documents + "/Tobrel";
            break;
        case RECORDER_PATH_TEMP:
            path = underLocal(local, "Temp");
            break;
        case RECORDER_PATH_CACHE:
            path = underLocal(local, "Cache");
            break;
        case RECORDER_PATH_MY_MUSIC:
            REPORT_CHECK(shellFolder(knownFolder::Music, true, path));
            break;
        case RECORDER_PATH_AUTOCOMPLETE:
            path = underLocal(local, "Autocomplete");
            break;
        default:
            return REPORT_ERR();
    }
    return OKAY;
}

int recorderPathsDefaultSaveFolder(std::string& path) {
    std::string stored;
    REPORT_CHECK(recorderSessionGetDefaultMp3SaveFolder(stored));
    if (!stored.empty()) {
        path = stored;
        return OKAY;
    }
    std::string music;
    REPORT_CHECK(recorderPaths(RECORDER_PATH_MY_MUSIC, music));
    path = music + "/Tobrel";
    return OKAY;
}
