// Registry access in the program's one shape: every setting is a key of its
// own whose unnamed value holds the setting as text. Roots are small numbers
// (below); any other number is an internal error. Key paths separate their
// components with "\" (or "/").
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

inline constexpr int REG_ROOT_CLASSES_ROOT = 1;
inline constexpr int REG_ROOT_LOCAL_MACHINE = 2;
inline constexpr int REG_ROOT_USERS = 3;
inline constexpr int REG_ROOT_CURRENT_USER = 4;

// The buffer the settings accessors read into: 1 024 bytes, that is up to 511
// UTF-16 characters and the terminator.
inline constexpr size_t REG_VALUE_BUFFER_BYTES = 1024;

// Creates (or opens) the key and sets its unnamed value to text.
int regWithoutKeynameWrite(int root, std::string_view keyPath, std::string_view text);

// Reads the key's unnamed value into a buffer of bufferBytes bytes (UTF-16
// with terminator, so bufferBytes / 2 - 1 characters fit). A missing key or
// value is not an error: found = false, OKAY. Nor is a value that cannot be
// read (one that does not fit, is not valid UTF-8, or is a folder or a named
// pipe rather than a file): found = false, so the caller takes its default,
// and the unreadable-value notice (below) is told why.
int regWithoutKeynameRead(int root, std::string_view keyPath, size_t bufferBytes, bool& found,
                          std::string& text);

// Where the reads tell of a value that cannot be read: the key path and why.
// The application traces it; unset, nothing is told. May be called from any
// thread that reads settings.
using RegUnreadableNotice = std::function<void(std::string_view keyPath, const std::string& why)>;
void regWithoutKeynameSetUnreadableNotice(RegUnreadableNotice notice);
