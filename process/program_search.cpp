#include "process/program_search.h"

#include "common/buffers.h"
#include "common/text.h"
#include "common/unicode.h"
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

// One search; the found path as UTF-8. 0 when not found; capacity when it did not fit.
DWORD Search(const wchar_t* program, char* path, DWORD capacity)
{
    wchar_t found[TextUnitLimit + 1];
    DWORD length = SearchPathW(nullptr, program, L".exe", TextUnitLimit + 1, found, nullptr);
    if (length == 0) return 0;
    if (length > TextUnitLimit || !NarrowToUtf8(found, path, capacity)) {
        if (capacity) path[0] = '\0';
        return capacity ? capacity : 1;
    }
    return DWORD(TextLength(path));
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
    if (capacity) path[0] = '\0';
    wchar_t wide[TextCapacity];
    if (!WidenUtf8(program, wide, TextCapacity)) return {0, DWORD(ERROR_INVALID_NAME), false};
    FoundProgram found = {Search(wide, path, capacity), 0, false};
    if (found.length) return found;
    found.error = GetLastError();
    if (!RunsOnWow64()) return found;
    // A program found the normal way never gets here: only a miss is looked for again.
    NativeFolderView view(true);
    DWORD length = Search(wide, path, capacity);
    if (length) found = {length, 0, true};
    return found;
}

uint32_t ExeTypeOf(const char* path, bool native)
{
    NativeFolderView view(native);
    return ExeTypeOf(path);
}
