// Procedures of system DLLs that not every run needs (shell32, version, comdlg32, ole32,
// oleaut32): loaded by full path from the system folder when first needed, so a planted DLL of
// the same name is never used and start-up does not pay for libraries only some runs use.
#pragma once

#include <windows.h>

// The procedure, or null when the DLL or the procedure is missing. A loaded DLL stays loaded
// for the rest of the process, as a static import would.
FARPROC SystemProcedure(const char* dll, const char* name);

// SystemProcedure typed as the declared function: SystemFunction<decltype(&OleLoadPicture)>(...).
template <typename Function> Function SystemFunction(const char* dll, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(SystemProcedure(dll, name)));
}
