#include "settings/ZipWriter.h"

#include "win/Error.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace zip {

namespace {

constexpr size_t BufferSize = 1 << 20;
constexpr uint16_t Version = 20;      // 2.0; host system 0 (MS-DOS) in the high byte
constexpr uint16_t Version64 = 45;    // 4.5, the first with ZIP64 records
constexpr uint16_t Utf8Flag = 0x0800; // bit 11: the name is UTF-8
constexpr uint16_t MethodDeflate = 8;
constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr uint16_t LocalZip64ExtraSize = 16; // both sizes, 64 bits each
constexpr uint32_t Marker32 = 0xFFFFFFFF;    // "the value is in the ZIP64 record"
constexpr uint16_t Marker16 = 0xFFFF;
constexpr uint64_t ZipEnd64RecordSize = 44; // the ZIP64 end record after its first 12 bytes

constexpr uint32_t EarliestDosTime = (1u << 21) | (1u << 16); // 1980-01-01 00:00:00
constexpr uint32_t LatestDosTime = (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) |
                                   (59u << 5) | 29u; // 2107-12-31 23:59:58
constexpr uint64_t FileTime1980 = 119600064000000000ull;

// Little-endian fields of a header, built in a small array.
class Record {
  public:
    Record& U16(uint32_t v) { return Bytes(v, 2); }
    Record& U32(uint32_t v) { return Bytes(v, 4); }
    Record& U64(uint64_t v) { return Bytes(v, 8); }
    Record& Text(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    Record& Append(const Record& other) {
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        return *this;
    }
    const unsigned char* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }

  private:
    Record& Bytes(uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            bytes_.push_back(static_cast<unsigned char>(v >> (8 * i)));
        return *this;
    }
    std::vector<unsigned char> bytes_;
};

std::wstring CreateErrorText(const std::wstring& archive, DWORD code) {
    return L"ファイル \"" + archive + L"\" を作成できません。" + win::ErrorText(code);
}

[[noreturn]] void RaiseOpenError(const std::wstring& source, DWORD code) {
    throw win::AppError(L"ファイル " + source + L" は開けません。 " + win::ErrorText(code) + L" ",
                        code);
}

// Unpaired surrogates have no UTF-8 form: the name is refused, and shown
// with U+FFFD in their place.
std::string Utf8Name(const std::wstring& name) {
    int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(),
                                static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        std::wstring shown = name;
        for (auto& c : shown)
            if (c >= 0xD800 && c <= 0xDFFF)
                c = 0xFFFD;
        throw win::AppError(L"ファイル名 \"" + shown +
                            L"\" は書庫に格納できません。UTF-8 に変換できない文字を含みます");
    }
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()),
                        out.data(), n, nullptr, nullptr);
    return out;
}

// A size or offset fits its 32-bit field below `zip64From`.
bool Fits32(uint64_t value, uint64_t zip64From) {
    return value < zip64From;
}

uint32_t Field32(uint64_t value, uint64_t zip64From) {
    return Fits32(value, zip64From) ? static_cast<uint32_t>(value) : Marker32;
}

} // namespace

uint32_t DosDateTime(const SYSTEMTIME& t) {
    if (t.wYear < 1980)
        return EarliestDosTime;
    if (t.wYear > 2107)
        return LatestDosTime;
    uint32_t date = ((t.wYear - 1980u) << 9) | (t.wMonth << 5) | t.wDay;
    uint32_t time = (t.wHour << 11) | (t.wMinute << 5) | (t.wSecond / 2u);
    return (date << 16) | time;
}

uint32_t DosDateTimeOfFileTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &st))
        return DosDateTime(st);
    // Only times at the far ends of the FILETIME range fail to convert.
    uint64_t value = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    return value < FileTime1980 ? EarliestDosTime : LatestDosTime;
}

ZipWriter::ZipWriter(std::wstring archivePath, uint64_t zip64From)
    : archivePath_(std::move(archivePath)), zip64From_(std::min(zip64From, Zip64From)) {
    size_t slash = archivePath_.find_last_of(L"\\:");
    std::wstring dir = slash == std::wstring::npos ? L"." : archivePath_.substr(0, slash + 1);
    if (archivePath_.size() >= MAX_PATH)
        throw win::AppError(CreateErrorText(archivePath_, ERROR_FILENAME_EXCED_RANGE));
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(dir.c_str(), L"pz", 0, temp))
        throw win::AppError(CreateErrorText(archivePath_, GetLastError()));
    tempPath_ = temp;
    file_.reset(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file_) {
        DWORD code = GetLastError();
        DeleteFileW(temp);
        throw win::AppError(CreateErrorText(archivePath_, code));
    }
    if (deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        file_.reset();
        DeleteFileW(temp);
        throw win::AppError(CreateErrorText(archivePath_, ERROR_NOT_ENOUGH_MEMORY));
    }
    zReady_ = true;
    in_.resize(BufferSize);
    out_.resize(BufferSize);
}

