// What the operating system says about itself: the machine it runs on, and
// the calendar time in the user's time zone.
#pragma once

#include <ctime>
#include <string>

// The processor architecture as the system names it ("x86_64", "aarch64",
// "i686"...). OKAY, or NOT_OKAY when the system does not say (nothing reported).
int systemMachineName(std::string& machine);

// `time` as local calendar date and time. Safe on any thread. OKAY, or
// NOT_OKAY when it cannot be converted (nothing reported).
int systemLocalTime(std::time_t time, std::tm& local);
