#include "dialogs/Qaccess.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "settings/History.h"
#include "ui/Application.h"

namespace {

enum { ID_DIRLIST = 101, ID_REGDIR = 102, ID_DELDIR = 103 };

constexpr int MaxQaccessEntries = 100;

TStringList EmptyList;

TStringList& QaccessDirList() { return MainForm() ? MainForm()->QaccessDirList : EmptyList; }
TStringList& ResultList() { return MainForm() ? MainForm()->ResultList : EmptyList; }

} // namespace

TQaccess::TQaccess() {
    CreateFrame(DialogStyle(393, 246), L"", MainHandle());
    Label1 = std::make_unique<ui::StaticText>(Handle(), 16, 8, 10, 10, L"");
    Label1->SetBackColor(Color());
    LBox_DirList = std::make_unique<ui::ListBox>(Handle(), 8, 31, 377, 170, ID_DIRLIST,
                                                 /*ownerDraw=*/false);
    LBox_DirList->OnDblClick = [this] { LBox_DirListDblClick(); };
    Button_RegDir = std::make_unique<ui::Button>(*this, Handle(), 8, 212, 142, 24,
                                                 L"現パスを登録(Ins)", ID_REGDIR);
    Button_RegDir->OnClick = [this] { Button_RegDirClick(); };
    Button_DelDir =
        std::make_unique<ui::Button>(*this, Handle(), 156, 212, 86, 24, L"消去(Del)", ID_DELDIR);
    Button_DelDir->OnClick = [this] { Button_DelDirClick(); };
    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 249, 212, 65, 24, L"OK", IDOK, true);
    Button_Ok->OnClick = [this] { Button_OkClick(); };
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 320, 212, 65, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->OnClick = [this] { Button_CancelClick(); };
    SetEachFont();
    // After the font: a plain list box takes its item height from its font.
    LBox_DirList->SetItemHeight(15);
}

TQaccess::~TQaccess() { QaccessShown = false; }

void TQaccess::SetEachFont() {
    ui::FontSpec font = DialogFont();
    Label1->SetFont(font);
    LBox_DirList->SetFont(font);
    Button_RegDir->SetFont(font);
    Button_DelDir->SetFont(font);
    Button_Ok->SetFont(font);
    Button_Cancel->SetFont(font);
}

void TQaccess::FormShow() {
    SetCaption(MainCaption());
    Label1->SetText(QaccessPrompt);
    QaccessDirMode = QaccessPrompt.find(L"ディレクトリ") != std::wstring::npos;
    if (QaccessDirMode) {
        ShowEntries(QaccessDirList(), QaccessDirList().empty() ? -1 : 0);
        LBox_DirList->SetFocus();
    } else {
        for (auto* button : {Button_Cancel.get(), Button_DelDir.get(), Button_RegDir.get()})
            ShowWindow(button->Handle(), SW_HIDE);
        ShowEntries(ResultList(), -1);
        Button_Ok->SetFocus();
    }
    QaccessShown = true;
}

void TQaccess::FormClose() { ui::App().ReleaseLater(this); }

bool TQaccess::PreviewMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return false;
    if (!QaccessDirMode)
        return msg.wParam == VK_ESCAPE; // only OK, Enter and the close box end it
    if (msg.wParam == VK_INSERT)
        Button_RegDirClick();
    else if (msg.wParam == VK_DELETE)
        Button_DelDirClick();
    return false;
}

void TQaccess::ShowEntries(const TStringList& entries, int selected) {
    LBox_DirList->BeginUpdate();
    LBox_DirList->Clear();
    for (const auto& entry : entries)
        LBox_DirList->Add(entry);
    LBox_DirList->SetItemIndex(selected);
    LBox_DirList->EndUpdate();
}

TStringList TQaccess::Entries() const {
    TStringList entries;
    for (int i = 0; i < LBox_DirList->Count(); ++i)
        entries.push_back(LBox_DirList->Item(i));
    return entries;
}

void TQaccess::StoreEntries() { QaccessDirList() = Entries(); }

void TQaccess::Button_RegDirClick() {
    std::wstring curDir = MainForm() ? MainForm()->CurDir : std::wstring();
    TStringList entries = Entries();
    if (int i = IndexOfText(entries, curDir); i >= 0)
        entries.erase(entries.begin() + i);
    entries.insert(entries.begin(), curDir);
    if (entries.size() > MaxQaccessEntries)
        entries.resize(MaxQaccessEntries);
    ShowEntries(entries, 0);
    StoreEntries();
}

void TQaccess::Button_DelDirClick() {
    if (!QaccessDirMode)
        return;
    int selected = LBox_DirList->ItemIndex();
    if (selected >= 0) {
        TStringList entries = Entries();
        entries.erase(entries.begin() + selected);
        ShowEntries(entries, -1);
        StoreEntries();
    }
    LBox_DirList->SetFocus();
}

void TQaccess::Button_OkClick() {
    if (QaccessDirMode) {
        int selected = LBox_DirList->ItemIndex();
        if (selected > 0) {
            TStringList entries = Entries();
            std::wstring chosen = entries[selected];
            entries.erase(entries.begin() + selected);
            entries.insert(entries.begin(), chosen);
            ShowEntries(entries, 0);
            StoreEntries();
        }
    }
    SetModalResult(ui::mrOk);
}

void TQaccess::Button_CancelClick() { SetModalResult(ui::mrCancel); }

void TQaccess::LBox_DirListDblClick() {
    if (QaccessDirMode)
        Button_OkClick();
}

int ShowQaccess() {
    auto* dialog = static_cast<TQaccess*>(ui::App().Adopt(std::make_unique<TQaccess>()));
    return dialog->ShowModal();
}
