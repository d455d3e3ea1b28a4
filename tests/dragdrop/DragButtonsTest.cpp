// Every mouse button pressed on the list starts a drag, as a person may drag
// with the right or the middle button.

#include "fileops/DragDrop.h"
#include "main/Form1.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

#include <windowsx.h>

TEST(DragOut, EveryMouseButtonOnTheListStartsADrag) {
    TempTree t;
    t.File(L"a.txt");
    t.File(L"b.txt");
    WindowDriver w(t.Root());
    auto& f = w.Form();
    int drags = 0;
    RunDragDrop = [&](IDataObject*, DWORD) {
        ++drags;
        return DWORD(DROPEFFECT_NONE);
    };
    int h = static_cast<int>(SendMessageW(f.LBox_Files->Handle(), LB_GETITEMHEIGHT, 0, 0));
    struct Press {
        UINT message;
        WPARAM keys;
    };
    const Press presses[] = {{WM_LBUTTONDOWN, MK_LBUTTON},
                             {WM_RBUTTONDOWN, MK_RBUTTON},
                             {WM_MBUTTONDOWN, MK_MBUTTON},
                             {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1)}};
    int expected = 0;
    for (const auto& p : presses) {
        // On b.txt, the third line.
        SendMessageW(f.LBox_Files->Handle(), p.message, p.keys, MAKELPARAM(5, 2 * h + h / 2));
        w.Pump();
        EXPECT_EQ(drags, ++expected) << "message " << p.message;
        EXPECT_EQ(f.CurIndex, 2) << "message " << p.message;
    }
    RunDragDrop = nullptr;
}
