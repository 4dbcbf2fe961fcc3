#include "SamplerExportFixture.h"

#include <cstring>

#include "io/MixmanFileFormat.h"
#include "io/MixmanTrackFile.h"

using namespace NSSamplerExportTest;

namespace {

struct SNote {
    uint32_t time;
    uint8_t status, key, velocity;
};

// The note block: absolute times as variable-length numbers, full status.
std::vector<SNote> Notes(const TBytes& b, size_t from, size_t size)
{
    std::vector<SNote> notes;
    for (size_t at = from; at < from + size;) {
        uint32_t time = 0;
        while (b[at] & 0x80)
            time = time << 7 | (b[at++] & 0x7F);
        time = time << 7 | b[at++];
        notes.push_back({time, b[at], b[at + 1], b[at + 2]});
        at += 3;
    }
    return notes;
}

struct STrack {
    TBytes b;
    double tempo = 0;
    std::vector<SNote> notes;
    uint32_t loopTicks = 0;
    std::string name;
    size_t slices = 0; // offset of the first slice record
};

STrack ParseTrack(const std::filesystem::path& file)
{
    STrack t;
    t.b = ReadAll(file);
    const TBytes& b = t.b;
    std::memcpy(&t.tempo, b.data() + 8, 8);
    const uint32_t events = BE32(b, 123);
    EXPECT_EQ(LE32(b, 113), events + 4);
    t.notes = Notes(b, 127, events);
    const size_t after = 127 + events;
    EXPECT_EQ(LE16(b, after), 0x0100);
    t.loopTicks = LE32(b, after + 2);
    const size_t description = after + 11;
    t.name = Text(b, description + 1, b[description]);
    const size_t list = description + 1 + b[description] + 10 + 16 + 32 + 256 * 8 + 48;
    EXPECT_EQ(Text(b, list + 10, 7), "CSample");
    t.slices = list + 17;
    return t;
}

// Walks the slice records: checks each one's fixed parts and embedded WAVE
// header and answers the sample byte lengths.
std::vector<uint32_t> SliceLengths(const STrack& t, size_t count)
{
    const TBytes& b = t.b;
    std::vector<uint32_t> lengths;
    size_t at = t.slices;
    for (size_t k = 0; k < count; ++k) {
        if (k > 0) {
            EXPECT_EQ(LE16(b, at), 0x8001);
            at += 2;
        }
        const uint32_t bytes = LE32(b, at) - 1644;
        EXPECT_EQ(b[at + 15], k) << "key";
        EXPECT_EQ(LE32(b, at + 190 + 16), bytes);
        const size_t wave = at + 190 + 256;
        EXPECT_EQ(Text(b, wave, 4), "RIFF");
        EXPECT_EQ(LE16(b, wave + 22), 1) << "mono";
        EXPECT_EQ(LE32(b, wave + 40), bytes);
        lengths.push_back(bytes);
        at = wave + 44 + bytes + 1344;
    }
    EXPECT_EQ(b[at], 0) << "empty trailing text";
    EXPECT_EQ(at + 1, b.size());
    return lengths;
}

} // namespace

TEST(MixmanFileFormat, FourBarsAtOneHundredBeatsPerMinute)
{
    // 4 bars of 4/4 at 100 BPM last 9.6 s: eight stereo slices of 1.2 s.
    CSlicedLoop loop(8, true, 52920);
    loop.sequencer->SetBars(4);
    loop.sequencer->SetPreviewTempo(100000);
    auto exporter = loop.Exporter();
    const std::filesystem::path file = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "Beat.trk";
    CMixmanFileFormat format;
    CProgress progress;
    format.Export(*exporter, file, progress);

    const STrack t = ParseTrack(file);
    EXPECT_EQ(t.tempo, 100.0);
    EXPECT_EQ(t.loopTicks, 7680u);
    EXPECT_EQ(t.name, "Beat");
    EXPECT_EQ(t.b[t.slices - 15], 8) << "slice count";
    ASSERT_EQ(t.notes.size(), 16u);
    for (int32_t k = 0; k < 8; ++k) {
        const CExporter::SPiecePosition p = exporter->GetSlicePosition(k);
        const int64_t next = k < 7 ? exporter->GetSlicePosition(k + 1).fStartTick : exporter->GetLengthInTicks();
        const SNote on = t.notes[size_t(2 * k)], off = t.notes[size_t(2 * k + 1)];
        EXPECT_EQ(on.time, p.fStartTick * 480 / 15360);
        EXPECT_EQ((TBytes{on.status, on.key, on.velocity}), (TBytes{0x90, uint8_t(k), 127}));
        EXPECT_EQ(off.time, std::min(p.fEndTick, next) * 480 / 15360);
        EXPECT_EQ((TBytes{off.status, off.key, off.velocity}), (TBytes{0x80, uint8_t(k), 100}));
    }
    EXPECT_EQ(t.notes[2].time, 960u) << "the second slice starts on beat 3";

    // The stereo loop is mixed to mono; the header total counts every slice.
    const std::vector<uint32_t> lengths = SliceLengths(t, 8);
    EXPECT_FALSE(exporter->IsStereo());
    uint32_t total = 0;
    for (int32_t k = 0; k < 8; ++k) {
        EXPECT_EQ(lengths[size_t(k)], uint32_t(exporter->GetSlicePosition(k).fLength) * 2);
        total += lengths[size_t(k)] + 8192;
    }
    EXPECT_EQ(LE32(t.b, 2), total);
    ExpectTypeCode(file, ".TRK");
}

TEST(MixmanFileFormat, NoteEventsAreReencodedWithAbsoluteTimes)
{
    const TBytes track{0x00, 0x90, 0x3C, 0x7F,            // note-on at 0
                       0x60, 0x3C, 0x00,                  // running status, velocity 0, at 96
                       0x81, 0x00, 0xFF, 0x03, 0x02, 'a', 'b', // track name at 224: dropped
                       0x00, 0xC0, 0x05,                  // program change at 224
                       0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(ReencodeMixmanEvents(track),
              (TBytes{0x00, 0x90, 0x3C, 0x7F, 0x60, 0x80, 0x3C, 0x64, 0x81, 0x60, 0xC0, 0x05}));

    const std::vector<TBytes> broken{
        {0x00, 0xF0, 0x01, 0xF7},             // system exclusive
        {0x00, 0x3C, 0x7F},                   // data without any status
        {0x00, 0x90, 0x3C},                   // truncated event
        {0x00, 0x90, 0x3C, 0x90},             // a status where data belongs
        {0x00, 0xFF, 0x03, 0x05, 'a'},        // meta event longer than the track
        {0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, // delta of six bytes
        {0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x7F, 0x01, 0x90, 0x3C, 0x00}, // past 4-byte times
    };
    for (const TBytes& bytes : broken)
        EXPECT_THROW(ReencodeMixmanEvents(bytes), XBadFormat) << testing::PrintToString(bytes);
}
