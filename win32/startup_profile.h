// Where the start-up's and the close's time goes: marks on the one time line
// that every Wine process shares (QueryPerformanceCounter), each with the
// user-interface thread's CPU time so far. Only the bench's profile build
// (TAMARKO_PROFILE) takes them; in every other build a mark is nothing at all.
#pragma once

#ifdef TAMARKO_PROFILE
// Ends the phase `name` (a literal: it is kept, not copied).
void ProfileMark(const char* name);
// Ends the last phase once the program has nothing left to do, every paint
// included, and writes the marks to startup-profile.txt beside the program.
void ProfileFinishWhenIdle(const char* name);
// Called by the message loops: true while a finish waits for idleness.
bool ProfileAwaitingIdle();
void ProfileIdle();
// Ends the close's phase `name` (a literal).
void ProfileCloseMark(const char* name);
// Writes the close's marks to close-profile.txt beside the program.
void ProfileWriteClose();
#else
inline void ProfileMark(const char*) { }
inline void ProfileFinishWhenIdle(const char*) { }
inline bool ProfileAwaitingIdle()
{
    return false;
}
inline void ProfileIdle() { }
inline void ProfileCloseMark(const char*) { }
inline void ProfileWriteClose() { }
#endif
