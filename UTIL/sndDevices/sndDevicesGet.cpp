// The engine's getters, polled by the window's timer: the recording status,
// auto segment, the recording open now and the last kept recording. They
// read words the record thread writes; a stale value lasts one tick.
#include <algorithm>

#include "pstr.h"
#include "sndDevicesEngine.h"

int sndDevicesGetRecordStatus(sndDevicesContext& context, int& indicator, uint32_t& startTime,
                              uint32_t& durationMs) {
    const sndDevicesRecord& r = context.record;
    indicator = r.recordIndicator.load();
    if (r.recording.load()) {
        startTime = r.recordStartTime.load();
        durationMs = static_cast<uint32_t>(r.recordDurationMs.load());
    } else {
        startTime = 0;
        durationMs = 0;
    }
    return OKAY;
}

int sndDevicesGetLevels(sndDevicesContext& context, float& captured, float& played) {
    captured = std::min(1.0f, sndDevicesTakePeak(context.record.capturePeak));
    played = std::min(1.0f, sndDevicesTakePeak(context.playback.playPeak));
    return OKAY;
}

int sndDevicesGetAutoSegment(sndDevicesContext& context, int& on) {
    on = context.record.autoSegment.load();
    return OKAY;
}

int sndDevicesGetLastRecordingName(sndDevicesContext& context, std::string& name) {
    uint32_t serial = 0;
    return sndDevicesGetLastRecording(context, name, serial);
}

int sndDevicesGetLastRecording(sndDevicesContext& context, std::string& name, uint32_t& serial) {
    const std::shared_ptr<const sndDevicesKeptRecording> last = context.record.lastRecording.load();
    name = last ? pstrStripExtension(last->fileName) : std::string();
    serial = last ? last->serial : 0;
    return OKAY;
}

int sndDevicesGetOpenRecording(sndDevicesContext& context, sndDevicesOpenRecording& recording) {
    // The length belongs to the recording the serial names when the serial
    // word is the same before and after it: the record thread resets the
    // length before it marks a recording open.
    for (;;) {
        const uint32_t before = context.record.recordSerial.load();
        const float length = context.record.recordDurationMs.load();
        if (context.record.recordSerial.load() != before) continue;
        recording.open = (before & 1u) != 0;
        recording.serial = before >> 1;
        recording.durationMs = recording.open ? static_cast<uint32_t>(length) : 0;
        recording.keepable =
            recording.open && recording.durationMs >= static_cast<uint32_t>(context.capture.minimumLengthMs);
        return OKAY;
    }
}
