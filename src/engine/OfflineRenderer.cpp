#include "engine/OfflineRenderer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"

namespace NSZubrik {

COfflineRenderer::COfflineRenderer(const CZubrikSequencer& sequencer) : fSequencer(sequencer) {}

int32_t COfflineRenderer::GetOutputSampleRate() const
{
    if (fOutputRate == 0)
        return fSequencer.GetOutputSampleRate();
    return std::clamp(fOutputRate, CZubrikSampler::kMinimumOutputRate,
                      CZubrikSampler::kMaximumOutputRate);
}

int32_t COfflineRenderer::FrameCountFor(double seconds) const
{
    double frames = std::round(seconds * GetOutputSampleRate());
    if (!(frames >= 1.0) || frames > double(std::numeric_limits<int32_t>::max()))
        throw XIllegalCallSequence();
    return static_cast<int32_t>(frames);
}

std::unique_ptr<CZubrikSequencer> COfflineRenderer::StartedCopy() const
{
    auto copy = std::make_unique<CZubrikSequencer>(fSequencer);
    if (fOutputRate != 0)
        copy->SetOutputSampleRate(fOutputRate);
    // The copy's cursor lies on the loop's first segment; the first Render
    // consumes the command.
    copy->StartLoop();
    return copy;
}

void COfflineRenderer::Report(int32_t done, int32_t total) const
{
    if (fProgress && !fProgress(done, total))
        throw XUserPressedStop();
}

void COfflineRenderer::RenderLoop(int32_t frameCount, float* left, float* right) const
{
    std::unique_ptr<CZubrikSequencer> copy = StartedCopy();
    for (int32_t done = 0; done < frameCount;) {
        int32_t count = std::min(kPieceFrames, frameCount - done);
        float* const out[2] = {left + done, right + done};
        copy->Render(out, count);
        done += count;
        Report(done, frameCount);
    }
}

std::unique_ptr<CABCWaveSample> COfflineRenderer::RenderLoop(double seconds,
                                                              int32_t bitDepth) const
{
    const int32_t frameCount = FrameCountFor(seconds);
    const bool stereo = fSequencer.GetWaveSample().IsStereo();
    std::unique_ptr<CABCWaveSample> wave =
        CreateWaveSample(GetOutputSampleRate(), frameCount, stereo, bitDepth <= 16 ? 16 : 24);

    std::unique_ptr<CZubrikSequencer> copy = StartedCopy();
    std::vector<float> left(kPieceFrames), right(kPieceFrames);
    for (int32_t done = 0; done < frameCount;) {
        int32_t count = std::min(kPieceFrames, frameCount - done);
        float* const out[2] = {left.data(), right.data()};
        copy->Render(out, count);
        wave->SetFloats(done, count, left.data(), 1);
        if (stereo)
            wave->SetFloats(done, count, right.data(), 2);
        done += count;
        Report(done, frameCount);
    }
    wave->BuildPreview();
    return wave;
}

} // namespace NSZubrik
