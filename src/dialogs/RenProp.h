#pragma once
// The confirmation of the marked-entries rename and its (single) mode.

#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>

class TRenProp : public ui::Form {
  public:
    TRenProp();
    ~TRenProp() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1;
    std::unique_ptr<ui::GroupBox> GroupBox1;
    std::unique_ptr<ui::RadioButton> Btn_R;
    std::unique_ptr<ui::Button> Button_Ok;
    std::unique_ptr<ui::Button> Button_Cancel;

    void SetEachFont();

  protected:
    void FormShow() override;
    void FormClose() override;
};

// The dialog of the last ShowRenProp; valid until it is released after the
// modal loop returned.
inline TRenProp* RenProp = nullptr;

// Shows a new TRenProp; 1 for OK, 2 for Cancel, Esc or the close box.
int ShowRenProp();
