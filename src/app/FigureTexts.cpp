#include "app/FigureTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/ResourceIds.h"
#include "app/StringTables.h"

namespace NSZubrik {

namespace {

constexpr int32_t kStereo = NSStrings::kStatusBarTexts;
constexpr int32_t kMono = kStereo + 1;
constexpr int32_t kSeparator = kStereo + 2;
constexpr int32_t kKilohertz = kStereo + 3;
constexpr int32_t kBits = kStereo + 4;
constexpr int32_t kSlice = kStereo + 10;
constexpr int32_t kSlices = kStereo + 11;
constexpr int32_t kMinutes = kStereo + 12;
constexpr int32_t kSeconds = kStereo + 13;
constexpr int32_t kSizeSeparator = kStereo + 14;
constexpr int32_t kByte = kStereo + 15;
constexpr int32_t kBytes = kStereo + 16;
constexpr int32_t kKilobytes = kStereo + 17;
constexpr int32_t kMegabytes = kStereo + 18;
constexpr int32_t kGigabytes = kStereo + 19;

std::string Text(int32_t entry) { return GetString(kProgramStringList, entry); }

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

} // namespace

std::string FormatSampleRate(int64_t sampleRate)
{
    // Three decimals at most, without trailing zeros.
    std::string number = Fixed(double(sampleRate) / 1000.0, 3);
    while (number.back() == '0')
        number.pop_back();
    if (number.back() == '.')
        number.pop_back();
    return number + Text(kKilohertz);
}

std::string FormatDuration(double seconds)
{
    // Rounded to hundredths first, so that 59.999 s reads "1 m, 0.00 s".
    const int64_t hundredths = std::llround(std::max(seconds, 0.0) * 100.0);
    if (hundredths < 6000)
        return Fixed(double(hundredths) / 100.0, 2) + Text(kSeconds);
    return std::to_string(hundredths / 6000) + Text(kMinutes) + Text(kSeparator) +
           Fixed(double(hundredths % 6000) / 100.0, 2) + Text(kSeconds);
}

std::string FormatByteSize(int64_t bytes)
{
    constexpr double kKilo = 1024.0;
    if (bytes < 1024)
        return std::to_string(bytes) + " " + Text(bytes == 1 ? kByte : kBytes);
    if (bytes < 1024 * 1024)
        return std::to_string(bytes / 1024) + " " + Text(kKilobytes);
    if (bytes < int64_t(1024) * 1024 * 1024)
        return Fixed(double(bytes) / (kKilo * kKilo), 2) + " " + Text(kMegabytes);
    return Fixed(double(bytes) / (kKilo * kKilo * kKilo), 2) + " " + Text(kGigabytes);
}

std::string FormatSoundFormat(bool stereo, int64_t sampleRate, int32_t bitDepth)
{
    std::string text = Text(stereo ? kStereo : kMono) + Text(kSeparator) + FormatSampleRate(sampleRate);
    if (bitDepth > 0)
        text += Text(kSeparator) + std::to_string(bitDepth) + Text(kBits);
    return text;
}

std::string FormatSliceInfo(int32_t sliceCount, int64_t sampleValues, int64_t sampleRate, int32_t bitDepth)
{
    const double seconds = sampleRate > 0 ? double(sampleValues) / double(sampleRate) : 0.0;
    return std::to_string(sliceCount) + " " + Text(sliceCount == 1 ? kSlice : kSlices) + Text(kSeparator) +
           FormatDuration(seconds) + Text(kSizeSeparator) + FormatByteSize(sampleValues * (bitDepth > 16 ? 4 : 2));
}

} // namespace NSZubrik
