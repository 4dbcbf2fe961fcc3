#include "platform/SoundHeaderPeek.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace NSSoundHeaderPeek {
namespace {

// Chunks looked at before giving up; real files put the format chunk first.
constexpr int kMaxChunks = 64;
// Room for the markers of an AIFF file; a loop needs only two.
constexpr int32_t kMaxMarkBytes = 4096;

bool ReadExactly(NSSoundKit::IByteReader& source, int64_t position, int32_t count, uint8_t* bytes)
{
    int32_t done = 0;
    return source.Read(position, count, bytes, done) == NSSoundKit::kSuccess && done == count;
}

uint32_t Number(const uint8_t* bytes, int count, bool littleEndian)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= uint32_t(bytes[littleEndian ? i : count - 1 - i]) << (8 * i);
    return value;
}

// Walks the top-level chunks after the 12-byte header and copies up to
// capacity bytes of the first chunk with the given identifier; its length
// as declared goes to declared when asked for.
int32_t FindChunk(NSSoundKit::IByteReader& source, bool riff, const char* id, uint8_t* body,
                  int32_t capacity, int64_t* declared = nullptr)
{
    int64_t size = 0;
    if (source.GetSize(size) != NSSoundKit::kSuccess) return -1;
    int64_t position = 12;
    for (int i = 0; i < kMaxChunks && position + 8 <= size; ++i) {
        uint8_t header[8];
        if (!ReadExactly(source, position, 8, header)) return -1;
        int64_t length = Number(header + 4, 4, riff);
        if (std::memcmp(header, id, 4) == 0) {
            if (declared) *declared = length;
            int32_t count = int32_t(std::min<int64_t>({length, capacity, size - position - 8}));
            return ReadExactly(source, position + 8, count, body) ? count : -1;
        }
        position += 8 + length + (length & 1);
    }
    return -1;
}

} // namespace

int32_t DeclaredBits(NSSoundKit::IByteReader& source, bool riff)
{
    uint8_t body[24] = {};
    if (riff) {
        int32_t count = FindChunk(source, true, "fmt ", body, sizeof body);
        if (count < 16) return 0;
        int32_t bits = int32_t(Number(body + 14, 2, true));
        bool extensible = Number(body, 2, true) == 0xFFFE;
        if (extensible && count >= 20) {
            int32_t valid = int32_t(Number(body + 18, 2, true));
            if (valid > 0 && valid <= bits) return valid;
        }
        return bits;
    }
    int32_t count = FindChunk(source, false, "COMM", body, sizeof body);
    return count >= 8 ? int32_t(Number(body + 6, 2, false)) : 0;
}

uint32_t DeclaredFrames(NSSoundKit::IByteReader& source, bool riff)
{
    uint8_t body[16] = {};
    if (!riff) {
        const int32_t count = FindChunk(source, false, "COMM", body, sizeof body);
        return count >= 6 ? Number(body + 2, 4, false) : 0;
    }
    if (FindChunk(source, true, "fmt ", body, sizeof body) < 14) return 0;
    const uint32_t frameBytes = Number(body + 12, 2, true);
    int64_t dataBytes = 0;
    uint8_t none[1];
    // A streaming writer that never came back leaves the largest length.
    if (frameBytes == 0 || FindChunk(source, true, "data", none, 0, &dataBytes) < 0 || dataBytes == UINT32_MAX)
        return 0;
    return uint32_t(std::min<int64_t>(dataBytes / frameBytes, UINT32_MAX));
}

bool ReadAiffInstrument(NSSoundKit::IByteReader& source, NSSoundKit::SProperties& properties)
{
    uint8_t instrument[20] = {};
    if (FindChunk(source, false, "INST", instrument, sizeof instrument) != 20) return false;
    auto key = [](uint8_t value) { return uint8_t(value > 127 ? 0 : value); };
    properties.hasInstrument = 1;
    properties.rootKey = key(instrument[0]);
    properties.keyVelocity[0] = key(instrument[2]);  // lowNote
    properties.keyVelocity[1] = key(instrument[4]);  // lowVelocity
    properties.keyVelocity[2] = key(instrument[3]);  // highNote

    std::vector<uint8_t> marks(kMaxMarkBytes);
    int32_t count = FindChunk(source, false, "MARK", marks.data(), kMaxMarkBytes);
    auto position = [&](uint32_t id, int64_t& frame) {
        int32_t at = 2;
        for (uint32_t i = 0; count >= 2 && i < Number(marks.data(), 2, false); ++i) {
            if (at + 7 > count) return false;
            if (Number(&marks[size_t(at)], 2, false) == id) {
                frame = Number(&marks[size_t(at) + 2], 4, false);
                return true;
            }
            int32_t text = 1 + marks[size_t(at) + 6];
            at += 6 + text + (text & 1);
        }
        return false;
    };
    for (int slot = 0; slot < 2; ++slot) {  // sustain loop, then release loop
        const uint8_t* loop = instrument + 8 + 6 * slot;
        uint32_t mode = Number(loop, 2, false);
        int64_t start = 0, end = 0;
        if (mode == 0 || !position(Number(loop + 2, 2, false), start) ||
            !position(Number(loop + 4, 2, false), end) || end <= start || end > INT32_MAX)
            continue;
        properties.loopKind = slot == 0 ? NSSoundKit::kLoopSustain : NSSoundKit::kLoopRelease;
        properties.loopPlay = mode == 1 ? NSSoundKit::kLoopPlayForward : NSSoundKit::kLoopPlayAlternating;
        properties.loopStart = int32_t(start);
        properties.loopEnd = int32_t(end);
        break;
    }
    return true;
}

} // namespace NSSoundHeaderPeek
