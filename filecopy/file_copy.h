// The copy of a task: a folder, a file or wildcard-selected files to a target folder.
//
// Failures are not returned: each file that cannot be copied is written to the debug-output
// channel as three lines (source, destination, error code) and the copy goes on.
#pragma once

#include <cstdint>

struct JoinedText;

// What a copy tells a caller that asked (besides the debug lines).
enum class CopyEventKind : uint8_t {
    Copied,           // a file took its final name (source and destination null)
    Failed,           // a file not copied: its source, destination and code, as its debug lines show them
    LinkNotFollowed,  // a folder link in the source, left out (source: the link; destination: where it would go)
    LeftoverKept,     // what an ended run left that could not be removed, or a staged folder that may hold a
                      // cut file (source and destination: its path), kept under its temporary name; code: why
    Retrying,         // a file another program holds (code 32 or 33) is tried again after retryWaitSeconds:
                      // its source and destination, the code of the try that failed, the retry's number
};
struct CopyEvent {
    CopyEventKind kind;
    const JoinedText* source;
    const JoinedText* destination;
    uint32_t code;
    uint32_t retry;  // Retrying: 1 for the first retry; else 0
};
using CopyEventSink = void (*)(void* context, const CopyEvent& event);

// What the caller tells one copy run.
struct CopySettings {
    int32_t subfolders = 0;          // subfolders are walked when exactly 1
    int32_t overwrite = 0;           // existing files are replaced when not 0
    uint32_t cutOffMinutes = 0;      // not 0: only files last written within that many minutes
                                     // before runStartTime (or later) are copied
    int32_t skipGitFolders = 0;      // 1: folders named ".git" or ".github" are not entered
    uint64_t runStartTime = 0;       // local file time (100 ns units)
    const char* ownName = "";        // the debug lines begin with it
    CopyEventSink report = nullptr;  // told of each file copied and each failure; null: none
    void* reportContext = nullptr;
    // A file that fails because another program holds it (sharing or lock violation) is tried
    // up to this many times more, retryWaitSeconds apart; each retry is told to the report
    // sink, and only the last try's failure makes the debug lines.
    uint32_t retries = 0;
    uint32_t retryWaitSeconds = 0;
};

// One copy run. source and target are the expanded texts of the settings (UTF-8, left
// unchanged). They are widened once, here, and resolved against the current folder; the walk
// then works on wide names in the long-path form, so a name in any alphabet and a path up to
// the platform's limit are copied as they are.
void CopyFiles(const char* source, const char* target, const CopySettings& settings);

// The three debug lines of a copy refused before it starts (a source or target cut when
// expanded), told to settings.report as well.
void ReportRefused(const CopySettings& settings, const char* source, const char* destination, uint32_t code);
