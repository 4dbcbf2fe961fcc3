// The slice sampler: plays segments of one wave sample through eight voices
// and mixes them into stereo blocks of 64 frames.
//
// A slice voice plays its segment with the amplitude envelope ("Envelope":
// Attack, Decay, Stretch) and the transient shaper. When the segment runs out
// before the envelope ends it keeps sounding by swinging back and forth
// between the segment's two stretch points while a fade takes it to silence;
// on the backward leg a ramp lowers the level towards the points' amplitude
// ratio so that the louder earlier peak matches the later one. A region voice
// plays a range of the sample unchanged, once or looping between the
// locators, for playback without tempo change.
//
// Threads: Render, the voice starts and the queries run on the audio thread
// (or offline on a copy); the setters run on the GUI thread. Each setting is
// a single relaxed atomic value, picked up at the next block. Render never
// allocates, locks or waits; the shaper's meter is only ever try-locked.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/TransientShaper.h"

namespace NSZubrik {

class CABCWaveSample;
class CDSPTables;
struct CSegment;

class CZubrikSampler {
public:
    static constexpr int kVoiceCount = 8;
    static constexpr int kBlockFrames = 64;
    // A block at the largest step reads 64 source frames per output frame,
    // plus 16 frames of read-ahead for the interpolation taps.
    static constexpr int kScratchFrames = kBlockFrames * 64 + 16;
    static constexpr int32_t kMaximumStep = 0x100000;
    static constexpr int32_t kFractionOne = 16384;  // steps are 1/16384 frame
    static constexpr int32_t kMinimumOutputRate = 11025;
    static constexpr int32_t kMaximumOutputRate = 1000000;
    // Mixing headroom of every voice, so that a few overlapping voices at
    // full level stay inside the output range.
    static constexpr float kVoiceGain = 0.8333333f;
    static constexpr float kSilenceLevel = 6.25e-5f;
    static constexpr float kMinimumFade = 1e-6f;

    static constexpr int16_t kDefaultEnvelopeAttack = 21;
    static constexpr int16_t kDefaultEnvelopeDecay = 1023;  // 1023: no decay
    static constexpr int16_t kDefaultEnvelopeStretch = 40;
    static constexpr int16_t kMaximumEnvelopeTime = 1023;
    static constexpr int16_t kMaximumEnvelopeStretch = 100;
    static constexpr int32_t kUnityGain = 1000;

    enum EVoiceKind : int32_t { kNoVoice = 0, kSliceVoice = 1, kRegionVoice = 2 };
    enum EEnvelopeState : int32_t { kSilent = 0, kAttack = 1, kDecay = 2, kRelease = 3 };
    enum EDirection : int32_t { kBeforeFirstTurn = 0, kForward = 1, kBackward = 2 };

    struct SVoice {
        int32_t fKind = kNoVoice;
        int32_t fPosition = 0;  // source frame read next
        int32_t fFraction = 0;  // 14-bit fraction of the read position
        float fRate = 1.0f;     // wave rate / output rate
        int32_t fDirection = kBeforeFirstTurn;  // slice voice
        bool fLooping = false;                  // region voice
        // Slice voice: the stretch points. Region voice: [fLow, fHigh).
        int32_t fLow = 0;
        int32_t fHigh = 0;
        int32_t fEnvelopeState = kSilent;
        float fEnvelopeLevel = 0.0f;
        float fGain = 0.0f;  // gain reached at the end of the last block
        bool fStretching = false;
        float fFade = 1.0f;
        float fFadeStep = 1.0f;  // per source frame
        float fRamp = 1.0f;
        float fRampStep = 0.0f;  // per source frame
        SShaperEnvelope fShaper;
    };

    explicit CZubrikSampler(int32_t outputSampleRate = 44100);
    // Copies the settings, the wave sample and the output rate (holding its
    // own reference on the tables); all voices of the copy are silent.
    CZubrikSampler(const CZubrikSampler& other);
    CZubrikSampler& operator=(const CZubrikSampler&) = delete;
    ~CZubrikSampler();

    // Clamped to 11025…1000000. GUI thread: switches the shared tables.
    void SetOutputSampleRate(int32_t rate);
    int32_t GetOutputSampleRate() const { return fOutputRate.load(std::memory_order_relaxed); }
    // Not owned; null renders silence.
    void SetWaveSample(const CABCWaveSample* wave);
    const CABCWaveSample* GetWaveSample() const { return fWave.load(std::memory_order_acquire); }

