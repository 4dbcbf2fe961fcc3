// Loops shared by the two storage classes of the wave sample. Each view
// conversion is a small inline functor applied over a whole block, so a
// block costs one virtual call and a loop the compiler can vectorise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace NSZubrik::NSWaveSampleKernels {

template <typename TIn, typename TOut, typename TConvert>
inline void Map(const TIn* in, TOut* out, int32_t count, TConvert convert) {
    for (int32_t i = 0; i < count; ++i)
        out[i] = convert(in[i]);
}

// Frames per step of the interleaving loops. Each step gathers its values
// in local arrays, so the compiler sees a fixed count and buffers that cannot
// overlap and vectorises the step; frames after the last whole step go one
// at a time.
inline constexpr int32_t kStepFrames = 16;

// (first, second) pairs from two channel runs.
template <typename TIn, typename TOut, typename TConvert>
inline void Interleave(const TIn* first, const TIn* second, TOut* out, int32_t count, TConvert convert) {
    int32_t i = 0;
    for (; i + kStepFrames <= count; i += kStepFrames) {
        TIn a[kStepFrames];
        TIn b[kStepFrames];
        TOut pairs[2 * kStepFrames];
        std::memcpy(a, first + i, sizeof a);
        std::memcpy(b, second + i, sizeof b);
        for (int32_t j = 0; j < kStepFrames; ++j) {
            pairs[2 * j] = convert(a[j]);
            pairs[2 * j + 1] = convert(b[j]);
        }
        std::memcpy(out + 2 * i, pairs, sizeof pairs);
    }
    for (; i < count; ++i) {
        out[2 * i] = convert(first[i]);
        out[2 * i + 1] = convert(second[i]);
    }
}

template <typename TIn, typename TOut, typename TConvert>
inline void Deinterleave(const TIn* in, TOut* first, TOut* second, int32_t count, TConvert convert) {
    int32_t i = 0;
    for (; i + kStepFrames <= count; i += kStepFrames) {
        TIn pairs[2 * kStepFrames];
        TOut a[kStepFrames];
        TOut b[kStepFrames];
        std::memcpy(pairs, in + 2 * i, sizeof pairs);
        for (int32_t j = 0; j < kStepFrames; ++j) {
            a[j] = convert(pairs[2 * j]);
            b[j] = convert(pairs[2 * j + 1]);
        }
        std::memcpy(first + i, a, sizeof a);
        std::memcpy(second + i, b, sizeof b);
    }
    for (; i < count; ++i) {
        first[i] = convert(in[2 * i]);
        second[i] = convert(in[2 * i + 1]);
    }
}

// value rounded to the nearest integer, halves away from zero, then clamped
// into low ... high. Clamping first keeps the conversion in range (and sends
// NaN to low); since the bounds are integers the order does not change the
// result. The rounding is exact: the fraction x - trunc(x) of a double below
// 2^31 is representable, so no value such as 0.49999999999999994 is carried
// over to the next integer as adding 0.5 would. Branch-free, so that block
// loops vectorise.
inline int32_t RoundClamp(double value, int32_t low, int32_t high) {
    const double x = std::min(double(high), std::max(double(low), value));
    const auto whole = static_cast<int32_t>(x);
    const double fraction = x - whole;
    return whole + int32_t{fraction >= 0.5} - int32_t{fraction <= -0.5};
}

inline bool ChangesSign(int32_t a, int32_t b) {
    return (a > 0 && b < 0) || (a < 0 && b > 0);
}

// Searches alternately forward and backward from a frame for the first frame
// that is quieter than the threshold or lies just after a sign change; each
// test looks at the first channel, then the second when present.
template <typename TSample>
int32_t FindSnapToZero(const TSample* first, const TSample* second, int32_t frameCount, int32_t frame,
                       int32_t threshold) {
    if (frameCount <= 0)
        return 0;
    const int32_t p = std::clamp(frame, 0, frameCount - 1);
    const auto upper = static_cast<int32_t>(std::min<int64_t>(int64_t{p} + 25000, frameCount - 1));
    const auto lower = static_cast<int32_t>(std::max<int64_t>(int64_t{p} - 25000, 0));
    auto loud = [threshold](int32_t value) { return value >= threshold || value <= -threshold; };
    auto quiet = [&](int32_t i) { return !loud(first[i]) || (second && !loud(second[i])); };
    auto crossing = [&](int32_t earlier, int32_t later) {
        return ChangesSign(first[earlier], first[later]) || (second && ChangesSign(second[earlier], second[later]));
    };

    if (!loud(first[p]))
        return p;
    int32_t f = p;
    int32_t b = p;
    for (;;) {
        if (quiet(f) || f == upper)
            return f;
        ++f;
        if (crossing(f - 1, f))
            return f;
        if (quiet(b) || b == lower)
            return b;
        --b;
        if (crossing(b, b + 1))
            return b + 1;
        if (!loud(first[f]))
            return f;
    }
}

// A new array of newCount samples holding the first min(oldCount, newCount)
// of the old one and zeros after them; null for a null source.
template <typename TSample>
std::unique_ptr<TSample[]> Resized(const TSample* old, int32_t oldCount, int32_t newCount) {
    if (!old)
        return nullptr;
    auto fresh = std::make_unique<TSample[]>(static_cast<size_t>(std::max(newCount, 0)));
    const int32_t kept = std::clamp(std::min(oldCount, newCount), 0, std::max(newCount, 0));
    std::memcpy(fresh.get(), old, static_cast<size_t>(kept) * sizeof(TSample));
    return fresh;
}

template <typename TSample>
std::unique_ptr<TSample[]> CopyOf(const TSample* source, int32_t count) {
    auto copy = std::make_unique<TSample[]>(static_cast<size_t>(std::max(count, 0)));
    if (count > 0)
        std::memcpy(copy.get(), source, static_cast<size_t>(count) * sizeof(TSample));
    return copy;
}

} // namespace NSZubrik::NSWaveSampleKernels
