// The desktop's directory dialog as the folder picker of the save dialogs.
#include "recorderFolderPicker.h"

#include <QFileDialog>

#include "report.h"

int DesktopFolderPicker::pick(QWidget* owner, const std::string& title, const std::string& start,
                              bool& chosen, std::string& folder) {
    chosen = false;
    const QString picked = QFileDialog::getExistingDirectory(
        owner, QString::fromStdString(title), QString::fromStdString(start), QFileDialog::ShowDirsOnly);
    if (picked.isEmpty()) return OKAY;
    folder = picked.toStdString();
    chosen = true;
    return OKAY;
}
