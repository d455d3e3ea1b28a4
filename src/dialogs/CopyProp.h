#pragma once
// The conflict dialog of copy and move: the dates and sizes of the source and
// of the existing destination, and the rule that decides what happens.

#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>
#include <string>

// Texts the next TCopyProp shows.
inline std::wstring ConflictText;
inline std::wstring SrcDateText, SrcSizeText, DstDateText, DstSizeText;

class TCopyProp : public ui::Form {
  public:
    TCopyProp();
    ~TCopyProp() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1, Label2, Label3, Label4, Label5;
    std::unique_ptr<ui::StaticText> SText_SrcDate, SText_SrcSize, SText_DstDate, SText_DstSize;
    std::unique_ptr<ui::GroupBox> GroupBox1;
    std::unique_ptr<ui::RadioButton> Btn_U, Btn_B, Btn_S, Btn_R, Btn_O, Btn_N;
    std::unique_ptr<ui::Button> Button_Ok, Button_All, Button_Cancel;

    void SetEachFont();
    void LoadSettings();
    void StoreSettings();
    void Button_OkClick();
    void Button_AllClick();
    // A typed character; true when it was consumed.
    bool FormKeyPress(wchar_t key);
    // The radio button of a rule (0 to 5, as CopyMode counts), or null.
    ui::RadioButton* RuleButton(int mode) const;

    bool PreviewMessage(MSG& msg) override;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    std::unique_ptr<ui::StaticText> MakeValueBox(int left, int top, int width);
    void CheckOnly(ui::RadioButton* button);
};

// The dialog of the last ShowCopyProp; valid until it is released after the
// modal loop returned.
inline TCopyProp* CopyProp = nullptr;

// Shows a new TCopyProp; 1 for OK and All, 2 for Cancel, Esc or the close box.
int ShowCopyProp();
