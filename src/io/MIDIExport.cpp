#include "io/MIDIExport.h"

#include "app/Alert.h"
#include "app/ZubrikErrors.h"
#include "document/Exporter.h"
#include "io/ExportFileFormat.h"
#include "io/MIDIFileWriter.h"
#include "io/SamplerExport.h"
#include "platform/DiskKitUtils.h"
#include "tambor/Media.h"
#include "tambor/FileNameText.h"

#include <algorithm>

namespace NSZubrik {

namespace {

constexpr uint16_t kFormat = 1;
constexpr uint16_t kTrackCount = 2;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kFullVelocity = 127;

// The exporter counts 15360 ticks to the quarter note, the file fewer.
int64_t FileTicks(int64_t exporterTicks, uint16_t division)
{
    return exporterTicks * division / CExporter::kTicksPerQuarterNote;
}

// Thousandths of a beat per minute as microseconds per quarter note.
uint32_t MicrosecondsPerQuarter(int32_t tempo)
{
    if (tempo <= 0)
        return 0;
    return static_cast<uint32_t>(std::min<int64_t>(60'000'000'000LL / tempo, UINT32_MAX));
}

void WriteTempoTrack(NSTambor::CMIDIFileWriter& writer, const SMIDIFileContents& contents)
{
    writer.BeginTrack();
    writer.WriteTimeSignature(0, contents.fNumerator, contents.fDenominator);
    writer.WriteTempo(0, MicrosecondsPerQuarter(contents.fTempo));
    writer.WriteEndOfTrack(0);
    writer.EndTrack();
}

// One note per slice; each note ends at the latest where the next begins
// (or at the loop's end), so that the notes never overlap.
void WriteNoteTrack(NSTambor::CMIDIFileWriter& writer, const SMIDIFileContents& contents)
{
    const int64_t loopEnd = FileTicks(contents.fLengthInTicks, contents.fDivision);
    const auto& slices = contents.fSlices;
    writer.BeginTrack();
    writer.WriteText(0, NSTambor::CMIDIFileWriter::kMetaTrackName, contents.fTrackName);
    for (size_t k = 0; k < slices.size(); ++k) {
        const int64_t start = FileTicks(slices[k].fStartTick, contents.fDivision);
        const int64_t limit = k + 1 < slices.size() ? FileTicks(slices[k + 1].fStartTick, contents.fDivision) : loopEnd;
        const int64_t end = std::min(FileTicks(slices[k].fEndTick, contents.fDivision), limit);
        const auto key = static_cast<uint8_t>(contents.fFirstKey + k);
        writer.WriteChannelEvent(start, kNoteOn, key, kFullVelocity);
        writer.WriteChannelEvent(end, kNoteOn, key, 0);
    }
    writer.WriteEndOfTrack(loopEnd);
    writer.EndTrack();
}

void WriteFileSafely(const std::filesystem::path& destination, const NSTambor::CMemoryMedia& contents)
{
    NSDiskKitUtils::CSafeFileWriter file(destination, NSDiskKitUtils::MakeFourCC("Midi"));
    NSTambor::WriteBytes(file.GetMedia(), contents.GetSize(), contents.GetBuffer());
    file.Commit();
}

} // namespace

std::string MIDITrackName(const std::filesystem::path& destination)
{
    return SamplerEightBitName(NSTambor::FileNameText(destination.filename()));
}

SMIDIFileContents MIDIFileContents(const CExporter& exporter, const std::string& trackName, uint8_t firstKey,
                                   int32_t count)
{
    SMIDIFileContents contents;
    contents.fTempo = exporter.GetTempo();
    exporter.GetTimeSignature(contents.fNumerator, contents.fDenominator);
    contents.fLengthInTicks = exporter.GetLengthInTicks();
    contents.fTrackName = trackName;
    contents.fFirstKey = firstKey;
    for (int32_t k = 0; k < count; ++k)
        contents.fSlices.push_back(exporter.GetSlicePosition(k));
    return contents;
}

void WriteMIDIFile(NSTambor::CMedia& media, const SMIDIFileContents& contents)
{
    NSTambor::CMIDIFileWriter writer(media, false);
    writer.WriteHeader(kFormat, kTrackCount, contents.fDivision);
    WriteTempoTrack(writer, contents);
    WriteNoteTrack(writer, contents);
}

void ExportMidi(const CExporter& exporter, const std::filesystem::path& destination, uint8_t firstKey,
                int32_t sliceCount, bool applyLimit)
{
    int32_t count = std::clamp(sliceCount, 0, exporter.GetSliceCount());
    if (applyLimit) {
        const auto limit = static_cast<uint8_t>(128 - firstKey);
        if (count > limit) {
            const std::string countText = std::to_string(count);
            const std::string limitText = std::to_string(limit);
            if (ShowAlert(kAlertTable, 2205, countText, limitText, limitText) != kLastButton)
                throw XUserAbortedExport();
            count = limit;
        }
    }
    NSTambor::CMemoryMedia bytes(1024);
    WriteMIDIFile(bytes, MIDIFileContents(exporter, MIDITrackName(destination), firstKey, count));
    WriteFileSafely(destination, bytes);
}

void ExportMIDIFile(const CExporter& exporter, const std::filesystem::path& destination)
{
    ExportMidi(exporter, destination, kMIDIFirstKey, exporter.GetSliceCount(), true);
}

void ExportMIDIFileBeside(const CExporter& exporter, const CABCExportFileFormat& format,
                          const std::filesystem::path& exportedFile)
{
    std::filesystem::path destination = exportedFile;
    destination.replace_extension(".mid");
    if (NSDiskKitUtils::FileExists(destination) &&
        ShowAlert(kAlertTable, 2201, destination.filename().string()) == kLastButton)
        return;
    if (format.HasKeyRange())
        ExportMidi(exporter, destination, format.GetFirstKey(),
                   std::min(format.GetMaxSlices(), exporter.GetSliceCount()), false);
    else
        ExportMidi(exporter, destination, kMIDIFirstKey, exporter.GetSliceCount(), true);
}

} // namespace NSZubrik
