// The end-to-end runs' scratch profile. See programProfile.h.
#include "programProfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pulseFixture.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "xSession.h"

ProgramProfile::ProgramProfile()
    : machineEnv("TOBREL_MACHINE_REGISTRY", machine.str()),
      lockEnv("TOBREL_INSTANCE_LOCK_DIR", lockDir.str()),
      noProxy("no_proxy", "*") {
    ok = regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\top_folder",
                                testsupport::sourceDir()) == OKAY &&
         regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address",
                                "http://127.0.0.1:1") == OKAY &&
         recorderSessionSetWindowPosition(0, 0) == OKAY &&
         recorderPaths(RECORDER_PATH_DOCUMENTS, documents) == OKAY &&
         recorderPaths(RECORDER_PATH_CACHE, cache) == OKAY;
    if (!ok) return;
    std::filesystem::create_directories(documents);
    std::ofstream(documents + "/trace_on.txt") << "";
}

int ProgramProfile::traced(const std::string& text) const {
    std::ifstream trace(documents + "/trace_messages.txt");
    std::string line;
    int n = 0;
    while (std::getline(trace, line)) n += line.find(text) != std::string::npos;
    return n;
}

std::string ProgramProfile::tracks(const std::string& columns) const {
    return xCommandOutput("sqlite3 -separator '|' '" + cache + "/cache.db' \"SELECT " + columns +
                          " FROM caches ORDER BY creation_timestamp\"");
}

int ProgramProfile::cachedTracks() const {
    const std::string n = xCommandOutput("sqlite3 '" + cache + "/cache.db' 'select count(*) from caches'");
    return n.empty() ? -1 : std::atoi(n.c_str());
}
