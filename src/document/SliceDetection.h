// Slice detection: the analysis pass that finds every transient onset of a
// wave sample, the sensitivity threshold and the gated slice lengths. The
// operations themselves are members of CSliceSequence (Analyze, ReAnalyze,
// SetSensitivity, SetGateSensitivity, UpdateLengths); this header holds the
// pieces the rest of the program and the tests reach directly. When Analyze
// or ReAnalyze returns false the document shows the alert
// NSAlerts::kAnalyzeInterrupted; a Re-Analyze that leaves the slice count
// unchanged shows NSAlerts::kNoNewSlices.
#pragma once

#include <cstdint>

namespace NSZubrik {

class CABCWaveSample;

namespace NSSliceDetection {

// Frames read, reported and polled for a stop request at a time.
inline constexpr int32_t kChunkFrames = 1000;
// Farthest an onset is moved back onto a zero crossing.
inline constexpr int32_t kSnapReach = 500;
// Values quieter than this count as a zero crossing for the snap.
inline constexpr int32_t kSnapQuiet = 1023;

// Strength threshold for a sensitivity: 32767 at 0, 16218 at 50, 0 at 99.
int16_t ThresholdForSensitivity(int32_t sensitivity);

// The lowest sensitivity at which a slice shows: 0 for a locked slice,
// else the first whose threshold lies below the slice's strength (at most
// 99, where every slice shows).
int32_t LowestSensitivityShowing(int16_t strength, bool locked);

// The lowest envelope the gate lets a slice sound above, 0.002 at gate
// sensitivity 0 rising to 1.0 at 999.
float GateFloor(int32_t gateSensitivity);

// The 16-bit value the pass sees at a frame: the first channel, or for a
// stereo sound the exact sum of both channels halved toward zero.
int16_t MixedValue(const CABCWaveSample& waveSample, int32_t frame);

// Moves an onset back to the frame just after a sign change, or to the first
// frame (going back) quieter than kSnapQuiet, never more than kSnapReach
// frames and never below frame 0.
int32_t SnapBackToZeroCrossing(const CABCWaveSample& waveSample, int32_t onset);

// Level, relative to full scale, of the frames [start, start + count) read
// from the peak summary; 0 when the run covers no block boundary or the
// sample has no summary.
float BlockLevel(const CABCWaveSample& waveSample, int32_t start, int32_t count);

// The gated sounding length of a slice whose span is `span` frames from
// `start`: the frames covered until the decaying envelope drops below floor.
int32_t DecaySearch(const CABCWaveSample& waveSample, int32_t start, int32_t span, float floor);

// Re-Analyze moves a new onset onto an existing slice this close to it:
// 64 frames at 44.1 kHz, scaled with the sample rate.
int32_t MergeTolerance(int32_t sampleRate);

} // namespace NSSliceDetection

} // namespace NSZubrik
