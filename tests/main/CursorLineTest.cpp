// How the cursor line looks on the screen: plain text on the cursor colour,
// with no dotted focus rectangle around it.

#include "main/Form1.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "ui/Font.h"

#include <gtest/gtest.h>

TEST(CursorLine, ShowsNoFocusRectangleAndPlainText) {
    TempTree t;
    t.File(L"a.txt");
    t.File(L"b.txt");
    // A bold, underlined window font: the list lines stay plain.
    WindowDriver w(t.Root(), L"[Font]\r\nStyle=5\r\n");
    TForm1& f = w.Form();
    w.Key(VK_DOWN); // a.txt: black on white
    ASSERT_TRUE(f.LBox_Files->Focused());
    ASSERT_EQ(f.LBox_Files->ItemIndex(), 1);
    RECT line{};
    SendMessageW(f.LBox_Files->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    RedrawWindow(f.LBox_Files->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    w.Pump();

    HDC dc = GetDC(f.LBox_Files->Handle());
    // The edges of the line, where a focus rectangle would be dotted, are
    // the cursor's white all along (the text starts further in).
    int whiteEdges = 0, edges = 0;
    for (int x = line.right - 60; x < line.right - 2; ++x) {
        for (int y : {static_cast<int>(line.top), static_cast<int>(line.bottom) - 1}) {
            ++edges;
            whiteEdges += GetPixel(dc, x, y) == RGB(255, 255, 255);
        }
    }
    ReleaseDC(f.LBox_Files->Handle(), dc);
    EXPECT_EQ(whiteEdges, edges);

    LOGFONTW lf{};
    GetObjectW(f.LineFont.get(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_FALSE(lf.lfStrikeOut);
}

// "a_b" must not read "a b": the underscore is drawn inside the line in the
// default font and size.
TEST(CursorLine, ShowsTheUnderscoresOfAName) {
    TempTree t;
    t.File(L"a_b.txt");
    WindowDriver w(t.Root());
    TForm1& f = w.Form();
    w.Key(VK_DOWN); // a_b.txt: black on white
    ASSERT_EQ(f.LBox_Files->ItemIndex(), 1);
    RECT line{};
    SendMessageW(f.LBox_Files->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
    RedrawWindow(f.LBox_Files->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    w.Pump();

    // The line starts with a blank for the mark; the underscore lies between
    // the ends of " a" and " a_", in the lower half of the line.
    int from = line.left + ui::MeasureText(f.LineFont.get(), L" a").cx;
    int to = line.left + ui::MeasureText(f.LineFont.get(), L" a_").cx;
    ASSERT_LT(from, to);
    HDC dc = GetDC(f.LBox_Files->Handle());
    int inked = 0;
    for (int x = from; x < to; ++x)
        for (int y = (line.top + line.bottom) / 2; y < line.bottom; ++y)
            inked += GetPixel(dc, x, y) != RGB(255, 255, 255);
    ReleaseDC(f.LBox_Files->Handle(), dc);
    EXPECT_GT(inked, 0) << "the underscore of a_b.txt is not drawn";
}
