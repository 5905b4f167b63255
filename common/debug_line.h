// The debug-output channel: where a run nobody watches leaves what it could not show.
#pragma once

// One debug line (UTF-8 text, made one line; a cut one ends in "...").
void DebugLine(const char* text);