    void SetPitch(int16_t cents) { fPitch.store(cents, std::memory_order_relaxed); }
    int16_t GetPitch() const { return fPitch.load(std::memory_order_relaxed); }
    // Processing gain in thousandths (1000 = unity).
    void SetGain(int32_t thousandths);
    int32_t GetGain() const;
    void SetEnvelopeOn(bool on) { fEnvelopeOn.store(on, std::memory_order_relaxed); }
    bool IsEnvelopeOn() const { return fEnvelopeOn.load(std::memory_order_relaxed); }
    void SetEnvelopeAttack(int16_t index);
    int16_t GetEnvelopeAttack() const { return fEnvelopeAttack.load(std::memory_order_relaxed); }
    void SetEnvelopeDecay(int16_t index);
    int16_t GetEnvelopeDecay() const { return fEnvelopeDecay.load(std::memory_order_relaxed); }
    void SetEnvelopeStretch(int16_t percent);
    int16_t GetEnvelopeStretch() const { return fEnvelopeStretch.load(std::memory_order_relaxed); }

    void SetShaperOn(bool on) { fShaper.SetOn(on); }
    bool IsShaperOn() const { return fShaper.IsOn(); }
    void SetShaperThreshold(int16_t value) { fShaper.SetThreshold(value); }
    int16_t GetShaperThreshold() const { return fShaper.GetThreshold(); }
    void SetShaperRatio(int16_t value) { fShaper.SetRatio(value); }
    int16_t GetShaperRatio() const { return fShaper.GetRatio(); }
    void SetShaperAttack(int16_t index) { fShaper.SetAttack(index); }
    int16_t GetShaperAttack() const { return fShaper.GetAttack(); }
    void SetShaperRelease(int16_t index) { fShaper.SetRelease(index); }
    int16_t GetShaperRelease() const { return fShaper.GetRelease(); }

    // The transient shaper's gain factor of a voice (0…7).
    float ShaperFactor(int voice, bool updateMeter);
    // Meter extremes of the shaper factor since the last take (GUI thread).
    float TakeMinimumFactor() { return fShaper.TakeMinimumFactor(); }
    float TakeMaximumFactor() { return fShaper.TakeMaximumFactor(); }

    // Each start sends every sounding voice to release and starts the next
    // voice in turn; it never waits for a free voice.
    void StartSliceVoice(const CSegment& segment);
    // One pass over [start, end).
    void StartRegionVoice(int32_t start, int32_t end);
    // From frame on, looping between the locators (or over the whole sample
    // when frame lies at or after the loop end).
    void StartLoopingRegionVoice(int32_t frame);
    void ReleaseAll();
    // Looping region voices finish their present pass and stop.
    void StopLooping();
    void Reset();

    bool IsSilent() const;
    bool IsStretching() const;
    int32_t GetPlayPosition() const;
    int GetLastVoiceIndex() const { return fLastVoice; }
    const SVoice& GetVoice(int index) const { return fVoices[index]; }

    // Output frames the segment sounds when played alone with the present
    // settings, at least 1.
    int32_t RenderedLength(const CSegment& segment) const;

    // Clears 64 frames of out[0] (left) and out[1] (right), then adds every
    // sounding voice.
    void Render(float* const out[2]);

private:
    struct SSliceCursor;
    struct SSourceWindow;

    const CDSPTables& Tables() const { return *fTables.load(std::memory_order_acquire); }
    SVoice& NextVoice();
    // Sets every field of a slice voice but the gain.
    void InitSliceVoice(SVoice& voice, const CSegment& segment) const;
    void InitRegionVoice(SVoice& voice, int32_t start) const;
    float Rate() const;
    int32_t SliceStep(float rate) const;
    float TargetGain(SVoice& voice, bool updateMeter);
    static void SetLoopRegion(SVoice& voice, const CABCWaveSample& wave);

    void RenderSliceVoice(SVoice& voice, const CABCWaveSample& wave, float* const out[2]);
    void RenderRegionVoice(SVoice& voice, const CABCWaveSample& wave, float* const out[2]);
    void FetchSliceFrames(SSliceCursor& cursor, int first, int count, bool mayStartStretching,
                          SSourceWindow& source);
    void FetchRegionFrames(SVoice& voice, int first, int count, SSourceWindow& source);

    std::atomic<int32_t> fOutputRate;
    std::atomic<const CDSPTables*> fTables;
    std::atomic<const CABCWaveSample*> fWave{nullptr};

    std::atomic<int16_t> fPitch{0};
    std::atomic<float> fGain{static_cast<float>(kUnityGain)};
    std::atomic<bool> fEnvelopeOn{true};
    std::atomic<int16_t> fEnvelopeAttack{kDefaultEnvelopeAttack};
    std::atomic<int16_t> fEnvelopeDecay{kDefaultEnvelopeDecay};
    std::atomic<int16_t> fEnvelopeStretch{kDefaultEnvelopeStretch};
    CTransientShaper fShaper;

    int fLastVoice = 0;
    SVoice fVoices[kVoiceCount];
    // Resampler input: the source frames one block of one voice needs.
    std::unique_ptr<float[]> fScratchLeft;
    std::unique_ptr<float[]> fScratchRight;
    // Raw source frames read in bulk from the wave sample.
    std::unique_ptr<float[]> fSourceLeft;
    std::unique_ptr<float[]> fSourceRight;
};

} // namespace NSZubrik
