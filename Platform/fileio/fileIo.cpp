// File access by handle on POSIX (see fileIo.h): file descriptors opened with
// O_CLOEXEC; interrupted calls are repeated.
#include "fileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "report.h"

namespace {

int fd(FileIoHandle handle) { return static_cast<int>(handle); }

}  // namespace

int fileIoOpen(const std::string& path, FileIoMode mode, FileIoHandle& handle) {
    handle = kFileIoClosed;
    int flags = O_CLOEXEC;
    switch (mode) {
        case FileIoMode::Read:
            flags |= O_RDONLY;
            break;
        case FileIoMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case FileIoMode::Create:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    const int opened = ::open(path.c_str(), flags, 0666);
    if (opened < 0) return NOT_OKAY;
    handle = opened;
    return OKAY;
}

int fileIoClose(FileIoHandle handle) {
    if (handle == kFileIoClosed) return OKAY;
    return ::close(fd(handle)) == 0 ? OKAY : NOT_OKAY;
}

FileIoHandle fileIoStreamHandle(std::FILE* stream) {
    const int descriptor = stream ? ::fileno(stream) : -1;
    return descriptor < 0 ? kFileIoClosed : descriptor;
}

int fileIoRead(FileIoHandle handle, void* data, size_t bytes, size_t& got) {
    got = 0;
    ssize_t r;
    do r = ::read(fd(handle), data, bytes);
    while (r < 0 && errno == EINTR);
    if (r < 0) return NOT_OKAY;
    got = static_cast<size_t>(r);
    return OKAY;
}

int fileIoWrite(FileIoHandle handle, const void* data, size_t bytes, size_t& written) {
    written = 0;
    ssize_t w;
    do w = ::write(fd(handle), data, bytes);
    while (w < 0 && errno == EINTR);
    if (w < 0) return NOT_OKAY;
    written = static_cast<size_t>(w);
    return OKAY;
}

int fileIoReadAt(FileIoHandle handle, void* data, size_t bytes, uint64_t offset) {
    auto* p = static_cast<unsigned char*>(data);
    while (bytes > 0) {
        const ssize_t r = ::pread(fd(handle), p, bytes, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return NOT_OKAY;
        p += r;
        bytes -= static_cast<size_t>(r);
        offset += static_cast<uint64_t>(r);
    }
    return OKAY;
}

int fileIoWriteAt(FileIoHandle handle, const void* data, size_t bytes, uint64_t offset) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        const ssize_t w = ::pwrite(fd(handle), p, bytes, static_cast<off_t>(offset));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return NOT_OKAY;
        p += w;
        bytes -= static_cast<size_t>(w);
        offset += static_cast<uint64_t>(w);
    }
    return OKAY;
}

int fileIoSeek(FileIoHandle handle, uint64_t offset) {
    return ::lseek(fd(handle), static_cast<off_t>(offset), SEEK_SET) < 0 ? NOT_OKAY : OKAY;
}

int fileIoSize(FileIoHandle handle, uint64_t& size) {
    struct stat st {};
    if (::fstat(fd(handle), &st) != 0) return NOT_OKAY;
    size = static_cast<uint64_t>(st.st_size);
    return OKAY;
}

int fileIoTruncate(FileIoHandle handle, uint64_t size) {
    return ::ftruncate(fd(handle), static_cast<off_t>(size)) == 0 ? OKAY : NOT_OKAY;
}

int fileIoReserve(FileIoHandle handle, uint64_t size) {
    int r;
    do r = ::fallocate(fd(handle), 0, 0, static_cast<off_t>(size));
    while (r != 0 && errno == EINTR);
    return r == 0 ? OKAY : NOT_OKAY;
}

int fileIoSync(FileIoHandle handle) { return ::fsync(fd(handle)) == 0 ? OKAY : NOT_OKAY; }

int fileIoSyncStream(std::FILE* stream) {
    if (!stream || std::fflush(stream) != 0) return NOT_OKAY;
    return ::fsync(::fileno(stream)) == 0 ? OKAY : NOT_OKAY;
}

int fileIoSyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return NOT_OKAY;
    const bool synced = ::fsync(dir) == 0;
    const int err = errno;
    ::close(dir);
    errno = err;
    return synced ? OKAY : NOT_OKAY;
}
