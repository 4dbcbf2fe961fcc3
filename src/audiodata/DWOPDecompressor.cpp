#include "audiodata/DWOPDecompressor.h"

#include <algorithm>
#include <atomic>
#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#define ZUBRIK_DWOP_VECTOR_DECODER 1
#else
#define ZUBRIK_DWOP_VECTOR_DECODER 0
#endif

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

// The largest remainder field the fast path takes: with at least 32 bits
// buffered, six quotient zeros, the one bit and this many remainder bits are
// always there.
constexpr unsigned kFastFieldBits = 25;

// The reader of the fast loop, all in locals of the caller.
//
// The bits below `count` may hold the stream bits that follow rather than
// zeros: the next word is or-ed in at `count` before every value whether or
// not all of it fits, and counted as read only when it does. Or-ing the same
// stream bits in again later changes nothing, and the next value need not
// wait for the decision whether a word was due. The checked reader only
// ever looks at the bits below `count`, so it takes this state as it is.
struct SFastReader {
    uint64_t bits;
    unsigned count; // below 64 between values
    const uint32_t* p;

    // Leaves at least 32 bits buffered. The word counts as read when fewer
    // than 32 bits were left; setting bit 5 of the count (below 64) then
    // adds the 32.
    __attribute__((always_inline)) void TopUp() {
        bits |= (static_cast<uint64_t>(*p) << 32) >> count;
        p += count < 32;
        count |= 32;
    }

    // Any quotient and any remainder, bounded for crafted input: the rare
    // values the fast path leaves out.
    __attribute__((noinline)) uint32_t SlowResidual(uint32_t m) {
        uint32_t zeros = 0;
        for (;;) {
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
            bits = static_cast<uint64_t>(*p++) << 32;
            count = 32;
        }
        uint32_t qsum = 0;
        for (uint32_t i = 0; i < zeros / 7; ++i) {
            qsum += 7u * m;
            if (m > kLargestGrowableDivisor) throw XBadFormat();
            m <<= 2;
        }
        qsum += (zeros % 7) * m;
        const unsigned b = BitLength(m);
        const uint32_t t = static_cast<uint32_t>((uint64_t{1} << b) - m);
        if (count < b) {
            bits |= static_cast<uint64_t>(*p++) << (32 - count);
            count += 32;
        }
        const uint32_t v = static_cast<uint32_t>(bits >> (64 - b));
        const uint32_t half = v >> 1;
        const bool wide = half >= t;
        const unsigned used = b - 1 + (wide ? 1u : 0u);
        bits <<= used;
        count -= used;
        return qsum + (wide ? v - t : half);
    }

    // One residual with divisor m (not zero) of bit length b: the one bit
    // after z < 7 zero bits, then b - 1 bits, or b bits less t when those
    // reach 2t. Both field widths are common, so the choice is a
    // conditional move; the whole value leaves the buffer in one shift.
    __attribute__((always_inline)) uint32_t Residual(uint32_t m, unsigned b) {
        TopUp();
        if (__builtin_expect(((bits >> 57) == 0) | (b > kFastFieldBits), 0)) {
            // Through a copy: the reader itself never has its address taken,
            // which keeps it in registers.
            SFastReader slow = *this;
            const uint32_t u = slow.SlowResidual(m);
            *this = slow;
            return u;
        }
        const uint32_t t = (uint32_t{1} << b) - m;
        const unsigned z = static_cast<unsigned>(__builtin_clzll(bits));
        const uint32_t v = static_cast<uint32_t>((bits << (z + 1)) >> (64 - b));
        // Either width is as likely as the other; told so, the compiler
        // picks with conditional moves instead of a branch that would guess
        // wrong half the time.
        const bool wide = __builtin_expect_with_probability(v >= 2 * t, 1, 0.5);
        const uint32_t r = wide ? v - t : v >> 1;
        const unsigned used = z + b + wide;
        bits <<= used;
        count -= used;
        return z * m + r;
    }
};

// One value while at least kSafeWords words are left: no bounds checks.
__attribute__((always_inline)) inline uint32_t FastValue(SFastReader& in, SLane& c) {
    const SPrediction p = Predict(c);
    const uint32_t m = GolombParameter(p.smallest);
    if (__builtin_expect(m == 0, 0)) throw XBadFormat();
    const uint32_t x = UnZigZag(in.Residual(m, BitLength(m))) + p.base;
    Advance(c, p, x);
    return x;
}

