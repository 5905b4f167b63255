// Runs of one settings file meet at kernel objects named after the file: the names, from the
// file's full path as the file system compares names, and the record's lines of the meeting.
// Free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

// The objects of one settings file: the mutex a run holds while it runs, and the small mapping
// in which the holder publishes its process id.
enum class TurnObject { Mutex, ProcessId };
// "Global\Stowlet.Run.<16 hex digits>" and the like: well below the 260 characters a kernel
// object's name may have, whatever the path's length.
constexpr size_t TurnNameCapacity = 48;

// The name of a settings file's object from its full path, folded as the file system compares
// names (upper-cased), length UTF-16 units (the units' low 16 bits are hashed, so the name is
// the same on every platform); global: the machine's namespace, else the session's.
void TurnObjectName(const wchar_t* foldedPath, size_t length, bool global, TurnObject object,
                    wchar_t (&name)[TurnNameCapacity]);

// The record's lines; holder 0: its process id is not known.
// "skipped: another run of this settings file is going (process 1234)".
void DescribeSkipped(uint32_t holder, char* text, size_t capacity);
// "queued: another run of this settings file is going (process 1234); waiting for it to end".
void DescribeQueued(uint32_t holder, char* text, size_t capacity);
// "queued: waited 12 s for the other run of this settings file" and, abandoned, that it ended
// without letting go (killed or crashed).
void DescribeWaited(uint64_t milliseconds, bool abandoned, char* text, size_t capacity);
