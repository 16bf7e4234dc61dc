// The ID3v2.3 tag writer: exact bytes for small cases, and tags read back by
// mutagen and ffprobe with non-ASCII texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Tags.h"
#include "report.h"
#include "testsupport.h"
#include "toolOutput.h"

using testsupport::readBytes;
using testsupport::shellQuoted;
using testsupport::TempDir;
using testsupport::toolOutput;
using Bytes = std::vector<unsigned char>;

namespace {

struct Texts {
    std::string title, artist, album, genre, comment;
};

Bytes tagBytes(const TempDir& dir, const Texts& t) {
    std::string path = dir.file("tag.bin");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    EXPECT_EQ(TagsMp3WriteID3v2_3(f, t.title, t.artist, t.album, t.genre, t.comment), OKAY);
    std::fclose(f);
    return readBytes(path);
}

Bytes ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST(Tags, ExactBytes) {
    TempDir dir;
    const Bytes abc16{0x61, 0, 0x62, 0, 0x63, 0};
    struct Case {
        const char* what;
        Texts texts;
        Bytes expected;
    };
    const std::vector<Case> cases{
        {"all empty writes nothing", {}, {}},
        {"title only: 29 bytes",
         {"abc", "", "", "", ""},
         cat({ascii("ID3"),
              {3, 0, 0, 0, 0, 0, 0x13},
              ascii("TIT2"),
              {0, 0, 0, 9, 0, 0, 1, 0xFF, 0xFE},
              abc16})},
        {"comment only: 26 bytes",
         {"", "", "", "", "abc"},
         cat({ascii("ID3"),
              {3, 0, 0, 0, 0, 0, 0x1A},
              ascii("COMM"),
              {0, 0, 0, 0x10, 0, 0, 1},
              ascii("eng"),
              {0xFF, 0xFE, 0, 0, 0xFF, 0xFE},
              abc16})},
        {"frames in fixed order, genre as free text",
         {"t", "a", "b", "(13)Pop", "c"},
         cat({ascii("ID3"),
              {3, 0, 0, 0, 0, 0, 0x5E},
              ascii("TIT2"),
              {0, 0, 0, 5, 0, 0, 1, 0xFF, 0xFE, 't', 0},
              ascii("TPE1"),
              {0, 0, 0, 5, 0, 0, 1, 0xFF, 0xFE, 'a', 0},
              ascii("TALB"),
              {0, 0, 0, 5, 0, 0, 1, 0xFF, 0xFE, 'b', 0},
              ascii("TCON"),
              {0, 0, 0, 17, 0, 0, 1, 0xFF, 0xFE, '(', 0, '1', 0, '3', 0, ')', 0, 'P', 0, 'o', 0, 'p', 0},
              ascii("COMM"),
              {0, 0, 0, 12, 0, 0, 1},
              ascii("eng"),
              {0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'c', 0}})},
        {"surrogate pair passes as two units, CJK as one",
         {"", "\xF0\x9F\x8E\xB5\xE9\x9F\xB3", "", "", ""},
         cat({ascii("ID3"),
              {3, 0, 0, 0, 0, 0, 0x13},
              ascii("TPE1"),
              {0, 0, 0, 9, 0, 0, 1, 0xFF, 0xFE, 0x3C, 0xD8, 0xB5, 0xDF, 0xF3, 0x97}})},
    };
    for (const Case& c : cases) EXPECT_EQ(tagBytes(dir, c.texts), c.expected) << c.what;
}

TEST(Tags, SizesAreSynchsafeInTheHeaderAndPlainInFrames) {
    unsigned char out[4];
    TagsSynchsafe(200, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0, 0, 1, 0x48}));
    TagsSynchsafe(0x0FFFFFFF, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x7F, 0x7F, 0x7F, 0x7F}));

    // A title of 92 units gives a frame of 3 + 184 = 187 (0xBB, plain) and a tag of 197;
    // adding a 1-unit genre (data 5) gives 212 = synchsafe 00 00 01 54.
    TempDir dir;
    Bytes b = tagBytes(dir, {std::string(92, 'x'), "", "", "g", ""});
    ASSERT_EQ(b.size(), 10u + 212u);
    EXPECT_EQ(Bytes(b.begin() + 6, b.begin() + 10), (Bytes{0, 0, 1, 0x54}));
    EXPECT_EQ(Bytes(b.begin() + 14, b.begin() + 18), (Bytes{0, 0, 0, 0xBB}));

    EXPECT_EQ(TagsMp3TextFrameSize(u""), 0u);
    EXPECT_EQ(TagsMp3TextFrameSize(u"abc"), 9u);
    EXPECT_EQ(TagsMp3CommentFrameSize(u""), 0u);
    EXPECT_EQ(TagsMp3CommentFrameSize(u"abc"), 16u);
}

