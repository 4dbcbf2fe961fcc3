// The per-slice transient shaper ("Transient Shaper": Threshold, Ratio,
// Attack, Release). Every slice voice carries a second envelope that starts
// with the slice; the voice's gain is divided by an amount that grows with
// that envelope above the threshold. With an attack the start of each slice
// is lifted against its body; without one the slice starts damped and opens
// up as the envelope releases.
//
// The settings and the meter live here; the sampler owns one shaper and
// keeps one SShaperEnvelope in each voice.
#pragma once

#include <atomic>
#include <cstdint>

#include "tambor/SpinLock.h"

namespace NSZubrik {

class CDSPTables;

struct SShaperEnvelope {
    static constexpr int32_t kAttack = 1;
    static constexpr int32_t kRelease = 2;

    int32_t fState = kRelease;
    float fLevel = 1.0f;
};

class CTransientShaper {
public:
    static constexpr int16_t kDefaultThreshold = 77;
    static constexpr int16_t kDefaultRatio = 39;
    static constexpr int16_t kDefaultAttack = 193;
    static constexpr int16_t kDefaultRelease = 350;
    static constexpr int16_t kMaximumLevelSetting = 127;  // threshold, ratio
    static constexpr int16_t kMaximumTimeSetting = 1023;  // attack, release

    CTransientShaper() = default;
    // Copies the settings; the copy's meter starts at rest.
    CTransientShaper(const CTransientShaper& other);
    CTransientShaper& operator=(const CTransientShaper&) = delete;

    // Settings are written by the GUI thread while the audio thread may be
    // rendering; each one is a single relaxed atomic value. The setters clamp
    // into the ranges above.
    void SetOn(bool on) { fOn.store(on, std::memory_order_relaxed); }
    bool IsOn() const { return fOn.load(std::memory_order_relaxed); }
    void SetThreshold(int16_t value);
    int16_t GetThreshold() const { return fThreshold.load(std::memory_order_relaxed); }
    void SetRatio(int16_t value);
    int16_t GetRatio() const { return fRatio.load(std::memory_order_relaxed); }
    void SetAttack(int16_t value);
    int16_t GetAttack() const { return fAttack.load(std::memory_order_relaxed); }
    void SetRelease(int16_t value);
    int16_t GetRelease() const { return fRelease.load(std::memory_order_relaxed); }

    // The envelope of a slice that starts now. The effect switch does not
    // matter: switching the effect on mid-slice finds the envelope running.
    void Start(SShaperEnvelope& envelope) const;
    // Moves the envelope on by one 64-frame block.
    void Advance(SShaperEnvelope& envelope, const CDSPTables& tables) const;
    // The gain factor for the envelope's present level; 1.0 when the effect
    // is off. With updateMeter the factor is entered into the meter, unless
    // the GUI thread holds the meter lock just then (the audio thread never
    // waits for it).
    float Factor(const SShaperEnvelope& envelope, bool updateMeter);

    // The smallest and the largest factor since the last take; each take
    // resets its value to 1.0. GUI thread.
    float TakeMinimumFactor();
    float TakeMaximumFactor();

private:
    std::atomic<bool> fOn{false};
    std::atomic<int16_t> fThreshold{kDefaultThreshold};
    std::atomic<int16_t> fRatio{kDefaultRatio};
    std::atomic<int16_t> fAttack{kDefaultAttack};
    std::atomic<int16_t> fRelease{kDefaultRelease};

    NSTambor::CSpinLock fMeterLock;
    float fMeterMinimum = 1.0f;
    float fMeterMaximum = 1.0f;
};

} // namespace NSZubrik
