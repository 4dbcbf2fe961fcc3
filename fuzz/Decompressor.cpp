// Random bits into the lossless decoder for a fixed number of frames, from
// memory and from a media. The first byte picks channels and depth. The
// decoder must fail cleanly on any input: no reads past the words, no
// endless loops, no arithmetic faults. Its fast and portable loops must
// agree on every value and on where the input fails.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/ZubrikErrors.h"
#include "audiodata/DWOPDecompressor.h"
#include "tambor/Media.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kFrames = 700;

// The values decoded up to the end or the first failure, then a marker of
// how decoding ended.
template <typename TDecoder>
std::vector<int32_t> DecodeAll(TDecoder& decoder, bool is24, int channels) {
    std::vector<int32_t> values;
    std::vector<int32_t> out32(static_cast<size_t>(333 * channels));
    std::vector<int16_t> out16(out32.size());
    try {
        // Uneven runs, so that states carry across calls.
        for (int32_t done = 0; done < kFrames;) {
            const int32_t n = std::min<int32_t>(kFrames - done, 333);
            const size_t count = static_cast<size_t>(n * channels);
            if (is24) {
                decoder.Decode24(n, out32.data());
                values.insert(values.end(), out32.begin(), out32.begin() + count);
            } else {
                decoder.Decode16(n, out16.data());
                values.insert(values.end(), out16.begin(), out16.begin() + count);
            }
            done += n;
        }
        values.push_back(0);
    } catch (const XBadFormat&) {
        values.push_back(1);
    } catch (const XUnderflowOnInputBitStream&) {
        values.push_back(2);
    }
    return values;
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
    std::vector<int32_t> results[2];
    for (bool vector : {false, true}) {
        COptimizedDWOPDecompressor::AllowVectorLoop(vector);
        COptimizedDWOPDecompressor memory(channels);
        memory.SetInput(static_cast<uint32_t>(words.size()), words.data());
        results[vector] = DecodeAll(memory, is24, channels);
    }
    if (results[0] != results[1]) __builtin_trap();

    NSTambor::COwnedMemoryMedia media(static_cast<int32_t>(size), data);
    COptimizedDWOPDecompressorFromMedia fromMedia(media, channels);
    DecodeAll(fromMedia, is24, channels);
    return 0;
}
