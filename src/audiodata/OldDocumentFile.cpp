// The old document (".zbk"): an AIFF file whose sound and loop are the
// document's audio and locators, and whose "APPL" chunk, signed "ZbRk",
// holds the loop length, the tempo, the old settings and the slices.
//
// Block after the signature (big-endian; offsets from its first byte):
//   0 magic u32 0xD1DADED0     4 version major, minor (at most 1.0)
//   6 signature numerator      7 signature denominator
//   8 bars, low byte           9 beats
//  10 stored tempo u32        14 "Normalize" option    15 export switch
//  16 silence selected        17 stored tempo valid    18 stretch index u16
//  20 sensitivity x 10 u16    22 bars, high byte      158 slice count u16
// 160 slice records of 8 bytes: flags (bit 7 selected, bits 0-6 state),
//     position u32, one unused byte, strength u16.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/OldZubrikFile.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/SliceDetection.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

constexpr CFourCharCode kSignature("ZbRk");
constexpr uint32_t kMagic = 0xD1DADED0;
// The old program read at most this much of its chunk; it holds the header
// and room for 1000 slice records.
constexpr int32_t kBlockSize = 8160;
constexpr size_t kRecordsAt = 160;
constexpr size_t kRecordSize = 8;
constexpr int32_t kMostSlices = 1000;

// Envelope stretch of the old stretch menu, in thousandths of the gap.
constexpr int32_t kStretchTable[] = {1000, 1050, 1100, 1150, 1200, 1250, 1300,
                                     1400, 1500, 1600, 1700, 1800, 1900, 2000};
constexpr int32_t kLastStretchIndex = std::size(kStretchTable) - 1;

constexpr int32_t kLowestTempo = 20000;
constexpr int32_t kHighestTempo = 450000;
constexpr int32_t kDefaultTempo = 130000;

struct SRecord {
    int32_t fPosition;
    int16_t fStrength;
    int32_t fState;
    bool fSelected;
};

int32_t ClampTempo(int64_t tempo) {
    return static_cast<int32_t>(std::clamp<int64_t>(tempo, kLowestTempo, kHighestTempo));
}

// The block's fields, checked and clamped into the ranges the document
// works in.
struct COldDocumentBlock {
    explicit COldDocumentBlock(const std::vector<uint8_t>& block);

    int32_t fNumerator;
    int32_t fDenominator;
    int32_t fBars;
    int32_t fBeats;
    uint32_t fStoredTempo;
    bool fNormalizeOption;
    bool fExportSwitch;
    bool fSilenceSelected;
    bool fTempoStored;
    int32_t fStretchIndex;
    int32_t fSensitivity;
    std::vector<SRecord> fRecords;

    bool HasLength() const { return fBars != 0 || fBeats != 0; }
};

SRecord ReadRecord(const std::vector<uint8_t>& block, size_t at) {
    const uint8_t flags = block[at];
    const uint32_t position = BlockU32(block, at + 1);
    const uint16_t strength = BlockU16(block, at + 6);
    if (position > uint32_t{std::numeric_limits<int32_t>::max()} || strength > 32767) throw XBadFormat();
    int32_t state = CSlice::kNormal;
    switch (flags & 0x7F) {
    case 1: state = CSlice::kMuted; break;
    case 2: state = CSlice::kLocked; break;
    default: break; // 0, and any other value, is a normal slice
    }
    return SRecord{static_cast<int32_t>(position), static_cast<int16_t>(strength), state, (flags & 0x80) != 0};
}

