#include "platform/SavedAudioDevice.h"

#include <gtest/gtest.h>

using namespace NSSoundPortKit;

// Settings saved by this version read back; damaged, cut or foreign bytes
// (a later version, a rate no device has, a name longer than the bytes) read
// as nothing, so the program falls back to its device search.
TEST(SavedAudioDevice, ReadsItsOwnBytesAndRefusesDamage)
{
    const std::vector<uint8_t> good = EncodeSavedAudioDevice({48000, "JACK Audio Connection Kit: system"});
    const std::optional<SSavedAudioDevice> read = DecodeSavedAudioDevice(good.data(), good.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fSampleRate, 48000);
    EXPECT_EQ(read->fDriverName, "JACK Audio Connection Kit: system");

    auto damaged = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return DecodeSavedAudioDevice(bytes.data(), bytes.size());
    };
    EXPECT_FALSE(damaged(0, 'X'));          // not settings
    EXPECT_FALSE(damaged(4, 3));            // a later version
    EXPECT_FALSE(damaged(5, 0x80));         // a negative rate
    EXPECT_FALSE(damaged(9, 0xFF));         // a name past the end
    EXPECT_FALSE(DecodeSavedAudioDevice(good.data(), good.size() - 1));
    EXPECT_FALSE(DecodeSavedAudioDevice(good.data(), 10));
    const std::vector<uint8_t> slow = EncodeSavedAudioDevice({999, "x"});
    EXPECT_FALSE(DecodeSavedAudioDevice(slow.data(), slow.size()));
}

// Version 1 bytes (no buffer size) still read, with the usual buffer; a
// chosen buffer size travels in version 2, which refuses sizes out of range
// and bytes cut inside the size.
TEST(SavedAudioDevice, BufferSizeTravelsInVersionTwo)
{
    const uint8_t version1[] = {'Z', 'S', 'P', 'K', 1, 0, 0, 0xAC, 0x44, 0, 1, 'x'};
    const std::optional<SSavedAudioDevice> old = DecodeSavedAudioDevice(version1, sizeof version1);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->fSampleRate, 44100);
    EXPECT_EQ(old->fDriverName, "x");
    EXPECT_EQ(old->fBufferFrames, 0);
    EXPECT_EQ(EncodeSavedAudioDevice(*old), std::vector<uint8_t>(std::begin(version1), std::end(version1)));

    const std::vector<uint8_t> good = EncodeSavedAudioDevice({96000, "ALSA: hw", 1024});
    EXPECT_EQ(good[4], 2);
    const std::optional<SSavedAudioDevice> read = DecodeSavedAudioDevice(good.data(), good.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fSampleRate, 96000);
    EXPECT_EQ(read->fDriverName, "ALSA: hw");
    EXPECT_EQ(read->fBufferFrames, 1024);
    EXPECT_FALSE(DecodeSavedAudioDevice(good.data(), good.size() - 1));
    for (int32_t bad : {15, 8193}) {
        const std::vector<uint8_t> bytes = EncodeSavedAudioDevice({96000, "ALSA: hw", bad});
        EXPECT_FALSE(DecodeSavedAudioDevice(bytes.data(), bytes.size())) << bad;
    }
}
