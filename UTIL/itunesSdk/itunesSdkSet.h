// itunesSdkSet: writing a track metadata record (songDetails) onto a track of
// iTunes. The numbers iTunes computes itself (bit rate, time, duration, sample
// rate) are read from the record but never written; the file-track texts are
// not written to a track whose file is a WAV.
#pragma once

#include "itunesSdk.h"

struct songDetails;

int itunesSdkSetTrackInfoFromSongDetails(itunesSdkContext* context, const itunesSdkTrackIds& ids,
                                         const songDetails* record);
