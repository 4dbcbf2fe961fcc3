#include "audiodata/SliceSequence.h"

#include <gtest/gtest.h>

#include <vector>

#include "audiodata/WaveSample.h"

using namespace NSZubrik;

namespace {

// Lets a test choose the threshold without the analysis settings.
class CTestSequence : public CSliceSequence {
public:
    using CSliceSequence::CSliceSequence;
    void SetThreshold(int16_t threshold) { fThreshold = threshold; }
};

std::vector<int32_t> Positions(const CSliceSequence& sequence) {
    std::vector<int32_t> positions;
    for (const CSlice& slice : sequence)
        positions.push_back(slice.GetPosition());
    return positions;
}

CSlice Locked(int32_t position, int32_t length = 1) {
    CSlice slice(position, 100, CSlice::kLocked);
    slice.SetLength(length);
    return slice;
}

using TSpans = std::vector<std::pair<int32_t, int32_t>>;

TSpans Spans(const CSegmentList& list) {
    TSpans spans;
    for (const CSegment& segment : list)
        spans.emplace_back(segment.fStart, segment.fEnd);
    return spans;
}

} // namespace

TEST(SliceSequence, InsertKeepsOrderAndMerges) {
    auto wave = CreateWaveSample(44100, 1000, false, 16);
    CTestSequence sequence(*wave);
    for (int32_t position : {500, 100, 999, 1000, -1, 300, 0})
        sequence.InsertSlice(CSlice(position, 10));
    EXPECT_EQ(Positions(sequence), (std::vector<int32_t>{0, 100, 300, 500, 999}));

    CSlice muted(300, 2000, CSlice::kMuted, true);
    muted.SetLength(77);
    sequence.InsertSlice(muted);  // merges: only the strength changes
    sequence.InsertSlice(CSlice(300, 50, CSlice::kLocked));
    const CSlice* merged = sequence.FindSliceAt(300);
    EXPECT_EQ(sequence.GetCount(), 5);
    EXPECT_EQ(merged->GetState(), CSlice::kLocked);
    EXPECT_EQ(merged->GetStrength(), 2000);
    EXPECT_EQ(merged->GetLength(), 1);
    EXPECT_FALSE(merged->IsSelected());

    sequence.InsertSlice(CSlice(700, 20, CSlice::kMuted));
    sequence.InsertSlice(CSlice(700, 5, CSlice::kNormal));
    EXPECT_EQ(sequence.FindSliceAt(700)->GetState(), CSlice::kNormal);
    EXPECT_EQ(sequence.FindSliceAt(700)->GetStrength(), 20);
    sequence.InsertSlice(CSlice(500, 30, CSlice::kMuted));
    EXPECT_EQ(sequence.FindSliceAt(500)->GetState(), CSlice::kNormal);
    EXPECT_EQ(sequence.FindSliceAt(500)->GetStrength(), 30);
    sequence.InsertSlice(CSlice(300, 1, CSlice::kNormal));
    EXPECT_EQ(sequence.FindSliceAt(300)->GetState(), CSlice::kLocked);

    sequence.RemoveSliceAt(301);  // between two slices: the later goes
    EXPECT_EQ(Positions(sequence), (std::vector<int32_t>{0, 100, 300, 700, 999}));
    sequence.RemoveSliceAt(1000);
    sequence.RemoveSlice(0);
    EXPECT_EQ(Positions(sequence), (std::vector<int32_t>{100, 300, 700, 999}));
}

