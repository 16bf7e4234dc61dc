// Shared fixtures of the recorder's window tests: one QApplication for the
// whole test program (offscreen platform, set by ctest).
#pragma once

// Creates the process's QApplication on first use; it lives until exit.
void recorderTestEnsureApplication();
