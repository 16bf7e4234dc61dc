// The caller-driven connection of pulseWrapper.h: opening a context, running
// the loop with a deadline, and the sink queries the endpoint layer is built on.
#include "pulseWrapper.h"

#include <algorithm>

namespace {

bool contextGone(pa_context* c) {
    const pa_context_state_t s = pa_context_get_state(c);
    return s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED;
}

void deadlineCallback(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* expired) {
    *static_cast<bool*>(expired) = true;
}

std::string propOr(const pa_proplist* props, const char* key, const char* fallback) {
    const char* v = props ? pa_proplist_gets(props, key) : nullptr;
    if (v && *v) return v;
    return fallback ? fallback : "";
}

PulseSink sinkFrom(const pa_sink_info& i) {
    PulseSink s;
    s.index = i.index;
    s.name = i.name ? i.name : "";
    s.description = i.description ? i.description : "";
    s.deviceDescription = propOr(i.proplist, PA_PROP_DEVICE_PRODUCT_NAME, i.driver);
    s.monitorSource = i.monitor_source_name ? i.monitor_source_name : "";
    s.spec = i.sample_spec;
    s.channelMap = i.channel_map;
    return s;
}

void sinkListCallback(pa_context*, const pa_sink_info* info, int eol, void* sinks) {
    if (eol == 0 && info) static_cast<std::vector<PulseSink>*>(sinks)->push_back(sinkFrom(*info));
}

void serverInfoCallback(pa_context*, const pa_server_info* info, void* defaultSink) {
    if (info && info->default_sink_name) *static_cast<std::string*>(defaultSink) = info->default_sink_name;
}

}  // namespace

void pulseStreamSuccessCallback(pa_stream*, int success, void* result) {
    *static_cast<int*>(result) = success;
}

bool PulseConnection::open(const std::string& clientName, std::shared_ptr<PulseConnection>& out,
                           std::string& why) {
    out.reset();
    why.clear();
    std::shared_ptr<PulseConnection> c(new PulseConnection());
    c->loop_ = pa_mainloop_new();
    c->context_ = c->loop_ ? pa_context_new(pa_mainloop_get_api(c->loop_), clientName.c_str()) : nullptr;
    if (!c->context_) {
        why = "no sound-server context could be made";
        return false;
    }

    PulseLock lock(*c);
    pa_context* ctx = c->context_;
    if (pa_context_connect(ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        !c->waitFor([ctx] { return pa_context_get_state(ctx) == PA_CONTEXT_READY; })) {
        why = pa_context_get_state(ctx) == PA_CONTEXT_READY || pa_context_errno(ctx) == PA_OK
                  ? "the sound server did not answer in time"
                  : c->error();
        return false;
    }
    out = std::move(c);
    return true;
}

std::string PulseConnection::error() const { return pa_strerror(pa_context_errno(context_)); }

PulseConnection::~PulseConnection() {
    PulseLock lock(*this);
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_) pa_mainloop_free(loop_);
}

bool PulseConnection::alive() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

bool PulseConnection::check() {
    PulseLock lock(*this);
    pump();
    return alive();
}

void PulseConnection::pump() {
    // Each round dispatches what one poll found, and a socket delivers one
    // message per round, so keep going until a poll finds nothing: stopping
    // earlier would let a backlog build up step after step. Bounded, so a
    // flooding server cannot keep the caller here.
    for (int round = 0; round < 64 && !contextGone(context_); ++round)
        if (pa_mainloop_iterate(loop_, 0, nullptr) <= 0) break;
}

bool PulseConnection::waitFor(const std::function<bool()>& done) {
    if (done()) return true;
    bool expired = false;
    pa_time_event* timer = pa_context_rttime_new(
        context_, pa_rtclock_now() + static_cast<pa_usec_t>(kTimeoutMs) * PA_USEC_PER_MSEC, deadlineCallback,
        &expired);
    while (!done() && !expired && !contextGone(context_))
        if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
    if (timer) pa_mainloop_get_api(loop_)->time_free(timer);
    return done();
}

bool PulseConnection::await(pa_operation* op) {
    if (!op) return false;
    const bool finished = waitFor([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; });
    const bool ok = finished && pa_operation_get_state(op) == PA_OPERATION_DONE;
    if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
    pa_operation_unref(op);
    return ok;
}

bool PulseConnection::defaultSinkName(std::string& name) {
    PulseLock lock(*this);
    std::string defaultSink;
    if (!alive() || !await(pa_context_get_server_info(context_, serverInfoCallback, &defaultSink)))
        return false;
    name = defaultSink;
    return true;
}

bool PulseConnection::sinks(std::vector<PulseSink>& out) {
    PulseLock lock(*this);
    std::vector<PulseSink> list;
    if (!alive() || !await(pa_context_get_sink_info_list(context_, sinkListCallback, &list))) return false;
    std::sort(list.begin(), list.end(),
              [](const PulseSink& a, const PulseSink& b) { return a.index < b.index; });
    out = std::move(list);
    return true;
}

bool PulseConnection::sink(const std::string& name, PulseSink& out) {
    PulseLock lock(*this);
    std::vector<PulseSink> list;
    if (!alive() ||
        !await(pa_context_get_sink_info_by_name(context_, name.c_str(), sinkListCallback, &list)) ||
        list.empty())
        return false;
    out = std::move(list.front());
    return true;
}
