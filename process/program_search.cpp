#include "process/program_search.h"

#include "process/exe_type.h"

namespace {

bool RunsOnWow64()
{
#ifdef _WIN64
    return false;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace

NativeFolderView::NativeFolderView(bool native)
{
    if (native) off_ = Wow64DisableWow64FsRedirection(&previous_) != FALSE;
}

NativeFolderView::~NativeFolderView()
{
    if (off_) Wow64RevertWow64FsRedirection(previous_);
}

FoundProgram SearchProgram(const char* program, char* path, DWORD capacity)
{
    FoundProgram found = {SearchPathA(nullptr, program, ".exe", capacity, path, nullptr), 0, false};
    if (found.length) return found;
    found.error = GetLastError();
    if (!RunsOnWow64()) return found;
    // A program found the normal way never gets here: only a miss is looked for again.
    NativeFolderView view(true);
    DWORD length = SearchPathA(nullptr, program, ".exe", capacity, path, nullptr);
    if (length) found = {length, 0, true};
    return found;
}

uint32_t ExeTypeOf(const char* path, bool native)
{
    NativeFolderView view(native);
    return ExeTypeOf(path);
}
