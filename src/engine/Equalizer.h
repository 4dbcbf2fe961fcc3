// The four-stage equalizer at the end of the preview chain: a low cut, two
// peaking bands running in parallel on the same input, and a high cut, all of
// second order. Parameters glide towards their targets once per 64-frame
// block and the coefficients follow them every block.
//
// Threads: the settings are written by the GUI thread while the audio thread
// may be processing, so each is a single relaxed atomic value that the next
// block picks up. Everything else belongs to the thread that processes.
#pragma once

#include <atomic>
#include <cstdint>

namespace NSZubrik {

class CEqualizerEffect {
public:
    static constexpr int kBlockFrames = 64;

    explicit CEqualizerEffect(int sampleRate = 44100);
    // Copies settings, smoothed values, sample rate and flags; the filter
    // history starts cleared so the copy never replays the original's tail.
    CEqualizerEffect(const CEqualizerEffect& other);
    CEqualizerEffect& operator=(const CEqualizerEffect&) = delete;

    void SetOn(bool on) { fEqualizerOn.store(on, std::memory_order_relaxed); }
    bool IsOn() const { return fEqualizerOn.load(std::memory_order_relaxed); }
    void SetTempoMode(bool tempoMode) { fTempoMode.store(tempoMode, std::memory_order_relaxed); }
    bool IsTempoMode() const { return fTempoMode.load(std::memory_order_relaxed); }
    // True once a block has been processed with the filter running.
    bool IsActive() const { return fActive; }

    void SetSampleRate(int rate);
    int GetSampleRate() const { return fSampleRate.load(std::memory_order_relaxed); }

    void SetLoCut(int16_t hz) { SetTarget(kLoCut, hz); }
    void SetLowFrequency(int16_t hz) { SetTarget(kLowFrequency, hz); }
    void SetLowQ(int16_t thousandths) { SetTarget(kLowQ, thousandths); }
    void SetLowGain(int16_t milliDecibels) { SetTarget(kLowGain, milliDecibels); }
    void SetHighFrequency(int16_t hz) { SetTarget(kHighFrequency, hz); }
    void SetHighQ(int16_t thousandths) { SetTarget(kHighQ, thousandths); }
    void SetHighGain(int16_t milliDecibels) { SetTarget(kHighGain, milliDecibels); }
    void SetHighCut(int16_t hz) { SetTarget(kHighCut, hz); }

    int GetLoCut() const { return Target(kLoCut); }
    int GetLowFrequency() const { return Target(kLowFrequency); }
    int GetLowQ() const { return Target(kLowQ); }
    int GetLowGain() const { return Target(kLowGain); }
    int GetHighFrequency() const { return Target(kHighFrequency); }
    int GetHighQ() const { return Target(kHighQ); }
    int GetHighGain() const { return Target(kHighGain); }
    int GetHighCut() const { return Target(kHighCut); }

    // The smoothed value of a setting, in the setting's own unit; index in
    // the order LoCut, low frequency, low Q, low gain, high frequency, high Q,
    // high gain, HighCut.
    float GetCurrent(int index) const { return fCurrent[index]; }

    // Clears coefficients and filter history and snaps every smoothed value
    // to its target.
    void Reset();

    // One block of 64 frames, in place. Runs on the audio thread: no
    // allocation, no locks.
    void Process(float* left, float* right);

private:
    enum { kLoCut, kLowFrequency, kLowQ, kLowGain, kHighFrequency, kHighQ,
           kHighGain, kHighCut, kSettingCount };

    struct CPeakingBand {
        float fA1 = 0; // linear gain minus one: how much band output is added
        float fA = 0;
        float fB = 0;
        float fC = 0;
    };
    struct CLowCut {
        float fK = 0;
        float fP1 = 0;
        float fP2 = 0;
    };
    struct CHighCut {
        float fGain = 0;
        float fQ1 = 0;
        float fQ2 = 0;
    };
    // Filter history of one channel: input, low band, high band, high cut and
    // low-cut resonator, each one and two frames back.
    struct CChannelState {
        float fWords[10] = {};
    };

    void SetTarget(int index, int16_t value)
    {
        fTarget[index].store(static_cast<float>(value), std::memory_order_relaxed);
    }
    float TargetValue(int index) const { return fTarget[index].load(std::memory_order_relaxed); }
    int Target(int index) const { return static_cast<int>(TargetValue(index)); }
    void SnapToTargets();
    void UpdateCoefficients();
    static CPeakingBand PeakingBand(float frequency, float q, float gain, float rate);
    void Filter(float* left, float* right);
    void ClearState();

    std::atomic<bool> fEqualizerOn{false};
    std::atomic<bool> fTempoMode{false};
    bool fActive = false;
    std::atomic<int> fSampleRate{44100};
    std::atomic<float> fTarget[kSettingCount];
    float fCurrent[kSettingCount];
    CPeakingBand fLowBand;
    CPeakingBand fHighBand;
    CLowCut fLowCut;
    CHighCut fHighCut;
    CChannelState fLeft;
    CChannelState fRight;
};

} // namespace NSZubrik
