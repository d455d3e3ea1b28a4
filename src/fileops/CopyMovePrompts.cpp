#include "fileops/CopyMovePrompts.h"

#include "win/Error.h"

// The input dialog with history, the make-directory dialog and the result
// list of the quick-access dialog are built in their own modules; until they
// are joined here the prompts report that they are missing.
CopyMovePrompts DialogPrompts() {
    CopyMovePrompts p;
    p.AskDestination = [](const std::wstring&, const std::wstring&, TStringList&) -> int {
        throw win::AppError(L"コピー先の入力ダイアログがありません");
    };
    p.AskName = [](const std::wstring&, std::wstring&) -> int {
        throw win::AppError(L"名前の入力ダイアログがありません");
    };
    p.ShowReport = [](const std::wstring&, const TStringList&) {
        throw win::AppError(L"結果一覧のダイアログがありません");
    };
    return p;
}

CopyMovePrompts& Prompts() {
    static CopyMovePrompts prompts = DialogPrompts();
    return prompts;
}
