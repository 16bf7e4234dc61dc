// The computer's outputs on the sound server (PulseAudio, or PipeWire through
// pipewire-pulse), as the engine's AudioDevices: sinks are the render
// endpoints, the server's default sink is the default output, and a sink's
// monitor source is its loopback.
//
// Mapping onto the endpoint operations:
// - endpoints: every sink, ordered by sink index; id = sink name, interface
//   name = the sink's description, device description = its product name (or
//   the driver's name); default = the server's default sink, read together with
//   the list so that both describe the same moment.
// - mix format: the sink's sample spec as 32-bit float with at least 2 channels
//   and at least 44100 Hz; a slower sink is asked for 48000 Hz and the server
//   converts, so that the engine's decimation is never 0 and it never reads a
//   channel that is not there.
// - capture (loopback): a record stream on the sink's monitor, connected corked
//   and uncorked by start(), with the server's default maximum length (a stall
//   loses nothing) and 10 ms fragments. Packets are exactly one period, 10 ms
//   of the stream's rate, whatever sizes the server's fragments have (they
//   vary with its scheduling): capturePeriods.h joins and splits them, a period
//   of hole is a packet with the silent flag, a period partly hole reads as
//   zeros there. Between two padding probes the service hands out at most
//   bufferFrames() frames (whole periods), as a shared-mode buffer of the
//   requested duration would hold: the capture step sizes its block for that,
//   and audio beyond it waits for the next call.
// - render: a playback stream on the same sink with a buffer of the requested
//   duration; padding = buffer frames - writable frames.
// - start = uncork, stop = cork, reset = flush.
// A lost server or stream makes the packet operations fail. A server that
// cannot be reached is a computer with no outputs (empty list, OKAY); the next
// enumeration connects afresh, so the engine finds a restarted server.
#pragma once

#include <memory>
#include <string>

#include "audioPlatform.h"

// The sound server's outputs. `clientName` is how the program shows in the
// server's client list. Never fails: connecting happens at enumeration.
std::unique_ptr<AudioDevices> pulseDevicesCreate(const std::string& clientName);
