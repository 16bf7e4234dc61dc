// The naming queue. See recorderNamingQueue.h.
#include "recorderNamingQueue.h"

#include <utility>

void recorderNamingQueuePush(RecorderNamingQueue& queue, RecorderSongName name) {
    if (queue.count == 0) {
        queue.pairs[0] = std::move(name);
        queue.count = 1;
    } else {
        queue.pairs[1] = std::move(name);
        queue.count = 2;
    }
}

RecorderSongName recorderNamingQueueNewest(const RecorderNamingQueue& queue) {
    return queue.count == 0 ? RecorderSongName{} : queue.pairs[queue.count - 1];
}

RecorderSongName recorderNamingQueueOldest(const RecorderNamingQueue& queue) {
    return queue.count == 0 ? RecorderSongName{} : queue.pairs[0];
}

void recorderNamingQueuePop(RecorderNamingQueue& queue) {
    if (queue.count == 0) return;
    queue.pairs[0] = queue.count == 2 ? std::move(queue.pairs[1]) : RecorderSongName{};
    queue.pairs[1] = RecorderSongName{};
    --queue.count;
}
