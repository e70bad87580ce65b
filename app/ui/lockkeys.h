#pragma once

namespace vk7 {

// The state of the three lock keys where the platform reports it (X11);
// elsewhere `known` is false and all three read as off.
struct LockKeys
{
    bool known = false;
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

LockKeys QueryLockKeys();

} // namespace vk7
