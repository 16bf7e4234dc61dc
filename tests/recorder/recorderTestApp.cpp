// One QApplication per test program, created on first use.
#include "recorderTestApp.h"

#include <QApplication>

void recorderTestEnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tobrel-test";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: Qt objects of the tests may outlive any scope.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}
