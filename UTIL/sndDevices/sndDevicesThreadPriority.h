// Scheduling of the engine's threads. The record and playback threads want the
// highest priority the system grants (real-time where permitted, otherwise the
// lowest nice value allowed); a refusal never stops a thread from running.
#pragma once

// Raises the calling thread as far as the system allows; never fails.
void sndDevicesRaiseThreadPriority();
