#include "cli/CliOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>
#include <cstdio>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "engine/Sequencer.h"
#include "engine/DSPTables.h"
#include "engine/EffectPresets.h"

namespace NSZubrikCli {

using namespace NSZubrik;

void UsageError(const std::string& message)
{
    throw XCliExit(kExitUsage, message);
}

SFlagSet CommonFlags()
{
    return SFlagSet{{}, {"--help", "--quiet", "--yes", "--replace-all", "--interactive", "--left-to-first-slice"}};
}

void AddSettingsFlags(SFlagSet& flags)
{
    for (const char* flag : {"--sensitivity", "--gate", "--sign", "--bars", "--beats", "--preview", "--tempo", "--envelope",
                             "--shaper", "--eq", "--pitch", "--gain", "--left", "--right"})
        flags.fValued.insert(flag);
    for (const char* flag : {"--envelope-off", "--shaper-off", "--eq-off", "--grid"})
        flags.fSwitches.insert(flag);
}

// ------------------------------------------------------------------ arguments

CArguments::CArguments(const std::vector<std::string>& arguments, const SFlagSet& flags)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        if (name == "-o")
            name = "--output";
        if (name.size() < 2 || name[0] != '-' || name == "-") {
            fFiles.push_back(arguments[i]);
            continue;
        }
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (fValues.count(name) != 0)
            UsageError("the flag " + name + " is given twice");
        if (flags.fSwitches.count(name) != 0) {
            if (value)
                UsageError("the flag " + name + " takes no value");
            fValues[name] = "";
        } else if (flags.fValued.count(name) != 0) {
            if (!value) {
                if (i + 1 >= arguments.size())
                    UsageError("the flag " + name + " needs a value");
                value = arguments[++i];
            }
            fValues[name] = *value;
        } else {
            UsageError("unknown flag " + arguments[i] + " (see --help)");
        }
    }
}

std::optional<std::string> CArguments::Value(const std::string& flag) const
{
    const auto found = fValues.find(flag);
    if (found == fValues.end())
        return std::nullopt;
    return found->second;
}

std::filesystem::path CArguments::RequireOutput() const
{
    const std::optional<std::string> output = Value("--output");
    if (!output || output->empty())
        UsageError("an output file is needed: -o FILE");
    return *output;
}

