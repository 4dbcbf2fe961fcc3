// The Mixman track file (".trk"): a fixed structure of little-endian
// records holding the loop's tempo and length, the notes that trigger the
// slices and every slice as an embedded 44100 Hz, 16-bit mono sound.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

struct SMixmanTrack {
    static constexpr size_t kMaxNameLength = 254;
    static constexpr int32_t kTicksPerBeat = 480;

    struct SSlice {
        // 16-bit little-endian mono PCM.
        std::vector<uint8_t> fSampleBytes;
        std::array<uint8_t, 2> fKeys{0, 0};
    };

    // 8-bit text, at most kMaxNameLength bytes.
    std::string fName;
    // Beats per minute.
    double fTempo = 120.0;
    uint16_t fLoopBeats = 0;
    // Channel events as the track stores them: absolute times, full status
    // bytes (see ReencodeMixmanEvents).
    std::vector<uint8_t> fEvents;
    std::vector<SSlice> fSlices;
    std::array<uint8_t, 4> fFlags{1, 1, 1, 0};
    std::string fTrailingText;
};

// Writes the whole track file.
void WriteMixmanTrack(NSTambor::CMedia& media, const SMixmanTrack& track);

// The same file as bytes.
std::vector<uint8_t> MixmanTrackBytes(const SMixmanTrack& track);

// Turns the events of a Standard MIDI File track (delta times, running
// status allowed, meta events) into the note block of a track file: meta
// events are dropped; every channel event is written as its absolute time
// (a variable-length number of at most 4 bytes), its full status byte and
// its data bytes; a note-on with velocity 0 becomes a note-off with
// velocity 100. System-exclusive events, a missing status, data bytes with
// bit 7 set, truncated events and times that need more than 4 bytes fail
// with XBadFormat.
std::vector<uint8_t> ReencodeMixmanEvents(std::span<const uint8_t> trackEvents);

} // namespace NSZubrik
