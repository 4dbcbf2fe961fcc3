// Lossless codec: exact round trips, hand-checked bits, clean failures.
#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "app/ZubrikErrors.h"
#include "audiodata/DWOPCompressor.h"
#include "audiodata/DWOPDecompressor.h"
#include "audiodata/OutputBitStream.h"
#include "tambor/Media.h"

using namespace NSZubrik;

namespace {

struct CSignal {
    int channels;
    bool is24;
    std::vector<int32_t> left, right; // per channel
};

std::vector<uint8_t> Encode(const CSignal& s) {
    NSTambor::CMemoryMedia media(16);
    COutputBitStream stream(media);
    CDWOPCompressor encoder(stream, s.channels);
    const int32_t frames = static_cast<int32_t>(s.left.size());
    // Uneven runs, so that states must carry across calls.
    for (int32_t done = 0; done < frames;) {
        const int32_t n = std::min<int32_t>(frames - done, 777);
        if (s.is24) {
            encoder.Encode24(n, s.left.data() + done,
                             s.channels == 2 ? s.right.data() + done : nullptr);
        } else {
            std::vector<int16_t> l(s.left.begin() + done, s.left.begin() + done + n);
            std::vector<int16_t> r(l.size());
            if (s.channels == 2)
                r.assign(s.right.begin() + done, s.right.begin() + done + n);
            encoder.Encode16(n, l.data(), r.data());
        }
        done += n;
    }
    stream.Flush();
    EXPECT_EQ(media.GetSize(), static_cast<int32_t>(stream.GetWordCount() * 4));
    return std::vector<uint8_t>(media.GetBuffer(), media.GetBuffer() + media.GetSize());
}

// Decodes interleaved values through the media decoder in runs of 4096.
std::vector<int32_t> Decode(std::vector<uint8_t> bytes, int channels, bool is24,
                            int32_t frames) {
    NSTambor::CMemoryMedia media(bytes.data(), static_cast<int32_t>(bytes.size()));
    COptimizedDWOPDecompressorFromMedia decoder(media, channels);
    std::vector<int32_t> out;
    for (int32_t done = 0; done < frames;) {
        const int32_t n = std::min<int32_t>(frames - done, 4096);
        if (is24) {
            std::vector<int32_t> v(static_cast<size_t>(n * channels));
            decoder.Decode24(n, v.data());
            out.insert(out.end(), v.begin(), v.end());
        } else {
            std::vector<int16_t> v(static_cast<size_t>(n * channels));
            decoder.Decode16(n, v.data());
            out.insert(out.end(), v.begin(), v.end());
        }
        done += n;
    }
    return out;
}

std::vector<int32_t> Interleave(const CSignal& s) {
    std::vector<int32_t> v;
    for (size_t i = 0; i < s.left.size(); ++i) {
        v.push_back(s.left[i]);
        if (s.channels == 2) v.push_back(s.right[i]);
    }
    return v;
}

// Runs a check with the decoder's fast loop and again with its portable one.
template <typename TCheck>
void WithBothDecoderLoops(TCheck check) {
    for (bool vector : {true, false}) {
        SCOPED_TRACE(vector ? "fast loop" : "portable loop");
        COptimizedDWOPDecompressor::AllowVectorLoop(vector);
        check();
    }
    COptimizedDWOPDecompressor::AllowVectorLoop(true);
}

// The bytes of both encoder forms, which must be the same.
std::vector<uint8_t> EncodeBothWays(const CSignal& s) {
    CDWOPCompressor::AllowVectorLoop(false);
    const auto portable = Encode(s);
    CDWOPCompressor::AllowVectorLoop(true);
    const auto bytes = Encode(s);
    EXPECT_EQ(bytes, portable) << "the encoder's two forms differ";
    return bytes;
}

void ExpectRoundTrip(const CSignal& s) {
    const auto bytes = EncodeBothWays(s);
    WithBothDecoderLoops([&] {
        const auto decoded =
            Decode(bytes, s.channels, s.is24, static_cast<int32_t>(s.left.size()));
        ASSERT_EQ(decoded, Interleave(s)) << s.channels << " channels, 24-bit " << s.is24
                                          << ", " << s.left.size() << " frames";
    });
}

std::vector<uint32_t> Words(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> words(bytes.size() / 4);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = (uint32_t{bytes[4 * i]} << 24) | (uint32_t{bytes[4 * i + 1]} << 16) |
                   (uint32_t{bytes[4 * i + 2]} << 8) | bytes[4 * i + 3];
    return words;
}

std::vector<int32_t> Square(size_t n, int32_t high, int32_t low, size_t period) {
    std::vector<int32_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = (i / period) % 2 ? low : high;
    return v;
}

} // namespace

