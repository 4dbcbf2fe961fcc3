#include "engine/AudioRenderer.h"

#include <algorithm>
#include <stdexcept>

#include "engine/WavePlayer.h"

namespace NSZubrik {

void CAudioRenderer::Lock()
{
    if (fNesting == 0) {
        fPlayer.Stop();
        if (!fMutex.TryLockFor(kLockTimeoutMilliseconds))
            throw std::runtime_error("no mutex");
    }
    ++fNesting;
}

void CAudioRenderer::Unlock()
{
    if (fNesting == 0)
        return;
    if (--fNesting == 0)
        fMutex.Unlock();
}

void CAudioRenderer::SettingsChanged()
{
    if (IsEnabled() && fTarget != nullptr)
        fTarget->SettingsChanged();
}

void CAudioRenderer::Silence(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept
{
    for (int32_t c = 0; c < channelCount; ++c)
        if (channelBuffers[c] != nullptr)
            std::fill_n(channelBuffers[c], frameCount, 0.0f);
}

void CAudioRenderer::Render(int32_t frameCount, float* const* channelBuffers, int32_t channelCount) noexcept
{
    if (!IsEnabled() || !fMutex.TryLock()) {
        Silence(frameCount, channelBuffers, channelCount);
        return;
    }
    for (int32_t done = 0; done < frameCount;) {
        if (fIndex >= kPieceFrames) {
            fPlayer.Render(fLeft, fRight);
            fIndex = 0;
        }
        const int32_t count = std::min(frameCount - done, kPieceFrames - fIndex);
        for (int32_t c = 0; c < channelCount; ++c)
            if (channelBuffers[c] != nullptr)
                std::copy_n((c % 2 == 0 ? fLeft : fRight) + fIndex, count, channelBuffers[c] + done);
        fIndex += count;
        done += count;
    }
    fMutex.Unlock();
}

} // namespace NSZubrik
