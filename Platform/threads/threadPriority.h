// Scheduling priorities of the engine's threads. Best effort: a system that
// refuses a priority leaves the thread as it was, and it runs all the same.
//
// Priorities are named as the engine names them: lowest (-2) keeps the MP3
// pre-encodings behind everything else, normal (0), and time-critical (15)
// for the record and playback threads. On Linux, time-critical is real-time
// scheduling where permitted, otherwise the lowest nice value allowed; lowest
// is nice 10, -1 is nice 5, normal is nice 0.
#pragma once

constexpr int kThreadPriorityLowest = -2;
constexpr int kThreadPriorityNormal = 0;
constexpr int kThreadPriorityTimeCritical = 15;

// The system's id of the calling thread, by which another thread can change
// its priority (always above 0).
int threadPriorityCurrentId();

// Sets the priority of the thread with that id; never fails.
void threadPrioritySet(int threadId, int priority);
