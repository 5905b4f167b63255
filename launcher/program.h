// The program step: terminate, show, or start a program hidden or shown with a time-out.
#pragma once

#include <windows.h>

#include <cstdint>

// The program step of a task. workingDir may be null (command-line mode) or empty.
// Returns the process id of the started or shown program, or 0.
DWORD LaunchProgram(const char* program, const char* parameters, const char* workingDir, int32_t term,
                    int32_t unhide, int32_t show, int32_t timeout);

// 1 when path names an existing folder (a relative path is judged against the current
// directory), else 0.
int32_t IsFolder(const char* path);
