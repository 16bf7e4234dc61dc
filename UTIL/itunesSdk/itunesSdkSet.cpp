// Writing a track metadata record onto a track of iTunes
// (itunesSdkSetTrackInfoFromSongDetails).
#include "itunesSdkSet.h"

#include "itunesSdkCOMInterfaceCalls.h"
#include "itunesSdkGet.h"
#include "pstr.h"
#include "report.h"
#include "songDetails.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdkSet";

namespace {

int fail(const itunesSdkContext* context, const std::string& what) {
    itunesSdkTrace(context, kItunesSdkIndent6, "itunesSdkSetTrackInfoFromSongDetails: " + what + " failed");
    return REPORT_ERR();
}

std::string orEmpty(const std::string* text) { return text == nullptr ? std::string() : *text; }

}  // namespace

#define ITUNES_SDK_GET_FIELD(getter, ...) \
    if (getter(record, __VA_ARGS__) != OKAY) return fail(context, #getter "()")
#define ITUNES_SDK_PUT(wrapper, object, value) \
    if (wrapper(context, object, value) != kItSOk) return fail(context, #wrapper "()")

int itunesSdkSetTrackInfoFromSongDetails(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                                         const songDetails* record) {
    if (context == nullptr || record == nullptr) return REPORT_ERR();
    std::shared_ptr<IITTrack> track;
    if (itunesSdkGet_ITrackByIDs(context, ids, track) != OKAY)
        return fail(context, "itunesSdkGet_ITrackByIDs()");
    if (!track) {
        itunesSdkTrace(context, kItunesSdkIndent6, "itunesSdkSetTrackInfoFromSongDetails: Itrack is NULL");
        return REPORT_ERR();
    }
    std::shared_ptr<ItUnknown> unknown;
    if (itunesSdk_IITTrack_QueryInterface(context, track.get(), kItIidIITFileOrCDTrack, unknown) != kItSOk)
        return fail(context, "itunesSdk_IITTrack_QueryInterface()");
    auto fileTrack = std::dynamic_pointer_cast<IITFileOrCDTrack>(unknown);
    if (!fileTrack) {
        itunesSdkTrace(context, kItunesSdkIndent6,
                       "itunesSdkSetTrackInfoFromSongDetails: IFileOrCDTrack is NULL");
        return REPORT_ERR();
    }
    std::string location;
    if (itunesSdk_IITFileOrCDTrack_get_Location(context, fileTrack.get(), location) != kItSOk)
        return fail(context, "itunesSdk_IITFileOrCDTrack_get_Location()");
    const std::string extension = pstrUpper(pstrExtension(location));

    constexpr size_t kText = songDetails::kTextCapacity;
    std::string name, album, artist, genre, grouping, time, category, albumArtist, showName, sortAlbum,
        sortAlbumArtist, sortArtist, sortComposer, sortName, sortShowName;
    const std::string *comment = nullptr, *composer = nullptr, *description = nullptr,
                      *longDescription = nullptr, *lyrics = nullptr;
    int32_t bitrate = 0, bpm = 0, discCount = 0, discNumber = 0, duration = 0, rating = 0, sampleRate = 0,
            trackCount = 0, trackNumber = 0, year = 0, compilation = 0;
    ITUNES_SDK_GET_FIELD(songDetailsGetName, name, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetAlbum, album, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetArtist, artist, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetComment, comment);
    ITUNES_SDK_GET_FIELD(songDetailsGetComposer, composer);
    ITUNES_SDK_GET_FIELD(songDetailsGetGenre, genre, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetGrouping, grouping, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetTime, time, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetBitrate, bitrate);
    ITUNES_SDK_GET_FIELD(songDetailsGetBPM, bpm);
    ITUNES_SDK_GET_FIELD(songDetailsGetDiscCount, discCount);
    ITUNES_SDK_GET_FIELD(songDetailsGetDiscNumber, discNumber);
    ITUNES_SDK_GET_FIELD(songDetailsGetDurationInSeconds, duration);
    ITUNES_SDK_GET_FIELD(songDetailsGetRating, rating);
    ITUNES_SDK_GET_FIELD(songDetailsGetSampleRate, sampleRate);
    ITUNES_SDK_GET_FIELD(songDetailsGetTrackCount, trackCount);
    ITUNES_SDK_GET_FIELD(songDetailsGetTrackNumber, trackNumber);
    ITUNES_SDK_GET_FIELD(songDetailsGetYearRecorded, year);
    ITUNES_SDK_GET_FIELD(songDetailsGetIsCompilation, compilation);
    ITUNES_SDK_GET_FIELD(songDetailsGetCategory, category, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetDescription, description);
    ITUNES_SDK_GET_FIELD(songDetailsGetLongDescription, longDescription);
    ITUNES_SDK_GET_FIELD(songDetailsGetAlbumArtist, albumArtist, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetShowName, showName, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortAlbum, sortAlbum, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortAlbumArtist, sortAlbumArtist, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortArtist, sortArtist, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortComposer, sortComposer, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortName, sortName, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetSortShowName, sortShowName, kText);
    ITUNES_SDK_GET_FIELD(songDetailsGetLyrics, lyrics);
    // Bit rate, time, duration and sample rate are iTunes' own to compute.
    (void)bitrate;
    (void)time;
    (void)duration;
    (void)sampleRate;

    IITTrack* t = track.get();
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Name, t, name);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_BPM, t, bpm);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Compilation, t, compilation != 0);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_DiscCount, t, discCount);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_DiscNumber, t, discNumber);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Rating, t, rating);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_TrackCount, t, trackCount);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_TrackNumber, t, trackNumber);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Year, t, year);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Album, t, album);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Artist, t, artist);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Comment, t, orEmpty(comment));
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Composer, t, orEmpty(composer));
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Genre, t, genre);
    ITUNES_SDK_PUT(itunesSdk_IITTrack_put_Grouping, t, grouping);

    // A WAV track takes none of the file-track texts.
    if (extension == "WAV") return OKAY;
    IITFileOrCDTrack* f = fileTrack.get();
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_Lyrics, f, orEmpty(lyrics));
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_Category, f, category);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_Description, f, orEmpty(description));
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_LongDescription, f, orEmpty(longDescription));
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_AlbumArtist, f, albumArtist);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_Show, f, showName);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortAlbum, f, sortAlbum);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortAlbumArtist, f, sortAlbumArtist);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortArtist, f, sortArtist);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortComposer, f, sortComposer);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortName, f, sortName);
    ITUNES_SDK_PUT(itunesSdk_IITFileOrCDTrack_put_SortShow, f, sortShowName);
    return OKAY;
}
