#include <gtest/gtest.h>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "engine/Sequencer.h"
#include "DocumentTestSupport.h"

using namespace NSZubrik;

namespace {

// Two seconds at 44100 Hz with locked slices every quarter second, so that
// one bar of 4/4 is 120 BPM and a beat is 22050 frames.
struct CLoop {
    std::unique_ptr<CABCWaveSample> wave = NSDocumentTest::DrumLoop(88200, 8, true);
    std::unique_ptr<CSliceSequence> slices;
    std::unique_ptr<CZubrikSequencer> sequencer;

    explicit CLoop(int32_t left = 0, int32_t right = 88200)
    {
        wave->SetLoop(CABCWaveSample::kLoopModeSet, left, right);
        slices = std::make_unique<CSliceSequence>(*wave);
        for (int32_t i = 0; i < 8; ++i)
            slices->InsertSlice(CSlice(i * 11025, 16384, CSlice::kLocked));
        slices->UpdateLengths();
        sequencer = std::make_unique<CZubrikSequencer>(*wave, slices.get());
        sequencer->SetBars(1);
        sequencer->SetPreviewOn(true);
        sequencer->SetPreviewTempo(120000);
        sequencer->RebuildSegments();
    }
};

} // namespace

TEST(Exporter, SlicesInsideTheLoopAndTheirTicks)
{
    CLoop loop(11025, 66150); // slices 1 ... 5 lie inside; 6 beats of 4/4
    loop.sequencer->SetBeats(2);
    loop.sequencer->RebuildSegments();
    CExporter slices(u"Beat", *loop.sequencer, true, false);
    ASSERT_EQ(slices.GetSliceCount(), 5);
    EXPECT_EQ(slices.GetLengthInTicks(), 15360 * 6);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(slices.GetExportedSegment(i).fStart, (i + 1) * 11025);
        const CExporter::SPiecePosition p = slices.GetSlicePosition(i);
        EXPECT_EQ(p.fStartTick, i * 15360 * 6 / 5);
        EXPECT_LE(p.fEndTick, 15360 * 6);
        EXPECT_GT(p.fLength, 0);
    }
    EXPECT_EQ(CExporter(u"Beat", *loop.sequencer, false, false).GetSliceCount(), 1);

    // Other signatures: 6/8 with one bar and 7 beats is 13 eighths.
    loop.sequencer->SetSignature(6, 8);
    loop.sequencer->SetBeats(7);
    CExporter eighths(u"Beat", *loop.sequencer, true, false);
    EXPECT_EQ(eighths.GetLengthInTicks(), 15360 * 13 * 4 / 8);
}

TEST(Exporter, OneSampleRingsOutUnlessTold)
{
    CLoop loop;
    CExporter plain(u"Beat", *loop.sequencer, false, true);
    EXPECT_EQ(plain.GetSlicePosition(0).fLength, 88200);
    plain.SetTail(1000);
    EXPECT_EQ(plain.GetSlicePosition(0).fLength, 89200);

    CExporter ringing(u"Beat", *loop.sequencer, false, false);
    // The last slice starts at 77175, rounded to the 64-frame grid, and
    // sounds for its rendered length.
    const int32_t lastStart = (77175 + 32) / 64 * 64;
    const int32_t expected = std::max(88200, lastStart + loop.sequencer->RenderedLength(
                                                             ringing.GetExportedSegment(7)));
    EXPECT_EQ(ringing.GetSlicePosition(0).fLength, expected);

    // At half the rate the loop proper is half as long.
    plain.SetTail(0);
    plain.SetSampleRate(22050);
    EXPECT_EQ(plain.GetSlicePosition(0).fLength, 44100);
    std::unique_ptr<CABCWaveSample> wave = plain.RenderPiece(0);
    EXPECT_EQ(wave->GetFrameCount(), 44100);
}
