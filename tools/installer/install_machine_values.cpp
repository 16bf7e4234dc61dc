// The installer's step, for a checkout (./run.sh) and for the installed
// package (its postinst): writes the machine-wide values
// top_folder (the folder that holds Skins/), date_installed (now) and
// web_service_address (the web service's base address) into the machine-wide
// settings root, each only when absent. Rewriting date_installed
// on every run would make every start a first run.
//
// Usage: tobrel-install-machine-values TOP_FOLDER
#include <cstdio>
#include <ctime>
#include <string>

#include "Mth.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"

namespace {

const std::string kMachineKey = "SOFTWARE\\Tobrel\\500\\";

int ensure(const char* name, const std::string& value, bool (*present)(const std::string&)) {
    bool found = false;
    std::string text;
    if (regWithoutKeynameRead(REG_ROOT_LOCAL_MACHINE, kMachineKey + name, REG_VALUE_BUFFER_BYTES, found,
                              text) != OKAY)
        return NOT_OKAY;
    if (found && present(text)) {
        std::printf("%s already set: %s\n", name, text.c_str());
        return OKAY;
    }
    if (regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, kMachineKey + name, value) != OKAY) return NOT_OKAY;
    std::printf("%s written: %s\n", name, value.c_str());
    return OKAY;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: %s ABSOLUTE_TOP_FOLDER\n", argv[0]);
        return 2;
    }
    std::string top = argv[1];
    while (top.size() > 1 && top.back() == '/') top.pop_back();
    const std::string now = std::to_string(static_cast<long>(std::time(nullptr)));
    // A date that is not numeric counts as absent for the program, so it is replaced.
    if (ensure("top_folder", top, [](const std::string& t) { return !t.empty(); }) != OKAY ||
        ensure("date_installed", now, [](const std::string& t) { return MthIsNumeric(t); }) != OKAY ||
        ensure("web_service_address", RECORDER_WEB_SERVICE_DEFAULT,
               [](const std::string& t) { return !t.empty(); }) != OKAY) {
        std::fprintf(stderr, "Unable to write the machine-wide settings\n");
        return 1;
    }
    return 0;
}
