// itunesSdkGet: finding tracks and reading their details. A track is found
// either as the one result of a finished conversion or by its four ids; its
// details fill a track metadata record (songDetails), its artwork is saved as
// a picture file.
#pragma once

#include <memory>
#include <string>

#include "itunesSdk.h"

struct songDetails;

// Base name of a track's artwork file in the artwork folder; the extension
// follows the picture's format (jpeg, png, bmp).
inline constexpr const char* kItunesSdkArtworkBaseName = "izentic_album_art";

// The new track of a finished conversion: the operation must be over and have
// made exactly one track.
int itunesSdkGet_TrackUsingIstatus(itunesSdkContext* context, IITOperationStatus* status,
                                   std::shared_ptr<IITTrack>& track);
// The track with these ids; null (and OKAY) when the library no longer has it.
int itunesSdkGet_ITrackByIDs(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                             std::shared_ptr<IITTrack>& track);
// Fills `record` from the track: every text, number, its location, and its
// first picture saved into `artworkFolder` (ArtworkFile, empty without one).
// Lyrics are read only from tracks whose file is neither WAV nor CDA.
int itunesSdkGetSongDetails(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                            const std::string& artworkFolder, songDetails* record);
// The artwork file name for a picture format; false for an unknown format.
bool itunesSdkGetArtworkPath(const std::string& artworkFolder, int32_t format, std::string& path);
