// itunesSdkCOMInterfaceCalls: one wrapper per automation member the export
// calls, named itunesSdk_<Interface>_<Member>. iTunes refuses calls while it is
// busy (a dialog is open, the library is locked, a conversion runs); a wrapper
// retries such a refusal every 100 ms for up to 10 s, so that the export can be
// written as a plain sequence of calls, and returns the result of its last
// attempt unchanged.
//
// Retried refusals: 0x8001010A (the server is busy) and 0xA0040203 (the object
// is locked) by every wrapper, 0xA0040204 (a conversion is already running) by
// the two conversion calls only; and only while the context's retry flag is set.
// With the context's trace on, a wrapper writes "<6 spaces><name>: Retrying for
// 0x%02x" before each pause, "<name>: Retry timedout" when it gives up and
// "<name>: returns 0x%02x" when its final result is not 0.
//
// A wrapper takes the context, the interface it acts on (the IiTunes members
// act on the context's application) and the member's own arguments. A null
// context or interface is an internal error; the wrapper then returns a
// nonzero result without calling anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "itunesAutomation.h"

struct itunesSdkContext;

// The retry rule: pauses of 100 ms, giving up once 10 000 ms have been waited.
constexpr int kItunesSdkRetryStepMs = 100;
constexpr int kItunesSdkRetryTimeoutMs = 10000;

// IiTunes (on the context's application)
ItHresult itunesSdk_IiTunes_Quit(itunesSdkContext* context);
ItHresult itunesSdk_IiTunes_GetITObjectByID(itunesSdkContext* context, int32_t sourceId, int32_t playlistId,
                                            int32_t trackId, int32_t databaseId,
                                            std::shared_ptr<IITObject>& object);
ItHresult itunesSdk_IiTunes_ConvertFile2(itunesSdkContext* context, const std::string& path,
                                         std::shared_ptr<IITOperationStatus>& status);
ItHresult itunesSdk_IiTunes_ConvertTrack2(itunesSdkContext* context, const ItVariant& track,
                                          std::shared_ptr<IITOperationStatus>& status);
ItHresult itunesSdk_IiTunes_CheckVersion(itunesSdkContext* context, int32_t major, int32_t minor,
                                         bool& compatible);
ItHresult itunesSdk_IiTunes_get_Version(itunesSdkContext* context, std::string& version);

// IITTrackCollection
ItHresult itunesSdk_IITTrackCollection_get_Count(itunesSdkContext* context, IITTrackCollection* collection,
                                                 int32_t& count);
ItHresult itunesSdk_IITTrackCollection_get_Item(itunesSdkContext* context, IITTrackCollection* collection,
                                                int32_t index, std::shared_ptr<IITTrack>& track);

// IITTrack and IITObject
ItHresult itunesSdk_IITTrack_GetITObjectIDs(itunesSdkContext* context, IITTrack* track, int32_t& sourceId,
                                            int32_t& playlistId, int32_t& trackId, int32_t& databaseId);
ItHresult itunesSdk_IITTrack_Delete(itunesSdkContext* context, IITTrack* track);
ItHresult itunesSdk_IITTrack_QueryInterface(itunesSdkContext* context, IITTrack* track, ItGuid iid,
                                            std::shared_ptr<ItUnknown>& out);
ItHresult itunesSdk_IITObject_QueryInterface(itunesSdkContext* context, IITObject* object, ItGuid iid,
                                             std::shared_ptr<ItUnknown>& out);
