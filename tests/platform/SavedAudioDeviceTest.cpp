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
    EXPECT_FALSE(damaged(4, 2));            // a later version
    EXPECT_FALSE(damaged(5, 0x80));         // a negative rate
    EXPECT_FALSE(damaged(9, 0xFF));         // a name past the end
    EXPECT_FALSE(DecodeSavedAudioDevice(good.data(), good.size() - 1));
    EXPECT_FALSE(DecodeSavedAudioDevice(good.data(), 10));
    const std::vector<uint8_t> slow = EncodeSavedAudioDevice({999, "x"});
    EXPECT_FALSE(DecodeSavedAudioDevice(slow.data(), slow.size()));
}
