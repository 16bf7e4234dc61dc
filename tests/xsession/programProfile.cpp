// The end-to-end runs' scratch profile. See programProfile.h.
#include "programProfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

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

bool ProgramProfile::traced(const std::string& text) const {
    const std::string trace = documents + "/trace_messages.txt";
    return std::filesystem::exists(trace) && testsupport::readText(trace).find(text) != std::string::npos;
}

int ProgramProfile::cachedTracks() const {
    const std::string n = xCommandOutput("sqlite3 '" + cache + "/cache.db' 'select count(*) from caches'");
    return n.empty() ? -1 : std::atoi(n.c_str());
}
