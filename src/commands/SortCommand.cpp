// The sort options command.

#include "main/Form1.h"

#include "dialogs/SortProp.h"
#include "subroutines/Subroutines.h"
#include "ui/Application.h"

#include <algorithm>

namespace {

// The dialog replaces the window's key hook while it is shown; this puts the
// window's own hook back when the command ends, however it ends.
class AppMessageRestorer {
  public:
    explicit AppMessageRestorer(TForm1& form) : form_(form) {}
    ~AppMessageRestorer() {
        ui::App().SetMessageHook(
            [form = &form_](MSG& msg, bool& handled) { form->AppMessage(msg, handled); });
    }
    AppMessageRestorer(const AppMessageRestorer&) = delete;
    AppMessageRestorer& operator=(const AppMessageRestorer&) = delete;

  private:
    TForm1& form_;
};

} // namespace

void TForm1::ChooseSortOrder() {
    AppMessageRestorer restorer(*this);
    int result = ShowSortProp();
    SortProp = nullptr;
    if (result != ui::mrOk)
        return;
    bool hadCursorEntry = CurIndex >= 0 && CurIndex < Count(FileList);
    std::wstring cursorName = hadCursorEntry ? EntryName(FileList, CurIndex) : L"";
    SortFileList();
    if (int i = hadCursorEntry ? IndexOfName(FileList, cursorName) : -1; i >= 0) {
        PageTop = (i / std::max(1, PageLines)) * std::max(1, PageLines);
        CurIndex = i;
    }
    DrawPage();
}
