#include "audiodata/SoundChecksum.h"

#include "audiodata/WaveSample.h"

#include <algorithm>
#include <vector>

namespace NSZubrik {

namespace {

// Frames packed per MD5 update: small enough to stay in the cache.
constexpr int32_t kBlockFrames = 4096;

template <typename TStore>
TSoundChecksum Digest(const TStore& wave, int32_t bytesPerValue)
{
    NSTambor::CMD5 md5;
    const int32_t channels = wave.IsStereo() ? 2 : 1;
    const auto* first = wave.GetChannelData(1);
    const auto* second = wave.GetChannelData(2);
    std::vector<uint8_t> bytes(size_t(kBlockFrames) * size_t(channels * bytesPerValue));
    for (int32_t done = 0; done < wave.GetFrameCount();) {
        const int32_t count = std::min(kBlockFrames, wave.GetFrameCount() - done);
        uint8_t* out = bytes.data();
        for (int32_t i = done; i < done + count; ++i)
            for (int32_t channel = 0; channel < channels; ++channel) {
                const auto value = uint32_t(int32_t(channel == 0 ? first[i] : second[i]));
                for (int32_t b = 0; b < bytesPerValue; ++b) *out++ = uint8_t(value >> (8 * b));
            }
        md5.Update(bytes.data(), size_t(out - bytes.data()));
        done += count;
    }
    return md5.Finish();
}

} // namespace

TSoundChecksum SoundChecksum(const CABCWaveSample& wave)
{
    if (const auto* wave16 = dynamic_cast<const C16BitWaveSample*>(&wave)) return Digest(*wave16, 2);
    return Digest(dynamic_cast<const C24BitWaveSample&>(wave), 3);
}

} // namespace NSZubrik
