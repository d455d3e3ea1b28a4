// The geometry of the real windows at the screen's DPI: every text wide and
// high enough for itself in its font, every control inside its window, the
// header texts apart, the list lines as high as their font. run.sh runs this
// program at 96, 120, 144 and 192 DPI and says which in PELMO_DPI.

#include "dialogs/LogHist.h"
#include "main/Form1.h"
#include "support/DialogSteps.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"
#include "ui/Dpi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

struct Child {
    HWND hwnd;
    std::wstring cls, text;
    RECT rect; // in the client area of `relativeTo`
    DWORD style;
};

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[512] = L"";
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

// Every visible descendant of `parent`, placed in the client area of `relativeTo`.
std::vector<Child> Children(HWND parent, HWND relativeTo) {
    std::vector<HWND> all;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    std::vector<Child> out;
    for (HWND h : all) {
        if (!IsWindowVisible(h))
            continue;
        Child c{h, L"", WindowText(h), {}, static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE))};
        wchar_t cls[64] = L"";
        GetClassNameW(h, cls, 64);
        c.cls = cls;
        GetWindowRect(h, &c.rect);
        MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&c.rect), 2);
        out.push_back(c);
    }
    return out;
}

SIZE TextSize(HWND hwnd, const std::wstring& text) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    return ui::MeasureText(font, text.empty() ? L"Ag" : text);
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

// The text of a control fits in it in its font (with the room a check box
// or a button frame takes).
void ExpectLegible(const Child& c, int dpi, const std::string& where) {
    if (c.text.empty() && c.cls != L"Edit")
        return;
    SIZE text = TextSize(c.hwnd, c.text);
    int extraWidth = 0, extraHeight = 0;
    std::wstring cls = c.cls;
    for (auto& ch : cls)
        ch = towlower(ch);
    if (cls == L"button") {
        switch (c.style & BS_TYPEMASK) {
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            extraWidth = GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + ui::ScaleToDpi(4, dpi);
            break;
        case BS_GROUPBOX:
            extraWidth = ui::ScaleToDpi(16, dpi);
            break;
        default: // a push button: its frame
            extraWidth = ui::ScaleToDpi(4, dpi);
            extraHeight = ui::ScaleToDpi(4, dpi);
        }
    } else if (cls == L"edit") {
        extraHeight = ui::ScaleToDpi(2, dpi);
    } else if (cls != L"static") {
        return;
    }
    std::string what = where + " " + Narrow(c.cls) + " \"" + Narrow(c.text) + "\"";
    EXPECT_GE(Width(c.rect), text.cx + extraWidth) << what << " too narrow";
    EXPECT_GE(Height(c.rect), text.cy + extraHeight) << what << " too low";
}

void ExpectInside(const Child& c, const RECT& client, const std::string& where) {
    RECT both{};
    IntersectRect(&both, &c.rect, &client);
    EXPECT_TRUE(EqualRect(&both, &c.rect))
        << where << " " << Narrow(c.cls) << " \"" << Narrow(c.text) << "\" at " << c.rect.left
        << "," << c.rect.top << "-" << c.rect.right << "," << c.rect.bottom << " outside "
        << client.right << "x" << client.bottom;
}

// Every control of a dialog inside its client area and legible.
void CheckDialog(ui::Form& dialog, int dpi, const std::string& name) {
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    auto children = Children(dialog.Handle(), dialog.Handle());
    EXPECT_FALSE(children.empty()) << name;
    for (const auto& c : children) {
        ExpectInside(c, client, name);
        ExpectLegible(c, dpi, name);
    }
}

int ScreenDpi() {
    const char* value = std::getenv("PELMO_DPI");
    return value ? std::atoi(value) : ui::WindowDpi(nullptr);
}

class Layout : public ::testing::Test {
  protected:
    void SetUp() override {
        dpi = ScreenDpi();
        tree.File(L"work\\copy_conflicts\\under_score_name.txt", "x");
        tree.File(L"work\\file_one.txt", "one");
        tree.File(L"work\\file_two.txt", "two");
        tree.File(L"dst\\file_one.txt", "old");
    }
    int dpi = 96;
    TempTree tree;
};

