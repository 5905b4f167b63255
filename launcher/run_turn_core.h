// Runs of one settings file meet at kernel objects named after the file: the names, from the
// file's full path as the file system compares names, and the record's lines of the meeting.
// Free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

// "Global\Stowlet.Run.<16 hex digits>" or "Local\...": well below the 260 characters a kernel
// object's name may have, whatever the path's length.
constexpr size_t TurnNameCapacity = 48;

// The name of a settings file's mutex from its full path, folded as the file system compares
// names (upper-cased), length UTF-16 units (the units' low 16 bits are hashed, so the name is
// the same on every platform); global: the machine's namespace, else the session's.
void TurnMutexName(const wchar_t* foldedPath, size_t length, bool global, wchar_t (&name)[TurnNameCapacity]);

// The record's lines.
constexpr char SkippedText[] = "skipped: another run of this settings file is going";
constexpr char QueuedText[] = "queued: another run of this settings file is going; waiting for it to end";
// "queued: waited 12 s for the other run of this settings file" and, abandoned, that it ended
// without letting go (killed or crashed).
void DescribeWaited(uint64_t milliseconds, bool abandoned, char* text, size_t capacity);
