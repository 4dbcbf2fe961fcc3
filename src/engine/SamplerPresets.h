// The tool-bar presets of the sampler's two effects, in the "Name[Key:Value]"
// form that ParseEffectPreset reads, and their application to a sampler.
#pragma once

#include <array>
#include <string_view>

namespace NSZubrik {

class CZubrikSampler;
struct CEffectPreset;

// "Envelope": Attack, Decay, Stretch (EnvelopePresetFormat()).
inline constexpr std::array<std::string_view, 7> kEnvelopePresetTexts = {
    "Reset[Attack:21][Decay:1023][Stretch:40]",
    "No Stretch[Attack:21][Decay:1023][Stretch:0]",
    "Fake Backwards[Attack:243][Decay:445][Stretch:0]",
    "Tighten Up[Attack:21][Decay:478][Stretch:0]",
    "Even Tighter[Attack:21][Decay:406][Stretch:0]",
    "Synth Chopper[Attack:50][Decay:220][Stretch:20]",
    "Silly Stomper[Attack:273][Decay:190][Stretch:40]",
};

// "Transient Shaper": Threshold, Ratio, Attack, Release
// (TransientShaperPresetFormat()).
inline constexpr std::array<std::string_view, 7> kTransientShaperPresetTexts = {
    "Reset[Threshold:77][Ratio:39][Attack:193][Release:350]",
    "Hard Attack[Threshold:17][Ratio:69][Attack:288][Release:518]",
    "Chop the Peaks[Threshold:127][Ratio:127][Attack:340][Release:632]",
    "Gate to Eden[Threshold:0][Ratio:39][Attack:357][Release:281]",
    "Pressurize[Threshold:0][Ratio:45][Attack:18][Release:156]",
    "Oomph-Oomph Machine[Threshold:58][Ratio:102][Attack:141][Release:197]",
    "I-Will-Distort-You[Threshold:0][Ratio:100][Attack:0][Release:134]",
};

// Set the effect's settings from a preset parsed with the effect's format;
// the effect's on switch is left alone. A preset of another format throws
// XIllegalCallSequence.
void ApplyEnvelopePreset(const CEffectPreset& preset, CZubrikSampler& sampler);
void ApplyTransientShaperPreset(const CEffectPreset& preset, CZubrikSampler& sampler);

} // namespace NSZubrik
