// The preview of a loop file in the open dialog: the file's loop object
// (its sound, slices, tempo and effects) played through the wave player's
// loop-preview mode (CWavePlayer::PlayLoopPreview) while the dialog shows
// the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/WavePlayer.h"

namespace NSZubrik {

class CZBXObject;

class CLoopPreview : public ILoopPreview {
public:
    explicit CLoopPreview(std::unique_ptr<CZBXObject> loop);
    ~CLoopPreview() override;
    CLoopPreview(const CLoopPreview&) = delete;
    CLoopPreview& operator=(const CLoopPreview&) = delete;

    // GUI thread: the loop starts from its first segment at the next piece.
    void Start();
    // GUI thread: the loop stops and is silent from the next piece on.
    void Stop() override;
    bool IsActive() const { return fActive.load(std::memory_order_acquire); }

    // Audio thread: the loop object's own blocks; with right null one mixed
    // channel, (left + right) × 0.5.
    void Render(float* left, float* right, int32_t frameCount) noexcept override;

private:
    std::unique_ptr<CZBXObject> fLoop;
    std::atomic<bool> fActive{false};
};

} // namespace NSZubrik
