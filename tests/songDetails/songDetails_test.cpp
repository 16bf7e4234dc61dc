// The track-properties record: fresh values, buffer-size rule of the fixed
// getters, long-text ownership, the Genre cut and null-record failures.
#include <gtest/gtest.h>

#include "report.h"
#include "songDetails.h"

namespace {

using FixedGetter = int (*)(const songDetails*, std::string&, size_t);
using LongGetter = int (*)(const songDetails*, const std::string*&);
using NumberGetter = int (*)(const songDetails*, int32_t&);

const FixedGetter kFixedGetters[] = {
    songDetailsGetName,         songDetailsGetAlbum,           songDetailsGetArtist,
    songDetailsGetGenre,        songDetailsGetGrouping,        songDetailsGetTime,
    songDetailsGetCategory,     songDetailsGetAlbumArtist,     songDetailsGetShowName,
    songDetailsGetSortAlbum,    songDetailsGetSortAlbumArtist, songDetailsGetSortArtist,
    songDetailsGetSortComposer, songDetailsGetSortName,        songDetailsGetSortShowName,
    songDetailsGetLocation};
const LongGetter kLongGetters[] = {songDetailsGetComment, songDetailsGetComposer, songDetailsGetLyrics,
                                   songDetailsGetDescription, songDetailsGetLongDescription};
const NumberGetter kNumberGetters[] = {songDetailsGetBitrate,           songDetailsGetBPM,
                                       songDetailsGetDiscCount,         songDetailsGetDiscNumber,
                                       songDetailsGetDurationInSeconds, songDetailsGetRating,
                                       songDetailsGetSampleRate,        songDetailsGetTrackCount,
                                       songDetailsGetTrackNumber,       songDetailsGetYearRecorded,
                                       songDetailsGetIsCompilation};

std::unique_ptr<songDetails> fresh() {
    std::unique_ptr<songDetails> r;
    EXPECT_EQ(songDetailsInit(r, 1, nullptr), OKAY);
    return r;
}

}  // namespace

TEST(songDetails, FreshRecordIsEmptyNullAndZero) {
    auto r = fresh();
    EXPECT_EQ(r->verbose, 1);
    for (FixedGetter get : kFixedGetters) {
        std::string out = "x";
        EXPECT_EQ(get(r.get(), out, 1), OKAY);
        EXPECT_EQ(out, "");
    }
    for (LongGetter get : kLongGetters) {
        const std::string* out = reinterpret_cast<const std::string*>(1);
        EXPECT_EQ(get(r.get(), out), OKAY);
        EXPECT_EQ(out, nullptr);
    }
    for (NumberGetter get : kNumberGetters) {
        int32_t out = 7;
        EXPECT_EQ(get(r.get(), out), OKAY);
        EXPECT_EQ(out, 0);
    }
}

TEST(songDetails, FixedGetterNeedsRoomForTheTerminator) {
    ReportRecorder reports;
    auto r = fresh();
    // "Zoë 🎵" is 6 UTF-16 units: ZoëSPACE + a surrogate pair.
    ASSERT_EQ(songDetailsSetArtist(r.get(), "Zo\xC3\xAB \xF0\x9F\x8E\xB5"), OKAY);
    std::string out;
    EXPECT_EQ(songDetailsGetArtist(r.get(), out, 7), OKAY);
    EXPECT_EQ(out, "Zo\xC3\xAB \xF0\x9F\x8E\xB5");
    EXPECT_EQ(reports.count(), 0u);
    EXPECT_NE(songDetailsGetArtist(r.get(), out, 6), OKAY);
    EXPECT_TRUE(reports.reported("UTIL/songDetails/songDetails"));
}

TEST(songDetails, GenreIsCutTo511Units) {
    auto r = fresh();
    std::string out;
    ASSERT_EQ(songDetailsSetGenre(r.get(), std::string(600, 'g')), OKAY);
    ASSERT_EQ(songDetailsGetGenre(r.get(), out, 512), OKAY);
    EXPECT_EQ(out, std::string(511, 'g'));
    // A surrogate pair straddling the limit is dropped whole, never split.
    ASSERT_EQ(songDetailsSetGenre(r.get(), std::string(510, 'g') + "\xF0\x9F\x8E\xB5"), OKAY);
    ASSERT_EQ(songDetailsGetGenre(r.get(), out, 512), OKAY);
    EXPECT_EQ(out, std::string(510, 'g'));
    // Paths keep up to 1023 units.
    ASSERT_EQ(songDetailsSetLocation(r.get(), std::string(1000, 'p')), OKAY);
    ASSERT_EQ(songDetailsGetLocation(r.get(), out, 1024), OKAY);
    EXPECT_EQ(out.size(), 1000u);
}

TEST(songDetails, LongTextsAreOwnedAndReplaced) {
    auto r = fresh();
    const std::string* text = nullptr;
    ASSERT_EQ(songDetailsSetComment(r.get(), "first"), OKAY);
    ASSERT_EQ(songDetailsSetComment(r.get(), "second"), OKAY);
    ASSERT_EQ(songDetailsGetComment(r.get(), text), OKAY);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, "second");
    ASSERT_EQ(songDetailsSetLyrics(r.get(), ""), OKAY);
    ASSERT_EQ(songDetailsGetLyrics(r.get(), text), OKAY);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, "");

    ASSERT_EQ(songDetailsSetName(r.get(), "kept"), OKAY);
    ASSERT_EQ(songDetailsSetYearRecorded(r.get(), 1999), OKAY);
    EXPECT_EQ(songDetailsFreeTexts(r.get()), OKAY);
    EXPECT_EQ(songDetailsFreeTexts(r.get()), OKAY);
    for (LongGetter get : kLongGetters) {
        ASSERT_EQ(get(r.get(), text), OKAY);
        EXPECT_EQ(text, nullptr);
    }
    std::string name;
    int32_t year = 0;
    EXPECT_EQ(songDetailsGetName(r.get(), name, 512), OKAY);
    EXPECT_EQ(songDetailsGetYearRecorded(r.get(), year), OKAY);
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(year, 1999);
}

TEST(songDetails, NumbersKeepTheirValues) {
    auto r = fresh();
    ASSERT_EQ(songDetailsSetRating(r.get(), -5), OKAY);
    ASSERT_EQ(songDetailsSetIsCompilation(r.get(), 255), OKAY);
    int32_t v = 0;
    EXPECT_EQ(songDetailsGetRating(r.get(), v), OKAY);
    EXPECT_EQ(v, -5);
    EXPECT_EQ(songDetailsGetIsCompilation(r.get(), v), OKAY);
    EXPECT_EQ(v, 255);
}

TEST(songDetails, NullRecordIsAnInternalError) {
    ReportRecorder reports;
    std::string s;
    const std::string* p = nullptr;
    int32_t v = 0;
    EXPECT_NE(songDetailsSetName(nullptr, "a"), OKAY);
    EXPECT_NE(songDetailsGetName(nullptr, s, 10), OKAY);
    EXPECT_NE(songDetailsSetComment(nullptr, "a"), OKAY);
    EXPECT_NE(songDetailsGetComment(nullptr, p), OKAY);
    EXPECT_NE(songDetailsSetBPM(nullptr, 1), OKAY);
    EXPECT_NE(songDetailsGetBPM(nullptr, v), OKAY);
    EXPECT_NE(songDetailsFreeTexts(nullptr), OKAY);
    EXPECT_EQ(reports.count(), 7u);
}
