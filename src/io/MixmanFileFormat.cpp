#include "io/MixmanFileFormat.h"

#include <algorithm>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/MIDIExport.h"
#include "io/MixmanTrackFile.h"
#include "io/SamplerExport.h"
#include "platform/DiskKitUtils.h"
#include "tambor/Media.h"
#include "tambor/FileNameText.h"

namespace NSZubrik {

namespace {

constexpr int32_t kSampleRate = 44100;
constexpr uint16_t kDivision = SMixmanTrack::kTicksPerBeat;

// The data of the second "MTrk" chunk of a Standard MIDI File.
std::span<const uint8_t> SecondTrack(std::span<const uint8_t> file)
{
    size_t position = 0;
    int32_t tracks = 0;
    while (file.size() - position >= 8) {
        const uint8_t* header = file.data() + position;
        const uint32_t size = uint32_t(header[4]) << 24 | uint32_t(header[5]) << 16 | uint32_t(header[6]) << 8 | header[7];
        position += 8;
        if (size > file.size() - position)
            break;
        if (std::equal(header, header + 4, "MTrk") && ++tracks == 2)
            return file.subspan(position, size);
        position += size;
    }
    throw XBadFormat();
}

// Piece k as 16-bit little-endian mono values.
std::vector<uint8_t> SampleBytes(const CExporter& exporter, int32_t piece, ILengthyProgress& progress)
{
    const std::unique_ptr<CABCWaveSample> wave = exporter.RenderPiece(piece);
    const int32_t frames = wave->GetFrameCount();
    std::vector<uint8_t> bytes(size_t(frames) * 2);
    std::vector<int16_t> block(CMixmanFileFormat::kProgressFrames);
    for (int32_t start = 0; start < frames; start += CMixmanFileFormat::kProgressFrames) {
        progress.SetPercent(static_cast<int32_t>(int64_t(start) * 100 / frames));
        if (progress.StopRequested())
            throw XUserAbortedExport();
        const int32_t count = std::min(CMixmanFileFormat::kProgressFrames, frames - start);
        wave->GetInt16s(start, count, block.data(), 1);
        for (int32_t i = 0; i < count; ++i) {
            const auto value = static_cast<uint16_t>(block[size_t(i)]);
            bytes[size_t(start + i) * 2] = static_cast<uint8_t>(value);
            bytes[size_t(start + i) * 2 + 1] = static_cast<uint8_t>(value >> 8);
        }
    }
    progress.SetPercent(100);
    return bytes;
}

} // namespace

CMixmanFileFormat::CMixmanFileFormat()
    : CABCExportFileFormat({kSampleRate}, {16}, false, true, kFirstKey, kMaxSlices, false)
{
}

void CMixmanFileFormat::SetTimeSignature(int32_t numerator, int32_t denominator)
{
    fTimeSignature.emplace(numerator, denominator);
}

void CMixmanFileFormat::PrepareForLoop(const CExporter& exporter)
{
    int32_t numerator = 0;
    int32_t denominator = 0;
    exporter.GetTimeSignature(numerator, denominator);
    SetTimeSignature(numerator, denominator);
}

bool CMixmanFileFormat::CheckFourFour(int32_t numerator, int32_t denominator)
{
    if (numerator == 4 && denominator == 4)
        return true;
    ShowAlert(kAlertTable, NSAlerts::kMixmanNeedsFourFour);
    return false;
}

bool CMixmanFileFormat::EditSettings(IExportSettingsDialog&)
{
    fSampleRate = kSampleRate;
    fBitDepth = 16;
    fExportMidiFile = false;
    return !fTimeSignature || CheckFourFour(fTimeSignature->first, fTimeSignature->second);
}

std::vector<uint8_t> CMixmanFileFormat::NoteEvents(const CExporter& exporter, int32_t count,
                                                   const std::filesystem::path& destination)
{
    // The loop's MIDI file with slice k on key k; its note track is the
    // track's event block.
    SMIDIFileContents contents = MIDIFileContents(exporter, MIDITrackName(destination), kFirstKey, count);
    contents.fDivision = kDivision;
    NSTambor::CMemoryMedia midi(1024);
    WriteMIDIFile(midi, contents);
    return ReencodeMixmanEvents(SecondTrack({midi.GetBuffer(), size_t(midi.GetSize())}));
}

void CMixmanFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                               ILengthyProgress& progress)
{
    int32_t numerator = 4, denominator = 4;
    exporter.GetTimeSignature(numerator, denominator);
    // Without a signature given beforehand nothing has been checked yet.
    if (!fTimeSignature && !CheckFourFour(numerator, denominator))
        throw XUserAbortedExport();
    exporter.SetMixToMono(true);

    NSDiskKitUtils::CSafeFileWriter writer(destination, NSDiskKitUtils::MakeFourCC(".TRK"));
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    SMixmanTrack track;
    track.fName = SamplerEightBitName(NSTambor::FileNameText(destination.stem()));
    track.fTempo = exporter.GetTempo() / 1000.0;
    track.fLoopBeats = static_cast<uint16_t>(exporter.GetLengthInTicks() * denominator /
                                             (4 * CExporter::kTicksPerQuarterNote));
    track.fEvents = NoteEvents(exporter, count, destination);
    for (int32_t slice = 0; slice < count; ++slice) {
        progress.SetCount(count - slice);
        const auto key = static_cast<uint8_t>(kFirstKey + slice);
        track.fSlices.push_back({SampleBytes(exporter, slice, progress), {key, key}});
    }
    WriteMixmanTrack(writer.GetMedia(), track);
    writer.Commit();
}

} // namespace NSZubrik