TEST_F(Layout, MainWindowAtTheScreenDpi) {
    WindowDriver w(tree.Path(L"work\\copy_conflicts\\"));
    TForm1& f = w.Form();
    ASSERT_EQ(f.Dpi(), dpi) << "the DPI set for this run did not reach the program";

    // Point sizes stay: the list font is 12 points at this DPI.
    LOGFONTW lf{};
    GetObjectW(f.LBox_Files->FontHandle(), sizeof lf, &lf);
    EXPECT_EQ(-lf.lfHeight, MulDiv(12, dpi, 72));

    // The designed client area, where the screen holds it; the header is
    // laid out for that width (a narrower window may run its texts together).
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    bool designFits = f.ClientWidth() == ui::ScaleToDpi(1110, dpi);
    if (!designFits)
        std::printf("the %dx%d screen is too small for the designed window at %d DPI: "
                    "the header's row is not checked\n",
                    Width(work), Height(work), dpi);

    auto checkHeader = [&](const std::string& when) {
        RECT panel{};
        GetClientRect(f.Panel1->Handle(), &panel);
        std::vector<Child> texts;
        for (const auto& c : Children(f.Panel1->Handle(), f.Panel1->Handle()))
            if (c.cls == L"Static")
                texts.push_back(c);
        ASSERT_EQ(texts.size(), 13u) << when;
        for (size_t i = 0; i < texts.size(); ++i) {
            ExpectLegible(texts[i], dpi, when);
            if (!designFits)
                continue;
            ExpectInside(texts[i], panel, when);
            for (size_t j = i + 1; j < texts.size(); ++j) {
                RECT both{};
                EXPECT_FALSE(IntersectRect(&both, &texts[i].rect, &texts[j].rect))
                    << when << ": \"" << Narrow(texts[i].text) << "\" overlaps \""
                    << Narrow(texts[j].text) << "\"";
            }
        }
        // The path label shows the underscores: as high as its font.
        EXPECT_GE(f.Label_Path->Height(), TextSize(f.Label_Path->Handle(), L"_").cy) << when;
        if (designFits) {
            EXPECT_NE(f.Label_Path->Text().find(L"copy_conflicts"), std::wstring::npos) << when;
        }

        // The list lines are as high as "0" in the list's font, and a page
        // fills the list.
        int line = LineHeight(f.LBox_Files->FontHandle());
        EXPECT_EQ(SendMessageW(f.LBox_Files->Handle(), LB_GETITEMHEIGHT, 0, 0), line) << when;
        EXPECT_EQ(f.PageLines, f.LBox_Files->ClientHeight() / line) << when;
    };
    checkHeader("at start");

    // A window narrower than the header's first row: the clock gives way.
    RECT designed = f.Bounds();
    f.SetBounds(designed.left, designed.top, ui::ScaleToDpi(800, dpi), Height(designed));
    w.Pump();
    bool fitsBefore = designFits;
    designFits = true;
    checkHeader("800 design pixels wide");
    designFits = fitsBefore;
    f.SetBounds(designed.left, designed.top, Width(designed), Height(designed));
    w.Pump();

    // A larger font makes the header higher: the page is computed after.
    ui::FontSpec big = f.Font();
    big.Size = 14;
    f.SetWindowFont(big);
    f.SetEachFont();
    f.ArrangeWindow();
    w.Pump();
    checkHeader("20-point font");

    // Moved to a screen of another DPI (as Windows tells it, with the bounds
    // it suggests there): everything scales with it.
    RECT r = f.Bounds();
    int other = dpi == 96 ? 120 : 96;
    RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, other, dpi),
                   r.top + MulDiv(r.bottom - r.top, other, dpi)};
    SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other),
                 reinterpret_cast<LPARAM>(&suggested));
    w.Pump();
    // The suggested bounds hold about the designed client area at the new DPI.
    designFits = f.ClientWidth() >= ui::ScaleToDpi(1100, other);
    EXPECT_EQ(f.Dpi(), other);
    GetObjectW(f.LBox_Files->FontHandle(), sizeof lf, &lf);
    EXPECT_EQ(-lf.lfHeight, MulDiv(14, other, 72));
    checkHeader("after a DPI change");
}

TEST_F(Layout, DialogsAtTheScreenDpi) {
    WindowDriver w(tree.Path(L"work\\"));
    ASSERT_EQ(w.Form().Dpi(), dpi);
    std::vector<std::string> checked;
    auto check = [&](const std::string& name, bool cancel = true) {
        return [&, name, cancel](ui::Form& d) {
            CheckDialog(d, dpi, name);
            checked.push_back(name);
            if (cancel)
                d.SetModalResult(ui::mrCancel);
        };
    };
    struct Case {
        std::vector<std::function<void(ui::Form&)>> steps;
        WORD key;
        bool shift;
    };
    // The list: "..", copy_conflicts, file_one.txt, file_two.txt.
    w.Key(VK_DOWN);
    w.Key(VK_DOWN);
    const Case cases[] = {
        {{check("sort options")}, 'S', false},   {{check("input with history (copy)")}, 'C', false},
        {{check("make directory")}, 'K', false}, {{check("rename")}, 'R', false},
        {{check("quick access")}, 'Q', false},   {{check("delete confirmation")}, 'D', false},
        {{check("message")}, 'U', false},
    };
    for (const auto& c : cases) {
        w.OnDialogs(c.steps);
        w.Key(c.key, c.shift);
    }
    // The conflict dialog: file_one.txt copied where one exists.
    w.OnDialogs({[&](ui::Form& d) {
                     auto& hist = dynamic_cast<THistDlg&>(d);
                     hist.Edit1->SetText(tree.Path(L"dst"));
                     TypeKey(hist.Edit1->Handle(), VK_RETURN);
                 },
                 check("copy conflict")});
    w.Key('C');
    // Several marked entries: the rename options.
    w.Key(VK_SPACE);
    w.Key(VK_SPACE);
    w.OnDialogs({check("rename options")});
    w.Key('R');
    EXPECT_EQ(checked.size(), 9u);
}

} // namespace
