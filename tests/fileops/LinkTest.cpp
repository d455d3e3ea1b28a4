// Directory links met by delete and rename: the link's target lies outside
// the directory being worked on and must stay exactly as it was. The links
// come from run.sh.

#include "Steps.h"
#include "subroutines/FileSystem.h"
#include "support/WindowDriver.h"

#include <cstdlib>

namespace {

std::wstring Fixture(const std::wstring& caseName) {
    const char* base = std::getenv("PELMO_LINK_FIXTURE");
    return base ? Widen(base) + L"\\" + caseName + L"\\" : std::wstring();
}

DWORD Attr(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

bool GoneOrStillALink(const std::wstring& path) {
    DWORD a = Attr(path);
    return a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

void ExpectTargetsUntouched(const std::wstring& d) {
    EXPECT_NE(Attr(d + L"outside\\empty"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Attr(d + L"outside\\full\\keep.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Attr(d + L"outside\\full\\inner\\deep.txt"), INVALID_FILE_ATTRIBUTES);
}

#define REQUIRE_FIXTURE(d)                                                                         \
    if ((d).empty())                                                                               \
    GTEST_SKIP() << "needs the links that run.sh makes"

TEST(Links, DeleteDirectoryNeverEntersALinkInsideTheTree) {
    std::wstring d = Fixture(L"walk");
    REQUIRE_FIXTURE(d);
    ASSERT_EQ(Attr(d + L"tree\\sub\\toEmpty") & 0x410, 0x410u);
    ASSERT_EQ(Attr(d + L"tree\\toFull") & 0x410, 0x410u);
    DeleteDirectory(d + L"tree");
    ExpectTargetsUntouched(d);
    EXPECT_EQ(Attr(d + L"tree\\plain.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Attr(d + L"tree\\sub\\file.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(GoneOrStillALink(d + L"tree\\sub\\toEmpty"));
    EXPECT_TRUE(GoneOrStillALink(d + L"tree\\toFull"));
}

TEST(Links, DeletingALinkEntryRemovesNoTargetAndTheEntryLeavesTheList) {
    std::wstring d = Fixture(L"entry");
    REQUIRE_FIXTURE(d);
    WindowDriver w(d);
    auto& f = w.Form();
    for (auto name : {L"emptyLink", L"fullLink"}) {
        PutCursor(f, name);
        w.OnDialogs({ConfirmOk()});
        f.DeleteCursorEntry();
        EXPECT_EQ(IndexOfName(f.FileList, name), -1) << Narrow(name);
        EXPECT_TRUE(GoneOrStillALink(d + name)) << Narrow(name);
    }
    ExpectTargetsUntouched(d);
}

TEST(Links, RenamingALinkNeverMovesItsTarget) {
    std::wstring d = Fixture(L"rename");
    REQUIRE_FIXTURE(d);
    WindowDriver w(d);
    auto& f = w.Form();
    PutCursor(f, L"emptyLink");
    std::vector<std::wstring> notices;
    w.OnDialogs({Answer(L"renamed"), Notice(notices)});
    f.RenameCommand();
    ExpectTargetsUntouched(d);
    if (Attr(d + L"renamed") == INVALID_FILE_ATTRIBUTES) {
        // The system could not rename the link as a link (Wine 8).
        EXPECT_EQ(notices, std::vector<std::wstring>{L"リネームに失敗しました"});
        EXPECT_TRUE(GoneOrStillALink(d + L"emptyLink"));
        EXPECT_GE(IndexOfName(f.FileList, L"emptyLink"), 0);
    } else {
        EXPECT_TRUE(Attr(d + L"renamed") & FILE_ATTRIBUTE_REPARSE_POINT);
        EXPECT_GE(IndexOfName(f.FileList, L"renamed"), 0);
    }
}

} // namespace
