#include "engine/EffectPresets.h"

#include "app/ZubrikErrors.h"
#include "engine/Equalizer.h"

#include <gtest/gtest.h>

using namespace NSZubrik;

TEST(EffectPresets, BuiltInEqualizerPresetsParse)
{
    std::optional<std::vector<CEffectPreset>> presets =
        ParsePresetList(kEqualizerPresetTexts, EqualizerPresetFormat());
    ASSERT_TRUE(presets);
    ASSERT_EQ(presets->size(), 7u);
    const CEffectPreset& lofi = (*presets)[4];
    EXPECT_EQ(lofi.fName, "Serious LoFi");
    // Values come back in the key order LoCut, Low, LowGain, LowQ, ...
    EXPECT_EQ(lofi.fValues, (std::vector<int32_t>{1624, 108, -18000, 7000, 10129, 12600, 4900, 2493}));

    CEqualizerEffect eq;
    ApplyEqualizerPreset((*presets)[6], eq);
    EXPECT_EQ(eq.GetLowGain(), -17000);
    EXPECT_EQ(eq.GetHighQ(), 500);
    EXPECT_EQ(eq.GetLoCut(), 15);

    // Keys in any order, values at their limits, leading zeros and -0.
    CEffectPreset p = ReadEffectPreset("Edge[Stretch:100][Attack:007][Decay:-0]",
                                       EnvelopePresetFormat());
    EXPECT_EQ(p.fValues, (std::vector<int32_t>{7, 0, 100}));
}

TEST(EffectPresets, MalformedEntriesFailWithAReason)
{
    struct Case { const char* text; const char* reason; };
    const Case cases[] = {
        {"NoSettings", "no settings"},
        {"[Attack:1][Decay:2][Stretch:3]", "no name"},
        {"A[Attack:1][Decay:2]", "Stretch is missing"},
        {"A[Attack:1][Decay:2][Stretch:3][Pitch:0]", "unknown Envelope setting \"Pitch\""},
        {"A[Attack:1][Decay:2][Stretch:3", "closing"},
        {"A[Attack:1024][Decay:2][Stretch:3]", "out of range 0...1023"},
        {"A[Attack:99999999999999999999][Decay:2][Stretch:3]", "out of range"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseEffectPreset(c.text, EnvelopePresetFormat(), &error)) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << " -> " << error;
    }
    EXPECT_THROW(ReadEffectPreset("broken", EqualizerPresetFormat()), XBadFormat);
    // A range belongs to its effect: Threshold 128 is too high for the shaper.
    EXPECT_FALSE(ParseEffectPreset("T[Threshold:128][Ratio:0][Attack:1023][Release:0]",
                                   TransientShaperPresetFormat()));
}

TEST(EffectPresets, ListStopsAtFirstEmptyEntry)
{
    const std::string_view good = "P[Attack:1][Decay:2][Stretch:3]";
    std::vector<std::string_view> entries = {good, good, "", "garbage"};
    std::optional<std::vector<CEffectPreset>> list =
        ParsePresetList(entries, EnvelopePresetFormat());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->size(), 2u);

    entries = {good, "P[Attack:1]"};
    std::string error;
    EXPECT_FALSE(ParsePresetList(entries, EnvelopePresetFormat(), &error));
    EXPECT_NE(error.find("entry 2"), std::string::npos) << error;
}
