// The single-instance guard: an advisory lock (flock) on a file named after
// the program's instance GUID in a folder every user can reach (/tmp), so a
// copy started by another user is refused too. The lock lives as long as the
// InstanceLock object; the kernel drops it when the process ends, however it
// ends. TOBREL_INSTANCE_LOCK_DIR moves the folder (tests use a scratch one so
// that parallel runs do not collide).
#pragma once

#include <string>

inline constexpr const char* kInstanceGuid = "{25F5399D-550E-4930-B6F7-8B39F13569FC}";

class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Gives the lock up early (the destructor does it otherwise); a second call does nothing.
    void release();

    friend int instanceLockAcquire(const std::string& folder, InstanceLock& lock, bool& alreadyRunning);

  private:
    int fd_ = -1;
};

// The folder of the lock file: $TOBREL_INSTANCE_LOCK_DIR, else /tmp.
std::string instanceLockFolder();
// The lock file's full path in folder.
std::string instanceLockPath(const std::string& folder);

// Takes the lock without waiting. alreadyRunning = true (OKAY, lock not held)
// when another process holds it. A lock file that cannot be opened is an
// internal error.
int instanceLockAcquire(const std::string& folder, InstanceLock& lock, bool& alreadyRunning);
