#include "settings/macros.h"

#include "common/text.h"

uint64_t RunStartTime;

void ComputeMacroValues() {}

bool ExpandMacros(const char* source, char (&output)[TextCapacity], int32_t) { return TextCopy(output, source); }
