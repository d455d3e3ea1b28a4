#pragma once
// The one-line input dialog with a history: destinations of copy and move,
// the directory of the drive command, the name of a new archive.
//
// How a caller uses it:
//   HistPrompt = L"コピー先のディレクトリ名を入れてください"; // picks the mode
//   HistInfo = CurDir;                                      // second line
//   HistList = DirHistory;                                  // a working copy
//   if (ShowHistDlg() == ui::mrOk && !HistList.empty()) {
//       answer = HistList[0];
//       DirHistory = HistList;
//   }
// The prompt's wording selects the mode: "コピー先"/"ムーブ先" a destination
// (any text accepted), "ドライブ名" an existing directory (anything else is
// refused with a message and ends as Cancel), "圧縮するファイル名" an
// archive name (the answer is CurDir + name + ".zip"). On OK the answer is
// at the top of HistList; on Cancel HistList is to be discarded.

#include "main/DataRec.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <memory>
#include <string>

// The dialog's first line; its wording selects the mode.
inline std::wstring HistPrompt;
// The dialog's second line.
inline std::wstring HistInfo;
// The working copy of the history; on OK its first entry is the answer.
inline TStringList HistList;
// Index in HistList of the entry shown in the input; -1 when the list was
// empty when the dialog was shown.
inline int HistIndex = -1;

bool IsDestPrompt();
bool IsDrivePrompt();
bool IsZipPrompt();

class THistDlg : public ui::Form {
  public:
    THistDlg();
    ~THistDlg() override; // FormDestroy

    std::unique_ptr<ui::StaticText> Label1;
    std::unique_ptr<ui::StaticText> Label2;
    std::unique_ptr<ui::Edit> Edit1;
    std::unique_ptr<ui::Button> Button_Ok;
    std::unique_ptr<ui::Button> Button_Cancel;

    void SetEachFont();
    void Button_OkClick();
    void Button_CancelClick();

    // Esc, Up and Down, seen before the input field.
    bool PreviewMessage(MSG& msg) override;

  protected:
    void FormShow() override;
    void FormClose() override;

  private:
    void FormKeyDown(WORD key);
    void ShowHistEntry();
    void AcceptDirectory(std::wstring t);
    void AcceptArchiveName(const std::wstring& t);
};

// Shows a new THistDlg; 1 for OK, 2 for Cancel, Esc, the close box or a
// refused answer.
int ShowHistDlg();

// The part of `path` after its last "\" or ":".
std::wstring NamePart(const std::wstring& path);
// `name` with its extension (from the last "." of its name part) replaced by
// ".zip", or ".zip" appended when it has none.
std::wstring ZipFileName(const std::wstring& name);