// The same near the end of the words, through the checked reader.
template <typename TReader>
inline uint32_t CheckedValue(TReader& in, SLane& c) {
    const SPrediction p = Predict(c);
    uint32_t m = GolombParameter(p.smallest);
    if (m == 0) throw XBadFormat();
    const uint32_t qsum = in.ReadQuotient(m);
    const uint32_t x = UnZigZag(qsum + in.ReadRemainder(m)) + p.base;
    Advance(c, p, x);
    return x;
}

// One frame near the end of the words, on the states of the object.
template <typename TOut, int kChannels, typename TReader>
__attribute__((noinline)) void CheckedFrame(TReader& in, CDWOPChannelState* states, TOut* out) {
    SLane left(states[0]);
    const uint32_t l = CheckedValue(in, left);
    left.StoreTo(states[0]);
    out[0] = static_cast<TOut>(l);
    if constexpr (kChannels == 2) {
        SLane side(states[1]);
        const uint32_t s = CheckedValue(in, side);
        side.StoreTo(states[1]);
        out[1] = static_cast<TOut>(l + s);
    }
}

// The frames of one safe run with the portable predictor; returns the
// frame after the run.
template <typename TOut, int kChannels>
int32_t PortableRun(SFastReader& in, SLane& left, SLane& side, TOut* out, int32_t i, int32_t end) {
    for (; i < end; ++i) {
        const uint32_t l = FastValue(in, left);
        if constexpr (kChannels == 1) {
            out[i] = static_cast<TOut>(l);
        } else {
            const uint32_t s = FastValue(in, side);
            out[2 * i] = static_cast<TOut>(l);
            out[2 * i + 1] = static_cast<TOut>(l + s);
        }
    }
    return i;
}

#if ZUBRIK_DWOP_VECTOR_DECODER
#define ZUBRIK_VECTOR_TARGET __attribute__((target("avx2,bmi,bmi2,lzcnt")))

// Processors with AVX2, BMI2 and LZCNT (nearly every x86-64 one of the last
// decade) decode through a second form of the same loop. Decoding is one long
// chain from each sample to the next one's divisor, so this form is built to
// shorten it: the fifth order's average and sum are repeated across a vector
// of their own, the smallest average comes from vector minimums without
// taking lanes out one by one, and its order from a mask of the lanes that
// hold it. The results are the same bit for bit.
struct SVectorLane {
    __m128i a;  // averages of orders 0 to 3
    __m128i a4; // average of order 4 in every lane
    __m128i s;  // sums below orders 0 to 3: 0, d0, d0 + d1, d0 + d1 + d2
    __m128i s4; // sum below order 4 in every lane
};

ZUBRIK_VECTOR_TARGET SVectorLane ToVector(const SLane& c) {
    SVectorLane v;
    v.a = reinterpret_cast<__m128i>(c.a);
    v.s = reinterpret_cast<__m128i>(c.s);
    v.a4 = _mm_set1_epi32(static_cast<int>(c.a4));
    v.s4 = _mm_set1_epi32(static_cast<int>(c.s4));
    return v;
}

ZUBRIK_VECTOR_TARGET void FromVector(const SVectorLane& v, SLane& c) {
    c.a = reinterpret_cast<TVec>(v.a);
    c.s = reinterpret_cast<TVec>(v.s);
    c.a4 = static_cast<uint32_t>(_mm_cvtsi128_si32(v.a4));
    c.s4 = static_cast<uint32_t>(_mm_cvtsi128_si32(v.s4));
}

