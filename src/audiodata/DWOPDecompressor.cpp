#include "audiodata/DWOPDecompressor.h"

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

namespace NSZubrik {

using namespace NSDWOP;

namespace {

// The largest divisor that may still be quadrupled without leaving 32 bits.
// A stream from the encoder never gets there; crafted bits may.
constexpr uint32_t kLargestGrowableDivisor = 0x3FFFFFFFu;

// No valid stream has more escape steps than a divisor can grow: 16 steps of
// seven zero bits take any divisor of at least 1 past 32 bits.
constexpr uint32_t kMostZeroBits = 7u * 16u;

} // namespace

// The bit reader in locals of the decode loop; it goes back to the object only
// around a refill and at the end of a call.
struct COptimizedDWOPDecompressor::SReader {
    COptimizedDWOPDecompressor& owner;
    uint64_t bits;
    unsigned count;
    const uint32_t* p;
    const uint32_t* end;

    explicit SReader(COptimizedDWOPDecompressor& o)
        : owner(o), bits(o.fBits), count(o.fBitCount), p(o.fWords), end(o.fWordsEnd) {}

    void Store() {
        owner.fBits = bits;
        owner.fBitCount = count;
        owner.fWords = p;
        owner.fWordsEnd = end;
    }

    // Requires count ≤ 31, so that count stays below 64 afterwards.
    void LoadWord() {
        if (p == end) {
            Store();
            owner.Refill();
            p = owner.fWords;
            end = owner.fWordsEnd;
            if (p == end) throw XUnderflowOnInputBitStream();
        }
        bits |= static_cast<uint64_t>(*p++) << (32 - count);
        count += 32;
    }

    void Need(unsigned n) {
        if (count < n) LoadWord();
    }

    void Consume(unsigned n) {
        bits <<= n;
        count -= n;
    }

    // Counts zero bits up to the next one bit (consumed as well), across
    // words, bounded so that crafted input cannot run on.
    uint32_t CountZeros() {
        uint32_t zeros = 0;
        for (;;) {
            if (count == 0) LoadWord();
            const unsigned z = bits == 0 ? 64u : static_cast<unsigned>(__builtin_clzll(bits));
            if (z < count) {
                Consume(z + 1);
                return zeros + z;
            }
            zeros += count;
            bits = 0;
            count = 0;
            if (zeros > kMostZeroBits) throw XBadFormat();
        }
    }

    // The quotient part: the sum of divisors for every zero bit, the divisor
    // growing fourfold after each run of seven.
    uint32_t ReadQuotient(uint32_t& m) {
        if (count >= 8 && (bits >> 56) != 0) {
            const unsigned z = static_cast<unsigned>(__builtin_clzll(bits));
            Consume(z + 1);
            if (z < 7) return z * m;
            const uint32_t qsum = 7u * m;
            GrowDivisor(m);
            return qsum;
        }
        const uint32_t zeros = CountZeros();
        uint32_t qsum = 0;
        for (uint32_t i = 0; i < zeros / 7; ++i) {
            qsum += 7u * m;
            GrowDivisor(m);
        }
        return qsum + (zeros % 7) * m;
    }

    static void GrowDivisor(uint32_t& m) {
        if (m > kLargestGrowableDivisor) throw XBadFormat();
        m <<= 2;
    }

