// Cache audio file reader and writer (see CsndDevicesWaveFile.h for the layout).
// Unbuffered file access (Platform/fileio) through the object's own buffer
// stands in for the buffered multimedia file I/O the layout was first written
// with; the bytes are the same, including the pad byte that follows a chunk of
// odd size.
#include "CsndDevicesWaveFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "report.h"

namespace {

void put16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

uint16_t get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Finds the chunk `id` among the chunks that follow "WAVE" (offset 12), to the
// end of the file: a file never closed has RIFF size 0, so that size cannot
// bound the search. Gives the offset of the chunk's data and its size.
bool findChunk(FileIoHandle fd, const char* id, uint64_t& dataOffset, uint32_t& size) {
    uint64_t offset = 12;
    unsigned char header[8];
    while (fileIoReadAt(fd, header, sizeof header, offset) == OKAY) {
        const uint32_t chunkSize = get32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            dataOffset = offset + 8;
            size = chunkSize;
            return true;
        }
        offset += 8 + static_cast<uint64_t>(chunkSize) + (chunkSize & 1u);
    }
    return false;
}

}  // namespace

CsndDevicesWaveFile::CsndDevicesWaveFile() : buffer_(kBufferBytes) {}

CsndDevicesWaveFile::~CsndDevicesWaveFile() {
    destroy();
    abandon();  // a writer whose close failed still lets go of its handle
}

int32_t CsndDevicesWaveFile::reset() {
    abandon();
    format_ = AudioFormat{};
    hasFormat_ = false;
    formatExtra_.clear();
    return kWaveSOk;
}

void CsndDevicesWaveFile::abandon() {
    fileIoClose(fd_);
    fd_ = kFileIoClosed;
    mode_ = 0;
    dataStart_ = dataWritten_ = factValueOffset_ = 0;
    blockAlign_ = 0;
    remaining_ = dataSize_ = 0;
    bufferPos_ = bufferEnd_ = 0;
}

int32_t CsndDevicesWaveFile::fail() {
    abandon();
    return kWaveEFail;
}

int32_t CsndDevicesWaveFile::open(const std::string& path, const AudioFormat* format, int mode) {
    if (mode != kWaveModeRead && mode != kWaveModeWrite) return kWaveEInvalidArg;
    if (path.empty()) return kWaveEInvalidArg;
    if (mode == kWaveModeWrite && format == nullptr) return kWaveEInvalidArg;
    if (isOpen() && close() != kWaveSOk) abandon();
    reset();
    return mode == kWaveModeWrite ? openWrite(path, *format) : openRead(path);
}

