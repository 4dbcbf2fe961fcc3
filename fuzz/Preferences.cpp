// Feeds arbitrary bytes to the preferences file reader. A file that reads
// must hold only values in their working ranges, and writing what was read
// and reading it again must give the same values.
#include "io/Preferences.h"

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

namespace {

bool InRange(const NSZubrik::SPreferenceValues& v)
{
    auto rate = [](int32_t r) { return r >= 11025 && r <= 96000; };
    auto depth = [](int32_t d) { return d == 16 || d == 24; };
    return v.fDisplayStyle >= 0 && v.fDisplayStyle <= 2 && (v.fPositionUnit == 0 || v.fPositionUnit == 1) &&
           v.fContrast >= 0 && v.fContrast <= 100 && rate(v.fExportSampleRate) &&
           rate(v.fConversionSampleRate) && depth(v.fExportBitDepth) && depth(v.fConversionBitDepth) &&
           v.fConversionMode >= 0 && v.fConversionMode <= 2 && v.fExportFileType.size() <= 10;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    std::vector<uint8_t> bytes(data, data + size);
    NSTambor::CMemoryMedia media(bytes.data(), static_cast<int32_t>(bytes.size()));
    NSZubrik::SPreferenceValues values;
    std::vector<NSZubrik::SRecentEntry> recent;
    try {
        NSZubrik::ReadPreferencesFile(media, values, recent);
    } catch (const std::exception&) {
        return 0;
    }
    if (!InRange(values) || recent.size() > 255)
        __builtin_trap();
    NSTambor::CMemoryMedia copy(256);
    NSZubrik::WritePreferencesFile(copy, values, recent);
    copy.SetPosition(0);
    NSZubrik::SPreferenceValues again;
    std::vector<NSZubrik::SRecentEntry> recentAgain;
    NSZubrik::ReadPreferencesFile(copy, again, recentAgain);
    // The colour table is always written with sixteen entries.
    again.fColorTable = values.fColorTable;
    if (!(again == values) || recentAgain.size() != std::min<size_t>(recent.size(), 8))
        __builtin_trap();
    return 0;
}
