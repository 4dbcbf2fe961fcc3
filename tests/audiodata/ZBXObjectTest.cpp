// The open dialog's audition object: loads a loop file and plays it in tempo.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZBXObject.h"
#include "audiodata/ZubrikFile.h"
#include "tambor/Media.h"

using namespace NSZubrik;

TEST(ZBXObject, LoadsTheLoopAndPlaysIt) {
    const int32_t frames = 44100;
    auto wave = CreateWaveSample(44100, frames, true, 16);
    const auto noise = NSTestSupport::Noise(frames, 20000, 9);
    wave->SetInt24s(0, frames, noise.data(), 1);
    wave->SetInt24s(0, frames, noise.data(), 2);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, frames);
    CSliceSequence slices(*wave);
    for (int32_t position : {0, 11025, 22050})
        slices.InsertSlice(CSlice(position, 100, CSlice::kLocked));
    CZubrikFileSource source;
    source.fWaveSample = wave.get();
    source.fSlices = &slices;
    source.fParameters.fBars = 1;
    source.fViewAttributes.fExportAsOneSample = false;
    NSTambor::CMemoryMedia media(64);
    WriteZubrikFile(source, media, nullptr, false);
    const std::vector<uint8_t> bytes(media.GetBuffer(), media.GetBuffer() + media.GetSize());

    CZubrikFile file([bytes] {
        return std::unique_ptr<NSTambor::CMedia>(
            new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(bytes.size()), bytes.data()));
    });
    CZBXObject loop(file, file.ReadSample(nullptr));
    EXPECT_TRUE(loop.IsLoaded());
    EXPECT_EQ(loop.GetExportCount(), 3);
    EXPECT_EQ(loop.GetFileInfo().fSliceCount, 3);
    ASSERT_TRUE(loop.GetCreatorInfo().has_value());

    std::vector<float> left(1000, 1.0f);
    loop.Start();
    EXPECT_TRUE(loop.IsPlaying());
    double energy = 0.0;
    for (int pass = 0; pass < 20; ++pass) {
        loop.Render(left.data(), nullptr, 1000); // mono mix into one buffer
        for (float v : left) {
            ASSERT_TRUE(std::isfinite(v));
            energy += double(v) * v;
        }
    }
    EXPECT_GT(energy, 0.0);
    // Stopping waits for the render side, as on the audio device.
    std::atomic<bool> stopped{false};
    std::thread device([&] {
        std::vector<float> l(64), r(64);
        while (!stopped) loop.Render(l.data(), r.data(), 64);
    });
    loop.Stop();
    stopped = true;
    device.join();
    EXPECT_FALSE(loop.IsPlaying());
}
