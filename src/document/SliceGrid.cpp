#include "document/SliceGrid.h"

#include "audiodata/SliceSequence.h"

namespace NSZubrik {

namespace {

constexpr int16_t kGridSliceStrength = 16384;

// Sixteenth notes per beat: 4 in x/4, 2 in x/8, 1 in x/16.
int32_t SixteenthsPerBeat(int32_t denominator)
{
    return denominator > 0 ? 16 / denominator : 0;
}

void AddGridSlice(CSliceSequence& sequence, int32_t frame)
{
    CSlice* existing = sequence.FindSliceAt(frame);
    if (existing == nullptr) {
        sequence.InsertSlice(CSlice(frame, kGridSliceStrength, CSlice::kLocked));
        return;
    }
    if (existing->IsLocked())
        return;
    CSlice locked = *existing;
    locked.SetState(CSlice::kLocked);
    sequence.RemoveSliceAt(frame);
    sequence.InsertSlice(locked);
}

} // namespace

int64_t CountGridPoints(const CLoopGrid& grid)
{
    const int64_t beats = int64_t{grid.bars} * grid.numerator + grid.beats;
    return beats * SixteenthsPerBeat(grid.denominator);
}

int32_t AddSlicesAtGrid(CSliceSequence& sequence, const CLoopGrid& grid)
{
    const int32_t before = sequence.GetCount();
    const int64_t beats = int64_t{grid.bars} * grid.numerator + grid.beats;
    const int32_t sub = SixteenthsPerBeat(grid.denominator);
    if (beats <= 0 || grid.rightLocator <= grid.leftLocator)
        return 0;
    const double right = grid.rightLocator;
    const double framesPerBeat = (right - grid.leftLocator) / static_cast<double>(beats);
    const double step = framesPerBeat / sub;
    // Positions accumulate by repeated addition rather than multiplication;
    // the frames it truncates to are the ones loops gridded before carry.
    for (double pos = grid.leftLocator; pos < right; pos += framesPerBeat) {
        if (pos + framesPerBeat / 2 < right)
            AddGridSlice(sequence, static_cast<int32_t>(pos));
        double q = pos;
        for (int32_t k = 1; k < sub; ++k) {
            q += step;
            if (q + step / 2 < right)
                AddGridSlice(sequence, static_cast<int32_t>(q));
        }
    }
    // The added slices do not depend on lengths, so computing them once at
    // the end gives the same result as after every addition.
    sequence.UpdateLengths();
    return sequence.GetCount() - before;
}

} // namespace NSZubrik