    // The remainder in truncated binary: b − 1 bits, one more when the value
    // reaches the threshold t.
    uint32_t ReadRemainder(uint32_t m) {
        const unsigned b = BitLength(m);
        const uint32_t t = static_cast<uint32_t>((uint64_t{1} << b) - m);
        if (count >= b) {
            const uint32_t v = static_cast<uint32_t>(bits >> (64 - b));
            const uint32_t r = v >> 1;
            if (r >= t) {
                Consume(b);
                return v - t;
            }
            Consume(b - 1);
            return r;
        }
        // Near the end of the input only the bits really needed are loaded.
        Need(b - 1);
        uint32_t r = b == 1 ? 0u : static_cast<uint32_t>(bits >> (65 - b));
        Consume(b - 1);
        if (r >= t) {
            Need(1);
            const uint32_t c = static_cast<uint32_t>(bits >> 63);
            Consume(1);
            r = 2 * r + c - t;
        }
        return r;
    }
};

namespace {

// Words that one stereo frame can take at most, with margin: two values of
// at most 112 zero bits, the one bit and a 32-bit remainder each.
constexpr ptrdiff_t kSafeWords = 16;

// The order's predictor and the smallest average, chosen together. Every new
// difference is the new sample minus the sum of the old differences below it
// (which is the same as rebuilding downwards and upwards from the coded
// order), so the sample is the residual plus the sum below the order.
#define DWOP_SELECT_ORDER(d, a, smallest, sums)                  \
    uint32_t sums[5];                                           \
    sums[0] = 0;                                                \
    sums[1] = d[0];                                             \
    sums[2] = sums[1] + d[1];                                   \
    sums[3] = sums[2] + d[2];                                   \
    sums[4] = sums[3] + d[3];                                   \
    uint32_t smallest;                                          \
    const unsigned order = SmallestAverage(a, smallest);

// The sums are independent of each other, which keeps the chain from one
// sample to the next short.
inline void Advance(uint32_t x, const uint32_t sums[5], uint32_t d[5], uint32_t a[5]) {
    d[0] = x;
    d[1] = x - sums[1];
    d[2] = x - sums[2];
    d[3] = x - sums[3];
    d[4] = x - sums[4];
    UpdateAverages(a, d);
}

// One value while at least kSafeWords words are left: no bounds checks, and
// every piece of reader state is a local of the caller.
__attribute__((always_inline)) inline uint32_t FastValue(uint64_t& bits, unsigned& count,
                                                         const uint32_t*& p, uint32_t d[5],
                                                         uint32_t a[5]) {
    DWOP_SELECT_ORDER(d, a, smallest, sums)
    uint32_t m = GolombParameter(smallest);
    if (__builtin_expect(m == 0, 0)) throw XBadFormat();
    // Top the buffer up to more than 32 bits. Whether a word is due depends
    // on the data, so the load is made unconditionally and masked in.
    {
        const uint64_t due = 0 - static_cast<uint64_t>(count <= 32);
        bits |= (static_cast<uint64_t>(*p) << ((32 - count) & 63)) & due;
        p += due & 1;
        count += static_cast<unsigned>(due & 32);
    }
    uint32_t qsum;
    if (__builtin_expect((bits >> 57) != 0, 1)) {
        const unsigned z = static_cast<unsigned>(__builtin_clzll(bits));
        bits <<= z + 1;
        count -= z + 1;
        qsum = z * m;
    } else {
        uint32_t zeros = 0;
        for (;;) {
            if (count < 32) {
                bits |= static_cast<uint64_t>(*p++) << (32 - count);
                count += 32;
            }
            const unsigned z = bits == 0 ? 64u : static_cast<unsigned>(__builtin_clzll(bits));
            if (z < count) {
                bits <<= z; // in two steps: z + 1 may be 64
                bits <<= 1;
                count -= z + 1;
                zeros += z;
                break;
            }
            zeros += count;
            bits = 0;
            count = 0;
            if (zeros > kMostZeroBits) throw XBadFormat();
        }
        qsum = 0;
        for (uint32_t i = 0; i < zeros / 7; ++i) {
            qsum += 7u * m;
            if (m > kLargestGrowableDivisor) throw XBadFormat();
            m <<= 2;
        }
        qsum += (zeros % 7) * m;
    }
    const unsigned b = BitLength(m);
    const uint32_t t = static_cast<uint32_t>((uint64_t{1} << b) - m);
    if (count < b) {
        bits |= static_cast<uint64_t>(*p++) << (32 - count);
        count += 32;
    }
    // b - 1 bits, or b bits less t when they reach t: chosen by masks, as
    // both cases are common.
    const uint32_t v = static_cast<uint32_t>(bits >> (64 - b));
    const uint32_t half = v >> 1;
    const uint32_t wide = 0u - static_cast<uint32_t>(half >= t);
    const uint32_t r = half ^ ((half ^ (v - t)) & wide);
    const unsigned used = b - 1 + (wide & 1u);
    bits <<= used;
    count -= used;
    const uint32_t x = UnZigZag(qsum + r) + sums[order];
    Advance(x, sums, d, a);
    return x;
}

// The same near the end of the words, through the checked reader.
template <typename TReader>
inline uint32_t CheckedValue(TReader& in, uint32_t d[5], uint32_t a[5]) {
    DWOP_SELECT_ORDER(d, a, smallest, sums)
    uint32_t m = GolombParameter(smallest);
    if (m == 0) throw XBadFormat();
    const uint32_t qsum = in.ReadQuotient(m);
    const uint32_t x = UnZigZag(qsum + in.ReadRemainder(m)) + sums[order];
    Advance(x, sums, d, a);
    return x;
}

#undef DWOP_SELECT_ORDER

} // namespace

COptimizedDWOPDecompressor::COptimizedDWOPDecompressor(int channelCount)
    : fChannelCount(channelCount == 2 ? 2 : 1) {}

COptimizedDWOPDecompressor::~COptimizedDWOPDecompressor() = default;

void COptimizedDWOPDecompressor::SetInput(uint32_t wordCount, const uint32_t* words) {
    SetMoreWords(wordCount, words);
    fBits = 0;
    fBitCount = 0;
}

void COptimizedDWOPDecompressor::SetMoreWords(uint32_t wordCount, const uint32_t* words) {
    fWords = words;
    fWordsEnd = words + wordCount;
}

void COptimizedDWOPDecompressor::Refill() { throw XUnderflowOnInputBitStream(); }

template <typename TOut, int kChannels>
void COptimizedDWOPDecompressor::Decode(int32_t frameCount, TOut* out) {
    uint32_t d0[5], a0[5], d1[5], a1[5];
    for (int j = 0; j < 5; ++j) {
        d0[j] = fStates[0].fDelta[j];
        a0[j] = fStates[0].fAverage[j];
        d1[j] = fStates[1].fDelta[j];
        a1[j] = fStates[1].fAverage[j];
    }
    uint64_t bits = fBits;
    unsigned count = fBitCount;
    const uint32_t* p = fWords;
    int32_t i = 0;
    while (i < frameCount) {
        // The fast loop runs while a whole frame's worst case is in the words.
        for (; i < frameCount && fWordsEnd - p >= kSafeWords; ++i) {
            const uint32_t l = FastValue(bits, count, p, d0, a0);
            if constexpr (kChannels == 1) {
                out[i] = static_cast<TOut>(l);
            } else {
                const uint32_t side = FastValue(bits, count, p, d1, a1);
                out[2 * i] = static_cast<TOut>(l);
                out[2 * i + 1] = static_cast<TOut>(l + side);
            }
        }
        if (i == frameCount) break;
        // One frame through the checked reader, which refills or fails.
        fBits = bits;
        fBitCount = count;
        fWords = p;
        SReader in(*this);
        const uint32_t l = CheckedValue(in, d0, a0);
        if constexpr (kChannels == 1) {
            out[i] = static_cast<TOut>(l);
        } else {
            const uint32_t side = CheckedValue(in, d1, a1);
            out[2 * i] = static_cast<TOut>(l);
            out[2 * i + 1] = static_cast<TOut>(l + side);
        }
        in.Store();
        bits = fBits;
        count = fBitCount;
        p = fWords;
        ++i;
    }
    fBits = bits;
    fBitCount = count;
    fWords = p;
    for (int j = 0; j < 5; ++j) {
        fStates[0].fDelta[j] = d0[j];
        fStates[0].fAverage[j] = a0[j];
        fStates[1].fDelta[j] = d1[j];
        fStates[1].fAverage[j] = a1[j];
    }
}

void COptimizedDWOPDecompressor::Decode16(int32_t frameCount, int16_t* out16) {
    if (fChannelCount == 2)
        Decode<int16_t, 2>(frameCount, out16);
    else
        Decode<int16_t, 1>(frameCount, out16);
}

void COptimizedDWOPDecompressor::Decode24(int32_t frameCount, int32_t* out32) {
    if (fChannelCount == 2)
        Decode<int32_t, 2>(frameCount, out32);
    else
        Decode<int32_t, 1>(frameCount, out32);
}

COptimizedDWOPDecompressorFromMedia::COptimizedDWOPDecompressorFromMedia(
    NSTambor::CMedia& media, int channelCount)
    : COptimizedDWOPDecompressor(channelCount), fMedia(media),
      fBuffer(new uint32_t[kBufferWords]) {}

COptimizedDWOPDecompressorFromMedia::~COptimizedDWOPDecompressorFromMedia() = default;

void COptimizedDWOPDecompressorFromMedia::Refill() {
    const int32_t position = fMedia.GetPosition();
    const int64_t remaining = int64_t{fMedia.GetSize()} - position;
    if (remaining < 4) throw XBadFormat();
    const uint32_t words = static_cast<uint32_t>(
        remaining / 4 < int64_t{kBufferWords} ? remaining / 4 : int64_t{kBufferWords});
    uint8_t* bytes = reinterpret_cast<uint8_t*>(fBuffer.get());
    fMedia.ReadAt(position, static_cast<int32_t>(words * 4), bytes);
    for (uint32_t i = 0; i < words; ++i) {
        const uint8_t* b = bytes + 4 * i;
        fBuffer[i] = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) |
                     (uint32_t{b[2]} << 8) | uint32_t{b[3]};
    }
    SetMoreWords(words, fBuffer.get());
}

} // namespace NSZubrik
