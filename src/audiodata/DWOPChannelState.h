// Predictor state and the small arithmetic shared by the DWOP encoder and
// decoder. Everything is unsigned 32-bit and wraps: the two sides must agree
// bit for bit even when full-scale input drives the averages past 2^32.
#pragma once

#include <cstdint>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace NSZubrik {

// Ten words per channel: the latest sample with its first to fourth
// differences, and a running average of the zig-zag magnitude of each.
struct CDWOPChannelState {
    static constexpr uint32_t kInitialAverage = 2560;

    uint32_t fDelta[5] = {0, 0, 0, 0, 0};
    uint32_t fAverage[5] = {kInitialAverage, kInitialAverage, kInitialAverage,
                            kInitialAverage, kInitialAverage};

    void Reset() { *this = CDWOPChannelState(); }
};

// Channel states kept by both sides; only the first two are used (mono or
// left, and side), the rest keep the record's shape.
constexpr int kDWOPChannelStateCount = 6;

namespace NSDWOP {

// Whether the processor has AVX2, BMI1, BMI2 and LZCNT, which the encoder's
// and decoder's faster loops are built for. Asked once.
inline bool HasVectorCodecInstructions() {
#if defined(__x86_64__)
    static const bool has = [] {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        const bool lzcnt =
            __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx) && (ecx & (1u << 5)) != 0;
        __builtin_cpu_init();
        return lzcnt && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
               __builtin_cpu_supports("bmi2");
    }();
    return has;
#else
    return false;
#endif
}

// Always inlined, also into the loops built for wider instruction sets.
__attribute__((always_inline)) inline uint32_t ZigZag(uint32_t v) {
    return (v << 1) ^ static_cast<uint32_t>(static_cast<int32_t>(v) >> 31);
}

inline uint32_t UnZigZag(uint32_t u) { return (u >> 1) ^ (0u - (u & 1u)); }

inline uint32_t GolombParameter(uint32_t average) { return (3u * average + 36u) >> 7; }

// Smallest b with m < 2^b; m must not be zero.
inline unsigned BitLength(uint32_t m) { return 32u - static_cast<unsigned>(__builtin_clz(m)); }

inline uint32_t UpdateAverage(uint32_t average, uint32_t delta) {
    return ZigZag(delta) + average - (average >> 5);
}

// Vectors of four unsigned (and signed) 32-bit lanes, a GCC and Clang
// extension that both turn into SSE2 on x86-64.
using TVec = uint32_t __attribute__((vector_size(16)));
using TSignedVec = int32_t __attribute__((vector_size(16)));

// One channel's predictor as both hot loops keep it in locals: the averages
// of orders 0 to 3 and the sums of the old differences below them (0, d0,
// d0 + d1, d0 + d1 + d2) as vectors, those of order 4 apart. Every new
// difference is the new sample less the sum below its order (the same as
// rebuilding downwards and upwards from any one order), so the sums are all
// either side needs. The fourth difference itself is never needed: a lane
// keeps no copy, and StoreTo leaves fDelta[4] as it was.
struct SLane {
    TVec a;
    TVec s;
    uint32_t a4, s4;

    explicit SLane(const CDWOPChannelState& st) {
        const uint32_t* d = st.fDelta;
        a = TVec{st.fAverage[0], st.fAverage[1], st.fAverage[2], st.fAverage[3]};
        s = TVec{0, d[0], d[0] + d[1], d[0] + d[1] + d[2]};
        a4 = st.fAverage[4];
        s4 = s[3] + d[3];
    }

    // Writes d0 … d3 and the averages back.
    void StoreTo(CDWOPChannelState& st) const {
        st.fDelta[0] = s[1];
        st.fDelta[1] = s[2] - s[1];
        st.fDelta[2] = s[3] - s[2];
        st.fDelta[3] = s4 - s[3];
        for (int j = 0; j < 4; ++j) st.fAverage[j] = a[j];
        st.fAverage[4] = a4;
    }
};

// The smallest average, the lower order winning ties, with the sum below
// that order: the sample is the coded difference plus this base.
struct SPrediction {
    uint32_t s123; // s1 + s2 + s3, for the next fourth sum
    uint32_t smallest;
    uint32_t base;
};

// A tree of minimums in conditional moves (the winner changes from sample
// to sample, so branches would guess wrong), the sums riding along.
__attribute__((always_inline)) inline SPrediction Predict(const SLane& c) {
    SPrediction p;
    const uint32_t s1 = c.s[1], s2 = c.s[2], s3 = c.s[3];
    p.s123 = s1 + s2 + s3;
    const uint32_t a0 = c.a[0], a1 = c.a[1], a2 = c.a[2], a3 = c.a[3];
    const bool c01 = a1 < a0;
    const uint32_t m01 = c01 ? a1 : a0;
    const uint32_t b01 = c01 ? s1 : 0u;
    const bool c23 = a3 < a2;
    const uint32_t m23 = c23 ? a3 : a2;
    const uint32_t b23 = c23 ? s3 : s2;
    const bool c03 = m23 < m01;
    const uint32_t m03 = c03 ? m23 : m01;
    const uint32_t b03 = c03 ? b23 : b01;
    const bool c4 = c.a4 < m03;
    p.smallest = c4 ? c.a4 : m03;
    p.base = c4 ? c.s4 : b03;
    return p;
}

// Takes in the sample x: new differences x less each old sum, the averages
// rolled on by their zig-zag magnitudes, and the new sums.
__attribute__((always_inline)) inline void Advance(SLane& c, const SPrediction& p, uint32_t x) {
    const TVec n = TVec{x, x, x, x} - c.s;
    const TVec sign = reinterpret_cast<TVec>(reinterpret_cast<TSignedVec>(n) >> 31);
    c.a = c.a - (c.a >> 5) + ((n + n) ^ sign);
    c.a4 = UpdateAverage(c.a4, x - c.s4);
    // Running sums of (x, n1, n2), one lane up: {0, x, x + n1, x + n1 + n2}.
    const TVec zero = {0, 0, 0, 0};
    TVec t = __builtin_shufflevector(zero, n, 0, 4, 5, 6);
    t += __builtin_shufflevector(zero, t, 0, 0, 5, 6);
    t += __builtin_shufflevector(zero, t, 0, 0, 0, 5);
    c.s = t;
    c.s4 = 4 * x - p.s123; // x + n1 + n2 + n3
}

} // namespace NSDWOP
} // namespace NSZubrik
