// fileSmartStringSearch: finds the first line of a text file that begins with
// a given text, the way a person reading an indented file would: leading tabs
// do not count, nor does the line end (LF or CR LF).
//
// Lines are read at most 1023 bytes at a time; a longer line is taken as
// several, so a file without line breaks costs no more memory than any other.
// Only regular files are read (a device or a pipe named by untrusted input
// could block or never end).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr size_t kFileSmartLineBytes = 1023;

// found: a line begins with `prefix`; rest is what follows the prefix on that
// line. A file that is missing or cannot be read gives found = false.
int fileSmartStringSearch(const std::string& path, std::string_view prefix, bool& found, std::string& rest);