TEST(SliceSequence, StandingAndLookups) {
    auto wave = CreateWaveSample(44100, 10000, false, 16);
    CTestSequence sequence(*wave);
    EXPECT_EQ(sequence.FindNearestSlice(5), nullptr);
    sequence.InsertSlice(CSlice(1000, 500));                   // normal, weak
    sequence.InsertSlice(CSlice(2000, 5000));                  // normal, strong
    sequence.InsertSlice(CSlice(3000, 5000, CSlice::kMuted));  // shown only
    sequence.InsertSlice(CSlice(4000, 0, CSlice::kLocked));    // always active
    EXPECT_EQ(sequence.GetThreshold(), 32767);
    EXPECT_EQ(sequence.CountActiveSlices(), 1);
    sequence.SetThreshold(1000);
    const CSlice& weak = *sequence.FindSliceAt(1000);
    const CSlice& muted = *sequence.FindSliceAt(3000);
    EXPECT_FALSE(sequence.IsShown(weak));
    EXPECT_FALSE(sequence.IsActive(weak));
    EXPECT_TRUE(sequence.IsShown(muted));
    EXPECT_FALSE(sequence.IsActive(muted));
    EXPECT_TRUE(sequence.IsActive(*sequence.FindSliceAt(2000)));
    EXPECT_EQ(sequence.CountActiveSlices(), 2);

    EXPECT_EQ(sequence.FindNearestSlice(1500)->GetPosition(), 1000);  // tie: earlier
    EXPECT_EQ(sequence.FindNearestSlice(1501)->GetPosition(), 2000);
    EXPECT_EQ(sequence.FindNearestActiveSlice(900)->GetPosition(), 2000);
    EXPECT_EQ(sequence.FindNearestActiveSlice(3000)->GetPosition(), 2000);
    EXPECT_EQ(sequence.FindNearestActiveSlice(3001)->GetPosition(), 4000);

    // Locators snap to 0 before half the first active slice, to the end
    // beyond half way from the last one, else to the nearest.
    EXPECT_EQ(sequence.SnapToActiveSlice(999, 10000), 0);
    EXPECT_EQ(sequence.SnapToActiveSlice(1000, 10000), 2000);
    EXPECT_EQ(sequence.SnapToActiveSlice(3400, 10000), 4000);
    EXPECT_EQ(sequence.SnapToActiveSlice(7000, 10000), 4000);
    EXPECT_EQ(sequence.SnapToActiveSlice(7001, 10000), 10000);
    sequence.SetThreshold(32767);
    sequence.RemoveSliceAt(4000);
    EXPECT_EQ(sequence.FindNearestActiveSlice(10), nullptr);
    EXPECT_EQ(sequence.SnapToActiveSlice(123, 10000), 123);
}

TEST(SliceSequence, LeadingOffsetAndStartSlice) {
    auto wave = CreateWaveSample(44100, 10000, false, 16);
    CSliceSequence sequence(*wave);
    int32_t offset = -1;
    for (auto [position, expected] : std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1, 1}, {3999, 3999}, {4000, 0}}) {
        CSliceSequence one(*wave);
        one.InsertSlice(CSlice(position, 1));
        EXPECT_EQ(one.GetLeadingOffset(offset), expected != 0);
        EXPECT_EQ(offset, expected);
    }
    sequence.EnsureStartSlice(false);
    ASSERT_EQ(sequence.GetCount(), 1);
    const CSlice& start = sequence.GetSlice(0);
    EXPECT_EQ(start.GetPosition(), 0);
    EXPECT_EQ(start.GetStrength(), 16384);
    EXPECT_EQ(start.GetState(), CSlice::kNormal);
    EXPECT_EQ(start.GetLength(), 1);
    sequence.InsertSlice(CSlice(50, 7));
    sequence.EnsureStartSlice(true);
    EXPECT_EQ(Positions(sequence), std::vector<int32_t>{50});
    sequence.EnsureStartSlice(true);
    EXPECT_EQ(sequence.GetSlice(0).GetStrength(), 16384);

    auto empty = CreateWaveSample(44100, 0, false, 16);
    CSliceSequence none(*empty);
    none.EnsureStartSlice(false);
    EXPECT_EQ(none.GetCount(), 1);
}

