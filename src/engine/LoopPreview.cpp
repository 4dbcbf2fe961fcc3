#include "engine/LoopPreview.h"

#include <algorithm>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"

namespace NSZubrik {

CLoopPreview::CLoopPreview(std::unique_ptr<CABCWaveSample> wave, std::unique_ptr<CSliceSequence> slices)
    : fWave(std::move(wave)), fSlices(std::move(slices))
{
    fSequencer = std::make_unique<CZubrikSequencer>(*fWave, fSlices.get());
    fSequencer->SetWaveSample(*fWave, fSlices.get());
}

CLoopPreview::~CLoopPreview() = default;

void CLoopPreview::Start()
{
    fSequencer->StartLoop();
    fActive.store(true, std::memory_order_release);
}

void CLoopPreview::Stop() { fActive.store(false, std::memory_order_release); }

void CLoopPreview::Render(float* left, float* right, int32_t frameCount) noexcept
{
    if (!IsActive()) {
        std::fill_n(left, frameCount, 0.0f);
        if (right != nullptr)
            std::fill_n(right, frameCount, 0.0f);
        return;
    }
    float* const out[2] = {fLeft, fRight};
    for (int32_t done = 0; done < frameCount;) {
        const int32_t count = std::min(frameCount - done, CZubrikSequencer::kBlockFrames);
        fSequencer->Render(out, count);
        if (right != nullptr) {
            std::copy_n(fLeft, count, left + done);
            std::copy_n(fRight, count, right + done);
        } else {
            for (int32_t i = 0; i < count; ++i)
                left[done + i] = (fLeft[i] + fRight[i]) * 0.5f;
        }
        done += count;
    }
}

} // namespace NSZubrik
