// The engine's getters, polled by the window's timer: the recording status,
// auto segment and the name of the last kept recording. They read words the
// record thread writes; a stale value lasts one tick.
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

int sndDevicesGetAutoSegment(sndDevicesContext& context, int& on) {
    on = context.record.autoSegment.load();
    return OKAY;
}

int sndDevicesGetLastRecordingName(sndDevicesContext& context, std::string& name) {
    const std::shared_ptr<const std::string> last = context.record.lastFileName.load();
    name = last ? pstrStripExtension(*last) : std::string();
    return OKAY;
}
