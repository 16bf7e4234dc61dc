// Time texts. Times are whole seconds since 1 January 1970 UTC, shown in the
// local time zone. The formats are fixed rather than taken from the user's
// locale: the clock "%H:%M:%S" and the short date "%m/%d/%Y".
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// The current local time as "%H:%M:%S" (trace lines).
int PtimeNowClockText(std::string& out);

// A time as local calendar date and time. A negative time is an internal error.
int PtimeToLocal(long seconds, std::tm& local);

// Whether a time falls on today's local date.
int PtimeIsToday(long seconds, bool& today);
// The same against a given "now" (for callers and tests that fix the clock).
int PtimeIsTodayAt(long seconds, long now, bool& today);

// "%s - %s": the local time, then the local short date. With a non-empty
// todayWord the date is replaced by it when the time is today (the track
// list's "Today"). With fileNameSafe every "/" of the date and every ":" of
// the time becomes "-". A negative time is an internal error.
int PtimeText(long seconds, std::string_view todayWord, bool fileNameSafe, std::string& out);
int PtimeTextAt(long seconds, long now, std::string_view todayWord, bool fileNameSafe, std::string& out);
