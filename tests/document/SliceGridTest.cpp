#include "document/SliceGrid.h"

#include <gtest/gtest.h>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"

using namespace NSZubrik;

namespace {

TEST(SliceGridTest, SixteenthsInFourFourEighthsInSixEight)
{
    auto sample = CreateWaveSample(44100, 100000, false, 16);
    CSliceSequence sequence(*sample);
    EXPECT_EQ(CountGridPoints({4, 4, 1, 0, 1000, 89200}), 16);
    EXPECT_EQ(AddSlicesAtGrid(sequence, {4, 4, 1, 0, 1000, 89200}), 16);
    for (int32_t k = 0; k < 16; ++k)  // none at the right locator
        EXPECT_EQ(sequence.GetSlice(k).GetPosition(), 1000 + static_cast<int32_t>(k * 5512.5));
    EXPECT_TRUE(sequence.GetSlice(15).IsLocked() && sequence.GetSlice(15).GetStrength() == 16384);
    EXPECT_EQ(sequence.GetSlice(0).GetLength(), 5512);  // locked slices sound
    EXPECT_EQ(AddSlicesAtGrid(sequence, {4, 4, 1, 0, 1000, 89200}), 0);

    CSliceSequence sixEight(*sample);
    EXPECT_EQ(AddSlicesAtGrid(sixEight, {6, 8, 1, 0, 0, 84000}), 12);
    EXPECT_EQ(sixEight.GetSlice(11).GetPosition(), 77000);
    EXPECT_EQ(CountGridPoints({4, 4, 62, 2, 0, 1}), kGridQuestionLimit);  // not yet asked
    EXPECT_GT(CountGridPoints({4, 4, 62, 3, 0, 1}), kGridQuestionLimit);
    EXPECT_EQ(CountGridPoints({7, 8, 2, 1, 0, 1}), 30);
}

TEST(SliceGridTest, ExistingSlicesBecomeLockedKeepingStrengthAndSelection)
{
    auto sample = CreateWaveSample(44100, 100000, false, 16);
    CSliceSequence sequence(*sample);
    sequence.InsertSlice(CSlice(5512, 700, CSlice::kMuted, true));
    sequence.InsertSlice(CSlice(11025, 900, CSlice::kLocked));
    sequence.InsertSlice(CSlice(20000, 800));
    EXPECT_EQ(AddSlicesAtGrid(sequence, {4, 4, 1, 0, 0, 88200}), 14);
    const CSlice* turned = sequence.FindSliceAt(5512);
    EXPECT_TRUE(turned->IsLocked() && turned->IsSelected() && turned->GetStrength() == 700);
    EXPECT_EQ(sequence.FindSliceAt(11025)->GetStrength(), 900);
    EXPECT_TRUE(sequence.FindSliceAt(20000)->IsNormal());
}

} // namespace