ZipWriter::~ZipWriter() {
    if (zReady_)
        deflateEnd(&z_);
    if (!closed_) {
        file_.reset();
        DeleteFileW(tempPath_.c_str());
    }
}

void ZipWriter::RaiseWriteError() {
    broken_ = true;
    DWORD code = GetLastError();
    throw win::AppError(
        L"ファイル \"" + archivePath_ + L"\" に書き込めません。" + win::ErrorText(code), code);
}

void ZipWriter::WriteRaw(const void* data, size_t size) {
    auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30)), written = 0;
        if (!WriteFile(file_.get(), p, chunk, &written, nullptr) || written != chunk)
            RaiseWriteError();
        p += chunk;
        size -= chunk;
    }
}

void ZipWriter::Flush() {
    WriteRaw(out_.data(), used_);
    bufferStart_ += used_;
    used_ = 0;
}

void ZipWriter::Put(const void* data, size_t size) {
    auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (used_ == out_.size())
            Flush();
        size_t n = std::min(size, out_.size() - used_);
        std::memcpy(out_.data() + used_, p, n);
        used_ += n;
        p += n;
        size -= n;
    }
}

void ZipWriter::Seek(uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN))
        RaiseWriteError();
}

// Drops everything written from `position` on.
void ZipWriter::Rollback(uint64_t position) {
    if (position >= bufferStart_) {
        used_ = static_cast<size_t>(position - bufferStart_);
        return;
    }
    used_ = 0;
    Seek(position);
    if (!SetEndOfFile(file_.get()))
        RaiseWriteError();
    bufferStart_ = position;
}

// Compresses the rest of `source` after the local header. Returns false,
// with the entry unfinished, when a size reaches the ZIP64 range and the
// local header has no room for it.
bool ZipWriter::DeflateFrom(HANDLE source, const std::wstring& sourcePath, CentralEntry& entry) {
    deflateReset(&z_);
    uint64_t size = 0, compressed = 0;
    uLong crc = crc32(0, nullptr, 0);
    for (bool last = false; !last;) {
        DWORD got = 0;
        if (!ReadFile(source, in_.data(), static_cast<DWORD>(in_.size()), &got, nullptr))
            RaiseOpenError(sourcePath, GetLastError());
        last = got == 0;
        size += got;
        crc = crc32(crc, in_.data(), got);
        z_.next_in = in_.data();
        z_.avail_in = got;
        for (;;) {
            if (used_ == out_.size())
                Flush();
            size_t room = out_.size() - used_;
            z_.next_out = out_.data() + used_;
            z_.avail_out = static_cast<uInt>(room);
            int result = deflate(&z_, last ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR)
                throw win::AppError(CreateErrorText(archivePath_, ERROR_INVALID_DATA));
            size_t produced = room - z_.avail_out;
            used_ += produced;
            compressed += produced;
            if (last ? result == Z_STREAM_END : (z_.avail_in == 0 && z_.avail_out != 0))
                break;
        }
        if (!entry.Zip64 && !(Fits32(size, zip64From_) && Fits32(compressed, zip64From_)))
            return false;
    }
    entry.Crc = static_cast<uint32_t>(crc);
    entry.Size = size;
    entry.CompressedSize = compressed;
    return true;
}

namespace {

Record LocalHeader(const ZipWriter::CentralEntry& e) {
    Record r;
    r.U32(0x04034b50).U16(e.Zip64 ? Version64 : Version).U16(Utf8Flag).U16(MethodDeflate);
    r.U16(e.DosTime & 0xFFFF).U16(e.DosTime >> 16).U32(e.Crc);
    if (e.Zip64)
        r.U32(Marker32).U32(Marker32);
    else
        r.U32(static_cast<uint32_t>(e.CompressedSize)).U32(static_cast<uint32_t>(e.Size));
    r.U16(static_cast<uint32_t>(e.Name.size())).U16(e.Zip64 ? 4 + LocalZip64ExtraSize : 0);
    r.Text(e.Name);
    if (e.Zip64)
        r.U16(Zip64ExtraId).U16(LocalZip64ExtraSize).U64(e.Size).U64(e.CompressedSize);
    return r;
}

// The central record holds in its ZIP64 field only the values that do not
// fit their own fields, in the order size, compressed size, offset.
Record CentralRecord(const ZipWriter::CentralEntry& e, uint64_t zip64From) {
    Record extra;
    for (uint64_t value : {e.Size, e.CompressedSize, e.Offset})
        if (!Fits32(value, zip64From))
            extra.U64(value);
    uint16_t version = e.Zip64 ? Version64 : Version;
    auto extraSize = static_cast<uint32_t>(extra.Size() == 0 ? 0 : 4 + extra.Size());
    Record r;
    r.U32(0x02014b50).U16(version).U16(version).U16(Utf8Flag).U16(MethodDeflate);
    r.U16(e.DosTime & 0xFFFF).U16(e.DosTime >> 16).U32(e.Crc);
    r.U32(Field32(e.CompressedSize, zip64From)).U32(Field32(e.Size, zip64From));
    r.U16(static_cast<uint32_t>(e.Name.size())).U16(extraSize).U16(0).U16(0).U16(0);
    r.U32(e.Attributes).U32(Field32(e.Offset, zip64From)).Text(e.Name);
    if (extraSize != 0)
        r.U16(Zip64ExtraId).U16(static_cast<uint32_t>(extra.Size())).Append(extra);
    return r;
}

} // namespace

