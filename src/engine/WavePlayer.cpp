#include "engine/WavePlayer.h"

#include <algorithm>
#include <cmath>

#include "audiodata/WaveSample.h"
#include "engine/Sequencer.h"

namespace NSZubrik {

using NSTambor::CSpinLockGuard;

namespace {

constexpr float kInt16ToFloat = 1.0f / 32767.0f;

void Silence(float* left, float* right)
{
    std::fill_n(left, CWavePlayer::kPieceFrames, 0.0f);
    std::fill_n(right, CWavePlayer::kPieceFrames, 0.0f);
}

// Two neighbouring 16-bit values mixed by a 15-bit fraction, in integers.
int32_t Interpolate(int32_t a, int32_t b, int32_t fraction)
{
    return std::clamp(a + (b - a) * fraction / 32768, -32768, 32767);
}

} // namespace

CWavePlayer& CWavePlayer::Get()
{
    static CWavePlayer player;
    return player;
}

void CWavePlayer::SetOutputSampleRate(int32_t rate)
{
    CSpinLockGuard guard(fLock);
    fOutputRate = std::max(1, rate);
}

IWavePlayerListener* CWavePlayer::Detach()
{
    IWavePlayerListener* listener = fListener;
    fWave = nullptr;
    fSequencer = nullptr;
    fPreview = nullptr;
    fListener = nullptr;
    fMode = kStopped;
    return listener;
}

void CWavePlayer::PlaySequencer(CZubrikSequencer& sequencer, IWavePlayerListener* listener)
{
    bool alreadyPlaying = false;
    IWavePlayerListener* previous = nullptr;
    {
        CSpinLockGuard guard(fLock);
        alreadyPlaying = fMode == kPlayingSequencer && fSequencer == &sequencer;
        if (alreadyPlaying) {
            previous = fListener;
            fListener = listener;
        }
    }
    if (alreadyPlaying) {
        if (previous != listener) {
            if (previous != nullptr)
                previous->PlayingStopped();
            if (listener != nullptr)
                listener->PlayingStarted();
        }
        return;
    }
    StartPlaying(kPlayingSequencer, listener, [&] { fSequencer = &sequencer; });
}

void CWavePlayer::PlayLoopPreview(ILoopPreview& preview, IWavePlayerListener* listener)
{
    StartPlaying(kPlayingPreview, listener, [&] { fPreview = &preview; });
}

void CWavePlayer::PlayWave(const CABCWaveSample& wave, IWavePlayerListener* listener)
{
    StartPlaying(kPlayingWave, listener, [&] {
        const int64_t step = (int64_t(wave.GetSampleRate()) << kFractionBits) / fOutputRate;
        fWave = &wave;
        fFrame = 0;
        fFraction = 0;
        fStepFrames = int32_t(step >> kFractionBits);
        fStepFraction = int32_t(step & ((1 << kFractionBits) - 1));
    });
}

template <typename TSetUp>
void CWavePlayer::StartPlaying(int32_t mode, IWavePlayerListener* listener, TSetUp setUp)
{
    Stop();
    {
        CSpinLockGuard guard(fLock);
        setUp();
        fListener = listener;
        fMode = mode;
    }
    if (listener != nullptr)
        listener->PlayingStarted();
}

// The sequencer is stopped with the player's lock free: the audio thread has
// to go on rendering it until it reports Stopped.
void CWavePlayer::StopSource()
{
    if (fDevice == nullptr || !fDevice->IsRunning())
        return;
    CZubrikSequencer* sequencer = nullptr;
    ILoopPreview* preview = nullptr;
    {
        CSpinLockGuard guard(fLock);
        sequencer = fMode == kPlayingSequencer ? fSequencer : nullptr;
        preview = fMode == kPlayingPreview ? fPreview : nullptr;
    }
    if (sequencer != nullptr && sequencer->IsPlaying())
        sequencer->StopAndWait();
    if (preview != nullptr)
        preview->Stop();
}

void CWavePlayer::Stop()
{
    StopSource();
    IWavePlayerListener* listener = nullptr;
    {
        CSpinLockGuard guard(fLock);
        listener = Detach();
    }
    if (listener != nullptr)
        listener->PlayingStopped();
}

void CWavePlayer::Idle()
{
    int32_t mode = kStopped;
    const CZubrikSequencer* sequencer = nullptr;
    {
        CSpinLockGuard guard(fLock);
        mode = fMode;
        sequencer = fSequencer;
    }
    if (mode == kWaveFinished || (mode == kPlayingSequencer && !sequencer->IsPlaying()))
        Stop();
}

int32_t CWavePlayer::GetMode() const
{
    CSpinLockGuard guard(fLock);
    return fMode;
}

bool CWavePlayer::IsIdle() const
{
    const int32_t mode = GetMode();
    return mode == kStopped || mode == kWaveFinished;
}

const CZubrikSequencer* CWavePlayer::GetSequencer() const
{
    CSpinLockGuard guard(fLock);
    return fSequencer;
}

// ------------------------------------------------------------------ audio thread

void CWavePlayer::Render(float* left, float* right) noexcept
{
    if (!fLock.TryLock()) {
        Silence(left, right);
        return;
    }
    switch (fMode) {
    case kPlayingWave: RenderWave(left, right); break;
    case kPlayingSequencer: {
        float* const out[2] = {left, right};
        fSequencer->Render(out, kPieceFrames);
        break;
    }
    case kPlayingPreview: fPreview->Render(left, right, kPieceFrames); break;
    default: Silence(left, right); break;
    }
    ClipAndMeasure(left, right);
    fLock.Unlock();
}

void CWavePlayer::RenderWave(float* left, float* right) noexcept
{
    const CABCWaveSample& wave = *fWave;
    const int32_t frames = wave.GetFrameCount();
    const int32_t second = wave.IsStereo() ? 2 : 1;
    int32_t i = 0;
    for (; i < kPieceFrames && fFrame < frames; ++i) {
        const bool hasNext = fFrame + 1 < frames;
        const int32_t l = Interpolate(wave.GetInt16(fFrame, 1), hasNext ? wave.GetInt16(fFrame + 1, 1) : 0, fFraction);
        const int32_t r =
            Interpolate(wave.GetInt16(fFrame, second), hasNext ? wave.GetInt16(fFrame + 1, second) : 0, fFraction);
        left[i] = float(l) * kInt16ToFloat;
        right[i] = float(r) * kInt16ToFloat;
        fFraction += fStepFraction;
        fFrame += fStepFrames + (fFraction >> kFractionBits);
        fFraction &= (1 << kFractionBits) - 1;
    }
    if (i < kPieceFrames) {
        std::fill(left + i, left + kPieceFrames, 0.0f);
        std::fill(right + i, right + kPieceFrames, 0.0f);
        fMode = kWaveFinished;
    }
}

void CWavePlayer::ClipAndMeasure(float* left, float* right) noexcept
{
    float peaks[2] = {0.0f, 0.0f};
    bool clipped = false;
    float* const channels[2] = {left, right};
    for (int c = 0; c < 2; ++c)
        for (int32_t i = 0; i < kPieceFrames; ++i) {
            const float value = channels[c][i];
            const float magnitude = std::fabs(value);
            if (magnitude > 1.0f) {
                clipped = true;
                channels[c][i] = value > 0.0f ? 1.0f : -1.0f;
            }
            peaks[c] = std::max(peaks[c], std::min(magnitude, 1.0f));
        }
    if (fMode == kPlayingSequencer && fSequencer != nullptr)
        fSequencer->GetMeterData().Merge(peaks[0], peaks[1], clipped);
}

} // namespace NSZubrik