bool ParseInteger(const std::string& text, int64_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

std::optional<int32_t> CArguments::Integer(const std::string& flag, int32_t minimum, int32_t maximum) const
{
    const std::optional<std::string> text = Value(flag);
    if (!text)
        return std::nullopt;
    int64_t value = 0;
    if (!ParseInteger(*text, value) || value < minimum || value > maximum)
        UsageError(flag + " takes a whole number from " + std::to_string(minimum) + " to " +
                   std::to_string(maximum) + ", not \"" + *text + "\"");
    return static_cast<int32_t>(value);
}

std::optional<double> CArguments::Seconds(const std::string& flag, double maximum) const
{
    const std::optional<std::string> text = Value(flag);
    if (!text)
        return std::nullopt;
    size_t used = 0;
    double seconds = 0.0;
    try {
        seconds = std::stod(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text->size() || !(seconds > 0.0) || seconds > maximum) {
        std::ostringstream range;
        range << maximum;
        UsageError(flag + " takes a length above 0 and at most " + range.str() + ", not \"" + *text + "\"");
    }
    return seconds;
}

std::vector<int32_t> ParseIntegerList(const std::string& flag, const std::string& text,
                                      const std::vector<std::array<int32_t, 2>>& ranges)
{
    std::vector<int32_t> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int64_t value = 0;
        if (!ParseInteger(part, value))
            UsageError(flag + ": \"" + part + "\" is not a whole number");
        const size_t index = values.size();
        if (index < ranges.size() && (value < ranges[index][0] || value > ranges[index][1]))
            UsageError(flag + ": value " + std::to_string(index + 1) + " must lie from " +
                       std::to_string(ranges[index][0]) + " to " + std::to_string(ranges[index][1]) + ", not " +
                       part);
        values.push_back(static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != ranges.size())
        UsageError(flag + " takes " + std::to_string(ranges.size()) + " comma-separated values or a preset name");
    return values;
}

// ------------------------------------------------------------------ settings

namespace {

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The presets a tool bar offers, read from the program's string list.
std::vector<CEffectPreset> ReadPresets(int32_t firstEntry, const CEffectPresetFormat& format)
{
    std::vector<CEffectPreset> presets;
    for (int32_t i = 0; i < kMaximumPresetEntries; ++i) {
        std::string text;
        try {
            text = GetString(kProgramStringList, firstEntry + i);
        } catch (const std::exception&) {
            break;
        }
        if (text.empty())
            break;
        if (std::optional<CEffectPreset> preset = ParseEffectPreset(text, format))
            presets.push_back(std::move(*preset));
    }
    return presets;
}

bool IsTimeKey(const CPresetKey& key)
{
    return key.fName == "Attack" || key.fName == "Decay" || key.fName == "Release";
}

// The index of the engine's time-table entry nearest to a time in ms. The
// table's times do not depend on the output rate, so any rate's will do.
int32_t NearestTimeIndex(const std::string& flag, const std::string& part, double milliseconds)
{
    const int32_t rate = CZubrikSampler::kMinimumOutputRate;
    const float* const table = CDSPTablesCache::Acquire(rate).Milliseconds();
    const float* const end = table + CDSPTables::kTimeTableSize;
    const float lowest = table[0], highest = end[-1];
    const float* above = std::lower_bound(table, end, float(milliseconds));
    if (above == end)
        --above;
    else if (above != table && milliseconds - above[-1] < above[0] - milliseconds)
        --above;
    const int32_t index = int32_t(above - table);
    CDSPTablesCache::Release(rate);
    // Times a little outside the table round to its ends.
    if (!(milliseconds >= lowest * 0.5 && milliseconds <= highest * 1.05)) {
        char range[64];
        std::snprintf(range, sizeof range, "%.1f ms to %.0f ms", lowest, highest);
        UsageError(flag + ": the time " + part + " must lie from " + range);
    }
    return index;
}

// Values of the time keys given in ms ("12.5ms") as their time-table index;
// every other value as given.
std::string TimesAsIndices(const std::string& flag, const std::string& text, const CEffectPresetFormat& format)
{
    std::string out;
    size_t start = 0;
    for (size_t key = 0;; ++key) {
        const size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (part.size() > 2 && part.compare(part.size() - 2, 2, "ms") == 0) {
            if (key >= format.fKeys.size() || !IsTimeKey(format.fKeys[key]))
                UsageError(flag + ": value " + std::to_string(key + 1) + " is not a time, so \"" + part +
                           "\" cannot be in ms");
            size_t used = 0;
            double milliseconds = -1.0;
            try {
                milliseconds = std::stod(part.substr(0, part.size() - 2), &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != part.size() - 2)
                UsageError(flag + ": \"" + part + "\" is not a time in ms");
            part = std::to_string(NearestTimeIndex(flag, part, milliseconds));
        }
        out += (key ? "," : "") + part;
        if (comma == std::string::npos)
            return out;
        start = comma + 1;
    }
}

// A preset name or a list of values, in the format's key order.
std::vector<int32_t> PresetOrValues(const std::string& flag, const std::string& text, int32_t firstEntry,
                                    const CEffectPresetFormat& format)
{
    const std::vector<CEffectPreset> presets = ReadPresets(firstEntry, format);
    for (const CEffectPreset& preset : presets)
        if (Lowered(preset.fName) == Lowered(text))
            return preset.fValues;
    const bool looksNumeric = !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) ||
                                                text[0] == '-' || text[0] == '+');
    if (!looksNumeric) {
        std::string names;
        for (const CEffectPreset& preset : presets)
            names += (names.empty() ? "" : ", ") + preset.fName;
        UsageError(flag + ": no preset named \"" + text + "\" (presets: " + names + ")");
    }
    std::vector<std::array<int32_t, 2>> ranges;
    for (const CPresetKey& key : format.fKeys)
        ranges.push_back({key.fMinimum, key.fMaximum});
    return ParseIntegerList(flag, TimesAsIndices(flag, text, format), ranges);
}

template <size_t N>
std::array<int32_t, N> ToArray(const std::vector<int32_t>& values)
{
    std::array<int32_t, N> out{};
    std::copy_n(values.begin(), N, out.begin());
    return out;
}

// "20 to 450": the preview tempo's range in whole BPM.
std::string TempoRange()
{
    return std::to_string(CZubrikSequencer::kMinimumPreviewTempo / 1000) + " to " +
           std::to_string(CZubrikSequencer::kMaximumPreviewTempo / 1000);
}

std::array<int32_t, 2> ParseSignature(const std::string& text)
{
    static const char* const kChoices[] = {"2/4", "3/4", "4/4", "5/4", "6/8", "7/8"};
    for (const char* choice : kChoices)
        if (text == choice)
            return {choice[0] - '0', choice[2] - '0'};
    UsageError("--sign takes one of 2/4, 3/4, 4/4, 5/4, 6/8, 7/8, not \"" + text + "\"");
}

} // namespace

int32_t ParseTempo(const std::string& text)
{
    const size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    int64_t bpm = 0;
    const bool digitsOnly = std::all_of(fraction.begin(), fraction.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!ParseInteger(whole, bpm) || whole[0] == '-' || whole[0] == '+' || fraction.size() > 3 || !digitsOnly ||
        (point != std::string::npos && fraction.empty()))
        UsageError("--tempo takes beats per minute with up to three decimals (" + TempoRange() + "), not \"" + text +
                   "\"");
    int64_t thousandths = bpm > 1000000 ? 1000000000 : bpm * 1000;
    if (!fraction.empty()) {
        int64_t part = 0;
        ParseInteger(fraction, part);
        for (size_t i = fraction.size(); i < 3; ++i)
            part *= 10;
        thousandths += part;
    }
    if (thousandths < CZubrikSequencer::kMinimumPreviewTempo || thousandths > CZubrikSequencer::kMaximumPreviewTempo)
        UsageError("--tempo must lie from " + TempoRange() + " BPM, not " + text);
    return static_cast<int32_t>(thousandths);
}

int32_t ParseGainDecibels(const std::string& text)
{
    size_t used = 0;
    double decibels = 0.0;
    try {
        decibels = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || !std::isfinite(decibels))
        UsageError("--gain takes a gain in dB, not \"" + text + "\"");
    const double stored = std::round(1000.0 * std::pow(10.0, decibels / 20.0));
    if (stored > double(CZubrikDocument::kMaximumProcessingGain))
        UsageError("--gain must lie at or below +18 dB (stored 0 to " +
                   std::to_string(CZubrikDocument::kMaximumProcessingGain) + "), not " + text);
    return static_cast<int32_t>(stored);
}

void ParseLoopLength(const CArguments& arguments, SSettings& s)
{
    if (arguments.Value("--bars") == "auto")
        s.fBarsAuto = true;
    else
        s.fBars = arguments.Integer("--bars", 0, CZubrikDocument::kMaximumBars);
    s.fBeats = arguments.Integer("--beats", 0, CZubrikDocument::kMaximumBeats);
}

SSettings ParseSettings(const CArguments& arguments)
{
    SSettings s;
    s.fSensitivity = arguments.Integer("--sensitivity", 0, CSliceSequence::kMaximumSensitivity);
    s.fGate = arguments.Integer("--gate", 0, CSliceSequence::kMaximumGateSensitivity);
    if (std::optional<std::string> sign = arguments.Value("--sign"))
        s.fSignature = ParseSignature(*sign);
    ParseLoopLength(arguments, s);
    if (std::optional<std::string> preview = arguments.Value("--preview")) {
        if (*preview != "on" && *preview != "off")
            UsageError("--preview takes on or off, not \"" + *preview + "\"");
        s.fPreview = *preview == "on";
    }
    if (std::optional<std::string> tempo = arguments.Value("--tempo"))
        s.fTempo = ParseTempo(*tempo);
    if (std::optional<std::string> text = arguments.Value("--envelope"))
        s.fEnvelope = ToArray<3>(PresetOrValues("--envelope", *text, NSStrings::kEnvelopePresets,
                                                EnvelopePresetFormat()));
    if (std::optional<std::string> text = arguments.Value("--shaper"))
        s.fShaper = ToArray<4>(PresetOrValues("--shaper", *text, NSStrings::kTransientShaperPresets,
                                              TransientShaperPresetFormat()));
    if (std::optional<std::string> text = arguments.Value("--eq")) {
        // The presets' order puts each gain before its Q; the document's
        // block puts the Q first.
        const std::vector<int32_t> v =
            PresetOrValues("--eq", *text, NSStrings::kEqualizerPresets, EqualizerPresetFormat());
        s.fEqualizer = std::array<int32_t, 8>{v[0], v[1], v[3], v[2], v[4], v[6], v[5], v[7]};
    }
    s.fEnvelopeOff = arguments.Has("--envelope-off");
    s.fShaperOff = arguments.Has("--shaper-off");
    s.fEqualizerOff = arguments.Has("--eq-off");
    if ((s.fEnvelope && s.fEnvelopeOff) || (s.fShaper && s.fShaperOff) || (s.fEqualizer && s.fEqualizerOff))
        UsageError("an effect cannot be both set and switched off");
    s.fPitch = arguments.Integer("--pitch", -CZubrikDocument::kMaximumPitch, CZubrikDocument::kMaximumPitch);
    if (std::optional<std::string> gain = arguments.Value("--gain"))
        s.fGain = ParseGainDecibels(*gain);
    if (std::optional<std::string> left = arguments.Value("--left"))
        s.fLeft = ParseLocator("--left", *left);
    if (std::optional<std::string> right = arguments.Value("--right"))
        s.fRight = ParseLocator("--right", *right);
    s.fGrid = arguments.Has("--grid");
    return s;
}

} // namespace NSZubrikCli
