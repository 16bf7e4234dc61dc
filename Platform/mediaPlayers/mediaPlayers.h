// The desktop's media players as the recorder follows them: every player that
// announces itself on the session bus (org.mpris.MediaPlayer2.<name>), whether
// it plays, and what it plays. The application holds a MediaPlayers; it gets
// the session bus's (dbusMediaPlayers.h), tests get ScriptedMediaPlayers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class MediaPlayerStatus { Stopped, Paused, Playing };

// What a player plays: the fields of its metadata the recorder uses. Texts
// are UTF-8 as the player gave them, empty when it gave none.
struct MediaPlayerMetadata {
    std::string title;     // xesam:title
    std::string artist;    // the first of xesam:artist
    std::string album;     // xesam:album
    std::string trackId;   // mpris:trackid
    int64_t lengthUs = 0;  // mpris:length; 0 when unknown
    bool operator==(const MediaPlayerMetadata&) const = default;
};

// A player's whole state after a change.
struct MediaPlayerReport {
    std::string player;   // its bus name, "org.mpris.MediaPlayer2.<name>"
    bool present = true;  // false: the player has left the bus (nothing else is set)
    MediaPlayerStatus status = MediaPlayerStatus::Stopped;
    MediaPlayerMetadata metadata;
};

class MediaPlayers {
  public:
    using Listener = std::function<void(const MediaPlayerReport&)>;
    virtual ~MediaPlayers() = default;
    // Starts following the players: a report for each player already there,
    // then one at each change, handed to `listener` on the thread that runs
    // the event loop, never inside this call. Returns false, and reports
    // nothing, when there is no session bus: the recorder then simply goes
    // without players. Following again starts afresh.
    virtual bool follow(Listener listener) = 0;
    // Stops following: no report arrives after this returns. Harmless when
    // not following.
    virtual void stop() = 0;
};

// The double: reports are what the test hands it, at once.
class ScriptedMediaPlayers : public MediaPlayers {
  public:
    bool follow(Listener listener) override;
    void stop() override;
    // Hands a report to the listener; false when nobody follows.
    bool report(const MediaPlayerReport& report);
    bool following() const { return static_cast<bool>(listener_); }

    bool busAvailable = true;  // false: follow() finds no session bus
    int follows = 0;           // calls of follow()

  private:
    Listener listener_;
};
