// The compress command and the archive writer. Every archive a test makes is
// also exported (with what it must hold) into the folder PELMO_ZIP_OUT, where
// run.sh checks it with unzip, 7-Zip, zipinfo and Python's zipfile, and
// walks its records. run.sh also makes what Wine cannot: directory symbolic
// links and a sparse file of 4.5 GiB.

#include "main/Form1.h"
#include "settings/ZipCommand.h"
#include "settings/ZipTree.h"
#include "settings/ZipWriter.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

namespace {

// ---- what the archive must hold, for the outside checks ----

struct Expected {
    std::wstring Name;
    std::string Content;
    DWORD Attributes;
    std::string DateTime = "-"; // "YYYY-MM-DD hh:mm:ss" when checked
    uint64_t Zeros = 0;         // content of this many zero bytes, too big to copy
};

std::wstring Env(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

std::wstring OutDir() {
    std::wstring dir = Env(L"PELMO_ZIP_OUT");
    return dir.empty() ? dir : IncludeTrailingBackslash(dir);
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Copies the archive and its manifest (one line per entry: name, external
// attributes, date-time, file with the expected bytes or "zeros:N") into the
// out folder, with the writer's ZIP64 limit when a test lowered it.
void Export(const std::string& caseName, const std::wstring& archive,
            const std::vector<Expected>& entries, uint64_t zip64From = zip::Zip64From) {
    std::wstring out = OutDir();
    if (out.empty())
        return;
    std::wstring base = out + Widen(caseName);
    ASSERT_TRUE(CopyFileW(archive.c_str(), (base + L".zip").c_str(), FALSE));
    CreateDirectoryW((base + L".d").c_str(), nullptr);
    std::string manifest;
    std::string lastContent;
    std::string lastBlob;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        if (e.Zeros > 0) {
            manifest += Narrow(e.Name) + "\t" + std::to_string(e.Attributes) + "\t" + e.DateTime +
                        "\tzeros:" + std::to_string(e.Zeros) + "\n";
            continue;
        }
        if (lastBlob.empty() || e.Content != lastContent) {
            lastBlob = std::to_string(i) + ".bin";
            WriteAll(base + L".d\\" + Widen(lastBlob), e.Content);
            lastContent = e.Content;
        }
        manifest += Narrow(e.Name) + "\t" + std::to_string(e.Attributes) + "\t" + e.DateTime +
                    "\t" + lastBlob + "\n";
    }
    WriteAll(base + L".manifest", manifest);
    if (zip64From != zip::Zip64From)
        WriteAll(base + L".zip64from", std::to_string(zip64From));
}

// ---- our own small reader, for the checks inside the test ----

uint32_t Le(const std::string& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
    return v;
}

std::vector<std::wstring> EntryNames(const std::wstring& archive) {
    std::string b = ReadAll(archive);
    EXPECT_GE(b.size(), 22u);
    if (b.size() < 22)
        return {};
    size_t end = b.size() - 22;
    EXPECT_EQ(Le(b, end, 4), 0x06054b50u);
    std::vector<std::wstring> names;
    size_t at = Le(b, end + 16, 4);
    for (uint32_t i = 0, n = Le(b, end + 10, 2); i < n; ++i) {
        uint32_t len = Le(b, at + 28, 2);
        names.push_back(Widen(b.substr(at + 46, len)));
        at += 46 + len + Le(b, at + 30, 2) + Le(b, at + 32, 2);
    }
    return names;
}

// ---- fixtures ----

DWORD AttributesOf(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

std::string RandomBytes(size_t n) {
    std::mt19937 gen(8);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(gen());
    return s;
}

// Lists of the files in a directory tree that the test wrote.
std::vector<Expected> ExpectedFiles(const TempTree& t, const std::wstring& dir,
                                    const std::vector<std::wstring>& names) {
    std::vector<Expected> out;
    for (const auto& n : names) {
        std::wstring rel = dir + n;
        std::replace(rel.begin(), rel.end(), L'/', L'\\');
        out.push_back({n, t.Read(rel), AttributesOf(t.Path(rel))});
    }
    return out;
}

void Mark(TForm1& f, std::initializer_list<const wchar_t*> names) {
    for (auto n : names) {
        int i = IndexOfName(f.FileList, n);
        ASSERT_GE(i, 0) << Narrow(n);
        f.FileList[i]->Marked = true;
    }
}

int Index(TForm1& f, const wchar_t* name) {
    int i = IndexOfName(f.FileList, name);
    EXPECT_GE(i, 0) << Narrow(name);
    return i;
}

// Only the given names are left in the directory (no temporary file).
std::vector<std::wstring> DirNames(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW d;
    win::UniqueFind f(FindFirstFileW((dir + L"*").c_str(), &d));
    if (f)
        do {
            std::wstring n = d.cFileName;
            if (n != L"." && n != L"..")
                names.push_back(n);
        } while (FindNextFileW(f.get(), &d));
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const win::AppError& e) {
        return e.Text();
    }
    return L"";
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// ---- the command's cases ----

TEST(ZipCommand, MarkedFilesGoInListOrderUnderTheirNames) {
    TempTree t;
    t.File(L"b.txt", "bravo bravo bravo");
    t.File(L"a.txt", "alpha");
    t.File(L"c.txt", "not marked");
    t.File(L"日本語の名前.txt", "日本語の内容");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"b.txt", L"a.txt", L"日本語の名前.txt"});
    std::wstring archive = t.Path(L"backup.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, f.CurIndex, f.CurDir, archive));

    std::vector<std::wstring> inListOrder;
    for (int i = 0; i < Count(f.FileList); ++i)
        if (EntryMarked(f.FileList, i))
            inListOrder.push_back(EntryName(f.FileList, i));
    auto expected = ExpectedFiles(t, L"", inListOrder);
    EXPECT_EQ(EntryNames(archive), inListOrder);
    Export("marked", archive, expected);
}

TEST(ZipCommand, DirectoryTreeIsStoredDepthFirstWithSlashes) {
    TempTree t;
    t.File(L"photos\\x.jpg", "x-image");
    t.File(L"photos\\sub\\y.jpg", "y-image");
    t.File(L"photos\\sub\\deep\\z.jpg", "z-image");
    t.File(L"photos\\w.jpg", "w-image");
    t.File(L"photos\\.hidden", "h", FILE_ATTRIBUTE_HIDDEN);
    t.Dir(L"photos\\empty");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    std::wstring archive = t.Path(L"photos.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, Index(f, L"photos"), f.CurDir, archive));

    auto names = EntryNames(archive);
    auto sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L".hidden", L"sub/deep/z.jpg", L"sub/y.jpg",
                                                 L"w.jpg", L"x.jpg"}));
    // Depth first: the files of a subdirectory stand together, where the
    // enumeration meets the subdirectory.
    auto block = [&](const std::wstring& prefix) {
        auto first = std::find_if(names.begin(), names.end(),
                                  [&](auto& n) { return StartsWith(n, prefix); });
        auto last =
            std::find_if(first, names.end(), [&](auto& n) { return !StartsWith(n, prefix); });
        return std::count_if(last, names.end(), [&](auto& n) { return StartsWith(n, prefix); });
    };
    EXPECT_EQ(block(L"sub/"), 0);
    EXPECT_EQ(block(L"sub/deep/"), 0);
    std::vector<std::wstring> top, enumerated;
    for (auto& n : names) {
        std::wstring part = n.substr(0, n.find(L'/'));
        if (top.empty() || top.back() != part)
            top.push_back(part);
    }
    WIN32_FIND_DATAW d;
    win::UniqueFind find(FindFirstFileW(t.Path(L"photos\\*").c_str(), &d));
    do {
        std::wstring n = d.cFileName;
        if (n != L"." && n != L".." && n != L"empty")
            enumerated.push_back(n);
    } while (FindNextFileW(find.get(), &d));
    EXPECT_EQ(top, enumerated);
    Export("tree", archive, ExpectedFiles(t, L"photos\\", names));
}

TEST(ZipCommand, EmptyDirectoryGivesOnlyTheEndRecord) {
    TempTree t;
    t.Dir(L"nothing\\inner");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    std::wstring archive = t.Path(L"nothing.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, Index(f, L"nothing"), f.CurDir, archive));
    std::string b = ReadAll(archive);
    EXPECT_EQ(b, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    Export("empty-dir", archive, {});
}

TEST(ZipCommand, CursorFileOfEveryKindIsDeflated) {
    struct Case {
        const char* caseName;
        std::wstring file;
        std::string content;
    } cases[] = {
        {"japanese", L"写真の説明.txt", "テキスト text"},
        {"empty-file", L"empty.dat", ""},
        // Random bytes do not shrink and are deflated all the same.
        {"random", L"noise.bin", RandomBytes(3 * 1024 * 1024 + 17)},
        {"compressible", L"log.txt", std::string(2 * 1024 * 1024 + 5, 'a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caseName);
        TempTree t;
        t.File(c.file, c.content);
        t.SetTime(c.file, 2021, 6, 15, 10, 20, 31);
        WindowDriver w(t.Root());
        auto& f = w.Form();
        std::wstring archive = t.Path(L"one.zip");
        ASSERT_TRUE(CompressEntries(f.FileList, Index(f, c.file.c_str()), f.CurDir, archive));
        EXPECT_EQ(EntryNames(archive), std::vector<std::wstring>{c.file});
        Export(c.caseName, archive,
               {{c.file, c.content, AttributesOf(t.Path(c.file)), "2021-06-15 10:20:30"}});
    }
}

TEST(ZipCommand, TimesOutsideTheDosRangeBecomeTheNearestEnd) {
    TempTree t;
    t.File(L"old.txt", "old");
    t.File(L"future.txt", "future");
    t.SetTime(L"old.txt", 1975, 3, 1, 12, 0, 0);
    t.SetTime(L"future.txt", 2150, 1, 1, 0, 0, 0);
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"old.txt", L"future.txt"});
    std::wstring archive = t.Path(L"times.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, f.CurIndex, f.CurDir, archive));
    std::vector<Expected> expected;
    for (auto& n : EntryNames(archive))
        expected.push_back({n, t.Read(n), AttributesOf(t.Path(n)),
                            n == L"old.txt" ? "1980-01-01 00:00:00" : "2107-12-31 23:59:58"});
    EXPECT_EQ(expected.size(), 2u);
    Export("times", archive, expected);
}

TEST(ZipWriter, DosDateTimeClampsAndRoundsSecondsDown) {
    struct Case {
        WORD y, mo, d, h, mi, s;
        uint32_t dos;
    } cases[] = {
        {1980, 1, 1, 0, 0, 0, 0x00210000},
        {1979, 12, 31, 23, 59, 59, 0x00210000},
        {1601, 1, 1, 0, 0, 0, 0x00210000},
        {2107, 12, 31, 23, 59, 59, 0xFF9FBF7D},
        {2108, 1, 1, 0, 0, 0, 0xFF9FBF7D},
        {2021, 6, 15, 10, 20, 31,
         ((41u << 9 | 6u << 5 | 15u) << 16) | (10u << 11 | 20u << 5 | 15u)},
    };
    for (const auto& c : cases) {
        SYSTEMTIME st{c.y, c.mo, 0, c.d, c.h, c.mi, c.s, 0};
        EXPECT_EQ(zip::DosDateTime(st), c.dos) << c.y << "-" << c.mo << "-" << c.d;
    }
    FILETIME huge{0xFFFFFFFF, 0x7FFFFFFF};
    EXPECT_EQ(zip::DosDateTimeOfFileTime(huge), 0xFF9FBF7Du);
}

TEST(ZipCommand, ExistingArchiveIsReplacedNotAppendedTo) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    t.File(L"backup.zip", RandomBytes(200000));
    WindowDriver w(t.Root());
    auto& f = w.Form();
    std::wstring archive = t.Path(L"backup.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, Index(f, L"a.txt"), f.CurDir, archive));
    EXPECT_LT(ReadAll(archive).size(), 200u);
    EXPECT_EQ(DirNames(t.Root()), (std::vector<std::wstring>{L"a.txt", L"backup.zip"}));
    Export("replaced", archive, ExpectedFiles(t, L"", {L"a.txt"}));
}

TEST(ZipCommand, DotDotAndEmptyListWriteNothing) {
    TempTree t;
    t.Dir(L"here");
    WindowDriver w(t.Root() + L"here\\");
    auto& f = w.Form();
    ASSERT_EQ(EntryName(f.FileList, 0), L"..");
    EXPECT_TRUE(CompressEntries(f.FileList, 0, f.CurDir, t.Path(L"here\\up.zip")));
    EXPECT_FALSE(CompressEntries(TFileList{}, 0, f.CurDir, t.Path(L"here\\none.zip")));
    EXPECT_TRUE(DirNames(t.Path(L"here\\")).empty());
}

TEST(ZipCommand, MarkedDirectoryShowsTheNoticeAndWritesNothing) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    t.File(L"dir\\x.txt", "x");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    Mark(f, {L"a.txt", L"dir"});
    w.OnDialogs({[](ui::Form& d) { d.SetModalResult(ui::mrOk); }});
    EXPECT_FALSE(CompressEntries(f.FileList, f.CurIndex, f.CurDir, t.Path(L"mixed.zip")));
    EXPECT_EQ(w.DialogsShown(), 1);
    EXPECT_FALSE(t.Exists(L"mixed.zip"));
}

TEST(ZipCommand, CancelledPromptWritesNothingAndKeepsTheHistory) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.ZipHistory = {t.Path(L"old.zip")};
    f.CurIndex = Index(f, L"a.txt");
    f.CompressToZip(); // the prompt gets Cancel (nobody answers it)
    EXPECT_EQ(f.ZipHistory, TStringList{t.Path(L"old.zip")});
    EXPECT_EQ(DirNames(t.Root()), std::vector<std::wstring>{L"a.txt"});
    EXPECT_TRUE(w.Errors.empty());
}

#if __has_include("dialogs/LogHist.h")
TEST(ZipCommand, PromptNamesTheArchiveAndTheHistoryTakesIt) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.ZipHistory = {t.Path(L"old.zip")};
    f.CurIndex = Index(f, L"a.txt");
    w.OnDialogs({[](ui::Form& d) {
        HWND edit = FindWindowExW(d.Handle(), nullptr, L"Edit", nullptr);
        SetWindowTextW(edit, L"backup");
        PostKey(edit, VK_RETURN);
    }});
    f.CompressToZip();
    EXPECT_EQ(EntryNames(t.Path(L"backup.zip")), std::vector<std::wstring>{L"a.txt"});
    EXPECT_EQ(f.ZipHistory, (TStringList{t.Path(L"backup.zip"), t.Path(L"old.zip")}));
}
#endif

// A small tree whose archive needs no ZIP64 record: the bytes must stay those
// of the classic writer, kept in classic-reference.zip beside this file.
TEST(ZipWriter, ClassicArchiveKeepsItsBytes) {
    TempTree t;
    t.File(L"a.txt", "alpha alpha alpha alpha\r\nbravo\r\n");
    t.File(L"日本語.txt", "日本語の内容", FILE_ATTRIBUTE_HIDDEN);
    t.File(L"empty.dat", "");
    t.File(L"sub\\noise.bin", RandomBytes(70000));
    t.SetTime(L"a.txt", 2021, 6, 15, 10, 20, 30);
    t.SetTime(L"日本語.txt", 1999, 12, 31, 23, 59, 58);
    t.SetTime(L"empty.dat", 2010, 1, 1, 0, 0, 0);
    t.SetTime(L"sub\\noise.bin", 2026, 1, 2, 3, 4, 6);
    std::vector<zip::ZipSource> sources;
    for (const wchar_t* name : {L"a.txt", L"日本語.txt", L"empty.dat", L"sub/noise.bin"}) {
        std::wstring path = t.Path(name);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        sources.push_back({path, name});
    }
    std::wstring archive = t.Path(L"classic.zip");
    zip::WriteArchive(archive, sources);
    Export("classic-reference", archive,
           ExpectedFiles(t, L"", {L"a.txt", L"日本語.txt", L"empty.dat", L"sub/noise.bin"}));
    std::wstring reference = Env(L"PELMO_ZIP_REFERENCE");
    if (reference.empty())
        GTEST_SKIP() << "no reference archive (run through run.sh)";
    EXPECT_EQ(ReadAll(archive), ReadAll(reference));
}

// ---- failures ----

TEST(ZipCommand, SourceFailureClosesTheArchiveWithTheEntriesBefore) {
    enum Fault { Locked, Vanished };
    for (Fault fault : {Locked, Vanished}) {
        SCOPED_TRACE(fault == Locked ? "locked" : "vanished");
        TempTree t;
        t.File(L"1.txt", "first");
        t.File(L"2.txt", "second");
        t.File(L"3.txt", "third");
        WindowDriver w(t.Root());
        auto& f = w.Form();
        Mark(f, {L"1.txt", L"2.txt", L"3.txt"});
        win::UniqueHandle lock;
        if (fault == Locked)
            lock.reset(CreateFileW(t.Path(L"2.txt").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        else
            ASSERT_TRUE(DeleteFileW(t.Path(L"2.txt").c_str()));
        std::wstring archive = t.Path(L"partial.zip");
        std::wstring error =
            ErrorOf([&] { CompressEntries(f.FileList, f.CurIndex, f.CurDir, archive); });
        EXPECT_TRUE(StartsWith(error, L"ファイル " + t.Path(L"2.txt") + L" は開けません。 "))
            << Narrow(error);
        EXPECT_EQ(error.back(), L' ');
        EXPECT_EQ(EntryNames(archive), std::vector<std::wstring>{L"1.txt"});
        Export(fault == Locked ? "locked" : "vanished", archive, ExpectedFiles(t, L"", {L"1.txt"}));
    }
}

TEST(ZipCommand, ArchiveThatCannotBeCreatedLeavesNothing) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    std::wstring archive = t.Path(L"missing\\a.zip");
    std::wstring error =
        ErrorOf([&] { CompressEntries(f.FileList, Index(f, L"a.txt"), f.CurDir, archive); });
    EXPECT_TRUE(StartsWith(error, L"ファイル \"" + archive + L"\" を作成できません。"))
        << Narrow(error);
    EXPECT_EQ(DirNames(t.Root()), std::vector<std::wstring>{L"a.txt"});
}

// run.sh mounts a 256 KiB file system and names it in PELMO_ZIP_FULL.
TEST(ZipWriter, FullDiskLeavesNoArchiveAndKeepsTheOldOne) {
    const wchar_t* full = _wgetenv(L"PELMO_ZIP_FULL");
    if (!full)
        GTEST_SKIP() << "no small file system (run through run.sh)";
    std::wstring dir = IncludeTrailingBackslash(full);
    TempTree t;
    t.File(L"noise.bin", RandomBytes(600 * 1024));
    std::wstring archive = dir + L"old.zip";
    WriteAll(archive, "the old archive");
    std::wstring error = ErrorOf([&] {
        zip::WriteArchive(archive, {{t.Path(L"noise.bin"), L"noise.bin"}});
    });
    EXPECT_TRUE(StartsWith(error, L"ファイル \"" + archive + L"\" に書き込めません。"))
        << Narrow(error);
    EXPECT_EQ(DirNames(dir), std::vector<std::wstring>{L"old.zip"});
    EXPECT_EQ(ReadAll(archive), "the old archive");
}

TEST(ZipWriter, UnencodableNameIsRefusedAndTheArchiveStaysSound) {
    TempTree t;
    t.File(L"a.txt", "alpha");
    std::wstring archive = t.Path(L"names.zip");
    std::vector<zip::ZipSource> sources{{t.Path(L"a.txt"), L"good.txt"},
                                        {t.Path(L"a.txt"), std::wstring(L"bad") + L'\xD800'},
                                        {t.Path(L"a.txt"), L"never.txt"}};
    std::wstring error = ErrorOf([&] { zip::WriteArchive(archive, sources); });
    EXPECT_EQ(error, L"ファイル名 \"bad\xFFFD\" は書庫に格納できません。UTF-8 "
                     L"に変換できない文字を含みます");
    EXPECT_EQ(EntryNames(archive), std::vector<std::wstring>{L"good.txt"});
    Export("bad-name", archive, {{L"good.txt", "alpha", AttributesOf(t.Path(L"a.txt"))}});
}

// ---- linked directories ----

// run.sh makes, below PELMO_ZIP_LINKS (Linux symbolic links, which Wine shows
// as directory reparse points):
//   tree/a.txt, tree/real/b.txt, tree/real/sub/c.txt
//   tree/real/up -> ..        back to its own parent
//   tree/sib -> real          to a sibling
//   tree/out -> ../outside    out of the tree; outside/o.txt
//   outside/back -> ../tree   and from there back in
//   deep/d...d/e...e/f.txt    a directory whose path is too long to list
std::wstring LinksDir() {
    std::wstring dir = Env(L"PELMO_ZIP_LINKS");
    return dir.empty() ? dir : IncludeTrailingBackslash(dir);
}

TEST(ZipCommand, LinkedDirectoriesAreFollowedAndEachDirectoryStoredOnce) {
    std::wstring links = LinksDir();
    if (links.empty())
        GTEST_SKIP() << "no linked directories (run through run.sh)";
    ASSERT_EQ(AttributesOf(links + L"tree\\sib") & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));
    TempTree t;
    WindowDriver w(links);
    auto& f = w.Form();
    std::wstring archive = t.Path(L"tree.zip");
    ASSERT_TRUE(CompressEntries(f.FileList, Index(f, L"tree"), f.CurDir, archive));
    auto names = EntryNames(archive);
    auto sorted = names;
    std::sort(sorted.begin(), sorted.end());
    // The sibling's files keep their own names; the links back up add nothing.
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"a.txt", L"out/o.txt", L"real/b.txt",
                                                 L"real/sub/c.txt"}));
    std::vector<Expected> expected;
    for (const auto& n : names) {
        std::wstring path = links + L"tree\\" + n;
        std::replace(path.begin(), path.end(), L'/', L'\\');
        expected.push_back({n, ReadAll(path), AttributesOf(path)});
    }
    Export("links", archive, expected);
}