ItHresult itunesSdk_IITTrack_get_Name(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Name(itunesSdkContext* context, IITTrack* track, const std::string& value);
ItHresult itunesSdk_IITTrack_get_Artist(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Artist(itunesSdkContext* context, IITTrack* track, const std::string& value);
ItHresult itunesSdk_IITTrack_get_Album(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Album(itunesSdkContext* context, IITTrack* track, const std::string& value);
ItHresult itunesSdk_IITTrack_get_Comment(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Comment(itunesSdkContext* context, IITTrack* track,
                                         const std::string& value);
ItHresult itunesSdk_IITTrack_get_Composer(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Composer(itunesSdkContext* context, IITTrack* track,
                                          const std::string& value);
ItHresult itunesSdk_IITTrack_get_Genre(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Genre(itunesSdkContext* context, IITTrack* track, const std::string& value);
ItHresult itunesSdk_IITTrack_get_Grouping(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_put_Grouping(itunesSdkContext* context, IITTrack* track,
                                          const std::string& value);
ItHresult itunesSdk_IITTrack_get_BPM(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_BPM(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_Compilation(itunesSdkContext* context, IITTrack* track, bool& value);
ItHresult itunesSdk_IITTrack_put_Compilation(itunesSdkContext* context, IITTrack* track, bool value);
ItHresult itunesSdk_IITTrack_get_DiscCount(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_DiscCount(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_DiscNumber(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_DiscNumber(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_Rating(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_Rating(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_TrackCount(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_TrackCount(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_TrackNumber(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_TrackNumber(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_Year(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_put_Year(itunesSdkContext* context, IITTrack* track, int32_t value);
ItHresult itunesSdk_IITTrack_get_BitRate(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_get_Duration(itunesSdkContext* context, IITTrack* track, int32_t& seconds);
ItHresult itunesSdk_IITTrack_get_SampleRate(itunesSdkContext* context, IITTrack* track, int32_t& value);
ItHresult itunesSdk_IITTrack_get_Time(itunesSdkContext* context, IITTrack* track, std::string& value);
ItHresult itunesSdk_IITTrack_get_Artwork(itunesSdkContext* context, IITTrack* track,
                                         std::shared_ptr<IITArtworkCollection>& artwork);

// IITFileOrCDTrack
ItHresult itunesSdk_IITFileOrCDTrack_get_Location(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_Category(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_Category(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_Description(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                     std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_Description(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                     const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_LongDescription(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                         std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_LongDescription(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                         const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_AlbumArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                     std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_AlbumArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                     const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_Show(itunesSdkContext* context, IITFileOrCDTrack* track,
                                              std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_Show(itunesSdkContext* context, IITFileOrCDTrack* track,
                                              const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortAlbum(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                   std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortAlbum(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                   const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortAlbumArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                         std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortAlbumArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                         const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                    std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortArtist(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                    const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortComposer(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                      std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortComposer(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                      const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortName(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortName(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_SortShow(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_SortShow(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                  const std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_get_Lyrics(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                std::string& value);
ItHresult itunesSdk_IITFileOrCDTrack_put_Lyrics(itunesSdkContext* context, IITFileOrCDTrack* track,
                                                const std::string& value);

// IITOperationStatus
ItHresult itunesSdk_IITOperationStatus_get_InProgress(itunesSdkContext* context, IITOperationStatus* status,
                                                      bool& inProgress);
ItHresult itunesSdk_IITOperationStatus_get_Tracks(itunesSdkContext* context, IITOperationStatus* status,
                                                  std::shared_ptr<IITTrackCollection>& tracks);

// IITArtworkCollection and IITArtwork
ItHresult itunesSdk_IITArtworkCollection_get_Count(itunesSdkContext* context,
                                                   IITArtworkCollection* collection, int32_t& count);
ItHresult itunesSdk_IITArtworkCollection_get_Item(itunesSdkContext* context, IITArtworkCollection* collection,
                                                  int32_t index, std::shared_ptr<IITArtwork>& artwork);
ItHresult itunesSdk_IITArtwork_get_Format(itunesSdkContext* context, IITArtwork* artwork, int32_t& format);
ItHresult itunesSdk_IITArtwork_SaveArtworkToFile(itunesSdkContext* context, IITArtwork* artwork,
                                                 const std::string& path);
