// Texts bound for the command interpreter (cmd.exe), free of any platform call: which programs
// it reads the command line of, and how a value from outside the settings file (a branch name)
// is placed in such a line so that it stays text and never becomes a command.
#pragma once

#include <cstddef>

// How a program step's command line is read once it is started.
enum class LineReader {
    Program,             // by the program's own argument splitting
    BatchFile,           // a .bat or .cmd file: by the command interpreter, after the file's quoted path
    CommandInterpreter,  // cmd itself: by the command interpreter, as the user wrote the switches
};

// The reader of the line for a program text: its extension or its file name (ASCII letters in
// any case).
LineReader LineReaderOf(const char* program);

// What became of a value placed in a line.
enum class Placing { Placed, Unsafe, TooLong };

// Writes value as it is to be inserted after before (the line's text in front of it, as the
// reader sees it) into output. For BatchFile: a value holding a character the interpreter
// acts on (& | < > ( ) ^ , ; = blank or tab) outside quotes is put in quotes, so the batch
// file gets it as one argument (%~1 gives the text itself); inside quotes it is left as is. For
// CommandInterpreter, whose switches may drop the line's outer quotes, any such character is
// Unsafe. For every reader but Program, a value holding % or ! (expanded even inside quotes),
// a quote or a control character is Unsafe, and so is a place right after an escaping ^.
Placing PlaceOutsideValue(LineReader reader, const char* before, const char* value, char* output, size_t capacity);

// The environment variable that hands a batch file's path to the command interpreter: its
// value is not searched for % again, so the path reaches the interpreter whole.
inline constexpr char BatchPathVariable[] = "STOWLET_BATCH_FILE";

// The command line that runs a batch file through the command interpreter, the file's path
// taken from BatchPathVariable: cmd.exe /v:off /s /c ""%STOWLET_BATCH_FILE%" parameters".
// /s drops exactly the outer quotes, /v:off keeps ! as text. False when it does not fit.
[[nodiscard]] bool JoinBatchCommandLine(const char* parameters, char* output, size_t capacity);
