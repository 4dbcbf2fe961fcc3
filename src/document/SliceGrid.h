// Add Slices at Grid: locked slices on a sixteenth-note grid between the
// locators, laid out from the loop's time signature and its length in bars
// and beats. The document runs it on a copy of its sequence and commits the
// copy only when the slice count changed (as "Add Slices at Grid"; otherwise
// it shows NSAlerts::kNoSlicesAdded). Above kGridQuestionLimit grid points it
// asks NSAlerts::kManyGridSlices first.
#pragma once

#include <cstdint>

namespace NSZubrik {

class CSliceSequence;

// The loop as the grid sees it.
struct CLoopGrid {
    int32_t numerator = 4;    // beats per bar
    int32_t denominator = 4;  // note value of a beat
    int32_t bars = 1;
    int32_t beats = 0;        // beats beyond the whole bars
    int32_t leftLocator = 0;
    int32_t rightLocator = 0;
};

// Grid points the insertion visits: (bars x numerator + beats) x 16 /
// denominator.
int64_t CountGridPoints(const CLoopGrid& grid);
inline constexpr int64_t kGridQuestionLimit = 1000;

// Adds a locked slice at every grid point whose half-step lies before the
// right locator: a new one with strength 16384, or an existing unlocked one
// turned locked (strength and selection kept). Recomputes the lengths.
// Returns how many slices the sequence gained.
int32_t AddSlicesAtGrid(CSliceSequence& sequence, const CLoopGrid& grid);

} // namespace NSZubrik
