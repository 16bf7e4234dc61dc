// CsndDevicesWaveFile: writer and reader of the cache audio files, RIFF/WAVE
// files of 16-bit PCM laid out exactly as below (little-endian):
//
//   0 "RIFF", 4 file length - 8, 8 "WAVE", 12 "fmt ", 16 16, 20 the 16-byte
//   PCM format, 36 "fact", 40 4, 44 sample count, 48 "data", 52 data size,
//   56 the samples.
//
// While a file is being written the sample-count word holds 0xFFFFFFFF and
// both sizes 0; close patches the sizes and sets the sample count to 0, so a
// file whose writer never closed it keeps 0 in both sizes. I/O goes through a
// buffer allocated with the object, so appending never allocates: the capture
// step writes from a time-critical thread.
//
// Every operation returns a COM-style status (0 success, negative failure);
// callers turn them into their own result codes or internal errors. Samples
// pass through unchanged: scrambling is the caller's job (sndDevicesScramble.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audioPlatform.h"
#include "fileIo.h"

constexpr int32_t kWaveSOk = 0;
constexpr int32_t kWaveEFail = static_cast<int32_t>(0x80004005u);              // E_FAIL
constexpr int32_t kWaveEInvalidArg = static_cast<int32_t>(0x80070057u);        // E_INVALIDARG
constexpr int32_t kWaveCoENotInitialized = static_cast<int32_t>(0x800401F0u);  // CO_E_NOTINITIALIZED
constexpr int32_t kWaveENotImpl = static_cast<int32_t>(0x80004001u);           // E_NOTIMPL

constexpr int kWaveModeRead = 1;
constexpr int kWaveModeWrite = 2;

class CsndDevicesWaveFile {
  public:
    // Size of the I/O buffer allocated with every object.
    static constexpr size_t kBufferBytes = 64 * 1024;

    CsndDevicesWaveFile();
    ~CsndDevicesWaveFile();  // destroy()
    CsndDevicesWaveFile(const CsndDevicesWaveFile&) = delete;
    CsndDevicesWaveFile& operator=(const CsndDevicesWaveFile&) = delete;

    // Back to closed with no format (an open file is given up without being finalised).
    int32_t reset();
    // kWaveModeWrite: creates or truncates `path` and writes the header up to an
    // empty data chunk in `format` (required). kWaveModeRead: opens `path`,
    // reads its format and positions at the first data byte (`format` unused).
    // An object that is open is closed first. E_FAIL on any failure (the file
    // is then closed), E_INVALIDARG for an empty path or a missing format.
    int32_t open(const std::string& path, const AudioFormat* format, int mode);
    // Read mode: back to the first data byte with the whole data size remaining.
    int32_t resetToData();
    // Read mode: copies min(bytes, remaining) bytes; at the end of the data,
    // success with 0 bytes.
    int32_t read(void* buffer, uint32_t bytes, uint32_t* bytesRead);
    // Write mode: appends through the I/O buffer. Refuses (E_FAIL, nothing
    // taken) bytes that would make the file too long for its 32-bit sizes.
    int32_t write(uint32_t bytes, const void* data, uint32_t* bytesWritten);
    // Write mode: flushes, patches the sizes and the sample count, closes; on
    // failure E_FAIL and the file stays open. Read mode: closes.
    // CO_E_NOTINITIALIZED when nothing is open.
    int32_t close();
    // Write mode, after a failed write: drops what has not reached the file,
    // cuts the data to whole blocks of the format, finalises the sizes over
    // what remains and closes. dataBytes receives the data size kept. On
    // failure E_FAIL and the file stays open.
    int32_t closeKeepingWritten(uint32_t* dataBytes);
    // Write mode: copies everything written so far into a new file at `path`
    // and goes on with that one, closing the old handle. For a file whose
    // folder was deleted while it was written: its audio lives on only in the
    // open handle. On failure E_FAIL, the new file removed and the old one
    // still open.
    int32_t relocate(const std::string& path);
    // Closes the handle without finalising anything (after a failed close).
    void abandon();
    // close(), then frees the format read from a file.
    int32_t destroy();

    bool isOpen() const { return fd_ != kFileIoClosed; }
    int mode() const { return mode_; }
    // Read mode: data-chunk size in bytes, and the format read (null when absent).
    uint32_t dataSize() const { return dataSize_; }
    const AudioFormat* format() const { return hasFormat_ ? &format_ : nullptr; }
    const std::vector<unsigned char>& formatExtra() const { return formatExtra_; }

  private:
    int32_t flushBuffer();
    int32_t fail();      // closes what is open and returns E_FAIL (open's failure path)
    int32_t finalise();  // patches sizes and sample count over dataWritten_, then closes
    int32_t openWrite(const std::string& path, const AudioFormat& format);
    int32_t openRead(const std::string& path);

    // the wave format read from a file (absent for writing)
    AudioFormat format_;
    bool hasFormat_ = false;
    std::vector<unsigned char> formatExtra_;
    // the open file
    FileIoHandle fd_ = kFileIoClosed;
    // the data chunk: offset of its first data byte, bytes written or remaining
    uint64_t dataStart_ = 0;
    uint64_t dataWritten_ = 0;
    uint32_t remaining_ = 0;
    // offset of the "fact" value while writing (0: no fact chunk), and the
    // block size of the format written
    uint64_t factValueOffset_ = 0;
    uint32_t blockAlign_ = 0;
    // data size in bytes (read mode)
    uint32_t dataSize_ = 0;
    // buffered-I/O state: write mode keeps bufferEnd_ bytes waiting to be
    // written; read mode reads from bufferPos_ up to bufferEnd_
    std::vector<unsigned char> buffer_;
    size_t bufferPos_ = 0;
    size_t bufferEnd_ = 0;
    int mode_ = 0;
};