int32_t CsndDevicesWaveFile::openWrite(const std::string& path, const AudioFormat& format) {
    if (fileIoOpen(path, FileIoMode::Create, fd_) != OKAY) return fail();
    mode_ = kWaveModeWrite;

    // The header goes through the I/O buffer like the samples that follow it.
    const bool pcm = format.formatTag == kWaveFormatPcm;
    const uint32_t fmtSize = pcm ? 16u : 18u + format.extraSize;
    unsigned char* p = buffer_.data();
    size_t n = 0;
    std::memcpy(p + n, "RIFF", 4), n += 4;
    put32(p + n, 0), n += 4;
    std::memcpy(p + n, "WAVE", 4), n += 4;
    std::memcpy(p + n, "fmt ", 4), n += 4;
    put32(p + n, fmtSize), n += 4;
    put16(p + n, format.formatTag), n += 2;
    put16(p + n, format.channels), n += 2;
    put32(p + n, format.sampleRate), n += 4;
    put32(p + n, format.avgBytesPerSec), n += 4;
    put16(p + n, format.blockAlign), n += 2;
    put16(p + n, format.bitsPerSample), n += 2;
    if (!pcm) {
        // Only the format's size travels with AudioFormat: its extra bytes are written as zeros.
        put16(p + n, format.extraSize), n += 2;
        std::memset(p + n, 0, format.extraSize), n += format.extraSize;
        if (fmtSize & 1u) p[n++] = 0;
    }
    std::memcpy(p + n, "fact", 4), n += 4;
    put32(p + n, 4), n += 4;
    factValueOffset_ = n;
    put32(p + n, 0xFFFFFFFFu), n += 4;
    std::memcpy(p + n, "data", 4), n += 4;
    put32(p + n, 0), n += 4;
    dataStart_ = n;
    bufferEnd_ = n;
    blockAlign_ = format.blockAlign;
    dataWritten_ = 0;
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::openRead(const std::string& path) {
    if (fileIoOpen(path, FileIoMode::Read, fd_) != OKAY) return fail();
    mode_ = kWaveModeRead;

    unsigned char head[12];
    if (fileIoReadAt(fd_, head, sizeof head, 0) != OKAY) return fail();
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return fail();

    uint64_t fmtOffset = 0;
    uint32_t fmtSize = 0;
    if (!findChunk(fd_, "fmt ", fmtOffset, fmtSize) || fmtSize < 16) return fail();
    unsigned char f[18];
    if (fileIoReadAt(fd_, f, 16, fmtOffset) != OKAY) return fail();
    format_.formatTag = get16(f);
    format_.channels = get16(f + 2);
    format_.sampleRate = get32(f + 4);
    format_.avgBytesPerSec = get32(f + 8);
    format_.blockAlign = get16(f + 12);
    format_.bitsPerSample = get16(f + 14);
    format_.extraSize = 0;
    if (format_.formatTag != kWaveFormatPcm) {
        if (fileIoReadAt(fd_, f + 16, 2, fmtOffset + 16) != OKAY) return fail();
        format_.extraSize = get16(f + 16);
        formatExtra_.resize(format_.extraSize);
        if (format_.extraSize > 0 &&
            fileIoReadAt(fd_, formatExtra_.data(), format_.extraSize, fmtOffset + 18) != OKAY)
            return fail();
    }
    hasFormat_ = true;

    uint32_t size = 0;
    if (!findChunk(fd_, "data", dataStart_, size)) return fail();
    dataSize_ = size;
    if (resetToData() != kWaveSOk) return fail();
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::resetToData() {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (mode_ != kWaveModeRead) return kWaveENotImpl;
    if (fileIoSeek(fd_, dataStart_) != OKAY) return kWaveEFail;
    bufferPos_ = bufferEnd_ = 0;
    remaining_ = dataSize_;
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::read(void* buffer, uint32_t bytes, uint32_t* bytesRead) {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (buffer == nullptr || bytesRead == nullptr) return kWaveEInvalidArg;
    if (mode_ != kWaveModeRead) return kWaveENotImpl;
    *bytesRead = 0;
    uint32_t want = bytes < remaining_ ? bytes : remaining_;
    auto* out = static_cast<unsigned char*>(buffer);
    while (want > 0) {
        if (bufferPos_ == bufferEnd_) {
            size_t got = 0;
            // Nothing more: the data chunk claims more than the file holds.
            if (fileIoRead(fd_, buffer_.data(), buffer_.size(), got) != OKAY || got == 0) return kWaveEFail;
            bufferPos_ = 0;
            bufferEnd_ = got;
        }
        size_t n = bufferEnd_ - bufferPos_;
        if (n > want) n = want;
        std::memcpy(out, buffer_.data() + bufferPos_, n);
        out += n;
        bufferPos_ += n;
        want -= static_cast<uint32_t>(n);
        remaining_ -= static_cast<uint32_t>(n);
        *bytesRead += static_cast<uint32_t>(n);
    }
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::flushBuffer() {
    size_t done = 0;
    while (done < bufferEnd_) {
        size_t w = 0;
        if (fileIoWrite(fd_, buffer_.data() + done, bufferEnd_ - done, w) != OKAY || w == 0) {
            // Keep only what did not reach the file, so a later try never writes bytes twice.
            std::memmove(buffer_.data(), buffer_.data() + done, bufferEnd_ - done);
            bufferEnd_ -= done;
            return kWaveEFail;
        }
        done += w;
    }
    bufferEnd_ = 0;
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::write(uint32_t bytes, const void* data, uint32_t* bytesWritten) {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (data == nullptr || bytesWritten == nullptr) return kWaveEInvalidArg;
    if (mode_ != kWaveModeWrite) return kWaveENotImpl;
    *bytesWritten = 0;
    // RIFF size = data start - 8 + data + pad byte must fit in 32 bits.
    const uint64_t limit = 0xFFFFFFFFull - (dataStart_ - 8) - 1;
    if (dataWritten_ + bytes > limit) return kWaveEFail;
    const auto* in = static_cast<const unsigned char*>(data);
    uint32_t left = bytes;
    while (left > 0) {
        if (bufferEnd_ == buffer_.size() && flushBuffer() != kWaveSOk) return kWaveEFail;
        size_t n = buffer_.size() - bufferEnd_;
        if (n > left) n = left;
        std::memcpy(buffer_.data() + bufferEnd_, in, n);
        bufferEnd_ += n;
        in += n;
        left -= static_cast<uint32_t>(n);
        dataWritten_ += n;
        *bytesWritten += static_cast<uint32_t>(n);
    }
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::close() {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (mode_ == kWaveModeRead) {
        abandon();
        return kWaveSOk;
    }
    if (flushBuffer() != kWaveSOk) return kWaveEFail;
    return finalise();
}

int32_t CsndDevicesWaveFile::closeKeepingWritten(uint32_t* dataBytes) {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (dataBytes == nullptr) return kWaveEInvalidArg;
    if (mode_ != kWaveModeWrite) return kWaveENotImpl;
    uint64_t length = 0;
    if (fileIoSize(fd_, length) != OKAY) return kWaveEFail;
    uint64_t kept = length > dataStart_ ? length - dataStart_ : 0;
    if (kept > dataWritten_) kept = dataWritten_;
    if (blockAlign_ > 1) kept -= kept % blockAlign_;
    if (length < dataStart_) return kWaveEFail;  // not even the header reached the file
    if (fileIoTruncate(fd_, dataStart_ + kept) != OKAY) return kWaveEFail;
    bufferEnd_ = 0;
    dataWritten_ = kept;
    *dataBytes = static_cast<uint32_t>(kept);
    return finalise();
}

int32_t CsndDevicesWaveFile::relocate(const std::string& path) {
    if (!isOpen()) return kWaveCoENotInitialized;
    if (mode_ != kWaveModeWrite || path.empty()) return kWaveEInvalidArg;
    if (flushBuffer() != kWaveSOk) return kWaveEFail;
    FileIoHandle copy = kFileIoClosed;
    if (fileIoOpen(path, FileIoMode::Create, copy) != OKAY) return kWaveEFail;
    // The buffer is empty after the flush, so it carries the copy.
    const uint64_t total = dataStart_ + dataWritten_;
    bool copied = true;
    for (uint64_t at = 0; copied && at < total;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), total - at));
        size_t written = 0;
        copied = fileIoReadAt(fd_, buffer_.data(), n, at) == OKAY &&
                 fileIoWrite(copy, buffer_.data(), n, written) == OKAY && written == n;
        at += n;
    }
    if (!copied) {
        fileIoClose(copy);
        std::remove(path.c_str());
        return kWaveEFail;
    }
    fileIoClose(fd_);
    fd_ = copy;
    return kWaveSOk;
}

int32_t CsndDevicesWaveFile::finalise() {
    unsigned char word[4] = {0, 0, 0, 0};
    // An odd data chunk is followed by a pad byte, as the RIFF layout asks.
    const uint32_t pad = static_cast<uint32_t>(dataWritten_ & 1u);
    if (pad != 0 && fileIoWriteAt(fd_, word, 1, dataStart_ + dataWritten_) != OKAY) return kWaveEFail;
    put32(word, static_cast<uint32_t>(dataWritten_));
    if (fileIoWriteAt(fd_, word, 4, dataStart_ - 4) != OKAY) return kWaveEFail;
    put32(word, static_cast<uint32_t>(dataStart_ + dataWritten_ + pad - 8));
    if (fileIoWriteAt(fd_, word, 4, 4) != OKAY) return kWaveEFail;
    if (factValueOffset_ != 0) {
        put32(word, 0);
        if (fileIoWriteAt(fd_, word, 4, factValueOffset_) != OKAY) return kWaveEFail;
    }
    // On the disk before the caller renames it: after a power loss a
    // finished name must never stand on an empty or half-written file.
    const bool synced = fileIoSync(fd_) == OKAY;
    const FileIoHandle fd = fd_;
    fd_ = kFileIoClosed;
    abandon();
    return fileIoClose(fd) == OKAY && synced ? kWaveSOk : kWaveEFail;
}

int32_t CsndDevicesWaveFile::destroy() {
    const int32_t status = isOpen() ? close() : kWaveSOk;
    format_ = AudioFormat{};
    hasFormat_ = false;
    formatExtra_.clear();
    formatExtra_.shrink_to_fit();
    return status;
}
