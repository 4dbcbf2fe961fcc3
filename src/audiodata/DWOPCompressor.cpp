#include "audiodata/DWOPCompressor.h"

#include <algorithm>
#include <atomic>

#include "app/ZubrikErrors.h"
#include "audiodata/OutputBitStream.h"

// The encoder knows every sample in advance, so it works through a block of
// frames in passes instead of value by value: the differences and their
// zig-zag magnitudes for the whole block, then the averages (the only
// recurrence besides the bit packing), then the order, divisor and complete
// code of every value side by side in vectors, and last the packing of the
// codes into the stream. Only the passes over the averages and the packing
// run value by value; everything else runs four (or, with AVX2, eight)
// values at a time.

namespace NSZubrik {

namespace {

using SCursor = COutputBitStream::SCursor;

// Vectors of N 32-bit lanes, a GCC and Clang extension: four lanes become
// SSE2, eight lanes AVX2 in the functions built for it. Unsigned lanes wrap
// like the codec's arithmetic.
template <int N>
struct SVec;
template <>
struct SVec<4> {
    using U = uint32_t __attribute__((vector_size(16)));
    using S = int32_t __attribute__((vector_size(16)));
    using F = float __attribute__((vector_size(16)));
};
template <>
struct SVec<8> {
    using U = uint32_t __attribute__((vector_size(32)));
    using S = int32_t __attribute__((vector_size(32)));
    using F = float __attribute__((vector_size(32)));
};
using TVec = SVec<4>::U;

#define ZUBRIK_INLINE __attribute__((always_inline)) inline

// Frames per pass: the working set of both channels stays within the L1 cache.
// A whole number of the widest vector groups, so that the passes can run the
// last group to its end without leaving the arrays.
constexpr int kBlockFrames = 128;
static_assert(kBlockFrames % 8 == 0);
constexpr int kOrders = 5;
constexpr uint32_t kSignBit = 0x80000000u;

ZUBRIK_INLINE uint32_t NextAverage(uint32_t average, uint32_t magnitude) {
    return magnitude + average - (average >> 5);
}

// A vector at any position in an array of words: a packed record lets the
// compiler use unaligned moves, and may_alias lets it overlay the words.
template <typename TV>
struct __attribute__((packed, may_alias)) SUnaligned {
    TV v;
};

// Loads and stores of a vector anywhere in an array of words. The vector is
// passed by reference: wide vectors are never passed by value, whose calling
// convention would depend on the instruction set.
template <typename TV>
ZUBRIK_INLINE void Load(TV& v, const uint32_t* p) {
    v = reinterpret_cast<const SUnaligned<TV>*>(p)->v;
}

template <typename TV>
ZUBRIK_INLINE void Store(uint32_t* p, const TV& v) {
    reinterpret_cast<SUnaligned<TV>*>(p)->v = v;
}

// Four rows of four lanes turned into four columns.
ZUBRIK_INLINE void Transpose(TVec& r0, TVec& r1, TVec& r2, TVec& r3) {
    const TVec t0 = __builtin_shufflevector(r0, r1, 0, 4, 1, 5);
    const TVec t1 = __builtin_shufflevector(r2, r3, 0, 4, 1, 5);
    const TVec t2 = __builtin_shufflevector(r0, r1, 2, 6, 3, 7);
    const TVec t3 = __builtin_shufflevector(r2, r3, 2, 6, 3, 7);
    r0 = __builtin_shufflevector(t0, t1, 0, 1, 4, 5);
    r1 = __builtin_shufflevector(t0, t1, 2, 3, 6, 7);
    r2 = __builtin_shufflevector(t2, t3, 0, 1, 4, 5);
    r3 = __builtin_shufflevector(t2, t3, 2, 3, 6, 7);
}

// One channel's values of a block on their way to the stream. The vector
// passes fill the last group of four or eight to its end; what lies beyond
// the block's values is never packed.
struct SChannelBlock {
    // The four samples before the block, then the block's samples.
    alignas(16) uint32_t x[4 + kBlockFrames];
    // Zig-zag magnitude of each order's difference, per value.
    alignas(16) uint32_t z[kOrders][kBlockFrames];
    // Each order's average as the value finds it.
    alignas(16) uint32_t a[kOrders][kBlockFrames];
    // The value's complete code (quotient bits, stop bit and remainder) and
    // its length; a length of 0 leaves the value to the escape path, which
    // takes the residual from code and the divisor from m.
    alignas(16) uint32_t code[kBlockFrames];
    alignas(16) uint32_t length[kBlockFrames];
    alignas(16) uint32_t m[kBlockFrames];
};

// The four samples before a state's latest differences follow from d0 … d3
// (every difference is the sample less the one before at the order below).
ZUBRIK_INLINE void LoadHistory(const CDWOPChannelState& st, uint32_t* x) {
    const uint32_t* d = st.fDelta;
    const uint32_t e1 = d[1];                       // x[-1] - x[-2]
    const uint32_t e2 = d[1] - d[2];                // x[-2] - x[-3]
    const uint32_t e3 = e2 - (d[2] - d[3]);         // x[-3] - x[-4]
    x[3] = d[0];
    x[2] = x[3] - e1;
    x[1] = x[2] - e2;
    x[0] = x[1] - e3;
}

// Differences of order 0 … 4 of every sample (backward differences of the
// sample sequence) and their zig-zag magnitudes. A plain loop over arrays,
// which the compiler turns into vector code.
ZUBRIK_INLINE void Differences(SChannelBlock& b, int count) {
    const uint32_t* x = b.x + 4;
    for (int i = 0; i < count; ++i) {
        const uint32_t x0 = x[i], x1 = x[i - 1], x2 = x[i - 2], x3 = x[i - 3], x4 = x[i - 4];
        const uint32_t d1 = x0 - x1, e1 = x1 - x2, f1 = x2 - x3, g1 = x3 - x4;
        const uint32_t d2 = d1 - e1, e2 = e1 - f1, f2 = f1 - g1;
        const uint32_t d3 = d2 - e2, e3 = e2 - f2;
        const uint32_t d4 = d3 - e3;
        b.z[0][i] = NSDWOP::ZigZag(x0);
        b.z[1][i] = NSDWOP::ZigZag(d1);
        b.z[2][i] = NSDWOP::ZigZag(d2);
        b.z[3][i] = NSDWOP::ZigZag(d3);
        b.z[4][i] = NSDWOP::ZigZag(d4);
    }
}

// Rolls the averages through count values (a multiple of four), recording
// them as each value finds them. Orders 0 … 3 go as one vector per value, so
// four values' magnitudes are turned from rows into columns on the way in
// and the averages back into rows on the way out; order 4 runs beside them.
ZUBRIK_INLINE void AveragesByFour(SChannelBlock& b, const CDWOPChannelState& st, int count) {
    const uint32_t* sa = st.fAverage;
    TVec v = {sa[0], sa[1], sa[2], sa[3]};
    uint32_t v4 = sa[4];
    for (int i = 0; i < count; i += 4) {
        TVec z0, z1, z2, z3;
        Load(z0, b.z[0] + i);
        Load(z1, b.z[1] + i);
        Load(z2, b.z[2] + i);
        Load(z3, b.z[3] + i);
        Transpose(z0, z1, z2, z3);
        TVec a0 = v;
        v = v + z0 - (v >> 5);
        TVec a1 = v;
        v = v + z1 - (v >> 5);
        TVec a2 = v;
        v = v + z2 - (v >> 5);
        TVec a3 = v;
        v = v + z3 - (v >> 5);
        Transpose(a0, a1, a2, a3);
        Store(b.a[0] + i, a0);
        Store(b.a[1] + i, a1);
        Store(b.a[2] + i, a2);
        Store(b.a[3] + i, a3);
        for (int k = i; k < i + 4; ++k) {
            b.a[4][k] = v4;
            v4 = NextAverage(v4, b.z[4][k]);
        }
    }
}

using TVec8 = SVec<8>::U;

// Eight rows of eight lanes turned into eight columns.
ZUBRIK_INLINE void Transpose(TVec8 (&r)[8]) {
    TVec8 t[8], u[8];
    for (int k = 0; k < 8; k += 2) {
        t[k] = __builtin_shufflevector(r[k], r[k + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        t[k + 1] = __builtin_shufflevector(r[k], r[k + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    for (int k = 0; k < 8; k += 4) {
        u[k] = __builtin_shufflevector(t[k], t[k + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        u[k + 1] = __builtin_shufflevector(t[k], t[k + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        u[k + 2] = __builtin_shufflevector(t[k + 1], t[k + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        u[k + 3] = __builtin_shufflevector(t[k + 1], t[k + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int k = 0; k < 4; ++k) {
        r[k] = __builtin_shufflevector(u[k], u[k + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[k + 4] = __builtin_shufflevector(u[k], u[k + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// The same for count values a multiple of eight, with all five orders in one
// vector of eight lanes per value (the last three stay zero).
ZUBRIK_INLINE void AveragesByEight(SChannelBlock& b, const CDWOPChannelState& st, int count) {
    const uint32_t* sa = st.fAverage;
    TVec8 v = {sa[0], sa[1], sa[2], sa[3], sa[4], 0, 0, 0};
    for (int i = 0; i < count; i += 8) {
        TVec8 r[8];
        for (int j = 0; j < kOrders; ++j) Load(r[j], b.z[j] + i);
        for (int j = kOrders; j < 8; ++j) r[j] = TVec8{};
        Transpose(r); // r[k]: the magnitudes of value i + k, order by order
        for (int k = 0; k < 8; ++k) {
            const TVec8 z = r[k];
            r[k] = v;
            v = v + z - (v >> 5);
        }
        Transpose(r); // r[j]: order j's averages for values i … i + 7
        for (int j = 0; j < kOrders; ++j) Store(b.a[j] + i, r[j]);
    }
}

// The order with the smallest average (the lower order on ties), its
// divisor, and the value's complete code, N values at a time.
template <int N>
ZUBRIK_INLINE void Codes(SChannelBlock& b, int count) {
    using U = typename SVec<N>::U;
    using S = typename SVec<N>::S;
    using F = typename SVec<N>::F;
    const U sign = U{} + kSignBit;
    for (int i = 0; i < count; i += N) {
        // Unsigned averages compared as signed lanes with the sign bit flipped.
        U a, z;
        Load(a, b.a[0] + i);
        Load(z, b.z[0] + i);
        S best = reinterpret_cast<S>(a ^ sign);
        S u = reinterpret_cast<S>(z);
        for (int j = 1; j < kOrders; ++j) {
            Load(a, b.a[j] + i);
            Load(z, b.z[j] + i);
            const S aj = reinterpret_cast<S>(a ^ sign);
            const S smaller = aj < best;
            best = smaller ? aj : best;
            u = smaller ? reinterpret_cast<S>(z) : u;
        }
        const U smallest = reinterpret_cast<U>(best) ^ sign;
        // Golomb parameter; below 2^25 since the sum wraps in 32 bits.
        const S m = reinterpret_cast<S>((smallest + smallest + smallest + 36) >> 7);
        // The escape (a quotient of seven or more) and a zero divisor, which
        // 7m = 0 includes, are left to the packer; 7m < 2^28 cannot wrap.
        const S sevenM = (m << 3) - m;
        const S flip = reinterpret_cast<S>(sign);
        const S escape = (u ^ flip) >= (sevenM ^ flip);
        // Otherwise u < 7m < 2^28: quotient and remainder in three halving
        // steps, signed compares being exact below 2^31.
        const S c4 = u >= (m << 2);
        const S u1 = u - ((m << 2) & c4);
        const S c2 = u1 >= (m << 1);
        const S u2 = u1 - ((m << 1) & c2);
        const S c1 = u2 >= m;
        const S r = u2 - (m & c1);
        const S q = (c4 & 4) | (c2 & 2) | (c1 & 1);
        // Bit length of m from the exponent of its float value, exact once
        // the lowest bit is dropped from the few values above 2^24 (which
        // cannot change their bit length).
        const S exact = m & ~(m >> 24);
        const S bits = reinterpret_cast<S>(__builtin_convertvector(exact, F));
        const S exponent = bits >> 23; // bit length of m + 126
        const S half = __builtin_convertvector(
            reinterpret_cast<F>(bits & static_cast<int32_t>(0xFF800000u)), S); // 2^(b-1)
        const S t = half + half - m;
        // Truncated binary: below t the field is b - 1 bits of r, else b bits
        // of r + t; the stop bit sits right above the field.
        const S narrow = r < t;
        const S field = r + (t & ~narrow);
        const S stop = half + (half & ~narrow);
        // q zero bits, the stop bit and b - 1 or b field bits.
        const S length = q + exponent - 125 + narrow;
        const S code = escape ? u : (stop | field);
        const S codeLength = length & ~escape;
        Store(b.code + i, code);
        Store(b.length + i, codeLength);
        Store(b.m + i, m);
    }
}

// The new differences of the block's last sample, and the averages after it
// (recomputed from the recorded ones: the vector passes ran past the block).
ZUBRIK_INLINE void SaveState(const SChannelBlock& b, CDWOPChannelState& st, int count) {
    const int last = count - 1;
    const uint32_t* x = b.x + 4 + last;
    const uint32_t d1 = x[0] - x[-1], e1 = x[-1] - x[-2], f1 = x[-2] - x[-3], g1 = x[-3] - x[-4];
    const uint32_t d2 = d1 - e1, e2 = e1 - f1, f2 = f1 - g1;
    const uint32_t d3 = d2 - e2, e3 = e2 - f2;
    st.fDelta[0] = x[0];
    st.fDelta[1] = d1;
    st.fDelta[2] = d2;
    st.fDelta[3] = d3;
    st.fDelta[4] = d3 - e3;
    for (int j = 0; j < kOrders; ++j) st.fAverage[j] = NextAverage(b.a[j][last], b.z[j][last]);
}

// Runs one channel's samples (already in b.x after the history) through
// every pass but the packing and moves the state past them.
template <int N>
ZUBRIK_INLINE void PrepareChannel(SChannelBlock& b, CDWOPChannelState& st, int count) {
    LoadHistory(st, b.x);
    // Pad the last group with silence; those lanes are never packed.
    const int padded = (count + N - 1) / N * N;
    for (int i = count; i < padded; ++i) b.x[4 + i] = 0;
    Differences(b, padded);
    if constexpr (N == 8)
        AveragesByEight(b, st, padded);
    else
        AveragesByFour(b, st, padded);
    Codes<N>(b, padded);
    SaveState(b, st, count);
}

// A value the vector pass left out: the quotient in steps of at most seven
// zero bits (the divisor quadrupling after each full step), a one bit, then
// the remainder in truncated binary. Every Put here checks for a full buffer.
__attribute__((noinline)) void PutEscaped(COutputBitStream& out, SCursor& c, uint32_t u,
                                          uint32_t m) {
    if (m == 0) throw XBadFormat();
    // u < 2^32 keeps the grown divisor from ever wrapping, because a step is
    // taken only while u ≥ 7m.
    while (u >= 7u * static_cast<uint64_t>(m)) {
        out.Put(c, 0, 7);
        u -= 7u * m;
        m <<= 2;
    }
    const uint32_t q = u / m;
    const uint32_t r = u - q * m;
    const unsigned b = 32u - static_cast<unsigned>(__builtin_clz(m));
    const uint32_t t = static_cast<uint32_t>((uint64_t{1} << b) - m);
    const bool wide = r >= t;
    const uint32_t field = wide ? r + t : r;
    const unsigned fieldBits = wide ? b : b - 1;
    out.Put(c, 1, q + 1);
    out.Put(c, field, fieldBits);
}

// Puts a value coded by Codes, or hands it to the escape path.
ZUBRIK_INLINE void PutChecked(COutputBitStream& out, SCursor& c, const SChannelBlock& b,
                              int i) {
    if (b.length[i] == 0)
        PutEscaped(out, c, b.code[i], b.m[i]);
    else
        out.Put(c, b.code[i], b.length[i]);
}

// Packs the codes of count frames, frame by frame and channel by channel.
// Runs of frames that surely fit into the buffer go without the full-buffer
// check; a frame with an escaped value goes the careful way.
template <int TChannels>
ZUBRIK_INLINE void Pack(COutputBitStream& out, SCursor& c, const SChannelBlock* blocks, int count) {
    int i = 0;
    while (i < count) {
        const int room = static_cast<int>(out.WordsFree(c)) / TChannels;
        const int end = std::min(count, i + room);
        // A copy in locals, which the stores into the buffer cannot touch, so
        // that it stays in registers.
        SCursor k = c;
        for (; i < end; ++i) {
            const uint32_t len0 = blocks[0].length[i];
            const uint32_t len1 = blocks[TChannels - 1].length[i]; // len0 again for mono
            if (__builtin_expect(std::min(len0, len1) == 0, 0)) break;
            COutputBitStream::PutWithinRoom(k, blocks[0].code[i], len0);
            if constexpr (TChannels == 2)
                COutputBitStream::PutWithinRoom(k, blocks[1].code[i], len1);
        }
        c = k;
        out.WriteIfFull(c);
        if (i < end || room == 0) {
            for (int ch = 0; ch < TChannels; ++ch) PutChecked(out, c, blocks[ch], i);
            ++i;
        }
    }
}

// The passes as built for any processor (SSE2 on x86-64) and for those with
// AVX2 and BMI2, chosen once on first use; both give the same results.
struct SKernels {
    void (*prepareChannel)(SChannelBlock&, CDWOPChannelState&, int);
    void (*packMono)(COutputBitStream&, SCursor&, const SChannelBlock*, int);
    void (*packStereo)(COutputBitStream&, SCursor&, const SChannelBlock*, int);
};

void PrepareChannelGeneric(SChannelBlock& b, CDWOPChannelState& st, int count) {
    PrepareChannel<4>(b, st, count);
}

void PackMonoGeneric(COutputBitStream& out, SCursor& c, const SChannelBlock* b, int count) {
    Pack<1>(out, c, b, count);
}

void PackStereoGeneric(COutputBitStream& out, SCursor& c, const SChannelBlock* b, int count) {
    Pack<2>(out, c, b, count);
}

#if defined(__x86_64__) || defined(__i386__)
// With AVX2 the compiler widens the difference loop to eight lanes, Codes
// runs eight values at a time and selections become single blends; BMI2
// gives the packer shifts that need no count register.
#define ZUBRIK_AVX2 __attribute__((target("avx2,bmi2")))

ZUBRIK_AVX2 void PrepareChannelAVX2(SChannelBlock& b, CDWOPChannelState& st, int count) {
    PrepareChannel<8>(b, st, count);
}

ZUBRIK_AVX2 void PackMonoAVX2(COutputBitStream& out, SCursor& c, const SChannelBlock* b,
                              int count) {
    Pack<1>(out, c, b, count);
}

ZUBRIK_AVX2 void PackStereoAVX2(COutputBitStream& out, SCursor& c, const SChannelBlock* b,
                                int count) {
    Pack<2>(out, c, b, count);
}
#endif

SKernels ChooseKernels() {
#if defined(__x86_64__) || defined(__i386__)
    if (NSDWOP::HasVectorCodecInstructions())
        return {PrepareChannelAVX2, PackMonoAVX2, PackStereoAVX2};
#endif
    return {PrepareChannelGeneric, PackMonoGeneric, PackStereoGeneric};
}

std::atomic<bool> gVectorKernelsAllowed{true};

const SKernels& Kernels() {
    static const SKernels best = ChooseKernels();
    static const SKernels generic = {PrepareChannelGeneric, PackMonoGeneric, PackStereoGeneric};
    return gVectorKernelsAllowed.load(std::memory_order_relaxed) ? best : generic;
}

} // namespace

void CDWOPCompressor::AllowVectorLoop(bool allowed) {
    gVectorKernelsAllowed.store(allowed, std::memory_order_relaxed);
}

CDWOPCompressor::CDWOPCompressor(COutputBitStream& stream, int channelCount)
    : fStream(stream), fChannelCount(channelCount == 2 ? 2 : 1) {}

void CDWOPCompressor::EncodeValue(int32_t value, int channel) {
    SChannelBlock block;
    block.x[4] = static_cast<uint32_t>(value);
    const SKernels& kernels = Kernels();
    kernels.prepareChannel(block, fStates[channel == 1 ? 1 : 0], 1);
    SCursor c = fStream.Open();
    kernels.packMono(fStream, c, &block, 1);
    fStream.Close(c);
}

template <typename TSample>
void CDWOPCompressor::Encode(int32_t frameCount, const TSample* left,
                             const TSample* right) {
    const SKernels& kernels = Kernels();
    const bool stereo = fChannelCount == 2;
    SChannelBlock blocks[2];
    for (int32_t done = 0; done < frameCount;) {
        const int n = static_cast<int>(std::min<int32_t>(kBlockFrames, frameCount - done));
        uint32_t* l = blocks[0].x + 4;
        for (int i = 0; i < n; ++i)
            l[i] = static_cast<uint32_t>(static_cast<int32_t>(left[done + i]));
        kernels.prepareChannel(blocks[0], fStates[0], n);
        if (stereo) {
            // The side: right less left, wrapping in 32 bits.
            uint32_t* s = blocks[1].x + 4;
            for (int i = 0; i < n; ++i)
                s[i] = static_cast<uint32_t>(static_cast<int32_t>(right[done + i])) - l[i];
            kernels.prepareChannel(blocks[1], fStates[1], n);
        }
        // A failure while packing abandons the stream, so the cursor and the
        // states need not survive it.
        SCursor c = fStream.Open();
        (stereo ? kernels.packStereo : kernels.packMono)(fStream, c, blocks, n);
        fStream.Close(c);
        done += n;
    }
}

void CDWOPCompressor::Encode16(int32_t frameCount, const int16_t* left,
                               const int16_t* right) {
    Encode(frameCount, left, right);
}

void CDWOPCompressor::Encode24(int32_t frameCount, const int32_t* left,
                               const int32_t* right) {
    Encode(frameCount, left, right);
}

} // namespace NSZubrik
