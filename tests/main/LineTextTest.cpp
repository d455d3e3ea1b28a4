// Line texts, colours, the page indicator and the error report's text rule.

#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

namespace {

TFileList OneEntry(const std::wstring& name, int32_t attr, int64_t size, double date, bool marked) {
    TFileList list;
    auto e = std::make_unique<TDataRec>();
    e->FileName = name;
    e->FileAttr = attr;
    e->FileSize = size;
    e->FileDate = date;
    e->Marked = marked;
    list.push_back(std::move(e));
    return list;
}

// Depends on the Japanese locale of the test environment (thousands separator ",").
TEST(LineText, Table) {
    double date = EncodeDateTime(2023, 4, 5, 6, 7, 8, 0);
    struct Case {
        std::wstring name;
        int32_t attr;
        int64_t size;
        double date;
        bool marked;
        std::wstring expected;
    } cases[] = {
        {L"a.txt", 0x20, 1234567, date, false,
         L" a.txt\\         1,234,567  2023.04.05  06.07.08 "},
        {L"a.txt", 0x20, 0, date, true, L"*a.txt\\                 0  2023.04.05  06.07.08 "},
        {L"dir", 0x10, 0, date, true, L"*dir\\<dir>  2023.04.05  06.07.08 "},
        {L"..", 0x10, 0, date, true, L" ..\\<dir>  2023.04.05  06.07.08 "},
        {L"big", 0x20, 100000000000000, 0, false,
         L" big\\100,000,000,000,000  1899.12.30  00.00.00 "},
    };
    for (const auto& c : cases) {
        TFileList list = OneEntry(c.name, c.attr, c.size, c.date, c.marked);
        EXPECT_EQ(LineText(list, 0), c.expected) << Narrow(c.name);
    }
    TFileList file = OneEntry(L"x", 0, 5, date, false);
    EXPECT_EQ((L"  " + FileText(file, 0)).size(), 43u);
    TFileList dir = OneEntry(L"x", 0x10, 0, date, false);
    EXPECT_EQ((L"  " + DirText(dir, 0)).size(), 30u);
}

TEST(LineText, DatesRoundTripAndFileTimesConvert) {
    EXPECT_EQ(FormatDateText(0), L"1899.12.30  00.00.00");
    EXPECT_EQ(FormatDateText(EncodeDateTime(2107, 12, 31, 23, 59, 59, 999)),
              L"2107.12.31  23.59.59");
    EXPECT_EQ(FormatDateText(EncodeDateTime(1899, 12, 29, 12, 0, 0, 0)), L"1899.12.29  12.00.00");
    FILETIME bad{0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(FileTimeToLocalDate(bad), 0);
}

TEST(LineColour, Table) {
    struct Case {
        int32_t attr;
        bool showsDir;
        COLORREF expected;
    } cases[] = {
        {0x10, true, clCyan},    {0x11, true, clYellow},  {0x13, true, clGreen},
        {0x16, true, clMagenta}, {0x14, true, clMagenta}, {0x12, true, clGreen},
        {0x07, false, clWhite},  {0x20, false, clWhite},  {0x410, true, clCyan},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineFontColor(c.attr, c.showsDir), c.expected) << std::hex << c.attr;
    EXPECT_TRUE(IsCursorLineState(ODS_SELECTED));
    EXPECT_TRUE(IsCursorLineState(ODS_SELECTED | ODS_FOCUS));
    EXPECT_TRUE(IsCursorLineState(ODS_SELECTED | ODS_FOCUS | ODS_NOACCEL));
    EXPECT_FALSE(IsCursorLineState(ODS_FOCUS));
    EXPECT_FALSE(IsCursorLineState(ODS_SELECTED | ODS_DISABLED));
}

TEST(Subroutines, CollapseDelimiters) {
    EXPECT_EQ(CollapseDelimiters(L"C:\\a\\\\b"), L"C:\\a\\b");
    EXPECT_EQ(CollapseDelimiters(L"\\\\server\\\\\\share\\"), L"\\server\\share\\");
    EXPECT_EQ(CollapseDelimiters(L"abc"), L"abc");
}

TEST(ErrorReport, AppendsDotAfterCharactersAbovePeriod) {
    EXPECT_EQ(ui::ErrorReportText(L"エラー"), L"エラー.");
    EXPECT_EQ(ui::ErrorReportText(L"abc"), L"abc.");
    EXPECT_EQ(ui::ErrorReportText(L"done."), L"done.");
    EXPECT_EQ(ui::ErrorReportText(L"(x)"), L"(x)");
    EXPECT_EQ(ui::ErrorReportText(L"1"), L"1.");
    EXPECT_EQ(ui::ErrorReportText(L""), L"");
    std::wstring title = ui::App().Title();
    EXPECT_EQ(title, L"test_main"); // the first character stays as it is
}

TEST(PageIndicator, EmptyListAndThreePages) {
    TempTree t;
    WindowDriver w(t.Root());
    auto& f = w.Form();
    f.ClearFileList();
    f.PageLines = 20;
    f.PageTop = 0;
    f.ShowPageIndicator();
    EXPECT_EQ(f.SText_Page->Text(), L"Page= 1/1");
    for (int i = 0; i < 45; ++i)
        f.FileList.push_back(std::make_unique<TDataRec>());
    f.PageTop = 40;
    f.ShowPageIndicator();
    EXPECT_EQ(f.SText_Page->Text(), L"Page= 3/3");
    f.ClearFileList();
}

TEST(Header, FitTextShortensAtTheEnd) {
    win::UniqueFont font = ui::CreateFontFrom(ui::FontSpec{});
    std::wstring path = L"C:\\work\\projects\\2023\\reports\\";
    int full = ui::MeasureText(font.get(), path).cx;
    EXPECT_EQ(FitText(path, font.get(), full), path);
    std::wstring cut = FitText(path, font.get(), full / 2);
    ASSERT_GE(cut.size(), 3u);
    EXPECT_EQ(cut.substr(cut.size() - 3), L"...");
    EXPECT_EQ(path.rfind(cut.substr(0, cut.size() - 3), 0), 0u);
    EXPECT_LE(ui::MeasureText(font.get(), cut).cx, full / 2);
    EXPECT_EQ(FitText(path, font.get(), 0), L"");
}

TEST(Header, FitTextInMiddleKeepsBothEnds) {
    win::UniqueFont font = ui::CreateFontFrom(ui::FontSpec{});
    // A pair of surrogates (U+20BB7) on each side of the middle.
    std::wstring text =
        L"コピー先に 長い名前\U00020BB7の\U00020BB7ファイル_end.txt ファイルがあります";
    int full = ui::MeasureText(font.get(), text).cx;
    EXPECT_EQ(FitTextInMiddle(text, font.get(), full), text);
    for (int width : {full * 3 / 4, full / 2, full / 4}) {
        SCOPED_TRACE(width);
        std::wstring cut = FitTextInMiddle(text, font.get(), width);
        size_t dots = cut.find(L"...");
        ASSERT_NE(dots, std::wstring::npos) << Narrow(cut);
        EXPECT_EQ(text.rfind(cut.substr(0, dots), 0), 0u);
        EXPECT_TRUE(text.ends_with(cut.substr(dots + 3)));
        EXPECT_GT(dots, 0u);
        EXPECT_LT(dots + 3, cut.size());
        EXPECT_LE(ui::MeasureText(font.get(), cut).cx, width);
        for (size_t i = 0; i < cut.size(); ++i)
            EXPECT_FALSE(IS_HIGH_SURROGATE(cut[i]) &&
                         !(i + 1 < cut.size() && IS_LOW_SURROGATE(cut[i + 1])))
                << "a pair is split at " << i;
    }
    EXPECT_EQ(FitTextInMiddle(text, font.get(), 0), L"");
}

} // namespace
