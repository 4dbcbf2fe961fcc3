#include "engine/Sequencer.h"

#include "AllocationCounter.h"
#include "SequencerFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

using namespace NSZubrik;
using NSEngineTest::CLoop;
using NSEngineTest::kBlock;

// Counts this thread's allocations while tCountAllocations is set.
namespace NSEngineTest {
thread_local bool tCountAllocations = false;
std::atomic<int> gAllocations{0};
} // namespace NSEngineTest
using NSEngineTest::gAllocations;
using NSEngineTest::tCountAllocations;

// The replacements pair malloc with free, which GCC cannot see through.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size)
{
    if (tCountAllocations)
        ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(Sequencer, DoubledTempoStartsNextSegmentOnTheGridWithoutDrift)
{
    CLoop loop({0, 4410}, 88200, 0, 88200);
    CZubrikSequencer& s = *loop.fSequencer;
    s.SetPreviewTempo(2 * s.GetOriginalTempo());
    s.StartLoop();
    std::vector<int64_t> events = loop.EventFrames(50 * 44096 / kBlock + 10);
    // 2205 frames round to 2176; each pass of 44100 rounds to 44096.
    ASSERT_GE(events.size(), 100u);
    for (size_t i = 0; i < 100; ++i)
        EXPECT_EQ(events[i], int64_t(i / 2) * 44096 + (i % 2) * 2176) << i;
}

TEST(Sequencer, LoopWrapsToItsFirstSegmentAndRestartsTheTimeOrigin)
{
    CLoop loop({0, 10000, 20000, 30000, 40000}, 50000, 10000, 40000);
    CZubrikSequencer& s = *loop.fSequencer;
    EXPECT_EQ(s.GetCursor(), 10000);
    s.StartLoop();
    std::vector<int64_t> events = loop.EventFrames(3 * 30016 / kBlock + 5);
    EXPECT_EQ(events, (std::vector<int64_t>{0, 9984, 20032, 30016, 40000, 50048, 60032,
                                            70016, 80064, 90048}));

    // Started before the loop: frame 0 is the origin until the loop starts.
    CLoop before({0, 10000, 20000, 30000, 40000}, 50000, 10000, 40000);
    before.fSequencer->SetCursor(0);
    before.fSequencer->StartLoop();
    EXPECT_EQ(before.EventFrames(40000 / kBlock),
              (std::vector<int64_t>{0, 9984, 19968, 30016}));
}

TEST(Sequencer, CarryBufferServesRequestsOfAnySize)
{
    CLoop a({0, 3000, 9000}, 20000, 0, 20000, true);
    CLoop b({0, 3000, 9000}, 20000, 0, 20000, true);
    a.fSequencer->StartLoop();
    b.fSequencer->StartLoop();
    const int total = 64 * 40;
    std::vector<float> al(total), ar(total), bl(total), br(total);
    int sizes[] = {100, 28, 1, 63, 300, 64, 7};
    int done = 0;
    for (int i = 0; done < total; ++i) {
        int n = std::min(sizes[i % 7], total - done);
        float* const out[2] = {&al[done], &ar[done]};
        a.fSequencer->Render(out, n);
        done += n;
    }
    for (int i = 0; i < total; i += kBlock) {
        float* const out[2] = {&bl[i], &br[i]};
        b.fSequencer->Render(out, kBlock);
    }
    EXPECT_EQ(al, bl);
    EXPECT_EQ(ar, br);
    EXPECT_NE(al, ar);
}

TEST(Sequencer, PlainModeIgnoresPitchAndEffectsAndMonoGivesEqualChannels)
{
    std::vector<float> outputs[2];
    for (int k = 0; k < 2; ++k) {
        CLoop loop({0, 5000}, 20000, 0, 20000);
        CZubrikSequencer& s = *loop.fSequencer;
        s.SetBars(0); // preview on, but no loop length: plain mode
        s.RebuildSegments();
        if (k == 1) {
            s.SetPitch(700);
            s.SetGain(300);
            s.SetEqualizerOn(true);
            s.SetEqualizerHighCut(500);
        }
        s.StartLoop();
        std::vector<float> left(8192), right(8192);
        float* const out[2] = {left.data(), right.data()};
        s.Render(out, 8192);
        EXPECT_EQ(left, right);
        outputs[k] = left;
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(Sequencer, CursorAndStopFollowTheLoop)
{
    // Plain segments 0, 1000 (loop start), 3000, 6000 (loop end), 8000.
    CLoop loop({0, 3000, 8000}, 10000, 1000, 6000);
    CZubrikSequencer& s = *loop.fSequencer;
    s.SetBars(0);
    s.RebuildSegments();
    ASSERT_EQ(s.GetSegmentCount(), 5);
    std::vector<int32_t> cursors;
    for (auto move : {&CZubrikSequencer::CursorToNext, &CZubrikSequencer::CursorToLoopEnd,
                      &CZubrikSequencer::CursorToNext, &CZubrikSequencer::CursorToNext,
                      &CZubrikSequencer::CursorToPrevious, &CZubrikSequencer::CursorToLoopStart}) {
        (s.*move)();
        cursors.push_back(s.GetShownPosition());
    }
    EXPECT_EQ(cursors, (std::vector<int32_t>{3000, 6000, 8000, 0, 8000, 1000}));

    s.SetCursor(4000);
    s.Stop();
    EXPECT_EQ(s.GetCursor(), 1000);
    s.Stop();
    EXPECT_EQ(s.GetCursor(), 0);

    // Previous from the loop's first segment wraps to the loop's last.
    s.SetCursor(1000);
    s.PlayPreviousSegment();
    EXPECT_EQ(s.GetCursor(), 3000);
    // Current-and-advance wraps from the loop's last back to its first.
    s.PlayCurrentAndAdvance();
    EXPECT_EQ(s.GetCursor(), 1000);
    EXPECT_TRUE(s.IsPlaying());
}

TEST(Sequencer, RenderingNeverAllocates)
{
    CLoop loop({0, 3000, 9000, 15000}, 20000, 0, 20000, true);
    CZubrikSequencer& s = *loop.fSequencer;
    s.SetShaperOn(true);
    s.SetEqualizerOn(true);
    s.SetEqualizerLowGain(6000);
    s.StartLoop();
    std::vector<float> left(1000), right(1000);
    float* const out[2] = {left.data(), right.data()};
    gAllocations = 0;
    for (int i = 0; i < 400; ++i) {
        if (i == 100)
            s.SetPreviewTempo(200000);
        tCountAllocations = true;
        s.Render(out, 1 + (i * 37) % 1000);
        tCountAllocations = false;
    }
    EXPECT_EQ(gAllocations.load(), 0);
}

TEST(Sequencer, SurvivesChangesFromAnotherThreadWhileRendering)
{
    CLoop loop({0, 2000, 5000, 9000, 14000}, 20000, 0, 20000, true);
    CZubrikSequencer& s = *loop.fSequencer;
    std::atomic<bool> running{true};
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* const out[2] = {left.data(), right.data()};
        for (int i = 0; running; ++i)
            s.Render(out, 1 + (i * 131) % 512);
    });
    for (int i = 0; i < 300; ++i) {
        switch (i % 6) {
        case 0: s.StartLoop(); break;
        case 1: s.SetPreviewTempo(60000 + (i * 7919) % 300000); break;
        case 2: s.SetBars(i % 12 == 2 ? 0 : 2); s.RebuildSegments(); break;
        case 3: s.SetEqualizerOn(i % 4 == 3); s.SetEnvelopeDecay(int16_t(i % 1024)); break;
        case 4: s.PlaySegmentAt((i * 997) % 20000); break;
        default: s.Stop(); s.SetLocators(i % 3000, 20000 - i % 5000); s.RebuildSegments(); break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    s.StartLoop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    s.StopAndWait();
    EXPECT_FALSE(s.IsPlaying());
    running = false;
    audio.join();
}
