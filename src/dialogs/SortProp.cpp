#include "dialogs/SortProp.h"

#include "dialogs/DialogFont.h"
#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "ui/Application.h"

#include <algorithm>
#include <array>

namespace {

enum {
    ID_GROUP1 = 101,
    ID_GROUP2,
    ID_GROUP3,
    ID_NAME,
    ID_EXT,
    ID_SIZE,
    ID_DATE,
    ID_UP,
    ID_DOWN,
    ID_SHLW,
    ID_NSRT
};

struct Rect {
    int left, top, width, height;
};

constexpr Rect Group1{8, 32, 201, 81};
constexpr Rect Group2{216, 32, 98, 81};
constexpr Rect Group3{320, 32, 115, 81};

} // namespace

TSortProp::TSortProp() {
    CreateFrame(DialogStyle(443, 158), L"", MainHandle());
    HWND self = Handle();
    // The radio buttons are the dialog's own children, placed inside their
    // frames: a group box passes no notifications on to the dialog, and the
    // dialog manager groups radio buttons only among siblings.
    auto radio = [self](const Rect& group, int left, int top, int width, const wchar_t* caption,
                        int id, bool first) {
        return std::make_unique<ui::RadioButton>(self, group.left + left, group.top + top, width,
                                                 17, caption, id, first);
    };
    Label1 =
        std::make_unique<ui::StaticText>(self, 123, 8, 181, 15, L"ソート条件を選択してください");
    Label1->SetBackColor(Color());
    GroupBox1 = std::make_unique<ui::GroupBox>(self, Group1.left, Group1.top, Group1.width,
                                               Group1.height, L"条件", Color(), true);
    Btn_Name = radio(Group1, 8, 24, 90, L"名前(N)", ID_NAME, true);
    Btn_Ext = radio(Group1, 104, 24, 90, L"拡張子(E)", ID_EXT, false);
    Btn_Size = radio(Group1, 8, 48, 90, L"サイズ(S)", ID_SIZE, false);
    Btn_Date = radio(Group1, 104, 48, 90, L"日付(T)", ID_DATE, false);
    GroupBox2 = std::make_unique<ui::GroupBox>(self, Group2.left, Group2.top, Group2.width,
                                               Group2.height, L"順番", Color(), true);
    Btn_Up = radio(Group2, 8, 24, 81, L"昇順(U)", ID_UP, true);
    Btn_Down = radio(Group2, 8, 48, 81, L"降順(D)", ID_DOWN, false);
    GroupBox3 = std::make_unique<ui::GroupBox>(self, Group3.left, Group3.top, Group3.width,
                                               Group3.height, L"ソート種別", Color(), true);
    Btn_Shlw = radio(Group3, 8, 24, 98, L"自然順1(1)", ID_SHLW, true);
    Btn_NSrt = radio(Group3, 8, 48, 98, L"自然順2(2)", ID_NSRT, false);
    Button_Ok = std::make_unique<ui::Button>(*this, self, 144, 124, 75, 24, L"OK", IDOK, true);
    SetWindowLongPtrW(Button_Ok->Handle(), GWL_STYLE,
                      GetWindowLongPtrW(Button_Ok->Handle(), GWL_STYLE) | WS_GROUP);
    Button_Ok->OnClick = [this] { Button_OkClick(); };
    Button_Cancel = std::make_unique<ui::Button>(*this, self, 232, 124, 75, 24, L"ｷｬﾝｾﾙ", IDCANCEL);
    Button_Cancel->OnClick = [this] { Button_CancelClick(); };
    for (auto* b : {Btn_Name.get(), Btn_Up.get(), Btn_Shlw.get()})
        b->SetChecked(true);
    SetEachFont();
}

TSortProp::~TSortProp() {
    SortPropShown = false;
    if (SortProp == this)
        SortProp = nullptr;
}

void TSortProp::SetEachFont() {
    ui::FontSpec font = DialogFont();
    ui::Control* controls[] = {
        Label1.get(),   GroupBox1.get(), GroupBox2.get(), GroupBox3.get(),    Btn_Name.get(),
        Btn_Ext.get(),  Btn_Size.get(),  Btn_Date.get(),  Btn_Up.get(),       Btn_Down.get(),
        Btn_Shlw.get(), Btn_NSrt.get(),  Button_Ok.get(), Button_Cancel.get()};
    for (auto* c : controls)
        c->SetFont(font);
}

