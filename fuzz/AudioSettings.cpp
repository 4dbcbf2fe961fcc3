// Feeds arbitrary bytes to the reader of the saved audio-device settings
// (they come from the preferences file). Settings that read must carry a
// rate and a buffer size in range, and writing them and reading again must
// give them back.
#include "platform/SavedAudioDevice.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace NSSoundPortKit;
    const std::optional<SSavedAudioDevice> device = DecodeSavedAudioDevice(data, size);
    if (!device)
        return 0;
    if (device->fSampleRate < SSavedAudioDevice::kMinimumRate || device->fSampleRate > SSavedAudioDevice::kMaximumRate)
        std::abort();
    if (device->fBufferFrames != 0 && (device->fBufferFrames < SSavedAudioDevice::kMinimumBufferFrames ||
                                       device->fBufferFrames > SSavedAudioDevice::kMaximumBufferFrames))
        std::abort();
    const std::vector<uint8_t> again = EncodeSavedAudioDevice(*device);
    const std::optional<SSavedAudioDevice> reread = DecodeSavedAudioDevice(again.data(), again.size());
    if (!reread || reread->fSampleRate != device->fSampleRate || reread->fDriverName != device->fDriverName ||
        reread->fBufferFrames != device->fBufferFrames)
        std::abort();
    return 0;
}
