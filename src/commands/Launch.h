#pragma once
// The command line that starts the text editor on a file.

#include <windows.h>
#include <shellapi.h>

#include <string>

// `editorPath`, one space, `filePath`. A file path holding a blank is put in
// quotation marks, and so is an editor path that holds a blank and names an
// existing file as it stands; an editor path with its own quotation marks or
// options is used as configured.
std::wstring EditorCommandLine(const std::wstring& editorPath, const std::wstring& filePath);

// The start-up information the editor gets: the program's own, passed on
// whole (show state, position, hot key, monitor) but for standard handles,
// which only a child that inherits handles could use.
STARTUPINFOW EditorStartupInfo(STARTUPINFOW inherited);

// The shell's open call, replaceable so that tests never start the programs
// associated with real files.
inline decltype(&ShellExecuteW) ShellExecuteFn = &ShellExecuteW;
