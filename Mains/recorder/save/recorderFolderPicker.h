// The folder picker behind "Browse..." of the save dialogs: a small interface
// whose real implementation is the desktop's own directory dialog (native
// where the desktop offers one), so that tests can script the user's choice.
#pragma once

#include <string>

class QWidget;

class FolderPicker {
  public:
    virtual ~FolderPicker() = default;
    // Asks the user for a folder, starting at `start`. chosen is false when
    // the user cancelled; folder is then left alone.
    virtual int pick(QWidget* owner, const std::string& title, const std::string& start, bool& chosen,
                     std::string& folder) = 0;
};

// The desktop's directory dialog.
class DesktopFolderPicker : public FolderPicker {
  public:
    int pick(QWidget* owner, const std::string& title, const std::string& start, bool& chosen,
             std::string& folder) override;
};
