#include "dialogs/LogHist.h"

#include "dialogs/DialogFont.h"
#include "dialogs/MessageDlg.h"
#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "settings/History.h"
#include "subroutines/Subroutines.h"
#include "ui/Application.h"

#include <algorithm>

namespace {

enum { ID_EDIT1 = 101 };

// Directory paths keep the classic limit (below 248 characters).
constexpr size_t MaxDirectoryPath = 248;

bool PromptHas(const wchar_t* word) { return HistPrompt.find(word) != std::wstring::npos; }

// "X:\..." : a path that names its drive and starts at its root.
bool IsRootedDrivePath(const std::wstring& p) {
    return p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) &&
           p[1] == L':' && p[2] == L'\\';
}

void RemoveStyle(HWND hwnd, LONG_PTR bits) {
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~bits);
}

} // namespace

bool IsDestPrompt() { return PromptHas(L"コピー先") || PromptHas(L"ムーブ先"); }
bool IsDrivePrompt() { return PromptHas(L"ドライブ名"); }
bool IsZipPrompt() { return PromptHas(L"圧縮するファイル名"); }

// The modes are tested in this order: destination, drive, archive name.
static bool IsArchiveMode() { return !IsDestPrompt() && !IsDrivePrompt() && IsZipPrompt(); }

std::wstring NamePart(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\:");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring ZipFileName(const std::wstring& name) {
    size_t sep = name.find_last_of(L"\\:");
    size_t nameStart = sep == std::wstring::npos ? 0 : sep + 1;
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot >= nameStart)
        return name.substr(0, dot) + L".zip";
    return name + L".zip";
}

THistDlg::THistDlg() {
    CreateFrame(DialogStyle(354, 130), L"", MainHandle());
    Label1 = std::make_unique<ui::StaticText>(Handle(), 32, 8, 10, 10, L"");
    Label1->SetBackColor(Color());
    Label2 = std::make_unique<ui::StaticText>(Handle(), 32, 32, 10, 10, L"");
    Label2->SetBackColor(Color());
    Edit1 = std::make_unique<ui::Edit>(Handle(), 8, 56, 338, 23, ID_EDIT1);
    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 92, 96, 75, 24, L"OK", IDOK, true);
    Button_Ok->OnClick = [this] { Button_OkClick(); };
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 196, 96, 75, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->OnClick = [this] { Button_CancelClick(); };
    // Tab stays in the input field.
    RemoveStyle(Button_Ok->Handle(), WS_TABSTOP);
    RemoveStyle(Button_Cancel->Handle(), WS_TABSTOP);
    SetEachFont();
}

THistDlg::~THistDlg() { HistDlgShown = false; }

void THistDlg::SetEachFont() {
    ui::FontSpec font = DialogFont();
    Label1->SetFont(font);
    Label2->SetFont(font);
    Edit1->SetFont(font);
    Button_Ok->SetFont(font);
    Button_Cancel->SetFont(font);
}

void THistDlg::FormShow() {
    SetCaption(MainCaption());
    Label1->SetText(HistPrompt);
    Label2->SetText(HistInfo);
    HistIndex = HistList.empty() ? -1 : 0;
    if (IsDestPrompt() || IsDrivePrompt()) {
        if (HistList.empty())
            Edit1->SetText(MainForm() ? MainForm()->CurDir : std::wstring());
        else
            Edit1->SetText(HistList[0]);
    } else if (IsArchiveMode()) {
        Edit1->SetText(HistList.empty() ? std::wstring() : NamePart(HistList[0]));
    }
    Edit1->SetFocus();
    Edit1->SelectAll();
    HistDlgShown = true;
}

void THistDlg::FormClose() { ui::App().ReleaseLater(this); }

bool THistDlg::PreviewMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return false;
    WORD key = static_cast<WORD>(msg.wParam);
    if (key != VK_ESCAPE && key != VK_UP && key != VK_DOWN)
        return false;
    FormKeyDown(key);
    return true;
}

void THistDlg::FormKeyDown(WORD key) {
    int count = static_cast<int>(HistList.size());
    switch (key) {
    case VK_ESCAPE:
        Button_CancelClick();
        return;
    case VK_UP:
        if (HistIndex < count - 1)
            ++HistIndex;
        break;
    case VK_DOWN:
        if (HistIndex > 0)
            --HistIndex;
        break;
    }
    ShowHistEntry();
}

void THistDlg::ShowHistEntry() {
    bool valid = HistIndex >= 0 && HistIndex < static_cast<int>(HistList.size());
    std::wstring text = valid ? HistList[HistIndex] : std::wstring();
    Edit1->SetText(IsArchiveMode() ? NamePart(text) : text);
    Edit1->SelectAll();
}

void THistDlg::Button_OkClick() {
    // Leading blanks and control characters go; trailing blanks stay.
    std::wstring t = Edit1->Text();
    size_t lead = 0;
    while (lead < t.size() && t[lead] <= L' ')
        ++lead;
    t.erase(0, lead);
    if (IsDestPrompt() || IsDrivePrompt())
        AcceptDirectory(std::move(t));
    else if (IsArchiveMode())
        AcceptArchiveName(t);
    else
        SetModalResult(ui::mrCancel);
}

void THistDlg::AcceptDirectory(std::wstring t) {
    if (t.size() == 1) {
        wchar_t letter = t[0];
        CharUpperBuffW(&letter, 1);
        if (letter >= L'A' && letter <= L'Z')
            t = MainForm() ? MainForm()->DriveDirs[letter - L'A'] : std::wstring();
    }
    AddHistory(t, HistList);
    if (!IsDestPrompt()) {
        // The drive command changes to the answer: only a directory that
        // exists, named from its drive's root, within the path limit. A
        // relative name would be taken from the process's own working
        // directory, which the user never sees.
        const std::wstring& p = HistList[0];
        if (t.empty() || !IsRootedDrivePath(p) || p.size() >= MaxDirectoryPath ||
            !DirectoryExists(p)) {
            HistList.erase(HistList.begin());
            ShowMessageDlg(L"指定されたパスは存在しません");
            SetModalResult(ui::mrCancel);
            return;
        }
    }
    SetModalResult(ui::mrOk);
}

void THistDlg::AcceptArchiveName(const std::wstring& t) {
    std::wstring curDir = MainForm() ? MainForm()->CurDir : std::wstring();
    std::wstring path = curDir + NamePart(ZipFileName(t));
    if (int i = IndexOfText(HistList, path); i >= 0)
        HistList.erase(HistList.begin() + i);
    HistList.insert(HistList.begin(), path);
    if (HistList.size() > MaxHistory)
        HistList.resize(MaxHistory);
    SetModalResult(ui::mrOk);
}

void THistDlg::Button_CancelClick() { SetModalResult(ui::mrCancel); }

int ShowHistDlg() {
    auto* dialog = static_cast<THistDlg*>(ui::App().Adopt(std::make_unique<THistDlg>()));
    return dialog->ShowModal();
}
