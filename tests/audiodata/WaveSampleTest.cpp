#include "audiodata/WaveSample.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/TestSupport.h"

using namespace NSZubrik;

namespace {

// A sample of the given depth filled with noise on the 24-bit scale.
std::unique_ptr<CABCWaveSample> NoiseSample(int32_t depth, int32_t frames, bool stereo, uint32_t seed = 7) {
    auto sample = CreateWaveSample(44100, frames, stereo, depth);
    for (int32_t channel = 1; channel <= (stereo ? 2 : 1); ++channel)
        sample->SetInt24s(0, frames, NSTestSupport::Noise(size_t(frames), 8388607, seed + channel).data(), channel);
    return sample;
}

class WaveSampleBothDepths : public testing::TestWithParam<int32_t> {};
INSTANTIATE_TEST_SUITE_P(Storage, WaveSampleBothDepths, testing::Values(16, 24));

} // namespace

TEST(WaveSample, FactoryAndInitialState) {
    EXPECT_NE(dynamic_cast<C16BitWaveSample*>(CreateWaveSample(44100, 10, false, 8).get()), nullptr);
    EXPECT_NE(dynamic_cast<C16BitWaveSample*>(CreateWaveSample(44100, 10, false, 16).get()), nullptr);
    EXPECT_NE(dynamic_cast<C24BitWaveSample*>(CreateWaveSample(44100, 10, false, 24).get()), nullptr);
    auto sample = CreateWaveSample(48000, 1000, true, 32);
    EXPECT_EQ(sample->GetBitDepth(), 24);
    EXPECT_FALSE(sample->AreLocatorsSet());
    sample->SetLoop(2, 10, 900);
    EXPECT_TRUE(sample->AreLocatorsSet());
}

TEST(WaveSample, FloatWritesRoundHalfAwayAndClamp) {
    auto s16 = CreateWaveSample(44100, 8, false, 16);
    const std::vector<std::pair<double, int32_t>> cases16 = {
        {1.0, 32767}, {-1.0, -32767}, {-1.1, -32768}, {1.5, 32767}, {0.5, 16384}, {-0.5, -16384}, {0.0, 0}};
    for (auto [value, expected] : cases16) {
        s16->SetFloat(0, value, 1);
        EXPECT_EQ(s16->GetInt16(0, 1), expected) << value;
    }
    auto s24 = CreateWaveSample(44100, 8, false, 24);
    const std::vector<std::pair<double, int32_t>> cases24 = {
        {1.0, 8388607}, {-1.0, -8388607}, {-1.1, -8388608}, {3.0, 8388607}, {-0.5, -4194304}};
    for (auto [value, expected] : cases24) {
        s24->SetFloat(0, value, 1);
        EXPECT_EQ(s24->GetInt24(0, 1), expected) << value;
    }
    s16->SetInt16(1, -32768, 1);
    EXPECT_EQ(s16->GetFloat(1, 1), -1.0);
    s24->SetInt24(1, 4194304, 1);
    EXPECT_EQ(s24->GetFloat(1, 1), 0.5);
}

TEST(WaveSample, ShiftsBetweenTheIntegerScales) {
    auto s24 = CreateWaveSample(44100, 4, false, 24);
    s24->SetInt24(0, -1, 1);
    EXPECT_EQ(s24->GetInt16(0, 1), -1);
    s24->SetInt16(0, -2, 1);
    EXPECT_EQ(s24->GetInt24(0, 1), -512);
    s24->SetFloat24(1, -300.7, 1);
    EXPECT_EQ(s24->GetInt24(1, 1), -300);
    EXPECT_EQ(s24->GetFloat24(1, 1), -300.0);

    auto s16 = CreateWaveSample(44100, 4, false, 16);
    s16->SetInt24(0, -1, 1);
    EXPECT_EQ(s16->GetInt16(0, 1), -1);
    s16->SetInt24(0, 255, 1);
    EXPECT_EQ(s16->GetInt16(0, 1), 0);
    s16->SetFloat24(1, -300.7, 1);
    EXPECT_EQ(s16->GetInt16(1, 1), -2);
    s16->SetInt16(2, -3, 1);
    EXPECT_EQ(s16->GetInt24(2, 1), -768);
    EXPECT_EQ(s16->GetFloat24(2, 1), -768.0);
    EXPECT_EQ(s16->GetFloat(2, 1), -3.0 / 32768.0);
}

