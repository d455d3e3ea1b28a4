#pragma once
// Our ZIP archive writer over zlib. Every archive has the classic layout:
// local header and raw Deflate data (zlib's default level) per file, then the
// central directory and the end record; 32-bit sizes and offsets, version 2.0
// for MS-DOS, UTF-8 names flagged by bit 11, no data descriptors, no extra
// fields, no comment. Each file is streamed through a fixed buffer.
//
// The archive is written under a temporary name beside its final one and
// moved into place only when it is complete, so a file of the final name is
// either the old one or a whole new archive.

#include "win/Handle.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zip {

inline constexpr size_t MaxEntries = 65535;
// The largest size or offset a classic field holds (0xFFFFFFFF marks ZIP64).
inline constexpr uint64_t MaxClassicValue = 0xFFFFFFFEull;

// One file to store: where it is read, the name it gets in the archive ("/"
// between the parts) and its size when it was listed.
struct ZipSource {
    std::wstring Path;
    std::wstring Name;
    uint64_t ListedSize = 0;
};

// MS-DOS date (high word) and time (low word) of a local time; times outside
// 1980-01-01 00:00:00 .. 2107-12-31 23:59:58 become the nearer of the two,
// odd seconds are rounded down.
uint32_t DosDateTime(const SYSTEMTIME& local);
// The same for a UTC file time, converted to local time first.
uint32_t DosDateTimeOfFileTime(const FILETIME& utc);

// Throws win::AppError, before anything is written, when the listed sizes
// could make an archive whose sizes or offsets the 32-bit fields cannot hold.
void CheckClassicLimits(const std::vector<ZipSource>& sources, const std::wstring& archivePath);

class ZipWriter {
  public:
    // Creates the temporary file beside `archivePath`.
    explicit ZipWriter(std::wstring archivePath);
    // Without a successful Close the temporary file is removed.
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds the file at `sourcePath` as `entryName`. A failure of the source
    // (cannot be opened or read, name not encodable, too many entries) takes
    // the partial entry back out and leaves the writer usable; a failure to
    // write the archive sets Broken().
    void Add(const std::wstring& sourcePath, const std::wstring& entryName);
    // Writes the central directory and the end record and moves the archive
    // into place, replacing a file of that name.
    void Close();
    bool Broken() const { return broken_; }
    size_t EntryCount() const { return entries_.size(); }

  private:
    struct CentralEntry {
        std::string Name; // UTF-8
        uint32_t DosTime, Crc, CompressedSize, Size, Attributes, Offset;
    };

    uint64_t Position() const { return bufferStart_ + used_; }
    void Put(const void* data, size_t size);
    void Flush();
    void WriteRaw(const void* data, size_t size);
    void Seek(uint64_t position);
    void Rollback(uint64_t position);
    void DeflateFrom(HANDLE source, const std::wstring& sourcePath, CentralEntry& entry);
    void PatchLocalHeader(const CentralEntry& entry);
    [[noreturn]] void RaiseWriteError();
    [[noreturn]] void RaiseTooLarge() const;

    std::wstring archivePath_, tempPath_;
    win::UniqueHandle file_;
    z_stream z_{};
    bool zReady_ = false;
    std::vector<unsigned char> in_, out_;
    size_t used_ = 0;          // bytes waiting in out_
    uint64_t bufferStart_ = 0; // archive position of out_[0]
    std::vector<CentralEntry> entries_;
    bool broken_ = false, closed_ = false;
};

// Writes `sources` in order into a new archive at `archivePath`. After a
// failure of a source the archive is closed with the entries before it and
// the error rethrown; after a failure to write the archive nothing is left.
void WriteArchive(const std::wstring& archivePath, const std::vector<ZipSource>& sources);

} // namespace zip
