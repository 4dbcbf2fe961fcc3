#include "audiodata/DWOPCompressor.h"

#include "app/ZubrikErrors.h"
#include "audiodata/OutputBitStream.h"

namespace NSZubrik {

namespace {

using namespace NSDWOP;
using SCursor = COutputBitStream::SCursor;

// Emits one residual u with divisor m: quotient steps of at most seven zero
// bits (the divisor quadrupling after each full step), a one bit, then the
// remainder in truncated binary.
__attribute__((always_inline)) inline void PutResidual(COutputBitStream& out, SCursor& c,
                                                       uint32_t u, uint32_t m) {
    if (__builtin_expect(u >= 7u * static_cast<uint64_t>(m), 0)) {
        // Escape: u < 2^32 keeps the grown divisor from ever wrapping,
        // because a step is taken only while u ≥ 7m.
        do {
            out.Put(c, 0, 7);
            u -= 7u * m;
            m <<= 2;
        } while (u >= 7u * static_cast<uint64_t>(m));
    }
    const uint32_t q = u / m;
    const uint32_t r = u - q * m;
    const unsigned b = BitLength(m);
    const uint32_t t = static_cast<uint32_t>((uint64_t{1} << b) - m);
    // Below t the field is b - 1 bits of r, else b bits of r + t (< 2^b).
    const uint32_t wide = 0u - static_cast<uint32_t>(r >= t);
    const uint32_t field = r + (t & wide);
    const unsigned fieldBits = b - 1 + (wide & 1u);
    const unsigned prefixBits = q + 1;
    if (__builtin_expect(prefixBits + fieldBits <= 32, 1)) {
        // The one bit ending the quotient, directly followed by the field.
        out.Put(c, (uint32_t{1} << fieldBits) | field, prefixBits + fieldBits);
    } else {
        out.Put(c, 1, prefixBits);
        out.Put(c, field, fieldBits);
    }
}

// The difference of the order with the smallest average is the sample less
// the sum below that order (see SLane).
__attribute__((always_inline)) inline void CodeValue(COutputBitStream& out, SCursor& c,
                                                     SLane& lane, uint32_t x) {
    const SPrediction p = Predict(lane);
    const uint32_t m = GolombParameter(p.smallest);
    if (__builtin_expect(m == 0, 0)) throw XBadFormat();
    PutResidual(out, c, ZigZag(x - p.base), m);
    Advance(lane, p, x);
}

} // namespace

CDWOPCompressor::CDWOPCompressor(COutputBitStream& stream, int channelCount)
    : fStream(stream), fChannelCount(channelCount == 2 ? 2 : 1) {}

void CDWOPCompressor::EncodeValue(int32_t value, int channel) {
    CDWOPChannelState& state = fStates[channel == 1 ? 1 : 0];
    SLane lane(state);
    SCursor c = fStream.Open();
    CodeValue(fStream, c, lane, static_cast<uint32_t>(value));
    fStream.Close(c);
    lane.StoreTo(state);
}

template <typename TSample>
void CDWOPCompressor::Encode(int32_t frameCount, const TSample* left,
                             const TSample* right) {
    SLane l0(fStates[0]), l1(fStates[1]);
    SCursor c = fStream.Open();
    if (fChannelCount == 1) {
        for (int32_t i = 0; i < frameCount; ++i)
            CodeValue(fStream, c, l0, static_cast<uint32_t>(static_cast<int32_t>(left[i])));
    } else {
        for (int32_t i = 0; i < frameCount; ++i) {
            const int32_t l = left[i];
            const int32_t r = right[i];
            CodeValue(fStream, c, l0, static_cast<uint32_t>(l));
            CodeValue(fStream, c, l1, static_cast<uint32_t>(r) - static_cast<uint32_t>(l));
        }
    }
    // A failure above abandons the stream, so the state need not survive it.
    fStream.Close(c);
    l0.StoreTo(fStates[0]);
    l1.StoreTo(fStates[1]);
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
