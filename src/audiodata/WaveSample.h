// The in-memory audio of one document: one or two channels of integer
// samples, the sample rate, the loop locators and a coarse min/max preview.
//
// Every client reads and writes the audio in the numeric view it works in;
// the storage class converts. Views:
//   Float    - the value scaled to -1 ... +1 (reads by 2^-15 or 2^-23;
//              writes by 32767 or 8388607, rounded half away from zero and
//              clamped into the storage range).
//   Int16    - the top 16 bits (24-bit storage shifts by 8).
//   Int24    - the value on the 24-bit scale (16-bit storage shifts by 8).
//   Float24  - a float holding the 24-bit scale value; writes truncate.
//   ...Stereo - both channels interleaved as (first, second) pairs; only on
//              stereo samples.
// Channels are numbered 1 (left, or the only one) and 2 (right); any number
// other than 2 names the first channel. The store does no bounds checks:
// frames and ranges must lie inside 0 ... frameCount and channel 2 may be
// named only on a stereo sample. Range operations with count <= 0 do nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace NSZubrik {

// Min/max pairs of the 16-bit view, one pair per whole block of 64 frames.
// The pair of block b describes the window of up to 192 frames that starts
// at frame 64*b, so neighbouring windows overlap; the last frameCount mod 64
// frames have no block of their own.
class CWaveSamplePreview {
public:
    struct SMinMax {
        int16_t fMin;
        int16_t fMax;
    };

    static constexpr int32_t kBlockFrames = 64;
    static constexpr int32_t kWindowFrames = 192;

    CWaveSamplePreview(int32_t blockCount, bool stereo);

    int32_t GetBlockCount() const { return fBlockCount; }
    bool IsStereo() const { return fSecond != nullptr; }

    // The pairs of one channel (2 = second, anything else the first);
    // GetBlockCount() entries, null when there are none.
    const SMinMax* GetPairs(int32_t channel) const;
    SMinMax* GetPairs(int32_t channel);
    SMinMax GetPair(int32_t block, int32_t channel) const { return GetPairs(channel)[block]; }

private:
    int32_t fBlockCount;
    std::unique_ptr<SMinMax[]> fFirst;
    std::unique_ptr<SMinMax[]> fSecond;
};

// Asks for a new store whose arrays are not zeroed: for a loader that writes
// every frame before anything reads one, so that the memory is written once
// instead of being cleared first.
struct SForOverwrite {};
inline constexpr SForOverwrite kForOverwrite{};

class CABCWaveSample {
public:
    static constexpr int32_t kLoopModeInitial = 1;
    static constexpr int32_t kLoopModeSet = 2;

    virtual ~CABCWaveSample();
    CABCWaveSample(const CABCWaveSample&) = delete;
    CABCWaveSample& operator=(const CABCWaveSample&) = delete;

    int32_t GetSampleRate() const { return fSampleRate; }
    int32_t GetFrameCount() const { return fFrameCount; }
    int32_t GetBitDepth() const { return fBitDepth; }
    bool IsStereo() const { return fStereo; }
    void SetStereo(bool stereo) { fStereo = stereo; }

    int32_t GetLoopMode() const { return fLoopMode; }
    int32_t GetLoopStart() const { return fLoopStart.load(std::memory_order_relaxed); }
    int32_t GetLoopEnd() const { return fLoopEnd.load(std::memory_order_relaxed); }
    // Stores the locators and marks them as set.
    void SetLoop(int32_t loopMode, int32_t loopStart, int32_t loopEnd);
    bool AreLocatorsSet() const { return fLocatorsSet; }
    // Derived samples carry the flag of the sample they were made from.
    void SetLocatorsSet(bool set) { fLocatorsSet = set; }

    // Rebuilds the preview from the current samples. Edits do not refresh
    // it: whoever changes samples calls this again.
    void BuildPreview();
    // Builds the preview unless one has been built already: every place
    // where a sample enters a document or a loop object calls this, since
    // the gate and the drawing read nothing else.
    void EnsurePreview()
    {
        if (!fPreviewValid)
            BuildPreview();
    }
    bool IsPreviewValid() const { return fPreviewValid; }
    const CWaveSamplePreview* GetPreview() const { return fPreview.get(); }

    // New arrays of newFrameCount frames: the first min(old, new) frames of
    // each channel are kept, the rest is zero. On failure the sample keeps
    // its old arrays.
    virtual void Resize(int32_t newFrameCount) = 0;
    virtual void ClearRange(int32_t start, int32_t count, int32_t channel) = 0;
    // other must be of the same storage class with at least frameCount
    // frames; its first channel is copied. channel 2: the copy becomes the
    // second channel. Otherwise the current first channel moves to second
    // place and the copy becomes the first. The sample becomes stereo.
    virtual void AddChannelFrom(const CABCWaveSample& other, int32_t channel) = 0;

