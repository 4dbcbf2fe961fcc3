#include "engine/TransientShaper.h"

#include <algorithm>

#include "engine/DSPTables.h"

namespace NSZubrik {

namespace {

int16_t Clamped(int16_t value, int16_t maximum) {
    return std::clamp<int16_t>(value, 0, maximum);
}

} // namespace

CTransientShaper::CTransientShaper(const CTransientShaper& other)
    : fOn(other.IsOn()),
      fThreshold(other.GetThreshold()),
      fRatio(other.GetRatio()),
      fAttack(other.GetAttack()),
      fRelease(other.GetRelease()) {}

void CTransientShaper::SetThreshold(int16_t value) {
    fThreshold.store(Clamped(value, kMaximumLevelSetting), std::memory_order_relaxed);
}

void CTransientShaper::SetRatio(int16_t value) {
    fRatio.store(Clamped(value, kMaximumLevelSetting), std::memory_order_relaxed);
}

void CTransientShaper::SetAttack(int16_t value) {
    fAttack.store(Clamped(value, kMaximumTimeSetting), std::memory_order_relaxed);
}

void CTransientShaper::SetRelease(int16_t value) {
    fRelease.store(Clamped(value, kMaximumTimeSetting), std::memory_order_relaxed);
}

void CTransientShaper::Start(SShaperEnvelope& envelope) const {
    if (GetAttack() > 0) {
        envelope.fState = SShaperEnvelope::kAttack;
        envelope.fLevel = 0.0f;
    } else {
        envelope.fState = SShaperEnvelope::kRelease;
        envelope.fLevel = 1.0f;
    }
}

void CTransientShaper::Advance(SShaperEnvelope& envelope, const CDSPTables& tables) const {
    if (envelope.fState == SShaperEnvelope::kAttack) {
        envelope.fLevel += tables.Increments()[GetAttack()];
    } else if (envelope.fState == SShaperEnvelope::kRelease) {
        envelope.fLevel *= tables.Multipliers()[GetRelease()];
    }
    if (envelope.fLevel > 1.0f) {
        envelope.fState = SShaperEnvelope::kRelease;
        envelope.fLevel = 1.0f;
    }
}

float CTransientShaper::Factor(const SShaperEnvelope& envelope, bool updateMeter) {
    float factor = 1.0f;
    if (IsOn()) {
        // Threshold 0…127 maps to 0.01…0.506, ratio 0…127 to 0…1.
        const float threshold = static_cast<float>(GetThreshold()) * 0.00390625f + 0.01f;
        const float ratio = static_cast<float>(GetRatio()) * 0.007874016f;
        const float level = std::max(envelope.fLevel, threshold);
        factor = 1.0f / (2.0f * level * ratio + (1.0f - ratio) + 0.001f);
    }
    if (updateMeter && fMeterLock.TryLock()) {
        fMeterMinimum = std::min(fMeterMinimum, factor);
        fMeterMaximum = std::max(fMeterMaximum, factor);
        fMeterLock.Unlock();
    }
    return factor;
}

float CTransientShaper::TakeMinimumFactor() {
    NSTambor::CSpinLockGuard guard(fMeterLock);
    const float value = fMeterMinimum;
    fMeterMinimum = 1.0f;
    return value;
}

float CTransientShaper::TakeMaximumFactor() {
    NSTambor::CSpinLockGuard guard(fMeterLock);
    const float value = fMeterMaximum;
    fMeterMaximum = 1.0f;
    return value;
}

} // namespace NSZubrik
