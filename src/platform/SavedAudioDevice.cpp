#include "platform/SavedAudioDevice.h"

#include <algorithm>
#include <cstring>

namespace NSSoundPortKit {

namespace {

constexpr char kMagic[4] = {'Z', 'S', 'P', 'K'};
constexpr uint8_t kVersionWithoutBuffer = 1;
constexpr uint8_t kVersionWithBuffer = 2;
constexpr size_t kHeaderBytes = 11;
constexpr size_t kBufferBytes = 2;

} // namespace

std::vector<uint8_t> EncodeSavedAudioDevice(const SSavedAudioDevice& device)
{
    const uint32_t rate = uint32_t(device.fSampleRate);
    const size_t length = std::min<size_t>(device.fDriverName.size(), 0xFFFF);
    const uint8_t version = device.fBufferFrames != 0 ? kVersionWithBuffer : kVersionWithoutBuffer;
    const uint8_t header[kHeaderBytes] = {uint8_t(kMagic[0]), uint8_t(kMagic[1]), uint8_t(kMagic[2]),
                                          uint8_t(kMagic[3]), version,            uint8_t(rate >> 24),
                                          uint8_t(rate >> 16), uint8_t(rate >> 8), uint8_t(rate),
                                          uint8_t(length >> 8), uint8_t(length)};
    std::vector<uint8_t> bytes(kHeaderBytes + length);
    std::memcpy(bytes.data(), header, kHeaderBytes);
    std::memcpy(bytes.data() + kHeaderBytes, device.fDriverName.data(), length);
    if (version == kVersionWithBuffer) {
        const uint32_t frames = uint32_t(device.fBufferFrames);
        bytes.push_back(uint8_t(frames >> 8));
        bytes.push_back(uint8_t(frames));
    }
    return bytes;
}

std::optional<SSavedAudioDevice> DecodeSavedAudioDevice(const uint8_t* bytes, size_t size)
{
    if (size < kHeaderBytes || std::memcmp(bytes, kMagic, sizeof kMagic) != 0 ||
        (bytes[4] != kVersionWithoutBuffer && bytes[4] != kVersionWithBuffer))
        return std::nullopt;
    const uint32_t rate = uint32_t(bytes[5]) << 24 | uint32_t(bytes[6]) << 16 | uint32_t(bytes[7]) << 8 | bytes[8];
    const size_t length = size_t(bytes[9]) << 8 | bytes[10];
    const size_t tail = bytes[4] == kVersionWithBuffer ? kBufferBytes : 0;
    if (rate < uint32_t(SSavedAudioDevice::kMinimumRate) || rate > uint32_t(SSavedAudioDevice::kMaximumRate) ||
        size - kHeaderBytes < length + tail)
        return std::nullopt;
    SSavedAudioDevice device;
    device.fSampleRate = int32_t(rate);
    device.fDriverName.assign(reinterpret_cast<const char*>(bytes + kHeaderBytes), length);
    if (tail != 0) {
        const uint8_t* frames = bytes + kHeaderBytes + length;
        device.fBufferFrames = int32_t(frames[0]) << 8 | frames[1];
        if (device.fBufferFrames < SSavedAudioDevice::kMinimumBufferFrames ||
            device.fBufferFrames > SSavedAudioDevice::kMaximumBufferFrames)
            return std::nullopt;
    }
    return device;
}

} // namespace NSSoundPortKit
