#include "io/MixmanTrackFile.h"

#include "tambor/ByteBuilder.h"

#include <algorithm>
#include <bit>
#include <initializer_list>

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

namespace NSZubrik {

namespace {

constexpr uint32_t kSampleRate = 44100;
// Bytes of each embedded slice after its sample-length word, and the share
// of the header total that each slice accounts for.
constexpr uint32_t kSliceRecordExtra = 1644;
constexpr uint32_t kSliceTotalExtra = 8192;
constexpr size_t kSampleTextField = 80;
constexpr size_t kSampleInfoSize = 256;
constexpr size_t kSamplePadding = 1344;
constexpr size_t kTotalOffset = 2;

// Little-endian numbers and raw bytes collected for the file.
class CTrackBytes : public NSTambor::CByteBuilder {
public:
    void Bytes(std::initializer_list<uint8_t> values) { Append({values.begin(), values.size()}); }
    void Bytes(std::span<const uint8_t> values) { Append(values); }
    void F64(double value)
    {
        const auto bits = std::bit_cast<uint64_t>(value);
        U32LE(static_cast<uint32_t>(bits));
        U32LE(static_cast<uint32_t>(bits >> 32));
    }
    // A length byte and the text.
    void ShortText(const std::string& text)
    {
        const size_t length = std::min<size_t>(text.size(), 255);
        U8(static_cast<uint8_t>(length));
        Text(std::string_view(text).substr(0, length));
    }
    void PatchU32(size_t offset, uint32_t value)
    {
        for (size_t i = 0; i < 4; ++i)
            Data()[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
};

std::string TrackName(const SMixmanTrack& track) { return track.fName.substr(0, SMixmanTrack::kMaxNameLength); }

void MainHeader(CTrackBytes& out, const SMixmanTrack& track)
{
    out.U16LE(8);
    out.U32LE(0); // the total, patched once the slices are known
    out.U16LE(0);
    out.F64(track.fTempo);
    out.U16LE(16);
    out.U16LE(static_cast<uint16_t>(kSampleRate));
    out.Bytes({100, 63});
    out.U16LE(TrackName(track).empty() ? 0 : 1);
    out.U16LE(0);
    out.U16LE(50);
    for (const uint32_t value : {0u, uint32_t(track.fFlags[2]), uint32_t(track.fFlags[3]), 0u, 0u})
        out.U32LE(value);
    for (int i = 0; i < 4; ++i)
        out.F64(0.0);
    out.Bytes({0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
               0xE0, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x01});
}

void NoteBlock(CTrackBytes& out, const SMixmanTrack& track)
{
    const auto eventBytes = static_cast<uint32_t>(track.fEvents.size());
    out.Bytes({0x00, 0x04, 0x00, 0x04, 0x00, 0x00});
    out.U32LE(eventBytes + 4);
    out.Bytes({0x00, 0x00, 0x01, 0x00, 0xE0, 0x01});
    out.U32BE(eventBytes);
    out.Bytes(track.fEvents);
    out.Bytes({0x00, 0x01});
    out.U32LE(uint32_t(track.fLoopBeats) * SMixmanTrack::kTicksPerBeat);
    out.Bytes({0x01, 0x00, 0x00, track.fFlags[0], track.fFlags[1]});
}

void TrackDescription(CTrackBytes& out, const SMixmanTrack& track)
{
    out.ShortText(TrackName(track));
    for (const uint16_t value : {0, 1, 0, 0, 0})
        out.U16LE(value);
    out.Zeros(4 * 4 + 16 * 2);
    for (int i = 0; i < 253; ++i)
        out.F64(1.0);
    for (int i = 0; i < 3; ++i)
        out.F64(0.0);
    out.Zeros(24 * 2);
    out.U16LE(2);
    out.U8(static_cast<uint8_t>(track.fSlices.size()));
    out.Bytes({0x00, 0xFF, 0xFF, 0x09, 0x00, 0x07, 0x00});
    out.Text("CSample");
}

// The 44-byte header of a 44100 Hz, 16-bit mono WAVE file.
void WaveHeader(CTrackBytes& out, uint32_t sampleBytes)
{
    out.Text("RIFF");
    out.U32LE(sampleBytes + 36);
    out.Text("WAVEfmt ");
    out.U32LE(16);
    out.U16LE(1);
    out.U16LE(1);
    out.U32LE(kSampleRate);
    out.U32LE(kSampleRate * 2);
    out.U16LE(2);
    out.U16LE(16);
    out.Text("data");
    out.U32LE(sampleBytes);
}

void Slice(CTrackBytes& out, const SMixmanTrack::SSlice& slice, bool first)
{
    const auto sampleBytes = static_cast<uint32_t>(slice.fSampleBytes.size());
    if (!first)
        out.Bytes({0x01, 0x80});
    out.U32LE(sampleBytes + kSliceRecordExtra);
    out.Bytes({0x44, 0xAC, 0x00, 0x00, 0xFF, 0xFF, 0x3F, 0x00, 0x00, 0x3F, 0x63, slice.fKeys[0], slice.fKeys[1]});
    out.Bytes({0x63, 0x63, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x0A, 0x00, 0x00});
    for (int field = 0; field < 2; ++field) {
        out.Text("TFW");
        out.Zeros(kSampleTextField - 3);
    }
    const size_t info = out.Size();
    out.Zeros(16);
    out.U32LE(sampleBytes);
    out.Zeros(28);
    out.Bytes({0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0x00,
               0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0xFF, 0x7F});
    out.Zeros(kSampleInfoSize - (out.Size() - info));
    WaveHeader(out, sampleBytes);
    out.Bytes(slice.fSampleBytes);
    out.Zeros(kSamplePadding);
}

// Reads a variable-length number of at most maxBytes bytes.
uint64_t ReadVariableLength(std::span<const uint8_t> bytes, size_t& position, size_t maxBytes)
{
    uint64_t value = 0;
    for (size_t count = 0; count < maxBytes; ++count) {
        if (position >= bytes.size())
            throw XBadFormat();
        const uint8_t byte = bytes[position++];
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return value;
    }
    throw XBadFormat();
}

void WriteVariableLength(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1)
        out.push_back(groups[--count] | 0x80);
    out.push_back(groups[0]);
}

int32_t DataByteCount(uint8_t status)
{
    switch (status & 0xF0) {
    case 0x80: case 0x90: case 0xA0: case 0xB0: case 0xE0:
        return 2;
    case 0xC0: case 0xD0:
        return 1;
    default:
        throw XBadFormat();
    }
}

} // namespace

std::vector<uint8_t> MixmanTrackBytes(const SMixmanTrack& track)
{
    CTrackBytes out;
    MainHeader(out, track);
    NoteBlock(out, track);
    TrackDescription(out, track);
    uint32_t total = 0;
    for (size_t k = 0; k < track.fSlices.size(); ++k) {
        Slice(out, track.fSlices[k], k == 0);
        total += static_cast<uint32_t>(track.fSlices[k].fSampleBytes.size()) + kSliceTotalExtra;
    }
    out.ShortText(track.fTrailingText);
    out.PatchU32(kTotalOffset, total);
    return std::move(out.Data());
}

void WriteMixmanTrack(NSTambor::CMedia& media, const SMixmanTrack& track)
{
    const std::vector<uint8_t> bytes = MixmanTrackBytes(track);
    NSTambor::WriteBytes(media, static_cast<int32_t>(bytes.size()), bytes.data());
}

std::vector<uint8_t> ReencodeMixmanEvents(std::span<const uint8_t> events)
{
    // The largest time a 4-byte variable-length number holds.
    constexpr uint64_t kMaxTime = (uint64_t(1) << 28) - 1;
    std::vector<uint8_t> out;
    uint64_t time = 0;
    uint8_t status = 0;
    size_t position = 0;
    while (position < events.size()) {
        time += ReadVariableLength(events, position, 5);
        if (position >= events.size())
            throw XBadFormat();
        if (events[position] == 0xFF) {
            // A meta event: type, length, data. It also ends running status.
            position += 2;
            if (position > events.size())
                throw XBadFormat();
            const uint64_t length = ReadVariableLength(events, position, 4);
            if (length > events.size() - position)
                throw XBadFormat();
            position += length;
            status = 0;
            continue;
        }
        if (events[position] & 0x80)
            status = events[position++];
        if (status == 0 || time > kMaxTime)
            throw XBadFormat();
        const int32_t dataCount = DataByteCount(status);
        if (events.size() - position < size_t(dataCount))
            throw XBadFormat();
        uint8_t data[2] = {events[position], dataCount == 2 ? events[position + 1] : uint8_t(0)};
        position += size_t(dataCount);
        if ((data[0] | data[1]) & 0x80)
            throw XBadFormat();
        uint8_t written = status;
        if ((status & 0xF0) == 0x90 && data[1] == 0) {
            written = static_cast<uint8_t>(0x80 | (status & 0x0F));
            data[1] = 100;
        }
        WriteVariableLength(out, static_cast<uint32_t>(time));
        out.push_back(written);
        out.insert(out.end(), data, data + dataCount);
    }
    return out;
}

} // namespace NSZubrik
