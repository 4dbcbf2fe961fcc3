// The lock that the GUI thread and the audio thread share: one word swapped
// atomically. The waiting side sleeps between tries instead of spinning hot,
// and the audio thread only ever tries.
#pragma once

#include <atomic>
#include <cstdint>

namespace NSTambor {

// No owner check and no recursion: a thread that locks twice waits forever.
class CSpinLock {
public:
    CSpinLock() = default;
    CSpinLock(const CSpinLock&) = delete;
    CSpinLock& operator=(const CSpinLock&) = delete;

    // Swaps 1 in; while the old value was 1, sleeps 2 ms and tries again.
    void Lock();
    // Swaps 0 in.
    void Unlock() { fWord.exchange(0, std::memory_order_release); }
    // One try; true when the lock was taken.
    bool TryLock() { return fWord.exchange(1, std::memory_order_acquire) == 0; }
    // Tries once, then keeps trying with 1 ms sleeps until the millisecond
    // clock passes now + milliseconds; true when the lock was taken.
    bool TryLockFor(int32_t milliseconds);

private:
    std::atomic<int32_t> fWord{0};
};

// Holds a lock for one scope.
class CSpinLockGuard {
public:
    explicit CSpinLockGuard(CSpinLock& lock) : fLock(lock) { fLock.Lock(); }
    ~CSpinLockGuard() { fLock.Unlock(); }
    CSpinLockGuard(const CSpinLockGuard&) = delete;
    CSpinLockGuard& operator=(const CSpinLockGuard&) = delete;

private:
    CSpinLock& fLock;
};

} // namespace NSTambor
