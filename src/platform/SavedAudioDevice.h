// The device settings as they travel in the preferences: "ZSPK", a version
// byte, the sample rate (u32) and the device's name (u16 length, UTF-8), all
// big-endian; version 2 follows the name with the buffer size in frames
// (u16). The bytes come back from a file the user may have damaged or
// written with a later version, so reading checks every field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace NSSoundPortKit {

struct SSavedAudioDevice {
    // Rates a device may be opened at; anything outside is damage.
    static constexpr int32_t kMinimumRate = 1000;
    static constexpr int32_t kMaximumRate = 1000000;
    // The same for buffer sizes; 0 (version 1) means the usual size.
    static constexpr int32_t kMinimumBufferFrames = 16;
    static constexpr int32_t kMaximumBufferFrames = 8192;

    int32_t fSampleRate = 0;
    std::string fDriverName;
    int32_t fBufferFrames = 0;
};

// Version 1 when the buffer size is 0, else version 2.
std::vector<uint8_t> EncodeSavedAudioDevice(const SSavedAudioDevice& device);
// Nothing for bytes that are not settings of version 1 or 2, are cut short,
// or carry a rate or buffer size outside the range; bytes after the last
// field are ignored.
std::optional<SSavedAudioDevice> DecodeSavedAudioDevice(const uint8_t* bytes, size_t size);

} // namespace NSSoundPortKit
