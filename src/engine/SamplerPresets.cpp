#include "engine/SamplerPresets.h"

#include "app/ZubrikErrors.h"
#include "engine/EffectPresets.h"
#include "engine/Sampler.h"

namespace NSZubrik {

namespace {

// Every range of these formats lies inside 16 bits, which the setters take.
auto ValueReader(const CEffectPreset& preset, const CEffectPresetFormat& format) {
    if (preset.fValues.size() != format.fKeys.size()) {
        throw XIllegalCallSequence();
    }
    return [&preset, &format](std::string_view key) {
        return static_cast<int16_t>(preset.Value(format, key));
    };
}

} // namespace

void ApplyEnvelopePreset(const CEffectPreset& preset, CZubrikSampler& sampler) {
    const auto value = ValueReader(preset, EnvelopePresetFormat());
    sampler.SetEnvelopeAttack(value("Attack"));
    sampler.SetEnvelopeDecay(value("Decay"));
    sampler.SetEnvelopeStretch(value("Stretch"));
}

void ApplyTransientShaperPreset(const CEffectPreset& preset, CZubrikSampler& sampler) {
    const auto value = ValueReader(preset, TransientShaperPresetFormat());
    sampler.SetShaperThreshold(value("Threshold"));
    sampler.SetShaperRatio(value("Ratio"));
    sampler.SetShaperAttack(value("Attack"));
    sampler.SetShaperRelease(value("Release"));
}

} // namespace NSZubrik
