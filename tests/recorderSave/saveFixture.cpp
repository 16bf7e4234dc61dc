// The save tests' fixture (see saveFixture.h).
#include "saveFixture.h"

#include <gtest/gtest.h>

#include <sstream>

#include "mp3TestSupport.h"
#include "ptListView.h"
#include "recorderPaths.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "recorderTimer.h"
#include "report.h"
#include "sndDevicesNames.h"
#include "toolOutput.h"

int ScriptedFolderPicker::pick(QWidget*, const std::string& title, const std::string& start, bool& chosen,
                               std::string& folder) {
    titles.push_back(title);
    starts.push_back(start);
    chosen = false;
    if (answers.empty()) return OKAY;
    const std::string answer = answers.front();
    answers.pop_front();
    if (answer.empty()) return OKAY;
    folder = answer;
    chosen = true;
    return OKAY;
}

SaveFixture::SaveFixture() {
    EXPECT_EQ(h.start(), OKAY);
    // The tests drive every step themselves.
    recorderKillTimer(h.app);
    h.app.services.folderPicker = &picker;
    EXPECT_EQ(recorderSessionSetDefaultMp3SaveFolder(out.str()), OKAY);
}

std::string SaveFixture::cacheFolder() const {
    std::string folder;
    recorderPaths(RECORDER_PATH_CACHE, folder);
    return folder;
}

int SaveFixture::addTrack(const recCacheTags& tags, long durationMs, double audioSeconds) {
    static long serial = 1000;
    const long start = nextStart;
    nextStart += 100;
    const std::string base =
        std::to_string(start) + "_" + std::to_string(durationMs) + "_" + std::to_string(++serial);
    mp3test::writeCacheWav(sndDevicesAudioPath(cacheFolder(), base, kSndScrambleKey), 48000, 2,
                           mp3test::tones(48000, 2, audioSeconds, 12000), kSndScrambleKey);
    recCache* db = h.app.owned.cacheDb.get();
    EXPECT_EQ(recCacheInsert(db, base, start, durationMs), OKAY);
    std::vector<int> ids;
    recCacheGetIds(db, kRecCacheMaxIds, ids);
    EXPECT_EQ(recCacheSetTags(db, ids.back(), tags), OKAY);
    EXPECT_EQ(recorderSongListFill(h.app), OKAY);
    return ids.back();
}

std::string SaveFixture::baseName(int id) {
    recCacheTrack track;
    recCacheGetTrack(h.app.owned.cacheDb.get(), id, track);
    return track.baseName;
}

void SaveFixture::selectRows(const std::vector<int>& rows) {
    ptListViewClearSelection(h.app.owned.listCtrl.get());
    for (int row : rows) ptListViewSelect(h.app.owned.listCtrl.get(), row, false);
}

std::vector<int> SaveFixture::trackIds() {
    std::vector<int> ids;
    recCacheGetIds(h.app.owned.cacheDb.get(), kRecCacheMaxIds, ids);
    return ids;
}

static std::map<std::string, std::string> keyValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::map<std::string, std::string> mutagenTags(const std::string& mp3) {
    const std::string script =
        "import sys, mutagen.id3\n"
        "t = mutagen.id3.ID3(sys.argv[1])\n"
        "out = ['version=%d.%d' % t.version[:2]]\n"
        "out += [k + '=' + str(t[k].text[0]) for k in ('TIT2', 'TPE1', 'TALB', 'TCON') if k in t]\n"
        "out += ['COMM=' + c.lang + '|' + c.desc + '|' + str(c.text[0]) for c in t.getall('COMM')]\n"
        "sys.stdout.buffer.write(('\\n'.join(out) + '\\n').encode('utf-8'))\n";
    return keyValues(testsupport::toolOutput("/usr/bin/python3 -c " + testsupport::shellQuoted(script) + " " +
                                             testsupport::shellQuoted(mp3) + " 2>/dev/null"));
}

std::map<std::string, std::string> probeStream(const std::string& mp3) {
    return keyValues(testsupport::toolOutput(
        "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels,bit_rate "
        "-of default=noprint_wrappers=1 " +
        testsupport::shellQuoted(mp3)));
}

std::string decodeErrors(const std::string& mp3) { return mp3test::decodeErrors(mp3); }
