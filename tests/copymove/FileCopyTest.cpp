// The copy routines on real files, including the faults real disks and other
// programs cause: a full disk, a source another program holds open, a
// read-only destination, links inside a tree, names the file system shortens.

#include "fileops/FileCopy.h"
#include "subroutines/FileIdentity.h"
#include "support/TempTree.h"
#include "win/Error.h"
#include "win/Handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

std::vector<std::wstring> Listing(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    win::UniqueFind find(FindFirstFileW((dir + L"*").c_str(), &fd));
    if (!find)
        return names;
    do {
        std::wstring n = fd.cFileName;
        if (n != L"." && n != L"..")
            names.push_back(n);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d);
    return d.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// A file opened without sharing, as another program may hold it.
win::UniqueHandle HoldOpen(const std::wstring& path) {
    return win::UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The Linux-side fixtures that run.sh prepares (Windows path with a trailing
// backslash), or empty when the test runs without it.
std::wstring Fixture(const char* name) {
    const char* v = std::getenv(name);
    return v ? Widen(v) : std::wstring();
}

TEST(CopyOneFile, CreatesParentsAndKeepsContentAttributesAndTime) {
    TempTree t;
    t.File(L"src\\a.txt", "hello");
    t.SetTime(L"src\\a.txt", 2020, 5, 6, 7, 8, 10);
    constexpr DWORD hiddenReadOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    SetFileAttributesW(t.Path(L"src\\a.txt").c_str(), hiddenReadOnly);
    CopyOneFile(t.Path(L"src\\a.txt"), t.Path(L"x\\y\\z\\a.txt"), true);
    EXPECT_EQ(t.Read(L"x\\y\\z\\a.txt"), "hello");
    EXPECT_EQ(GetFileAttributesW(t.Path(L"x\\y\\z\\a.txt").c_str()) & hiddenReadOnly,
              hiddenReadOnly);
    EXPECT_TRUE(SameTime(LastWrite(t.Path(L"src\\a.txt")), LastWrite(t.Path(L"x\\y\\z\\a.txt"))));
    EXPECT_EQ(Listing(t.Path(L"x\\y\\z\\")), std::vector<std::wstring>{L"a.txt"});
}

TEST(CopyOneFile, FailuresLeaveTheDestinationAsItWasAndNoTemporaryFile) {
    TempTree t;
    t.File(L"src.txt", "new content");
    struct Case {
        const char* what;
        bool overwrite;
        DWORD destAttr;
        bool holdSource;
    } cases[] = {
        {"overwrite not allowed", false, 0, false},
        {"read-only destination", true, FILE_ATTRIBUTE_READONLY, false},
        {"source held open by another program", true, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree d;
        d.File(L"dst.txt", "old", c.destAttr);
        win::UniqueHandle held;
        if (c.holdSource)
            held = HoldOpen(t.Path(L"src.txt"));
        EXPECT_THROW(CopyOneFile(t.Path(L"src.txt"), d.Path(L"dst.txt"), c.overwrite),
                     win::AppError);
        held.reset();
        EXPECT_EQ(d.Read(L"dst.txt"), "old");
        EXPECT_EQ(Listing(d.Root()), std::vector<std::wstring>{L"dst.txt"});
    }
    // Held open and nothing there yet: nothing appears under the final name.
    TempTree d;
    auto held = HoldOpen(t.Path(L"src.txt"));
    EXPECT_THROW(CopyOneFile(t.Path(L"src.txt"), d.Path(L"dst.txt"), true), win::AppError);
    EXPECT_TRUE(Listing(d.Root()).empty());
}

TEST(CopyOneFile, RejectsBadPathsWithAClearText) {
    TempTree t;
    t.File(L"a.txt", "x");
    for (std::wstring dst :
         {t.Path(L"b?.txt"), t.Path(L"c|d.txt"), t.Path(std::wstring(300, L'n'))}) {
        try {
            CopyOneFile(t.Path(L"a.txt"), dst, true);
            ADD_FAILURE() << "accepted " << Narrow(dst);
        } catch (const win::AppError& e) {
            EXPECT_FALSE(e.Text().empty());
        }
    }
    EXPECT_THROW(CopyOneFile(t.Path(L"missing.txt"), t.Path(L"m.txt"), true), win::AppError);
}

TEST(CopyDirectory, MergesOverwritesAndStampsTheTopDirectory) {
    TempTree t;
    t.File(L"src\\X\\same.txt", "from source");
    t.File(L"src\\X\\sub\\deep.txt", "deep");
    t.File(L"dst\\X\\same.txt", "old");
    t.File(L"dst\\X\\other.txt", "untouched");
    t.SetTime(L"src\\X", 2019, 1, 2, 3, 4, 6);
    SetFileAttributesW(t.Path(L"src\\X").c_str(), FILE_ATTRIBUTE_HIDDEN);
    DirCopyResult r = CopyDirectory(t.Path(L"src\\X"), t.Path(L"dst\\X"));
    EXPECT_EQ(t.Read(L"dst\\X\\same.txt"), "from source");
    EXPECT_EQ(t.Read(L"dst\\X\\sub\\deep.txt"), "deep");
    EXPECT_EQ(t.Read(L"dst\\X\\other.txt"), "untouched");
    EXPECT_EQ(r.CopiedFiles.size(), 2u);
    EXPECT_EQ(r.FailedFiles, 0);
    EXPECT_TRUE(GetFileAttributesW(t.Path(L"dst\\X").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(SameTime(LastWrite(t.Path(L"src\\X")), LastWrite(t.Path(L"dst\\X"))));
}

TEST(CopyDirectory, RefusesItselfAndItsOwnSubtree) {
    TempTree t;
    t.File(L"X\\a.txt", "a");
    t.Dir(L"X\\sub");
    EXPECT_THROW(CopyDirectory(t.Path(L"X"), t.Path(L"X")), win::AppError);
    EXPECT_THROW(CopyDirectory(t.Path(L"X"), t.Path(L"x\\")), win::AppError);
    EXPECT_THROW(CopyDirectory(t.Path(L"X"), t.Path(L"X\\sub\\X")), win::AppError);
    EXPECT_EQ(Listing(t.Path(L"X\\sub\\")).size(), 0u);
    EXPECT_THROW(CopyDirectory(t.Path(L"none"), t.Path(L"Y")), win::AppError);
    EXPECT_FALSE(IsSameOrInside(t.Path(L"X2"), t.Path(L"X")));
}

// Two names of one file: replacing one by a copy of the other must not
// happen, neither for a single file nor inside a tree.
TEST(CopyOneFile, RefusesADestinationThatIsTheSourceUnderAnotherName) {
    TempTree t;
    t.File(L"src\\a.txt", "only copy");
    t.File(L"src\\X\\b.txt", "only b");
    t.Dir(L"dst\\X");
    ASSERT_TRUE(
        CreateHardLinkW(t.Path(L"dst\\a.txt").c_str(), t.Path(L"src\\a.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateHardLinkW(t.Path(L"dst\\X\\b.txt").c_str(), t.Path(L"src\\X\\b.txt").c_str(),
                                nullptr));
    EXPECT_THROW(CopyOneFile(t.Path(L"src\\a.txt"), t.Path(L"dst\\a.txt"), true), win::AppError);
    EXPECT_THROW(CopyOneFile(t.Path(L"src\\a.txt"), t.Path(L"SRC\\A.TXT"), true), win::AppError);
    DirCopyResult r = CopyDirectory(t.Path(L"src\\X"), t.Path(L"dst\\X"));
    EXPECT_EQ(r.FailedFiles, 1);
    EXPECT_TRUE(r.CopiedFiles.empty()) << "a move would delete what it lists";
    EXPECT_TRUE(SameFileOrDirectory(t.Path(L"src\\a.txt"), t.Path(L"dst\\a.txt")));
    EXPECT_EQ(t.Read(L"src\\a.txt"), "only copy");
    EXPECT_EQ(t.Read(L"src\\X\\b.txt"), "only b");
    EXPECT_EQ(Listing(t.Path(L"src\\")).size(), 2u) << "no temporary copy left";
    EXPECT_EQ(Listing(t.Path(L"dst\\X\\")).size(), 1u);
}

TEST(CopyDirectory, CountsFilesThatFailAndRemoveKeepsThem) {
    TempTree t;
    t.File(L"src\\ok.txt", "ok");
    t.File(L"src\\held.txt", "held content");
    t.File(L"src\\sub\\ro.txt", "new ro");
    t.File(L"dst\\sub\\ro.txt", "old ro", FILE_ATTRIBUTE_READONLY);
    auto held = HoldOpen(t.Path(L"src\\held.txt"));
    DirCopyResult r = CopyDirectory(t.Path(L"src"), t.Path(L"dst"));
    held.reset();
    EXPECT_EQ(r.FailedFiles, 2);
    ASSERT_EQ(r.CopiedFiles, std::vector<std::wstring>{L"ok.txt"});
    EXPECT_EQ(t.Read(L"dst\\sub\\ro.txt"), "old ro");
    EXPECT_FALSE(t.Exists(L"dst\\held.txt"));
    // No temporary copy is left beside a file that could not be replaced.
    std::vector<std::wstring> top = Listing(t.Path(L"dst\\"));
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::wstring>{L"ok.txt", L"sub"}));
    EXPECT_EQ(Listing(t.Path(L"dst\\sub\\")), std::vector<std::wstring>{L"ro.txt"});

    EXPECT_FALSE(RemoveCopiedTree(t.Path(L"src"), r.CopiedFiles));
    EXPECT_FALSE(t.Exists(L"src\\ok.txt"));
    EXPECT_EQ(t.Read(L"src\\held.txt"), "held content");
    EXPECT_EQ(t.Read(L"src\\sub\\ro.txt"), "new ro");
    EXPECT_EQ(t.Read(L"dst\\ok.txt"), "ok");
}

TEST(CopyDirectory, RemoveTakesEmptiedDirectoriesToo) {
    TempTree t;
    t.File(L"src\\a\\b\\c.txt", "c");
    t.Dir(L"src\\empty");
    DirCopyResult r = CopyDirectory(t.Path(L"src"), t.Path(L"dst"));
    EXPECT_TRUE(RemoveCopiedTree(t.Path(L"src"), r.CopiedFiles));
    EXPECT_FALSE(t.Exists(L"src"));
    EXPECT_EQ(t.Read(L"dst\\a\\b\\c.txt"), "c");
    EXPECT_TRUE(t.Exists(L"dst\\empty"));
}

// Prepared by run.sh: tree\a.txt, tree\sub\b.txt, tree\linkEmpty and
// tree\linkFull (links to outside\empty and outside\full\keep.txt).
TEST(CopyDirectory, SkipsLinksInsideTheTreeAndNeverTouchesTheirTargets) {
    std::wstring fix = Fixture("PELMO_FIXTURE");
    if (fix.empty())
        GTEST_SKIP() << "needs the link fixture of run.sh";
    ASSERT_TRUE(GetFileAttributesW((fix + L"tree\\linkFull").c_str()) &
                FILE_ATTRIBUTE_REPARSE_POINT);
    TempTree t;
    DirCopyResult r = CopyDirectory(fix + L"tree", t.Path(L"copy"));
    EXPECT_EQ(r.SkippedLinks, 2);
    EXPECT_EQ(t.Read(L"copy\\a.txt"), "a\n");
    EXPECT_EQ(t.Read(L"copy\\sub\\b.txt"), "b\n");
    EXPECT_FALSE(t.Exists(L"copy\\linkFull"));
    EXPECT_FALSE(t.Exists(L"copy\\linkEmpty"));

    // As a move does: the copied files go, the links and their targets stay.
    EXPECT_FALSE(RemoveCopiedTree(fix + L"tree", r.CopiedFiles));
    auto left = Listing(fix + L"tree\\");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"linkEmpty", L"linkFull"}));
    EXPECT_NE(GetFileAttributesW((fix + L"outside\\empty").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((fix + L"outside\\full\\keep.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);
}

// run.sh mounts a 256 KiB file system at full\.
TEST(CopyOneFile, FullDiskLeavesNoTruncatedFileAndKeepsTheOldOne) {
    std::wstring full = Fixture("PELMO_FULLDISK");
    if (full.empty())
        GTEST_SKIP() << "needs the small file system of run.sh (root)";
    TempTree t;
    t.File(L"big.bin", std::string(600 * 1024, 'b'));
    TempTree probe;
    EXPECT_THROW(CopyOneFile(t.Path(L"big.bin"), full + L"big.bin", true), win::AppError);
    EXPECT_TRUE(Listing(full).empty());

    probe.File(L"old.bin", "old");
    CopyOneFile(probe.Path(L"old.bin"), full + L"big.bin", true);
    EXPECT_THROW(CopyOneFile(t.Path(L"big.bin"), full + L"big.bin", true), win::AppError);
    std::string kept = ReadAll(full + L"big.bin");
    EXPECT_EQ(kept, "old");
    EXPECT_EQ(Listing(full), std::vector<std::wstring>{L"big.bin"});
    SetFileAttributesW((full + L"big.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((full + L"big.bin").c_str());
}

// Two names of 90 kana share their first 255 UTF-8 bytes; a file system that
// shortens names (Linux under Wine) must not let the second land on the first.
TEST(CopyOneFile, TwoLongNamesNeverMeetInOneFile) {
    TempTree t;
    t.File(L"two.txt", "two");
    std::wstring stem(85, L'あ');
    std::wstring first = stem + L"いいいいい", second = stem + L"ううううう";
    TempTree d;
    d.File(first, "one"); // under whatever name the file system keeps
    try {
        CopyOneFile(t.Path(L"two.txt"), d.Path(second), true);
    } catch (const win::AppError& e) {
        EXPECT_NE(e.Text().find(L"ううう"), std::wstring::npos);
    }
    int ones = 0;
    for (const auto& name : Listing(d.Root())) {
        std::string content = d.Read(name);
        EXPECT_TRUE(content == "one" || content == "two") << content;
        ones += content == "one" ? 1 : 0;
    }
    EXPECT_EQ(ones, 1);
    // A name that would be shortened where nothing is in the way is refused as
    // well, or kept whole.
    TempTree e;
    try {
        CopyOneFile(t.Path(L"two.txt"), e.Path(second), true);
        EXPECT_EQ(e.Read(second), "two");
        EXPECT_EQ(Listing(e.Root()), std::vector<std::wstring>{second});
    } catch (const win::AppError&) {
        EXPECT_TRUE(Listing(e.Root()).empty());
    }
}

} // namespace
