#include "common/command_text.h"

#include "common/path.h"
#include "common/text.h"

namespace {

bool HasAny(const char* value, const char* characters)
{
    for (const char* c = value; *c; ++c)
        for (const char* s = characters; *s; ++s)
            if (*c == *s) return true;
    return false;
}

bool HasControl(const char* value)
{
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(value); *c; ++c)
        if (*c < 0x20 || *c == 0x7F) return true;
    return false;
}

// The characters the interpreter acts on outside quotes, and those that split a batch file's
// arguments.
constexpr char ActedOn[] = "&|<>()^,;= \t";

}  // namespace

LineReader LineReaderOf(const char* program)
{
    size_t length = TextLength(program);
    auto endsWith = [&](const char* tail) {
        size_t n = TextLength(tail);
        return length >= n && TextEqualsIgnoreCase(program + length - n, tail);
    };
    if (endsWith(".bat") || endsWith(".cmd")) return LineReader::BatchFile;
    const char* name = program + FileNameOffset(program);
    if (TextEqualsIgnoreCase(name, "cmd") || TextEqualsIgnoreCase(name, "cmd.exe"))
        return LineReader::CommandInterpreter;
    return LineReader::Program;
}

Placing PlaceOutsideValue(LineReader reader, const char* before, const char* value, char* output, size_t capacity)
{
    if (reader == LineReader::Program) return TextCopy(output, capacity, value) ? Placing::Placed : Placing::TooLong;
    if (HasAny(value, "%!\"") || HasControl(value)) return Placing::Unsafe;
    // The interpreter's reading up to here: a quote opens or closes, a ^ outside quotes takes
    // the next character as it is.
    bool quoted = false, escaped = false;
    for (const char* c = before; *c; ++c) {
        if (escaped)
            escaped = false;
        else if (*c == '"')
            quoted = !quoted;
        else if (*c == '^' && !quoted)
            escaped = true;
    }
    if (escaped) return Placing::Unsafe;
    bool actedOn = HasAny(value, ActedOn);
    if (reader == LineReader::CommandInterpreter && actedOn) return Placing::Unsafe;
    bool quote = actedOn && !quoted;
    bool fit = TextCopy(output, capacity, quote ? "\"" : "") && TextAppend(output, capacity, value) &&
               TextAppend(output, capacity, quote ? "\"" : "");
    return fit ? Placing::Placed : Placing::TooLong;
}

bool JoinBatchCommandLine(const char* parameters, char* output, size_t capacity)
{
    bool fit = TextCopy(output, capacity, "cmd.exe /v:off /s /c \"\"%") &&
               TextAppend(output, capacity, BatchPathVariable) && TextAppend(output, capacity, "%\"");
    if (parameters && parameters[0])
        fit = fit && TextAppend(output, capacity, " ") && TextAppend(output, capacity, parameters);
    fit = fit && TextAppend(output, capacity, "\"");
    if (!fit && capacity) output[0] = '\0';
    return fit;
}
