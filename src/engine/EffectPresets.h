// Effect presets as the tool bars offer them: a text entry "Name[Key:Value]..."
// names a preset and gives every setting of one effect in the effect's own
// units. The texts come from string lists that may be edited outside the
// program, so the parser checks every character and every value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace NSZubrik {

class CEqualizerEffect;

// One setting a preset must give, with the range the loop file accepts.
struct CPresetKey {
    std::string_view fName;
    int32_t fMinimum;
    int32_t fMaximum;
};

// The settings of one effect, in the order its presets name them.
struct CEffectPresetFormat {
    std::string_view fEffectName;
    std::span<const CPresetKey> fKeys;
};

const CEffectPresetFormat& EnvelopePresetFormat();
const CEffectPresetFormat& TransientShaperPresetFormat();
const CEffectPresetFormat& EqualizerPresetFormat();

struct CEffectPreset {
    std::string fName;
    // One value per key of the format, in the format's key order whatever
    // order the text used.
    std::vector<int32_t> fValues;

    // The value of a key of the format the preset was parsed with.
    int32_t Value(const CEffectPresetFormat& format, std::string_view key) const;
};

// A tool bar reads at most this many entries and stops at the first empty one.
constexpr int kMaximumPresetEntries = 21;
// Longest preset name accepted, in bytes.
constexpr size_t kMaximumPresetNameLength = 255;

// Parses one entry. Every key of the format must appear exactly once, no
// other key may appear, and every value must be a decimal integer inside its
// range. On failure returns nothing and, when error is given, says why.
std::optional<CEffectPreset> ParseEffectPreset(std::string_view text,
                                               const CEffectPresetFormat& format,
                                               std::string* error = nullptr);

// As ParseEffectPreset, but a malformed entry throws XBadFormat.
CEffectPreset ReadEffectPreset(std::string_view text, const CEffectPresetFormat& format);

// Reads a tool bar's block of entries: up to kMaximumPresetEntries, ending at
// the first empty entry. Fails as a whole when any entry read is malformed,
// naming that entry in the error.
std::optional<std::vector<CEffectPreset>> ParsePresetList(
    std::span<const std::string_view> entries, const CEffectPresetFormat& format,
    std::string* error = nullptr);

// The equalizer's tool-bar presets.
inline constexpr std::array<std::string_view, 7> kEqualizerPresetTexts = {
    "Reset[LoCut:15][Low:100][LowGain:0][LowQ:1000][High:2500][HighGain:0][HighQ:1000]"
    "[HighCut:20000]",
    "Drum Clean-Up[LoCut:15][Low:281][LowGain:-5400][LowQ:2450][High:3251][HighGain:-2400]"
    "[HighQ:650][HighCut:20000]",
    "Ultra-Low Boost[LoCut:15][Low:40][LowGain:5800][LowQ:1000][High:6086][HighGain:0]"
    "[HighQ:950][HighCut:20000]",
    "Bass Remove[LoCut:340][Low:380][LowGain:-4000][LowQ:500][High:5204][HighGain:-3600]"
    "[HighQ:1000][HighCut:7233]",
    "Serious LoFi[LoCut:1624][Low:108][LowGain:-18000][LowQ:7000][High:10129]"
    "[HighGain:12600][HighQ:4900][HighCut:2493]",
    "Bandpass Percussion[LoCut:94][Low:173][LowGain:-16600][LowQ:900][High:1638]"
    "[HighGain:10400][HighQ:6250][HighCut:8576]",
    "My Mad Neighbour[LoCut:15][Low:3000][LowGain:-17000][LowQ:5850][High:3657]"
    "[HighGain:-4000][HighQ:500][HighCut:255]",
};

// Sets the equalizer's eight targets from a preset parsed with
// EqualizerPresetFormat(). The on switch is left alone.
void ApplyEqualizerPreset(const CEffectPreset& preset, CEqualizerEffect& equalizer);

} // namespace NSZubrik
