// Predictor state and the small arithmetic shared by the DWOP encoder and
// decoder. Everything is unsigned 32-bit and wraps: the two sides must agree
// bit for bit even when full-scale input drives the averages past 2^32.
#pragma once

#include <cstdint>

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

inline uint32_t ZigZag(uint32_t v) {
    return (v << 1) ^ static_cast<uint32_t>(static_cast<int32_t>(v) >> 31);
}

inline uint32_t UnZigZag(uint32_t u) { return (u >> 1) ^ (0u - (u & 1u)); }

inline uint32_t GolombParameter(uint32_t average) { return (3u * average + 36u) >> 7; }

// Smallest b with m < 2^b; m must not be zero.
inline unsigned BitLength(uint32_t m) { return 32u - static_cast<unsigned>(__builtin_clz(m)); }

inline uint32_t UpdateAverage(uint32_t average, uint32_t delta) {
    return ZigZag(delta) + average - (average >> 5);
}

// Index of the smallest of the five averages, the lower index winning ties,
// with that average. Each average is paired with its index in one 64-bit key
// so that a tree of plain minimums (conditional moves, not branches: the
// winner changes from sample to sample) settles both at once.
inline unsigned SmallestAverage(const uint32_t a[5], uint32_t& smallest) {
    const uint64_t k0 = uint64_t{a[0]} << 3;
    const uint64_t k1 = uint64_t{a[1]} << 3 | 1;
    const uint64_t k2 = uint64_t{a[2]} << 3 | 2;
    const uint64_t k3 = uint64_t{a[3]} << 3 | 3;
    const uint64_t k4 = uint64_t{a[4]} << 3 | 4;
    const uint64_t k01 = k1 < k0 ? k1 : k0;
    const uint64_t k23 = k3 < k2 ? k3 : k2;
    const uint64_t k03 = k23 < k01 ? k23 : k01;
    const uint64_t k = k4 < k03 ? k4 : k03;
    smallest = static_cast<uint32_t>(k >> 3);
    return static_cast<unsigned>(k & 7);
}

// Rolls the five averages on by the new differences.
inline void UpdateAverages(uint32_t a[5], const uint32_t d[5]) {
    a[0] = UpdateAverage(a[0], d[0]);
    a[1] = UpdateAverage(a[1], d[1]);
    a[2] = UpdateAverage(a[2], d[2]);
    a[3] = UpdateAverage(a[3], d[3]);
    a[4] = UpdateAverage(a[4], d[4]);
}

} // namespace NSDWOP
} // namespace NSZubrik
