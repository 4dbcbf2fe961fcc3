// The object the audio-device library calls on its own thread to fill the
// device buffers. It asks the wave player for 256-frame pieces, whatever
// buffer size the device uses, and spreads them over the device's channels:
// left to the even-numbered channels, right to the odd-numbered ones.
//
// The GUI thread locks the renderer to reconfigure the device; while it is
// locked (or disabled) every callback delivers silence instead of waiting.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/SoundPortKit.h"
#include "tambor/SpinLock.h"

namespace NSZubrik {

class CWavePlayer;

// Told of the library's settings-changed notifications (the manager).
class ISettingsChangedTarget {
public:
    virtual ~ISettingsChangedTarget() = default;
    virtual void SettingsChanged() = 0;
};

class CAudioRenderer : public NSSoundPortKit::IRenderer {
public:
    static constexpr int32_t kPieceFrames = 256;
    static constexpr int32_t kLockTimeoutMilliseconds = 2000;

    explicit CAudioRenderer(CWavePlayer& player) : fPlayer(player) {}
    CAudioRenderer(const CAudioRenderer&) = delete;
    CAudioRenderer& operator=(const CAudioRenderer&) = delete;

    void SetEnabled(bool enabled) { fEnabled.store(enabled, std::memory_order_release); }
    bool IsEnabled() const { return fEnabled.load(std::memory_order_acquire); }
    // Not owned; null for none.
    void SetSettingsTarget(ISettingsChangedTarget* target) { fTarget = target; }

    // ---- GUI thread ----
    // The outermost call stops the wave player and takes the mutex, waiting
    // at most 2000 ms (then throws XOtherError "no mutex"); nested calls
    // only count.
    void Lock();
    void Unlock();
    bool IsLocked() const { return fNesting > 0; }

    // ---- Library ----
    void Render(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept override;
    void SettingsChanged() override;
    void DriverChanged() override { SettingsChanged(); }

private:
    static void Silence(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept;

    CWavePlayer& fPlayer;
    ISettingsChangedTarget* fTarget = nullptr;
    std::atomic<bool> fEnabled{false};
    NSTambor::CSpinLock fMutex;
    int32_t fNesting = 0;
    // Audio thread only (under fMutex).
    float fLeft[kPieceFrames] = {};
    float fRight[kPieceFrames] = {};
    int32_t fIndex = kPieceFrames;
};

} // namespace NSZubrik
