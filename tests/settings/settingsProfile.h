// A scratch profile for settings tests: HOME and the XDG folders in a
// scratch folder, and the machine-wide settings root beside them.
#pragma once

#include "testsupport.h"

struct SettingsProfile {
    testsupport::TempHome home;
    testsupport::ScopedEnv machine{"TOBREL_MACHINE_REGISTRY", home.home() + "/machine"};
};
