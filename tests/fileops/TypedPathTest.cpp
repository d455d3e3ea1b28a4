// Paths typed into a prompt are seen from the directory on screen, never from
// the process's working directory.

#include "subroutines/FileSystem.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

namespace {

TEST(TypedPath, ResolvedAgainstTheCurrentDirectory) {
    std::array<std::wstring, 26> driveDirs{};
    driveDirs[L'D' - L'A'] = L"D:\\data\\";
    driveDirs[L'E' - L'A'] = L"F:\\wrong\\"; // not on its own drive: ignored
    struct {
        std::wstring curDir, typed, expected;
    } cases[] = {
        {L"C:\\Work\\", L"sub\\", L"C:\\Work\\sub\\"},
        {L"C:\\Work\\", L"..\\x\\", L"C:\\x\\"},
        {L"C:\\Work\\", L".\\", L"C:\\Work\\"},
        {L"C:\\Work\\", L"a\\.\\b\\..\\c\\", L"C:\\Work\\a\\c\\"},
        {L"C:\\Work\\", L"\\", L"C:\\"},
        {L"C:\\Work\\", L"\\top\\", L"C:\\top\\"},
        {L"C:\\Work\\", L"E:\\abs\\", L"E:\\abs\\"},
        {L"C:\\Work\\", L"c:sub\\", L"C:\\Work\\sub\\"},
        {L"C:\\Work\\", L"D:sub\\", L"D:\\data\\sub\\"},
        {L"C:\\Work\\", L"E:sub\\", L"E:\\sub\\"},
        {L"C:\\Work\\", L"G:", L"G:\\"},
        {L"\\\\srv\\share\\dir\\", L"sub\\", L"\\\\srv\\share\\dir\\sub\\"},
        {L"\\\\srv\\share\\dir\\", L"\\", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share\\dir\\", L"..\\..\\..\\x\\", L"\\\\srv\\share\\x\\"},
        {L"C:\\Work\\", L"\\\\srv\\share\\x\\", L"\\\\srv\\share\\x\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.curDir + L" + " + c.typed));
        EXPECT_EQ(ResolveTypedPath(c.typed, c.curDir, driveDirs), c.expected);
    }
}

} // namespace
