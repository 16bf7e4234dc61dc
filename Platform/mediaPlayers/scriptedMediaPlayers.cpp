// The scripted media players of the tests. See mediaPlayers.h.
#include "mediaPlayers.h"

bool ScriptedMediaPlayers::follow(Listener listener) {
    ++follows;
    listener_ = busAvailable ? std::move(listener) : Listener();
    return busAvailable;
}

void ScriptedMediaPlayers::stop() { listener_ = nullptr; }

bool ScriptedMediaPlayers::report(const MediaPlayerReport& report) {
    if (!listener_) return false;
    // A copy: the listener may stop the following while it runs.
    const Listener listener = listener_;
    listener(report);
    return true;
}
