#include "io/DragOutFiles.h"

#include <algorithm>
#include <memory>
#include <string>

#include "app/ResourceIds.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "document/ZubrikDocument.h"
#include "io/MIDIExport.h"
#include "io/SoundFileWriter.h"

namespace NSZubrik {

namespace {

constexpr int32_t kMaximumMIDINotes = 92;

std::string BaseName(const CZubrikDocument& document)
{
    std::string name = std::filesystem::path(document.GetName()).stem().string();
    std::replace(name.begin(), name.end(), '/', '_');
    return name.empty() ? std::string("Loop") : name;
}

std::filesystem::path WritePiece(const CExporter& exporter, int32_t piece, const std::filesystem::path& file)
{
    const std::unique_ptr<CABCWaveSample> wave = exporter.RenderPiece(piece);
    SPieceWriteOptions options;
    options.fBitDepth = wave->GetBitDepth() > 16 ? 24 : 16;
    options.fInstrument = false;
    CZubrikLengthyOperation operation(ProgressText(NSStrings::kFramesLeftToSave), ProgressText(NSStrings::kCancel),
                                      true);
    WriteSoundFile(*wave, options, EPlainSoundFile::kWave, file, operation);
    operation.Finish();
    return file;
}

} // namespace

std::vector<std::filesystem::path> WriteSliceDragFiles(CZubrikDocument& document,
                                                       const std::vector<int32_t>& slicePositions,
                                                       const std::filesystem::path& folder, bool noRingOut)
{
    const CExporter exporter(document.GetName(), document.GetSequencer(), true, noRingOut);
    std::vector<std::filesystem::path> files;
    for (int32_t piece = 0; piece < exporter.GetExportedSliceCount(); ++piece) {
        const int32_t start = exporter.GetExportedSegment(piece).fStart;
        if (std::find(slicePositions.begin(), slicePositions.end(), start) == slicePositions.end())
            continue;
        const std::string number = std::to_string(piece + 1);
        const std::string file = BaseName(document) + " " + std::string(3 - std::min<size_t>(3, number.size()), '0') +
                                 number + ".wav";
        files.push_back(WritePiece(exporter, piece, folder / file));
    }
    return files;
}

std::filesystem::path WriteLoopDragFile(CZubrikDocument& document, const std::filesystem::path& folder,
                                        bool noRingOut)
{
    const CExporter exporter(document.GetName(), document.GetSequencer(), false, noRingOut);
    return WritePiece(exporter, 0, folder / (BaseName(document) + ".wav"));
}

std::filesystem::path WriteLoopMidiDragFile(CZubrikDocument& document, const std::filesystem::path& folder,
                                            bool noRingOut)
{
    const CExporter exporter(document.GetName(), document.GetSequencer(), true, noRingOut);
    const std::filesystem::path file = folder / (BaseName(document) + ".mid");
    ExportMidi(exporter, file, kMIDIFirstKey, std::min(exporter.GetExportedSliceCount(), kMaximumMIDINotes), false);
    return file;
}

} // namespace NSZubrik
