#include "engine/LoopPreview.h"

#include <algorithm>

#include "audiodata/ZBXObject.h"

namespace NSZubrik {

CLoopPreview::CLoopPreview(std::unique_ptr<CZBXObject> loop) : fLoop(std::move(loop)) {}

CLoopPreview::~CLoopPreview() { Stop(); }

void CLoopPreview::Start()
{
    fLoop->Start();
    fActive.store(true, std::memory_order_release);
}

void CLoopPreview::Stop()
{
    // The player stops the preview while the audio thread still renders
    // it, so the loop's sequencer sees its stop through; silent from then on.
    if (IsActive())
        fLoop->Stop();
    fActive.store(false, std::memory_order_release);
}

void CLoopPreview::Render(float* left, float* right, int32_t frameCount) noexcept
{
    if (IsActive()) {
        fLoop->Render(left, right, frameCount);
        return;
    }
    std::fill_n(left, frameCount, 0.0f);
    if (right != nullptr)
        std::fill_n(right, frameCount, 0.0f);
}

} // namespace NSZubrik
