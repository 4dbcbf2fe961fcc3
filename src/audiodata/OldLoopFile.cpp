// The old loop file (".zbx"): an AIFF file whose "APPL" chunk, signed
// "ZBX ", tells where each slice's sound lies and when it plays.
//
// Block after the signature (big-endian; offsets from its first byte):
//    0 magic u32 0xD1D1D1DA      4 version major, minor (at most 1.0)
//    6 loop length in ticks u32 (960 a beat, four beats a bar, always 4/4)
//   10 slice count u16 (1 ... 1000)
//   12 tempo u32, thousandths of a BPM
// 1016 slice records of three u32.
//
// How a slice record places the sound. The three values are, in order:
//   tick   - when the slice plays, in ticks from the start of the loop;
//   start  - the slice's first frame in the AIFF sound;
//   length - how many frames of the AIFF sound belong to the slice.
// The AIFF sound is a store of slice pieces, not a recording of the loop,
// so the document gets a new sample built on the tick grid: the number of
// frames per tick is the largest ratio of a slice's length to the ticks
// until the next slice (the end of the loop for the last), which is the
// smallest spacing at which no slice runs into the next. The sample is
// loopTicks x that ratio frames long (rounded up), each slice's piece is
// copied to its tick x the ratio (rounded down) and the gaps stay silent.
// The loop covers the whole sample, and every slice is a locked slice (it
// was placed, not found by analysis).
//
// Checks beyond the format's own: ticks strictly increase and lie inside
// the loop, every piece has at least one frame and lies inside the sound,
// the loop is shorter than 1000 bars, and the built sample is at most five
// minutes long, the longest sound the program opens.
#include <algorithm>

#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/OldZubrikFile.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

constexpr CFourCharCode kSignature("ZBX ");
constexpr uint32_t kMagic = 0xD1D1D1DA;
// The old program read at most this much of its chunk: the header and room
// for 1000 slice records.
constexpr int32_t kBlockSize = 13016;
constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordsAt = 1016;
constexpr size_t kRecordSize = 12;
constexpr int32_t kMostSlices = 1000;

constexpr int64_t kTicksPerBeat = 960;
constexpr int64_t kTicksPerBar = 4 * kTicksPerBeat;
constexpr int64_t kMostBars = 999;
constexpr int64_t kLongestSeconds = 5 * 60;

constexpr int32_t kLowestTempo = 20000;
constexpr int32_t kHighestTempo = 450000;
constexpr int16_t kPlacedSliceStrength = 16384;

struct SRecord {
    int64_t fTick;
    int64_t fStart;
    int64_t fLength;
    int32_t fPosition = 0; // in the built sample
};

class COldLoopFile : public CABCOldZubrikFile {
public:
    explicit COldLoopFile(CMedia& media);

    CZubrikFileInfo GetFileInfo() const override;
    std::unique_ptr<CABCWaveSample> ReadSample(CZBX2DecompressCallback& callback) override;
    void ReadSlices(CSliceSequence& slices) const override;
    void ReadParameters(CZubrikLoopParameters& parameters) const override;
    void ReadViewAttributes(CZubrikViewAttributes& attributes) const override;

private:
    void ReadRecords(const std::vector<uint8_t>& block, size_t count);
    void PlaceSlices();
    bool HasLength() const { return fBars != 0 || fBeats != 0; }

    int64_t fLoopTicks = 0;
    int32_t fBars = 0;
    int32_t fBeats = 0;
    int32_t fTempo = 0;
    std::vector<SRecord> fRecords;
    int32_t fFrameCount = 0; // of the built sample
};

COldLoopFile::COldLoopFile(CMedia& media) : CABCOldZubrikFile(media) {
    std::vector<uint8_t> block;
    if (!ReadApplicationBlock(kSignature, kBlockSize, block)) throw XZBX2BadFormat();
    if (block.size() < kHeaderSize || BlockU32(block, 0) != kMagic) throw XZBX2BadFormat();
    const int32_t major = block[4];
    const int32_t minor = block[5];
    if (major > 1 || (major == 1 && minor > 0)) throw XZBX2BadFormat();
    fLoopTicks = BlockU32(block, 6);
    const int32_t count = BlockU16(block, 10);
    fTempo = static_cast<int32_t>(std::clamp<int64_t>(BlockU32(block, 12), kLowestTempo, kHighestTempo));
    if (count == 0 || count > kMostSlices || fLoopTicks > (kMostBars + 1) * kTicksPerBar - 1 ||
        block.size() < kRecordsAt + kRecordSize * static_cast<size_t>(count))
        throw XZBX2BadFormat();
    fBars = static_cast<int32_t>(fLoopTicks / kTicksPerBar);
    fBeats = static_cast<int32_t>((fLoopTicks / kTicksPerBeat) % 4);
    ReadRecords(block, static_cast<size_t>(count));
    PlaceSlices();
}

