// The copy's debug lines and what it tells its report sink.
#include "common/number.h"
#include "common/text.h"
#include "filecopy/copy_run.h"

void Widen(const char* text, wchar_t* output, size_t capacity)
{
    if (!MultiByteToWideChar(CP_UTF8, 0, text, -1, output, int(capacity))) output[0] = L'\0';
}

namespace {

void Tell(const CopySettings& settings, const CopyEvent& event)
{
    if (settings.report) settings.report(settings.reportContext, event);
}

void CodeDigits(DWORD code, wchar_t (&number)[DecimalCapacity])
{
    char digits[DecimalCapacity];
    FormatUnsignedDecimal(code, digits);
    for (size_t i = 0; i < DecimalCapacity; ++i) number[i] = wchar_t(digits[i]);
}

// The three lines through the wide channel, so a debugger shows every name as it is.
void WriteReport(wchar_t* line, size_t capacity, const wchar_t* ownName, const JoinedText& source,
                 const JoinedText& destination, DWORD code, const CopySettings& settings)
{
    Tell(settings, {CopyEventKind::Failed, &source, &destination, code, 0});
    ComposeReportLine(line, capacity, ownName, ReportSourceLabel, source);
    OutputDebugStringW(line);
    ComposeReportLine(line, capacity, ownName, ReportDestLabel, destination);
    OutputDebugStringW(line);
    wchar_t number[DecimalCapacity];
    CodeDigits(code, number);
    ComposeReportLine(line, capacity, ownName, ReportErrorLabel, JoinedText{number});
    OutputDebugStringW(line);
}

}  // namespace

JoinedText Shown(const wchar_t* path, const wchar_t* tail, const wchar_t* more)
{
    ShownPath shown = ShowPath(path);
    return JoinedText{shown.lead, path + shown.offset, tail, more};
}

[[gnu::noinline]] void ReportFailure(CopyRun& run, const JoinedText& source, const JoinedText& destination, DWORD code)
{
    WriteReport(run.line, sizeof run.line / sizeof run.line[0], run.ownName, source, destination, code, run.settings);
}

void ReportGiven(CopyRun& run, DWORD code)
{
    ReportFailure(run, JoinedText{run.givenSource}, JoinedText{run.givenTarget}, code);
}

void ReportRetry(CopyRun& run, const JoinedText& source, const JoinedText& destination, DWORD code, uint32_t retry)
{
    Tell(run.settings, {CopyEventKind::Retrying, &source, &destination, code, retry});
}

void TellCopied(const CopyRun& run) { Tell(run.settings, {CopyEventKind::Copied, nullptr, nullptr, 0, 0}); }

[[gnu::noinline]] void ReportNotice(CopyRun& run, CopyEventKind kind, const JoinedText& path, DWORD code)
{
    Tell(run.settings, {kind, &path, &path, code, 0});
    size_t capacity = sizeof run.line / sizeof run.line[0];
    if (kind == CopyEventKind::LinkNotFollowed) {
        ComposeReportLine(run.line, capacity, run.ownName, ReportLinkLabel, path);
    } else {
        wchar_t number[DecimalCapacity];
        CodeDigits(code, number);
        // The path first, so a cut line still names it; the code in its own piece.
        wchar_t tail[DecimalCapacity + 16];
        bool fit = TextCopy(tail, L" (error code ") && TextAppend(tail, number) && TextAppend(tail, L")");
        (void)fit;  // always fits: a decimal and two words
        JoinedText text{path.a, path.b, path.c, tail};
        ComposeReportLine(run.line, capacity, run.ownName, ReportLeftoverLabel, text);
    }
    OutputDebugStringW(run.line);
}

void ReportRefused(const CopySettings& settings, const char* source, const char* destination, uint32_t code)
{
    wchar_t name[PathCapacity];
    wchar_t wideSource[TextCapacity];
    wchar_t wideDestination[TextCapacity];
    Widen(settings.ownName, name, PathCapacity);
    Widen(source, wideSource, TextCapacity);
    Widen(destination, wideDestination, TextCapacity);
    wchar_t line[PathCapacity + TextCapacity + 32];
    WriteReport(line, sizeof line / sizeof line[0], name, JoinedText{wideSource}, JoinedText{wideDestination}, code,
                settings);
}
