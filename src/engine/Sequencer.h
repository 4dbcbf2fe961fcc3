// The preview sequencer: turns the segments of one wave sample into sound.
//
// It owns the sampler and the equalizer, keeps the play cursor, decides at
// which output frame each segment of the loop is triggered and fills the
// buffers the audio output asks for. In tempo mode every segment starts as a
// slice voice at its own time, scaled from the loop's original tempo to the
// preview tempo; in plain mode one region voice plays the sample unchanged,
// looping between the locators. Every scheduling decision lies on a grid of
// 64 output frames (one render block).
//
// Threads: the GUI thread changes settings, posts transport commands and
// swaps segment lists, each under fLock (the list swap under fListLock).
// Render runs on the audio thread and only ever tries the locks: with fLock
// busy a block is rendered with the previous decisions, with fListLock busy a
// command or an event waits for the next block. Lock order: fLock, then
// fListLock; the peak record's lock is a leaf.
#pragma once

#include <cstdint>
#include <memory>

#include "audiodata/Segment.h"
#include "engine/Equalizer.h"
#include "engine/Sampler.h"
#include "tambor/SpinLock.h"

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;

// The output peaks since the meter last read them. The audio output raises
// them under a try-lock; the meter view takes and resets them.
class CPeakRecord {
public:
    // Audio thread: skipped when the GUI thread holds the lock just then.
    void Merge(float leftPeak, float rightPeak, bool clipped);
    // GUI thread: each returns its value and resets it (0.0, false).
    float TakeLeftPeak();
    float TakeRightPeak();
    bool TakeClipped();

private:
    NSTambor::CSpinLock fLock;
    float fLeftPeak = 0.0f;
    float fRightPeak = 0.0f;
    bool fClipped = false;
};

class CZubrikSequencer {
public:
    static constexpr int32_t kBlockFrames = 64;
    static constexpr int32_t kDefaultPreviewTempo = 130000;
    static constexpr int32_t kMinimumPreviewTempo = 20000;
    static constexpr int32_t kMaximumPreviewTempo = 450000;
    static constexpr int32_t kMaximumOriginalTempo = 999999;
    // How often and how long StopAndWait polls for the audio thread.
    static constexpr int32_t kStopPollMilliseconds = 5;
    static constexpr int32_t kStopTimeoutMilliseconds = 4000;

    enum EPlayState : int32_t { kStopped = 0, kReleasing = 1, kPlayingLoop = 2, kPlayingOnce = 3 };
    enum ECommand : int32_t { kNoCommand = 0, kStartLoop = 1, kPlayOneSegment = 2, kStop = 3 };

    // The sampler starts at the wave's rate (clamped to 11025…1000000) as
    // its output rate. The slice sequence, when given, is what
    // RebuildSegments cuts the wave at; without one the wave is cut at the
    // locators only. Neither is owned. The segment list starts empty.
    explicit CZubrikSequencer(CABCWaveSample& wave, const CSliceSequence* slices = nullptr);
    // For offline rendering: copies the settings of sampler and equalizer,
    // the references, the preview and loop-length settings and the segment
    // list; starts stopped with the cursor placed in the loop.
    CZubrikSequencer(const CZubrikSequencer& other);
    CZubrikSequencer& operator=(const CZubrikSequencer&) = delete;
    ~CZubrikSequencer();

    // ---- Settings (GUI thread; each takes fLock) ----
    void SetPreviewOn(bool on);
    bool IsPreviewOn() const;
    // Clamped to 20000…450000 thousandths of a beat per minute.
    void SetPreviewTempo(int32_t tempo);
    int32_t GetPreviewTempo() const;
    void SetSilenceSelected(bool silence);
    bool IsSilenceSelected() const;
    void SetSignature(int32_t numerator, int32_t denominator);
    int32_t GetSignatureNumerator() const;
    int32_t GetSignatureDenominator() const;
    void SetBars(int32_t bars);
    int32_t GetBars() const;
    void SetBeats(int32_t beats);
    int32_t GetBeats() const;
    // Passed to the wave sample.
    void SetLocators(int32_t loopStart, int32_t loopEnd);
    void SetOutputSampleRate(int32_t rate);
    int32_t GetOutputSampleRate() const;