TEST(SliceSequence, SegmentsCutAtSlicesAndLocators) {
    auto wave = CreateWaveSample(44100, 8000, false, 16);
    wave->SetLoop(2, 1000, 5000);
    CSliceSequence sequence(*wave);
    sequence.InsertSlice(CSlice(2000, 100));  // not active: ignored
    auto list = CSliceSequence::BuildSegments(*wave, sequence, false, false);
    EXPECT_EQ(Spans(*list), (TSpans{{0, 1000}, {1000, 5000}, {5000, 8000}}));
    for (const CSegment& segment : *list) {
        EXPECT_EQ(segment.fStretchLow, segment.fStart);
        EXPECT_EQ(segment.fStretchHigh, segment.fEnd);
        EXPECT_EQ(segment.fRatio, 1.0f);
    }

    sequence.InsertSlice(Locked(3000));
    sequence.InsertSlice(Locked(6000));
    list = CSliceSequence::BuildSegments(*wave, sequence, false, false);
    EXPECT_EQ(Spans(*list), (TSpans{{0, 1000}, {1000, 3000}, {3000, 5000}, {5000, 6000}, {6000, 8000}}));
    EXPECT_EQ(list->GetAt(2)->fStart, 3000);
    EXPECT_EQ(list->IndexOf(5500), 3);
    EXPECT_EQ(list->IndexOf(8000), -1);
    auto copy = CSliceSequence::CopySegments(*list);
    EXPECT_TRUE(std::equal(copy->begin(), copy->end(), list->begin(), list->end()));
}

// In tempo mode a slice sounds for its own length; a selected slice falls
// silent with "silence selected"; a loop start after the slice's sound ends
// it, and a loop end cuts it.
TEST(SliceSequence, TempoModeSegments) {
    auto wave = CreateWaveSample(44100, 8000, false, 16);
    wave->SetLoop(2, 2000, 7000);
    CSliceSequence sequence(*wave);
    CSlice selected = Locked(3000, 2500);
    selected.SetSelected(true);
    for (const CSlice& slice : {Locked(1000, 500), selected, Locked(6000, 1000)})
        sequence.InsertSlice(slice);
    auto silent = CSliceSequence::BuildSegments(*wave, sequence, true, true);
    EXPECT_EQ(Spans(*silent), (TSpans{{0, 1000}, {1000, 1500}, {6000, 7000}}));
    auto all = CSliceSequence::BuildSegments(*wave, sequence, true, false);
    EXPECT_EQ(Spans(*all), (TSpans{{0, 1000}, {1000, 2000}, {2000, 3000}, {3000, 6000}, {6000, 7000}, {7000, 8000}}));
    auto sounding = CSliceSequence::BuildSegments(*wave, sequence, false, true);
    EXPECT_EQ(Spans(*sounding), (TSpans{{0, 1000}, {1000, 1500}, {3000, 5500}, {6000, 7000}}));
    // Silence has no peaks: the highest frame of each window, ratio 1.
    const CSegment& swung = *sounding->GetAt(2);
    EXPECT_EQ(swung.fStretchHigh, 5100);
    EXPECT_EQ(swung.fStretchLow, 4050);
    EXPECT_EQ(swung.fRatio, 1.0f);
    EXPECT_EQ(sounding->GetAt(3)->fStretchHigh, 7000);  // shorter than 1200 frames
}

TEST(SliceSequence, StretchPointsFollowThePeaks) {
    auto wave = CreateWaveSample(44100, 100000, false, 16);
    const std::vector<std::pair<int32_t, int16_t>> peaks = {
        {7601, 32000}, {7500, 16384}, {7300, -16384},  // end window: 7600 down to 7201
        {3700, 4096}, {3400, -8192}, {3300, 32000},    // from (7500 - 0) / 2 = 3750 down
        {99500, 16384}, {79200, -16384}, {79000, 30000}};
    for (auto [frame, value] : peaks)
        wave->SetInt16(frame, value, 1);
    CSliceSequence sequence(*wave);
    sequence.InsertSlice(Locked(8000, 92000));
    auto list = CSliceSequence::BuildSegments(*wave, sequence, false, true);
    ASSERT_EQ(Spans(*list), (TSpans{{0, 8000}, {8000, 100000}}));
    const CSegment& first = *list->GetAt(0);
    EXPECT_EQ(first.fStretchHigh, 7500);
    EXPECT_EQ(first.fStretchLow, 3400);
    EXPECT_EQ(first.fRatio, 2.0f);
    // The swing reaches back at most 20000 frames at 44.1 kHz.
    const CSegment& second = *list->GetAt(1);
    EXPECT_EQ(second.fStretchHigh, 99500);
    EXPECT_EQ(second.fStretchLow, 79200);
    EXPECT_EQ(second.fRatio, 1.0f);
}
