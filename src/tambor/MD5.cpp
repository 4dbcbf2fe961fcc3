#include "tambor/MD5.h"

#include <algorithm>
#include <cstring>

namespace NSTambor {

namespace {

// Shift amounts per round and step, and the sine-derived constants of RFC
// 1321, section 3.4.
constexpr uint32_t kShifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

inline uint32_t RotateLeft(uint32_t value, uint32_t count)
{
    return (value << count) | (value >> (32 - count));
}

} // namespace

CMD5::CMD5() : fState {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, fBuffer {} {}

void CMD5::Transform(const uint8_t* block)
{
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
                   uint32_t(block[4 * i + 3]) << 24;
    uint32_t a = fState[0], b = fState[1], c = fState[2], d = fState[3];
    for (uint32_t i = 0; i < 64; ++i) {
        uint32_t f;
        uint32_t g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + kSines[i] + words[g], kShifts[i]);
        a = next;
    }
    fState[0] += a;
    fState[1] += b;
    fState[2] += c;
    fState[3] += d;
}

void CMD5::Update(const void* bytes, size_t count)
{
    const auto* in = static_cast<const uint8_t*>(bytes);
    fLength += count;
    if (fBuffered > 0) {
        const size_t take = std::min(count, sizeof fBuffer - fBuffered);
        std::memcpy(fBuffer + fBuffered, in, take);
        fBuffered += take;
        in += take;
        count -= take;
        if (fBuffered < sizeof fBuffer) return;
        Transform(fBuffer);
        fBuffered = 0;
    }
    for (; count >= 64; in += 64, count -= 64) Transform(in);
    if (count > 0) std::memcpy(fBuffer, in, count);
    fBuffered = count;
}

CMD5::TDigest CMD5::Finish()
{
    const uint64_t bits = fLength * 8;
    // A one bit, zeros to 56 bytes modulo 64, then the length in bits.
    const uint8_t one = 0x80;
    Update(&one, 1);
    const uint8_t zero = 0;
    while (fBuffered != 56) Update(&zero, 1);
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = uint8_t(bits >> (8 * i));
    Update(length, 8);
    TDigest digest;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) digest[size_t(4 * i + j)] = uint8_t(fState[i] >> (8 * j));
    return digest;
}

} // namespace NSTambor
