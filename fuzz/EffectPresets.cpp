// Feeds arbitrary bytes to the preset parser as one entry for each effect
// and, split at newlines, as a tool bar's block of entries.
#include "engine/EffectPresets.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const NSZubrik::CEffectPresetFormat* formats[] = {
        &NSZubrik::EnvelopePresetFormat(), &NSZubrik::TransientShaperPresetFormat(),
        &NSZubrik::EqualizerPresetFormat()};
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    for (const NSZubrik::CEffectPresetFormat* format : formats) {
        std::string error;
        auto preset = NSZubrik::ParseEffectPreset(text, *format, &error);
        if (preset && preset->fValues.size() != format->fKeys.size())
            __builtin_trap();
        if (!preset && error.empty())
            __builtin_trap();
        NSZubrik::ParsePresetList(lines, *format, &error);
    }
    return 0;
}