TEST(Codec, RoundTripsHardSignalsExactly) {
    const size_t lengths[] = {0, 1, 999, 1000, 1001, 4097};
    for (bool is24 : {false, true}) {
        const int32_t hi = is24 ? 8388607 : 32767;
        const int32_t lo = is24 ? -8388608 : -32768;
        for (size_t n : lengths) {
            const std::vector<std::vector<int32_t>> signals = {
                std::vector<int32_t>(n, 0),
                Square(n, hi, lo, 1),  // alternating extremes
                Square(n, hi, lo, 37), // full-scale square wave
                NSTestSupport::Noise(n, hi, static_cast<uint32_t>(n + 7)),
                std::vector<int32_t>(n, lo),
            };
            for (const auto& a : signals) {
                ExpectRoundTrip({1, is24, a, {}});
                ExpectRoundTrip({2, is24, a, a});
                ExpectRoundTrip({2, is24, a, Square(n, lo, hi, 3)});
                ExpectRoundTrip({2, is24, a, NSTestSupport::Noise(n, hi, 99)});
            }
        }
    }
}

TEST(Codec, FullScale24BitWrapsAveragesAndStillRoundTrips) {
    // Fourth differences of alternating extremes reach 2^28, so their
    // averages pass 2^32; the chosen order must follow the wrapped values.
    CSignal s{2, true, Square(20000, 8388607, -8388608, 1), Square(20000, -8388608, 8388607, 2)};
    ExpectRoundTrip(s);
}

TEST(Codec, MemoryDecoderReadsNativeWordsAndUnderflows) {
    CSignal s{2, false, NSTestSupport::Noise(1500, 30000, 1), NSTestSupport::Noise(1500, 30000, 2)};
    const auto words = Words(Encode(s));
    COptimizedDWOPDecompressor decoder(2);
    decoder.SetInput(static_cast<uint32_t>(words.size()), words.data());
    std::vector<int16_t> out(3000);
    decoder.Decode16(1500, out.data());
    EXPECT_EQ(std::vector<int32_t>(out.begin(), out.end()), Interleave(s));

    COptimizedDWOPDecompressor truncated(2);
    truncated.SetInput(static_cast<uint32_t>(words.size() / 2), words.data());
    EXPECT_THROW(truncated.Decode16(1500, out.data()), XUnderflowOnInputBitStream);
}

TEST(Codec, TruncatedMediaStreamIsBadFormat) {
    CSignal s{1, true, NSTestSupport::Noise(3000, 8000000, 3), {}};
    auto bytes = Encode(s);
    for (size_t keep : {bytes.size() - 4, bytes.size() / 2, size_t{3}, size_t{0}}) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(keep));
        EXPECT_THROW(Decode(cut, 1, true, 3000), XBadFormat) << keep;
    }
}

