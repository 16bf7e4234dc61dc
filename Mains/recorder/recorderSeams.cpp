// Placeholders of the calls listed in recorderSeams.h: each does nothing until
// its own module implements it (and removes it from here).
#include "recorderSeams.h"

#include "recorderApp.h"
#include "report.h"

int recorderInitWeb(RecorderApp&) { return OKAY; }
int recorderWebInstallerEmail(RecorderApp&) { return OKAY; }
int recorderWebDynamicUpdateCheck(RecorderApp&) { return OKAY; }
int recorderWebStartupMessages(RecorderApp&) { return OKAY; }
int recorderDlgMsgModelessClose(RecorderApp&) { return OKAY; }
int recorderCloseWeb(RecorderApp&) { return OKAY; }
