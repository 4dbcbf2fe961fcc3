#include "SamplerExportFixture.h"

#include "io/MIDIExport.h"
#include "io/MIDIFileWriter.h"
#include "io/SoundFontFileFormat.h"
#include "tambor/Media.h"

using namespace NSSamplerExportTest;
using NSTambor::CMemoryMedia;
using NSTambor::CMIDIFileWriter;

namespace {

TBytes Bytes(const CMemoryMedia& media) { return TBytes(media.GetBuffer(), media.GetBuffer() + media.GetSize()); }

struct SEvent {
    int64_t fTime;
    TBytes fBytes; // status and data, or FF, type and data
};

// The events of track `index` of a file written without running status.
std::vector<SEvent> TrackEvents(const TBytes& file, int32_t index)
{
    size_t at = 14, p = 0;
    const auto u32 = [&file](size_t i) { return size_t(file.at(i)) << 24 | file.at(i + 1) << 16 | file.at(i + 2) << 8 | file.at(i + 3); };
    for (int32_t track = 0; track < index; ++track)
        at += 8 + u32(at + 4);
    EXPECT_EQ(std::string(file.begin() + long(at), file.begin() + long(at) + 4), "MTrk");
    const size_t end = at + 8 + u32(at + 4);
    const auto vlq = [&] {
        uint32_t value = 0;
        for (uint8_t byte = 0x80; byte & 0x80;)
            value = value << 7 | ((byte = file.at(p++)) & 0x7F);
        return value;
    };
    std::vector<SEvent> events;
    int64_t time = 0;
    for (p = at + 8; p < end;) {
        time += vlq();
        SEvent event{time, {file.at(p++)}};
        EXPECT_TRUE(event.fBytes[0] & 0x80) << "no status at " << p;
        size_t count = 2;
        if (event.fBytes[0] == 0xFF) {
            event.fBytes.push_back(file.at(p++));
            count = vlq();
        }
        for (size_t i = 0; i < count; ++i)
            event.fBytes.push_back(file.at(p++));
        events.push_back(event);
    }
    EXPECT_EQ(p, end);
    return events;
}

std::vector<SEvent> Notes(const std::vector<SEvent>& events, bool on)
{
    std::vector<SEvent> notes;
    for (const SEvent& e : events)
        if (e.fBytes[0] == 0x90 && (e.fBytes[2] != 0) == on)
            notes.push_back(e);
    return notes;
}

} // namespace

