// Settings, transport, cursor and segment navigation of the preview
// sequencer, and the offline interface of the exporters. The audio thread's
// side (time scaling, events, Render) is in SequencerRender.cpp.
#include "engine/Sequencer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>
#include <thread>
#include <utility>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"

namespace NSZubrik {

using NSTambor::CSpinLockGuard;

namespace {

int32_t ClampRate(int32_t rate)
{
    return std::clamp(rate, CZubrikSampler::kMinimumOutputRate, CZubrikSampler::kMaximumOutputRate);
}

} // namespace

// ---------------------------------------------------------------- peak record

void CPeakRecord::Merge(float leftPeak, float rightPeak, bool clipped)
{
    if (!fLock.TryLock())
        return;
    fLeftPeak = std::max(fLeftPeak, leftPeak);
    fRightPeak = std::max(fRightPeak, rightPeak);
    fClipped = fClipped || clipped;
    fLock.Unlock();
}

float CPeakRecord::TakeLeftPeak()
{
    CSpinLockGuard guard(fLock);
    return std::exchange(fLeftPeak, 0.0f);
}

float CPeakRecord::TakeRightPeak()
{
    CSpinLockGuard guard(fLock);
    return std::exchange(fRightPeak, 0.0f);
}

bool CPeakRecord::TakeClipped()
{
    CSpinLockGuard guard(fLock);
    return std::exchange(fClipped, false);
}

// ------------------------------------------------------------- construction

CZubrikSequencer::CZubrikSequencer(CABCWaveSample& wave, const CSliceSequence* slices)
    : fWave(&wave),
      fSlices(slices),
      fSampler(ClampRate(wave.GetSampleRate())),
      fEqualizer(ClampRate(wave.GetSampleRate())),
      fSegments(std::make_unique<CSegmentList>()),
      fOutputRate(ClampRate(wave.GetSampleRate()))
{
    fSampler.SetWaveSample(&wave);
    int32_t original = GetOriginalTempo();
    if (original != 0)
        fPreviewTempo = std::clamp(original, kMinimumPreviewTempo, kMaximumPreviewTempo);
}

CZubrikSequencer::CZubrikSequencer(const CZubrikSequencer& other)
    : fWave(other.fWave),
      fSlices(other.fSlices),
      fSampler(other.fSampler),
      fEqualizer(other.fEqualizer),
      fSegments(CSliceSequence::CopySegments(*other.fSegments))
{
    {
        CSpinLockGuard guard(other.fLock);
        fSilenceSelected = other.fSilenceSelected;
        fPreviewTempo = other.fPreviewTempo;
        fSignatureNumerator = other.fSignatureNumerator;
        fSignatureDenominator = other.fSignatureDenominator;
        fBars = other.fBars;
        fBeats = other.fBeats;
        fPreviewOn = other.fPreviewOn;
        fOutputRate = other.fOutputRate;
    }
    PlaceCursorInLoop();
    fShownPosition = fCursor;
}

CZubrikSequencer::~CZubrikSequencer() = default;

// ------------------------------------------------------------------ settings

void CZubrikSequencer::SetPreviewOn(bool on)
{
    CSpinLockGuard guard(fLock);
    fPreviewOn = on;
}

bool CZubrikSequencer::IsPreviewOn() const { return fPreviewOn; }

void CZubrikSequencer::SetPreviewTempo(int32_t tempo)
{
    CSpinLockGuard guard(fLock);
    fPreviewTempo = std::clamp(tempo, kMinimumPreviewTempo, kMaximumPreviewTempo);
}

int32_t CZubrikSequencer::GetPreviewTempo() const { return fPreviewTempo; }

void CZubrikSequencer::SetSilenceSelected(bool silence)
{
    CSpinLockGuard guard(fLock);
    fSilenceSelected = silence;
}

bool CZubrikSequencer::IsSilenceSelected() const { return fSilenceSelected; }

void CZubrikSequencer::SetSignature(int32_t numerator, int32_t denominator)
{
    CSpinLockGuard guard(fLock);
    fSignatureNumerator = numerator;
    fSignatureDenominator = denominator;
}

int32_t CZubrikSequencer::GetSignatureNumerator() const { return fSignatureNumerator; }
int32_t CZubrikSequencer::GetSignatureDenominator() const { return fSignatureDenominator; }

void CZubrikSequencer::SetBars(int32_t bars)
{
    CSpinLockGuard guard(fLock);
    fBars = bars;
}

int32_t CZubrikSequencer::GetBars() const { return fBars; }

void CZubrikSequencer::SetBeats(int32_t beats)
{
    CSpinLockGuard guard(fLock);
    fBeats = beats;
}

int32_t CZubrikSequencer::GetBeats() const { return fBeats; }

void CZubrikSequencer::SetLocators(int32_t loopStart, int32_t loopEnd)
{
    CSpinLockGuard guard(fLock);
    fWave->SetLoop(CABCWaveSample::kLoopModeSet, loopStart, loopEnd);
}

void CZubrikSequencer::SetOutputSampleRate(int32_t rate)
{
    CSpinLockGuard guard(fLock);
    fOutputRate = ClampRate(rate);
    fSampler.SetOutputSampleRate(fOutputRate);
    fEqualizer.SetSampleRate(fOutputRate);
}

int32_t CZubrikSequencer::GetOutputSampleRate() const { return fOutputRate; }

#define ZUBRIK_PASS_THROUGH(Name, Type, Target, Setter)   \
    void CZubrikSequencer::Name(Type value)                \
    {                                                      \
        CSpinLockGuard guard(fLock);                       \
        Target.Setter(value);                              \
    }

ZUBRIK_PASS_THROUGH(SetPitch, int16_t, fSampler, SetPitch)
ZUBRIK_PASS_THROUGH(SetGain, int32_t, fSampler, SetGain)
ZUBRIK_PASS_THROUGH(SetEnvelopeOn, bool, fSampler, SetEnvelopeOn)
ZUBRIK_PASS_THROUGH(SetEnvelopeAttack, int16_t, fSampler, SetEnvelopeAttack)
ZUBRIK_PASS_THROUGH(SetEnvelopeDecay, int16_t, fSampler, SetEnvelopeDecay)
ZUBRIK_PASS_THROUGH(SetEnvelopeStretch, int16_t, fSampler, SetEnvelopeStretch)
ZUBRIK_PASS_THROUGH(SetShaperOn, bool, fSampler, SetShaperOn)
ZUBRIK_PASS_THROUGH(SetShaperThreshold, int16_t, fSampler, SetShaperThreshold)
ZUBRIK_PASS_THROUGH(SetShaperRatio, int16_t, fSampler, SetShaperRatio)
ZUBRIK_PASS_THROUGH(SetShaperAttack, int16_t, fSampler, SetShaperAttack)
ZUBRIK_PASS_THROUGH(SetShaperRelease, int16_t, fSampler, SetShaperRelease)
ZUBRIK_PASS_THROUGH(SetEqualizerOn, bool, fEqualizer, SetOn)
ZUBRIK_PASS_THROUGH(SetEqualizerLoCut, int16_t, fEqualizer, SetLoCut)
ZUBRIK_PASS_THROUGH(SetEqualizerLowFrequency, int16_t, fEqualizer, SetLowFrequency)
ZUBRIK_PASS_THROUGH(SetEqualizerLowQ, int16_t, fEqualizer, SetLowQ)
ZUBRIK_PASS_THROUGH(SetEqualizerLowGain, int16_t, fEqualizer, SetLowGain)
ZUBRIK_PASS_THROUGH(SetEqualizerHighFrequency, int16_t, fEqualizer, SetHighFrequency)
ZUBRIK_PASS_THROUGH(SetEqualizerHighQ, int16_t, fEqualizer, SetHighQ)
ZUBRIK_PASS_THROUGH(SetEqualizerHighGain, int16_t, fEqualizer, SetHighGain)
ZUBRIK_PASS_THROUGH(SetEqualizerHighCut, int16_t, fEqualizer, SetHighCut)

#undef ZUBRIK_PASS_THROUGH

// The settings read here are written only by the GUI thread, and the audio
// thread reads them under fLock, so neither side needs the lock to read.
bool CZubrikSequencer::IsTempoMode() const
{
    return fPreviewOn && (fBars != 0 || fBeats != 0);
}

int32_t CZubrikSequencer::GetOriginalTempo() const
{
    return OriginalTempoFor(int64_t(fWave->GetLoopEnd()) - fWave->GetLoopStart(), fWave->GetSampleRate(),
                            int64_t(fBars) * fSignatureNumerator + fBeats);
}

int32_t CZubrikSequencer::OriginalTempoFor(int64_t loopFrames, int32_t sampleRate, int64_t beats)
{
    double rate = ClampRate(sampleRate);
    double minutes = double(loopFrames) / (rate * 60.0);
    if (minutes <= 0)
        return 0;
    double tempo = double(beats) / minutes * 1000.0 + 0.5;
    return static_cast<int32_t>(std::clamp(tempo, 0.0, double(kMaximumOriginalTempo)));
}

// ------------------------------------------------------------------ segments

void CZubrikSequencer::RebuildSegments()
{
    bool tempoMode = IsTempoMode();
    std::unique_ptr<CSegmentList> list;
    if (fSlices != nullptr) {
        list = CSliceSequence::BuildSegments(*fWave, *fSlices, fSilenceSelected, tempoMode);
    } else {
        CSliceSequence none(*fWave);
        list = CSliceSequence::BuildSegments(*fWave, none, fSilenceSelected, tempoMode);
    }
    {
        CSpinLockGuard listGuard(fListLock);
        fSegments.swap(list);
    }
    list.reset(); // the old list dies outside the lock
    CSpinLockGuard guard(fLock);
    PlaceCursorOnSegment();
}

void CZubrikSequencer::SetWaveSample(CABCWaveSample& wave)
{
    SetWaveSample(wave, fSlices);
}

void CZubrikSequencer::SetWaveSample(CABCWaveSample& wave, const CSliceSequence* slices)
{
    {
        CSpinLockGuard guard(fLock);
        fWave = &wave;
        fSlices = slices;
        fSampler.SetWaveSample(&wave);
        fCursor = 0;
    }
    RebuildSegments();
    CSpinLockGuard guard(fLock);
    PlaceCursorInLoop();
    AfterCursorMove();
}

// ---------------------------------------------------------------- navigation

int32_t CZubrikSequencer::LoopStart() const { return fWave->GetLoopStart(); }
int32_t CZubrikSequencer::LoopEnd() const { return fWave->GetLoopEnd(); }

CZubrikSequencer::TIterator CZubrikSequencer::First() const
{
    return fSegments->begin();
}

CZubrikSequencer::TIterator CZubrikSequencer::Last() const
{
    return fSegments->IsEmpty() ? fSegments->end() : std::prev(fSegments->end());
}

int32_t CZubrikSequencer::StartOf(TIterator segment) const
{
    return segment == fSegments->end() ? 0 : segment->fStart;
}

CZubrikSequencer::TIterator CZubrikSequencer::SegmentIterAt(int32_t frame) const
{
    TIterator found = fSegments->begin();
    for (TIterator it = found; it != fSegments->end() && it->fStart <= frame; ++it)
        found = it;
    return found;
}

CZubrikSequencer::TIterator CZubrikSequencer::LoopFirstSegment() const
{
    TIterator s = SegmentIterAt(LoopStart());
    if (s != fSegments->end() && s->fStart < LoopStart() && std::next(s) != fSegments->end())
        ++s;
    return s;
}

CZubrikSequencer::TIterator CZubrikSequencer::NextSegment(int32_t frame) const
{
    if (fSegments->IsEmpty())
        return fSegments->end();
    const int32_t loopStart = LoopStart(), loopEnd = LoopEnd();
    TIterator s = SegmentIterAt(frame);
    if (frame < loopEnd) {
        if (frame < s->fStart) // before the first segment
            return s->fStart >= loopEnd ? LoopFirstSegment() : s;
        TIterator next = std::next(s);
        if (next != fSegments->end())
            return next->fStart >= loopEnd ? LoopFirstSegment() : next;
        if (frame < loopStart)
            return First();
        TIterator loopFirst = LoopFirstSegment();
        return loopFirst->fStart < loopStart ? First() : loopFirst;
    }
    if (frame < s->fStart)
        return s;
    TIterator next = std::next(s);
    return next != fSegments->end() ? next : First();
}

CZubrikSequencer::TIterator CZubrikSequencer::PreviousSegmentToPlay(int32_t cursor) const
{
    if (fSegments->IsEmpty())
        return fSegments->end();
    const int32_t loopStart = LoopStart(), loopEnd = LoopEnd();
    TIterator s = SegmentIterAt(cursor);
    if (cursor >= loopStart) {
        if (s->fStart <= loopStart)
            return SegmentIterAt(loopEnd - 1);
        if (s == First())
            return cursor >= loopEnd ? Last() : SegmentIterAt(loopEnd - 1);
        TIterator previous = std::prev(s);
        return previous->fStart < loopStart ? SegmentIterAt(loopEnd - 1) : previous;
    }
    if (s->fStart >= cursor)
        return s == First() ? Last() : std::prev(s);
    return s;
}

bool CZubrikSequencer::CursorMayMove() const
{
    return fPlayState == kStopped || fPlayState == kReleasing || fCommand == kStop;
}

void CZubrikSequencer::AfterCursorMove()
{
    if (fPlayState == kStopped)
        fShownPosition = fCursor;
}

void CZubrikSequencer::PlaceCursorInLoop()
{
    TIterator loopFirst = LoopFirstSegment();
    if (loopFirst == fSegments->end())
        fCursor = 0;
    else if (loopFirst->fStart >= LoopStart() && loopFirst->fStart < LoopEnd())
        fCursor = loopFirst->fStart;
    else
        fCursor = First()->fStart;
}

void CZubrikSequencer::PlaceCursorOnSegment()
{
    if (!CursorMayMove())
        return;
    fCursor = StartOf(SegmentIterAt(fCursor));
    AfterCursorMove();
}

// ----------------------------------------------------------------- transport

void CZubrikSequencer::StartLoop()
{
    CSpinLockGuard guard(fLock);
    if (fPlayState == kPlayingLoop || fSegments->IsEmpty())
        return;
    TIterator s = SegmentIterAt(fCursor);
    fOneShot = *s;
    fCursor = fShownPosition = s->fStart;
    fShownPositionValid = true;
    fCommand = kStartLoop;
}

void CZubrikSequencer::PostOneSegment(TIterator segment)
{
    if (segment == fSegments->end())
        return;
    fOneShot = *segment;
    fCursor = fShownPosition = segment->fStart;
    fCommand = kPlayOneSegment;
}

void CZubrikSequencer::PlayCurrentSegment()
{
    CSpinLockGuard guard(fLock);
    PostOneSegment(SegmentIterAt(fShownPosition));
}

void CZubrikSequencer::PlaySegmentAt(int32_t frame)
{
    CSpinLockGuard guard(fLock);
    PostOneSegment(SegmentIterAt(frame));
}

void CZubrikSequencer::PlayPreviousSegment()
{
    CSpinLockGuard guard(fLock);
    PostOneSegment(PreviousSegmentToPlay(fCursor));
}

void CZubrikSequencer::PlayCurrentAndAdvance()
{
    CSpinLockGuard guard(fLock);
    if (fSegments->IsEmpty())
        return;
    fOneShot = *SegmentIterAt(fCursor);
    fShownPosition = fCursor;
    fCursor = StartOf(NextSegment(fCursor));
    fCommand = kPlayOneSegment;
}

void CZubrikSequencer::Stop()
{
    fLock.Lock();
    if (fPlayState != kStopped || fCommand != kNoCommand) {
        fLock.Unlock();
        StopAndWait();
        return;
    }
    if (!fSegments->IsEmpty()) {
        TIterator loopFirst = LoopFirstSegment();
        int32_t start = loopFirst->fStart;
        bool insideLoop = start >= LoopStart() && start < LoopEnd();
        fCursor = insideLoop && start < fCursor ? start : First()->fStart;
        AfterCursorMove();
    }
    fLock.Unlock();
}

void CZubrikSequencer::StopAndWait()
{
    using namespace std::chrono;
    CSpinLockGuard guard(fLock);
    if (fPlayState == kStopped) {
        // Nothing sounds yet: a start that the audio thread has not taken up
        // is simply withdrawn, so that nothing begins after the stop.
        fCommand = kNoCommand;
        return;
    }
    fCommand = kStop;
    const auto deadline = steady_clock::now() + milliseconds(kStopTimeoutMilliseconds);
    while (fPlayState != kStopped) {
        if (steady_clock::now() >= deadline) {
            // The audio thread has not answered: nothing renders any more.
            fPlayState = kStopped;
            fSampler.Reset();
            fCommand = kNoCommand;
            break;
        }
        fLock.Unlock();
        std::this_thread::sleep_for(milliseconds(kStopPollMilliseconds));
        fLock.Lock();
    }
}

void CZubrikSequencer::CursorToNext()
{
    CSpinLockGuard guard(fLock);
    if (!CursorMayMove() || fSegments->IsEmpty())
        return;
    if (fCursor >= Last()->fStart) {
        fCursor = First()->fStart;
    } else {
        for (const CSegment& s : *fSegments)
            if (s.fStart > fCursor) {
                fCursor = s.fStart;
                break;
            }
    }
    AfterCursorMove();
}

void CZubrikSequencer::CursorToPrevious()
{
    CSpinLockGuard guard(fLock);
    if (!CursorMayMove() || fSegments->IsEmpty())
        return;
    if (fCursor <= First()->fStart) {
        fCursor = Last()->fStart;
    } else {
        int32_t previous = First()->fStart;
        for (const CSegment& s : *fSegments)
            if (s.fStart < fCursor)
                previous = s.fStart;
        fCursor = previous;
    }
    AfterCursorMove();
}

void CZubrikSequencer::CursorToLoopStart()
{
    CSpinLockGuard guard(fLock);
    if (!CursorMayMove() || fSegments->IsEmpty())
        return;
    auto found = std::find_if(fSegments->begin(), fSegments->end(),
                              [&](const CSegment& s) { return s.fStart >= LoopStart(); });
    fCursor = found != fSegments->end() ? found->fStart : Last()->fStart;
    AfterCursorMove();
}

void CZubrikSequencer::CursorToLoopEnd()
{
    CSpinLockGuard guard(fLock);
    if (!CursorMayMove() || fSegments->IsEmpty())
        return;
    auto found = std::find_if(fSegments->begin(), fSegments->end(),
                              [&](const CSegment& s) { return s.fStart >= LoopEnd(); });
    fCursor = found != fSegments->end() ? found->fStart : Last()->fStart;
    AfterCursorMove();
}

void CZubrikSequencer::SetCursor(int32_t frame)
{
    CSpinLockGuard guard(fLock);
    if (!CursorMayMove())
        return;
    fCursor = frame;
    AfterCursorMove();
}

// ------------------------------------------------------------------- queries

int32_t CZubrikSequencer::GetShownPosition() const
{
    CSpinLockGuard guard(fLock);
    return fShownPosition;
}

bool CZubrikSequencer::IsShownPositionValid() const
{
    CSpinLockGuard guard(fLock);
    return fShownPositionValid;
}

int32_t CZubrikSequencer::GetCursor() const
{
    CSpinLockGuard guard(fLock);
    return fCursor;
}

int32_t CZubrikSequencer::GetPlayState() const
{
    CSpinLockGuard guard(fLock);
    return fPlayState;
}

bool CZubrikSequencer::IsPlaying() const
{
    CSpinLockGuard guard(fLock);
    return fPlayState != kStopped || fCommand != kNoCommand;
}

int32_t CZubrikSequencer::GetSegmentCount() const
{
    return fSegments->GetCount();
}

CSegment CZubrikSequencer::GetSegment(int32_t index) const
{
    const CSegment* segment = fSegments->GetAt(index);
    return segment != nullptr ? *segment : CSegment();
}

CSegment CZubrikSequencer::SegmentAt(int32_t frame) const
{
    TIterator s = SegmentIterAt(frame);
    return s != fSegments->end() ? *s : CSegment();
}

CZubrikSequencer::SSchedule CZubrikSequencer::GetSchedule() const
{
    CSpinLockGuard guard(fLock);
    return {fFramesToEvent, fEventTime, fEventStep, fCurrentSegment, fCursor};
}

// ------------------------------------------------------------------ offline

void CZubrikSequencer::StartSegmentVoice(int32_t index)
{
    const CSegment* segment = fSegments->GetAt(index);
    if (segment == nullptr)
        return;
    fSampler.StartSliceVoice(*segment);
    fEqualizer.SetTempoMode(IsTempoMode());
}

void CZubrikSequencer::ResetVoices()
{
    fSampler.Reset();
    fEqualizer.Reset();
}

int32_t CZubrikSequencer::RenderedLength(const CSegment& segment) const
{
    return fSampler.RenderedLength(segment);
}

void CZubrikSequencer::RenderBlock(float* const out[2])
{
    RenderOneBlock(out[0], fWave->IsStereo() ? out[1] : fScratchRight);
}

} // namespace NSZubrik