TEST(Codec, DivisorThatWouldBeZeroOrOverflowFailsCleanly) {
    // A first value of 2^31 - 1240 wraps every average to 0, so the next
    // value has no divisor: the encoder refuses, the decoder too.
    const int32_t wrapper = 2147482408;
    CSignal s{1, true, {wrapper, 0}, {}};
    EXPECT_THROW(Encode(s), XBadFormat);
    const auto one = Encode({1, true, {wrapper}, {}});
    EXPECT_EQ(Decode(one, 1, true, 1), std::vector<int32_t>{wrapper});
    auto padded = one;
    padded.insert(padded.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_THROW(Decode(padded, 1, true, 2), XBadFormat);

    // Only zero bits: the divisor would grow past 32 bits.
    EXPECT_THROW(Decode(std::vector<uint8_t>(64, 0), 2, false, 4), XBadFormat);
}

TEST(Codec, RefillsAndRunBoundariesLeaveTheDecodingUnchanged) {
    // Loud bursts between quiet stretches, over 64 KB so the media decoder
    // refills mid-stream.
    const int32_t frames = 30000;
    CSignal s{2, true, {}, {}};
    for (int32_t start = 0; start < frames; start += 1500) {
        const int32_t amplitude = (start / 1500) % 2 ? 8388607 : 300;
        const auto l = NSTestSupport::Noise(1500, amplitude, static_cast<uint32_t>(start));
        const auto r = NSTestSupport::Noise(1500, amplitude, static_cast<uint32_t>(start + 1));
        s.left.insert(s.left.end(), l.begin(), l.end());
        s.right.insert(s.right.end(), r.begin(), r.end());
    }
    const auto bytes = Encode(s);
    ASSERT_GT(bytes.size(), 4u * COptimizedDWOPDecompressorFromMedia::kBufferWords);
    EXPECT_EQ(Decode(bytes, 2, true, frames), Interleave(s));
}

TEST(Codec, BothDecoderLoopsAgreeOnArbitraryBits) {
    // Crafted streams reach what no encoder writes (wrapped sums, huge
    // divisors, long escapes); the two loops must still agree on every
    // value and on where decoding fails.
    // Every value decoded in runs of 100 frames, up to the failure if any.
    auto run = [](std::vector<uint8_t> bytes, int channels, bool is24) {
        NSTambor::CMemoryMedia media(bytes.data(), static_cast<int32_t>(bytes.size()));
        COptimizedDWOPDecompressorFromMedia decoder(media, channels);
        std::vector<int32_t> out, run(static_cast<size_t>(100 * channels));
        std::vector<int16_t> run16(run.size());
        try {
            for (int i = 0; i < 30; ++i) {
                if (is24) {
                    decoder.Decode24(100, run.data());
                } else {
                    decoder.Decode16(100, run16.data());
                    run.assign(run16.begin(), run16.end());
                }
                out.insert(out.end(), run.begin(), run.end());
            }
        } catch (const XBadFormat&) {
            out.push_back(0x0BADF00D);
        }
        return out;
    };
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        const auto noise = NSTestSupport::Noise(6000 + seed * 50, 0x7FFFFFFF, seed);
        std::vector<uint8_t> bytes;
        for (int32_t v : noise) {
            // Sparse ones make long values and escapes, dense ones short values.
            const uint32_t u = static_cast<uint32_t>(v);
            bytes.push_back(static_cast<uint8_t>(seed % 3 == 0 ? u & (u >> 8) & (u >> 16) : u));
        }
        for (int layout = 0; layout < 4; ++layout) {
            const int channels = 1 + layout % 2;
            const bool is24 = layout >= 2;
            COptimizedDWOPDecompressor::AllowVectorLoop(true);
            const auto fast = run(bytes, channels, is24);
            COptimizedDWOPDecompressor::AllowVectorLoop(false);
            const auto portable = run(bytes, channels, is24);
            COptimizedDWOPDecompressor::AllowVectorLoop(true);
            ASSERT_EQ(fast, portable) << "seed " << seed << ", layout " << layout;
        }
    }
}

TEST(Codec, BothEncoderFormsAgreeOnAnyValues) {
    // Full 32-bit values wrap the sums and averages and reach escapes and
    // divisors that no 24-bit sound does; both forms must write the same
    // bytes, or both refuse.
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        const int32_t amplitude = seed % 2 ? 0x7FFFFFFF : 1 << (seed % 24);
        const size_t n = 500 + seed * 37;
        CSignal s{seed % 3 == 0 ? 1 : 2, true, NSTestSupport::Noise(n, amplitude, seed),
                  NSTestSupport::Noise(n, amplitude, seed + 100)};
        std::vector<uint8_t> results[2];
        for (bool vector : {false, true}) {
            CDWOPCompressor::AllowVectorLoop(vector);
            try {
                results[vector] = Encode(s);
            } catch (const XBadFormat&) {
                results[vector] = {0xBA, 0xD0};
            }
        }
        CDWOPCompressor::AllowVectorLoop(true);
        ASSERT_EQ(results[0], results[1]) << "seed " << seed;
    }
}
