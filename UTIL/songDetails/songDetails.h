// songDetails: the descriptive properties of one track as the iTunes library
// knows them, a plain record with one setter and one getter per property.
//
// The iTunes export fills a record from the track iTunes has just created,
// overwrites five texts with the recorder's own details and writes the whole
// record back. The module does no formatting, no validation and no I/O.
//
// Texts are UTF-8. Fixed texts have a capacity in UTF-16 units (terminator
// included, as the iTunes side counts them); a longer text is cut to
// capacity - 1 units at a character boundary. The five long texts are absent
// (null) until first set. Every operation returns OKAY, or NOT_OKAY after an
// internal-error report (null record or out-parameter, a getter buffer that is
// too small).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CSlout;

struct songDetails {
    static constexpr size_t kTextCapacity = 512;
    static constexpr size_t kPathCapacity = 1024;

    // fixed texts
    std::string name, album, artist, genre, grouping, time, artworkFile, category, albumArtist, showName,
        sortAlbum, sortAlbumArtist, sortArtist, sortComposer, sortName, sortShowName, location;
    // owned long texts, absent until first set
    std::optional<std::string> comment, composer, lyrics, description, longDescription;
    // numbers as the iTunes track property reports them
    int32_t bitrate = 0, bpm = 0, discCount = 0, discNumber = 0, durationInSeconds = 0, rating = 0,
            sampleRate = 0, trackCount = 0, trackNumber = 0, yearRecorded = 0, isCompilation = 0;

    CSlout* trace = nullptr;
    int verbose = 0;
};

// A zeroed record holding the trace sink and verbose flag.
int songDetailsInit(std::unique_ptr<songDetails>& out, int verbose, CSlout* trace);
// Clears the five long texts to absent; the rest keeps its values.
int songDetailsFreeTexts(songDetails* record);

// Fixed texts.
int songDetailsSetName(songDetails* record, std::string_view text);
int songDetailsSetAlbum(songDetails* record, std::string_view text);
int songDetailsSetArtist(songDetails* record, std::string_view text);
int songDetailsSetGenre(songDetails* record, std::string_view text);  // cut to 511 units
int songDetailsSetGrouping(songDetails* record, std::string_view text);
int songDetailsSetTime(songDetails* record, std::string_view text);
int songDetailsSetArtworkFile(songDetails* record, std::string_view text);
int songDetailsSetCategory(songDetails* record, std::string_view text);
int songDetailsSetAlbumArtist(songDetails* record, std::string_view text);
int songDetailsSetShowName(songDetails* record, std::string_view text);
int songDetailsSetSortAlbum(songDetails* record, std::string_view text);
int songDetailsSetSortAlbumArtist(songDetails* record, std::string_view text);
int songDetailsSetSortArtist(songDetails* record, std::string_view text);
int songDetailsSetSortComposer(songDetails* record, std::string_view text);
int songDetailsSetSortName(songDetails* record, std::string_view text);
int songDetailsSetSortShowName(songDetails* record, std::string_view text);
int songDetailsSetLocation(songDetails* record, std::string_view text);

// Getters of fixed texts copy into `out`; they fail when the text does not fit
// a buffer of `bufferLength` UTF-16 units with its terminator.
int songDetailsGetName(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetAlbum(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetArtist(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetGenre(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetGrouping(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetTime(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetCategory(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetAlbumArtist(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetShowName(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortAlbum(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortAlbumArtist(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortArtist(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortComposer(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortName(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetSortShowName(const songDetails* record, std::string& out, size_t bufferLength);
int songDetailsGetLocation(const songDetails* record, std::string& out, size_t bufferLength);

// Long texts: setters replace the text; getters hand out the record's own
// string (null when never set), valid until that text is replaced or freed.
int songDetailsSetComment(songDetails* record, std::string_view text);
int songDetailsSetComposer(songDetails* record, std::string_view text);
int songDetailsSetLyrics(songDetails* record, std::string_view text);
int songDetailsSetDescription(songDetails* record, std::string_view text);
int songDetailsSetLongDescription(songDetails* record, std::string_view text);
int songDetailsGetComment(const songDetails* record, const std::string*& out);
int songDetailsGetComposer(const songDetails* record, const std::string*& out);
int songDetailsGetLyrics(const songDetails* record, const std::string*& out);
int songDetailsGetDescription(const songDetails* record, const std::string*& out);
int songDetailsGetLongDescription(const songDetails* record, const std::string*& out);

// Numbers.
int songDetailsSetBitrate(songDetails* record, int32_t value);
int songDetailsSetBPM(songDetails* record, int32_t value);
int songDetailsSetDiscCount(songDetails* record, int32_t value);
int songDetailsSetDiscNumber(songDetails* record, int32_t value);
int songDetailsSetDurationInSeconds(songDetails* record, int32_t value);
int songDetailsSetRating(songDetails* record, int32_t value);
int songDetailsSetSampleRate(songDetails* record, int32_t value);
int songDetailsSetTrackCount(songDetails* record, int32_t value);
int songDetailsSetTrackNumber(songDetails* record, int32_t value);
int songDetailsSetYearRecorded(songDetails* record, int32_t value);
int songDetailsSetIsCompilation(songDetails* record, int32_t value);
int songDetailsGetBitrate(const songDetails* record, int32_t& out);
int songDetailsGetBPM(const songDetails* record, int32_t& out);
int songDetailsGetDiscCount(const songDetails* record, int32_t& out);
int songDetailsGetDiscNumber(const songDetails* record, int32_t& out);
int songDetailsGetDurationInSeconds(const songDetails* record, int32_t& out);
int songDetailsGetRating(const songDetails* record, int32_t& out);
int songDetailsGetSampleRate(const songDetails* record, int32_t& out);
int songDetailsGetTrackCount(const songDetails* record, int32_t& out);
int songDetailsGetTrackNumber(const songDetails* record, int32_t& out);
int songDetailsGetYearRecorded(const songDetails* record, int32_t& out);
int songDetailsGetIsCompilation(const songDetails* record, int32_t& out);

// The longest prefix of a UTF-8 text that fits `units` UTF-16 units without
// splitting a character (a surrogate pair counts two).
std::string_view songDetailsCutToUnits(std::string_view text, size_t units);
