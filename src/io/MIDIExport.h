// Writing the exported slices as a Standard MIDI File: one note per slice on
// its own key, in the loop's own timing, so that a sequencer can replay the
// slices of an exported sampler program. The file is written either as an
// export of its own or beside a sound or sampler export.
//
// Failures while creating or writing the file propagate as exceptions for
// the export command to report with its whole-export alerts; a cancelled
// slice-limit alert throws XUserAbortedExport.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/Exporter.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

class CABCExportFileFormat;

// The key of the first slice when nothing else decides it.
inline constexpr uint8_t kMIDIFirstKey = 36;

// Writes the MIDI file for the first sliceCount pieces of the exporter, the
// first on firstKey. When applyLimit is set and more slices exist than keys
// above firstKey (128 - firstKey), alert 2205 asks whether to go on with the
// first ones; either way no more than that many notes are written.
void ExportMidi(const CExporter& exporter, const std::filesystem::path& destination, uint8_t firstKey,
                int32_t sliceCount, bool applyLimit);

// The MIDI file chosen as the export's file type: key 36 on, the exporter's
// slice count, the limit with its alert.
void ExportMIDIFile(const CExporter& exporter, const std::filesystem::path& destination);

// The MIDI file written after a sound or sampler export that asked for one:
// the exported file's name with ".mid" in the same folder. An existing file
// is replaced only when alert 2201 answers Replace; Cancel skips the file
// quietly. A format with a key range gives its first key and at most its
// maximum of slices (no alert); any other starts at key 36 with the limit.
void ExportMIDIFileBeside(const CExporter& exporter, const CABCExportFileFormat& format,
                          const std::filesystem::path& exportedFile);

// Everything the file holds: the tempo track's values and one note per
// slice in exporter ticks (15360 to the quarter note).
struct SMIDIFileContents {
    int32_t fTempo = 0; // thousandths of a beat per minute
    int32_t fNumerator = 4;
    int32_t fDenominator = 4;
    int64_t fLengthInTicks = 0;
    std::vector<CExporter::SPiecePosition> fSlices;
    std::string fTrackName;
    uint8_t fFirstKey = kMIDIFirstKey;
    // Ticks to the quarter note in the file.
    uint16_t fDivision = 960;
};

// The contents for the first count pieces of the exporter (no limit is
// applied here).
SMIDIFileContents MIDIFileContents(const CExporter& exporter, const std::string& trackName, uint8_t firstKey,
                                   int32_t count);

// Writes the whole file into a media (the clipboard's MIDI form uses this
// too): format 1, a tempo track and a note track.
void WriteMIDIFile(NSTambor::CMedia& media, const SMIDIFileContents& contents);

// The track name written into the file: the destination's file name with
// every character above 127 replaced by '_'.
std::string MIDITrackName(const std::filesystem::path& destination);

} // namespace NSZubrik
