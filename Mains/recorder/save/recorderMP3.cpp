// recorderMP3: one track saved as an MP3 file, with the user's messages.
//
// The save runs on the user-interface thread under the wait cursor; it may
// wait for a pre-encoding of the same track to finish (at most two minutes)
// rather than encode the track twice.
#include "recorderMP3.h"

#include <QApplication>

#include "CSlout.h"
#include "File.h"
#include "recorderApp.h"
#include "recorderDlgMsgModal.h"
#include "report.h"
#include "sndDevicesMp3.h"

static constexpr const char* kReportModule = "./recorderMP3";

int recorderMP3(RecorderApp& app, const std::string& title, const std::string& artist,
                const std::string& album, const std::string& genre, const std::string& comment,
                const std::string& baseName, const std::string& mp3Path, bool& saved) {
    saved = false;
    if (!app.owned.engine) return REPORT_ERR();
    std::string folder;
    bool found = false;
    REPORT_CHECK(pstrUserLibraryFilename(mp3Path, folder, found));
    if (!found) return OKAY;
    if (folder.empty()) folder = "/";
    bool created = false;
    REPORT_CHECK(FileCreateFolderPath(folder, app.owned.trace.get(), created));
    if (!created) return OKAY;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    int status = 0;
    const int result = sndDevicesManageFinalMP3Creation(*app.owned.engine, title, artist, album, genre,
                                                        comment, baseName, mp3Path, status);
    QApplication::restoreOverrideCursor();
    if (result != OKAY) return REPORT_ERR();

    bool confirmed = false;
    if (status == kMp3StatusOk) {
        saved = true;
    } else if (status == kMp3StatusCreateFailed) {
        const std::string text =
            std::string(kMsgUnableToSaveFile) + "\n   " + mp3Path + "\n\n" + kMsgFileInUse;
        REPORT_CHECK(recorderDlgMsgModal(app, text, false, confirmed));
    } else {
        REPORT_CHECK(recorderDlgMsgModal(app, kMsgUnableToSaveMp3, false, confirmed));
    }
    return OKAY;
}
