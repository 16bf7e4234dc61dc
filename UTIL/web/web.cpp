// The web connection on libcurl. Each connection keeps one multi handle: its
// transfers run in a loop that polls the handle, so webAbort can wake the loop
// from another thread and end the transfer at once, whatever libcurl is
// waiting for (a name lookup, a connection, an answer).
#include "web.h"

#include <curl/curl.h>

#include <cstdio>

#include "CSlout.h"
#include "File.h"
#include "networkState.h"
#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/web/web";

namespace {

// libcurl's process-wide set-up, once (thread-safe in this libcurl).
bool libraryReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

CURLM* multiOf(web& w) { return static_cast<CURLM*>(w.multi); }

void traceLine(web& w, const char* operation, std::string_view address, std::string_view why) {
    if (!w.trace) return;
    std::string line(operation);
    line += "():: ";
    line += address;
    line += ": ";
    line += why;
    w.trace->messageW(1, line);
}

// Marks the connection busy for the length of one transfer.
class BusyGuard {
  public:
    explicit BusyGuard(web& w) : w_(w), owned_(!w.busy.exchange(true)) {}
    ~BusyGuard() {
        if (owned_) w_.busy = false;
    }
    bool owned() const { return owned_; }

  private:
    web& w_;
    bool owned_;
};

// What one transfer does with the body it receives.
struct Sink {
    std::FILE* file = nullptr;  // where the body goes (null: nowhere)
    size_t maxBytes = 0;
    bool stopAtBody = false;  // a request: the status is all that is wanted
    size_t written = 0;
    bool stoppedAtBody = false;
    bool tooLarge = false;
    bool writeFailed = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    Sink& sink = *static_cast<Sink*>(user);
    const size_t n = size * count;
    if (n == 0) return 0;
    if (sink.stopAtBody) {
        sink.stoppedAtBody = true;
        return 0;  // anything but n ends the transfer
    }
    if (sink.maxBytes > 0 && n > sink.maxBytes - sink.written) {
        sink.tooLarge = true;
        return 0;
    }
    if (sink.file && std::fwrite(data, 1, n, sink.file) != n) {
        sink.writeFailed = true;
        return 0;
    }
    sink.written += n;
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<web*>(user)->aborted ? 1 : 0;
}

struct EasyCloser {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct HeadersCloser {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool hasControlCharacters(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
    return false;
}

// Whether a transfer may start: not offline, not aborted, connected unless
// the check is skipped, and an address libcurl can take as it is.
bool mayTransfer(web& w, const char* operation, std::string_view address) {
    const char* why = nullptr;
    if (w.offline)
        why = "offline";
    else if (w.aborted)
        why = "aborted";
    else if (!w.skipCheck && !(w.network ? w.network : &networkStateSystem())->connected())
        why = "not connected";
    else if (hasControlCharacters(address))
        why = "the address holds control characters";
    if (why) traceLine(w, operation, address, why);
    return why == nullptr;
}

// Runs one transfer to its end, its limits or an abort; the result is
// libcurl's, with the reason in `error`.
CURLcode transfer(web& w, std::string_view address, bool noCache, Sink& sink, std::string& error) {
    std::unique_ptr<CURL, EasyCloser> easy(curl_easy_init());
    if (!easy) {
        error = "no transfer handle";
        return CURLE_FAILED_INIT;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* list = nullptr;
    if (noCache) {
        for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
            curl_slist* grown = curl_slist_append(list, header);  // null leaves the list as it was
            if (!grown) break;
            list = grown;
        }
    }
    std::unique_ptr<curl_slist, HeadersCloser> headers(list);
    const std::string url(address);
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(e, CURLOPT_USERAGENT, w.userAgent.c_str());
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, w.limits.connectMs);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, w.limits.totalMs);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &w);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorBuffer);
    if (headers) curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());

    CURLM* multi = multiOf(w);
    if (curl_multi_add_handle(multi, e) != CURLM_OK) {
        error = "the transfer could not be started";
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (bool done = false; !done;) {
        if (w.aborted) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        int running = 0;
        CURLMcode m = curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == e) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done) break;
        if (m == CURLM_OK) m = curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        if (m != CURLM_OK) {
            error = curl_multi_strerror(m);
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, e);
    if (result == CURLE_ABORTED_BY_CALLBACK && w.aborted)
        error = "aborted";
    else if (sink.tooLarge)
        error = "more than " + std::to_string(sink.maxBytes) + " bytes";
    else if (result != CURLE_OK)
        error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
    return result;
}

}  // namespace

