// The kind of program a file holds, read from its headers: the value the shell's
// SHGetFileInfoW(SHGFI_EXETYPE) gives, without loading the shell library, which a hidden start
// has no other use for.
#pragma once

#include <cstdint>

// 0 for no program (or a file that cannot be read, or a DLL); "MZ" for an MS-DOS program, a
// .com or a .pif file; "PE" with a high word of 0 for a console program or a .bat file; "NE"
// or "PE" with the Windows version it expects in the high word for a Windows program.
// path is UTF-8.
uint32_t ExeTypeOf(const char* path);
