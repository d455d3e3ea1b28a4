#include "dialogs/CopyProp.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "subroutines/Subroutines.h"
#include "ui/Application.h"

#include <cwctype>

namespace {

enum ControlId { IdBtnU = 101, IdBtnB, IdBtnS, IdBtnR, IdBtnO, IdBtnN, IdButtonAll };

// The group box's origin: its radio buttons are placed relative to it.
constexpr int GroupLeft = 56, GroupTop = 106;

} // namespace

std::unique_ptr<ui::StaticText> TCopyProp::MakeValueBox(int left, int top, int width) {
    auto box = std::make_unique<ui::StaticText>(Handle(), left, top, width, 22, L"", false);
    HWND h = box->Handle();
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
    SetWindowLongPtrW(h, GWL_STYLE, style | SS_CENTER | SS_SUNKEN);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    box->SetBackColor(RGB(255, 255, 255));
    return box;
}

TCopyProp::TCopyProp() {
    CreateFrame(DialogStyle(396, 330), L"", MainHandle());
    auto label = [&](int left, int top, int width, const wchar_t* text) {
        // Sized to their text, so that no heading or file name is cut off in a
        // wider font.
        auto l = std::make_unique<ui::StaticText>(Handle(), left, top, width, 15, text, true);
        l->SetBackColor(Color());
        return l;
    };
    Label1 = label(8, 8, 245, L"");
    Label2 = label(136, 32, 66, L"[更新日時]");
    Label4 = label(264, 32, 106, L"[サイズ(バイト)]");
    Label5 = label(8, 56, 66, L"[コピー元]");
    Label3 = label(8, 80, 66, L"[コピー先]");
    SText_SrcDate = MakeValueBox(88, 56, 172);
    SText_SrcSize = MakeValueBox(264, 56, 124);
    SText_DstDate = MakeValueBox(88, 80, 172);
    SText_DstSize = MakeValueBox(264, 80, 124);
    GroupBox1 =
        std::make_unique<ui::GroupBox>(Handle(), GroupLeft, GroupTop, 281, 182, L"条件", Color());

    // Created in tab order; the buttons are children of the form (not of the
    // group box) so that their notifications reach it.
    auto radio = [&](int top, const wchar_t* caption, int id) {
        auto r = std::make_unique<ui::RadioButton>(Handle(), GroupLeft + 16, GroupTop + top, 257,
                                                   17, caption, id, id == IdBtnU);
        r->SetBackColor(Color());
        return r;
    };
    Btn_U = radio(24, L"新しい日付をコピー(U)", IdBtnU);
    Btn_B = radio(48, L"サイズが大きい場合にコピー(B)", IdBtnB);
    Btn_S = radio(73, L"サイズが小さい場合にコピー(S)", IdBtnS);
    Btn_R = radio(96, L"名前を変えてコピー(R)", IdBtnR);
    Btn_O = radio(120, L"上書きコピー(O)", IdBtnO);
    Btn_N = radio(144, L"同名はコピーしない(N)", IdBtnN);
    Btn_U->SetChecked(true);

    Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 49, 296, 88, 24, L"OK", IDOK, true);
    // The push buttons start a group of their own, ending the radio group.
    SetWindowLongPtrW(Button_Ok->Handle(), GWL_STYLE,
                      GetWindowLongPtrW(Button_Ok->Handle(), GWL_STYLE) | WS_GROUP);
    Button_Ok->OnClick = [this] { Button_OkClick(); };
    Button_All = std::make_unique<ui::Button>(*this, Handle(), 140, 296, 113, 24, L"以降全てOK(A)",
                                              IdButtonAll);
    Button_All->OnClick = [this] { Button_AllClick(); };
    Button_Cancel =
        std::make_unique<ui::Button>(*this, Handle(), 257, 296, 88, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->ModalResult = ui::mrCancel;
    SetEachFont();
}

TCopyProp::~TCopyProp() {
    CopyPropShown = false;
    if (CopyProp == this)
        CopyProp = nullptr;
}