    // Sampler settings.
    void SetPitch(int16_t cents);
    void SetGain(int32_t thousandths);
    void SetEnvelopeOn(bool on);
    void SetEnvelopeAttack(int16_t index);
    void SetEnvelopeDecay(int16_t index);
    void SetEnvelopeStretch(int16_t percent);
    void SetShaperOn(bool on);
    void SetShaperThreshold(int16_t value);
    void SetShaperRatio(int16_t value);
    void SetShaperAttack(int16_t index);
    void SetShaperRelease(int16_t index);
    // Equalizer settings.
    void SetEqualizerOn(bool on);
    void SetEqualizerLoCut(int16_t hz);
    void SetEqualizerLowFrequency(int16_t hz);
    void SetEqualizerLowQ(int16_t thousandths);
    void SetEqualizerLowGain(int16_t milliDecibels);
    void SetEqualizerHighFrequency(int16_t hz);
    void SetEqualizerHighQ(int16_t thousandths);
    void SetEqualizerHighGain(int16_t milliDecibels);
    void SetEqualizerHighCut(int16_t hz);

    // Read access for getters and meters; settings go through the
    // pass-throughs above so that they are made under the lock.
    const CZubrikSampler& GetSampler() const { return fSampler; }
    CZubrikSampler& GetSampler() { return fSampler; }
    const CEqualizerEffect& GetEqualizer() const { return fEqualizer; }
    CPeakRecord& GetMeterData() { return fMeterData; }
    const CABCWaveSample& GetWaveSample() const { return *fWave; }

    // The preview switch is on and a loop length is given.
    bool IsTempoMode() const;
    // Thousandths of a beat per minute from the loop length in frames and
    // the bars and beats entered; 0 when the loop has no length.
    int32_t GetOriginalTempo() const;
    // The same for a loop of loopFrames frames at sampleRate holding beats
    // beats (for a loop described without a sequencer, as in a file's info).
    static int32_t OriginalTempoFor(int64_t loopFrames, int32_t sampleRate, int64_t beats);

    // Cuts the wave anew (slices, locators, "Silence Selected", tempo mode)
    // and swaps the new list in; a stopped cursor moves to the start of its
    // segment.
    void RebuildSegments();
    // A new wave (and slice sequence): the cursor goes back to the loop.
    void SetWaveSample(CABCWaveSample& wave);
    void SetWaveSample(CABCWaveSample& wave, const CSliceSequence* slices);

    // ---- Transport (GUI thread) ----
    void StartLoop();
    void PlayCurrentSegment();
    void PlaySegmentAt(int32_t frame);
    void PlayPreviousSegment();
    void PlayCurrentAndAdvance();
    // Playing: stops and waits. Stopped: the cursor goes to the loop's first
    // segment, or to the sample's first one when it is already there.
    void Stop();
    // Posts a stop and polls until the audio thread has stopped, at most
    // 4000 ms; then forces the stop.
    void StopAndWait();
    // The cursor moves only while nothing plays (stopped, releasing or
    // with a stop pending).
    void CursorToNext();
    void CursorToPrevious();
    void CursorToLoopStart();
    void CursorToLoopEnd();
    void SetCursor(int32_t frame);

    // ---- Queries (GUI thread) ----
    int32_t GetShownPosition() const;
    bool IsShownPositionValid() const;
    int32_t GetCursor() const;
    int32_t GetPlayState() const;
    // Not stopped, or a command pending.
    bool IsPlaying() const;
    int32_t GetSegmentCount() const;
    // The segment at an index in playing order; an empty segment when the
    // index is out of range.
    CSegment GetSegment(int32_t index) const;
    // The last segment starting at or before the frame, or the first one;
    // an empty segment without segments.
    CSegment SegmentAt(int32_t frame) const;

    // The scheduling state, for the views that follow playback and for
    // checks: output frames to the next event, the present event's time
    // from the time origin, and the segment sounding now.
    struct SSchedule {
        int32_t fFramesToEvent;
        int32_t fEventTime;
        int32_t fEventStep;
        int32_t fCurrentSegment;
        int32_t fCursor;
    };
    SSchedule GetSchedule() const;

