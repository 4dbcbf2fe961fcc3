// Writing Standard MIDI Files: the "MThd" header and "MTrk" track chunks
// through the chunk writer (big-endian sizes, no pad byte after odd data),
// events with their delta times as variable-length quantities.
#pragma once

#include "tambor/IFFWriter.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace NSTambor {

class CMIDIFileWriter : public CIFFWriter {
public:
    static constexpr uint8_t kMetaText = 0x01;
    static constexpr uint8_t kMetaTrackName = 0x03;
    static constexpr uint8_t kMetaEndOfTrack = 0x2F;
    static constexpr uint8_t kMetaTempo = 0x51;
    static constexpr uint8_t kMetaTimeSignature = 0x58;

    // With runningStatus a channel event whose status repeats the previous
    // one leaves it out; without, every channel event carries its status.
    CMIDIFileWriter(CMedia& media, bool runningStatus);

    void WriteHeader(uint16_t format, uint16_t tracks, uint16_t division);
    void BeginTrack();
    // Writes the end-of-track event at the last event's time when the track
    // has none yet, then closes the chunk.
    void EndTrack();

    // Every event takes its absolute time in ticks; the delta from the
    // track's previous event is written before it. A time earlier than the
    // previous event's counts as that event's time, so deltas never go
    // negative.
    void WriteChannelEvent(int64_t time, uint8_t status, uint8_t data1, uint8_t data2);
    void WriteMetaEvent(int64_t time, uint8_t type, std::span<const uint8_t> bytes);
    // Microseconds per quarter note, three bytes (larger values saturate).
    void WriteTempo(int64_t time, uint32_t microsecondsPerQuarter);
    // The denominator is written as its power of two (0 when it is none of
    // 1 ... 32), followed by 24 clocks per click and 8 32nds per quarter.
    void WriteTimeSignature(int64_t time, int32_t numerator, int32_t denominator);
    void WriteText(int64_t time, uint8_t type, std::string_view text);
    void WriteEndOfTrack(int64_t time);

    // The variable-length quantity of a value: 7 bits per byte, most
    // significant group first, bit 7 set on all but the last; 1 to 5 bytes.
    // Returns the number of bytes stored in out.
    static int32_t EncodeVariableLength(uint32_t value, uint8_t out[5]);
    // The exponent n with 2^n = denominator for 1 ... 32, else 0.
    static uint8_t DenominatorPower(int32_t denominator);

private:
    void WriteDelta(int64_t time);

    bool fRunningStatus;
    int64_t fLastTime = 0;
    uint8_t fLastStatus = 0;
    bool fTrackEnded = false;
};

} // namespace NSTambor
