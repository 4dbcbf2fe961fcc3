// Bit writer of the DWOP codec: 32-bit words, most significant bit first,
// stored big-endian and handed to a media through a 4096-byte buffer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class COutputBitStream {
public:
    static constexpr int kBufferBytes = 4096;

    // The writer's state, taken into a caller's locals for a hot loop (see
    // Put) and handed back with Close before anything else uses the stream.
    struct SCursor {
        uint64_t accumulator; // pending bits in the low `pending` bits
        unsigned pending;     // fewer than 32 between calls
        uint8_t* out;         // next free byte of the buffer
    };

    explicit COutputBitStream(NSTambor::CMedia& media);
    COutputBitStream(const COutputBitStream&) = delete;
    COutputBitStream& operator=(const COutputBitStream&) = delete;

    SCursor Open() { return SCursor{fAccumulator, fPending, fBuffer + fFill}; }
    void Close(const SCursor& cursor) {
        fAccumulator = cursor.accumulator;
        fPending = cursor.pending;
        fFill = static_cast<int>(cursor.out - fBuffer);
    }

    // Appends the low bitCount bits of value (bitCount 0 … 32, value below
    // 2^bitCount), leading bit first.
    __attribute__((always_inline)) void Put(SCursor& c, uint32_t value, unsigned bitCount) {
        PutWithinRoom(c, value, bitCount);
        WriteIfFull(c);
    }

    // Put without the full-buffer check, for a caller that has made sure of
    // room first: one call emits at most one word, so WordsFree calls in a
    // row fit, and WriteIfFull must follow the last of them.
    __attribute__((always_inline)) static void PutWithinRoom(SCursor& c, uint32_t value,
                                                             unsigned bitCount) {
        c.accumulator = (c.accumulator << bitCount) | value;
        // Below 64; 32 or more completes a word. Counting by a mask keeps the
        // chain from one call to the next at two instructions.
        const unsigned total = c.pending + bitCount;
        c.pending = total & 31;
        // The word is stored every time and kept only when complete: whether
        // it is depends on the data, and a branch would guess wrong often.
        const uint32_t word = static_cast<uint32_t>(c.accumulator >> c.pending);
        StoreBigEndian(c.out, word);
        c.out += (total >> 5) * 4;
    }

    // Whole words the buffer can still take before it goes to the media.
    uint32_t WordsFree(const SCursor& c) const {
        return static_cast<uint32_t>(fBuffer + kBufferBytes - c.out) / 4;
    }

    // Hands a buffer that has just filled up to the media.
    __attribute__((always_inline)) void WriteIfFull(SCursor& c) {
        if (__builtin_expect(c.out == fBuffer + kBufferBytes, 0)) c.out = WriteFullBuffer();
    }

    void Write(uint32_t value, unsigned bitCount) {
        SCursor c = Open();
        Put(c, value, bitCount);
        Close(c);
    }

    // Pads the last word with zero bits, emits it (an empty stream becomes one
    // zero word) and writes every buffered byte to the media. Call once.
    void Flush();

    // Words emitted so far, including the ones still in the buffer.
    uint32_t GetWordCount() const { return fWrittenWords + static_cast<uint32_t>(fFill / 4); }

private:
    // One four-byte store rather than four single bytes.
    static void StoreBigEndian(uint8_t* to, uint32_t word) {
        if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
        std::memcpy(to, &word, 4);
    }

    uint8_t* WriteFullBuffer();
    void WriteBuffer();

    NSTambor::CMedia& fMedia;
    uint64_t fAccumulator = 0;
    unsigned fPending = 0;
    uint32_t fWrittenWords = 0;
    int fFill = 0;
    uint8_t fBuffer[kBufferBytes];
};

} // namespace NSZubrik
