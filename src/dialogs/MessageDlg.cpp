#include "dialogs/MessageDlg.h"

#include "main/DialogFlags.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <algorithm>
#include <memory>

namespace {

class TMessageForm : public ui::Form {
  public:
    explicit TMessageForm(const std::wstring& text) {
        ui::FontSpec font;
        if (ui::Form* main = ui::App().MainForm())
            font = main->Font();
        font.Size = std::min(font.Size - 2, 12);
        font.Color = GetSysColor(COLOR_WINDOWTEXT);
        ui::FormStyle style;
        style.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        style.exStyle = WS_EX_DLGMODALFRAME;
        HWND owner = ui::App().MainForm() ? ui::App().MainForm()->Handle() : nullptr;
        CreateFrame(style, L"情報", owner);
        // The layout follows the text, measured in pixels at the form's DPI.
        SIZE textSize = ui::MeasureText(ui::CreateFontFrom(font, Dpi()).get(), text);
        int textLeft = Scale(16 + 32 + 12);
        int clientWidth =
            std::max(textLeft + static_cast<int>(textSize.cx) + Scale(24), Scale(200));
        int iconSize = Scale(32);
        int textTop = Scale(16) + std::max(0, (iconSize - static_cast<int>(textSize.cy)) / 2);
        int buttonTop = Scale(16) + std::max(iconSize, static_cast<int>(textSize.cy)) + Scale(16);
        SetClientSize(clientWidth, buttonTop + Scale(24 + 12));
        Icon = std::make_unique<ui::StaticText>(Handle(), 16, 16, 32, 32, L"", false);
        SetWindowLongPtrW(Icon->Handle(), GWL_STYLE,
                          GetWindowLongPtrW(Icon->Handle(), GWL_STYLE) | SS_ICON);
        SendMessageW(Icon->Handle(), STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
        Icon->SetBackColor(Color());
        Label1 = std::make_unique<ui::StaticText>(Handle(), 0, 0, 10, 10, text);
        Label1->SetBackColor(Color());
        Label1->SetBounds(textLeft, textTop, 1, 1);
        Label1->SetFont(font);
        Label1->SetFontColor(GetSysColor(COLOR_WINDOWTEXT));
        Button_Ok = std::make_unique<ui::Button>(*this, Handle(), 0, 0, 75, 24, L"OK", IDOK, true);
        Button_Ok->SetBounds((clientWidth - Scale(75)) / 2, buttonTop, Scale(75), Scale(24));
        Button_Ok->SetFont(font);
        Button_Ok->ModalResult = ui::mrOk;
    }
    std::unique_ptr<ui::StaticText> Icon, Label1;
    std::unique_ptr<ui::Button> Button_Ok;

  protected:
    void FormShow() override { Button_Ok->SetFocus(); }
};

} // namespace

int ShowMessageDlg(const std::wstring& text) {
    MessageShown = true;
    struct Clear {
        ~Clear() { MessageShown = false; }
    } clear;
    auto dialog = std::make_unique<TMessageForm>(text);
    if (ui::Form* main = ui::App().MainForm())
        dialog->CenterOver(*main);
    MessageBeep(MB_ICONINFORMATION);
    return dialog->ShowModal();
}
