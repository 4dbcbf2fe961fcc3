#include "tambor/SpinLock.h"

#include <chrono>
#include <thread>

namespace NSTambor {

void CSpinLock::Lock()
{
    while (!TryLock())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

bool CSpinLock::TryLockFor(int32_t milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    if (TryLock())
        return true;
    while (Clock::now() <= deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (TryLock())
            return true;
    }
    return false;
}

} // namespace NSTambor
