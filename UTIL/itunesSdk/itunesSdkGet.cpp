// Finding tracks (the result of a conversion, or by ids) and reading a
// track's details into a track metadata record.
#include "itunesSdkGet.h"

#include "itunesSdkCOMInterfaceCalls.h"
#include "pstr.h"
#include "report.h"
#include "songDetails.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdkGet";

namespace {

void traceStatus(const itunesSdkContext* context, const std::string& text) {
    itunesSdkTrace(context, kItunesSdkIndent12, "itunesSdkGet_TrackUsingIstatus: " + text);
}

// The file track behind a track, with its location and upper-cased extension.
int fileTrackOf(itunesSdkContext* context, IITTrack* track, std::shared_ptr<IITFileOrCDTrack>& fileTrack,
                std::string& location, std::string& extension) {
    std::shared_ptr<ItUnknown> unknown;
    if (itunesSdk_IITTrack_QueryInterface(context, track, kItIidIITFileOrCDTrack, unknown) != kItSOk)
        return REPORT_ERR();
    fileTrack = std::dynamic_pointer_cast<IITFileOrCDTrack>(unknown);
    if (!fileTrack) return REPORT_ERR();
    if (itunesSdk_IITFileOrCDTrack_get_Location(context, fileTrack.get(), location) != kItSOk)
        return REPORT_ERR();
    extension = pstrUpper(pstrExtension(location));
    return OKAY;
}

}  // namespace

int itunesSdkGet_TrackUsingIstatus(itunesSdkContext* context, IITOperationStatus* status,
                                   std::shared_ptr<IITTrack>& track) {
    track.reset();
    if (context == nullptr || status == nullptr) return REPORT_ERR();
    traceStatus(context, "Entered");
    bool inProgress = true;
    if (itunesSdk_IITOperationStatus_get_InProgress(context, status, inProgress) != kItSOk)
        return REPORT_ERR();
    if (inProgress) {
        traceStatus(context, "Istatus indicates convert operation is still in progress");
        return REPORT_ERR();
    }
    std::shared_ptr<IITTrackCollection> tracks;
    const ItHresult got = itunesSdk_IITOperationStatus_get_Tracks(context, status, tracks);
    if (got != kItSOk || !tracks) {
        traceStatus(context, "Istatus->get_Tracks() failed and returned " + std::to_string(got));
        return REPORT_ERR();
    }
    int32_t count = 0;
    if (itunesSdk_IITTrackCollection_get_Count(context, tracks.get(), count) != kItSOk) {
        traceStatus(context, "ItrackCollection->get_Count() failed");
        return REPORT_ERR();
    }
    if (count != 1) {
        traceStatus(context, "l_track_count != 1");
        return REPORT_ERR();
    }
    if (itunesSdk_IITTrackCollection_get_Item(context, tracks.get(), 1, track) != kItSOk || !track) {
        track.reset();
        traceStatus(context, "ItrackCollection->get_Item() failed");
        return REPORT_ERR();
    }
    traceStatus(context, "Success");
    return OKAY;
}

int itunesSdkGet_ITrackByIDs(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                             std::shared_ptr<IITTrack>& track) {
    track.reset();
    std::shared_ptr<IITObject> object;
    const ItHresult found = itunesSdk_IiTunes_GetITObjectByID(context, ids.sourceId, ids.playlistId,
                                                              ids.trackId, ids.databaseId, object);
    if (found == kItSFalse) return OKAY;  // the track no longer exists
    if (found != kItSOk || !object) return REPORT_ERR();
    std::shared_ptr<ItUnknown> unknown;
    if (itunesSdk_IITObject_QueryInterface(context, object.get(), kItIidIITTrack, unknown) != kItSOk)
        return REPORT_ERR();
    track = std::dynamic_pointer_cast<IITTrack>(unknown);
    if (!track) return REPORT_ERR();
    return OKAY;
}

bool itunesSdkGetArtworkPath(const std::string& artworkFolder, int32_t format, std::string& path) {
    const char* extension = nullptr;
    switch (format) {
        case kItArtworkJpeg:
            extension = "jpeg";
            break;
        case kItArtworkPng:
            extension = "png";
            break;
        case kItArtworkBmp:
            extension = "bmp";
            break;
        default:
            return false;
    }
    std::string folder = artworkFolder;
    if (folder.empty() || folder.back() != '/') folder += '/';
    path = folder + kItunesSdkArtworkBaseName + "." + extension;
    return true;
}

#define ITUNES_SDK_READ(call) \
    if ((call) != kItSOk) return REPORT_ERR()

