// Opening an address in the user's default web browser. The application
// holds a Browser; it gets XdgOpenBrowser, tests get RecordingBrowser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Browser {
  public:
    virtual ~Browser() = default;
    // OKAY when the address was handed to the browser; an empty or unsafe
    // address is an internal error.
    virtual int open(std::string_view address) = 0;
};

// Starts xdg-open (found on PATH) with the address as its single argument,
// through an argument vector, never a shell. Does not wait for the browser:
// xdg-open runs as a grandchild that the system reaps. A missing xdg-open, or
// one that cannot be started, is an internal error that says why.
class XdgOpenBrowser : public Browser {
  public:
    int open(std::string_view address) override;
};

// Keeps the addresses it is asked to open.
class RecordingBrowser : public Browser {
  public:
    int open(std::string_view address) override;
    std::vector<std::string> addresses;
};

// Only web addresses are handed on: "http://" or "https://" followed by at
// least one character, without control characters. Anything else (a local
// file, a program, an option for xdg-open) could do more than show a page.
bool browserAddressAllowed(std::string_view address);
