#include "engine/EffectPresets.h"

#include "app/ZubrikErrors.h"
#include "engine/Equalizer.h"

#include <algorithm>

namespace NSZubrik {

namespace {

constexpr CPresetKey kEnvelopeKeys[] = {
    {"Attack", 0, 1023}, {"Decay", 0, 1023}, {"Stretch", 0, 100}};

constexpr CPresetKey kShaperKeys[] = {
    {"Threshold", 0, 127}, {"Ratio", 0, 127}, {"Attack", 0, 1023}, {"Release", 0, 1023}};

constexpr CPresetKey kEqualizerKeys[] = {
    {"LoCut", 15, 12000},       {"Low", 20, 3000},  {"LowGain", -18000, 18000},
    {"LowQ", 500, 10000},       {"High", 1500, 16000}, {"HighGain", -18000, 18000},
    {"HighQ", 500, 10000},      {"HighCut", 100, 20000}};

const CEffectPresetFormat kEnvelopeFormat{"Envelope", kEnvelopeKeys};
const CEffectPresetFormat kShaperFormat{"Transient Shaper", kShaperKeys};
const CEffectPresetFormat kEqualizerFormat{"Equalizer", kEqualizerKeys};

bool Fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

bool IsControl(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

bool IsNameCharacter(char c)
{
    return !IsControl(c) && c != '[' && c != ']' && c != ':';
}

// Reads a decimal integer, optionally negative, and checks its range. Digits
// are counted before converting so that no input can overflow.
bool ParseValue(std::string_view text, const CPresetKey& key, int32_t& value,
                std::string* error)
{
    std::string what = "value of " + std::string(key.fName);
    bool negative = !text.empty() && text.front() == '-';
    std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty())
        return Fail(error, what + " is empty");
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return Fail(error, what + " is not a whole number: \"" + std::string(text) + "\"");
    size_t significant = digits.find_first_not_of('0');
    if (significant != std::string_view::npos && digits.size() - significant > 9)
        return Fail(error, what + " is out of range: " + std::string(text));
    int64_t magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * 10 + (c - '0');
    int64_t v = negative ? -magnitude : magnitude;
    if (v < key.fMinimum || v > key.fMaximum)
        return Fail(error, what + " is out of range " + std::to_string(key.fMinimum) + "..." +
                               std::to_string(key.fMaximum) + ": " + std::string(text));
    value = static_cast<int32_t>(v);
    return true;
}

int FindKey(const CEffectPresetFormat& format, std::string_view name)
{
    for (size_t i = 0; i < format.fKeys.size(); ++i)
        if (format.fKeys[i].fName == name)
            return static_cast<int>(i);
    return -1;
}

// Parses the bracketed pairs that follow the name into preset.fValues.
bool ParsePairs(std::string_view rest, const CEffectPresetFormat& format, CEffectPreset& preset,
                std::string* error)
{
    std::vector<bool> seen(format.fKeys.size(), false);
    preset.fValues.assign(format.fKeys.size(), 0);
    while (!rest.empty()) {
        if (rest.front() != '[')
            return Fail(error, "unexpected text after a setting: \"" + std::string(rest) + "\"");
        size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return Fail(error, "a setting is missing its closing \"]\"");
        std::string_view pair = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
        size_t colon = pair.find(':');
        if (colon == std::string_view::npos)
            return Fail(error, "setting \"" + std::string(pair) + "\" has no \":\"");
        std::string_view name = pair.substr(0, colon);
        int index = FindKey(format, name);
        if (index < 0)
            return Fail(error, "unknown " + std::string(format.fEffectName) + " setting \"" +
                                   std::string(name) + "\"");
        if (seen[index])
            return Fail(error, "setting " + std::string(name) + " is given twice");
        seen[index] = true;
        if (!ParseValue(pair.substr(colon + 1), format.fKeys[index], preset.fValues[index], error))
            return false;
    }
    for (size_t i = 0; i < seen.size(); ++i)
        if (!seen[i])
            return Fail(error, "setting " + std::string(format.fKeys[i].fName) + " is missing");
    return true;
}

} // namespace

const CEffectPresetFormat& EnvelopePresetFormat() { return kEnvelopeFormat; }
const CEffectPresetFormat& TransientShaperPresetFormat() { return kShaperFormat; }
const CEffectPresetFormat& EqualizerPresetFormat() { return kEqualizerFormat; }

int32_t CEffectPreset::Value(const CEffectPresetFormat& format, std::string_view key) const
{
    int index = FindKey(format, key);
    if (index < 0 || static_cast<size_t>(index) >= fValues.size())
        throw XIllegalCallSequence();
    return fValues[index];
}

std::optional<CEffectPreset> ParseEffectPreset(std::string_view text,
                                               const CEffectPresetFormat& format,
                                               std::string* error)
{
    size_t open = text.find('[');
    if (open == std::string_view::npos) {
        Fail(error, "preset has no settings");
        return std::nullopt;
    }
    std::string_view name = text.substr(0, open);
    if (name.empty()) {
        Fail(error, "preset has no name");
        return std::nullopt;
    }
    if (name.size() > kMaximumPresetNameLength) {
        Fail(error, "preset name is longer than " + std::to_string(kMaximumPresetNameLength) +
                        " bytes");
        return std::nullopt;
    }
    if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) {
        Fail(error, "preset name contains a control character, \"]\" or \":\"");
        return std::nullopt;
    }
    CEffectPreset preset;
    preset.fName = std::string(name);
    std::string pairError;
    if (!ParsePairs(text.substr(open), format, preset, &pairError)) {
        Fail(error, "preset \"" + preset.fName + "\": " + pairError);
        return std::nullopt;
    }
    return preset;
}

CEffectPreset ReadEffectPreset(std::string_view text, const CEffectPresetFormat& format)
{
    std::optional<CEffectPreset> preset = ParseEffectPreset(text, format);
    if (!preset)
        throw XBadFormat();
    return *std::move(preset);
}

std::optional<std::vector<CEffectPreset>> ParsePresetList(
    std::span<const std::string_view> entries, const CEffectPresetFormat& format,
    std::string* error)
{
    std::vector<CEffectPreset> presets;
    size_t count = std::min(entries.size(), static_cast<size_t>(kMaximumPresetEntries));
    for (size_t i = 0; i < count && !entries[i].empty(); ++i) {
        std::string entryError;
        std::optional<CEffectPreset> preset = ParseEffectPreset(entries[i], format, &entryError);
        if (!preset) {
            Fail(error, std::string(format.fEffectName) + " preset entry " +
                            std::to_string(i + 1) + ": " + entryError);
            return std::nullopt;
        }
        presets.push_back(*std::move(preset));
    }
    return presets;
}

void ApplyEqualizerPreset(const CEffectPreset& preset, CEqualizerEffect& equalizer)
{
    const CEffectPresetFormat& f = kEqualizerFormat;
    if (preset.fValues.size() != f.fKeys.size())
        throw XIllegalCallSequence();
    // Every range lies inside 16 bits, which the setters take.
    auto v = [&](std::string_view key) { return static_cast<int16_t>(preset.Value(f, key)); };
    equalizer.SetLoCut(v("LoCut"));
    equalizer.SetLowFrequency(v("Low"));
    equalizer.SetLowGain(v("LowGain"));
    equalizer.SetLowQ(v("LowQ"));
    equalizer.SetHighFrequency(v("High"));
    equalizer.SetHighGain(v("HighGain"));
    equalizer.SetHighQ(v("HighQ"));
    equalizer.SetHighCut(v("HighCut"));
}

} // namespace NSZubrik
