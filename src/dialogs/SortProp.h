#pragma once
// The sort options dialog: key, direction and natural order of the list.
// While it is shown its own key hook serves the letters of its captions.

#include "ui/Controls.h"
#include "ui/Form.h"

#include <windows.h>

#include <memory>

class TSortProp : public ui::Form {
  public:
    TSortProp();           // FormCreate
    ~TSortProp() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1;
    std::unique_ptr<ui::GroupBox> GroupBox1, GroupBox2, GroupBox3;
    std::unique_ptr<ui::RadioButton> Btn_Name, Btn_Ext, Btn_Size, Btn_Date;
    std::unique_ptr<ui::RadioButton> Btn_Up, Btn_Down;
    std::unique_ptr<ui::RadioButton> Btn_Shlw, Btn_NSrt;
    std::unique_ptr<ui::Button> Button_Ok, Button_Cancel;

    void SetEachFont();

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void Button_OkClick();
    void Button_CancelClick();
    void LoadSettings();
    void StoreSettings();
    void DialogAppMessage(MSG& msg, bool& handled);
    // Checks `button` and clears the other buttons of its group.
    void Check(ui::RadioButton& button);
    void CheckAndFocus(ui::RadioButton& button);
    bool KeyButtonFocused() const;
};

// The dialog of the last ShowSortProp; valid until it is released after the
// modal loop returned.
inline TSortProp* SortProp = nullptr;

// Shows a new TSortProp; 1 for OK (the settings are stored), 2 for Cancel,
// Esc or the close box.
int ShowSortProp();
