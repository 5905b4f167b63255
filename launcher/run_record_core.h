// The run's record: plain text lines, each with the local time and the launcher's process id,
// so the lines of launchers writing to one file at once can be told apart. Free of any
// platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "process/program_outcome.h"

struct RecordStamp {
    uint16_t Year, Month, Day, Hour, Minute, Second;
    uint32_t ProcessId;
};

// "2025-04-23 03:00:01 [4711] text" and a CR LF; text (UTF-8) is made one line. A text that
// does not fit ends in "..." and the line still ends with CR LF. False when it was cut.
bool FormatRecordLine(const RecordStamp& stamp, const char* text, char* line, size_t capacity);

// Who answered a prompt.
enum class PromptAnsweredBy { User, TimeOut, Nobody };
// "<task>: prompt "<text>": Yes, answered by the user" and the like.
void DescribePrompt(const char* task, const char* promptText, bool yes, PromptAnsweredBy by, char* text,
                    size_t capacity);

// "<task>: program <command line>: process 1234 exited with code 0" and the like; errorText
// is the system's text (or words of ours) for outcome.Error. A started program whose output was
// asked for gets "; output in <file>" or "; output not kept, <file>: <why>", outputErrorText
// being the system's text for outcome.OutputError.
void DescribeProgramOutcome(const char* task, const ProgramOutcome& outcome, const char* errorText, char* text,
                            size_t capacity, const char* outputErrorText = "");

// TERM's instance it could not end: "<task>: program <command line>: process 1234 passed over,
// it could not be ended: <errorText>".
void DescribePassedOver(const char* task, const char* commandLine, uint32_t processId, const char* errorText,
                        char* text, size_t capacity);

// "<task>: copy failed: <source> to <target>: <errorText>".
void DescribeCopyFailure(const char* task, const char* source, const char* target, const char* errorText, char* text,
                         size_t capacity);
// A try of a file another program holds that failed, and the retry it is given.
struct CopyRetry {
    uint32_t Retry;  // 1 for the first retry
    uint32_t Retries;
    uint32_t WaitSeconds;
};
// "<task>: copy held: <source> to <target>: <errorText>; retry 1 of 3 in 5 s".
void DescribeCopyRetry(const char* task, const char* source, const char* target, const char* errorText,
                       const CopyRetry& retry, char* text, size_t capacity);
// "<task>: copy: folder link not followed: <path>" (link), or "<task>: copy: left under its
// temporary name: <path>: <errorText>".
void DescribeCopyNotice(const char* task, bool link, const char* path, const char* errorText, char* text,
                        size_t capacity);
// "<task>: copy <source> to <target>: 3 file(s) copied, 1 failed".
void DescribeCopy(const char* task, const char* source, const char* target, uint32_t copied, uint32_t failed,
                  char* text, size_t capacity);
