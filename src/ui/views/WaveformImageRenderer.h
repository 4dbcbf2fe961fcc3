// Draws a wave sample's outline into an image, one min/max span per device
// pixel column. Where a column covers 64 frames or more the spans come from
// the sample's min/max summary, through coarser levels built from it so that
// a column reads a bounded number of entries however long the sound is;
// closer in, only the samples of the columns drawn are read. The cost of a
// drawing therefore follows the pixels, not the length of the sound.
#pragma once

#include <QColor>
#include <cstdint>
#include <vector>

class QImage;

namespace NSZubrik {

class CABCWaveSample;
class CWaveSamplePreview;

class CWaveformImageRenderer {
public:
    struct SSpan {
        int16_t fMin = 0;
        int16_t fMax = 0;
        bool fEmpty = true;
    };
    // What the image shows: columns start at frame fStart and each covers
    // fFramesPerColumn frames (fractional for device pixels finer than a
    // frame).
    struct SFrameScale {
        double fStart = 0;
        double fFramesPerColumn = 1;
    };

    // Columns covering at least this many frames read the summary.
    static constexpr double kSummaryFrames = 64;

    // Channel 1 or 2, or 0 for the mean of both channels of a stereo sound.
    void ComputeSpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale, int32_t columns,
                      std::vector<SSpan>& spans);
    // Fills the image (transparent) and draws one lane per channel, or one
    // lane of their mean when summed, magnified vertically by zoom. With
    // depth the body is lighter at the centre line and darker towards the
    // lane's edges, with a lit upper edge and a shadowed lower one; without
    // it the body is one flat colour.
    void Paint(QImage& image, const CABCWaveSample& wave, const SFrameScale& scale, bool summed, int32_t zoom,
               QColor colour, bool depth = false);
    // The sound changed: the coarser levels are built again when next needed.
    void Invalidate() { fLevelsOf = nullptr; }

    static int32_t LaneCount(const CABCWaveSample& wave, bool summed) { return IsStereo(wave) && !summed ? 2 : 1; }

private:
    // The lane's rows from top to bottom, in the columns' spans.
    void FillLane(QImage& image, int32_t top, int32_t bottom, QColor colour, bool depth) const;
    static bool IsStereo(const CABCWaveSample& wave);
    void BuildLevels(const CWaveSamplePreview& preview);
    void SummarySpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale, int32_t columns,
                      std::vector<SSpan>& spans);
    void SampleSpans(const CABCWaveSample& wave, int32_t channel, const SFrameScale& scale, int32_t columns,
                     std::vector<SSpan>& spans);

    struct SPair {
        int16_t fMin;
        int16_t fMax;
    };
    // fLevels[channel index][level]: level 0 are the summary's 64-frame
    // pairs (by reference, not copied), level k combines kLevelFactor pairs
    // of level k - 1.
    static constexpr int32_t kLevelFactor = 8;
    const CWaveSamplePreview* fLevelsOf = nullptr;
    std::vector<std::vector<SPair>> fLevels[2];
    std::vector<int16_t> fFirst;
    std::vector<int16_t> fSecond;
    std::vector<SSpan> fSpans[2];
    // Each column's first and last row in the lane being painted.
    std::vector<int32_t> fTops;
    std::vector<int32_t> fBottoms;
};

} // namespace NSZubrik
