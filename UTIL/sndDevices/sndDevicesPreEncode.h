// Hand-off of a kept recording to MP3 pre-encoding: the engine calls this once
// the recording has its final name, and the encoding runs on its own thread
// so that saving the track later is usually a copy. A save waits for the run
// of its track through sndDevicesPreEncodingWait.
#pragma once

#include <string>

struct sndDevicesContext;

// Starts pre-encoding sourcePath (the kept cache audio file) into the MP3
// companion of outputBasePath ("<folder>/<start>_<length>_<number>", no
// extension; the encoder adds it). OKAY, or NOT_OKAY when it could not start.
int sndDevicesStartPreEncoding(sndDevicesContext& context, const std::string& sourcePath,
                               const std::string& outputBasePath);

// Waits until the pre-encoding of sourcePath that is under way has ended, at
// most limitMs, and raises it to the normal priority meanwhile. Returns at
// once when none is under way. OKAY.
int sndDevicesPreEncodingWait(sndDevicesContext& context, const std::string& sourcePath, int limitMs);
