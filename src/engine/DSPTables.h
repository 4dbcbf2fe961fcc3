// Lookup tables shared by the sampler's envelopes, its resampler and the
// sample-rate converter.
//
// Per output sample rate: a time table (milliseconds for each of the 1024
// time indexes the effect settings use) and, derived from it, the per-block
// increment that rises to 1.0 in that time and the per-block multiplier that
// falls to 0.25 in that time. Independent of the rate: the pitch table (cents
// to a 14-bit fixed-point step) and the six-tap windowed-sinc interpolation
// kernel with 256 phases. Tables are computed once per rate and shared
// through CDSPTablesCache.
#pragma once

#include <cstdint>

namespace NSZubrik {

class CDSPTables {
public:
    static constexpr int kTimeTableSize = 1024;   // time indexes 0…1023
    static constexpr int kNoReleaseIndex = 1023;  // multiplier exactly 1.0
    static constexpr int kPitchTableSize = 19200;
    static constexpr int kPitchUnityIndex = 12900;  // 0 cents: step 16384
    static constexpr int kKernelTaps = 6;
    static constexpr int kKernelPhases = 256;
    static constexpr int kKernelSize = kKernelTaps * kKernelPhases;

    explicit CDSPTables(int32_t sampleRate);
    CDSPTables(const CDSPTables&) = delete;
    CDSPTables& operator=(const CDSPTables&) = delete;

    int32_t GetSampleRate() const { return fSampleRate; }
    const float* Milliseconds() const { return fMilliseconds; }
    const float* Increments() const { return fIncrements; }
    const float* Multipliers() const { return fMultipliers; }

    // Shared by every rate; built on first use (at the latest when the first
    // tables object is constructed).
    static const int32_t* PitchTable();
    static const float* Kernel();

private:
    int32_t fSampleRate;
    float fMilliseconds[kTimeTableSize];
    float fIncrements[kTimeTableSize];
    float fMultipliers[kTimeTableSize];
};

// The process-wide list of tables, one entry per output rate, each with a
// reference count. Used from the GUI thread only, so it takes no lock; the
// audio thread reads the tables through pointers its owner acquired.
class CDSPTablesCache {
public:
    // Counts one more reference to the tables of this rate, creating them
    // when they do not exist yet.
    static const CDSPTables& Acquire(int32_t sampleRate);
    // Drops one reference; the tables are destroyed with the last one.
    static void Release(int32_t sampleRate);
    // The tables of this rate, or null when no one holds them.
    static const CDSPTables* Find(int32_t sampleRate);
    // References held on this rate (0 when absent).
    static int32_t ReferenceCount(int32_t sampleRate);
};

} // namespace NSZubrik
