// The MD5 message digest (RFC 1321): 128 bits over any run of bytes, fed in
// pieces of any size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace NSTambor {

class CMD5 {
public:
    using TDigest = std::array<uint8_t, 16>;

    CMD5();
    void Update(const void* bytes, size_t count);
    // Pads the message and gives its digest; the object is then spent.
    TDigest Finish();

private:
    void Transform(const uint8_t* block);

    uint32_t fState[4];
    uint64_t fLength = 0;  // bytes so far
    uint8_t fBuffer[64];
    size_t fBuffered = 0;
};

} // namespace NSTambor
