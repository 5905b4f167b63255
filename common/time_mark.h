// Time marks over a run, for finding where a launch spends its time: built only with the
// STOWLET_TIME_MARKS option (off in the release), each mark a debug line with the
// microseconds since the first one (WINEDEBUG=+debugstr shows them under Wine).
#pragma once

#ifdef STOWLET_TIME_MARKS
void TimeMark(const char* what);
#else
inline void TimeMark(const char*) {}
#endif
