// The end-to-end tests' shared fixture (see e2eFixture.h).
#include "e2eFixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "pulseFixture.h"
#include "recorderMainSkin.h"
#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "report.h"
#include "skin.h"

namespace fs = std::filesystem;

namespace e2e {

std::string missingTool(const std::vector<std::string>& tools) {
    for (const std::string& tool : tools)
        if (pulsefixture::runProgram({"sh", "-c", "command -v " + tool + " >/dev/null"}) != 0) return tool;
    return "";
}

Child::~Child() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        pulsefixture::waitProgram(pid_);
    }
}

Child& Child::operator=(Child&& other) noexcept {
    std::swap(pid_, other.pid_);
    return *this;
}

bool Child::running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

Profile::Profile() {
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("TOBREL_MACHINE_REGISTRY", machine_.str()));
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("TOBREL_INSTANCE_LOCK_DIR", lockDir_.str()));
    regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\top_folder",
                           testsupport::sourceDir());
    recorderSessionSetWindowPosition(0, 0);
}

bool Display::start() {
    // Xvfb picks a free number and tells it through a pipe.
    int numberPipe[2];
    if (::pipe(numberPipe) != 0) return false;
    xvfb_ = Child(pulsefixture::spawnProgram({"Xvfb", "-displayfd", std::to_string(numberPipe[1]), "-screen",
                                              "0", "800x600x24", "-nolisten", "tcp"}));
    ::close(numberPipe[1]);
    std::string number;
    char c = 0;
    while (::read(numberPipe[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(numberPipe[0]);
    if (xvfb_.pid() <= 0 || number.empty()) return false;
    name_ = ":" + number;
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("DISPLAY", name_));
    env_.push_back(std::make_unique<testsupport::ScopedEnv>("QT_QPA_PLATFORM", "xcb"));
    return true;
}

std::string Display::artifacts(const std::string& folder) {
    const fs::path path = fs::path(testsupport::binaryDir()) / "test-artifacts" / folder;
    fs::create_directories(path);
    return path.string();
}

bool Display::screenshot(const std::string& folder, const std::string& shot) const {
    const std::string path = artifacts(folder) + "/" + shot + ".png";
    fs::remove(path);
    return pulsefixture::runProgram({"import", "-display", name_, "-window", "root", path}) == 0 &&
           fs::exists(path);
}

Child startRecorder() {
    return Child(pulsefixture::spawnProgram({testsupport::binaryDir() + "/Mains/recorder/tobrel"}));
}

Layout::Layout() {
    if (recorderInitMainSkin(testsupport::sourceDir() + "/Skins", nullptr, nullptr, {}, skin_) != OKAY)
        return;
    if (skin_) skinTextGetRect(skin_.get(), kSkinTextTrackList, listLeft, listTop, listRight, listBottom);
}

Layout::~Layout() = default;

std::pair<int, int> Layout::centre(int hotspot) const {
    int enabled = 0, l = 0, t = 0, r = 0, b = 0;
    skinHotspotGet(skin_.get(), hotspot, enabled, l, t, r, b);
    return {(l + r) / 2, (t + b) / 2};
}

}  // namespace e2e
