#include "engine/Sampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audiodata/Segment.h"
#include "audiodata/WaveSample.h"
#include "engine/DSPTables.h"

namespace NSZubrik {

namespace {

constexpr float kPerFrame = 0.015625f;  // 1/64: spreads a block's change
constexpr int kReadAhead = 16;

// The running gain of one voice through a block: it moves by fStep per
// frame, unless an attack steeper than that rises at its own slope and stops
// at the target.
struct SGainRamp {
    float fGain;
    float fStep;
    float fAttackSlope;
    float fTarget;

    void Advance() {
        if (fAttackSlope > 0.0f && fAttackSlope > fStep) {
            fGain += fAttackSlope;
            if (fGain >= fTarget) {
                fGain = fTarget;
                fAttackSlope = 0.0f;
                fStep = 0.0f;
            }
        } else {
            fGain += fStep;
        }
    }
};

// One tap sum of the six-tap kernel at the given phase; frames[0…5] are the
// source frames around the read position.
inline float KernelSum(const float* frames, const float* taps) {
    constexpr int kPhases = CDSPTables::kKernelPhases;
    float sum = frames[5] * taps[0];
    sum += frames[4] * taps[kPhases];
    sum += frames[3] * taps[2 * kPhases];
    sum += frames[2] * taps[3 * kPhases];
    sum += frames[1] * taps[4 * kPhases];
    sum += frames[0] * taps[5 * kPhases];
    return sum;
}

// Resamples 64 output frames from the scratch buffers with the kernel and
// adds them to the output with the running gain. A mono source is
// interpolated once and given to both sides.
template <bool kStereo>
void InterpolateChannels(const float* left, const float* right, int32_t fraction, int32_t step,
                         SGainRamp& ramp, float* const out[2]) {
    const float* const kernel = CDSPTables::Kernel();
    float* const outLeft = out[0];
    float* const outRight = out[1];
    int32_t p = fraction;
    for (int frame = 0; frame < CZubrikSampler::kBlockFrames; ++frame, p += step) {
        const int32_t i = p >> 14;
        const float* const taps = kernel + ((p >> 6) & 255);
        const float sampleLeft = KernelSum(left + i, taps);
        const float sampleRight = kStereo ? KernelSum(right + i, taps) : sampleLeft;
        outLeft[frame] += sampleLeft * ramp.fGain;
        outRight[frame] += sampleRight * ramp.fGain;
        ramp.Advance();
    }
}

float Interpolate(const float* left, const float* right, bool stereo, int32_t fraction,
                  int32_t step, SGainRamp ramp, float* const out[2]) {
    if (stereo) {
        InterpolateChannels<true>(left, right, fraction, step, ramp, out);
    } else {
        InterpolateChannels<false>(left, left, fraction, step, ramp, out);
    }
    return ramp.fGain;
}

} // namespace

// The moving part of a slice voice while its source frames are fetched.
struct CZubrikSampler::SSliceCursor {
    int32_t fPosition;
    int32_t fDirection;
    int32_t fLow;
    int32_t fHigh;
    bool fStretching;
    float fFade;
    float fFadeStep;
    float fRamp;
    float fRampStep;

    explicit SSliceCursor(const SVoice& voice)
        : fPosition(voice.fPosition),
          fDirection(voice.fDirection),
          fLow(voice.fLow),
          fHigh(voice.fHigh),
          fStretching(voice.fStretching),
          fFade(voice.fFade),
          fFadeStep(voice.fFadeStep),
          fRamp(voice.fRamp),
          fRampStep(voice.fRampStep) {}

    void StoreInto(SVoice& voice) const {
        voice.fPosition = fPosition;
        voice.fDirection = fDirection;
        voice.fStretching = fStretching;
        voice.fFade = fFade;
        voice.fRamp = fRamp;
    }
};

// Raw source frames of one voice for one block, read from the wave sample
// in runs rather than frame by frame. A miss refills the window with as many
// frames as the block can still need, in the direction the voice moves.
struct CZubrikSampler::SSourceWindow {
    const CABCWaveSample& fWave;
    const bool fStereo;
    float* const fLeft;
    float* const fRight;
    int32_t fStart = 0;
    int32_t fEnd = 0;

