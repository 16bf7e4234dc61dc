// Fixtures of the iTunes tests: a trace sink that keeps its lines, and an
// automation context attached to a scripted iTunes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CSlout.h"
#include "itunesSdk.h"
#include "report.h"
#include "scriptedItunes.h"

namespace itunestest {

class TraceLines : public CSlout {
  public:
    int outputW(int, std::string_view text) override {
        lines.emplace_back(text);
        return OKAY;
    }
    // Lines that contain `part`.
    int count(const std::string& part) const {
        int n = 0;
        for (const std::string& line : lines) n += line.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
    bool has(const std::string& line) const {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    }
    std::vector<std::string> lines;
};

// A window that records the messages it is sent.
class RecordingWindow : public itunesSdkWindow {
  public:
    int registerMessage(std::string_view name, unsigned& id) override {
        id = name == kItunesSdkMsgAboutToQuit ? 901 : 902;
        return OKAY;
    }
    void sendMessage(unsigned id) override { messages.push_back(id); }
    std::vector<unsigned> messages;
};

// A context whose application is the scripted iTunes, tracing into `trace`.
inline void attach(itunesSdkContext& context, ScriptedItunes& itunes, TraceLines& trace) {
    context.trace = &trace;
    context.verbose = 1;
    context.automation = &itunes;
    ASSERT_EQ(itunes.createInstance(kItClsidITunesApp, kItIidIiTunes, context.application), kItSOk);
}

}  // namespace itunestest
