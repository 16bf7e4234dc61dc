// Single-instance lock over flock (see instanceLock.h). The file is opened
// read-only, which is enough for flock and works on a file another user
// created; it is opened close-on-exec so that a program we start (the
// browser) never inherits the lock and keeps it after we exit.
#include "instanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "report.h"

static constexpr const char* kReportModule = "../../Platform/instance/instanceLock";

InstanceLock::~InstanceLock() { release(); }

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void InstanceLock::release() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

std::string instanceLockFolder() {
    const char* dir = std::getenv("TOBREL_INSTANCE_LOCK_DIR");
    return dir && *dir ? std::string(dir) : std::string("/tmp");
}

std::string instanceLockPath(const std::string& folder) {
    return folder + "/Tobrel-" + kInstanceGuid + ".lock";
}

int instanceLockAcquire(const std::string& folder, InstanceLock& lock, bool& alreadyRunning) {
    alreadyRunning = false;
    lock.release();
    if (folder.empty()) return REPORT_ERR();
    const std::string path = instanceLockPath(folder);
    // Open an existing file without O_CREAT first: in a sticky, world-writable
    // folder the kernel may refuse O_CREAT on a file that another user owns.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        // Readable by everyone whatever the umask, so other users can lock it too.
        if (fd >= 0) ::fchmod(fd, 0644);
    }
    if (fd < 0) return REPORT_ERR_WHY(path + ": " + reportErrnoText(errno));
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) {
            alreadyRunning = true;
            return OKAY;
        }
        return REPORT_ERR_WHY(path + ": " + reportErrnoText(err));
    }
    lock.fd_ = fd;
    return OKAY;
}