COldDocumentBlock::COldDocumentBlock(const std::vector<uint8_t>& block) {
    if (block.size() < 4 || BlockU32(block, 0) != kMagic) throw XBadFormat();
    if (block.size() < kRecordsAt) throw XBadFormat();
    const int32_t major = block[4];
    const int32_t minor = block[5];
    if (major > 1 || (major == 1 && minor > 0)) throw XUnsupportedFormat();

    fNumerator = std::clamp<int32_t>(block[6], 1, 15);
    fDenominator = std::clamp<int32_t>(block[7], 1, 15);
    fBars = std::min(block[22] * 256 + block[8], 999);
    fBeats = std::min<int32_t>(block[9], 7);
    fStoredTempo = BlockU32(block, 10);
    fNormalizeOption = block[14] != 0;
    fExportSwitch = block[15] != 0;
    fSilenceSelected = block[16] != 0;
    fTempoStored = block[17] != 0;
    // The stretch menu had 14 entries; a larger index is taken as the
    // longest stretch rather than refusing an otherwise readable document.
    fStretchIndex = std::min<int32_t>(BlockU16(block, 18), kLastStretchIndex);
    fSensitivity = std::min(BlockU16(block, 20) / 10, 99);

    // The block has room for 1000 records; a count beyond that, or beyond
    // what the chunk actually holds, means the block is damaged.
    const int32_t count = BlockU16(block, 158);
    if (count > kMostSlices || block.size() < kRecordsAt + kRecordSize * static_cast<size_t>(count))
        throw XBadFormat();
    fRecords.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        fRecords.push_back(ReadRecord(block, kRecordsAt + kRecordSize * static_cast<size_t>(i)));
}

class COldDocumentFile : public CABCOldZubrikFile {
public:
    explicit COldDocumentFile(CMedia& media) : CABCOldZubrikFile(media), fBlock(ReadBlock()) {
        const COldAIFFSound& sound = GetSound();
        if (!sound.fHasLoop || sound.fLoopStart >= sound.fLoopEnd) throw XZBX2BadFormat();
    }

    CZubrikFileInfo GetFileInfo() const override;
    std::unique_ptr<CABCWaveSample> ReadSample(CZBX2DecompressCallback& callback) override;
    void ReadSlices(CSliceSequence& slices) const override;
    void ReadParameters(CZubrikLoopParameters& parameters) const override;
    void ReadViewAttributes(CZubrikViewAttributes& attributes) const override;
    bool HasNormalizeOption() const override { return fBlock.fNormalizeOption; }

private:
    std::vector<uint8_t> ReadBlock();
    int32_t OriginalTempo() const;
    int32_t CountActiveSlices() const;

    COldDocumentBlock fBlock;
};

std::vector<uint8_t> COldDocumentFile::ReadBlock() {
    std::vector<uint8_t> block;
    if (!ReadApplicationBlock(kSignature, kBlockSize, block)) throw XBadFormat();
    return block;
}

int32_t COldDocumentFile::OriginalTempo() const {
    const COldAIFFSound& sound = GetSound();
    return OldFileOriginalTempo(int64_t{sound.fLoopEnd} - sound.fLoopStart, sound.fSampleRate,
                                int64_t{fBlock.fBars} * fBlock.fNumerator + fBlock.fBeats);
}

// The slices an export of the document would write, counted the way the old
// program counted them for its file information.
int32_t COldDocumentFile::CountActiveSlices() const {
    if (!fBlock.HasLength()) return 0;
    if (!fBlock.fExportSwitch) return 1;
    const int16_t threshold = NSSliceDetection::ThresholdForSensitivity(fBlock.fSensitivity);
    const auto active = [threshold](const SRecord& r) {
        return r.fState == CSlice::kLocked || (r.fState == CSlice::kNormal && r.fStrength > threshold);
    };
    const auto silenced = [this](const SRecord& r) { return fBlock.fSilenceSelected && r.fSelected; };
    const COldAIFFSound& sound = GetSound();
    const auto& records = fBlock.fRecords;
    size_t i = 0;
    bool silentStart = false;
    for (; i < records.size() && records[i].fPosition <= sound.fLoopStart; ++i)
        silentStart = silentStart || (active(records[i]) && silenced(records[i]));
    int32_t count = silentStart ? 0 : 1;
    for (; i < records.size() && records[i].fPosition < sound.fLoopEnd; ++i)
        if (active(records[i]) && !silenced(records[i])) ++count;
    return count;
}

