// The retrying wrappers of the automation members. One rule, retryingCall,
// holds the retry and its trace lines; each wrapper only names itself and
// forwards its arguments.
#include "itunesSdkCOMInterfaceCalls.h"

#include "itunesSdk.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/itunesSdk/itunesSdkCOMInterfaceCalls";

namespace {

enum class Refusals { Busy, BusyOrConverting };

bool retried(ItHresult result, Refusals refusals) {
    if (result == kItServerBusy || result == kItObjectLocked) return true;
    return refusals == Refusals::BusyOrConverting && result == kItConversionInProgress;
}

void traceLine(const itunesSdkContext* context, const char* name, const char* step, const std::string& tail) {
    itunesSdkTrace(context, kItunesSdkIndent6, std::string(name) + ": " + step + tail);
}

template <class Call>
ItHresult retryingCall(itunesSdkContext* context, const void* target, const char* name, Refusals refusals,
                       Call call) {
    if (context == nullptr || target == nullptr || context->automation == nullptr) {
        REPORT_ERR();
        return kItEPointer;
    }
    int waitedMs = 0;
    ItHresult result = call();
    while (context->retryWhenBusy != 0 && retried(result, refusals)) {
        traceLine(context, name, "Retrying for ", itunesSdkHex(result));
        context->automation->sleepMs(kItunesSdkRetryStepMs);
        waitedMs += kItunesSdkRetryStepMs;
        if (waitedMs >= kItunesSdkRetryTimeoutMs) {
            traceLine(context, name, "Retry timedout", "");
            break;
        }
        result = call();
    }
    if (result != kItSOk) traceLine(context, name, "returns ", itunesSdkHex(result));
    return result;
}

IiTunes* application(itunesSdkContext* context) {
    return context == nullptr ? nullptr : context->application.get();
}

}  // namespace

#define ITUNES_SDK_CALL(target, name, ...) \
    retryingCall(context, target, name, Refusals::Busy, [&] { return (target)->__VA_ARGS__; })

ItHresult itunesSdk_IiTunes_Quit(itunesSdkContext* context) {
    IiTunes* app = application(context);
    return ITUNES_SDK_CALL(app, "itunesSdk_IiTunes_Quit", Quit());
}
ItHresult itunesSdk_IiTunes_GetITObjectByID(itunesSdkContext* context, int32_t sourceId, int32_t playlistId,
                                            int32_t trackId, int32_t databaseId,
                                            std::shared_ptr<IITObject>& object) {
    IiTunes* app = application(context);
    return ITUNES_SDK_CALL(app, "itunesSdk_IiTunes_GetITObjectByID",
                           GetITObjectByID(sourceId, playlistId, trackId, databaseId, object));
}
ItHresult itunesSdk_IiTunes_ConvertFile2(itunesSdkContext* context, const std::string& path,
                                         std::shared_ptr<IITOperationStatus>& status) {
    IiTunes* app = application(context);
    return retryingCall(context, app, "itunesSdk_IiTunes_ConvertFile2", Refusals::BusyOrConverting,
                        [&] { return app->ConvertFile2(path, status); });
}
ItHresult itunesSdk_IiTunes_ConvertTrack2(itunesSdkContext* context, const ItVariant& track,
                                          std::shared_ptr<IITOperationStatus>& status) {
    IiTunes* app = application(context);
    return retryingCall(context, app, "itunesSdk_IiTunes_ConvertTrack2", Refusals::BusyOrConverting,
                        [&] { return app->ConvertTrack2(track, status); });
}
ItHresult itunesSdk_IiTunes_CheckVersion(itunesSdkContext* context, int32_t major, int32_t minor,
                                         bool& compatible) {
    IiTunes* app = application(context);
    return ITUNES_SDK_CALL(app, "itunesSdk_IiTunes_CheckVersion", CheckVersion(major, minor, compatible));
}
ItHresult itunesSdk_IiTunes_get_Version(itunesSdkContext* context, std::string& version) {
    IiTunes* app = application(context);
    return ITUNES_SDK_CALL(app, "itunesSdk_IiTunes_get_Version", get_Version(version));
}

ItHresult itunesSdk_IITTrackCollection_get_Count(itunesSdkContext* context, IITTrackCollection* collection,
                                                 int32_t& count) {
    return ITUNES_SDK_CALL(collection, "itunesSdk_IITTrackCollection_get_Count", get_Count(count));
}
ItHresult itunesSdk_IITTrackCollection_get_Item(itunesSdkContext* context, IITTrackCollection* collection,
                                                int32_t index, std::shared_ptr<IITTrack>& track) {
    return ITUNES_SDK_CALL(collection, "itunesSdk_IITTrackCollection_get_Item", get_Item(index, track));
}