// Every block view must give what the single-frame views give, frame by
// frame, on both channels; the interleaved views pair the two channels.
TEST_P(WaveSampleBothDepths, BlockViewsMatchFrameViews) {
    const int32_t n = 300, start = 17, count = 250;
    auto sample = NoiseSample(GetParam(), n, true);
    std::vector<float> floats(count), float24(count), float24Stereo(2 * count);
    std::vector<int16_t> int16(count), int16Stereo(2 * count);
    std::vector<int32_t> int24(count), int24Stereo(2 * count);
    sample->GetInt16Stereo(start, count, int16Stereo.data());
    sample->GetInt24Stereo(start, count, int24Stereo.data());
    sample->GetFloat24Stereo(start, count, float24Stereo.data());
    for (int32_t channel = 1; channel <= 2; ++channel) {
        sample->GetFloats(start, count, floats.data(), channel);
        sample->GetInt16s(start, count, int16.data(), channel);
        sample->GetInt24s(start, count, int24.data(), channel);
        sample->GetFloat24s(start, count, float24.data(), channel);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t frame = start + i, pair = 2 * i + channel - 1;
            ASSERT_EQ(floats[i], sample->GetFloat(frame, channel));
            ASSERT_EQ(int16[i], sample->GetInt16(frame, channel));
            ASSERT_EQ(int24[i], sample->GetInt24(frame, channel));
            ASSERT_EQ(float24[i], sample->GetFloat24(frame, channel));
            ASSERT_EQ(int16Stereo[pair], int16[i]);
            ASSERT_EQ(int24Stereo[pair], int24[i]);
            ASSERT_EQ(float24Stereo[pair], float24[i]);
        }
    }
}

TEST_P(WaveSampleBothDepths, BlockWritesMatchFrameWrites) {
    const int32_t n = 200;
    auto blocks = CreateWaveSample(44100, n, true, GetParam());
    auto frames = CreateWaveSample(44100, n, true, GetParam());
    auto noise = NSTestSupport::Noise(size_t(2 * n), 9000000, 3);  // a little beyond full scale
    std::vector<float> f(2 * n), f24(2 * n);
    std::vector<int16_t> i16(2 * n);
    std::vector<int32_t> i24(2 * n);
    for (int32_t k = 0; k < 2 * n; ++k) {
        f[k] = float(noise[k]) / 8388608.0f;
        f24[k] = float(noise[k]) * 0.9f;
        i16[k] = int16_t(noise[k] >> 9);
        i24[k] = noise[k] / 2;
    }
    auto expectSame = [&](const char* view) {
        for (int32_t channel = 1; channel <= 2; ++channel)
            for (int32_t i = 0; i < n; ++i)
                ASSERT_EQ(blocks->GetInt24(i, channel), frames->GetInt24(i, channel)) << view << " " << i;
    };
    // Single-channel views take values [0, n) on channel 1, [n, 2n) on 2;
    // interleaved views take all 2n values as pairs.
    auto perChannel = [&](const char* view, auto blockWrite, auto frameWrite) {
        for (int32_t channel = 1; channel <= 2; ++channel) {
            blockWrite(channel, (channel - 1) * n);
            for (int32_t i = 0; i < n; ++i)
                frameWrite(i, channel, (channel - 1) * n + i);
        }
        expectSame(view);
    };
    auto stereo = [&](const char* view, auto blockWrite, auto frameWrite) {
        blockWrite();
        for (int32_t k = 0; k < 2 * n; ++k)
            frameWrite(k / 2, 1 + k % 2, k);
        expectSame(view);
    };
    perChannel("float", [&](int32_t c, int32_t o) { blocks->SetFloats(0, n, &f[o], c); },
               [&](int32_t i, int32_t c, int32_t k) { frames->SetFloat(i, f[k], c); });
    perChannel("int16", [&](int32_t c, int32_t o) { blocks->SetInt16s(0, n, &i16[o], c); },
               [&](int32_t i, int32_t c, int32_t k) { frames->SetInt16(i, i16[k], c); });
    perChannel("int24", [&](int32_t c, int32_t o) { blocks->SetInt24s(0, n, &i24[o], c); },
               [&](int32_t i, int32_t c, int32_t k) { frames->SetInt24(i, i24[k], c); });
    perChannel("float24", [&](int32_t c, int32_t o) { blocks->SetFloat24s(0, n, &f24[o], c); },
               [&](int32_t i, int32_t c, int32_t k) { frames->SetFloat24(i, f24[k], c); });
    stereo("int16 stereo", [&] { blocks->SetInt16Stereo(0, n, i16.data()); },
           [&](int32_t i, int32_t c, int32_t k) { frames->SetInt16(i, i16[k], c); });
    stereo("int24 stereo", [&] { blocks->SetInt24Stereo(0, n, i24.data()); },
           [&](int32_t i, int32_t c, int32_t k) { frames->SetInt24(i, i24[k], c); });
    stereo("float24 stereo", [&] { blocks->SetFloat24Stereo(0, n, f24.data()); },
           [&](int32_t i, int32_t c, int32_t k) { frames->SetFloat24(i, f24[k], c); });
    blocks->SetInt16s(0, 0, nullptr, 1);
    blocks->SetFloats(5, -3, nullptr, 1);
    blocks->ClearRange(0, 0, 1);
    expectSame("empty ranges");
}

