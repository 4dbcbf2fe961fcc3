// The status bar's figures: plural and unit words at their boundaries, the
// minutes form and the export size of 16- and 24-bit sounds.
#include <gtest/gtest.h>

#include "app/FigureTexts.h"

using namespace NSZubrik;

TEST(FigureTexts, FormatFieldNamesChannelsRateAndKnownDepth)
{
    EXPECT_EQ(FormatSoundFormat(true, 44100, 16), "Stereo, 44.1 kHz, 16 bits");
    EXPECT_EQ(FormatSoundFormat(false, 48000, 24), "Mono, 48 kHz, 24 bits");
    EXPECT_EQ(FormatSoundFormat(false, 11025, 0), "Mono, 11.025 kHz");
    EXPECT_EQ(FormatSampleRate(22050), "22.05 kHz");
}

TEST(FigureTexts, SliceFieldCountsDurationAndSize)
{
    EXPECT_EQ(FormatSliceInfo(0, 0, 44100, 16), "0 Slices, 0.00 s / 0 bytes");
    // One slice of one second, mono: 44100 values of two bytes.
    EXPECT_EQ(FormatSliceInfo(1, 44100, 44100, 16), "1 Slice, 1.00 s / 86 kB");
    // A second of stereo is 88200 values, counted as they are; 24-bit values
    // take four bytes.
    EXPECT_EQ(FormatSliceInfo(2, 88200, 44100, 24), "2 Slices, 2.00 s / 344 kB");
    // 108.12 s of values.
    EXPECT_EQ(FormatSliceInfo(16, 4768092, 44100, 16), "16 Slices, 1 m, 48.12 s / 9.09 MB");
}

TEST(FigureTexts, DurationAndSizeUnitsAtTheirBoundaries)
{
    EXPECT_EQ(FormatDuration(59.994), "59.99 s");
    EXPECT_EQ(FormatDuration(59.999), "1 m, 0.00 s");
    EXPECT_EQ(FormatDuration(125.5), "2 m, 5.50 s");
    EXPECT_EQ(FormatByteSize(1), "1 byte");
    EXPECT_EQ(FormatByteSize(2), "2 bytes");
    EXPECT_EQ(FormatByteSize(1023), "1023 bytes");
    EXPECT_EQ(FormatByteSize(1024), "1 kB");
    EXPECT_EQ(FormatByteSize(1024 * 1024 - 1), "1023 kB");
    EXPECT_EQ(FormatByteSize(1024 * 1024), "1.00 MB");
    EXPECT_EQ(FormatByteSize(int64_t(1024) * 1024 * 1024 * 3 / 2), "1.50 GB");
}