int itunesSdkGetSongDetails(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                            const std::string& artworkFolder, songDetails* record) {
    if (context == nullptr || record == nullptr) return REPORT_ERR();
    std::shared_ptr<IITTrack> track;
    REPORT_CHECK(itunesSdkGet_ITrackByIDs(context, ids, track));
    if (!track) return REPORT_ERR();
    REPORT_CHECK(songDetailsFreeTexts(record));
    std::shared_ptr<IITFileOrCDTrack> fileTrack;
    std::string location, extension;
    REPORT_CHECK(fileTrackOf(context, track.get(), fileTrack, location, extension));

    IITTrack* t = track.get();
    std::string name, album, artist, comment, composer, genre, grouping, time;
    int32_t bitRate = 0, bpm = 0, discCount = 0, discNumber = 0, duration = 0, rating = 0, sampleRate = 0,
            trackCount = 0, trackNumber = 0, year = 0;
    bool compilation = false;
    std::shared_ptr<IITArtworkCollection> artwork;
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Name(context, t, name));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_BitRate(context, t, bitRate));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_BPM(context, t, bpm));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Compilation(context, t, compilation));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_DiscCount(context, t, discCount));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_DiscNumber(context, t, discNumber));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Duration(context, t, duration));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Rating(context, t, rating));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_SampleRate(context, t, sampleRate));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_TrackCount(context, t, trackCount));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_TrackNumber(context, t, trackNumber));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Year(context, t, year));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Album(context, t, album));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Artist(context, t, artist));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Comment(context, t, comment));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Composer(context, t, composer));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Genre(context, t, genre));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Grouping(context, t, grouping));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Time(context, t, time));
    ITUNES_SDK_READ(itunesSdk_IITTrack_get_Artwork(context, t, artwork));

    // The first picture, saved as a file. A picture that cannot be saved only
    // leaves the record without artwork: nothing later depends on it.
    std::string artworkFile;
    int32_t pictures = 0;
    if (artwork) ITUNES_SDK_READ(itunesSdk_IITArtworkCollection_get_Count(context, artwork.get(), pictures));
    if (pictures >= 1) {
        std::shared_ptr<IITArtwork> picture;
        int32_t format = 0;
        std::string path;
        ITUNES_SDK_READ(itunesSdk_IITArtworkCollection_get_Item(context, artwork.get(), 1, picture));
        if (!picture) return REPORT_ERR();
        ITUNES_SDK_READ(itunesSdk_IITArtwork_get_Format(context, picture.get(), format));
        if (itunesSdkGetArtworkPath(artworkFolder, format, path) &&
            itunesSdk_IITArtwork_SaveArtworkToFile(context, picture.get(), path) == kItSOk)
            artworkFile = path;
    }

    IITFileOrCDTrack* f = fileTrack.get();
    std::string category, description, longDescription, albumArtist, show, sortAlbum, sortAlbumArtist,
        sortArtist, sortComposer, sortName, sortShow, lyrics;
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_Category(context, f, category));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_Description(context, f, description));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_LongDescription(context, f, longDescription));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_AlbumArtist(context, f, albumArtist));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_Show(context, f, show));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortAlbum(context, f, sortAlbum));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortAlbumArtist(context, f, sortAlbumArtist));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortArtist(context, f, sortArtist));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortComposer(context, f, sortComposer));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortName(context, f, sortName));
    ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_SortShow(context, f, sortShow));
    // WAV and CD tracks carry no lyrics; asking for them fails.
    if (extension != "WAV" && extension != "CDA")
        ITUNES_SDK_READ(itunesSdk_IITFileOrCDTrack_get_Lyrics(context, f, lyrics));

    REPORT_CHECK(songDetailsSetName(record, name));
    REPORT_CHECK(songDetailsSetAlbum(record, album));
    REPORT_CHECK(songDetailsSetArtist(record, artist));
    REPORT_CHECK(songDetailsSetComment(record, comment));
    REPORT_CHECK(songDetailsSetComposer(record, composer));
    REPORT_CHECK(songDetailsSetGenre(record, genre));
    REPORT_CHECK(songDetailsSetGrouping(record, grouping));
    REPORT_CHECK(songDetailsSetTime(record, time));
    REPORT_CHECK(songDetailsSetArtworkFile(record, artworkFile));
    REPORT_CHECK(songDetailsSetCategory(record, category));
    REPORT_CHECK(songDetailsSetDescription(record, description));
    REPORT_CHECK(songDetailsSetLongDescription(record, longDescription));
    REPORT_CHECK(songDetailsSetAlbumArtist(record, albumArtist));
    REPORT_CHECK(songDetailsSetShowName(record, show));
    REPORT_CHECK(songDetailsSetSortAlbum(record, sortAlbum));
    REPORT_CHECK(songDetailsSetSortAlbumArtist(record, sortAlbumArtist));
    REPORT_CHECK(songDetailsSetSortArtist(record, sortArtist));
    REPORT_CHECK(songDetailsSetSortComposer(record, sortComposer));
    REPORT_CHECK(songDetailsSetSortName(record, sortName));
    REPORT_CHECK(songDetailsSetSortShowName(record, sortShow));
    REPORT_CHECK(songDetailsSetLocation(record, location));
    REPORT_CHECK(songDetailsSetLyrics(record, lyrics));
    REPORT_CHECK(songDetailsSetBitrate(record, bitRate));
    REPORT_CHECK(songDetailsSetBPM(record, bpm));
    REPORT_CHECK(songDetailsSetDiscCount(record, discCount));
    REPORT_CHECK(songDetailsSetDiscNumber(record, discNumber));
    REPORT_CHECK(songDetailsSetDurationInSeconds(record, duration));
    REPORT_CHECK(songDetailsSetRating(record, rating));
    REPORT_CHECK(songDetailsSetSampleRate(record, sampleRate));
    REPORT_CHECK(songDetailsSetTrackCount(record, trackCount));
    REPORT_CHECK(songDetailsSetTrackNumber(record, trackNumber));
    REPORT_CHECK(songDetailsSetYearRecorded(record, year));
    REPORT_CHECK(songDetailsSetIsCompilation(record, compilation ? 1 : 0));
    return OKAY;
}
