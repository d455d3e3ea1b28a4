// The input dialog and the rename-mode dialog: layout, texts, keys.

#include "Steps.h"
#include "main/DialogFlags.h"
#include "support/WindowDriver.h"

namespace {

TEST(MakeDirDialog, LayoutCaptionAndFonts) {
    TempTree t;
    WindowDriver w(t.Root());
    ui::FontSpec font = w.Form().Font();
    font.Size = 20;
    w.Form().SetWindowFont(font);
    bool checked = false;
    w.OnDialogs({[&](ui::Form& f) {
        auto& d = dynamic_cast<TMakeDir&>(f);
        EXPECT_EQ(d.ClientWidth(), 336);
        EXPECT_EQ(d.ClientHeight(), 116);
        EXPECT_EQ(d.Caption(), w.Form().Caption());
        EXPECT_EQ(d.Label1->Text(), L"prompt");
        EXPECT_EQ(d.Edit1->Text(), L"initial");
        EXPECT_EQ(d.Button_Cancel->Text(), L"ｷｬﾝｾﾙ");
        EXPECT_EQ(d.Edit1->Left(), 16);
        EXPECT_EQ(d.Edit1->Top(), 40);
        EXPECT_EQ(d.Button_Ok->Left(), 80);
        EXPECT_EQ(d.Button_Cancel->Top(), 76);
        for (const ui::Control* c :
             {static_cast<ui::Control*>(d.Label1.get()), static_cast<ui::Control*>(d.Edit1.get()),
              static_cast<ui::Control*>(d.Button_Ok.get())})
            EXPECT_EQ(c->Font().Size, 12);
        EXPECT_TRUE(d.Edit1->Focused());
        DWORD from = 1, to = 1;
        SendMessageW(d.Edit1->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, to); // nothing selected
        EXPECT_TRUE(MakeDirShown);
        checked = true;
        d.Button_Cancel->Click();
    }});
    MakeDirPrompt = L"prompt";
    MakeDirText = L"initial";
    EXPECT_EQ(ShowMakeDir(), 2);
    MakeDir = nullptr;
    w.Pump();
    EXPECT_TRUE(checked);
    EXPECT_FALSE(MakeDirShown);
}

TEST(MakeDirDialog, EnterConfirmsWithoutLeadingBlanksAndEscKeepsTheLastResult) {
    TempTree t;
    WindowDriver w(t.Root());
    auto typeAndPress = [](std::wstring text, WORD key) {
        return [text, key](ui::Form& f) {
            auto& d = dynamic_cast<TMakeDir&>(f);
            d.Edit1->SetText(text);
            PostKey(d.Edit1->Handle(), key);
        };
    };
    MakeDirResult = L"before";
    w.OnDialogs(
        {typeAndPress(L" \t\x01\x3000name ", VK_RETURN), typeAndPress(L"ignored", VK_ESCAPE)});
    EXPECT_EQ(ShowMakeDir(), 1);
    EXPECT_EQ(MakeDirResult, L"\x3000name "); // an ideographic space is no blank
    EXPECT_EQ(ShowMakeDir(), 2);
    EXPECT_EQ(MakeDirResult, L"\x3000name ");
    MakeDir = nullptr;
    w.Pump();
}

TEST(RenPropDialog, LayoutAndResults) {
    TempTree t;
    WindowDriver w(t.Root());
    w.OnDialogs({[&](ui::Form& f) {
                     auto& d = dynamic_cast<TRenProp&>(f);
                     EXPECT_EQ(d.ClientWidth(), 289);
                     EXPECT_EQ(d.ClientHeight(), 140);
                     EXPECT_EQ(d.Caption(), w.Form().Caption());
                     EXPECT_EQ(d.Label1->Text(), L"マークされたファイル名を変更します");
                     EXPECT_EQ(d.GroupBox1->Text(), L"条件");
                     EXPECT_EQ(d.Btn_R->Text(), L"１ファイルずつ名前を変更(R)");
                     EXPECT_TRUE(d.Btn_R->Checked());
                     EXPECT_TRUE(RenPropShown);
                     PostKey(d.Button_Ok->Handle(), VK_RETURN);
                 },
                 [](ui::Form& f) { PostKey(f.Handle(), VK_ESCAPE); }});
    EXPECT_EQ(ShowRenProp(), 1);
    EXPECT_EQ(ShowRenProp(), 2);
    RenProp = nullptr;
    w.Pump();
    EXPECT_FALSE(RenPropShown);
}

} // namespace