// The residual with the divisor shifted up to the top of the word (lz its
// leading zeros): the wide field is due exactly when half the next 32 bits
// reach 2^32 less that shifted divisor, and either field is then one shift
// away, with no power of two or threshold to build first.
ZUBRIK_VECTOR_TARGET __attribute__((always_inline)) inline uint32_t VectorResidual(SFastReader& in,
                                                                                  uint32_t m) {
    in.TopUp();
    if (__builtin_expect((in.bits >> 57) == 0, 0)) {
        SFastReader slow = in;
        const uint32_t u = slow.SlowResidual(m);
        in = slow;
        return u;
    }
    // m < 2^25 always (an average over 2^7), so the field fits the 32 bits.
    const unsigned lz = static_cast<unsigned>(__builtin_clz(m));
    const unsigned z = static_cast<unsigned>(__builtin_clzll(in.bits));
    const uint32_t next = static_cast<uint32_t>((in.bits << (z + 1)) >> 32);
    const uint32_t half = next >> 1;
    const uint32_t room = (0u - m) << lz; // 2^32 - (m << lz)
    // One comparison serves both the choice of field and the bit count; the
    // compiler, left to itself, compares twice or branches.
    uint32_t field = next + (m << lz);
    unsigned used = z + 33 - lz;
    asm("cmp %[room], %[half]\n\t"
        "cmovb %[half], %[field]\n\t" // short field: the b - 1 bits
        "sbb $0, %[used]"                // ... and one bit fewer
        : [field] "+r"(field), [used] "+r"(used)
        : [half] "r"(half), [room] "r"(room)
        : "cc");
    field >>= lz;
    in.bits <<= used;
    in.count -= used;
    return z * m + field;
}

ZUBRIK_VECTOR_TARGET __attribute__((always_inline)) inline uint32_t VectorValue(SFastReader& in,
                                                                               SVectorLane& c) {
    const __m128i a = c.a;
    __m128i smallest = _mm_min_epu32(_mm_min_epu32(a, c.a4), _mm_shuffle_epi32(a, 0xB1));
    smallest = _mm_min_epu32(smallest, _mm_shuffle_epi32(smallest, 0x4E));
    // The lowest lane holding the smallest average is its order; none is
    // order 4.
    const int held = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a, smallest)));
    const unsigned order = static_cast<unsigned>(__builtin_ctz(static_cast<unsigned>(held) | 16u));
    alignas(16) uint32_t sums[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), c.s);
    _mm_store_si128(reinterpret_cast<__m128i*>(sums + 4), c.s4);
    const uint32_t base = sums[order];
    const uint32_t m = GolombParameter(static_cast<uint32_t>(_mm_cvtsi128_si32(smallest)));
    if (__builtin_expect(m == 0, 0)) throw XBadFormat();
    const uint32_t u = VectorResidual(in, m);
    const uint32_t x = UnZigZag(u) + base;

    const __m128i xs = _mm_set1_epi32(static_cast<int>(x));
    const __m128i n = _mm_sub_epi32(xs, c.s);
    const __m128i n4 = _mm_sub_epi32(xs, c.s4);
    const __m128i zz = _mm_xor_si128(_mm_add_epi32(n, n), _mm_srai_epi32(n, 31));
    const __m128i zz4 = _mm_xor_si128(_mm_add_epi32(n4, n4), _mm_srai_epi32(n4, 31));
    c.a = _mm_add_epi32(_mm_sub_epi32(a, _mm_srli_epi32(a, 5)), zz);
    c.a4 = _mm_add_epi32(_mm_sub_epi32(c.a4, _mm_srli_epi32(c.a4, 5)), zz4);
    // New sums {0, x, x + n1, x + n1 + n2}, and x + n1 + n2 + n3 in every lane.
    __m128i t = _mm_slli_si128(n, 4);
    t = _mm_add_epi32(t, _mm_slli_si128(t, 4));
    t = _mm_add_epi32(t, _mm_slli_si128(t, 8));
    c.s4 = _mm_shuffle_epi32(_mm_add_epi32(t, n), 0xFF);
    c.s = t;
    return x;
}

template <typename TOut, int kChannels>
ZUBRIK_VECTOR_TARGET int32_t VectorRun(SFastReader& reader, SLane& left, SLane& side, TOut* out,
                                       int32_t i, int32_t end) {
    SFastReader in = reader;
    SVectorLane l = ToVector(left), s = ToVector(side);
    for (; i < end; ++i) {
        const uint32_t x = VectorValue(in, l);
        if constexpr (kChannels == 1) {
            out[i] = static_cast<TOut>(x);
        } else {
            const uint32_t y = VectorValue(in, s);
            out[2 * i] = static_cast<TOut>(x);
            out[2 * i + 1] = static_cast<TOut>(x + y);
        }
    }
    reader = in;
    FromVector(l, left);
    FromVector(s, side);
    return i;
}
#else
template <typename TOut, int kChannels>
int32_t VectorRun(SFastReader& in, SLane& left, SLane& side, TOut* out, int32_t i, int32_t end) {
    return PortableRun<TOut, kChannels>(in, left, side, out, i, end);
}
#endif

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

