#include "dialogs/MsgBox.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "ui/Application.h"

TMsgBox::TMsgBox() {
    CreateFrame(DialogStyle(320, 87), L"", MainHandle());
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 176, 48, 75, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->ModalResult = ui::mrCancel;
    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 80, 48, 75, 24, L"OK", IDOK, true);
    Button_Ok->ModalResult = ui::mrOk;
    // Tab order: OK first, then Cancel.
    SetWindowPos(Button_Ok->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Label1 = std::make_unique<ui::StaticText>(Handle(), 16, 16, 252, 15, L"");
    Label1->KeepInside = true;
    Label1->SetBackColor(Color());
    SetEachFont();
}

TMsgBox::~TMsgBox() {
    MsgBoxShown = false;
    if (MsgBox == this)
        MsgBox = nullptr;
}

void TMsgBox::SetEachFont() {
    ui::FontSpec font = DialogFont();
    Button_Cancel->SetFont(font);
    Button_Ok->SetFont(font);
    Label1->SetFont(font);
}

void TMsgBox::FormShow() {
    SetCaption(MainCaption());
    Label1->SetText(MsgBoxText);
    MsgBoxShown = true;
    Button_Ok->SetFocus();
}

void TMsgBox::FormClose() {
    ui::App().ReleaseLater(this);
}

int ShowMsgBox() {
    MsgBox = static_cast<TMsgBox*>(ui::App().Adopt(std::make_unique<TMsgBox>()));
    return MsgBox->ShowModal();
}
