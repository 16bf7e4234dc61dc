// What both save dialogs share: the choice between an MP3 file and iTunes,
// and the folder group shown while MP3 is chosen (the folder, "Browse...",
// "Automatically Create Subfolders" and its hint), with their settings.
#pragma once

#include <string>

class QBoxLayout;
class QCheckBox;
class QDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct RecorderApp;

inline constexpr const char* kSaveAsMp3 = "MP3 (Save as .mp3 file)";
inline constexpr const char* kSaveAsItunes = "iTunes (Save into iTunes)";
inline constexpr const char* kSaveFolderLabel = "Folder:";
inline constexpr const char* kSaveBrowse = "Browse...";
inline constexpr const char* kSaveSubfolders = "Automatically Create Subfolders";
inline constexpr const char* kSaveSubfoldersHint = "(ex. /Folder/Artist/Album)";
// Longest folder text, in UTF-16 units.
inline constexpr int kSaveFolderMaxLength = 1023;

// Control identifiers (the widgets' object names).
struct RecorderSaveTargetIds {
    const char* mp3;
    const char* itunes;
    const char* frame;
    const char* folderLabel;
    const char* folder;
    const char* browse;
    const char* subfolders;
    const char* hint;
};

struct RecorderSaveTarget {
    QRadioButton* mp3 = nullptr;
    QRadioButton* itunes = nullptr;
    QGroupBox* frame = nullptr;
    QLineEdit* folder = nullptr;
    QPushButton* browse = nullptr;
    QCheckBox* subfolders = nullptr;
    bool itunesOffered = false;  // set by recorderSaveTargetLoad
};

// Adds the two choices to `choices` and the folder group to `group`.
RecorderSaveTarget recorderSaveTargetCreate(QDialog& dialog, QBoxLayout& choices, QBoxLayout& group,
                                            const RecorderSaveTargetIds& ids);

// Sets the controls from the settings (save_as_type, use_subfolders, the
// default save folder), shows the folder group only while MP3 is chosen and
// makes "Browse..." run the folder picker. The choice is shown only where
// iTunes can be saved into (recorderItunesOffered); elsewhere the MP3 file is
// the target, whatever save_as_type holds. The folder group keeps its room
// while hidden, so the dialog's size does not change with the choice.
int recorderSaveTargetLoad(RecorderApp& app, RecorderSaveTarget& target);

// The title a track without one is saved under, in both dialogs: its
// creation time as text, in a form a file name can hold.
int recorderSaveDefaultTitle(long creationTime, std::string& title);

// OK, first step: stores save_as_type from the choice (nothing while the
// choice is not shown, so a stored iTunes choice is kept).
int recorderSaveTargetStoreType(const RecorderSaveTarget& target);

// OK, for MP3: the folder must be a full path (otherwise the user is told and
// ok stays false); then use_subfolders and the folder are stored, and the
// folder and the subfolder switch handed out.
int recorderSaveTargetStoreFolder(RecorderApp& app, const RecorderSaveTarget& target, bool& ok,
                                  std::string& folder, bool& useSubfolders);
