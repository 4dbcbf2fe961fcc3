// Random bits into the lossless decoder for a fixed number of frames, from
// memory and from a media. The first byte picks channels and depth. The
// decoder must fail cleanly on any input: no reads past the words, no
// endless loops, no arithmetic faults.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "audiodata/DWOPDecompressor.h"
#include "tambor/Media.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kFrames = 700;

template <typename TDecoder>
void DecodeAll(TDecoder& decoder, bool is24, int channels) {
    std::vector<int32_t> out32(static_cast<size_t>(kFrames * channels));
    std::vector<int16_t> out16(out32.size());
    try {
        // Uneven runs, so that states carry across calls.
        for (int32_t done = 0; done < kFrames;) {
            const int32_t n = std::min<int32_t>(kFrames - done, 333);
            if (is24)
                decoder.Decode24(n, out32.data());
            else
                decoder.Decode16(n, out16.data());
            done += n;
        }
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    const int channels = (data[0] & 1) ? 2 : 1;
    const bool is24 = (data[0] & 2) != 0;
    ++data;
    --size;

    std::vector<uint32_t> words(size / 4);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = (uint32_t{data[4 * i]} << 24) | (uint32_t{data[4 * i + 1]} << 16) |
                   (uint32_t{data[4 * i + 2]} << 8) | data[4 * i + 3];
    COptimizedDWOPDecompressor memory(channels);
    memory.SetInput(static_cast<uint32_t>(words.size()), words.data());
    DecodeAll(memory, is24, channels);

    NSTambor::COwnedMemoryMedia media(static_cast<int32_t>(size), data);
    COptimizedDWOPDecompressorFromMedia fromMedia(media, channels);
    DecodeAll(fromMedia, is24, channels);
    return 0;
}
