// A loop file ready to audition: the open dialog plays a loop with its own
// slices and settings before the user opens it as a document.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "audiodata/ZubrikFile.h"

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZubrikSequencer;

class CZBXObject {
public:
    static constexpr int32_t kRenderBlockFrames = 64;

    // The wave is the file's audio as ReadSample returned it; the object
    // keeps it. Fails with XZubrikFileHasZeroLoopLength when the file gives
    // no loop length, and with the file's own errors.
    CZBXObject(CZubrikFile& file, std::unique_ptr<CABCWaveSample> wave);
    ~CZBXObject();
    CZBXObject(const CZBXObject&) = delete;
    CZBXObject& operator=(const CZBXObject&) = delete;

    // Loaded when the loop has something to export (and so to play).
    bool IsLoaded() const { return fLoaded; }
    bool IsPlaying() const { return fPlaying; }
    void Start();
    void Stop();
    // The rate the loop is rendered at: the sound card's (before Start).
    void SetOutputSampleRate(int32_t rate);

    // Fills frameCount frames: left and right when right is given, else the
    // mix (left + right) × 0.5 into left. Zeros while not loaded.
    void Render(float* left, float* right, int32_t frameCount);

    const CZubrikFileInfo& GetFileInfo() const { return fInfo; }
    const CZubrikViewAttributes& GetViewAttributes() const { return fViewAttributes; }
    const std::optional<CZubrikCreatorInfo>& GetCreatorInfo() const { return fCreatorInfo; }
    // The number of pieces an export of the loop would write.
    int32_t GetExportCount() const { return fExportCount; }

private:
    void ApplyParameters(const CZubrikLoopParameters& p);
    int32_t CountExportPieces() const;

    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;
    std::unique_ptr<CZubrikSequencer> fSequencer;
    CZubrikFileInfo fInfo;
    CZubrikViewAttributes fViewAttributes;
    std::optional<CZubrikCreatorInfo> fCreatorInfo;
    int32_t fExportCount = 0;
    bool fLoaded = false;
    bool fPlaying = false;
};

} // namespace NSZubrik
