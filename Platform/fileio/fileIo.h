// Unbuffered file access by handle, for the cache audio files: sequential and
// positioned reads and writes, the size, truncation and flushing to the disk.
// Handles are not inherited by programs the recorder starts.
//
// Every call returns OKAY or NOT_OKAY and reports nothing: a failed call
// leaves errno set, and the caller decides whether the failure is an outcome
// or an internal error (reportErrnoText(errno) gives its text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using FileIoHandle = intptr_t;
constexpr FileIoHandle kFileIoClosed = -1;

enum class FileIoMode {
    Read,       // an existing file, read only
    ReadWrite,  // an existing file
    Create,     // read and write; created, or emptied when it exists
};

int fileIoOpen(const std::string& path, FileIoMode mode, FileIoHandle& handle);
// Closes the handle (a closed handle is left alone).
int fileIoClose(FileIoHandle handle);
// The handle under an open stream; the stream keeps owning it (never close it).
FileIoHandle fileIoStreamHandle(std::FILE* stream);

// One read at the current position: got < bytes at the end of the file (0 there).
int fileIoRead(FileIoHandle handle, void* data, size_t bytes, size_t& got);
// One write at the current position: written may fall short of bytes.
int fileIoWrite(FileIoHandle handle, const void* data, size_t bytes, size_t& written);
// Exactly `bytes` at `offset`, else NOT_OKAY (the end of the file included).
int fileIoReadAt(FileIoHandle handle, void* data, size_t bytes, uint64_t offset);
int fileIoWriteAt(FileIoHandle handle, const void* data, size_t bytes, uint64_t offset);
// Moves the current position to `offset`.
int fileIoSeek(FileIoHandle handle, uint64_t offset);
int fileIoSize(FileIoHandle handle, uint64_t& size);
int fileIoTruncate(FileIoHandle handle, uint64_t size);
// Claims `size` bytes on the disk at once (the file grows to that length when
// shorter; what was there is kept), so the file system places the file in one
// go rather than block by block as it is written. NOT_OKAY where it cannot
// (no space, a file system without it).
int fileIoReserve(FileIoHandle handle, uint64_t size);
// Forces what was written onto the disk.
int fileIoSync(FileIoHandle handle);
// The same for a buffered stream: what it buffers is written first.
int fileIoSyncStream(std::FILE* stream);
// Forces a folder's entries (a rename into it, a new file) onto the disk.
int fileIoSyncFolder(const std::string& folder);
