// The audio thread's side of the preview sequencer: time scaling on the
// 64-frame grid, the scheduling of segment events, and Render.
//
// Output times are counted from a time origin (loop start for positions
// inside the loop, frame 0 before it) and every event time is computed from
// its segment's absolute source position, never by adding up rounded
// durations, so that a loop played for minutes does not drift.
#include "engine/Sequencer.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "audiodata/WaveSample.h"

namespace NSZubrik {

namespace {

constexpr int32_t kBlock = CZubrikSequencer::kBlockFrames;

int32_t ClampToInt32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The nearest multiple of 64, halves away from zero.
int32_t Round64(int64_t v)
{
    int64_t magnitude = (v < 0 ? -v : v);
    int64_t rounded = (magnitude + kBlock / 2) / kBlock * kBlock;
    return ClampToInt32(v < 0 ? -rounded : rounded);
}

// v × numerator ÷ denominator in 64 bits, truncated, on the grid.
int32_t Rescale(int32_t v, int32_t numerator, int32_t denominator)
{
    return Round64(ClampToInt32(int64_t(v) * numerator / denominator));
}

} // namespace

// ------------------------------------------------------------- time scaling

int32_t CZubrikSequencer::SourceRate() const
{
    return std::clamp(fWave->GetSampleRate(), CZubrikSampler::kMinimumOutputRate,
                      CZubrikSampler::kMaximumOutputRate);
}

int32_t CZubrikSequencer::ToOutputFrames(int64_t sourceFrames, bool tempoScaled) const
{
    double x = double(sourceFrames);
    if (tempoScaled)
        x = x * GetOriginalTempo() / fPreviewTempo;
    double frames = x * fOutputRate / SourceRate() + 0.5;
    frames = std::clamp(frames, double(std::numeric_limits<int32_t>::min()),
                        double(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(frames);
}

int32_t CZubrikSequencer::Scaled(int64_t sourceFrames) const
{
    return ToOutputFrames(sourceFrames, IsTempoMode());
}

void CZubrikSequencer::InitEventTime(int32_t currentSegment)
{
    const int32_t loopStart = LoopStart();
    const bool inLoop = currentSegment >= loopStart;
    const int32_t origin = inLoop ? loopStart : 0;
    bool any = false;
    int32_t time = 0;
    for (TIterator it = inLoop ? LoopFirstSegment() : First();
         it != fSegments->end() && it->fStart <= currentSegment; ++it) {
        int32_t t = Round64(Scaled(int64_t(it->fStart) - origin));
        time = any ? std::max(t, time + kBlock) : t;
        any = true;
    }
    fEventTime = any ? time : Round64(Scaled(int64_t(currentSegment) - origin));
    fEventStep = 0;
}

void CZubrikSequencer::ScheduleNextEvent()
{
    const int64_t c = fCurrentSegment, n = fCursor;
    const int64_t loopStart = LoopStart(), loopEnd = LoopEnd();
    fEventTime += fEventStep;
    if (n <= c) {
        // Wrapping: the time origin restarts.
        int64_t frames, t;
        if (c < loopStart || c >= loopEnd) {
            frames = int64_t(Scaled(fWave->GetFrameCount())) + Scaled(n) - Scaled(c);
            t = n >= loopStart ? n - loopStart : n;
        } else if (n < loopStart) {
            frames = int64_t(Scaled(loopEnd - loopStart)) + Scaled(n) - Scaled(c - loopStart);
            t = n;
        } else {
            frames = int64_t(Scaled(loopEnd - loopStart)) + Scaled(n - loopStart) -
                     Scaled(c - loopStart);
            t = n - loopStart;
        }
        fFramesToEvent = std::max(Round64(frames), kBlock);
        fEventTime = Round64(Scaled(t));
        fEventStep = 0;
    } else if (c < loopStart && loopStart <= n) {
        // Entering the loop: the next event is timed from frame 0, the ones
        // after it from loop start.
        int32_t d = std::max(Round64(Scaled(n)), fEventTime + kBlock);
        fFramesToEvent = d - fEventTime;
        fEventTime = Round64(Scaled(n - loopStart));
        fEventStep = 0;
    } else {
        int64_t t = (n < loopStart && c < loopStart) ? n : n - loopStart;
        int32_t d = std::max(Round64(Scaled(t)), fEventTime + kBlock);
        fFramesToEvent = fEventStep = d - fEventTime;
    }
    CacheTempi();
}

void CZubrikSequencer::CacheTempi()
{
    fCachedOriginalTempo = GetOriginalTempo();
    fCachedPreviewTempo = fPreviewTempo;
}

void CZubrikSequencer::CacheLocators()
{
    fCachedLoopStart = LoopStart();
    fCachedLoopEnd = LoopEnd();
}

// ------------------------------------------------------------------ commands

void CZubrikSequencer::SetEqualizerTempoFlag()
{
    fEqualizer.SetTempoMode(IsTempoMode());
}

void CZubrikSequencer::EndLoopForEmptyList()
{
    fPlayState = kPlayingOnce;
    fCursor = 0;
    fShownPosition = 0;
    fShownPositionValid = false;
    fSampler.StopLooping();
}

void CZubrikSequencer::HandleCommand()
{
    switch (fCommand) {
    case kStartLoop:
    case kPlayOneSegment:
        if (!fListLock.TryLock())
            return; // the GUI thread is swapping the list: next callback
        if (!fSegments->IsEmpty()) {
            if (fCommand == kStartLoop)
                StartLoopNow();
            else
                StartOneSegmentNow();
        }
        fCommand = kNoCommand;
        fListLock.Unlock();
        break;
    case kStop:
        fPlayState = kReleasing;
        fSampler.ReleaseAll();
        fCommand = kNoCommand;
        break;
    default:
        break;
    }
}

void CZubrikSequencer::StartLoopNow()
{
    fPlayState = kPlayingLoop;
    fCurrentSegment = fOneShot.fStart;
    InitEventTime(fCurrentSegment);
    fCursor = StartOf(NextSegment(fCurrentSegment));
    ScheduleNextEvent();
    fStartedInTempoMode = IsTempoMode();
    if (fStartedInTempoMode)
        fSampler.StartSliceVoice(fOneShot);
    else
        fSampler.StartLoopingRegionVoice(fCurrentSegment);
    fSwitchPending = false;
    CacheLocators();
    SetEqualizerTempoFlag();
    fLoopStartBlock = true;
}

void CZubrikSequencer::StartOneSegmentNow()
{
    fPlayState = kPlayingOnce;
    if (IsTempoMode())
        fSampler.StartSliceVoice(fOneShot);
    else
        fSampler.StartRegionVoice(fOneShot.fStart, fOneShot.fEnd);
    SetEqualizerTempoFlag();
}

// -------------------------------------------------------------------- events

void CZubrikSequencer::UpdateShownPosition()
{
    if (fSampler.IsSilent() || fSampler.IsStretching()) {
        fShownPosition = fCursor;
        fShownPositionValid = false;
    } else {
        fShownPosition = fSampler.GetPlayPosition();
        fShownPositionValid = true;
    }
}

void CZubrikSequencer::RescaleForTempoChange()
{
    if (fPreviewTempo != fCachedPreviewTempo && fCachedPreviewTempo != 0) {
        // A faster tempo shortens what is left of every interval.
        fFramesToEvent = Rescale(fFramesToEvent, fCachedPreviewTempo, fPreviewTempo);
        fEventStep = Rescale(fEventStep, fCachedPreviewTempo, fPreviewTempo);
        fEventTime = Rescale(fEventTime, fCachedPreviewTempo, fPreviewTempo);
    }
    int32_t original = GetOriginalTempo();
    if (original != fCachedOriginalTempo && original != 0 && fCachedOriginalTempo != 0) {
        fFramesToEvent = Rescale(fFramesToEvent, original, fCachedOriginalTempo);
        fEventStep = Rescale(fEventStep, original, fCachedOriginalTempo);
        fEventTime = Rescale(fEventTime, original, fCachedOriginalTempo);
    }
    fCachedPreviewTempo = fPreviewTempo;
    fCachedOriginalTempo = original;
}

void CZubrikSequencer::ResyncAfterSwitchToTempoMode()
{
    TIterator next = NextSegment(fShownPosition);
    if (next == fSegments->end())
        return;
    fCurrentSegment = next->fStart;
    InitEventTime(fCurrentSegment);
    fCursor = StartOf(NextSegment(fCurrentSegment));

    // Source frames the region voice still plays before it reaches the
    // segment, following it round the loop or the whole sample.
    int64_t from = fShownPosition, to = fCurrentSegment, distance;
    if (to >= from)
        distance = to - from;
    else if (from < LoopEnd())
        distance = (LoopEnd() - from) + (to - LoopStart());
    else
        distance = (fWave->GetFrameCount() - from) + to;
    fFramesToEvent = Round64(ToOutputFrames(std::max<int64_t>(distance, 0), false));
    CacheTempi();
    fSwitchPending = true;
}

void CZubrikSequencer::FollowLoopEndChange()
{
    const int32_t loopEnd = LoopEnd();
    if (loopEnd < fCachedLoopEnd) {
        if (fCurrentSegment < fCursor && fCursor == loopEnd) {
            fCursor = StartOf(NextSegment(fCurrentSegment));
        } else if (fCurrentSegment >= fCursor && fCurrentSegment >= loopEnd) {
            fCursor = StartOf(NextSegment(fCurrentSegment));
            InitEventTime(fCursor);
        }
    } else if (loopEnd > fCachedLoopEnd && fCursor <= fCurrentSegment) {
        fCursor = StartOf(NextSegment(fCurrentSegment));
    }
}

void CZubrikSequencer::HandleRegularEvent()
{
    if (LoopEnd() != fCachedLoopEnd)
        FollowLoopEndChange();
    fCurrentSegment = fCursor;
    if (LoopStart() != fCachedLoopStart)
        InitEventTime(fCurrentSegment);
    fCursor = StartOf(NextSegment(fCurrentSegment));
    ScheduleNextEvent();

    const bool tempoMode = IsTempoMode();
    TIterator s = SegmentIterAt(fCurrentSegment);
    if (s->fStart == fCurrentSegment) {
        if (tempoMode) {
            fSampler.StartSliceVoice(*s);
            SetEqualizerTempoFlag();
        } else if (fStartedInTempoMode) {
            fSampler.StartLoopingRegionVoice(fCurrentSegment);
            SetEqualizerTempoFlag();
        }
    }
    if (!tempoMode)
        fStartedInTempoMode = false;
}

void CZubrikSequencer::HandleEvent()
{
    if (fSegments->IsEmpty()) {
        EndLoopForEmptyList();
    } else if (fSwitchPending) {
        if (IsTempoMode()) {
            ScheduleNextEvent();
            fSampler.StartSliceVoice(*SegmentIterAt(fCurrentSegment));
            SetEqualizerTempoFlag();
            fStartedInTempoMode = true;
        } else {
            fStartedInTempoMode = false;
        }
        fSwitchPending = false;
    } else {
        HandleRegularEvent();
    }
    CacheLocators();
}

void CZubrikSequencer::DecideBlock(bool loopStartBlock)
{
    UpdateShownPosition();
    if ((fPlayState == kReleasing || fPlayState == kPlayingOnce) && fSampler.IsSilent())
        fPlayState = kStopped;
    if (fPlayState != kPlayingLoop)
        return;

    const bool tempoMode = IsTempoMode();
    if (tempoMode)
        RescaleForTempoChange();
    if (tempoMode && !fStartedInTempoMode && !fSwitchPending && fListLock.TryLock()) {
        ResyncAfterSwitchToTempoMode();
        fListLock.Unlock();
    }
    if (!loopStartBlock)
        fFramesToEvent -= kBlock;
    if (fFramesToEvent < 1 && fListLock.TryLock()) {
        HandleEvent();
        fListLock.Unlock();
    }
}

// -------------------------------------------------------------------- render

void CZubrikSequencer::RenderOneBlock(float* left, float* right) noexcept
{
    float* const buffers[2] = {left, right};
    fSampler.Render(buffers);
    fEqualizer.Process(left, right);
}

void CZubrikSequencer::Render(float* const out[2], int32_t frameCount) noexcept
{
    if (frameCount <= 0)
        return;
    float* const left = out[0];
    float* const right = out[1];

    if (fLock.TryLock()) {
        HandleCommand();
        if (fPlayState == kPlayingLoop && fListLock.TryLock()) {
            if (fSegments->IsEmpty())
                EndLoopForEmptyList();
            fListLock.Unlock();
        }
        fLock.Unlock();
    }

    int32_t offset = 0, remaining = frameCount;
    int32_t carried = std::min(fCarryCount, remaining);
    if (carried > 0) {
        const int32_t from = kBlock - fCarryCount;
        std::memcpy(left, fCarry[0] + from, sizeof(float) * carried);
        std::memcpy(right, fCarry[1] + from, sizeof(float) * carried);
        fCarryCount -= carried;
        offset += carried;
        remaining -= carried;
    }

    while (remaining > 0) {
        const bool loopStartBlock = std::exchange(fLoopStartBlock, false);
        if (fLock.TryLock()) {
            DecideBlock(loopStartBlock);
            fLock.Unlock();
        }
        if (remaining < kBlock)
            break;
        RenderOneBlock(left + offset, right + offset);
        offset += kBlock;
        remaining -= kBlock;
    }

    if (remaining > 0) {
        RenderOneBlock(fCarry[0], fCarry[1]);
        std::memcpy(left + offset, fCarry[0], sizeof(float) * remaining);
        std::memcpy(right + offset, fCarry[1], sizeof(float) * remaining);
        fCarryCount = kBlock - remaining;
    }
}

} // namespace NSZubrik
