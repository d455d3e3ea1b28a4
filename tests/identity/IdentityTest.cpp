// Whether two paths name one file or directory, asked of the file system, on
// real files: spellings that differ in letter case, ".\", "\\?\" and "\\.\", a
// directory link, a hard link, and destinations that do not exist yet.
// The links and hard links come from run.sh.

#include "subroutines/FileIdentity.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::wstring Fixture() {
    const char* base = std::getenv("PELMO_IDENTITY_FIXTURE");
    return base ? Widen(base) : std::wstring();
}

#define REQUIRE_FIXTURE(d)                                                                         \
    if ((d).empty())                                                                               \
    GTEST_SKIP() << "needs the links that run.sh makes"

TEST(FileIdentity, SpellingsOfOnePlaceAreOneAndOthersAreNot) {
    std::wstring d = Fixture();
    REQUIRE_FIXTURE(d);
    struct {
        std::wstring a, b;
        bool same;
    } cases[] = {
        {d + L"Work", d + L"work", true},
        {d + L"Work", d + L"WORK\\", true},
        {d + L"Work", d + L"Work\\.\\", true},
        {d + L"Work", d + L"Work\\sub\\..", true},
        {d + L"Work", L"\\\\?\\" + d + L"Work", true},
        {d + L"Work", L"\\\\.\\" + d + L"Work", true},
        {d + L"Work", d + L"toWork", true},
        {d + L"Work\\a.txt", d + L"toWork\\A.TXT", true},
        {d + L"Work\\a.txt", d + L"Work\\hard.txt", true},
        {d + L"Work\\sub", d + L"other\\toSub", true},
        {d + L"Work\\a.txt", d + L"Work\\twin.txt", false},
        {d + L"Work", d + L"Work\\sub", false},
        {d + L"Work", d + L"other", false},
        {d + L"Work\\missing.txt", d + L"Work\\missing.txt", false},
        {d + L"Work", L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.a + L" | " + c.b));
        EXPECT_EQ(SameFileOrDirectory(c.a, c.b), c.same);
        EXPECT_EQ(SameFileOrDirectory(c.b, c.a), c.same);
    }
}

TEST(FileIdentity, InsideByWhereAPathReallyLiesWhetherItExistsOrNot) {
    std::wstring d = Fixture();
    REQUIRE_FIXTURE(d);
    struct {
        std::wstring path, dir;
        bool inside;
    } cases[] = {
        {d + L"Work", d + L"Work", true},
        {d + L"Work\\sub", d + L"Work", true},
        {d + L"Work\\sub\\missing\\deeper\\", d + L"Work", true},
        {d + L"WORK\\SUB\\missing", d + L"work\\", true},
        {d + L"toWork\\sub\\new", d + L"Work", true},
        {d + L"Work\\sub\\new", d + L"toWork", true},
        // The link leads into Work from a path that does not spell it.
        {d + L"other\\toSub\\new", d + L"Work", true},
        {d + L"other\\toSub", d + L"Work\\sub", true},
        {d + L"other\\new", d + L"Work", false},
        {d + L"Work2\\new", d + L"Work", false},
        {d + L"Work", d + L"Work\\sub", false},
        {d + L"Work\\sub", d + L"missing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path + L" in " + c.dir));
        EXPECT_EQ(IsSameOrInside(c.path, c.dir), c.inside);
    }
}

TEST(FileIdentity, IdentityOfAFileFollowsItThroughARename) {
    TempTree t;
    t.File(L"before.txt", "x");
    auto identity = IdentityOf(t.Path(L"before.txt"));
    ASSERT_TRUE(identity.has_value());
    ASSERT_TRUE(MoveFileW(t.Path(L"before.txt").c_str(), t.Path(L"after.txt").c_str()));
    EXPECT_EQ(IdentityOf(t.Path(L"after.txt")), identity);
    EXPECT_FALSE(IdentityOf(t.Path(L"before.txt")).has_value());
    t.File(L"before.txt", "x");
    EXPECT_NE(IdentityOf(t.Path(L"before.txt")), identity);
}

} // namespace
