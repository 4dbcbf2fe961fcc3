// What the sound card plays: a document's sequencer, a loop-file preview, a
// plain wave sample, or silence. The player clips what it hands on to the
// device, measures its peaks and merges them into the playing sequencer's
// peak record.
//
// Threads: the GUI thread changes the source under fLock; Render runs on the
// audio thread and only tries fLock (busy: silence for that piece). The end
// of playing is always reported from Idle, on the GUI thread.
#pragma once

#include <cstdint>

#include "tambor/Idleable.h"
#include "tambor/SpinLock.h"

namespace NSZubrik {

class CABCWaveSample;
class CZubrikSequencer;

// Told on the GUI thread when the player starts and stops playing for it.
class IWavePlayerListener {
public:
    virtual ~IWavePlayerListener() = default;
    virtual void PlayingStarted() = 0;
    virtual void PlayingStopped() = 0;
};

// A loop file's preview (the open dialog's): a source with a sequencer of
// its own.
class ILoopPreview {
public:
    virtual ~ILoopPreview() = default;
    // Audio thread; right may be null for one mixed channel. Never waits.
    virtual void Render(float* left, float* right, int32_t frameCount) noexcept = 0;
    // GUI thread.
    virtual void Stop() = 0;
};

// Tells the player whether a device runs (the audio-card manager).
class IDeviceState {
public:
    virtual ~IDeviceState() = default;
    virtual bool IsRunning() const = 0;
};

class CWavePlayer : public NSTambor::IIdleable {
public:
    enum EMode : int32_t { kPlayingWave = 0, kPlayingSequencer = 1, kPlayingPreview = 2, kWaveFinished = 3, kStopped = 4 };
    static constexpr int32_t kPieceFrames = 256;
    static constexpr int32_t kFractionBits = 15;

    CWavePlayer() = default;
    CWavePlayer(const CWavePlayer&) = delete;
    CWavePlayer& operator=(const CWavePlayer&) = delete;
    ~CWavePlayer() override = default;

    // The process's player, made on first use.
    static CWavePlayer& Get();

    // Not owned; null means no device runs.
    void SetDeviceState(const IDeviceState* device) { fDevice = device; }
    // The device's rate, for the step of wave playback.
    void SetOutputSampleRate(int32_t rate);

    // ---- GUI thread ----
    // Asked for the sequencer already playing, only the listener changes
    // (the old one is told that playing stopped).
    void PlaySequencer(CZubrikSequencer& sequencer, IWavePlayerListener* listener);
    void PlayLoopPreview(ILoopPreview& preview, IWavePlayerListener* listener);
    // From frame 0, resampled to the output rate.
    void PlayWave(const CABCWaveSample& wave, IWavePlayerListener* listener);
    // Stops the sequencer (waiting for the audio thread when a device runs)
    // or the preview, then falls silent and tells the listener.
    void Stop();
    // A finished wave or a sequencer that stopped by itself is stopped here.
    void Idle() override;
    int32_t GetMode() const;
    // Nothing plays (stopped or a finished wave).
    bool IsIdle() const;
    const CZubrikSequencer* GetSequencer() const;

    // ---- Audio thread ----
    // Fills kPieceFrames frames of left and right; never waits.
    void Render(float* left, float* right) noexcept;

private:
    void RenderWave(float* left, float* right) noexcept;
    void ClipAndMeasure(float* left, float* right) noexcept;
    // Under fLock: the previous source is forgotten; answers its listener.
    IWavePlayerListener* Detach();
    void StopSource();
    // Stops what plays, then under fLock sets the source up and the mode.
    template <typename TSetUp>
    void StartPlaying(int32_t mode, IWavePlayerListener* listener, TSetUp setUp);

    const IDeviceState* fDevice = nullptr;
    mutable NSTambor::CSpinLock fLock;
    int32_t fMode = kStopped;
    const CABCWaveSample* fWave = nullptr;
    CZubrikSequencer* fSequencer = nullptr;
    ILoopPreview* fPreview = nullptr;
    IWavePlayerListener* fListener = nullptr;
    int32_t fOutputRate = 44100;
    // Wave position and step in frames and 15-bit fractions.
    int32_t fFrame = 0;
    int32_t fFraction = 0;
    int32_t fStepFrames = 0;
    int32_t fStepFraction = 0;
};

} // namespace NSZubrik
