// The files a drag out of the window hands to a file manager or a sequencer:
// slices or the whole loop as WAVE files, or the loop as a MIDI file, each
// rendered and written by the same code as an export.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace NSZubrik {

class CZubrikDocument;

// Each slice starting at one of slicePositions (inside the loop) as a WAVE
// file of its own in folder, named after the document and the slice's number.
// Positions that start no exported slice are left out.
std::vector<std::filesystem::path> WriteSliceDragFiles(CZubrikDocument& document,
                                                       const std::vector<int32_t>& slicePositions,
                                                       const std::filesystem::path& folder, bool noRingOut);

// The whole loop as one WAVE file in folder.
std::filesystem::path WriteLoopDragFile(CZubrikDocument& document, const std::filesystem::path& folder,
                                        bool noRingOut);

// The loop's slices as a MIDI file in folder (one note per slice from key 36,
// at most 92).
std::filesystem::path WriteLoopMidiDragFile(CZubrikDocument& document, const std::filesystem::path& folder,
                                            bool noRingOut);

} // namespace NSZubrik
