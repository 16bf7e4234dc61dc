// The threaded-main-loop connection of pulseWrapper.h: opening a context,
// waiting with a deadline, and the sink queries the endpoint layer is built on.
#include "pulseWrapper.h"

#include <algorithm>

namespace {

bool contextGone(pa_context* c) {
    const pa_context_state_t s = pa_context_get_state(c);
    return s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED;
}

struct Deadline {
    PulseConnection* connection = nullptr;
    bool expired = false;
};

void deadlineCallback(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
    auto* d = static_cast<Deadline*>(userdata);
    d->expired = true;
    d->connection->signal();
}

void operationStateCallback(pa_operation*, void* connection) {
    static_cast<PulseConnection*>(connection)->signal();
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

struct SinkList {
    PulseConnection* connection = nullptr;
    std::vector<PulseSink> sinks;
};

void sinkListCallback(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* list = static_cast<SinkList*>(userdata);
    if (eol == 0 && info) list->sinks.push_back(sinkFrom(*info));
    if (eol != 0) list->connection->signal();
}

struct ServerInfo {
    PulseConnection* connection = nullptr;
    std::string defaultSink;
};

void serverInfoCallback(pa_context*, const pa_server_info* info, void* userdata) {
    auto* s = static_cast<ServerInfo*>(userdata);
    if (info && info->default_sink_name) s->defaultSink = info->default_sink_name;
    s->connection->signal();
}

}  // namespace

void pulseSignalStreamCallback(pa_stream*, void* connection) {
    static_cast<PulseConnection*>(connection)->signal();
}

void pulseStreamSuccessCallback(pa_stream*, int success, void* pulseSuccess) {
    auto* s = static_cast<PulseSuccess*>(pulseSuccess);
    s->success = success;
    s->connection->signal();
}

void PulseConnection::contextStateCallback(pa_context*, void* self) {
    static_cast<PulseConnection*>(self)->signal();
}

bool PulseConnection::open(const std::string& clientName, std::shared_ptr<PulseConnection>& out) {
    out.reset();
    std::shared_ptr<PulseConnection> c(new PulseConnection());
    c->loop_ = pa_threaded_mainloop_new();
    if (!c->loop_) return false;
    c->context_ = pa_context_new(pa_threaded_mainloop_get_api(c->loop_), clientName.c_str());
    if (!c->context_) return false;
    pa_context_set_state_callback(c->context_, &PulseConnection::contextStateCallback, c.get());
    if (pa_threaded_mainloop_start(c->loop_) < 0) return false;

    PulseLock lock(*c);
    if (pa_context_connect(c->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    pa_context* ctx = c->context_;
    const bool ready = c->waitFor([ctx] { return pa_context_get_state(ctx) == PA_CONTEXT_READY; });
    if (!ready) return false;
    out = std::move(c);
    return true;
}

PulseConnection::~PulseConnection() {
    if (context_) {
        lock();
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        unlock();
    }
    if (loop_) {
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }
}

bool PulseConnection::alive() const {
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

void PulseConnection::lock() { pa_threaded_mainloop_lock(loop_); }
void PulseConnection::unlock() { pa_threaded_mainloop_unlock(loop_); }
void PulseConnection::signal() { pa_threaded_mainloop_signal(loop_, 0); }

bool PulseConnection::waitFor(const std::function<bool()>& done) {
    if (done()) return true;
    Deadline deadline{this, false};
    pa_time_event* timer = pa_context_rttime_new(
        context_, pa_rtclock_now() + static_cast<pa_usec_t>(kTimeoutMs) * PA_USEC_PER_MSEC, deadlineCallback, &deadline);
    while (!done() && !deadline.expired && !contextGone(context_)) pa_threaded_mainloop_wait(loop_);
    if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return done();
}

bool PulseConnection::await(pa_operation* op) {
    if (!op) return false;
    pa_operation_set_state_callback(op, operationStateCallback, this);
    const bool finished = waitFor([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; });
    const bool ok = finished && pa_operation_get_state(op) == PA_OPERATION_DONE;
    if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
    pa_operation_set_state_callback(op, nullptr, nullptr);
    pa_operation_unref(op);
    return ok;
}

bool PulseConnection::defaultSinkName(std::string& name) {
    PulseLock lock(*this);
    ServerInfo info{this, {}};
    if (!alive() || !await(pa_context_get_server_info(context_, serverInfoCallback, &info))) return false;
    name = info.defaultSink;
    return true;
}

bool PulseConnection::sinks(std::vector<PulseSink>& out) {
    PulseLock lock(*this);
    SinkList list{this, {}};
    if (!alive() || !await(pa_context_get_sink_info_list(context_, sinkListCallback, &list))) return false;
    std::sort(list.sinks.begin(), list.sinks.end(),
              [](const PulseSink& a, const PulseSink& b) { return a.index < b.index; });
    out = std::move(list.sinks);
    return true;
}

bool PulseConnection::sink(const std::string& name, PulseSink& out) {
    PulseLock lock(*this);
    SinkList list{this, {}};
    if (!alive() ||
        !await(pa_context_get_sink_info_by_name(context_, name.c_str(), sinkListCallback, &list)) ||
        list.sinks.empty())
        return false;
    out = std::move(list.sinks.front());
    return true;
}
