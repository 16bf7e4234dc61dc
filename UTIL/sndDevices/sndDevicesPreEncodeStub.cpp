// Placeholder for the pre-encoding hand-off until the MP3 pipeline provides
// sndDevicesStartPreEncoding: kept recordings simply get no pre-encoded companion.
#include "sndDevicesPreEncode.h"

#include "report.h"

int sndDevicesStartPreEncoding(sndDevicesContext&, const std::string&, const std::string&) { return OKAY; }