void ZipWriter::PatchLocalHeader(const CentralEntry& e) {
    Record header = LocalHeader(e);
    if (e.Offset >= bufferStart_) {
        std::memcpy(out_.data() + (e.Offset - bufferStart_), header.Data(), header.Size());
        return;
    }
    Flush();
    Seek(e.Offset);
    WriteRaw(header.Data(), header.Size());
    Seek(bufferStart_);
}

bool ZipWriter::WriteEntry(HANDLE source, const std::wstring& sourcePath, CentralEntry& e) {
    Record header = LocalHeader(e);
    Put(header.Data(), header.Size());
    if (!DeflateFrom(source, sourcePath, e))
        return false;
    PatchLocalHeader(e);
    return true;
}

void ZipWriter::Add(const std::wstring& sourcePath, const std::wstring& entryName) {
    CentralEntry e;
    e.Name = Utf8Name(entryName);
    win::UniqueHandle source(CreateFileW(sourcePath.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!source || !GetFileInformationByHandle(source.get(), &info))
        RaiseOpenError(sourcePath, GetLastError());
    e.DosTime = DosDateTimeOfFileTime(info.ftLastWriteTime);
    e.Attributes = info.dwFileAttributes;
    e.Offset = Position();
    uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // Room for the ZIP64 field is made in the local header when a value is
    // known not to fit before compressing.
    e.Zip64 = !Fits32(e.Offset, zip64From_) || !Fits32(size, zip64From_);
    try {
        if (!WriteEntry(source.get(), sourcePath, e)) {
            // Data that deflate made larger than 4 GiB, or a file that grew
            // past it while it was read: written again, with the room.
            Rollback(e.Offset);
            LARGE_INTEGER start{};
            if (!SetFilePointerEx(source.get(), start, nullptr, FILE_BEGIN))
                RaiseOpenError(sourcePath, GetLastError());
            e.Zip64 = true;
            WriteEntry(source.get(), sourcePath, e);
        }
    } catch (const win::AppError&) {
        if (!broken_)
            Rollback(e.Offset);
        throw;
    }
    entries_.push_back(std::move(e));
}

// The ZIP64 end record and its locator come only when a value of the
// classic end record does not fit; the fields that do not fit then hold
// their markers.
void ZipWriter::WriteEndRecords(uint64_t directoryStart) {
    uint64_t directorySize = Position() - directoryStart;
    uint64_t count = entries_.size();
    if (count > Marker16 || !Fits32(directoryStart, zip64From_) ||
        !Fits32(directorySize, zip64From_)) {
        uint64_t recordStart = Position();
        Record end64;
        end64.U32(0x06064b50).U64(ZipEnd64RecordSize).U16(Version64).U16(Version64);
        end64.U32(0).U32(0).U64(count).U64(count).U64(directorySize).U64(directoryStart);
        end64.U32(0x07064b50).U32(0).U64(recordStart).U32(1); // the locator
        Put(end64.Data(), end64.Size());
    }
    uint32_t count16 = count > Marker16 ? Marker16 : static_cast<uint32_t>(count);
    Record end;
    end.U32(0x06054b50).U16(0).U16(0).U16(count16).U16(count16);
    end.U32(Field32(directorySize, zip64From_)).U32(Field32(directoryStart, zip64From_)).U16(0);
    Put(end.Data(), end.Size());
}

void ZipWriter::Close() {
    uint64_t directoryStart = Position();
    for (const auto& e : entries_) {
        Record r = CentralRecord(e, zip64From_);
        Put(r.Data(), r.Size());
    }
    WriteEndRecords(directoryStart);
    Flush();
    if (!CloseHandle(file_.release()))
        RaiseWriteError();
    if (!MoveFileExW(tempPath_.c_str(), archivePath_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        broken_ = true;
        throw win::AppError(CreateErrorText(archivePath_, GetLastError()));
    }
    closed_ = true;
}

void WriteArchive(const std::wstring& archivePath, const std::vector<ZipSource>& sources) {
    ZipWriter writer(archivePath);
    std::exception_ptr sourceError;
    for (const auto& s : sources) {
        try {
            writer.Add(s.Path, s.Name);
        } catch (const win::AppError&) {
            if (writer.Broken())
                throw;
            sourceError = std::current_exception();
            break;
        }
    }
    writer.Close();
    if (sourceError)
        std::rethrow_exception(sourceError);
}

} // namespace zip
