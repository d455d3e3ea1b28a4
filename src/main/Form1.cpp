#include "main/Form1.h"

#include "main/DialogFlags.h"
#include "subroutines/Subroutines.h"
#include "settings/History.h"
#include "ui/Font.h"

#include <algorithm>

namespace {
TForm1* theMainForm = nullptr;

// Component ids of the main window's controls.
enum { ID_LBOX_FILES = 100 };
} // namespace

TForm1* MainForm() {
    return theMainForm;
}

TForm1::TForm1(std::wstring iniPath) : IniPath(std::move(iniPath)) {
    theMainForm = this;
    DestroyOnClose = true;
    ui::FormStyle style;
    style.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
    style.exStyle = WS_EX_APPWINDOW;
    style.clientWidth = 1110;
    style.clientHeight = 540;
    style.color = WindowColor;
    CreateFrame(style, NormalCaption);
    ui::App().SetMainForm(this);
    CreateComponents();
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
    if (theMainForm == this)
        theMainForm = nullptr;
    if (ui::App().MainForm() == this)
        ui::App().SetMainForm(nullptr);
}

std::unique_ptr<ui::StaticText> TForm1::MakeText(HWND parent, int left, int top, int width,
                                                 int height, const wchar_t* text) {
    auto control = std::make_unique<ui::StaticText>(parent, left, top, width, height, text);
    control->SetBackColor(WindowColor);
    return control;
}

void TForm1::CreateComponents() {
    HWND self = Handle();
    Panel1 = std::make_unique<ui::Panel>(self, 0, 1, 1110, 92, WindowColor);
    Panel2 = std::make_unique<ui::Panel>(self, 0, 95, 1110, 445, WindowColor);
    for (int i = 0; i < 10; ++i) {
        // Splitter02 and Splitter03 are spacers in the window colour; the rest are gray.
        COLORREF color = (i == 1 || i == 2) ? WindowColor : clGray;
        HWND parent = i < 3 ? self : (i < 6 ? Panel1->Handle() : Panel2->Handle());
        Splitters[i] = std::make_unique<ui::Panel>(parent, 0, 0, 1, 1, color);
    }
    HWND header = Panel1->Handle();
    SText_Page = MakeText(header, 16, 8, 116, 20, L"Page:    /    ");
    SText_Total = MakeText(header, 160, 8, 196, 20, L"Total:------------------");
    SText_Used = MakeText(header, 400, 8, 188, 20, L"Used:------------------");
    SText_Free = MakeText(header, 640, 8, 188, 20, L"Free:------------------");
    SText_Date = MakeText(header, 881, 8, 188, 20, L"-----------------------");
    StaticText3 = MakeText(header, 16, 36, 44, 20, L"Path=");
    Label_Path = MakeText(header, 72, 36, 192, 16, L"------------------------");
    Label_Path->AutoSize = false;
    SText_Marked = MakeText(header, 780, 36, 68, 20, L"--------");
    StaticText1 = MakeText(header, 863, 36, 52, 20, L"Marked");
    SText_SizeM = MakeText(header, 926, 36, 148, 20, L"------------------");
    SText_Files = MakeText(header, 780, 64, 68, 20, L"--------");
    StaticText2 = MakeText(header, 863, 64, 52, 20, L"Files ");
    SText_SizeA = MakeText(header, 926, 64, 148, 20, L"------------------");

    LBox_Files = std::make_unique<ui::ListBox>(Panel2->Handle(), 1, 1, 1108, 443, ID_LBOX_FILES,
                                               /*ownerDraw=*/true, /*border=*/false);
    LBox_Files->SetBackColor(WindowColor);
    LBox_Files->IgnoreChars = true;
    LBox_Files->IgnoreNavigationKeys = true;
    LBox_Files->OnDrawItem = [this](HDC dc, int index, const RECT& r, UINT state) {
        LBox_FilesDrawItem(dc, index, r, state);
    };
    LBox_Files->OnKeyDown = [this](WORD& key, unsigned shift) { LBox_FilesKeyDown(key, shift); };
    LBox_Files->OnDblClick = [this] { LBox_FilesDblClick(); };
    LBox_Files->OnMouseDown = [this](int x, int y) { LBox_FilesMouseDown(x, y); };
    LBox_Files->OnMouseWheel = [this](int delta) { FormMouseWheel(delta); };

    Timer1 = std::make_unique<ui::Timer>(*this, 100, [this] { Timer1Timer(); });
    DirWatcher.Recursive = false;
    DirWatcher.OnChange = [this](int event, const std::wstring& bp, const std::wstring& bn,
                                 const std::wstring& ap, const std::wstring& an) {
        DirWatcherChange(event, bp, bn, ap, an);
    };
}

