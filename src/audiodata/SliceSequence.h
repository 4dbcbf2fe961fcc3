// Slices: the cut points of one wave sample, kept in position order with the
// analysis settings that decide which of them sound (sensitivity) and for
// how long (gate sensitivity), and the segment list built from them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audiodata/Segment.h"

namespace NSZubrik {

class CABCWaveSample;

class CSlice {
public:
    enum EState : int32_t { kNormal = 1, kMuted = 2, kLocked = 3 };

    CSlice() = default;
    CSlice(int32_t position, int16_t strength, int32_t state = kNormal, bool selected = false)
        : fPosition(position), fStrength(strength), fSelected(selected), fState(state) {}
    CSlice(const CSlice&) = default;
    CSlice& operator=(const CSlice&) = default;
    virtual ~CSlice() = default;

    int32_t GetPosition() const { return fPosition; }
    void SetPosition(int32_t position) { fPosition = position; }
    // Sounding length in frames, set by the gate-length pass; 1 for a slice
    // that does not sound.
    int32_t GetLength() const { return fLength; }
    void SetLength(int32_t length) { fLength = length; }
    // Transient strength, 0 ... 32767.
    int16_t GetStrength() const { return fStrength; }
    void SetStrength(int16_t strength) { fStrength = strength; }
    bool IsSelected() const { return fSelected; }
    void SetSelected(bool selected) { fSelected = selected; }
    int32_t GetState() const { return fState; }
    void SetState(int32_t state) { fState = state; }
    bool IsNormal() const { return fState == kNormal; }
    bool IsMuted() const { return fState == kMuted; }
    bool IsLocked() const { return fState == kLocked; }

private:
    int32_t fPosition = 0;
    int32_t fLength = 1;
    int16_t fStrength = 0;
    bool fSelected = false;
    int32_t fState = kNormal;
};

class CSliceSequence {
public:
    using TSlices = std::vector<CSlice>;
    using iterator = TSlices::iterator;
    using const_iterator = TSlices::const_iterator;

    static constexpr int16_t kInitialThreshold = 32767;
    static constexpr int16_t kStartSliceStrength = 16384;
    static constexpr int32_t kMaximumSensitivity = 99;
    static constexpr int32_t kMaximumGateSensitivity = 999;

    // An empty sequence over the sample; the sample is not owned and must
    // outlive the sequence.
    explicit CSliceSequence(const CABCWaveSample& waveSample);
    // Copies every slice and all settings, including the sample reference.
    CSliceSequence(const CSliceSequence&) = default;
    CSliceSequence& operator=(const CSliceSequence&) = default;
    virtual ~CSliceSequence();

    const CABCWaveSample& GetWaveSample() const { return *fWaveSample; }

    int32_t GetSensitivity() const { return fSensitivity; }
    int32_t GetGateSensitivity() const { return fGateSensitivity; }
    int16_t GetThreshold() const { return fThreshold; }

    // Slices in position order.
    int32_t GetCount() const { return static_cast<int32_t>(fSlices.size()); }
    iterator begin() { return fSlices.begin(); }
    iterator end() { return fSlices.end(); }
    const_iterator begin() const { return fSlices.begin(); }
    const_iterator end() const { return fSlices.end(); }
    CSlice& GetSlice(int32_t index) { return fSlices[static_cast<size_t>(index)]; }
    const CSlice& GetSlice(int32_t index) const { return fSlices[static_cast<size_t>(index)]; }

    // Inserts in position order or merges into the slice already at the same
    // frame (the stronger strength wins; locked beats muted beats nothing; a
    // normal slice unmutes a muted one). Slices outside the sample are
    // ignored.
    void InsertSlice(const CSlice& slice);
    // Erases the first slice at or after the position, if any.
    void RemoveSliceAt(int32_t position);
    // Erases the slice at an index in position order.
    void RemoveSlice(int32_t index);

    // The slice exactly at the position, or null.
    CSlice* FindSliceAt(int32_t position);
    const CSlice* FindSliceAt(int32_t position) const;
    // The slice nearest to the position (the earlier on a tie), or null when
    // the sequence is empty.
    CSlice* FindNearestSlice(int32_t position);
    const CSlice* FindNearestSlice(int32_t position) const;
    // The same among the active slices; null when none is active.
    CSlice* FindNearestActiveSlice(int32_t position);
    const CSlice* FindNearestActiveSlice(int32_t position) const;

    // A dragged locator: 0 before half the first active slice's position,
    // endFrame beyond half way from the last active slice to endFrame,
    // otherwise the nearest active slice (the position itself when none).
    int32_t SnapToActiveSlice(int32_t position, int32_t endFrame) const;
    // When the first slice lies at 1 ... 3999, stores its position and
    // returns true; otherwise stores 0 and returns false. Not for an empty
    // sequence.
    bool GetLeadingOffset(int32_t& offset) const;
    // Optionally drops the first slice, then gives an empty sequence one
    // normal slice at frame 0 with strength 16384.
    void EnsureStartSlice(bool dropFirst);

    // Active: locked, or normal and stronger than the threshold.
    bool IsActive(const CSlice& slice) const;
    // Shown: locked, or stronger than the threshold (muted slices included).
    bool IsShown(const CSlice& slice) const;
    int32_t CountActiveSlices() const;

    // Cuts the whole sample at every active slice and at the two locators.
    // In tempo mode each slice lasts its own length, selected slices fall
    // silent when silenceSelected is set, and every segment gets stretch
    // points near its end.
    static std::unique_ptr<CSegmentList> BuildSegments(const CABCWaveSample& waveSample,
                                                       const CSliceSequence& sequence, bool silenceSelected,
                                                       bool tempoMode);
    static std::unique_ptr<CSegmentList> CopySegments(const CSegmentList& list);

protected:
    // Kept by value in strictly increasing position order, all inside the
    // sample.
    TSlices fSlices;
    // "Sensitivity", 0 ... 99.
    int32_t fSensitivity = 0;
    // "Gate Sensitivity", 0 ... 999.
    int32_t fGateSensitivity = 0;
    // Strength a normal slice must exceed to sound; follows the sensitivity.
    int16_t fThreshold = kInitialThreshold;
    const CABCWaveSample* fWaveSample;

public:
    // Analysis (defined with the slice detection).
    // Stores the sensitivity (0 ... 99), derives the strength threshold from
    // it and recomputes the lengths.
    void SetSensitivity(int32_t sensitivity);
    // Stores the gate sensitivity (0 ... 999) and recomputes the lengths.
    void SetGateSensitivity(int32_t gateSensitivity);
    // Finds every transient onset of the sample and keeps each as a slice
    // with its strength, as a lengthy operation the user may stop; then
    // recomputes the lengths. Returns false when the user stopped it: the
    // slices found until then stand. Meant for an empty sequence.
    bool Analyze();
    // Analyzes the sample afresh and merges the onsets found into these
    // slices (one near an existing slice lands on it); the settings stay.
    // Returns false when the user stopped the analysis.
    bool ReAnalyze();
    // Each active slice sounds until the next active one (the end of the
    // sample for the last), cut shorter by the gate; all others get 1.
    void UpdateLengths();
};

} // namespace NSZubrik