TEST(ZipCommand, DirectoryThatCannotBeListedLeavesNoArchive) {
    std::wstring links = LinksDir();
    if (links.empty())
        GTEST_SKIP() << "no linked directories (run through run.sh)";
    TempTree t;
    t.File(L"old.zip", "the old archive");
    WindowDriver w(links);
    auto& f = w.Form();
    std::wstring archive = t.Path(L"old.zip");
    std::wstring error =
        ErrorOf([&] { CompressEntries(f.FileList, Index(f, L"deep"), f.CurDir, archive); });
    std::wstring tooLong =
        links + L"deep\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e') + L"\\";
    EXPECT_EQ(error, L"ファイル " + tooLong + L" は開けません。 " +
                         win::ErrorText(ERROR_FILENAME_EXCED_RANGE) + L" ");
    EXPECT_EQ(DirNames(t.Root()), std::vector<std::wstring>{L"old.zip"});
    EXPECT_EQ(t.Read(L"old.zip"), "the old archive");
}

// ---- beyond the classic limits ----

// 65,535 entries still fit the end record; one more needs the ZIP64 end
// record, while each entry keeps its classic headers.
TEST(ZipWriter, MoreThan65535EntriesEndWithTheZip64Records) {
    TempTree t;
    t.File(L"e", "");
    for (size_t count : {size_t{65535}, size_t{65536}}) {
        SCOPED_TRACE(count);
        std::vector<zip::ZipSource> sources;
        for (size_t i = 0; i < count; ++i)
            sources.push_back({t.Path(L"e"), std::to_wstring(i)});
        std::wstring archive = t.Path(L"many.zip");
        zip::WriteArchive(archive, sources);
        std::vector<Expected> expected;
        for (size_t i = 0; i < count; ++i)
            expected.push_back({std::to_wstring(i), "", AttributesOf(t.Path(L"e"))});
        Export("many-" + std::to_string(count), archive, expected);
    }
}

