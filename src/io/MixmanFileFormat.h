// Mixman track export: the whole loop as one ".trk" file holding every
// slice as an embedded 44100 Hz, 16-bit mono sound on its own key (slice k
// on key k) and the notes that replay the slices in the loop's timing.
// Mixman reads the tempo right only from a 4/4 loop, so the export asks for
// no settings and checks the time signature instead.
#pragma once

#include "io/ExportFileFormat.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace NSZubrik {

class CMixmanFileFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 0;
    static constexpr int32_t kMaxSlices = 128;
    // Frames converted between two progress reports.
    static constexpr int32_t kProgressFrames = 4096;

    CMixmanFileFormat();

    // The loop's time signature, for EditSettings to check. The export
    // command gives it before asking the settings; without it the check
    // happens when Export starts.
    void SetTimeSignature(int32_t numerator, int32_t denominator);
    void PrepareForLoop(const CExporter& exporter) override;
    // No dialog: answers true for a 4/4 loop, else shows alert 2212 and
    // answers false.
    bool EditSettings(IExportSettingsDialog& dialog) override;
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;

    // The note block of a track file for the first `count` slices: the note
    // track of the loop's MIDI file at 480 ticks per quarter note, slice k
    // on key k, re-encoded with absolute times.
    static std::vector<uint8_t> NoteEvents(const CExporter& exporter, int32_t count,
                                           const std::filesystem::path& destination);

private:
    // Shows alert 2212 unless the signature is 4/4.
    static bool CheckFourFour(int32_t numerator, int32_t denominator);

    std::optional<std::pair<int32_t, int32_t>> fTimeSignature;
};

} // namespace NSZubrik
