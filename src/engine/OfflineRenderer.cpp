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
    int32_t done = 0;
    RenderLoop(frameCount, [&](const float* pieceLeft, const float* pieceRight, int32_t count) {
        std::copy_n(pieceLeft, count, left + done);
        std::copy_n(pieceRight, count, right + done);
        done += count;
    });
}

void COfflineRenderer::RenderLoop(int32_t frameCount, const TPieceSink& sink) const
{
    std::unique_ptr<CZubrikSequencer> copy = StartedCopy();
    std::vector<float> left(kPieceFrames), right(kPieceFrames);
    float* const out[2] = {left.data(), right.data()};
    for (int32_t done = 0; done < frameCount;) {
        const int32_t count = std::min(kPieceFrames, frameCount - done);
        copy->Render(out, count);
        sink(left.data(), right.data(), count);
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
    int32_t done = 0;
    RenderLoop(frameCount, [&](const float* left, const float* right, int32_t count) {
        wave->SetFloats(done, count, left, 1);
        if (stereo)
            wave->SetFloats(done, count, right, 2);
        done += count;
    });
    wave->BuildPreview();
    return wave;
}

} // namespace NSZubrik