ItHresult itunesSdk_IITTrack_GetITObjectIDs(itunesSdkContext* context, IITTrack* track, int32_t& sourceId,
                                            int32_t& playlistId, int32_t& trackId, int32_t& databaseId) {
    return ITUNES_SDK_CALL(track, "itunesSdk_IITTrack_GetITObjectIDs",
                           GetITObjectIDs(sourceId, playlistId, trackId, databaseId));
}
ItHresult itunesSdk_IITTrack_Delete(itunesSdkContext* context, IITTrack* track) {
    return ITUNES_SDK_CALL(track, "itunesSdk_IITTrack_Delete", Delete());
}
ItHresult itunesSdk_IITTrack_QueryInterface(itunesSdkContext* context, IITTrack* track, ItGuid iid,
                                            std::shared_ptr<ItUnknown>& out) {
    return ITUNES_SDK_CALL(track, "itunesSdk_IITTrack_QueryInterface", QueryInterface(iid, out));
}
ItHresult itunesSdk_IITObject_QueryInterface(itunesSdkContext* context, IITObject* object, ItGuid iid,
                                             std::shared_ptr<ItUnknown>& out) {
    return ITUNES_SDK_CALL(object, "itunesSdk_IITObject_QueryInterface", QueryInterface(iid, out));
}

// Properties: a getter and a putter each.
#define ITUNES_SDK_GET(Iface, Prop, Type)                                                             \
    ItHresult itunesSdk_##Iface##_get_##Prop(itunesSdkContext* context, Iface* object, Type& value) { \
        return ITUNES_SDK_CALL(object, "itunesSdk_" #Iface "_get_" #Prop, get_##Prop(value));         \
    }
#define ITUNES_SDK_PUT(Iface, Prop, Type)                                                            \
    ItHresult itunesSdk_##Iface##_put_##Prop(itunesSdkContext* context, Iface* object, Type value) { \
        return ITUNES_SDK_CALL(object, "itunesSdk_" #Iface "_put_" #Prop, put_##Prop(value));        \
    }
#define ITUNES_SDK_TEXT(Iface, Prop)         \
    ITUNES_SDK_GET(Iface, Prop, std::string) \
    ITUNES_SDK_PUT(Iface, Prop, const std::string&)
#define ITUNES_SDK_NUMBER(Iface, Prop)   \
    ITUNES_SDK_GET(Iface, Prop, int32_t) \
    ITUNES_SDK_PUT(Iface, Prop, int32_t)

ITUNES_SDK_TEXT(IITTrack, Name)
ITUNES_SDK_TEXT(IITTrack, Artist)
ITUNES_SDK_TEXT(IITTrack, Album)
ITUNES_SDK_TEXT(IITTrack, Comment)
ITUNES_SDK_TEXT(IITTrack, Composer)
ITUNES_SDK_TEXT(IITTrack, Genre)
ITUNES_SDK_TEXT(IITTrack, Grouping)
ITUNES_SDK_NUMBER(IITTrack, BPM)
ITUNES_SDK_GET(IITTrack, Compilation, bool)
ITUNES_SDK_PUT(IITTrack, Compilation, bool)
ITUNES_SDK_NUMBER(IITTrack, DiscCount)
ITUNES_SDK_NUMBER(IITTrack, DiscNumber)
ITUNES_SDK_NUMBER(IITTrack, Rating)
ITUNES_SDK_NUMBER(IITTrack, TrackCount)
ITUNES_SDK_NUMBER(IITTrack, TrackNumber)
ITUNES_SDK_NUMBER(IITTrack, Year)
ITUNES_SDK_GET(IITTrack, BitRate, int32_t)
ITUNES_SDK_GET(IITTrack, Duration, int32_t)
ITUNES_SDK_GET(IITTrack, SampleRate, int32_t)
ITUNES_SDK_GET(IITTrack, Time, std::string)
ITUNES_SDK_GET(IITTrack, Artwork, std::shared_ptr<IITArtworkCollection>)

ITUNES_SDK_GET(IITFileOrCDTrack, Location, std::string)
ITUNES_SDK_TEXT(IITFileOrCDTrack, Category)
ITUNES_SDK_TEXT(IITFileOrCDTrack, Description)
ITUNES_SDK_TEXT(IITFileOrCDTrack, LongDescription)
ITUNES_SDK_TEXT(IITFileOrCDTrack, AlbumArtist)
ITUNES_SDK_TEXT(IITFileOrCDTrack, Show)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortAlbum)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortAlbumArtist)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortArtist)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortComposer)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortName)
ITUNES_SDK_TEXT(IITFileOrCDTrack, SortShow)
ITUNES_SDK_TEXT(IITFileOrCDTrack, Lyrics)

ITUNES_SDK_GET(IITOperationStatus, InProgress, bool)
ITUNES_SDK_GET(IITOperationStatus, Tracks, std::shared_ptr<IITTrackCollection>)

ITUNES_SDK_GET(IITArtworkCollection, Count, int32_t)
ItHresult itunesSdk_IITArtworkCollection_get_Item(itunesSdkContext* context, IITArtworkCollection* collection,
                                                  int32_t index, std::shared_ptr<IITArtwork>& artwork) {
    return ITUNES_SDK_CALL(collection, "itunesSdk_IITArtworkCollection_get_Item", get_Item(index, artwork));
}
ITUNES_SDK_GET(IITArtwork, Format, int32_t)
ItHresult itunesSdk_IITArtwork_SaveArtworkToFile(itunesSdkContext* context, IITArtwork* artwork,
                                                 const std::string& path) {
    return ITUNES_SDK_CALL(artwork, "itunesSdk_IITArtwork_SaveArtworkToFile", SaveArtworkToFile(path));
}