void TCopyProp::SetEachFont() {
    ui::FontSpec font = DialogFont();
    for (ui::Control* c : std::initializer_list<ui::Control*>{
             Label1.get(), Label2.get(), Label3.get(), Label4.get(), Label5.get(),
             SText_SrcDate.get(), SText_SrcSize.get(), SText_DstDate.get(), SText_DstSize.get(),
             GroupBox1.get(), Btn_U.get(), Btn_B.get(), Btn_S.get(), Btn_R.get(), Btn_O.get(),
             Btn_N.get(), Button_Ok.get(), Button_All.get(), Button_Cancel.get()})
        c->SetFont(font);
}

ui::RadioButton* TCopyProp::RuleButton(int mode) const {
    switch (mode) {
    case 0:
        return Btn_B.get();
    case 1:
        return Btn_N.get();
    case 2:
        return Btn_O.get();
    case 3:
        return Btn_R.get();
    case 4:
        return Btn_S.get();
    case 5:
        return Btn_U.get();
    default:
        return nullptr;
    }
}

void TCopyProp::CheckOnly(ui::RadioButton* button) {
    for (int mode = 0; mode <= 5; ++mode)
        RuleButton(mode)->SetChecked(RuleButton(mode) == button);
}

void TCopyProp::FormShow() {
    SetCaption(MainCaption());
    // A name too long for the dialog gives up its middle, not its end.
    Label1->SetText(
        FitTextInMiddle(ConflictText, Label1->FontHandle(), ClientWidth() - 2 * Label1->Left()));
    LoadSettings();
    SText_DstDate->SetText(DstDateText);
    SText_DstSize->SetText(DstSizeText);
    SText_SrcDate->SetText(SrcDateText);
    SText_SrcSize->SetText(SrcSizeText);
    CopyPropShown = true;
}

void TCopyProp::LoadSettings() {
    TForm1* main = MainForm();
    if (main && main->SameDirCopy) {
        for (auto* b : {Btn_B.get(), Btn_N.get(), Btn_O.get(), Btn_S.get(), Btn_U.get()})
            b->SetEnabled(false);
        CheckOnly(Btn_R.get());
        Btn_R->SetFocus();
        return;
    }
    if (ui::RadioButton* b = RuleButton(main ? main->CopyMode : 5)) {
        CheckOnly(b);
        b->SetFocus();
    }
}

void TCopyProp::StoreSettings() {
    TForm1* main = MainForm();
    if (!main || main->SameDirCopy)
        return;
    for (int mode = 0; mode <= 4; ++mode)
        if (RuleButton(mode)->Checked()) {
            main->CopyMode = static_cast<uint8_t>(mode);
            return;
        }
    main->CopyMode = 5;
}

void TCopyProp::Button_OkClick() {
    StoreSettings();
    SetModalResult(ui::mrOk);
}

void TCopyProp::Button_AllClick() {
    if (TForm1* main = MainForm())
        main->ApplyToAll = true;
    Button_OkClick();
}

bool TCopyProp::FormKeyPress(wchar_t key) {
    wchar_t upper = static_cast<wchar_t>(std::towupper(key));
    if (upper == L'A') {
        Button_AllClick();
        return true;
    }
    static constexpr struct {
        wchar_t letter;
        int mode;
    } letters[] = {{L'B', 0}, {L'N', 1}, {L'O', 2}, {L'R', 3}, {L'S', 4}, {L'U', 5}};
    for (const auto& l : letters)
        if (upper == l.letter) {
            // A rule that is not offered (same-directory copy) is not chosen.
            ui::RadioButton* b = RuleButton(l.mode);
            if (b->Enabled())
                CheckOnly(b);
        }
    return true;
}

bool TCopyProp::PreviewMessage(MSG& msg) {
    // Enter and Esc arrive as key-downs and reach the buttons through the
    // dialog navigation; every character typed is the dialog's own.
    if (msg.message == WM_CHAR && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)
        return FormKeyPress(static_cast<wchar_t>(msg.wParam));
    return false;
}

void TCopyProp::FormClose() {
    ui::App().ReleaseLater(this);
}

int ShowCopyProp() {
    CopyProp = static_cast<TCopyProp*>(ui::App().Adopt(std::make_unique<TCopyProp>()));
    return CopyProp->ShowModal();
}
