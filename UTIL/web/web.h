// The web connection: HTTP and HTTPS requests and downloads of the web
// features, on libcurl.
//
// A connection (`web`) carries the trace sink, the skip-check flag (skip the
// check of the system's connected state before a transfer), the offline flag
// (set when the connection could not be opened) and the limits of its
// transfers. HTTPS is verified against the system's certificate store and
// proxies come from the usual environment variables (http_proxy, https_proxy,
// no_proxy). Only http and https addresses are followed, redirects included.
//
// No transfer holds its thread for long: each has a limit on connecting and
// on the whole transfer, and webAbort ends the transfers of a connection at
// once from any thread (the application aborts its connections before it
// joins the threads that use them). A connection is used by one thread at a
// time.
//
// Network failures are not internal errors: the operations return OKAY with
// failed set, and say why in the trace.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CSlout;
class NetworkState;

struct webLimits {
    long connectMs = 10000;  // name lookup and connecting
    long totalMs = 30000;    // the whole transfer, redirects included
    size_t maxBytes = 0;     // most a receive takes (0: no limit); more is a failure
};

struct web {
    web() = default;
    ~web();
    web(const web&) = delete;
    web& operator=(const web&) = delete;

    CSlout* trace = nullptr;
    bool skipCheck = false;
    bool offline = false;
    std::string userAgent;
    webLimits limits;
    NetworkState* network = nullptr;  // the system's connected state
    std::atomic<bool> aborted{false};
    std::atomic<bool> busy{false};  // a transfer runs (a second user at once is an internal error)
    void* multi = nullptr;          // the libcurl multi handle: wakes for webAbort, keeps connections
};

// Opens a connection. One that cannot be opened is not an error: its offline
// flag is set and every transfer on it fails. network: where the connected
// state comes from (null: the system's).
int webInit(std::unique_ptr<web>& out, CSlout* trace, bool skipCheck, std::string_view userAgent,
            NetworkState* network = nullptr, webLimits limits = {});

// False when offline, else the system's connected state.
int webConnected(web* connection, bool& connected);

// Sends a GET request for the address and ends it as soon as the answer's
// status is in, without reading the body. failed: offline, not connected
// (unless skip-check), no answer, or an HTTP error status (400 and up).
int webRequest(web* connection, std::string_view address, bool& failed);

// Downloads the address into the file at path, creating the file's folders
// when missing. The download goes to "<path>.part" and replaces the file only
// once it is complete, so a failed or partial download leaves the file as it
// was. byteMode and text mode write the same bytes here (text files need no
// line-end translation on this system). noCache asks every cache on the way
// for a fresh copy. failed: as webRequest, or the transfer broke off, or it
// exceeded the limits. A file that cannot be written is an internal error.
int webReceive(web* connection, std::string_view address, const std::string& path, bool byteMode,
               bool noCache, bool& failed);

// Ends the running transfer of the connection and fails every later one.
// Safe from any thread while the connection exists.
void webAbort(web* connection);

// Closes the connection; no transfer may be running on it.
int webFree(std::unique_ptr<web>& connection);

// The text with every byte but the unreserved characters (letters, digits,
// "-", ".", "_", "~") written as %XX, for a value in an address's query.
std::string webPercentEncode(std::string_view text);
