// DWOP encoder: an adaptive polynomial predictor of order 0 … 4 picked per
// sample from running averages, followed by an adaptive Golomb code with a
// unary escape. Mono codes one value per frame; stereo codes the left sample
// and the side value (right minus left).
#pragma once

#include <cstdint>

#include "audiodata/DWOPChannelState.h"

namespace NSZubrik {

class COutputBitStream;

class CDWOPCompressor {
public:
    // channelCount is 1 or 2.
    CDWOPCompressor(COutputBitStream& stream, int channelCount);

    int GetChannelCount() const { return fChannelCount; }

    // Codes frameCount frames taken from one buffer per channel (right is
    // ignored for mono). 24-bit values arrive sign-extended in 32-bit words.
    // Fails with XBadFormat if a wrapped average ever leaves the code without
    // a divisor, which no 16- or 24-bit input within range produces.
    void Encode16(int32_t frameCount, const int16_t* left, const int16_t* right);
    void Encode24(int32_t frameCount, const int32_t* left, const int32_t* right);

    // Codes a single value with one channel state (0 = mono/left, 1 = side).
    void EncodeValue(int32_t value, int channel);

    // Coding takes a faster form of its passes on processors with AVX2 and
    // BMI2; both forms write the same bytes. Tests switch the fast form off
    // to compare.
    static void AllowVectorLoop(bool allowed);

private:
    template <typename TSample>
    void Encode(int32_t frameCount, const TSample* left, const TSample* right);

    COutputBitStream& fStream;
    int fChannelCount;
    CDWOPChannelState fStates[kDWOPChannelStateCount];
};

} // namespace NSZubrik
