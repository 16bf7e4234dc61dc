// The shared window-test fixtures: the QApplication and the recorder harness.
#include "recorderTestApp.h"

#include <QApplication>
#include <QElapsedTimer>

#include "httpTestServer.h"
#include "recorderDlgMsgModal.h"
#include "recorderInit.h"
#include "recorderMainWindow.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"

void recorderTestEnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tobrel-test";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: Qt objects of the tests may outlive any scope.
    static QApplication* app = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    (void)app;
}

int NoOutputs::renderEndpoints(std::vector<AudioEndpoint>& endpoints) {
    endpoints.clear();
    return OKAY;
}

int NoOutputs::defaultRenderEndpoint(std::string& id, bool& found) {
    id.clear();
    found = false;
    return OKAY;
}

int NoOutputs::activate(const std::string&, std::unique_ptr<AudioStream>&) { return NOT_OKAY; }

RecorderHarness::RecorderHarness() {
    recorderTestEnsureApplication();
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("TOBREL_MACHINE_REGISTRY", machine.str()));
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("TOBREL_INSTANCE_LOCK_DIR", lockDir.str()));
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("no_proxy", "*"));
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("NO_PROXY", "*"));
    regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\top_folder",
                           testsupport::sourceDir());
    regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\web_service_address",
                           "http://127.0.0.1:" + std::to_string(httptest::closedPort()));
    recorderSetMessageBoxHook(
        [this](const std::string& text, const std::string& caption) { boxes.emplace_back(text, caption); });
    app.services.audioDevices = &noOutputs;
    app.services.dialog = &dialog;
    app.services.browser = &browser;
    app.web.network = &network;
}

RecorderHarness::~RecorderHarness() {
    recorderShutdown(app);
    QApplication::processEvents();
    recorderSetMessageBoxHook(nullptr);
}

int RecorderHarness::start() { return recorderCreateMainWindow(app); }

void RecorderHarness::pump(int ms) {
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (clock.elapsed() < ms);
}

std::string recorderTestSessionValue(const std::string& name) {
    bool found = false;
    std::string text;
    regWithoutKeynameRead(REG_ROOT_CURRENT_USER, std::string(RECORDER_SESSION_KEY) + "\\" + name,
                          REG_VALUE_BUFFER_BYTES, found, text);
    return found ? text : "<missing>";
}