// Lays out the frame lines, the header panel and the list area from the
// current client size and header height (the panels' alignment). The lines
// are one design pixel thick.
static void LayoutFrame(TForm1& f) {
    int w = f.ClientWidth();
    int h = f.ClientHeight();
    int line = f.Scale(1);
    int headerHeight = f.Panel1->Height();
    auto& s = f.Splitters;
    s[2]->SetBounds(0, 0, w, line); // Splitter03: spacer above the header
    f.Panel1->SetBounds(0, line, w, headerHeight);
    s[0]->SetBounds(0, line + headerHeight, w, line);     // Splitter01: gray line
    s[1]->SetBounds(0, 2 * line + headerHeight, w, line); // Splitter02: spacer
    int listTop = 3 * line + headerHeight;
    int listHeight = std::max(0, h - listTop);
    f.Panel2->SetBounds(0, listTop, w, listHeight);
    s[5]->SetBounds(0, 0, w, line);                   // Splitter06: header top
    s[3]->SetBounds(0, 0, line, headerHeight);        // Splitter04: header left
    s[4]->SetBounds(w - line, 0, line, headerHeight); // Splitter05: header right
    s[6]->SetBounds(0, 0, w, line);                   // Splitter07: list top
    s[7]->SetBounds(0, listHeight - line, w, line);   // Splitter08: list bottom
    s[8]->SetBounds(0, 0, line, listHeight);          // Splitter09: list left
    s[9]->SetBounds(w - line, 0, line, listHeight);   // Splitter10: list right
    f.LBox_Files->SetBounds(line, line, std::max(0, w - 2 * line),
                            std::max(0, listHeight - 2 * line));
}

void TForm1::FormCreate() {
    ui::App().SetMessageHook([this](MSG& msg, bool& handled) { AppMessage(msg, handled); });
    SetCaption(NormalCaption);
    FileList.clear();
    DirHistory.clear();
    ZipHistory.clear();
    QaccessDirList.clear();
    ResultList.clear();
    DropList.clear();
    MarkedNames.clear();
    for (auto& line : Splitters)
        line->SetEnabled(false);
    CopyPropShown = HistDlgShown = MakeDirShown = MsgBoxShown = MessageShown = false;
    SortPropShown = false;
    RegisterDropTarget();
    ReadIniFile();
    // Stored bounds may be from a monitor that is gone, or damaged.
    BringOnScreen();
    SetEachFont();
}

void TForm1::SetWindowFont(const ui::FontSpec& font) {
    SetFont(font);
}

void TForm1::FormShow() {
    CalcPageLines();
    if (!CurDir.empty())
        ChangeDir(true);
}

void TForm1::FormResize() {
    if (!Panel1 || !LBox_Files)
        return;
    LayoutFrame(*this);
    ArrangeWindow();
}

void TForm1::FormDpiChanged() {
    MakeLineFont();
    FormResize();
}

void TForm1::FormClose() {
    DirWatcher.StopWatch();
    Timer1->SetEnabled(false);
    ui::Guarded([this] { WriteIniFile(); });
    DirHistory.clear();
    ZipHistory.clear();
    QaccessDirList.clear();
    ResultList.clear();
    DropList.clear();
    MarkedNames.clear();
}

void TForm1::FormDestroy() {
    RevokeDropTarget();
    ui::App().SetMessageHook(nullptr);
    ClearFileList();
}

void TForm1::SetEachFont() {
    ui::StaticText* texts[] = {Label_Path.get(),  StaticText1.get(),  StaticText2.get(),
                               StaticText3.get(), SText_Date.get(),   SText_Files.get(),
                               SText_Free.get(),  SText_Marked.get(), SText_Page.get(),
                               SText_SizeA.get(), SText_SizeM.get(),  SText_Total.get(),
                               SText_Used.get()};
    for (auto* t : texts)
        t->SetFont(Font());
    LBox_Files->SetFont(Font());
    MakeLineFont();
    SetColor(WindowColor);
    Panel1->SetBackColor(WindowColor);
    Panel2->SetBackColor(WindowColor);
    for (auto* t : texts)
        t->SetBackColor(WindowColor);
    LBox_Files->SetBackColor(WindowColor);
    for (auto* t : {LBox_Files.get()})
        t->SetFontColor(clWhite);
    for (auto* t : {Label_Path.get(), SText_Files.get(), SText_Marked.get()})
        t->SetFontColor(clWhite);
    for (auto* t : {StaticText1.get(), StaticText2.get(), StaticText3.get(), SText_Date.get(),
                    SText_Free.get(), SText_Page.get(), SText_SizeA.get(), SText_SizeM.get(),
                    SText_Total.get(), SText_Used.get()})
        t->SetFontColor(clCyan);
}

void TForm1::MakeLineFont() {
    ui::FontSpec plain = Font();
    plain.Style = 0;
    LineFont = ui::CreateFontFrom(plain, Dpi());
}

int LineHeight(HFONT font) {
    win::UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    win::UniqueBitmap scratch(CreateCompatibleBitmap(dc.get(), 1, 1));
    win::SelectGuard bitmap(dc.get(), scratch.get());
    win::SelectGuard select(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), L"0", 1, &size);
    return size.cy;
}

void TForm1::CalcPageLines() {
    int h = std::max(1, LineHeight(LBox_Files->FontHandle()));
    // A list area lower than one line still shows one line: the page
    // arithmetic never divides by zero.
    PageLines = std::max(1, LBox_Files->ClientHeight() / h);
    LBox_Files->SetItemHeight(h);
}

