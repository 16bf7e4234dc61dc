// Loading a shared library at run time and finding its exports.
//
// A name holding a "/" is used as a path; a plain name is looked for where the
// program keeps its own libraries (programLibraryCandidates: beside the
// program, then the installation's private library folder), then by the
// system's normal library search. A loaded library is never unloaded.
#pragma once

#include <string>

// OKAY with the library's handle, or NOT_OKAY with the system's reason in
// `why`; nothing is reported (a missing library is an outcome for the caller).
int sharedLibraryOpen(const std::string& name, void*& handle, std::string& why);

// The address of an export, or null when the library has none of that name.
void* sharedLibrarySymbol(void* handle, const char* name);
