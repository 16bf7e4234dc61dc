// The naming queue: the (artist, song) pairs announced for the recording in
// progress and for the one that just ended, waiting until the track list can
// give them to the finished tracks. It holds at most two pairs: the oldest
// belongs to the next track that finishes, the newest to the recording in
// progress. A pair announced while two wait replaces the newest.
#pragma once

#include <array>
#include <string>

struct RecorderSongName {
    std::string artist;
    std::string song;
    std::string album{};  // the wizard leaves it empty; a media player may give it
    bool operator==(const RecorderSongName&) const = default;
};

struct RecorderNamingQueue {
    std::array<RecorderSongName, 2> pairs;
    int count = 0;  // 0, 1 or 2
};

// Queues a pair: the first with an empty queue, else the second (replacing one there was).
void recorderNamingQueuePush(RecorderNamingQueue& queue, RecorderSongName name);
// The newest pair (the recording in progress): empty texts when the queue is empty.
RecorderSongName recorderNamingQueueNewest(const RecorderNamingQueue& queue);
// The oldest pair (the next track to finish): empty texts when the queue is empty.
RecorderSongName recorderNamingQueueOldest(const RecorderNamingQueue& queue);
// Removes the oldest pair; nothing when the queue is empty.
void recorderNamingQueuePop(RecorderNamingQueue& queue);
