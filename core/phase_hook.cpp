// The hook's one pointer.
#include "core/phase_hook.h"

namespace phase_hook {
PhaseListener* listener = nullptr;
}

void ListenToPhases(PhaseListener* listener)
{
    phase_hook::listener = listener;
}