// The gap between the texts of the first row: 40 design pixels, less where
// the window is too narrow for the row to end before the clock (a large DPI
// on a small screen), but never less than 8.
int TForm1::FirstRowGap() const {
    int clockLeft = Panel1->Width() - SText_Date->Width() - Scale(10);
    int texts = SText_Page->Left() + SText_Page->Width() + SText_Total->Width() +
                SText_Used->Width() + SText_Free->Width();
    // Three gaps between the texts and one before the clock.
    return std::clamp((clockLeft - texts) / 4, Scale(8), Scale(40));
}

// The clock ends the first row. Where the window is too narrow for that row
// (a large DPI on a small screen), it moves to the free left end of the
// third row rather than cover the free space.
void TForm1::PlaceClock(int row3) {
    int right = Panel1->Width() - SText_Date->Width() - Scale(10);
    if (SText_Free->Left() + SText_Free->Width() + Scale(8) <= right)
        SText_Date->SetBounds(right, SText_Page->Top(), SText_Date->Width(), SText_Date->Height());
    else
        SText_Date->SetBounds(StaticText3->Left(), row3, SText_Date->Width(), SText_Date->Height());
}

void TForm1::ArrangeWindow() {
    CalcPageLines();
    int gap = FirstRowGap();
    SText_Total->SetLeft(SText_Page->Left() + SText_Page->Width() + gap);
    SText_Used->SetLeft(SText_Total->Left() + SText_Total->Width() + gap);
    SText_Free->SetLeft(SText_Used->Left() + SText_Used->Width() + gap);
    Label_Path->SetLeft(StaticText3->Left() + StaticText3->Width());
    // The path label does not size itself; it takes the height of its font.
    Label_Path->SetHeight(ui::MeasureText(Label_Path->FontHandle(), L"_").cy);
    int headerHeight =
        SText_Page->Height() + StaticText3->Height() + SText_Files->Height() + Scale(32);
    if (Panel1->Height() != headerHeight) {
        Panel1->SetHeight(headerHeight);
        LayoutFrame(*this);
        // The list area changed with the header.
        CalcPageLines();
    }
    int row2 = SText_Page->Height() + Scale(16);
    for (auto* c : {StaticText3.get(), Label_Path.get(), SText_Marked.get(), StaticText1.get(),
                    SText_SizeM.get()})
        c->SetTop(row2);
    int row3 = Panel1->Height() - SText_Files->Height() - Scale(8);
    for (auto* c : {SText_Files.get(), StaticText2.get(), SText_SizeA.get()})
        c->SetTop(row3);
    int panelWidth = Panel1->Width();
    int margin = Scale(10);
    for (auto* c : {SText_SizeM.get(), SText_SizeA.get()})
        c->SetLeft(panelWidth - c->Width() - margin);
    PlaceClock(row3);
    StaticText1->SetLeft(SText_SizeM->Left() - StaticText1->Width() - margin);
    StaticText2->SetLeft(SText_SizeA->Left() - StaticText2->Width() - margin);
    SText_Marked->SetLeft(StaticText1->Left() - SText_Marked->Width());
    SText_Files->SetLeft(StaticText1->Left() - SText_Files->Width());
    Label_Path->SetBounds(Label_Path->Left(), Label_Path->Top(),
                          SText_Marked->Left() - Label_Path->Left(), Label_Path->Height());
    if (!PathText.empty())
        Label_Path->SetText(FitText(PathText, Label_Path->FontHandle(),
                                    SText_Marked->Left() - Label_Path->Left() - margin));
    // Before the first scan the list is only unread: showing the window
    // reads it, and a second read here would double the start on a huge
    // directory.
    if (!CurDir.empty()) {
        if (!FileList.empty()) {
            NormalisePage();
            DrawPage();
        } else if (DirScanned && !Reloading) {
            RefreshDir(true);
        }
    }
}

void TForm1::RefreshDir(bool drawPage) {
    RaisedFlag reloading(Reloading);
    ShowDriveSpace();
    ShowPath();
    ScanDir();
    FollowScannedDir();
    ShowMarkedCount();
    ShowSizes();
    ShowPageIndicator();
    if (drawPage)
        DrawPage();
    LBox_Files->SetFocus();
}

void TForm1::ChangeDir(bool drawPage) {
    RaisedFlag reloading(Reloading);
    DriveSpaceReported = false;
    ShowDriveSpace();
    ShowPath();
    ScanDir();
    FollowScannedDir();
    ShowMarkedCount();
    ShowSizes();
    ShowPageIndicator();
    PageTop = 0;
    CurIndex = 0;
    if (drawPage)
        DrawPage();
    LBox_Files->SetFocus();
    DirWatcher.StopWatch();
    DirWatcher.Directory = CurDir;
    DirWatcher.StartWatch();
    AddHistory(CurDir, DirHistory);
}

void TForm1::SelectFont() {
    ui::FontSpec font = Font();
    if (!ui::ChooseFontDialog(Handle(), font))
        return;
    SetWindowFont(font);
    SetEachFont();
    ArrangeWindow();
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return Form::HandleMessage(msg, wp, lp);
}
