// Files and folders. User-visible failures are reported through the caller's
// trace sink (when one is given); failed system calls are internal errors.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CSlout;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool FileExists(const std::string& path);
bool FileIsFolder(const std::string& path);
// Creates one folder if missing. When creating fails, reports
// "Unable to create folder \"%s\"" through trace->errorA and returns OKAY with created = false.
int FileCreateFolder(const std::string& path, CSlout* trace, bool& created);
// Creates every missing level of path; created is true only when the whole path exists afterwards.
int FileCreateFolderPath(const std::string& path, CSlout* trace, bool& created);
// Deletes an existing file; on failure reports "%s: %s" (path, system error text) and returns NOT_OKAY.
int FileDeleteIfPresent(const std::string& path, CSlout* trace);
// Deletes every regular file "folder/*.extension" (extension compared exactly).
int FileDeleteMatching(const std::string& folder, const std::string& extension, CSlout* trace);
// Copies a file, overwriting the target; on failure reports
// "Unable to copy file \"%s\" to \"%s\"" then the system error text as a continuation line.
int FileCopy(const std::string& from, const std::string& to, CSlout* trace);
// Opens a file with an fopen mode; failure reports "%s: %s"; an empty name
// reports "Unable to open file with no name.".
int FileOpen(const std::string& path, const char* mode, CSlout* trace, FileHandle& out);
// Reads a whole 8-bit text file; an unopenable file reports "Unable to open file \"%s\"".
int FileReadText(const std::string& path, CSlout* trace, std::string& out);
// Lines of a text file, a line longer than 127 characters counting once per 127 characters.
int FileCountLines(const std::string& path, CSlout* trace, int& count);
// Names of the regular files of a folder (no sub-folders, no names beginning
// with "."), each cut to `capacity` - 1 bytes, in the order the system lists them.
int FileListFiles(const std::string& folder, size_t capacity, std::vector<std::string>& names);
// "/a/b/c.txt" -> folder "/a/b/", name "c.txt".
int FileSplitPath(const std::string& path, std::string& folder, std::string& name);
