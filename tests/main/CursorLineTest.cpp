// How the cursor line looks on the screen: plain text on the cursor colour,
// with no dotted focus rectangle around it.

#include "main/Form1.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

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
