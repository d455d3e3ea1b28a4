#include "dialogs/RenProp.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "ui/Application.h"

namespace {
constexpr int RadioId = 100;
constexpr int GroupLeft = 8, GroupTop = 32;
} // namespace

TRenProp::TRenProp() {
    CreateFrame(DialogStyle(289, 140), L"", MainHandle());
    Label1 = std::make_unique<ui::StaticText>(Handle(), 8, 8, 221, 15,
                                              L"マークされたファイル名を変更します");
    Label1->KeepInside = true;
    Label1->SetBackColor(Color());
    GroupBox1 =
        std::make_unique<ui::GroupBox>(Handle(), GroupLeft, GroupTop, 257, 60, L"条件", Color());
    // The radio button sits on the form over the group, so that its clicks
    // reach the form (a group box passes no notifications on).
    Btn_R = std::make_unique<ui::RadioButton>(Handle(), GroupLeft + 10, GroupTop + 24, 239, 17,
                                              L"１ファイルずつ名前を変更(R)", RadioId, true);
    Btn_R->SetChecked(true);
    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 56, 104, 75, 24, L"OK", IDOK, true);
    Button_Ok->ModalResult = ui::mrOk;
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 144, 104, 75, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->ModalResult = ui::mrCancel;
    SetEachFont();
}

TRenProp::~TRenProp() {
    RenPropShown = false;
    if (RenProp == this)
        RenProp = nullptr;
}

void TRenProp::SetEachFont() {
    ui::FontSpec font = DialogFont();
    Label1->SetFont(font);
    GroupBox1->SetFont(font);
    Btn_R->SetFont(font);
    Button_Ok->SetFont(font);
    Button_Cancel->SetFont(font);
}

void TRenProp::FormShow() {
    SetCaption(MainCaption());
    RenPropShown = true;
    Button_Ok->SetFocus();
}

void TRenProp::FormClose() {
    ui::App().ReleaseLater(this);
}

int ShowRenProp() {
    RenProp = static_cast<TRenProp*>(ui::App().Adopt(std::make_unique<TRenProp>()));
    return RenProp->ShowModal();
}
