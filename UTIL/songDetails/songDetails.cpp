// songDetails: the track-properties record of the iTunes export. The accessors
// are all alike, so they are generated from three lists (fixed texts, long
// texts, numbers); the shared bodies below hold the rules.
#include "songDetails.h"

#include <new>

#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/songDetails/songDetails";

std::string_view songDetailsCutToUnits(std::string_view text, size_t units) {
    size_t used = 0;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t bytes = 1;
        size_t width = 1;
        if (lead >= 0xF0 && lead < 0xF8) {
            bytes = 4;
            width = 2;  // a surrogate pair
        } else if (lead >= 0xE0) {
            bytes = 3;
        } else if (lead >= 0xC0) {
            bytes = 2;
        }
        // Invalid or truncated sequences count one unit per byte.
        if (bytes > 1) {
            bool valid = i + bytes <= text.size() && lead < 0xF8;
            for (size_t k = 1; valid && k < bytes; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (!valid) bytes = width = 1;
        }
        if (used + width > units) break;
        used += width;
        i += bytes;
    }
    return text.substr(0, i);
}

namespace {

int setFixed(songDetails* record, std::string songDetails::*field, std::string_view text, size_t capacity) {
    if (record == nullptr) return REPORT_ERR();
    record->*field = std::string(songDetailsCutToUnits(text, capacity - 1));
    return OKAY;
}

int getFixed(const songDetails* record, std::string songDetails::*field, std::string& out,
             size_t bufferLength) {
    if (record == nullptr) return REPORT_ERR();
    const std::string& text = record->*field;
    if (pstrUtf16Length(text) >= bufferLength) return REPORT_ERR();
    out = text;
    return OKAY;
}

int setLong(songDetails* record, std::optional<std::string> songDetails::*field, std::string_view text) {
    if (record == nullptr) return REPORT_ERR();
    (record->*field).reset();
    try {
        (record->*field).emplace(text);
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();
    }
    return OKAY;
}

int getLong(const songDetails* record, std::optional<std::string> songDetails::*field,
            const std::string*& out) {
    if (record == nullptr) return REPORT_ERR();
    out = (record->*field) ? &*(record->*field) : nullptr;
    return OKAY;
}

int setNumber(songDetails* record, int32_t songDetails::*field, int32_t value) {
    if (record == nullptr) return REPORT_ERR();
    record->*field = value;
    return OKAY;
}

int getNumber(const songDetails* record, int32_t songDetails::*field, int32_t& out) {
    if (record == nullptr) return REPORT_ERR();
    out = record->*field;
    return OKAY;
}

}  // namespace

int songDetailsInit(std::unique_ptr<songDetails>& out, int verbose, CSlout* trace) {
    try {
        out = std::make_unique<songDetails>();
    } catch (const std::bad_alloc&) {
        return REPORT_ERR();
    }
    out->verbose = verbose;
    out->trace = trace;
    return OKAY;
}

int songDetailsFreeTexts(songDetails* record) {
    if (record == nullptr) return REPORT_ERR();
    record->comment.reset();
    record->composer.reset();
    record->lyrics.reset();
    record->description.reset();
    record->longDescription.reset();
    return OKAY;
}

#define SONG_DETAILS_FIXED_SETTER(Name, field, capacity)                           \
    int songDetailsSet##Name(songDetails* record, std::string_view text) {         \
        return setFixed(record, &songDetails::field, text, songDetails::capacity); \
    }
#define SONG_DETAILS_FIXED_GETTER(Name, field)                                                   \
    int songDetailsGet##Name(const songDetails* record, std::string& out, size_t bufferLength) { \
        return getFixed(record, &songDetails::field, out, bufferLength);                         \
    }
#define SONG_DETAILS_FIXED(Name, field, capacity) \
    SONG_DETAILS_FIXED_SETTER(Name, field, capacity) SONG_DETAILS_FIXED_GETTER(Name, field)

SONG_DETAILS_FIXED(Name, name, kTextCapacity)
SONG_DETAILS_FIXED(Album, album, kTextCapacity)
SONG_DETAILS_FIXED(Artist, artist, kTextCapacity)
SONG_DETAILS_FIXED(Genre, genre, kTextCapacity)
SONG_DETAILS_FIXED(Grouping, grouping, kTextCapacity)
SONG_DETAILS_FIXED(Time, time, kTextCapacity)
SONG_DETAILS_FIXED_SETTER(ArtworkFile, artworkFile, kPathCapacity)
SONG_DETAILS_FIXED(Category, category, kTextCapacity)
SONG_DETAILS_FIXED(AlbumArtist, albumArtist, kTextCapacity)
SONG_DETAILS_FIXED(ShowName, showName, kTextCapacity)
SONG_DETAILS_FIXED(SortAlbum, sortAlbum, kTextCapacity)
SONG_DETAILS_FIXED(SortAlbumArtist, sortAlbumArtist, kTextCapacity)
SONG_DETAILS_FIXED(SortArtist, sortArtist, kTextCapacity)
SONG_DETAILS_FIXED(SortComposer, sortComposer, kTextCapacity)
SONG_DETAILS_FIXED(SortName, sortName, kTextCapacity)
SONG_DETAILS_FIXED(SortShowName, sortShowName, kTextCapacity)
SONG_DETAILS_FIXED(Location, location, kPathCapacity)

#define SONG_DETAILS_LONG(Name, field)                                             \
    int songDetailsSet##Name(songDetails* record, std::string_view text) {         \
        return setLong(record, &songDetails::field, text);                         \
    }                                                                              \
    int songDetailsGet##Name(const songDetails* record, const std::string*& out) { \
        return getLong(record, &songDetails::field, out);                          \
    }

SONG_DETAILS_LONG(Comment, comment)
SONG_DETAILS_LONG(Composer, composer)
SONG_DETAILS_LONG(Lyrics, lyrics)
SONG_DETAILS_LONG(Description, description)
SONG_DETAILS_LONG(LongDescription, longDescription)

#define SONG_DETAILS_NUMBER(Name, field)                                \
    int songDetailsSet##Name(songDetails* record, int32_t value) {      \
        return setNumber(record, &songDetails::field, value);           \
    }                                                                   \
    int songDetailsGet##Name(const songDetails* record, int32_t& out) { \
        return getNumber(record, &songDetails::field, out);             \
    }

SONG_DETAILS_NUMBER(Bitrate, bitrate)
SONG_DETAILS_NUMBER(BPM, bpm)
SONG_DETAILS_NUMBER(DiscCount, discCount)
SONG_DETAILS_NUMBER(DiscNumber, discNumber)
SONG_DETAILS_NUMBER(DurationInSeconds, durationInSeconds)
SONG_DETAILS_NUMBER(Rating, rating)
SONG_DETAILS_NUMBER(SampleRate, sampleRate)
SONG_DETAILS_NUMBER(TrackCount, trackCount)
SONG_DETAILS_NUMBER(TrackNumber, trackNumber)
SONG_DETAILS_NUMBER(YearRecorded, yearRecorded)
SONG_DETAILS_NUMBER(IsCompilation, isCompilation)
