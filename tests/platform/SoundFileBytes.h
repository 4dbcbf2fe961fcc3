// Sounds for the tests: random samples that a depth holds exactly, and
// hand-built WAVE and AIFF bytes for the cases a sound library will not
// write (odd depths, floating point, broken headers).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace NSSoundFileBytes {

using TBytes = std::vector<uint8_t>;

// Random samples on the +-2^23 scale that a depth of bits holds exactly.
inline std::vector<float> Samples(size_t count, int32_t bits, uint32_t seed)
{
    std::mt19937 generator(seed);
    int32_t top = (1 << (bits - 1)) - 1;
    std::uniform_int_distribution<int32_t> value(-top - 1, top);
    std::vector<float> samples(count);
    for (auto& s : samples) s = float(value(generator) * (1 << (24 - bits)));
    return samples;
}

inline void PutLE(TBytes& bytes, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

inline void PutBE(TBytes& bytes, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) bytes.push_back(uint8_t(value >> (8 * i)));
}

inline void PutId(TBytes& bytes, const char* id)
{
    bytes.insert(bytes.end(), id, id + 4);
}

// A canonical WAVE file: "fmt " with the given fields, then "data".
inline TBytes Wave(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                   uint16_t bytesPerSample, const TBytes& data)
{
    TBytes bytes;
    PutId(bytes, "RIFF");
    PutLE(bytes, uint32_t(4 + 8 + 16 + 8 + data.size()), 4);
    PutId(bytes, "WAVE");
    PutId(bytes, "fmt ");
    PutLE(bytes, 16, 4);
    PutLE(bytes, formatTag, 2);
    PutLE(bytes, channels, 2);
    PutLE(bytes, rate, 4);
    PutLE(bytes, rate * channels * bytesPerSample, 4);
    PutLE(bytes, uint32_t(channels * bytesPerSample), 2);
    PutLE(bytes, bits, 2);
    PutId(bytes, "data");
    PutLE(bytes, uint32_t(data.size()), 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// 80-bit IEEE extended, as AIFF stores the sample rate.
inline void PutExtended(TBytes& bytes, double value)
{
    int exponent = 0;
    double mantissa = std::frexp(value, &exponent);  // value = mantissa * 2^exponent
    uint64_t bits = uint64_t(std::ldexp(mantissa, 64));
    PutBE(bytes, uint32_t(16382 + exponent), 2);
    PutBE(bytes, uint32_t(bits >> 32), 4);
    PutBE(bytes, uint32_t(bits), 4);
}

// A canonical AIFF file: "COMM" then "SSND" with big-endian samples.
inline TBytes Aiff(uint16_t channels, double rate, uint16_t bits, uint32_t frames, const TBytes& data)
{
    TBytes bytes;
    PutId(bytes, "FORM");
    PutBE(bytes, uint32_t(4 + 8 + 18 + 8 + 8 + data.size()), 4);
    PutId(bytes, "AIFF");
    PutId(bytes, "COMM");
    PutBE(bytes, 18, 4);
    PutBE(bytes, channels, 2);
    PutBE(bytes, frames, 4);
    PutBE(bytes, bits, 2);
    PutExtended(bytes, rate);
    PutId(bytes, "SSND");
    PutBE(bytes, uint32_t(8 + data.size()), 4);
    PutBE(bytes, 0, 4);
    PutBE(bytes, 0, 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// count little-endian samples of width bytes: 1, 2, 3, ... shifted left.
inline TBytes Ramp(size_t count, int width, int shift)
{
    TBytes bytes;
    for (size_t i = 0; i < count; ++i) PutLE(bytes, uint32_t(i + 1) << shift, width);
    return bytes;
}

} // namespace NSSoundFileBytes
