// The dialogs take the main window's font with its configured colour.

#include "dialogs/SortProp.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

TEST(DialogFont, KeepsTheConfiguredColour) {
    TempTree t;
    t.File(L"a.txt");
    WindowDriver w(t.Root(), L"[Font]\r\nColor=255\r\nSize=16\r\n");
    int shown = 0;
    w.OnDialogs({[&](ui::Form& f) {
        auto& d = dynamic_cast<TSortProp&>(f);
        ++shown;
        for (ui::Control* c : {static_cast<ui::Control*>(d.Label1.get()),
                               static_cast<ui::Control*>(d.GroupBox1.get()),
                               static_cast<ui::Control*>(d.Btn_Name.get())}) {
            EXPECT_EQ(c->FontColor(), RGB(255, 0, 0));
            EXPECT_EQ(c->Font().Size, 12); // min(16 - 2, 12)
        }
        f.SetModalResult(ui::mrCancel);
    }});
    w.Key('S');
    EXPECT_EQ(shown, 1);
}
