// The loop as an export sees it: a private copy of the preview sequencer,
// the slices that lie wholly inside the loop, their places in MIDI ticks and
// their sound rendered offline at the export sample rate, either one piece
// per slice or the whole loop as one piece.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audiodata/Segment.h"

namespace NSZubrik {

class CABCWaveSample;
class CZubrikSequencer;

class CExporter {
public:
    static constexpr int64_t kTicksPerQuarterNote = 15360;

    struct SPiecePosition {
        int64_t fStartTick = 0;
        int64_t fEndTick = 0;
        // Frames at the export rate, tail included.
        int32_t fLength = 0;
    };

    // exportSlices: one piece per slice rather than the whole loop.
    // noRingOut: the whole loop is not lengthened for its last slice.
    CExporter(std::u16string name, const CZubrikSequencer& sequencer, bool exportSlices, bool noRingOut);
    ~CExporter();
    CExporter(const CExporter&) = delete;
    CExporter& operator=(const CExporter&) = delete;

    const std::u16string& GetName() const { return fName; }
    // 1 for the whole loop, else the number of exported slices.
    int32_t GetSliceCount() const;
    // The slices inside the loop, whichever way they are exported.
    int32_t GetExportedSliceCount() const { return static_cast<int32_t>(fSegments.size()); }
    const CSegment& GetExportedSegment(int32_t slice) const { return fSegments[static_cast<size_t>(slice)]; }
    SPiecePosition GetSlicePosition(int32_t piece) const;
    // A new wave sample at the export rate holding the piece; stereo only
    // when IsStereo().
    std::unique_ptr<CABCWaveSample> RenderPiece(int32_t piece) const;

    void SetSampleRate(int32_t rate);
    int32_t GetSampleRate() const { return fSampleRate; }
    void SetTail(int32_t frames) { fTail = frames; }
    int32_t GetTail() const { return fTail; }
    void SetMixToMono(bool mix) { fMixToMono = mix; }
    bool IsStereo() const;
    bool IsOneSample() const { return !fExportSlices; }
    // For formats that always take the whole loop (a marked WAVE file).
    void SetExportSlices(bool exportSlices) { fExportSlices = exportSlices; }
    // Where each exported slice starts in the whole-loop piece, in frames at
    // the export rate: on the 64-frame grid the sequencer plays on.
    std::vector<int32_t> GetSliceStartsInLoop() const { return ScheduledStarts(); }
    // The loop proper (without ring-out or tail) in frames at the export rate.
    int32_t GetLoopLengthAtExportRate() const { return ToExportFrames(LoopFrames()); }
    // 15360 ticks to the quarter note.
    int64_t GetLengthInTicks() const;
    // Thousandths of a beat per minute.
    int32_t GetTempo() const;
    void GetTimeSignature(int32_t& numerator, int32_t& denominator) const;

private:
    int32_t LoopStart() const;
    int32_t LoopFrames() const;
    int64_t FramesToTicks(int64_t offset) const;
    // Source frames as frames at the export rate, scaled to the preview
    // tempo when the loop plays in tempo mode.
    int32_t ToExportFrames(int64_t sourceFrames) const;
    std::vector<int32_t> ScheduledStarts() const;
    int32_t OneSampleLength() const;
    void RenderSlice(int32_t slice, CABCWaveSample& wave) const;
    void RenderLoop(CABCWaveSample& wave) const;

    std::u16string fName;
    std::unique_ptr<CZubrikSequencer> fSequencer;
    std::vector<int32_t> fSegmentIndices;
    std::vector<CSegment> fSegments;
    bool fExportSlices;
    bool fNoRingOut;
    int32_t fTail = 0;
    bool fMixToMono = false;
    int32_t fSampleRate;
};

} // namespace NSZubrik