    // ---- Offline rendering (exporters, on a copy; no other thread) ----
    void StartSegmentVoice(int32_t index);
    void ResetVoices();
    int32_t RenderedLength(const CSegment& segment) const;
    // Exactly 64 frames; out[1] may be null for a mono wave.
    void RenderBlock(float* const out[2]);

    // ---- Audio thread ----
    // Fills frameCount frames of out[0] (left) and out[1] (right). Never
    // allocates, never waits, never throws.
    void Render(float* const out[2], int32_t frameCount) noexcept;

private:
    using TIterator = CSegmentList::const_iterator;

    // Navigation over fSegments; the caller holds fLock (and on the audio
    // thread fListLock). Each returns end() when the list is empty.
    TIterator First() const;
    TIterator Last() const;
    TIterator SegmentIterAt(int32_t frame) const;
    TIterator LoopFirstSegment() const;
    TIterator NextSegment(int32_t frame) const;
    TIterator PreviousSegmentToPlay(int32_t cursor) const;
    int32_t StartOf(TIterator segment) const;
    int32_t LoopStart() const;
    int32_t LoopEnd() const;

    bool CursorMayMove() const;
    void AfterCursorMove();
    void PlaceCursorInLoop();
    void PlaceCursorOnSegment();
    void PostOneSegment(TIterator segment);

    // Time scaling on the 64-frame grid.
    int32_t SourceRate() const;
    int32_t ToOutputFrames(int64_t sourceFrames, bool tempoScaled) const;
    int32_t Scaled(int64_t sourceFrames) const;
    void InitEventTime(int32_t currentSegment);
    void ScheduleNextEvent();
    void CacheTempi();
    void CacheLocators();

    // Render steps, all under fLock; each tries fListLock where it needs the
    // segments.
    void HandleCommand();
    void StartLoopNow();
    void StartOneSegmentNow();
    void DecideBlock(bool loopStartBlock);
    void UpdateShownPosition();
    void RescaleForTempoChange();
    void ResyncAfterSwitchToTempoMode();
    void HandleEvent();
    void HandleRegularEvent();
    void FollowLoopEndChange();
    void EndLoopForEmptyList();
    void SetEqualizerTempoFlag();
    void RenderOneBlock(float* left, float* right) noexcept;

    CABCWaveSample* fWave;
    const CSliceSequence* fSlices;

    CZubrikSampler fSampler;
    CEqualizerEffect fEqualizer;
    CPeakRecord fMeterData;

    mutable NSTambor::CSpinLock fListLock;
    std::unique_ptr<CSegmentList> fSegments;

    mutable NSTambor::CSpinLock fLock;
    int32_t fPlayState = kStopped;
    int32_t fCommand = kNoCommand;
    CSegment fOneShot;
    int32_t fCursor = 0;
    int32_t fShownPosition = 0;
    bool fShownPositionValid = false;
    int32_t fCurrentSegment = 0;
    int32_t fEventTime = 0;
    int32_t fEventStep = 0;
    int32_t fFramesToEvent = 0;
    int32_t fCachedOriginalTempo = 0;
    int32_t fCachedPreviewTempo = 0;
    int32_t fCachedLoopStart = 0;
    int32_t fCachedLoopEnd = 0;
    bool fStartedInTempoMode = false;
    bool fSwitchPending = false;
    bool fSilenceSelected = false;
    int32_t fPreviewTempo = kDefaultPreviewTempo;
    // The sampler's output rate, kept here so that the audio thread reads it
    // under fLock.
    int32_t fOutputRate = 44100;
    int32_t fSignatureNumerator = 4;
    int32_t fSignatureDenominator = 4;
    int32_t fBars = 0;
    int32_t fBeats = 0;
    bool fPreviewOn = false;

    // Audio thread only. The block in which the loop starts sounds its first
    // segment at the block's first frame, so the countdown to the second
    // segment begins with the block after it.
    bool fLoopStartBlock = false;
    int32_t fCarryCount = 0;
    float fCarry[2][kBlockFrames] = {};
    // Stands in for the right channel of a mono wave in RenderBlock.
    float fScratchRight[kBlockFrames] = {};
};

} // namespace NSZubrik