int64_t COptimizedDWOPDecompressor::GetUnreadBits() const
{
    return int64_t{fBitCount} + 32 * int64_t(fWordsEnd - fWords) + 8 * GetUnreadInputBytes();
}

namespace {
std::atomic<bool> gVectorLoopAllowed{true};
}

bool COptimizedDWOPDecompressor::UsesVectorLoop() {
    return gVectorLoopAllowed.load(std::memory_order_relaxed) && HasVectorCodecInstructions();
}

void COptimizedDWOPDecompressor::AllowVectorLoop(bool allowed) {
    gVectorLoopAllowed.store(allowed, std::memory_order_relaxed);
}

template <typename TOut, int kChannels>
void COptimizedDWOPDecompressor::Decode(int32_t frameCount, TOut* out) {
    SLane left(fStates[0]), side(fStates[1]);
    SFastReader fast{fBits, fBitCount, fWords};
    const bool vector = UsesVectorLoop();
    int32_t i = 0;
    while (i < frameCount) {
        // The fast loop runs while a whole frame's worst case is in the
        // words: each frame takes fewer than kSafeWords, so a run of frames
        // whose count is known at its start is safe without checks inside.
        const ptrdiff_t wordsLeft = fWordsEnd - fast.p;
        const int32_t safeFrames = wordsLeft < kSafeWords
            ? 0
            : static_cast<int32_t>(std::min<ptrdiff_t>(frameCount - i,
                                                       (wordsLeft - kSafeWords) / kSafeWords + 1));
        i = vector ? VectorRun<TOut, kChannels>(fast, left, side, out, i, i + safeFrames)
                   : PortableRun<TOut, kChannels>(fast, left, side, out, i, i + safeFrames);
        if (i == frameCount) break;
        if (safeFrames > 0) continue;
        // One frame through the checked reader, which refills or fails. It
        // works on the object, so that the lanes above never have their
        // addresses taken and stay in registers.
        fBits = fast.bits;
        fBitCount = fast.count;
        fWords = fast.p;
        left.StoreTo(fStates[0]);
        side.StoreTo(fStates[1]);
        SReader in(*this);
        CheckedFrame<TOut, kChannels>(in, fStates, out + kChannels * i);
        in.Store();
        left = SLane(fStates[0]);
        side = SLane(fStates[1]);
        fast = SFastReader{fBits, fBitCount, fWords};
        ++i;
    }
    fBits = fast.bits;
    fBitCount = fast.count;
    fWords = fast.p;
    left.StoreTo(fStates[0]);
    side.StoreTo(fStates[1]);
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

int64_t COptimizedDWOPDecompressorFromMedia::GetUnreadInputBytes() const
{
    return int64_t{fMedia.GetSize()} - fMedia.GetPosition();
}

void COptimizedDWOPDecompressorFromMedia::Refill() {
    const int32_t position = fMedia.GetPosition();
    const int64_t remaining = int64_t{fMedia.GetSize()} - position;
    if (remaining < 4) throw XBadFormat();
    const uint32_t words = static_cast<uint32_t>(
        remaining / 4 < int64_t{kBufferWords} ? remaining / 4 : int64_t{kBufferWords});
    uint8_t* bytes = reinterpret_cast<uint8_t*>(fBuffer.get());
    fMedia.ReadAt(position, static_cast<int32_t>(words * 4), bytes);
    // Big-endian on disk; turned in place, a loop the compiler vectorises.
    uint32_t* w = fBuffer.get();
    if constexpr (std::endian::native == std::endian::little) {
        for (uint32_t i = 0; i < words; ++i) w[i] = __builtin_bswap32(w[i]);
    }
    SetMoreWords(words, fBuffer.get());
}

} // namespace NSZubrik
