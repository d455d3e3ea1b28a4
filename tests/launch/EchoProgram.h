#pragma once
// A stand-in program for the launch tests: a copy of the test program itself.

#include <windows.h>

#include <string>

// Copies the test program to `path` (a name not starting with "test_");
// returns `path`, or empty when the copy failed.
std::wstring MakeEchoProgram(const std::wstring& path);
// Where a copy at `program` writes what it was started with.
std::wstring EchoOutputPath(const std::wstring& program);
// The command line and working directory (one line each) that the copy at
// `program` was started with; "<none>" when it did not run within the time.
std::string WaitForEchoOutput(const std::wstring& program, DWORD timeoutMs = 10000);