// With the limit lowered to 1 MiB small files take each way into the ZIP64
// records: a file of 2 MiB (too big before it is compressed), random bytes a
// little below 1 MiB that deflate makes larger (written again with room for
// the field), an entry whose offset is past the limit, and the central
// directory after them.
TEST(ZipWriter, ValuesFromTheLimitOnGoToTheZip64Records) {
    constexpr uint64_t limit = 1 << 20;
    TempTree t;
    t.File(L"small.txt", "small");
    t.File(L"big.txt", std::string(2 * limit, 'a'));
    t.File(L"noise.bin", RandomBytes(limit - 100));
    t.File(L"after.txt", "after");
    std::vector<std::wstring> names{L"small.txt", L"big.txt", L"noise.bin", L"after.txt"};
    std::wstring archive = t.Path(L"limit.zip");
    {
        zip::ZipWriter writer(archive, limit);
        for (const auto& n : names)
            writer.Add(t.Path(n), n);
        writer.Close();
    }
    Export("zip64-from-1MiB", archive, ExpectedFiles(t, L"", names), limit);
}

// The slow cases: run.sh with PELMO_ZIP_SLOW=1 makes a sparse file of 4.5 GiB
// zeros (PELMO_ZIP_BIG) and a file of random bytes a little below 4 GiB
// (PELMO_ZIP_NEAR4G).
TEST(ZipWriter, EntryOf4Point5GibibytesCarriesTheZip64Field) {
    std::wstring big = Env(L"PELMO_ZIP_BIG");
    if (big.empty())
        GTEST_SKIP() << "slow: run run.sh with PELMO_ZIP_SLOW=1";
    TempTree t;
    t.File(L"before.txt", "before");
    t.File(L"after.txt", "after");
    std::wstring archive = t.Path(L"big.zip");
    zip::WriteArchive(archive, {{t.Path(L"before.txt"), L"before.txt"},
                                {big, L"zeros.bin"},
                                {t.Path(L"after.txt"), L"after.txt"}});
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(big.c_str(), GetFileExInfoStandard, &data));
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    EXPECT_EQ(size, 4608ull << 20);
    auto expected = ExpectedFiles(t, L"", {L"before.txt"});
    expected.push_back({L"zeros.bin", "", data.dwFileAttributes, "-", size});
    auto after = ExpectedFiles(t, L"", {L"after.txt"});
    expected.insert(expected.end(), after.begin(), after.end());
    Export("big-entry", archive, expected);
}

