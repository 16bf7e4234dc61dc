// The recorder in a scratch profile, ready for saving: real cache tracks
// (48 kHz stereo tones, scrambled like the recorder keeps them) registered in
// cache.db and shown in the list, a scripted folder picker, a fresh save
// folder as the default, and readers of what was saved (mutagen for tags,
// ffprobe for the stream).
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "recCache.h"
#include "recorderFolderPicker.h"
#include "recorderTestApp.h"

// A folder picker that answers from a script and notes how it was asked.
class ScriptedFolderPicker : public FolderPicker {
  public:
    int pick(QWidget* owner, const std::string& title, const std::string& start, bool& chosen,
             std::string& folder) override;
    // One answer per call: a folder, or "" for Cancel.
    std::deque<std::string> answers;
    std::vector<std::string> titles, starts;
};

class SaveFixture {
  public:
    SaveFixture();

    // A track of `audioSeconds` of tone whose name says `durationMs` (the
    // length the list and the filters go by), with these tags. Returns its id.
    int addTrack(const recCacheTags& tags, long durationMs = 60000, double audioSeconds = 0.5);
    std::string cacheFolder() const;
    std::string baseName(int id);
    // Selects exactly these rows of the list.
    void selectRows(const std::vector<int>& rows);
    std::vector<int> trackIds();
    std::vector<std::string> messages() const { return h.dialog.texts; }

    RecorderHarness h;
    ScriptedFolderPicker picker;
    testsupport::TempDir out;  // the default save folder
    long nextStart = 1700000000;
};

// The ID3 frames of a file as mutagen reads them (TIT2, TPE1, TALB, TCON,
// COMM), plus "version" ("2.3"); empty when mutagen cannot read a tag.
std::map<std::string, std::string> mutagenTags(const std::string& mp3);
// ffprobe's view of the audio stream: codec_name, sample_rate, channels, bit_rate.
std::map<std::string, std::string> probeStream(const std::string& mp3);
// What ffmpeg complains about while decoding the whole file (empty: clean).
std::string decodeErrors(const std::string& mp3);
