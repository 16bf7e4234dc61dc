// Hand-off of a kept recording to MP3 pre-encoding: the engine calls this once
// the recording has its final name, and the encoding runs on its own thread
// so that saving the track later is usually a copy.
#pragma once

#include <string>

struct sndDevicesContext;

// Starts pre-encoding sourcePath (the kept cache audio file) into the MP3
// companion of outputBasePath ("<folder>/<start>_<length>_<number>", no
// extension; the encoder adds it). OKAY, or NOT_OKAY when it could not start.
int sndDevicesStartPreEncoding(sndDevicesContext& context, const std::string& sourcePath,
                               const std::string& outputBasePath);
