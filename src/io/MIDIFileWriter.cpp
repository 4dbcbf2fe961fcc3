#include "io/MIDIFileWriter.h"

#include "app/ZubrikErrors.h"

#include <algorithm>

namespace NSTambor {

namespace {

constexpr uint8_t kMetaStatus = 0xFF;
constexpr uint32_t kLargestTempo = 0xFFFFFF;

} // namespace

CMIDIFileWriter::CMIDIFileWriter(CMedia& media, bool runningStatus)
    : CIFFWriter(media, false), fRunningStatus(runningStatus)
{
}

int32_t CMIDIFileWriter::EncodeVariableLength(uint32_t value, uint8_t out[5])
{
    uint8_t groups[5];
    int32_t count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int32_t i = 0; i < count; ++i)
        out[i] = static_cast<uint8_t>(groups[count - 1 - i] | (i + 1 < count ? 0x80 : 0x00));
    return count;
}

uint8_t CMIDIFileWriter::DenominatorPower(int32_t denominator)
{
    for (uint8_t power = 0; power <= 5; ++power)
        if (denominator == (1 << power))
            return power;
    return 0;
}

void CMIDIFileWriter::WriteHeader(uint16_t format, uint16_t tracks, uint16_t division)
{
    BeginChunk(CFourCharCode("MThd"));
    CMedia& media = GetMedia();
    WriteU16BE(media, format);
    WriteU16BE(media, tracks);
    WriteU16BE(media, division);
    End();
}

void CMIDIFileWriter::BeginTrack()
{
    BeginChunk(CFourCharCode("MTrk"));
    fLastTime = 0;
    fLastStatus = 0;
    fTrackEnded = false;
}

void CMIDIFileWriter::EndTrack()
{
    if (!fTrackEnded)
        WriteEndOfTrack(fLastTime);
    End();
}

void CMIDIFileWriter::WriteDelta(int64_t time)
{
    if (fTrackEnded)
        throw NSZubrik::XIllegalCallSequence();
    time = std::max(time, fLastTime);
    const int64_t delta = std::min<int64_t>(time - fLastTime, UINT32_MAX);
    uint8_t bytes[5];
    WriteBytes(GetMedia(), EncodeVariableLength(static_cast<uint32_t>(delta), bytes), bytes);
    fLastTime = time;
}

void CMIDIFileWriter::WriteChannelEvent(int64_t time, uint8_t status, uint8_t data1, uint8_t data2)
{
    WriteDelta(time);
    const uint8_t bytes[3] = {status, data1, data2};
    // Program change and channel pressure carry a single data byte.
    const uint8_t kind = status & 0xF0;
    const int32_t size = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    const bool omitStatus = fRunningStatus && status == fLastStatus;
    fLastStatus = status;
    WriteBytes(GetMedia(), size - (omitStatus ? 1 : 0), omitStatus ? bytes + 1 : bytes);
}

void CMIDIFileWriter::WriteMetaEvent(int64_t time, uint8_t type, std::span<const uint8_t> bytes)
{
    WriteDelta(time);
    CMedia& media = GetMedia();
    uint8_t head[7] = {kMetaStatus, type};
    const int32_t lengthSize = EncodeVariableLength(static_cast<uint32_t>(bytes.size()), head + 2);
    WriteBytes(media, 2 + lengthSize, head);
    if (!bytes.empty())
        WriteBytes(media, static_cast<int32_t>(bytes.size()), bytes.data());
    // A meta event ends any running status.
    fLastStatus = 0;
    if (type == kMetaEndOfTrack)
        fTrackEnded = true;
}

void CMIDIFileWriter::WriteTempo(int64_t time, uint32_t microsecondsPerQuarter)
{
    const uint32_t tempo = std::min(microsecondsPerQuarter, kLargestTempo);
    const uint8_t bytes[3] = {static_cast<uint8_t>(tempo >> 16), static_cast<uint8_t>(tempo >> 8),
                              static_cast<uint8_t>(tempo)};
    WriteMetaEvent(time, kMetaTempo, bytes);
}

void CMIDIFileWriter::WriteTimeSignature(int64_t time, int32_t numerator, int32_t denominator)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(numerator), DenominatorPower(denominator), 24, 8};
    WriteMetaEvent(time, kMetaTimeSignature, bytes);
}

void CMIDIFileWriter::WriteText(int64_t time, uint8_t type, std::string_view text)
{
    WriteMetaEvent(time, type,
                   std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void CMIDIFileWriter::WriteEndOfTrack(int64_t time)
{
    WriteMetaEvent(time, kMetaEndOfTrack, {});
}

} // namespace NSTambor
