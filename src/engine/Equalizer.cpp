#include "engine/Equalizer.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace NSZubrik {

namespace {

constexpr float kPi = 3.14159265358979323846f;
// Highest frequency a filter is tuned to, as a fraction of the sample rate
// (20000 Hz at 44100 Hz); above it the designs below fall apart.
constexpr float kFrequencyLimit = 0.4535147f;
// Keeps the band recursions out of denormal numbers when the input is silent.
constexpr float kAntiDenormal = 0.000001f;

constexpr float kDefaults[] = {15, 100, 1000, 0, 2500, 1000, 0, 20000};

int ClampRate(int rate)
{
    return std::clamp(rate, 11025, 1000000);
}

} // namespace

CEqualizerEffect::CEqualizerEffect(int sampleRate)
    : fSampleRate(ClampRate(sampleRate))
{
    for (int i = 0; i < kSettingCount; ++i) {
        fTarget[i].store(kDefaults[i], std::memory_order_relaxed);
        fCurrent[i] = kDefaults[i];
    }
}

CEqualizerEffect::CEqualizerEffect(const CEqualizerEffect& other)
    : fEqualizerOn(other.IsOn()),
      fTempoMode(other.IsTempoMode()),
      fActive(other.fActive),
      fSampleRate(other.GetSampleRate()),
      fLowBand(other.fLowBand),
      fHighBand(other.fHighBand),
      fLowCut(other.fLowCut),
      fHighCut(other.fHighCut)
{
    for (int i = 0; i < kSettingCount; ++i) {
        fTarget[i].store(other.TargetValue(i), std::memory_order_relaxed);
        fCurrent[i] = other.fCurrent[i];
    }
}

void CEqualizerEffect::SetSampleRate(int rate)
{
    fSampleRate.store(ClampRate(rate), std::memory_order_relaxed);
}

void CEqualizerEffect::ClearState()
{
    fLeft = CChannelState();
    fRight = CChannelState();
}

void CEqualizerEffect::Reset()
{
    fLowBand = CPeakingBand();
    fHighBand = CPeakingBand();
    fLowCut = CLowCut();
    fHighCut = CHighCut();
    ClearState();
    SnapToTargets();
}

void CEqualizerEffect::SnapToTargets()
{
    for (int i = 0; i < kSettingCount; ++i)
        fCurrent[i] = TargetValue(i);
}

void CEqualizerEffect::Process(float* left, float* right)
{
    bool active = IsOn() && IsTempoMode();
    if (active != fActive) {
        fActive = active;
        Reset();
    }
    // The smoother runs while bypassed too, so the values are settled when
    // the filter comes on.
    UpdateCoefficients();
    if (active) {
        Filter(left, right);
    }
}

CEqualizerEffect::CPeakingBand CEqualizerEffect::PeakingBand(float frequency, float q,
                                                             float gain, float rate)
{
    float f = std::clamp(frequency, 0.0f, kFrequencyLimit * rate);
    float omega = 2.0f * kPi * f / rate;
    float quality = q * 0.001f;
    float decibels = gain * 0.001f;
    // Cuts widen with their depth, so that a deep notch does not ring.
    if (decibels < -1.0f)
        quality = quality / decibels * -2.0f;
    CPeakingBand band;
    band.fA1 = static_cast<float>(std::pow(10.0, static_cast<double>(decibels * 0.05f)) - 0.999999);
    float beta = (quality - 0.5f * omega) / (2.0f * quality + omega);
    band.fB = 2.0f * beta;
    band.fC = 2.0f * std::cos(omega) * (beta + 0.5f);
    band.fA = 0.5f - beta;
    return band;
}

