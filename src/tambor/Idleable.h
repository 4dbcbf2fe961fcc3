// Objects that do work on the GUI thread between events (the audio-card
// manager, the wave player, meters, scrolling).
#pragma once

namespace NSTambor {

class IIdleable {
public:
    virtual ~IIdleable() = default;
    // Called between events on the GUI thread; must return quickly.
    virtual void Idle() = 0;
};

} // namespace NSTambor
