// Small fixtures shared by the tests: scratch folders, environment overrides,
// a recording message dialog and file helpers.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CSlout.h"

namespace testsupport {

// A fresh folder below $TOBREL_TEST_TMP (or the system temp folder), removed
// with everything in it when the object dies.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Sets (or unsets, with nullopt) an environment variable for its lifetime.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// HOME and the XDG variables pointed into a scratch folder, so that settings
// and folders of a test never touch the real profile.
class TempHome {
  public:
    TempHome();
    const TempDir& dir() const { return dir_; }
    std::string home() const { return dir_.str(); }

  private:
    TempDir dir_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// A message dialog that records what it was asked to show and answers as told.
class RecordingDialog : public ModalMessageDialog {
  public:
    int show(std::string_view text, bool withCancel, bool& confirmed) override;
    std::vector<std::string> texts;
    std::vector<bool> withCancel;
    bool answer = true;
};

std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// Milliseconds since a point of the steady clock.
long msSince(std::chrono::steady_clock::time_point start);

// Folders of the checkout and of the build (set by ctest; fall back to the current folder).
std::string sourceDir();
std::string binaryDir();

}  // namespace testsupport
