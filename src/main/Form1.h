#pragma once
// The file list window: owns the entries of the current directory, the page
// state, the settings and histories, and every command's event handler. Its
// methods are implemented across the modules of the concern they belong to.

#include "main/DataRec.h"
#include "main/FolderWatcher.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Form.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

inline const wchar_t* const NormalCaption = L"-Varnis 10.4 CE- Pelmo[Ver1.4]";

// Colours of the list and the header (RGB).
inline constexpr COLORREF WindowColor = RGB(0, 0, 99);
inline constexpr COLORREF clWhite = RGB(255, 255, 255);
inline constexpr COLORREF clCyan = RGB(0, 255, 255);
inline constexpr COLORREF clYellow = RGB(255, 255, 0);
inline constexpr COLORREF clGreen = RGB(0, 255, 0);
inline constexpr COLORREF clMagenta = RGB(255, 0, 255);
inline constexpr COLORREF clBlack = RGB(0, 0, 0);
inline constexpr COLORREF clGray = RGB(128, 128, 128);

class TDropTarget;

// Sets Busy for a long command and clears it whichever way the command ends.
class BusyScope {
  public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& busy_;
};

// Raises a flag for its lifetime and puts back what the flag was before, so
// that an inner scope leaves an outer one's flag raised.
class RaisedFlag {
  public:
    explicit RaisedFlag(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~RaisedFlag() { flag_ = previous_; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

  private:
    bool& flag_;
    bool previous_;
};

class TForm1 : public ui::Form {
  public:
    // `iniPath` empty: the settings file beside the executable.
    explicit TForm1(std::wstring iniPath = L"");
    ~TForm1() override;

    // Entries and page state.
    TFileList FileList;
    int PageLines = 1;
    int PageTop = 0;
    int CurIndex = 0;
    // The directory has been read once: from then on an empty list is an
    // empty directory, not one that is still to be read.
    bool DirScanned = false;

    // Window state.
    std::wstring CurDir;
    bool Busy = false;
    bool DirChanged = false;
    std::wstring PathText;
    // A rescan of the list is running (a message it shows runs the message
    // loop, and the timer must not start another one inside it).
    bool Reloading = false;
    // The drive-space message has been shown since the last change of
    // directory (or the last successful query).
    bool DriveSpaceReported = false;

    // Settings variables and lists.
    std::wstring EditorPath;
    std::array<std::wstring, 26> DriveDirs;
    bool SortForward = true;
    bool SortShlwapi = false;
    uint8_t CopyMode = 5;
    uint8_t SortKey = 1;
    TStringList DirHistory;
    TStringList ZipHistory;
    TStringList QaccessDirList;
    TStringList ResultList;
    TStringList DropList;
    TStringList MarkedNames;
    std::wstring SearchWord;
    std::wstring IniPath;

    // Components.
    std::unique_ptr<ui::Panel> Panel1, Panel2;
    std::unique_ptr<ui::ListBox> LBox_Files;
    std::unique_ptr<ui::StaticText> Label_Path, StaticText1, StaticText2, StaticText3;
    std::unique_ptr<ui::StaticText> SText_Page, SText_Total, SText_Used, SText_Free, SText_Date;
    std::unique_ptr<ui::StaticText> SText_Marked, SText_SizeM, SText_Files, SText_SizeA;
    std::array<std::unique_ptr<ui::Panel>, 10> Splitters; // Splitter01 ... Splitter10
    std::unique_ptr<ui::Timer> Timer1;
    TplFolderWatcher DirWatcher;
    // The list lines are drawn plain, whatever the style of the window font.
    win::UniqueFont LineFont;
    void MakeLineFont();

    // Shell and start-up.
    void FormCreate();
    void FormShow() override;
    void FormResize() override;
    void FormDpiChanged() override;
    void FormClose() override;
    void FormDestroy();
    void SetEachFont();
    void CalcPageLines();
    void ArrangeWindow();
    void RefreshDir(bool drawPage);
    void ChangeDir(bool drawPage);
    void SelectFont();
    // Applies a font to the window (the settings file and the font command).
    void SetWindowFont(const ui::FontSpec& font);

    // Scan.
    void ScanDir();
    void ClearFileList();
    void SortFileList();

    // Page.
    void DrawPage();
    void SelectLine(int k);
    void ShowPageIndicator();
    void LBox_FilesDrawItem(HDC dc, int index, const RECT& rect, UINT state);
    // Puts the cursor on entry i: its page first, then the page drawn.
    void PlaceCursor(int i);
    // Brings CurIndex into the list and PageTop onto the cursor's page.
    void NormalisePage();

    // Header.
    void ShowDriveSpace();
    // DriveDirs records CurDir under its drive letter.
    void RecordDriveDir();
    // After a scan that moved CurDir up from a directory that has gone: the
    // path label and DriveDirs name the directory that the list shows.
    void FollowScannedDir();
    void ShowPath();
    void ShowClock();
    void ShowFileCount();
    void ShowMarkedCount();
    void ShowSizes();
    void ShowTotalSize(int64_t size);
    void ShowMarkedSize(int64_t size);

    // Timer, refresh keeping marks, watcher.
    void Timer1Timer();
    void RefreshKeepMarks();
    void FollowWithWatcher();
    void DirWatcherChange(int event, const std::wstring& beforePath, const std::wstring& beforeName,
                          const std::wstring& afterPath, const std::wstring& afterName);

    // Settings file.
    void ReadIniFile();
    void WriteIniFile();

    // Key dispatch.
    void AppMessage(MSG& msg, bool& handled);
    void LBox_FilesKeyDown(WORD& key, unsigned shift);
    bool FormMouseWheel(int wheelDelta) override;
    void LBox_FilesDblClick();

    // Cursor and marks.
    void CursorDown(bool forceRedraw);
    void CursorUp(bool forceRedraw);
    void PrevPage();
    void NextPage();
    void ToggleMark();
    void InvertMarks();
    void ClearOrMarkAll();

    // Navigation.
    bool EnterEntry();
    void EnterCursorEntry();
    void ChangeDrive();
    // "[ C D E ]": the letters of the drives in the mask (bit 0 = A).
    static std::wstring DriveListText(DWORD drives = GetLogicalDrives());

    // Sort options, search, launching.
    void ChooseSortOrder();
    void FindWord();
    void FindNextWord();
    void FindPrevWord();
    void EditCursorFile();
    void OpenCursorFile();
    void OpenWithShell();
    void NotSupported();
    // Puts the cursor on the first name holding SearchWord, looking from
    // entry `start` in steps of `step` (+1 or -1); false when none does.
    bool SearchFrom(int start, int step);
    // Starts the editor on a full file path.
    void StartEditor(const std::wstring& path);

    // File operations.
    void CopyCommand();
    void MoveCommand();
    void DeleteCommand();
    void DeleteCursorEntry();
    void RenameCommand();
    void MakeDirCommand();
    void SelectQaccessDir();
    void CompressToZip();
    void LBox_FilesMouseDown(int x, int y);
    void RegisterDropTarget();
    void RevokeDropTarget();

    // Copy and move: state of the running command.
    bool MoveMode = false;
    bool SameDirCopy = false;
    bool ApplyToAll = false;
    bool ConflictAccepted = false;
    std::wstring DestDir;
    void CopyOrMove();
    void CopyEntry(int i, const std::wstring& src, const std::wstring& dst, bool& skipped);
    bool AskNewName(const std::wstring& name, const std::wstring& directory, std::wstring& dst);
    void TransferEntry(int i, const std::wstring& src, const std::wstring& dst);

    // Delete, rename and make directory.
    // Deletes entry i on disk and takes it out of FileList; false when a
    // file could not be deleted (the entry stays, with its mark).
    bool DeleteEntry(int i);
    void ClampCursor();
    // Renames the entry named MakeDirText to the answer in MakeDirResult;
    // the new name, or empty when nothing was renamed.
    std::wstring RenameEntry();
    // CurDir + the last path component of MakeDirResult.
    std::wstring NameFromInput() const;
    // PageTop and CurIndex onto the entry of that name, when there is one.
    void PlaceCursorOnName(const std::wstring& name);

    // Drag and drop.
    struct TDropTargetRelease {
        void operator()(TDropTarget* target) const;
    };
    std::unique_ptr<TDropTarget, TDropTargetRelease> DropFileTarget1;
    bool DragSourceActive = false;
    // The dropped absolute paths, in the order of the dropped file list.
    void DropFileTarget1Drop(const TStringList& paths);
    // What a drag out of the list carries: the marked entries, or the cursor entry.
    TStringList DragSourcePaths() const;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // Keys go to the list whenever the window is active.
    HWND DefaultFocus() const override { return LBox_Files ? LBox_Files->Handle() : nullptr; }

  private:
    void CreateComponents();
    int FirstRowGap() const;
    void PlaceClock(int row3);
    std::unique_ptr<ui::StaticText> MakeText(HWND parent, int left, int top, int width, int height,
                                             const wchar_t* text);
};

// The one main window, for the modules that need it (dialogs take its
// caption and font).
TForm1* MainForm();

// The normal font colour of a list line (entry attributes; whether the line
// shows "<dir>"), and whether an owner-draw state is the cursor line's.
COLORREF LineFontColor(int32_t attr, bool showsDir);
bool IsCursorLineState(UINT state);

// The line height of a font: the pixel height of "0", measured on a scratch
// bitmap.
int LineHeight(HFONT font);
