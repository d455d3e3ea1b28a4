#pragma once
// The confirmation dialog: one line of text, OK and Cancel.

#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>
#include <string>

// The text the next TMsgBox shows.
inline std::wstring MsgBoxText;

class TMsgBox : public ui::Form {
  public:
    TMsgBox();
    ~TMsgBox() override; // FormDestroy

    std::unique_ptr<ui::Button> Button_Cancel;
    std::unique_ptr<ui::Button> Button_Ok;
    std::unique_ptr<ui::StaticText> Label1;

    void SetEachFont();

  protected:
    void FormShow() override;
    void FormClose() override;
};

// The dialog of the last ShowMsgBox; valid until it is released after the
// modal loop returned.
inline TMsgBox* MsgBox = nullptr;

// Shows a new TMsgBox with MsgBoxText; 1 for OK, 2 for Cancel, Esc or the
// close box.
int ShowMsgBox();