TEST(MIDIFileWriter, VariableLengthQuantitiesAndRunningStatus)
{
    const std::vector<std::pair<uint32_t, TBytes>> cases = {
        {0, {0x00}}, {127, {0x7F}}, {128, {0x81, 0x00}}, {16384, {0x81, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}}, {0xFFFFFFFF, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& [value, expected] : cases) {
        uint8_t out[5];
        EXPECT_EQ(TBytes(out, out + CMIDIFileWriter::EncodeVariableLength(value, out)), expected) << value;
    }
    // Deltas 127, 128 and 16384; a time going back is no delta; running
    // status leaves out a repeated status.
    for (const bool running : {false, true}) {
        CMemoryMedia media(64);
        CMIDIFileWriter writer(media, running);
        writer.BeginTrack();
        writer.WriteChannelEvent(127, 0x90, 60, 127);
        writer.WriteChannelEvent(255, 0x90, 60, 0);
        writer.WriteChannelEvent(16639, 0x80, 61, 0);
        writer.WriteChannelEvent(100, 0x80, 62, 0);
        writer.EndTrack();
        const TBytes repeated = running ? TBytes{} : TBytes{0x80};
        TBytes expected = TBytes{'M', 'T', 'r', 'k', 0, 0, 0, 0, 0x7F, 0x90, 60, 127, 0x81, 0x00} +
                          (running ? TBytes{} : TBytes{0x90}) + TBytes{60, 0, 0x81, 0x80, 0x00, 0x80, 61, 0, 0x00} +
                          repeated + TBytes{62, 0, 0x00, 0xFF, 0x2F, 0x00};
        expected[7] = uint8_t(expected.size() - 8);
        EXPECT_EQ(Bytes(media), expected) << "running status " << running;
    }
}

TEST(MIDIExport, SliceLimitTrackNameAndReplacing)
{
    CSlicedLoop loop(100, false, 3528, 4);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    const std::filesystem::path folder = NSTestSupport::TemporaryFolder();
    CAlerts scope;
    scope.presenter.answer = 0; // Cancel
    EXPECT_THROW(ExportMIDIFile(exporter, folder / "Cancelled.mid"), XUserAbortedExport);
    EXPECT_FALSE(std::filesystem::exists(folder / "Cancelled.mid"));
    scope.presenter.answer.reset(); // OK
    ExportMIDIFile(exporter, folder / u"B\u00EBat.mid");
    ASSERT_EQ(scope.presenter.messages.size(), 2u);
    EXPECT_NE(scope.presenter.messages[1].find("You've got 100 slices, but this MIDI file can only use 92. "
                                               "Would you like to use the first 92 slices?"), std::string::npos);
    const std::vector<SEvent> events = TrackEvents(ReadAll(folder / u"B\u00EBat.mid"), 1);
    EXPECT_EQ(events.front().fBytes, (TBytes{0xFF, 0x03, 'B', '_', 'a', 't', '.', 'm', 'i', 'd'}));
    const std::vector<SEvent> on = Notes(events, true);
    ASSERT_EQ(on.size(), 92u);
    EXPECT_EQ(on.front().fBytes[1], 36);
    EXPECT_EQ(on.back().fBytes[1], 127);

    // Beside a SoundFont export: 92 notes without asking; an existing file
    // is kept on Cancel (the last button of alert 2201) and replaced on Replace.
    std::ofstream(folder / "Beat.mid") << "old";
    ExportMIDIFileBeside(exporter, CSoundFontFileFormat(), folder / "Beat.sf2");
    ASSERT_EQ(scope.presenter.messages.size(), 3u);
    EXPECT_EQ(ReadAll(folder / "Beat.mid").size(), 3u);
    scope.presenter.answer = 0; // Replace
    ExportMIDIFileBeside(exporter, CSoundFontFileFormat(), folder / "Beat.sf2");
    EXPECT_EQ(scope.presenter.messages.size(), 4u);
    EXPECT_EQ(Notes(TrackEvents(ReadAll(folder / "Beat.mid"), 1), true).size(), 92u);
}

// Debian's mido reads our file as we mean it: tempo, signature, one note per
// slice on keys from 36 at the slices' ticks, the end at the loop's end.
TEST(MIDIExport, MidoReadsTheExport)
{
    std::string errors;
    if (RunCommand("/usr/bin/python3 -c 'import mido'", errors) != 0)
        GTEST_SKIP() << "/usr/bin/python3 with python3-mido is not installed (scripts/install-deps)";
    CSlicedLoop loop(16, true, 11025, 2);
    CExporter exporter(u"Beat", *loop.sequencer, true, false);
    const std::filesystem::path file = std::filesystem::path(NSTestSupport::TemporaryFolder()) / "Beat.mid";
    ExportMIDIFile(exporter, file);
    std::ofstream(file.parent_path() / "read.py")
        << "import mido, sys\nf = mido.MidiFile(sys.argv[1])\nprint(f.type, len(f.tracks), f.ticks_per_beat)\n"
           "for i, t in enumerate(f.tracks):\n    now = 0\n    for m in t:\n        now += m.time\n"
           "        if m.type == 'set_tempo': print('tempo', m.tempo)\n"
           "        if m.type == 'time_signature': print('sig', m.numerator, m.denominator)\n"
           "        if m.type == 'note_on': print('note', m.note, m.velocity, now)\n"
           "        if m.type == 'end_of_track': print('end', i, now)\n";
    std::string output;
    ASSERT_EQ(RunCommand("/usr/bin/python3 '" + file.parent_path().string() +
                                    "/read.py' '" + file.string() + "'", errors, &output), 0) << errors;
    std::string expected = "1 2 960\nsig 4 4\ntempo 500000\nend 0 0\n";
    for (int32_t k = 0; k < 16; ++k) {
        const CExporter::SPiecePosition p = exporter.GetSlicePosition(k);
        const int64_t end = std::min(p.fEndTick, k < 15 ? exporter.GetSlicePosition(k + 1).fStartTick : 8 * 15360);
        expected += "note " + std::to_string(36 + k) + " 127 " + std::to_string(p.fStartTick / 16) + "\n";
        expected += "note " + std::to_string(36 + k) + " 0 " + std::to_string(end / 16) + "\n";
    }
    EXPECT_EQ(output, expected + "end 1 7680\n");
}
