// ID3v2.3 tag writer: the tag in front of every MP3 file the program saves.
//
// The MP3 pipeline calls it on a freshly created, empty file before the first
// audio byte, so the tag always starts at offset 0. Up to five text frames are
// written, in the order TIT2 (title), TPE1 (artist), TALB (album), TCON (genre,
// as free text) and COMM (comment, language "eng", empty description); an
// empty text leaves its frame out, and five empty texts write nothing at all.
// Texts come in as UTF-8 and are written as UTF-16LE with a byte order mark.
// Tag size is synchsafe, frame sizes are plain big-endian (as ID3v2.3 wants);
// there is no extended header, padding, footer or ID3v1 tag.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

// Writes the tag at the stream's position, leaving it just behind the last
// frame. NOT_OKAY (reported) for a null stream, a malformed UTF-8 text, a tag
// too large for its 28-bit size, or a short write.
int TagsMp3WriteID3v2_3(std::FILE* file, std::string_view title, std::string_view artist,
                        std::string_view album, std::string_view genre, std::string_view comment);

// Data size of a text frame (3 + 2n for n UTF-16 units) and of the comment
// frame (10 + 2n); 0 for an empty text.
uint32_t TagsMp3TextFrameSize(std::u16string_view text);
uint32_t TagsMp3CommentFrameSize(std::u16string_view text);

// Write one frame, header and data, with the data size computed above; a data
// size of 0 writes nothing and is OKAY.
int TagsMp3WriteTextFrame(std::FILE* file, const char (&frameId)[5], std::u16string_view text,
                          uint32_t dataSize);
int TagsMp3WriteCommentFrame(std::FILE* file, std::u16string_view text, uint32_t dataSize);

// The 28-bit tag size as four synchsafe bytes (7 bits each, most significant first).
void TagsSynchsafe(uint32_t size, unsigned char out[4]);
