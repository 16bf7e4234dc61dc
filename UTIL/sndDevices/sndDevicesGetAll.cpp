// Taking stock of the outputs (sndDevices_GetAll): the endpoint tables, the
// default output, the companion enhancer's virtual output, and the user's own
// outputs. The re-initialisation calls it and then picks the default output
// for capture and playback.
#include <algorithm>
#include <vector>

#include "report.h"
#include "sndDevicesEngine.h"

static constexpr const char* kReportModule = "../../UTIL/sndDevices/sndDevicesGetAll";

void sndDevices_FreeReuseableObjects(sndDevicesContext& context) {
    for (int i = 0; i < kSndMaxEndpoints; ++i) {
        context.endpointIds[i].clear();
        context.interfaceNames[i].clear();
        context.descriptions[i].clear();
    }
    context.userEndpoints.fill(-1);
}

int sndDevices_GetAll(sndDevicesContext& context, int& count) {
    context.userDeviceCount = 0;
    if (!context.devices) return REPORT_ERR();
    std::vector<AudioEndpoint> endpoints;
    REPORT_CHECK(context.devices->renderEndpoints(endpoints));
    // The tables hold kSndMaxEndpoints; outputs beyond them are left out.
    const int n = static_cast<int>(std::min<size_t>(endpoints.size(), kSndMaxEndpoints));
    sndDevices_FreeReuseableObjects(context);
    context.deviceCount = n;
    count = n;
    context.enhancerDeviceIndex = -1;
    context.defaultDeviceIndex = -1;
    if (n == 0) return OKAY;

    std::string defaultId;
    bool haveDefault = false;
    REPORT_CHECK(context.devices->defaultRenderEndpoint(defaultId, haveDefault));
    for (int i = 0; i < n; ++i) {
        const AudioEndpoint& e = endpoints[static_cast<size_t>(i)];
        context.endpointIds[i] = e.id;
        context.interfaceNames[i] = e.interfaceName;
        context.descriptions[i] = e.description;
        if (haveDefault && e.id == defaultId) context.defaultDeviceIndex = i;
        // Case-sensitive; with several, the last one is the enhancer.
        if (e.interfaceName.find(kSndEnhancerName) != std::string::npos) context.enhancerDeviceIndex = i;
        if (i != context.enhancerDeviceIndex) context.userEndpoints[context.userDeviceCount++] = i;
    }
    return OKAY;
}