TEST(Tags, FailuresAreReported) {
    ReportRecorder reports;
    EXPECT_NE(TagsMp3WriteID3v2_3(nullptr, "a", "", "", "", ""), OKAY);
    EXPECT_TRUE(reports.reported("UTIL/Tags/Tags"));

    // A device that refuses every byte: the short write must not pass as success.
    reports.clear();
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_NE(TagsMp3WriteID3v2_3(full, "title", "", "", "", "comment"), OKAY);
    std::fclose(full);
    EXPECT_GE(reports.count(), 1u);

    // Malformed UTF-8 cannot be written as UTF-16.
    reports.clear();
    TempDir dir;
    std::FILE* f = std::fopen(dir.file("bad.bin").c_str(), "wb");
    EXPECT_NE(TagsMp3WriteID3v2_3(f, "ok", "\xC3", "", "", ""), OKAY);
    std::fclose(f);
    EXPECT_GE(reports.count(), 1u);

    // An empty frame writes nothing even without a stream.
    EXPECT_EQ(TagsMp3WriteTextFrame(nullptr, "TIT2", u"", 0), OKAY);
    EXPECT_EQ(TagsMp3WriteCommentFrame(nullptr, u"", 0), OKAY);
}

// Tags in front of real MPEG audio, read back by tools we did not write.
TEST(Tags, ReadBackByMutagenAndFfprobe) {
    TempDir dir;
    const std::string audio = dir.file("audio.mp3");
    int rc = 0;
    toolOutput(
        "ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=0.3 -c:a libmp3lame "
        "-id3v2_version 0 -write_xing 0 -f mp3 " +
            shellQuoted(audio),
        &rc);
    ASSERT_EQ(rc, 0);

    const Texts texts{"Don't Stop \xE2\x80\x94 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                      "Ren\xC3\xA9\xE2\x80\x99s Band", "\xF0\x9F\x8E\xB5 Album \xF0\x9F\x98\x80", "Synth-Pop",
                      "it's \xEC\x95\x88\xEB\x85\x95"};
    const std::string tagged = dir.file("tagged.mp3");
    {
        std::FILE* f = std::fopen(tagged.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(TagsMp3WriteID3v2_3(f, texts.title, texts.artist, texts.album, texts.genre, texts.comment),
                  OKAY);
        Bytes a = readBytes(audio);
        ASSERT_EQ(std::fwrite(a.data(), 1, a.size(), f), a.size());
        std::fclose(f);
    }

    const std::string script =
        "import sys, mutagen.id3 as m\n"
        "t = m.ID3(sys.argv[1])\n"
        "assert t.version == (2, 3, 0), t.version\n"
        "for k in ('TIT2', 'TPE1', 'TALB', 'TCON'):\n"
        "    f = t[k]; assert f.encoding == 1, k; sys.stdout.write(f.text[0] + '\\n')\n"
        "c = t.getall('COMM')[0]\n"
        "sys.stdout.write(c.lang + '|' + c.desc + '|' + c.text[0] + '\\n')\n";
    testsupport::writeText(dir.file("read.py"), script);
    std::string mutagen =
        toolOutput("/usr/bin/python3 " + shellQuoted(dir.file("read.py")) + " " + shellQuoted(tagged), &rc);
    ASSERT_EQ(rc, 0) << mutagen;
    EXPECT_EQ(mutagen, texts.title + "\n" + texts.artist + "\n" + texts.album + "\n" + texts.genre +
                           "\neng||" + texts.comment + "\n");

    std::string probe = toolOutput(
        "ffprobe -v error -show_entries format_tags=title,artist,album,genre,comment "
        "-show_entries stream=codec_name -of default=noprint_wrappers=1 " +
            shellQuoted(tagged),
        &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_NE(probe.find("codec_name=mp3"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:title=" + texts.title + "\n"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:artist=" + texts.artist + "\n"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:album=" + texts.album + "\n"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:genre=" + texts.genre + "\n"), std::string::npos) << probe;
    EXPECT_NE(probe.find("TAG:comment=" + texts.comment + "\n"), std::string::npos) << probe;
}
