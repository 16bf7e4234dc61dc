// ID3v2.3 tag writer. See Tags.h for the layout; this file only turns it into
// bytes. Every write is checked for its full length, because a short write
// leaves a tag whose sizes lie about what follows.
#include "Tags.h"

#include <array>
#include <string>
#include <vector>

#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/Tags/Tags";

namespace {

constexpr uint32_t kFrameHeaderBytes = 10;
constexpr uint32_t kMaxTagSize = 0x0FFFFFFF;  // 28 bits

bool writeAll(std::FILE* file, const void* data, size_t bytes) {
    return bytes == 0 || std::fwrite(data, 1, bytes, file) == bytes;
}

void putBigEndian32(uint32_t value, unsigned char* out) {
    out[0] = static_cast<unsigned char>(value >> 24);
    out[1] = static_cast<unsigned char>(value >> 16);
    out[2] = static_cast<unsigned char>(value >> 8);
    out[3] = static_cast<unsigned char>(value);
}

void appendUtf16Le(std::vector<unsigned char>& bytes, std::u16string_view text) {
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
}

int writeFrame(std::FILE* file, const char* frameId, const std::vector<unsigned char>& data) {
    unsigned char header[kFrameHeaderBytes] = {};
    for (int i = 0; i < 4; ++i) header[i] = static_cast<unsigned char>(frameId[i]);
    putBigEndian32(static_cast<uint32_t>(data.size()), header + 4);
    if (!writeAll(file, header, sizeof header)) return REPORT_ERR();
    if (!writeAll(file, data.data(), data.size())) return REPORT_ERR();
    return OKAY;
}

}  // namespace

void TagsSynchsafe(uint32_t size, unsigned char out[4]) {
    out[0] = static_cast<unsigned char>((size >> 21) & 0x7F);
    out[1] = static_cast<unsigned char>((size >> 14) & 0x7F);
    out[2] = static_cast<unsigned char>((size >> 7) & 0x7F);
    out[3] = static_cast<unsigned char>(size & 0x7F);
}

uint32_t TagsMp3TextFrameSize(std::u16string_view text) {
    return text.empty() ? 0 : static_cast<uint32_t>(3 + 2 * text.size());
}

uint32_t TagsMp3CommentFrameSize(std::u16string_view text) {
    return text.empty() ? 0 : static_cast<uint32_t>(10 + 2 * text.size());
}

int TagsMp3WriteTextFrame(std::FILE* file, const char (&frameId)[5], std::u16string_view text,
                          uint32_t dataSize) {
    if (dataSize == 0) return OKAY;
    if (file == nullptr || dataSize != TagsMp3TextFrameSize(text)) return REPORT_ERR();
    std::vector<unsigned char> data{0x01, 0xFF, 0xFE};  // UTF-16 with byte order mark
    appendUtf16Le(data, text);
    REPORT_CHECK(writeFrame(file, frameId, data));
    return OKAY;
}

int TagsMp3WriteCommentFrame(std::FILE* file, std::u16string_view text, uint32_t dataSize) {
    if (dataSize == 0) return OKAY;
    if (file == nullptr || dataSize != TagsMp3CommentFrameSize(text)) return REPORT_ERR();
    // Encoding, language, then the empty content description (its own byte
    // order mark and terminator), then the comment with its byte order mark.
    std::vector<unsigned char> data{0x01, 'e', 'n', 'g', 0xFF, 0xFE, 0x00, 0x00, 0xFF, 0xFE};
    appendUtf16Le(data, text);
    REPORT_CHECK(writeFrame(file, "COMM", data));
    return OKAY;
}

int TagsMp3WriteID3v2_3(std::FILE* file, std::string_view title, std::string_view artist,
                        std::string_view album, std::string_view genre, std::string_view comment) {
    if (file == nullptr) return REPORT_ERR();
    if (title.empty() && artist.empty() && album.empty() && genre.empty() && comment.empty()) return OKAY;

    std::array<std::u16string, 5> texts;
    const std::array<std::string_view, 5> sources{title, artist, album, genre, comment};
    for (size_t i = 0; i < texts.size(); ++i) REPORT_CHECK(pstrToUtf16(sources[i], texts[i]));

    const uint32_t titleSize = TagsMp3TextFrameSize(texts[0]);
    const uint32_t artistSize = TagsMp3TextFrameSize(texts[1]);
    const uint32_t albumSize = TagsMp3TextFrameSize(texts[2]);
    const uint32_t genreSize = TagsMp3TextFrameSize(texts[3]);
    const uint32_t commentSize = TagsMp3CommentFrameSize(texts[4]);

    uint64_t tagSize = 0;
    for (uint32_t dataSize : {titleSize, artistSize, albumSize, genreSize, commentSize})
        if (dataSize != 0) tagSize += dataSize + kFrameHeaderBytes;
    if (tagSize > kMaxTagSize) return REPORT_ERR();

    unsigned char header[10] = {'I', 'D', '3', 3, 0, 0};
    TagsSynchsafe(static_cast<uint32_t>(tagSize), header + 6);
    if (!writeAll(file, header, sizeof header)) return REPORT_ERR();

    REPORT_CHECK(TagsMp3WriteTextFrame(file, "TIT2", texts[0], titleSize));
    REPORT_CHECK(TagsMp3WriteTextFrame(file, "TPE1", texts[1], artistSize));
    REPORT_CHECK(TagsMp3WriteTextFrame(file, "TALB", texts[2], albumSize));
    REPORT_CHECK(TagsMp3WriteTextFrame(file, "TCON", texts[3], genreSize));
    REPORT_CHECK(TagsMp3WriteCommentFrame(file, texts[4], commentSize));
    return OKAY;
}
