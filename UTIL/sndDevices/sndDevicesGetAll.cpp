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
    sndDevicesEndpoints& e = context.endpoints;
    for (int i = 0; i < kSndMaxEndpoints; ++i) {
        e.endpointIds[i].clear();
        e.interfaceNames[i].clear();
        e.descriptions[i].clear();
    }
    e.userEndpoints.fill(-1);
}

int sndDevices_GetAll(sndDevicesContext& context, int& count) {
    sndDevicesEndpoints& table = context.endpoints;
    table.userDeviceCount = 0;
    if (!context.devices) return REPORT_ERR();
    std::vector<AudioEndpoint> endpoints;
    REPORT_CHECK(context.devices->renderEndpoints(endpoints));
    // The tables hold kSndMaxEndpoints; outputs beyond them are left out.
    const int n = static_cast<int>(std::min<size_t>(endpoints.size(), kSndMaxEndpoints));
    sndDevices_FreeReuseableObjects(context);
    table.deviceCount = n;
    count = n;
    table.enhancerDeviceIndex = -1;
    table.defaultDeviceIndex = -1;
    if (n == 0) return OKAY;

    std::string defaultId;
    bool haveDefault = false;
    REPORT_CHECK(context.devices->defaultRenderEndpoint(defaultId, haveDefault));
    for (int i = 0; i < n; ++i) {
        const AudioEndpoint& e = endpoints[static_cast<size_t>(i)];
        table.endpointIds[i] = e.id;
        table.interfaceNames[i] = e.interfaceName;
        table.descriptions[i] = e.description;
        if (haveDefault && e.id == defaultId) table.defaultDeviceIndex = i;
        // Case-sensitive; with several, the last one is the enhancer.
        if (e.interfaceName.find(kSndEnhancerName) != std::string::npos) table.enhancerDeviceIndex = i;
        if (i != table.enhancerDeviceIndex) table.userEndpoints[table.userDeviceCount++] = i;
    }
    return OKAY;
}
