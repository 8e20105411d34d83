// The base of every component a window owns, and the event that tells a
// handler which component called it.
#pragma once

#include <functional>

class TComponent {
public:
    TComponent() = default;
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
};

using TNotifyEvent = std::function<void(TComponent* Sender)>;

// Runs the event, when one is set, with `sender`.
inline void Fire(const TNotifyEvent& event, TComponent* sender)
{
    if (event)
        event(sender);
}
