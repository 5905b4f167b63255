// The "FileVersion" text of an executable's version resource, shown in the captions of the
// settings window and the About box.
#pragma once

#include <cstddef>

// 1 when the file has a version resource: version then holds its "FileVersion" string of the
// string table 040904E4 (empty when the table has no such string; shortened with "..." when it
// does not fit capacity). 0 when the file has no version resource; version is then empty.
int ReadFileVersion(const char* path, char* version, size_t capacity);
