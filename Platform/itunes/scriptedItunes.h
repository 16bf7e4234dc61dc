// A scripted iTunes for the export's tests: an in-memory library of tracks
// behind the automation interfaces, conversions that take virtual time, and
// members that can be told to refuse (busy, locked, conversion in progress) or
// fail. Time is virtual: sleepMs advances the clock at once, so waits of
// minutes run in microseconds and tests can read when a wait ended.
//
// Conversions are real file operations: converting a file or a track copies
// its bytes into the media folder under a new name with the import extension,
// so tests can watch the files the export leaves behind. Everything runs on the
// calling thread; the double must outlive the objects it hands out.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "itunesAutomation.h"

struct ScriptedArtwork {
    int32_t format = kItArtworkJpeg;
    std::string bytes;
};

// One track of the library. Texts and numbers are keyed by their property
// names: texts "Name", "Artist", "Album", "Comment", "Composer", "Genre",
// "Grouping", "Time", "Category", "Description", "LongDescription",
// "AlbumArtist", "Show", "SortAlbum", "SortAlbumArtist", "SortArtist",
// "SortComposer", "SortName", "SortShow", "Lyrics"; numbers "BPM",
// "Compilation" (0 or 1), "DiscCount", "DiscNumber", "Rating", "TrackCount",
// "TrackNumber", "Year", "BitRate", "Duration", "SampleRate". A missing key
// reads as empty or 0.
struct ScriptedTrack {
    int32_t sourceId = 1, playlistId = 1, trackId = 0, databaseId = 0;
    bool fileTrack = true;  // offers IITFileOrCDTrack
    std::string location;
    std::map<std::string, std::string> texts;
    std::map<std::string, int32_t> numbers;
    std::vector<ScriptedArtwork> artwork;
};

class ScriptedItunes : public ItunesAutomation {
  public:
    ScriptedItunes();
    ~ScriptedItunes() override;

    // --- the platform
    ItHresult createInstance(ItGuid clsid, ItGuid iid, std::shared_ptr<IiTunes>& out) override;
    bool serverInstalled(ItGuid clsid) override { return installed && clsid == kItClsidITunesApp; }
    bool mainWindowExists() override { return running; }
    void postCloseToMainWindow() override;
    int64_t nowMs() override { return nowMs_; }
    void sleepMs(int ms) override;

    // --- the script
    bool installed = true;                 // false: createInstance answers "class not registered"
    std::deque<ItHresult> createFailures;  // results of the next createInstance calls
    bool compatible = true;                // CheckVersion's answer
    std::string version = "12.13.2.3";
    bool closesWhenAsked = true;          // Quit and a close request end iTunes
    std::string mediaFolder;              // where converted files go (must exist)
    std::string importExtension = "mp3";  // the user's import format
    int conversionMs = 2000;              // virtual time a conversion stays in progress
    bool conversionsNeverEnd = false;
    int conversionTracks = 1;  // tracks a finished conversion reports (0: it failed)
    // The details iTunes gives a file it converts (ids and location are its own).
    ScriptedTrack importDetails;
    // The next calls of `member` (for example "IITTrack.put_Name") return
    // these results in turn before the member works again; failAlways makes
    // every call return `result`.
    void failNext(const std::string& member, std::vector<ItHresult> results);
    void failAlways(const std::string& member, ItHresult result);
    // Called with each member as it is entered (after the refusal is decided),
    // for example to fire an event in the middle of an export.
    std::function<void(const std::string& member)> onCall;

    // --- what a test observes
    bool running = false;            // iTunes' main window exists
    std::vector<std::string> calls;  // every member called, in order ("IiTunes.ConvertFile2")
    int64_t sleptMs = 0;             // virtual time spent in sleepMs
    int count(const std::string& member) const;
    const ScriptedTrack* track(int32_t trackId) const;  // null when not in the library
    const std::vector<ScriptedTrack>& library() const { return library_; }
    // Adds a track under new ids (and a location when it has none); returns its track id.
    int32_t addTrack(ScriptedTrack track);
    // Calls every sink advised on the application's events.
    void fireApplicationEvent(int32_t dispId);
    int applicationSinks() const;  // sinks advised now
    int conversionSinks() const;   // conversion-status sinks advised now

    // --- used by the scripted objects
    ItHresult enter(const std::string& member);
    ScriptedTrack* find(int32_t trackId);
    ItHresult convert(const ScriptedTrack& details, const std::string& sourceFile,
                      std::shared_ptr<IITOperationStatus>& out);
    ItHresult removeTrack(int32_t trackId);

    struct Sinks;  // one connection point's advised sinks

  private:
    int64_t nowMs_ = 1000000;
    int32_t nextId_ = 100;
    int fileCounter_ = 0;
    std::vector<ScriptedTrack> library_;
    std::map<std::string, std::deque<ItHresult>> failNext_;
    std::map<std::string, ItHresult> failAlways_;
    std::shared_ptr<Sinks> applicationSinks_;
    std::vector<std::weak_ptr<Sinks>> conversionSinks_;
};