    virtual double GetFloat(int32_t frame, int32_t channel) const = 0;
    virtual void SetFloat(int32_t frame, double value, int32_t channel) = 0;
    virtual void GetFloats(int32_t start, int32_t count, float* out, int32_t channel) const = 0;
    virtual void SetFloats(int32_t start, int32_t count, const float* in, int32_t channel) = 0;

    virtual int16_t GetInt16(int32_t frame, int32_t channel) const = 0;
    virtual void SetInt16(int32_t frame, int16_t value, int32_t channel) = 0;
    virtual void GetInt16s(int32_t start, int32_t count, int16_t* out, int32_t channel) const = 0;
    virtual void SetInt16s(int32_t start, int32_t count, const int16_t* in, int32_t channel) = 0;

    virtual double GetFloat24(int32_t frame, int32_t channel) const = 0;
    virtual void SetFloat24(int32_t frame, double value, int32_t channel) = 0;
    virtual void GetFloat24s(int32_t start, int32_t count, float* out, int32_t channel) const = 0;
    virtual void SetFloat24s(int32_t start, int32_t count, const float* in, int32_t channel) = 0;

    virtual void GetInt16Stereo(int32_t start, int32_t count, int16_t* out) const = 0;
    virtual void SetInt16Stereo(int32_t start, int32_t count, const int16_t* in) = 0;

    virtual int32_t GetInt24(int32_t frame, int32_t channel) const = 0;
    virtual void SetInt24(int32_t frame, int32_t value, int32_t channel) = 0;
    virtual void GetInt24s(int32_t start, int32_t count, int32_t* out, int32_t channel) const = 0;
    virtual void SetInt24s(int32_t start, int32_t count, const int32_t* in, int32_t channel) = 0;
    virtual void GetInt24Stereo(int32_t start, int32_t count, int32_t* out) const = 0;
    virtual void SetInt24Stereo(int32_t start, int32_t count, const int32_t* in) = 0;

    virtual void GetFloat24Stereo(int32_t start, int32_t count, float* out) const = 0;
    virtual void SetFloat24Stereo(int32_t start, int32_t count, const float* in) = 0;

    // The frame near the given one where the sound is quiet or crosses zero,
    // searched alternately forward and backward at most 25000 frames away.
    virtual int32_t FindSnapToZero(int32_t frame) const = 0;

protected:
    CABCWaveSample(int32_t sampleRate, int32_t frameCount, int32_t bitDepth, bool stereo);

    void SetFrameCount(int32_t frameCount) { fFrameCount = frameCount; }

private:
    int32_t fSampleRate;
    int32_t fFrameCount;
    int32_t fBitDepth;
    bool fStereo;
    bool fPreviewValid = false;
    std::unique_ptr<CWaveSamplePreview> fPreview;
    bool fLocatorsSet = false;
    int32_t fLoopMode = kLoopModeInitial;
    // The audio thread reads the locators while the document moves them;
    // each is read whole, and readers accept a start/end pair from two moves.
    std::atomic<int32_t> fLoopStart = 0;
    std::atomic<int32_t> fLoopEnd;
};

// 16-bit storage; 8-bit sources are kept widened to 16 bits.
class C16BitWaveSample : public CABCWaveSample {
public:
    static constexpr int32_t kSnapThreshold = 1023;

    C16BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo);
    C16BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo, SForOverwrite);
    ~C16BitWaveSample() override;

    // Direct access to a channel array (2 = second, else first), for code
    // that knows the storage class.
    const int16_t* GetChannelData(int32_t channel) const { return channel == 2 ? fSecond.get() : fFirst.get(); }

    void Resize(int32_t newFrameCount) override;
    void ClearRange(int32_t start, int32_t count, int32_t channel) override;
    void AddChannelFrom(const CABCWaveSample& other, int32_t channel) override;

    double GetFloat(int32_t frame, int32_t channel) const override;
    void SetFloat(int32_t frame, double value, int32_t channel) override;
    void GetFloats(int32_t start, int32_t count, float* out, int32_t channel) const override;
    void SetFloats(int32_t start, int32_t count, const float* in, int32_t channel) override;

    int16_t GetInt16(int32_t frame, int32_t channel) const override;
    void SetInt16(int32_t frame, int16_t value, int32_t channel) override;
    void GetInt16s(int32_t start, int32_t count, int16_t* out, int32_t channel) const override;
    void SetInt16s(int32_t start, int32_t count, const int16_t* in, int32_t channel) override;

    double GetFloat24(int32_t frame, int32_t channel) const override;
    void SetFloat24(int32_t frame, double value, int32_t channel) override;
    void GetFloat24s(int32_t start, int32_t count, float* out, int32_t channel) const override;
    void SetFloat24s(int32_t start, int32_t count, const float* in, int32_t channel) override;

    void GetInt16Stereo(int32_t start, int32_t count, int16_t* out) const override;
    void SetInt16Stereo(int32_t start, int32_t count, const int16_t* in) override;

    int32_t GetInt24(int32_t frame, int32_t channel) const override;
    void SetInt24(int32_t frame, int32_t value, int32_t channel) override;
    void GetInt24s(int32_t start, int32_t count, int32_t* out, int32_t channel) const override;
    void SetInt24s(int32_t start, int32_t count, const int32_t* in, int32_t channel) override;
    void GetInt24Stereo(int32_t start, int32_t count, int32_t* out) const override;
    void SetInt24Stereo(int32_t start, int32_t count, const int32_t* in) override;

    void GetFloat24Stereo(int32_t start, int32_t count, float* out) const override;
    void SetFloat24Stereo(int32_t start, int32_t count, const float* in) override;

    int32_t FindSnapToZero(int32_t frame) const override;