TEST_P(WaveSampleBothDepths, ResizeClearAndAddChannel) {
    auto sample = NoiseSample(GetParam(), 100, false);
    const int32_t v50 = sample->GetInt24(50, 1), v99 = sample->GetInt24(99, 1);
    sample->Resize(150);
    EXPECT_EQ(sample->GetFrameCount(), 150);
    EXPECT_EQ(sample->GetInt24(99, 1), v99);
    EXPECT_EQ(sample->GetInt24(100, 1), 0);
    EXPECT_EQ(sample->GetInt24(149, 1), 0);
    sample->ClearRange(40, 20, 1);
    EXPECT_NE(sample->GetInt24(39, 1), 0);
    EXPECT_EQ(sample->GetInt24(50, 1), 0);
    EXPECT_NE(v50, 0);

    auto other = NoiseSample(GetParam(), 200, false, 99);
    sample->AddChannelFrom(*other, 1);
    EXPECT_TRUE(sample->IsStereo());
    EXPECT_EQ(sample->GetInt24(99, 2), v99);
    EXPECT_EQ(sample->GetInt24(149, 1), other->GetInt24(149, 1));
    sample->AddChannelFrom(*other, 2);
    EXPECT_EQ(sample->GetInt24(149, 2), other->GetInt24(149, 1));
    auto wrongClass = NoiseSample(GetParam() == 16 ? 24 : 16, 200, false);
    EXPECT_THROW(sample->AddChannelFrom(*wrongClass, 2), XIllegalCallSequence);
}

// The preview pair of block b is the min/max of the 16-bit view over frames
// [64b, min(64b + 192, frameCount)).
TEST_P(WaveSampleBothDepths, PreviewWindows) {
    for (int32_t n : {0, 63, 64, 200, 4096 * 2 + 1000}) {
        auto sample = NoiseSample(GetParam(), n, true);
        sample->BuildPreview();
        ASSERT_TRUE(sample->IsPreviewValid());
        const CWaveSamplePreview& preview = *sample->GetPreview();
        ASSERT_EQ(preview.GetBlockCount(), n / 64);
        for (int32_t channel = 1; channel <= 2; ++channel)
            for (int32_t b = 0; b < n / 64; ++b) {
                std::vector<int16_t> window(size_t(std::min(192, n - 64 * b)));
                sample->GetInt16s(64 * b, int32_t(window.size()), window.data(), channel);
                auto [low, high] = std::minmax_element(window.begin(), window.end());
                ASSERT_EQ(preview.GetPair(b, channel).fMin, *low) << n << " " << b;
                ASSERT_EQ(preview.GetPair(b, channel).fMax, *high) << n << " " << b;
            }
    }
    auto mono = CreateWaveSample(44100, 64, false, GetParam());
    mono->SetInt16(63, -5, 1);
    mono->BuildPreview();
    EXPECT_FALSE(mono->GetPreview()->IsStereo());
    EXPECT_EQ(mono->GetPreview()->GetPair(0, 1).fMin, -5);
}

TEST_P(WaveSampleBothDepths, SnapToZero) {
    const bool is16 = GetParam() == 16;
    const int32_t loud = is16 ? 1023 : 262143, quiet = loud - 1;
    auto sample = CreateWaveSample(44100, 60000, true, GetParam());
    auto fill = [&](int32_t value) {
        for (int32_t channel = 1; channel <= 2; ++channel)
            for (int32_t i = 0; i < 60000; ++i)
                sample->SetInt24(i, is16 ? value * 256 : value, channel);
    };
    fill(loud);
    // Constant loud sound: the nearer search limit, the forward one on a tie.
    EXPECT_EQ(sample->FindSnapToZero(30000), 55000);
    EXPECT_EQ(sample->FindSnapToZero(40000), 59999);
    EXPECT_EQ(sample->FindSnapToZero(100), 0);
    EXPECT_EQ(sample->FindSnapToZero(59999 - 300), 59999);
    const int32_t scale = is16 ? 256 : 1;
    sample->SetInt24(1000, 0, 1);
    EXPECT_EQ(sample->FindSnapToZero(1000), 1000);
    sample->SetInt24(1010, quiet * scale, 2);  // quiet on the second channel only
    EXPECT_EQ(sample->FindSnapToZero(1006), 1010);
    sample->SetInt24(1003, -loud * scale, 2);  // crossing behind: the later frame
    EXPECT_EQ(sample->FindSnapToZero(1006), 1004);
    sample->SetInt24(1008, -loud * scale, 1);  // crossing ahead wins the round
    EXPECT_EQ(sample->FindSnapToZero(1006), 1008);
    EXPECT_EQ(CreateWaveSample(44100, 0, false, GetParam())->FindSnapToZero(0), 0);
}