// Deflate makes the random bytes larger than 4 GiB; the entry after them
// starts beyond 4 GiB, and so does the central directory.
TEST(ZipWriter, OffsetsBeyond4GibibytesUseZip64) {
    std::wstring nearLimit = Env(L"PELMO_ZIP_NEAR4G");
    if (nearLimit.empty())
        GTEST_SKIP() << "slow: run run.sh with PELMO_ZIP_SLOW=1";
    TempTree t;
    t.File(L"after.txt", "after");
    std::wstring archive = Env(L"PELMO_ZIP_OUT") + L"\\offsets.zip";
    zip::WriteArchive(archive, {{nearLimit, L"random.bin"}, {t.Path(L"after.txt"), L"after.txt"}});
    // The manifest points at the source itself, beside the archive.
    std::string manifest = "random.bin\t" + std::to_string(AttributesOf(nearLimit)) +
                           "\t-\t../near4g.bin\nafter.txt\t" +
                           std::to_string(AttributesOf(t.Path(L"after.txt"))) + "\t-\t0.bin\n";
    CreateDirectoryW((OutDir() + L"offsets.d").c_str(), nullptr);
    WriteAll(OutDir() + L"offsets.d\\0.bin", "after");
    WriteAll(OutDir() + L"offsets.manifest", manifest);
}

} // namespace
