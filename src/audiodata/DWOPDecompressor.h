// DWOP decoder over 32-bit words. The memory form decodes words that are
// already in native order; the media form refills its word buffer from a
// media (big-endian on disk) as the decoder runs dry.
#pragma once

#include <cstdint>
#include <memory>

#include "audiodata/DWOPChannelState.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class COptimizedDWOPDecompressor {
public:
    // channelCount is 1 or 2; stereo streams hold left and side per frame.
    explicit COptimizedDWOPDecompressor(int channelCount);
    virtual ~COptimizedDWOPDecompressor();
    COptimizedDWOPDecompressor(const COptimizedDWOPDecompressor&) = delete;
    COptimizedDWOPDecompressor& operator=(const COptimizedDWOPDecompressor&) = delete;

    int GetChannelCount() const { return fChannelCount; }

    // Points the decoder at words in native order (not copied; they must
    // outlive the decoding) and clears the bit buffer.
    void SetInput(uint32_t wordCount, const uint32_t* words);

    // Decode frameCount frames, interleaved (left, right) for stereo. 16-bit
    // output keeps the low 16 bits of each value; 24-bit output is the signed
    // 32-bit value. States run on from call to call. A stream that would need
    // a divisor of zero, or one beyond 32 bits, fails with XBadFormat.
    void Decode16(int32_t frameCount, int16_t* out16);
    void Decode24(int32_t frameCount, int32_t* out32);

    // Decoding takes a faster form of its loop on processors with AVX2,
    // BMI2 and LZCNT; both forms give the same results bit for bit. Tests
    // and the decoder's fuzz target switch the fast form off to compare.
    static bool UsesVectorLoop();
    static void AllowVectorLoop(bool allowed);

    // Bits of the input not consumed yet. The encoder pads its last word
    // with fewer than 32 bits, so a stream that decodes its frames and
    // leaves 32 or more was damaged on the way.
    int64_t GetUnreadBits() const;

protected:
    // Input bytes that Refill has not reached yet.
    virtual int64_t GetUnreadInputBytes() const { return 0; }

    // Called when the words run out; must call SetMoreWords or throw. The
    // memory decoder has nothing more and throws XUnderflowOnInputBitStream.
    virtual void Refill();

    // Replaces the exhausted words without touching the bit buffer.
    void SetMoreWords(uint32_t wordCount, const uint32_t* words);

private:
    struct SReader;
    template <typename TOut, int kChannels>
    void Decode(int32_t frameCount, TOut* out);

    int fChannelCount;
    CDWOPChannelState fStates[kDWOPChannelStateCount];
    const uint32_t* fWords = nullptr;
    const uint32_t* fWordsEnd = nullptr;
    // Unread bits, left-aligned, fBitCount of them; the bits after them are
    // zero or the stream bits that follow.
    uint64_t fBits = 0;
    unsigned fBitCount = 0;
};

class COptimizedDWOPDecompressorFromMedia : public COptimizedDWOPDecompressor {
public:
    static constexpr uint32_t kBufferWords = 16384; // 64 KB

    // Reads from the media's current position to its end.
    COptimizedDWOPDecompressorFromMedia(NSTambor::CMedia& media, int channelCount);
    ~COptimizedDWOPDecompressorFromMedia() override;

protected:
    // Reads up to 16384 further words; fewer than four bytes left is
    // XBadFormat, so a truncated stream never reads past the media.
    void Refill() override;
    int64_t GetUnreadInputBytes() const override;

private:
    NSTambor::CMedia& fMedia;
    std::unique_ptr<uint32_t[]> fBuffer;
};

} // namespace NSZubrik
