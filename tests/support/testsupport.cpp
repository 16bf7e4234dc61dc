#include "testsupport.h"

#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
    const char* base = std::getenv("TOBREL_TEST_TMP");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path() / "tobrel-tests";
    fs::create_directories(root);
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (;;) {
        std::string name = "t";
        name += std::to_string(::getpid());
        name += '_';
        name += std::to_string(counter++);
        name += '_';
        name += std::to_string(rd() % 100000);
        fs::path candidate = root / name;
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    if (value)
        ::setenv(name_.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        ::setenv(name_.c_str(), old_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

TempHome::TempHome() {
    const std::string h = dir_.str();
    auto set = [&](const char* n, std::optional<std::string> v) {
        env_.push_back(std::make_unique<ScopedEnv>(n, v));
    };
    set("HOME", h);
    set("XDG_CONFIG_HOME", h + "/.config");
    set("XDG_DATA_HOME", h + "/.local/share");
    set("XDG_DATA_DIRS", h + "/usr/share");
    set("XDG_DOCUMENTS_DIR", std::nullopt);
    set("XDG_MUSIC_DIR", std::nullopt);
    // The machine-wide settings root too, so that no test reads or writes the
    // build tree's installed values.
    set("TOBREL_MACHINE_REGISTRY", h + "/machine-registry");
    fs::create_directories(h + "/.config");
    fs::create_directories(h + "/usr/share");
}

int RecordingDialog::show(std::string_view text, bool cancel, bool& confirmed) {
    texts.emplace_back(text);
    withCancel.push_back(cancel);
    confirmed = answer;
    return 0;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string sourceDir() {
    const char* s = std::getenv("TOBREL_SOURCE_DIR");
    return s ? s : fs::current_path().string();
}

std::string binaryDir() {
    const char* s = std::getenv("TOBREL_BINARY_DIR");
    return s ? s : fs::current_path().string();
}

long msSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count());
}

}  // namespace testsupport
