// The program names the moments its start and its close pass. Only the
// bench's profile build listens (bench/phase_profile.cpp, linked in with the
// CMake option TAMARKO_PROFILE) and times them; in the program that ships
// nothing listens, and a mark is the test of one pointer.
#pragma once

enum class Phase {
    Start,      // a phase of the start ends here
    StartLast,  // the start's last phase ends once nothing is left to do
    Close,      // a phase of the close ends here
    End,        // the program's last line
};

class PhaseListener {
public:
    // `name` is a literal: it may be kept.
    virtual void Passed(Phase phase, const char* name) = 0;
    // The message loop has found its queue empty while WaitsForIdle().
    virtual void Idle() = 0;
    virtual bool WaitsForIdle() const = 0;

protected:
    ~PhaseListener() = default;
};

// The one listener, or none.
void ListenToPhases(PhaseListener* listener);

namespace phase_hook {
extern PhaseListener* listener;
}

inline void MarkPhase(Phase phase, const char* name)
{
    if (phase_hook::listener)
        phase_hook::listener->Passed(phase, name);
}

// For the message loops: asking the queue costs a round trip under Wine, so
// only while someone waits for it.
inline bool PhaseWaitsForIdle()
{
    return phase_hook::listener && phase_hook::listener->WaitsForIdle();
}
inline void MarkPhaseIdle()
{
    if (phase_hook::listener)
        phase_hook::listener->Idle();
}