void COldLoopFile::ReadRecords(const std::vector<uint8_t>& block, size_t count) {
    const int64_t soundFrames = GetSound().fFrameCount;
    fRecords.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = kRecordsAt + kRecordSize * i;
        SRecord r{BlockU32(block, at), BlockU32(block, at + 4), BlockU32(block, at + 8)};
        const bool inOrder = fRecords.empty() || fRecords.back().fTick < r.fTick;
        if (!inOrder || r.fTick >= fLoopTicks || r.fLength < 1 || r.fStart + r.fLength > soundFrames)
            throw XZBX2BadFormat();
        fRecords.push_back(r);
    }
}

void COldLoopFile::PlaceSlices() {
    // The widest ratio length / ticks, compared crosswise. Ticks stay below
    // 2^22 and lengths below 2^31, so every product fits 64 bits.
    int64_t length = 0;
    int64_t ticks = 1;
    for (size_t i = 0; i < fRecords.size(); ++i) {
        const int64_t next = i + 1 < fRecords.size() ? fRecords[i + 1].fTick : fLoopTicks;
        const int64_t span = next - fRecords[i].fTick;
        if (fRecords[i].fLength * ticks > length * span) {
            length = fRecords[i].fLength;
            ticks = span;
        }
    }
    const int64_t frames = (fLoopTicks * length + ticks - 1) / ticks;
    if (frames > kLongestSeconds * GetSound().fSampleRate) throw XZBX2BadFormat();
    fFrameCount = static_cast<int32_t>(frames);
    for (SRecord& r : fRecords)
        r.fPosition = static_cast<int32_t>(r.fTick * length / ticks);
}

CZubrikFileInfo COldLoopFile::GetFileInfo() const {
    CZubrikFileInfo info;
    info.fChannels = 1;
    info.fBitDepth = 16;
    info.fSampleRate = GetSound().fSampleRate;
    info.fFrameCount = fFrameCount;
    info.fLoopStart = 0;
    info.fLoopEnd = fFrameCount;
    info.fSliceCount = static_cast<int32_t>(fRecords.size());
    info.fBars = fBars;
    info.fBeats = fBeats;
    info.fSignatureNumerator = 4;
    info.fSignatureDenominator = 4;
    info.fPreviewTempo = fTempo;
    info.fExportSize = static_cast<int32_t>(int64_t{fFrameCount} * 2 * 101 / 100);
    // Every placed slice is locked, lies inside the loop and sounds.
    info.fActiveSliceCount = static_cast<int32_t>(fRecords.size());
    info.fCompressionRatio = 1.0;
    info.fLoopUsage = 100;
    return info;
}

std::unique_ptr<CABCWaveSample> COldLoopFile::ReadSample(CZBX2DecompressCallback& callback) {
    std::unique_ptr<CABCWaveSample> wave = CreateWaveSample(GetSound().fSampleRate, fFrameCount, false, 16);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, fFrameCount);
    for (const SRecord& r : fRecords)
        CopyFrames(static_cast<int32_t>(r.fStart), static_cast<int32_t>(r.fLength), *wave, r.fPosition, callback);
    callback.Progress(fFrameCount);
    return wave;
}

void COldLoopFile::ReadSlices(CSliceSequence& slices) const {
    for (const SRecord& r : fRecords)
        slices.InsertSlice(CSlice(r.fPosition, kPlacedSliceStrength, CSlice::kLocked));
    slices.UpdateLengths();
}

void COldLoopFile::ReadParameters(CZubrikLoopParameters& p) const {
    p.fSignatureNumerator = 4;
    p.fSignatureDenominator = 4;
    p.fBars = fBars;
    p.fBeats = fBeats;
    p.fPreviewTempo = fTempo;
    p.fPreviewOn = HasLength();
    p.fSilenceSelected = false;
}

void COldLoopFile::ReadViewAttributes(CZubrikViewAttributes& attributes) const {
    if (!HasLength()) attributes.fGridShown = false;
}

} // namespace

std::unique_ptr<CABCOldZubrikFile> OpenOldLoopFile(CMedia& media) {
    return std::make_unique<COldLoopFile>(media);
}

} // namespace NSZubrik