void TSortProp::FormShow() {
    SetCaption(MainCaption());
    // Where the settings name no key, the focus stays on the first control.
    Btn_Name->SetFocus();
    LoadSettings();
    SortPropShown = true;
    ui::App().SetMessageHook([](MSG& msg, bool& handled) {
        if (SortProp)
            SortProp->DialogAppMessage(msg, handled);
    });
}

void TSortProp::FormClose() {
    ui::App().ReleaseLater(this);
}

void TSortProp::Button_OkClick() {
    StoreSettings();
    SetModalResult(ui::mrOk);
}

void TSortProp::Button_CancelClick() {
    SetModalResult(ui::mrCancel);
}

void TSortProp::LoadSettings() {
    TForm1* main = MainForm();
    if (!main)
        return;
    ui::RadioButton* keys[] = {Btn_Ext.get(), Btn_Name.get(), Btn_Size.get(), Btn_Date.get()};
    if (main->SortKey < std::size(keys))
        CheckAndFocus(*keys[main->SortKey]);
    Check(main->SortForward ? *Btn_Up : *Btn_Down);
    Check(main->SortShlwapi ? *Btn_Shlw : *Btn_NSrt);
}

void TSortProp::StoreSettings() {
    TForm1* main = MainForm();
    if (!main)
        return;
    if (Btn_Ext->Checked())
        main->SortKey = 0;
    else if (Btn_Name->Checked())
        main->SortKey = 1;
    else if (Btn_Size->Checked())
        main->SortKey = 2;
    else
        main->SortKey = 3;
    main->SortForward = Btn_Up->Checked();
    main->SortShlwapi = Btn_Shlw->Checked();
}

void TSortProp::Check(ui::RadioButton& button) {
    std::array<ui::RadioButton*, 4> groups[] = {
        {Btn_Name.get(), Btn_Ext.get(), Btn_Size.get(), Btn_Date.get()},
        {Btn_Up.get(), Btn_Down.get(), nullptr, nullptr},
        {Btn_Shlw.get(), Btn_NSrt.get(), nullptr, nullptr}};
    for (auto& group : groups) {
        if (std::find(group.begin(), group.end(), &button) == group.end())
            continue;
        for (auto* b : group)
            if (b)
                b->SetChecked(b == &button);
    }
}

void TSortProp::CheckAndFocus(ui::RadioButton& button) {
    Check(button);
    button.SetFocus();
}

bool TSortProp::KeyButtonFocused() const {
    for (auto* b : {Btn_Ext.get(), Btn_Name.get(), Btn_Size.get(), Btn_Date.get()})
        if (b->Focused())
            return true;
    return false;
}

void TSortProp::DialogAppMessage(MSG& msg, bool& handled) {
    if (msg.message != WM_KEYDOWN)
        return;
    switch (msg.wParam) {
    case VK_RETURN:
        // On a direction button (or any other control) Enter is left to the
        // dialog, whose default button then closes it with OK.
        if (KeyButtonFocused()) {
            TForm1* main = MainForm();
            CheckAndFocus(!main || main->SortForward ? *Btn_Up : *Btn_Down);
            handled = true;
        }
        return;
    case '1':
        Check(*Btn_Shlw);
        break;
    case '2':
        Check(*Btn_NSrt);
        break;
    case 'D':
        CheckAndFocus(*Btn_Down);
        break;
    case 'E':
        CheckAndFocus(*Btn_Ext);
        break;
    case 'N':
        CheckAndFocus(*Btn_Name);
        break;
    case 'S':
        CheckAndFocus(*Btn_Size);
        break;
    case 'T':
        CheckAndFocus(*Btn_Date);
        break;
    case 'U':
        CheckAndFocus(*Btn_Up);
        break;
    default:
        return;
    }
    handled = true;
}

int ShowSortProp() {
    SortProp = static_cast<TSortProp*>(ui::App().Adopt(std::make_unique<TSortProp>()));
    TSortProp* dialog = SortProp;
    try {
        return dialog->ShowModal();
    } catch (...) {
        // The modal loop did not end normally: the dialog is released all the same.
        ui::App().ReleaseLater(dialog);
        throw;
    }
}
