#pragma once
// Our ZIP archive writer over zlib. An archive keeps the classic layout
// wherever its values fit: local header and raw Deflate data (zlib's default
// level) per file, then the central directory and the end record; version
// 2.0 for MS-DOS, UTF-8 names flagged by bit 11, no data descriptors, no
// extra fields, no comment. Only a value that its 32-bit or 16-bit field
// cannot hold brings in the ZIP64 records: an entry whose size, compressed
// size or local header offset reaches 0xFFFFFFFF carries the ZIP64 extra
// field in its local header and its central record (version 4.5), and an
// archive of more than 65,535 entries, or whose central directory starts at
// 0xFFFFFFFF or later, ends with the ZIP64 end record and its locator before
// the classic end record. Each file is streamed through a fixed buffer.
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

// Sizes and offsets from this value on do not fit a classic 32-bit field.
inline constexpr uint64_t Zip64From = 0xFFFFFFFF;

// One file to store: where it is read and the name it gets in the archive
// ("/" between the parts).
struct ZipSource {
    std::wstring Path;
    std::wstring Name;
};

// MS-DOS date (high word) and time (low word) of a local time; times outside
// 1980-01-01 00:00:00 .. 2107-12-31 23:59:58 become the nearer of the two,
// odd seconds are rounded down.
uint32_t DosDateTime(const SYSTEMTIME& local);
// The same for a UTC file time, converted to local time first.
uint32_t DosDateTimeOfFileTime(const FILETIME& utc);

class ZipWriter {
  public:
    // Creates the temporary file beside `archivePath`. A lower `zip64From`
    // takes smaller values into the ZIP64 records, as a reader must accept:
    // tests reach those records with small files that way.
    explicit ZipWriter(std::wstring archivePath, uint64_t zip64From = Zip64From);
    // Without a successful Close the temporary file is removed.
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Adds the file at `sourcePath` as `entryName`. A failure of the source
    // (cannot be opened or read, name not encodable) takes the partial entry
    // back out and leaves the writer usable; a failure to write the archive
    // sets Broken().
    void Add(const std::wstring& sourcePath, const std::wstring& entryName);
    // Writes the central directory and the end records and moves the archive
    // into place, replacing a file of that name.
    void Close();
    bool Broken() const { return broken_; }
    size_t EntryCount() const { return entries_.size(); }

    // What the central directory keeps of an entry.
    struct CentralEntry {
        std::string Name; // UTF-8
        uint32_t DosTime = 0, Crc = 0, Attributes = 0;
        uint64_t CompressedSize = 0, Size = 0, Offset = 0;
        // The local header carries the ZIP64 extra field with both sizes.
        bool Zip64 = false;
    };

  private:
    uint64_t Position() const { return bufferStart_ + used_; }
    void Put(const void* data, size_t size);
    void Flush();
    void WriteRaw(const void* data, size_t size);
    void Seek(uint64_t position);
    void Rollback(uint64_t position);
    bool WriteEntry(HANDLE source, const std::wstring& sourcePath, CentralEntry& entry);
    bool DeflateFrom(HANDLE source, const std::wstring& sourcePath, CentralEntry& entry);
    void PatchLocalHeader(const CentralEntry& entry);
    void WriteEndRecords(uint64_t directoryStart);
    [[noreturn]] void RaiseWriteError();

    std::wstring archivePath_, tempPath_;
    uint64_t zip64From_;
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