    SSourceWindow(const CABCWaveSample& wave, float* left, float* right)
        : fWave(wave), fStereo(wave.IsStereo()), fLeft(left), fRight(right) {}

    // remaining (1…kScratchFrames) bounds the refill.
    void Read(int32_t position, bool backward, int32_t remaining, float& left, float& right) {
        if (position < fStart || position >= fEnd) {
            if (!Refill(position, backward, remaining)) {
                left = right = 0.0f;
                return;
            }
        }
        const int32_t i = position - fStart;
        left = fLeft[i];
        right = fStereo ? fRight[i] : left;
    }

    bool Refill(int32_t position, bool backward, int32_t remaining) {
        const int32_t frameCount = fWave.GetFrameCount();
        if (position < 0 || position >= frameCount) {
            return false;  // never reached by well-formed segments
        }
        int32_t count;
        if (backward) {
            count = std::min(remaining, position + 1);
            fStart = position + 1 - count;
        } else {
            count = std::min(remaining, frameCount - position);
            fStart = position;
        }
        fEnd = fStart + count;
        fWave.GetFloats(fStart, count, fLeft, 1);
        if (fStereo) {
            fWave.GetFloats(fStart, count, fRight, 2);
        }
        return true;
    }
};

CZubrikSampler::CZubrikSampler(int32_t outputSampleRate)
    : fOutputRate(std::clamp(outputSampleRate, kMinimumOutputRate, kMaximumOutputRate)),
      fTables(&CDSPTablesCache::Acquire(GetOutputSampleRate())),
      fScratchLeft(new float[kScratchFrames]()),
      fScratchRight(new float[kScratchFrames]()),
      fSourceLeft(new float[kScratchFrames]()),
      fSourceRight(new float[kScratchFrames]()) {}

CZubrikSampler::CZubrikSampler(const CZubrikSampler& other)
    : fOutputRate(other.GetOutputSampleRate()),
      fTables(&CDSPTablesCache::Acquire(GetOutputSampleRate())),
      fWave(other.GetWaveSample()),
      fPitch(other.GetPitch()),
      fGain(other.fGain.load(std::memory_order_relaxed)),
      fEnvelopeOn(other.IsEnvelopeOn()),
      fEnvelopeAttack(other.GetEnvelopeAttack()),
      fEnvelopeDecay(other.GetEnvelopeDecay()),
      fEnvelopeStretch(other.GetEnvelopeStretch()),
      fShaper(other.fShaper),
      fScratchLeft(new float[kScratchFrames]()),
      fScratchRight(new float[kScratchFrames]()),
      fSourceLeft(new float[kScratchFrames]()),
      fSourceRight(new float[kScratchFrames]()) {}

CZubrikSampler::~CZubrikSampler() {
    CDSPTablesCache::Release(GetOutputSampleRate());
}

void CZubrikSampler::SetOutputSampleRate(int32_t rate) {
    rate = std::clamp(rate, kMinimumOutputRate, kMaximumOutputRate);
    const int32_t old = GetOutputSampleRate();
    if (rate == old) {
        return;
    }
    // Take the new tables before letting go of the old ones, so that the
    // pointer the audio thread reads is valid at every moment.
    fTables.store(&CDSPTablesCache::Acquire(rate), std::memory_order_release);
    fOutputRate.store(rate, std::memory_order_relaxed);
    CDSPTablesCache::Release(old);
}

void CZubrikSampler::SetWaveSample(const CABCWaveSample* wave) {
    fWave.store(wave, std::memory_order_release);
}

void CZubrikSampler::SetGain(int32_t thousandths) {
    fGain.store(static_cast<float>(thousandths), std::memory_order_relaxed);
}

int32_t CZubrikSampler::GetGain() const {
    return static_cast<int32_t>(fGain.load(std::memory_order_relaxed));
}

void CZubrikSampler::SetEnvelopeAttack(int16_t index) {
    fEnvelopeAttack.store(std::clamp<int16_t>(index, 0, kMaximumEnvelopeTime),
                          std::memory_order_relaxed);
}

void CZubrikSampler::SetEnvelopeDecay(int16_t index) {
    fEnvelopeDecay.store(std::clamp<int16_t>(index, 0, kMaximumEnvelopeTime),
                         std::memory_order_relaxed);
}

void CZubrikSampler::SetEnvelopeStretch(int16_t percent) {
    fEnvelopeStretch.store(std::clamp<int16_t>(percent, 0, kMaximumEnvelopeStretch),
                           std::memory_order_relaxed);
}

float CZubrikSampler::ShaperFactor(int voice, bool updateMeter) {
    return fShaper.Factor(fVoices[voice].fShaper, updateMeter);
}

// ---- Voice starts and queries -------------------------------------------

CZubrikSampler::SVoice& CZubrikSampler::NextVoice() {
    ReleaseAll();
    fLastVoice = (fLastVoice + 1) % kVoiceCount;
    return fVoices[fLastVoice];
}

float CZubrikSampler::Rate() const {
    const CABCWaveSample* wave = GetWaveSample();
    const auto waveRate = static_cast<uint32_t>(wave != nullptr ? wave->GetSampleRate() : 0);
    return static_cast<float>(waveRate) / static_cast<float>(static_cast<uint32_t>(GetOutputSampleRate()));
}

int32_t CZubrikSampler::SliceStep(float rate) const {
    const int index = std::clamp(GetPitch() + CDSPTables::kPitchUnityIndex, 0,
                                 CDSPTables::kPitchTableSize - 1);
    const float step = static_cast<float>(CDSPTables::PitchTable()[index]) * rate;
    // Limited before the conversion so that no rate can overflow it.
    return static_cast<int32_t>(std::min(step, static_cast<float>(kMaximumStep)));
}

void CZubrikSampler::InitSliceVoice(SVoice& voice, const CSegment& segment) const {
    voice = SVoice{};
    voice.fKind = kSliceVoice;
    voice.fPosition = segment.fStart;
    voice.fRate = Rate();
    const bool envelopeOn = IsEnvelopeOn();
    if (envelopeOn && GetEnvelopeAttack() > 0) {
        voice.fEnvelopeState = kAttack;
        voice.fEnvelopeLevel = 0.0f;
    } else {
        voice.fEnvelopeState = kDecay;
        voice.fEnvelopeLevel = 1.0f;
    }
    // The tail fades out over the stretch amount of the part before the
    // stretch point plus whatever follows it.
    const int64_t stretchFactor = envelopeOn ? GetEnvelopeStretch() + 1 : 1;
    const int64_t fadeLength =
        static_cast<int64_t>(segment.fStretchHigh - segment.fStart) * stretchFactor / 100 +
        (segment.fEnd - segment.fStretchHigh);
    voice.fFadeStep = fadeLength > 1 ? 1.0f / static_cast<float>(fadeLength) : 1.0f;
    voice.fHigh = segment.fStretchHigh;
    voice.fLow = segment.fStretchLow;
    voice.fDirection = kBeforeFirstTurn;
    // A segment without a stretch span has no level difference to bridge.
    const int32_t span = segment.fStretchHigh - segment.fStretchLow;
    voice.fRampStep = span > 0 ? (1.0f - segment.fRatio) / static_cast<float>(span) : 0.0f;
    fShaper.Start(voice.fShaper);
}

void CZubrikSampler::InitRegionVoice(SVoice& voice, int32_t start) const {
    voice = SVoice{};
    voice.fKind = kRegionVoice;
    voice.fPosition = start;
    voice.fRate = Rate();
    voice.fEnvelopeState = kDecay;
    voice.fEnvelopeLevel = 1.0f;
    voice.fGain = kVoiceGain;
}

float CZubrikSampler::TargetGain(SVoice& voice, bool updateMeter) {
    const float factor = fShaper.Factor(voice.fShaper, updateMeter);
    const float processingGain = fGain.load(std::memory_order_relaxed) * 0.001f;
    return factor * voice.fEnvelopeLevel * processingGain * kVoiceGain;
}

void CZubrikSampler::StartSliceVoice(const CSegment& segment) {
    SVoice& voice = NextVoice();
    InitSliceVoice(voice, segment);
    // The first block starts at the target, without a ramp.
    voice.fGain = TargetGain(voice, true);
}

void CZubrikSampler::StartRegionVoice(int32_t start, int32_t end) {
    SVoice& voice = NextVoice();
    InitRegionVoice(voice, start);
    const CABCWaveSample* wave = GetWaveSample();
    voice.fLooping = false;
    voice.fLow = start;
    voice.fHigh = std::min(end, wave != nullptr ? wave->GetFrameCount() : 0);
    if (start < 0 || start >= voice.fHigh) {
        voice.fEnvelopeState = kSilent;  // nothing to play
    }
}

void CZubrikSampler::StartLoopingRegionVoice(int32_t frame) {
    SVoice& voice = NextVoice();
    InitRegionVoice(voice, frame);
    voice.fLooping = true;
    const CABCWaveSample* wave = GetWaveSample();
    if (wave == nullptr || frame < 0 || frame >= wave->GetFrameCount()) {
        voice.fEnvelopeState = kSilent;
        return;
    }
    SetLoopRegion(voice, *wave);
}

void CZubrikSampler::SetLoopRegion(SVoice& voice, const CABCWaveSample& wave) {
    // Between the locators until the voice has passed the loop end, then
    // over the whole sample. An empty loop counts as passed.
    const int32_t loopStart = wave.GetLoopStart();
    const int32_t loopEnd = wave.GetLoopEnd();
    if (voice.fPosition < loopEnd && loopStart < loopEnd) {
        voice.fLow = loopStart;
        voice.fHigh = loopEnd;
    } else {
        voice.fLow = 0;
        voice.fHigh = wave.GetFrameCount();
    }
}

void CZubrikSampler::ReleaseAll() {
    for (SVoice& voice : fVoices) {
        if (voice.fEnvelopeState != kSilent) {
            voice.fEnvelopeState = kRelease;
        }
    }
}

void CZubrikSampler::StopLooping() {
    for (SVoice& voice : fVoices) {
        if (voice.fKind == kRegionVoice) {
            voice.fLooping = false;
        }
    }
}

void CZubrikSampler::Reset() {
    for (SVoice& voice : fVoices) {
        voice = SVoice{};
    }
}

bool CZubrikSampler::IsSilent() const {
    return fVoices[fLastVoice].fEnvelopeState == kSilent;
}

bool CZubrikSampler::IsStretching() const {
    return !IsSilent() && fVoices[fLastVoice].fStretching;
}

int32_t CZubrikSampler::GetPlayPosition() const {
    return fVoices[fLastVoice].fPosition;
}

int32_t CZubrikSampler::RenderedLength(const CSegment& segment) const {
    SVoice voice;
    InitSliceVoice(voice, segment);
    const double sourceFrames =
        1.0 / voice.fFadeStep + static_cast<double>(voice.fHigh - segment.fStart);
    const int32_t step = SliceStep(voice.fRate);
    double frames = step > 0 ? sourceFrames / (step * (1.0 / kFractionOne))
                             : std::numeric_limits<double>::infinity();
    if (IsEnvelopeOn()) {
        const CDSPTables& tables = Tables();
        const double attackFrames =
            voice.fEnvelopeState == kAttack
                ? kBlockFrames / static_cast<double>(tables.Increments()[GetEnvelopeAttack()])
                : 0.0;
        const int16_t decay = GetEnvelopeDecay();
        if (decay < CDSPTables::kNoReleaseIndex) {
            const double envelopeFrames =
                std::log(static_cast<double>(kSilenceLevel)) /
                    std::log(static_cast<double>(tables.Multipliers()[decay])) * kBlockFrames +
                attackFrames;
            frames = std::min(frames, envelopeFrames);
        }
    }
    frames = std::clamp(frames, 1.0, static_cast<double>(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(frames);
}

// ---- Rendering ----------------------------------------------------------

void CZubrikSampler::Render(float* const out[2]) {
    std::fill(out[0], out[0] + kBlockFrames, 0.0f);
    std::fill(out[1], out[1] + kBlockFrames, 0.0f);
    const CABCWaveSample* wave = GetWaveSample();
    if (wave == nullptr) {
        return;
    }
    for (SVoice& voice : fVoices) {
        if (voice.fEnvelopeState == kSilent) {
            continue;
        }
        if (voice.fKind == kSliceVoice) {
            RenderSliceVoice(voice, *wave, out);
        } else if (voice.fKind == kRegionVoice) {
            RenderRegionVoice(voice, *wave, out);
        }
    }
}

void CZubrikSampler::RenderSliceVoice(SVoice& voice, const CABCWaveSample& wave,
                                      float* const out[2]) {
    if ((voice.fEnvelopeState == kDecay || voice.fEnvelopeState == kRelease) &&
        voice.fFade * voice.fEnvelopeLevel < kSilenceLevel) {
        voice.fEnvelopeState = kSilent;
        return;
    }
    const CDSPTables& tables = Tables();
    const int32_t step = SliceStep(voice.fRate);
    fShaper.Advance(voice.fShaper, tables);

    // The envelope moves once per block; only the gain is ramped per frame.
    const bool envelopeOn = IsEnvelopeOn();
    const int attack = envelopeOn ? GetEnvelopeAttack() : 0;
    const int decay = envelopeOn ? GetEnvelopeDecay() : CDSPTables::kNoReleaseIndex;
    float attackSlope = 0.0f;
    switch (voice.fEnvelopeState) {
    case kAttack:
        voice.fEnvelopeLevel += tables.Increments()[attack];
        attackSlope = tables.Increments()[attack] * kPerFrame;
        break;
    case kDecay:
        voice.fEnvelopeLevel *= tables.Multipliers()[decay];
        break;
    case kRelease:
        voice.fEnvelopeLevel *= tables.Multipliers()[0];
        break;
    default:
        break;
    }
    if (voice.fEnvelopeLevel > 1.0f) {
        voice.fEnvelopeState = kDecay;
        voice.fEnvelopeLevel = 1.0f;
    }
    const float target = TargetGain(voice, true);
    const float gainStep = (target - voice.fGain) * kPerFrame;
    if (gainStep >= attackSlope) {
        attackSlope = 0.0f;
    }

    const int32_t total = step * kBlockFrames + voice.fFraction;
    const int needed = total >> 14;
    SSourceWindow source(wave, fSourceLeft.get(), fSourceRight.get());
    SSliceCursor cursor(voice);
    FetchSliceFrames(cursor, 0, needed, true, source);
    cursor.StoreInto(voice);
    FetchSliceFrames(cursor, needed, kReadAhead, false, source);

    voice.fGain = Interpolate(fScratchLeft.get(), fScratchRight.get(), wave.IsStereo(),
                              voice.fFraction, step,
                              SGainRamp{voice.fGain, gainStep, attackSlope, target}, out);
    voice.fFraction = total & 0x3FFF;
}

void CZubrikSampler::FetchSliceFrames(SSliceCursor& c, int first, int count,
                                      bool mayStartStretching, SSourceWindow& source) {
    float* const left = fScratchLeft.get() + first;
    float* const right = fScratchRight.get() + first;
    int k = 0;
    // Straight ahead before the first turn, ramp and fade are both exactly
    // 1.0: the frames up to just before the high point copy in one run.
    if (!c.fStretching && c.fDirection != kBackward && c.fPosition >= 0) {
        const int32_t limit = std::min(c.fHigh - 1, source.fWave.GetFrameCount());
        const int run = static_cast<int>(std::clamp(limit - c.fPosition, 0, count));
        if (run > 0) {
            source.fWave.GetFloats(c.fPosition, run, left, 1);
            if (source.fStereo) {
                source.fWave.GetFloats(c.fPosition, run, right, 2);
            }
            c.fPosition += run;
            k = run;
        }
    }
    for (; k < count; ++k) {
        float l;
        float r;
        source.Read(c.fPosition, c.fDirection == kBackward, count - k, l, r);
        const float scale = c.fRamp * c.fFade;
        left[k] = l * scale;
        right[k] = r * scale;
        if (c.fStretching) {
            c.fFade = std::max(c.fFade - c.fFadeStep, kMinimumFade);
            c.fRamp += c.fDirection == kForward ? c.fRampStep : -c.fRampStep;
        }
        if (c.fDirection != kBackward) {
            if (++c.fPosition < c.fHigh) {
                continue;
            }
            // The segment has run out: turn at the high stretch point and
            // start swinging, moving back at once.
            if (mayStartStretching) {
                c.fStretching = true;
            }
            c.fDirection = kBackward;
        }
        if (--c.fPosition <= c.fLow) {
            c.fDirection = kForward;
        }
    }
}

void CZubrikSampler::RenderRegionVoice(SVoice& voice, const CABCWaveSample& wave,
                                       float* const out[2]) {
    if (voice.fEnvelopeState == kRelease && voice.fEnvelopeLevel < kSilenceLevel) {
        voice.fEnvelopeState = kSilent;
        return;
    }
    const CDSPTables& tables = Tables();
    const float unityStep =
        static_cast<float>(CDSPTables::PitchTable()[CDSPTables::kPitchUnityIndex]) * voice.fRate;
    const int32_t step = static_cast<int32_t>(std::min(unityStep, static_cast<float>(kMaximumStep)));
    if (voice.fEnvelopeState == kRelease) {
        voice.fEnvelopeLevel *= tables.Multipliers()[0];
    }
    const float gainStep = (voice.fEnvelopeLevel * kVoiceGain - voice.fGain) * kPerFrame;

    if (voice.fLooping) {
        SetLoopRegion(voice, wave);  // the locators may have moved
    }

    const int32_t total = step * kBlockFrames + voice.fFraction;
    const int needed = total >> 14;
    SSourceWindow source(wave, fSourceLeft.get(), fSourceRight.get());
    FetchRegionFrames(voice, 0, needed, source);
    SVoice ahead = voice;
    FetchRegionFrames(ahead, needed, kReadAhead, source);

    voice.fGain = Interpolate(fScratchLeft.get(), fScratchRight.get(), wave.IsStereo(),
                              voice.fFraction, step, SGainRamp{voice.fGain, gainStep, 0.0f, 0.0f},
                              out);
    voice.fFraction = total & 0x3FFF;
}

void CZubrikSampler::FetchRegionFrames(SVoice& voice, int first, int count,
                                       SSourceWindow& source) {
    float* const left = fScratchLeft.get() + first;
    float* const right = fScratchRight.get() + first;
    const int32_t frameCount = source.fWave.GetFrameCount();
    int k = 0;
    while (k < count) {
        // Runs up to the region end (or the end of what this block needs).
        int run = 1;
        if (voice.fEnvelopeState == kSilent) {
            run = count - k;
            std::fill(left + k, left + count, 0.0f);
            std::fill(right + k, right + count, 0.0f);
        } else if (voice.fPosition >= 0 && voice.fPosition < std::min(voice.fHigh, frameCount)) {
            const int32_t end = std::min(voice.fHigh, frameCount);
            run = static_cast<int>(std::min<int32_t>(end - voice.fPosition, count - k));
            source.fWave.GetFloats(voice.fPosition, run, left + k, 1);
            if (source.fStereo) {
                source.fWave.GetFloats(voice.fPosition, run, right + k, 2);
            }
        } else {
            left[k] = right[k] = 0.0f;  // outside the sample: never for sane regions
        }
        k += run;
        voice.fPosition += run;
        if (voice.fPosition >= voice.fHigh && voice.fEnvelopeState != kSilent) {
            if (voice.fLooping) {
                voice.fPosition = voice.fLow;
            } else {
                voice.fEnvelopeState = kSilent;
            }
        }
    }
}

} // namespace NSZubrik
