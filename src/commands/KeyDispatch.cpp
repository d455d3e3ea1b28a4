// Key dispatch: the application-wide hook, the list's own keys, the mouse
// wheel and the double-click.

#include "main/DialogFlags.h"
#include "main/Form1.h"
#include "ui/Controls.h"

void TForm1::AppMessage(MSG& msg, bool& handled) {
    if (msg.message != WM_KEYDOWN)
        return;
    if (Busy || AnyDialogShown()) {
        handled = false;
        return;
    }
    switch (msg.wParam) {
    case VK_ESCAPE:
        break;
    case VK_SPACE:
        ToggleMark();
        ShowMarkedCount();
        break;
    case VK_END:
        InvertMarks();
        ShowMarkedCount();
        break;
    case VK_HOME:
        ClearOrMarkAll();
        ShowMarkedCount();
        break;
    case VK_LEFT:
        PrevPage();
        break;
    case VK_UP:
        if (!FileList.empty())
            CursorUp(false);
        break;
    case VK_RIGHT:
        NextPage();
        break;
    case VK_DOWN:
        if (!FileList.empty())
            CursorDown(false);
        break;
    case 'C':
        CopyCommand();
        break;
    case 'K':
        MakeDirCommand();
        break;
    case 'L':
        ChangeDrive();
        break;
    case 'M':
        MoveCommand();
        break;
    case 'Q':
        SelectQaccessDir();
        break;
    case 'S':
        ChooseSortOrder();
        break;
    default:
        return;
    }
    handled = true;
}

void TForm1::LBox_FilesKeyDown(WORD& key, unsigned shift) {
    bool shifted = (shift & ui::ssShift) != 0;
    // The commands that may run while a long command lets the message loop
    // run: none of them changes FileList, CurDir or any file.
    auto allowed = [this](bool harmless) { return harmless || !Busy; };
    switch (key) {
    case VK_RETURN:
        if (allowed(false))
            shifted ? EditCursorFile() : EnterCursorEntry();
        break;
    case 'D':
    case VK_F4:
        if (allowed(false))
            shifted ? DeleteCursorEntry() : DeleteCommand();
        break;
    case 'F':
        if (shifted)
            SelectFont();
        else if (allowed(false))
            FindWord();
        break;
    case 'P':
        if (allowed(false))
            CompressToZip();
        break;
    case 'R':
        if (allowed(false))
            shifted ? RefreshKeepMarks() : RenameCommand();
        break;
    case 'U':
        if (allowed(false))
            NotSupported();
        break;
    case 'X':
        if (shifted && allowed(false))
            OpenCursorFile();
        break;
    case 'Z':
        if (allowed(false))
            OpenCursorFile();
        break;
    case VK_F3:
        if (allowed(false))
            shifted ? FindPrevWord() : FindNextWord();
        break;
    case VK_F5:
        if (allowed(false))
            shifted ? MakeDirCommand() : RenameCommand();
        break;
    case VK_F6:
        if (allowed(false))
            ChooseSortOrder();
        break;
    case VK_F7:
        if (shifted && allowed(false))
            RefreshKeepMarks();
        break;
    case VK_F9:
        if (allowed(false))
            ChangeDrive();
        break;
    case VK_F10:
        if (allowed(false))
            shifted ? CompressToZip() : NotSupported();
        break;
    default:
        return;
    }
    key = 0;
}

bool TForm1::FormMouseWheel(int wheelDelta) {
    if (wheelDelta > 0)
        PrevPage();
    else
        NextPage();
    return true;
}

void TForm1::LBox_FilesDblClick() {
    if (FileList.empty() || Busy)
        return;
    if (!EnterEntry())
        OpenWithShell();
}
