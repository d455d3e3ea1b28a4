#pragma once
// The quick-access directory list, and the same window showing the result
// list of a copy or move.
//
// Quick-access mode (QaccessPrompt contains "ディレクトリ"): the list shows
// QaccessDirList of the main window; Register (Insert) adds CurDir, Delete
// (Del) removes the selected entry, both at once; OK moves the selected
// entry to the top, so that QaccessDirList[0] is the choice.
// Result-list mode (any other prompt): the list shows the main window's
// ResultList; only OK, Enter and the close box end it.

#include "main/DataRec.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>
#include <string>

// The dialog's first line; selects the mode.
inline std::wstring QaccessPrompt;
// True while the dialog runs in quick-access mode.
inline bool QaccessDirMode = false;

class TQaccess : public ui::Form {
  public:
    TQaccess();
    ~TQaccess() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1;
    std::unique_ptr<ui::ListBox> LBox_DirList;
    std::unique_ptr<ui::Button> Button_RegDir;
    std::unique_ptr<ui::Button> Button_DelDir;
    std::unique_ptr<ui::Button> Button_Ok;
    std::unique_ptr<ui::Button> Button_Cancel;

    void SetEachFont();
    void Button_RegDirClick();
    void Button_DelDirClick();
    void Button_OkClick();
    void Button_CancelClick();
    void LBox_DirListDblClick();

    // Insert and Delete in quick-access mode; Esc held back in result-list
    // mode.
    bool PreviewMessage(MSG& msg) override;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    // The list box shows `entries`, entry `selected` selected (-1: none).
    void ShowEntries(const TStringList& entries, int selected);
    TStringList Entries() const;
    // QaccessDirList := the list box's entries.
    void StoreEntries();
};

// Shows a new TQaccess; 1 for OK, 2 for Cancel, Esc or the close box.
int ShowQaccess();