void CEqualizerEffect::UpdateCoefficients()
{
    for (int i = 0; i < kSettingCount; ++i)
        fCurrent[i] = 0.95f * fCurrent[i] + 0.05f * TargetValue(i);

    const float rate = static_cast<float>(GetSampleRate());
    fLowBand = PeakingBand(fCurrent[kLowFrequency], fCurrent[kLowQ], fCurrent[kLowGain], rate);
    fHighBand = PeakingBand(fCurrent[kHighFrequency], fCurrent[kHighQ], fCurrent[kHighGain], rate);
    const float limit = kFrequencyLimit * rate;

    float loCut = std::clamp(fCurrent[kLoCut], 0.0f, limit);
    float theta = kPi * loCut / rate;
    float r = std::exp(-1.4144272f * theta);
    fLowCut.fP1 = 2.0f * r * std::cos(2.0f * theta);
    fLowCut.fP2 = std::exp(-2.8288542453175367f * theta);
    fLowCut.fK = std::cos(theta);

    float highCut = std::clamp(fCurrent[kHighCut], 0.0f, limit);
    float x = highCut / rate;
    theta = kPi * x;
    r = std::exp(-theta / (0.6f - x));
    fHighCut.fQ1 = 2.0f * r * std::cos(2.0f * theta);
    fHighCut.fQ2 = std::exp(-2.0f * theta / (0.6f - x));
    fHighCut.fGain = fHighCut.fQ2 + (1.0f - fHighCut.fQ1);
}

namespace {

// Left and right side by side in one register. Each lane goes through
// exactly the operations of the scalar filter, in the same order, so the
// result is the same to the bit; the pair only halves the instruction count.
// (A compiler extension of GCC and Clang.)
typedef float TStereo __attribute__((vector_size(2 * sizeof(float))));

// The filter history of both channels, named after the state words: input
// (x), low band (l), high band (h), high cut (y) and low cut (c), each one
// and two frames back.
struct CHistory {
    TStereo x1, x2, l1, l2, h1, h2, y1, y2, c1, c2;
};

CHistory Load(const float* a, const float* b)
{
    return {TStereo{a[0], b[0]}, TStereo{a[1], b[1]}, TStereo{a[2], b[2]}, TStereo{a[3], b[3]},
            TStereo{a[4], b[4]}, TStereo{a[5], b[5]}, TStereo{a[6], b[6]}, TStereo{a[7], b[7]},
            TStereo{a[8], b[8]}, TStereo{a[9], b[9]}};
}

void Store(const CHistory& r, float* a, float* b)
{
    const TStereo words[10] = {r.x1, r.x2, r.l1, r.l2, r.h1, r.h2, r.y1, r.y2, r.c1, r.c2};
    for (int i = 0; i < 10; ++i) {
        a[i] = words[i][0];
        b[i] = words[i][1];
    }
}

} // namespace

void CEqualizerEffect::Filter(float* left, float* right)
{
    const CPeakingBand lo = fLowBand;
    const CPeakingBand hi = fHighBand;
    const CLowCut cut = fLowCut;
    const CHighCut top = fHighCut;
    CHistory r = Load(fLeft.fWords, fRight.fWords);
    for (int i = 0; i < kBlockFrames; ++i) {
        const TStereo s = {left[i], right[i]};
        TStereo u = s - r.x2 + kAntiDenormal;
        r.x2 = r.x1;
        r.x1 = s;
        // The two bands run in parallel on the same input.
        TStereo l = lo.fA * u + lo.fC * r.l1 - lo.fB * r.l2;
        r.l2 = r.l1;
        r.l1 = l;
        TStereo h = hi.fA * u + hi.fC * r.h1 - hi.fB * r.h2;
        r.h2 = r.h1;
        r.h1 = h;
        TStereo e = s + lo.fA1 * l + hi.fA1 * h;

        TStereo c = cut.fK * e + cut.fP1 * r.c1 - cut.fP2 * r.c2;
        TStereo z = c - 2.0f * r.c1 + r.c2;
        r.c2 = r.c1;
        r.c1 = c;

        TStereo y = top.fGain * z + top.fQ1 * r.y1 - top.fQ2 * r.y2;
        r.y2 = r.y1;
        r.y1 = y;
        left[i] = y[0];
        right[i] = y[1];
    }
    Store(r, fLeft.fWords, fRight.fWords);
}

} // namespace NSZubrik
