#pragma once
// The single-line input dialog: a prompt, one edit, OK and Cancel. Every
// command that asks for one name or word uses it.

#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>
#include <string>

// The prompt and the initial text of the next TMakeDir; set before each use.
inline std::wstring MakeDirPrompt;
inline std::wstring MakeDirText;
// The confirmed text without its leading blanks; only OK changes it.
inline std::wstring MakeDirResult;

class TMakeDir : public ui::Form {
  public:
    TMakeDir();
    ~TMakeDir() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1;
    std::unique_ptr<ui::Edit> Edit1;
    std::unique_ptr<ui::Button> Button_Ok;
    std::unique_ptr<ui::Button> Button_Cancel;

    void SetEachFont();
    void Button_OkClick();

  protected:
    void FormShow() override;
    void FormClose() override;
};

// The dialog of the last ShowMakeDir; valid until it is released after the
// modal loop returned.
inline TMakeDir* MakeDir = nullptr;

// Shows a new TMakeDir with MakeDirPrompt and MakeDirText; 1 for OK (then
// MakeDirResult holds the answer), 2 for Cancel, Esc or the close box.
int ShowMakeDir();

// `text` without its leading blanks: the characters with codes up to 32
// (an ideographic space is not one of them).
std::wstring TrimLeadingBlanks(const std::wstring& text);
