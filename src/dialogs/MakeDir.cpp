#include "dialogs/MakeDir.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "ui/Application.h"

namespace {

constexpr int EditId = 100;

} // namespace

std::wstring TrimLeadingBlanks(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && text[i] <= L' ')
        ++i;
    return text.substr(i);
}

TMakeDir::TMakeDir() {
    CreateFrame(DialogStyle(336, 116), L"", MainHandle());
    // Created in tab order: OK, Cancel, then the edit.
    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 80, 75, 75, 24, L"OK", IDOK, true);
    Button_Ok->ModalResult = ui::mrOk;
    Button_Ok->OnClick = [this] { Button_OkClick(); };
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 184, 76, 75, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->ModalResult = ui::mrCancel;
    Edit1 = std::make_unique<ui::Edit>(Handle(), 16, 40, 305, 23, EditId);
    Label1 = std::make_unique<ui::StaticText>(Handle(), 16, 16, 273, 15, L"");
    Label1->KeepInside = true;
    Label1->SetBackColor(Color());
    SetEachFont();
}

TMakeDir::~TMakeDir() {
    MakeDirShown = false;
    if (MakeDir == this)
        MakeDir = nullptr;
}

void TMakeDir::SetEachFont() {
    ui::FontSpec font = DialogFont();
    Button_Cancel->SetFont(font);
    Button_Ok->SetFont(font);
    Edit1->SetFont(font);
    Label1->SetFont(font);
}

void TMakeDir::FormShow() {
    SetCaption(MainCaption());
    Label1->SetText(MakeDirPrompt);
    Edit1->SetText(MakeDirText);
    Edit1->SetFocus();
    SendMessageW(Edit1->Handle(), EM_SETSEL, 0, 0);
    MakeDirShown = true;
}

void TMakeDir::Button_OkClick() {
    MakeDirResult = TrimLeadingBlanks(Edit1->Text());
}

void TMakeDir::FormClose() {
    ui::App().ReleaseLater(this);
}

int ShowMakeDir() {
    MakeDir = static_cast<TMakeDir*>(ui::App().Adopt(std::make_unique<TMakeDir>()));
    return MakeDir->ShowModal();
}