CZubrikFileInfo COldDocumentFile::GetFileInfo() const {
    const COldAIFFSound& sound = GetSound();
    CZubrikFileInfo info;
    info.fChannels = 1;
    info.fBitDepth = 16;
    info.fSampleRate = sound.fSampleRate;
    info.fFrameCount = sound.fFrameCount;
    info.fLoopStart = sound.fLoopStart;
    info.fLoopEnd = sound.fLoopEnd;
    info.fSliceCount = static_cast<int32_t>(fBlock.fRecords.size());
    info.fBars = fBlock.fBars;
    info.fBeats = fBlock.fBeats;
    info.fSignatureNumerator = fBlock.fNumerator;
    info.fSignatureDenominator = fBlock.fDenominator;
    if (fBlock.HasLength())
        info.fPreviewTempo = ClampTempo(fBlock.fTempoStored ? int64_t{fBlock.fStoredTempo} : OriginalTempo());
    info.fExportSize = 0;
    info.fActiveSliceCount = CountActiveSlices();
    info.fCompressionRatio = 1.0;
    const int64_t inLoop = int64_t{sound.fLoopEnd} - sound.fLoopStart;
    info.fLoopUsage = static_cast<int32_t>((inLoop * 100 + sound.fFrameCount - 1) / sound.fFrameCount);
    return info;
}

std::unique_ptr<CABCWaveSample> COldDocumentFile::ReadSample(CZBX2DecompressCallback& callback) {
    const COldAIFFSound& sound = GetSound();
    std::unique_ptr<CABCWaveSample> wave = CreateWaveSample(sound.fSampleRate, sound.fFrameCount, false, 16);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, sound.fLoopStart, sound.fLoopEnd);
    CopyFrames(0, sound.fFrameCount, *wave, 0, callback);
    callback.Progress(sound.fFrameCount);
    return wave;
}

void COldDocumentFile::ReadSlices(CSliceSequence& slices) const {
    for (const SRecord& r : fBlock.fRecords)
        slices.InsertSlice(CSlice(r.fPosition, r.fStrength, r.fState, r.fSelected));
    // Setting the sensitivity recomputes every length with its threshold.
    slices.SetSensitivity(fBlock.fSensitivity);
}

void COldDocumentFile::ReadParameters(CZubrikLoopParameters& p) const {
    p.fSignatureNumerator = fBlock.fNumerator;
    p.fSignatureDenominator = fBlock.fDenominator;
    p.fBars = fBlock.fBars;
    p.fBeats = fBlock.fBeats;
    p.fSilenceSelected = fBlock.fSilenceSelected;
    if (!fBlock.HasLength()) {
        p.fPreviewTempo = kDefaultTempo;
        p.fPreviewOn = false;
    } else {
        p.fPreviewOn = true;
        const int32_t original = OriginalTempo();
        p.fPreviewTempo = ClampTempo(original);
        if (fBlock.fTempoStored) {
            // A stored tempo was reached by speeding the whole sound up or
            // down, so the pitch moves with it.
            p.fPreviewTempo = ClampTempo(fBlock.fStoredTempo);
            double cents = 2400.0;
            if (original > 0) cents = std::trunc(1200.0 * std::log2(double(p.fPreviewTempo) / original));
            p.fPitch = static_cast<int16_t>(std::clamp(cents, -2400.0, 2400.0));
        }
    }
    p.fEnvelopeOn = true;
    p.fEnvelopeAttack = 0;
    p.fEnvelopeDecay = 1023; // no decay limit
    p.fEnvelopeStretch = (kStretchTable[fBlock.fStretchIndex] - 1000) / 10;
}

void COldDocumentFile::ReadViewAttributes(CZubrikViewAttributes& attributes) const {
    attributes.fExportAsOneSample = fBlock.fExportSwitch;
    if (!fBlock.HasLength()) attributes.fGridShown = false;
}

} // namespace

std::unique_ptr<CABCOldZubrikFile> OpenOldDocumentFile(CMedia& media) {
    return std::make_unique<COldDocumentFile>(media);
}

} // namespace NSZubrik
