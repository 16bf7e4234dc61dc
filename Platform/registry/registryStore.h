// The settings store: a file tree that stands in for the registry.
//
// Each key is a folder; a key's unnamed value is the file "(default)" inside
// it, holding the text as UTF-8 without a terminator. Writes go to a temporary
// file in the same folder that is then renamed over the old value, so a reader
// (or a crash) sees the old text or the new one, never half of either.
//
// Roots:
//   per user (current user)  $XDG_CONFIG_HOME/Tobrel/registry       (~/.config when unset)
//   machine-wide             $TOBREL_MACHINE_REGISTRY; else, for a program run from
//                            its build tree, machine-registry/ in that tree; else
//                            the installation's system folder (/var/lib/tobrel/registry),
//                            which the package's install step fills and every user reads
//   classes root, users      $XDG_CONFIG_HOME/Tobrel/registry-classes, .../registry-users
// Key paths are components separated by "\" or "/"; empty, "." and ".."
// components are refused, so no key can reach outside its root.
#pragma once

#include <string>
#include <string_view>

enum class registryRoot { ClassesRoot, LocalMachine, Users, CurrentUser };

// The root folder of a root (not created here). OKAY, or NOT_OKAY when no
// home folder can be found.
int registryRootFolder(registryRoot root, std::string& folder);

// The folder of a key below a root folder; NOT_OKAY for a malformed key path.
int registryKeyFolder(const std::string& rootFolder, std::string_view keyPath, std::string& folder);

// Creates the key (and every missing parent) and sets its unnamed value.
int registryStoreWrite(const std::string& rootFolder, std::string_view keyPath, std::string_view text);

// Reads a key's unnamed value. A missing key or value gives found = false and
// OKAY. A value that cannot be read (longer than maxBytes, not a regular file
// such as a folder or a named pipe, unreadable) also gives found = false and
// OKAY, with the reason in `unreadable` (empty otherwise): the settings are
// the user's files, and one bad value must not stop the program. The value is
// opened without blocking, so a named pipe in its place never hangs a read.
int registryStoreRead(const std::string& rootFolder, std::string_view keyPath, size_t maxBytes, bool& found,
                      std::string& text, std::string& unreadable);

// The file name of a key's unnamed value.
inline constexpr const char* kRegistryValueFile = "(default)";
