// The Process menu's commands: Normalize, Convert to Mono, Convert Sample
// Format, Crop Loop and Remove DC.
//
// Each builds a complete new sound (and, when positions move, new slices)
// beside the document's, streaming through blocks of 4096 frames with
// progress and a stop check before every block, and commits the result as
// one undo step. The document's own sound is never touched: a stop or a
// failure leaves it as it was. The builders below work on a wave sample and
// slice sequence alone and hand back the new state; CSampleProcessor runs
// them on a document as lengthy operations and commits what they return.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/ZubrikErrors.h"
#include "document/LengthyOperation.h"

namespace NSDocumentUndoableAK {
// Raised by the processing work when the user presses the stop button.
using NSZubrik::XUserPressedStop;
} // namespace NSDocumentUndoableAK

namespace NSZubrik {

class CABCWaveSample;
class CSliceSequence;
class CZubrikDocument;

inline constexpr int32_t kProcessingBlockFrames = 4096;
// Peaks at or above this level need no normalizing.
inline constexpr float kNormalizedLevel = 0.99993896484375f;  // 1 - 2^-14
// The peak search gives up early once it has found this much.
inline constexpr float kFullScaleLevel = 0.999969482421875f;  // 1 - 2^-15
// Subtracted from the exact gain so that rounding cannot overshoot.
inline constexpr float kGainMargin = 1.0f / 65536.0f;
// Corner of the Remove DC level follower.
inline constexpr double kDCCutoffHz = 10.0;
// The rates and depths Convert Sample Format offers.
inline constexpr int32_t kConvertibleSampleRates[] = {11025, 22050, 32000, 44100, 48000, 88200, 96000};
inline constexpr int32_t kConvertibleBitDepths[] = {16, 24};

enum class ENormalizeScope { kWholeFile, kEachSlice };
// The stored choice of the Convert to Mono dialog.
enum EMonoSource : int32_t { kMonoFromLeft = 0, kMonoFromRight = 1, kMonoMix = 2 };

// A run of frames start ... end - 1.
struct SFrameRegion {
    int32_t fStart = 0;
    int32_t fEnd = 0;
    bool operator==(const SFrameRegion&) const = default;
};

struct SWaveAndSlices {
    std::unique_ptr<CABCWaveSample> fWave;
    std::unique_ptr<CSliceSequence> fSlices;
};

// The regions normalized independently: the whole sound, or one per active
// slice up to the next active slice (the last to the end) plus the frames
// before the first active slice.
std::vector<SFrameRegion> NormalizeRegions(const CABCWaveSample& wave, const CSliceSequence& slices,
                                           ENormalizeScope scope);

// The sound with each region scaled so that its peak reaches full scale;
// null when no region was below kNormalizedLevel.
std::unique_ptr<CABCWaveSample> NormalizedWaveSample(const CABCWaveSample& wave, const CSliceSequence& slices,
                                                     ENormalizeScope scope, ILengthyProgress& progress);

std::unique_ptr<CABCWaveSample> MonoWaveSample(const CABCWaveSample& wave, EMonoSource source,
                                               ILengthyProgress& progress);

// ceil(value * newRate / oldRate), as the converted frame counts and
// positions are formed.
int32_t ScaleToRate(int32_t value, int32_t newRate, int32_t oldRate);

// New rate and depth (24, or 16 for any other choice), with every slice moved
// to the new rate. A changed rate goes through two passes of sample-rate
// conversion, the second scaled by the peak the first found.
SWaveAndSlices ConvertedSampleFormat(const CABCWaveSample& wave, const CSliceSequence& slices, int32_t sampleRate,
                                     int32_t bitDepth, ILengthyProgress& progress);

// The frames between the locators and the slices among them; null members
// when the loop is empty.
SWaveAndSlices CroppedToLoop(const CABCWaveSample& wave, const CSliceSequence& slices, ILengthyProgress& progress);

// Each channel minus the output of a 10 Hz one-pole low-pass, which is first
// run backwards over the opening half second so that it starts settled.
std::unique_ptr<CABCWaveSample> WaveSampleWithoutDC(const CABCWaveSample& wave, ILengthyProgress& progress);

// Runs the commands on a document. Each returns true when it committed an
// undo step; a stop returns false, other failures propagate with the
// document unchanged.
class CSampleProcessor {
public:
    explicit CSampleProcessor(CZubrikDocument& document,
                              const CLengthyOperationServices& services = GetDefaultLengthyOperationServices())
        : fDocument(document), fServices(services)
    {
    }

    // Asks whole file or each slice first.
    bool Normalize();
    bool Normalize(ENormalizeScope scope);
    bool ConvertToMono(EMonoSource source);
    bool ConvertSampleFormat(int32_t sampleRate, int32_t bitDepth);
    bool CropLoop();
    bool RemoveDC();

private:
    CZubrikDocument& fDocument;
    CLengthyOperationServices fServices;
};

} // namespace NSZubrik
