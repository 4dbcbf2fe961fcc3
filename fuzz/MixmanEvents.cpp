// Arbitrary MIDI track events into the Mixman note-block encoder. It must
// either fail with XBadFormat or answer a block in which every event has an
// absolute time of at most four bytes that never goes back, a full status
// byte, no note-on of velocity 0, and data bytes below 128.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "app/ZubrikErrors.h"
#include "io/MixmanTrackFile.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckBlock(const std::vector<uint8_t>& block)
{
    uint32_t previous = 0;
    for (size_t at = 0; at < block.size();) {
        uint32_t time = 0;
        int bytes = 0;
        do {
            Require(at < block.size() && bytes < 4);
            time = time << 7 | (block[at] & 0x7F);
            ++bytes;
        } while (block[at++] & 0x80);
        Require(time >= previous);
        previous = time;
        Require(at < block.size());
        const uint8_t status = block[at++];
        Require(status >= 0x80 && status < 0xF0);
        const size_t data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        Require(block.size() - at >= data);
        for (size_t i = 0; i < data; ++i)
            Require(block[at + i] < 0x80);
        Require(!((status & 0xF0) == 0x90 && block[at + 1] == 0));
        at += data;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 16))
        return 0;
    try {
        CheckBlock(NSZubrik::ReencodeMixmanEvents(std::span<const uint8_t>(data, size)));
    } catch (const NSZubrik::XBadFormat&) {
    }
    return 0;
}