web::~web() {
    if (multi) curl_multi_cleanup(static_cast<CURLM*>(multi));
}

int webInit(std::unique_ptr<web>& out, CSlout* trace, bool skipCheck, std::string_view userAgent,
            NetworkState* network, webLimits limits) {
    auto w = std::make_unique<web>();
    w->trace = trace;
    w->skipCheck = skipCheck;
    w->userAgent = userAgent;
    w->network = network;
    w->limits = limits;
    if (libraryReady()) w->multi = curl_multi_init();
    w->offline = w->multi == nullptr;
    if (w->offline && trace) trace->messageW(1, "webInit():: The connection could not be opened; offline");
    out = std::move(w);
    return OKAY;
}

int webConnected(web* connection, bool& connected) {
    connected = false;
    if (!connection) return REPORT_ERR();
    if (connection->offline) return OKAY;
    connected = (connection->network ? connection->network : &networkStateSystem())->connected();
    return OKAY;
}

int webRequest(web* connection, std::string_view address, bool& failed) {
    failed = true;
    if (!connection || address.empty()) return REPORT_ERR();
    web& w = *connection;
    if (!mayTransfer(w, "webRequest", address)) return OKAY;
    BusyGuard busy(w);
    if (!busy.owned()) return REPORT_ERR();
    Sink sink;
    sink.stopAtBody = true;
    std::string error;
    const CURLcode result = transfer(w, address, true, sink, error);
    // Ending the transfer at the body's first bytes is this request's success.
    failed = !(result == CURLE_OK || (result == CURLE_WRITE_ERROR && sink.stoppedAtBody));
    if (failed) traceLine(w, "webRequest", address, error);
    return OKAY;
}

int webReceive(web* connection, std::string_view address, const std::string& path, bool /*byteMode*/,
               bool noCache, bool& failed) {
    failed = true;
    if (!connection || address.empty() || path.empty()) return REPORT_ERR();
    web& w = *connection;
    std::string folder;
    if (pstrFolderPart(path, folder) && !folder.empty()) {
        bool created = false;
        REPORT_CHECK(FileCreateFolderPath(folder, w.trace, created));
        if (!created) return REPORT_ERR();
    }
    if (!mayTransfer(w, "webReceive", address)) return OKAY;
    BusyGuard busy(w);
    if (!busy.owned()) return REPORT_ERR();

    const std::string part = path + ".part";
    FileHandle file;
    REPORT_CHECK(FileOpen(part, "wb", w.trace, file));
    Sink sink;
    sink.file = file.get();
    sink.maxBytes = w.limits.maxBytes;
    std::string error;
    const CURLcode result = transfer(w, address, noCache, sink, error);
    const bool closed = std::fclose(file.release()) == 0;
    if (result == CURLE_OK && closed) {
        if (std::rename(part.c_str(), path.c_str()) != 0) {
            std::remove(part.c_str());
            return REPORT_ERR();
        }
        failed = false;
        return OKAY;
    }
    std::remove(part.c_str());
    if (sink.writeFailed || !closed) return REPORT_ERR();
    traceLine(w, "webReceive", address, error);
    return OKAY;
}

void webAbort(web* connection) {
    if (!connection) return;
    connection->aborted = true;
    if (connection->multi) curl_multi_wakeup(static_cast<CURLM*>(connection->multi));
}

int webFree(std::unique_ptr<web>& connection) {
    if (connection && connection->busy) return REPORT_ERR();
    connection.reset();
    return OKAY;
}

std::string webPercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}
