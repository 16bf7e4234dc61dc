// Runs an outside tool (a decoder or tag reader we did not write) through the
// shell and returns what it printed on standard output, so tests can check our
// files with independent readers.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testsupport {

inline std::string toolOutput(const std::string& command, int* exitCode = nullptr) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (exitCode) *exitCode = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = pclose(pipe);
    if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// Single-quotes a path for the shell.
inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The ID3 tag of an MP3 as mutagen reads it: "2.3|title|artist|album" and a
// line feed (a missing frame is empty); empty when mutagen finds no tag.
inline std::string mutagenTitleArtistAlbum(const std::string& mp3) {
    const char* script =
        "import sys, mutagen.id3\n"
        "t = mutagen.id3.ID3(sys.argv[1])\n"
        "texts = [t[k].text[0] if k in t else '' for k in ('TIT2', 'TPE1', 'TALB')]\n"
        "print('%d.%d|%s|%s|%s' % (t.version[0], t.version[1], *texts))\n";
    return toolOutput("/usr/bin/python3 -c " + shellQuoted(script) + " " + shellQuoted(mp3) + " 2>/dev/null");
}

// The length in ms of an MP3's audio as ffmpeg decodes it, without the
// encoder's own delay: the decoder hands out 1105 samples (at 44.1 kHz) of its
// start-up before the first sample of the track; the last frame's padding (at
// most 26 ms) stays.
inline double decodedMs(const std::string& mp3) {
    const std::string pcm =
        toolOutput("ffmpeg -nostdin -v error -i " + shellQuoted(mp3) + " -f s16le -ac 2 -ar 44100 -");
    return (pcm.size() / 4.0 - 1105.0) / 44.1;
}

}  // namespace testsupport