private:
    int16_t* Channel(int32_t channel) { return channel == 2 ? fSecond.get() : fFirst.get(); }

    std::unique_ptr<int16_t[]> fFirst;
    std::unique_ptr<int16_t[]> fSecond;
};

// 24-bit storage: each sample a sign-extended value -8388608 ... 8388607 in
// a 32-bit word (not shifted to the top of the word).
class C24BitWaveSample : public CABCWaveSample {
public:
    static constexpr int32_t kSnapThreshold = 262143;

    C24BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo);
    C24BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo, SForOverwrite);
    ~C24BitWaveSample() override;

    const int32_t* GetChannelData(int32_t channel) const { return channel == 2 ? fSecond.get() : fFirst.get(); }

    void Resize(int32_t newFrameCount) override;
    void ClearRange(int32_t start, int32_t count, int32_t channel) override;
    void AddChannelFrom(const CABCWaveSample& other, int32_t channel) override;

    double GetFloat(int32_t frame, int32_t channel) const override;
    void SetFloat(int32_t frame, double value, int32_t channel) override;
    void GetFloats(int32_t start, int32_t count, float* out, int32_t channel) const override;
    void SetFloats(int32_t start, int32_t count, const float* in, int32_t channel) override;

    int16_t GetInt16(int32_t frame, int32_t channel) const override;
    void SetInt16(int32_t frame, int16_t value, int32_t channel) override;
    void GetInt16s(int32_t start, int32_t count, int16_t* out, int32_t channel) const override;
    void SetInt16s(int32_t start, int32_t count, const int16_t* in, int32_t channel) override;

    double GetFloat24(int32_t frame, int32_t channel) const override;
    void SetFloat24(int32_t frame, double value, int32_t channel) override;
    void GetFloat24s(int32_t start, int32_t count, float* out, int32_t channel) const override;
    void SetFloat24s(int32_t start, int32_t count, const float* in, int32_t channel) override;

    void GetInt16Stereo(int32_t start, int32_t count, int16_t* out) const override;
    void SetInt16Stereo(int32_t start, int32_t count, const int16_t* in) override;

    int32_t GetInt24(int32_t frame, int32_t channel) const override;
    void SetInt24(int32_t frame, int32_t value, int32_t channel) override;
    void GetInt24s(int32_t start, int32_t count, int32_t* out, int32_t channel) const override;
    void SetInt24s(int32_t start, int32_t count, const int32_t* in, int32_t channel) override;
    void GetInt24Stereo(int32_t start, int32_t count, int32_t* out) const override;
    void SetInt24Stereo(int32_t start, int32_t count, const int32_t* in) override;

    void GetFloat24Stereo(int32_t start, int32_t count, float* out) const override;
    void SetFloat24Stereo(int32_t start, int32_t count, const float* in) override;

    int32_t FindSnapToZero(int32_t frame) const override;

private:
    int32_t* Channel(int32_t channel) { return channel == 2 ? fSecond.get() : fFirst.get(); }

    std::unique_ptr<int32_t[]> fFirst;
    std::unique_ptr<int32_t[]> fSecond;
};

// A 16-bit sample for depths 8 and 16, a 24-bit sample for any other depth.
std::unique_ptr<CABCWaveSample> CreateWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo,
                                                 int32_t bitDepth);
// The same with arrays left as they come (see SForOverwrite).
std::unique_ptr<CABCWaveSample> CreateWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo,
                                                 int32_t bitDepth, SForOverwrite);

} // namespace NSZubrik
