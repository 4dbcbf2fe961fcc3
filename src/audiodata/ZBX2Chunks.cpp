#include "audiodata/ZBX2Chunks.h"

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

void Require(bool condition) {
    if (!condition) throw XZBX2BadFormat();
}

template <typename T>
bool InRange(T value, long low, long high) {
    return static_cast<long>(value) >= low && static_cast<long>(value) <= high;
}

int16_t ReadI16(CMedia& media) { return static_cast<int16_t>(ReadU16BE(media)); }
void WriteI16(CMedia& media, int16_t value) { WriteU16BE(media, static_cast<uint16_t>(value)); }

} // namespace

// ---- HEAD ----

CZBX2HeadChunk::CZBX2HeadChunk(CMedia& media) {
    Require(ReadU32BE(media) == NSZBX2::kMagic);
    fFileVersion = CVersion::Read(media);
    if (!fFileVersion.IsInRange(NSZBX2::kOldestVersion, NSZBX2::kVersion24Bit))
        throw XZBX2FileTooNew();
    uint8_t reserved[16];
    ReadBytes(media, sizeof reserved, reserved);
    for (uint8_t b : reserved) Require(b == 0);
    fText = ReadString(media);
}

void CZBX2HeadChunk::Write(CMedia& media) const {
    WriteU32BE(media, NSZBX2::kMagic);
    fFileVersion.Write(media);
    const uint8_t reserved[16] = {};
    WriteBytes(media, sizeof reserved, reserved);
    WriteString(media, fText);
}

// ---- CREI ----

CZBX2CreatorInfoChunk::CZBX2CreatorInfoChunk(CMedia& media) {
    for (std::string& text : fStrings) {
        text = ReadString(media);
        Require(text.size() <= kLongestString);
    }
}

void CZBX2CreatorInfoChunk::Write(CMedia& media) const {
    for (const std::string& text : fStrings) WriteString(media, text);
}

// ---- GLOB ----

CZBX2GeneralInfoChunk::CZBX2GeneralInfoChunk(CMedia& media) {
    fSliceCount = ReadU32BE(media);
    fBars = ReadU16BE(media);
    fBeats = ReadU8(media);
    fSignatureNumerator = ReadU8(media);
    fSignatureDenominator = ReadU8(media);
    fSensitivity = ReadU8(media);
    fGateSensitivity = ReadU16BE(media);
    fProcessingGain = ReadI16(media);
    fPitch = ReadI16(media);
    fPreviewTempo = ReadU32BE(media);
    fExportAsOneSample = ReadBool(media);
    fSilenceSelected = ReadBool(media);

    Require(fBars <= 999 && fBeats <= 7 && (fBars != 0 || fBeats != 0));
    Require(fSignatureNumerator <= 15 && fSignatureDenominator <= 15);
    Require(fSensitivity <= 99 && fGateSensitivity <= 999);
    Require(InRange(fProcessingGain, 0, 7943) && InRange(fPitch, -2400, 2400));
    Require(InRange(fPreviewTempo, 20000, 450000));
}

void CZBX2GeneralInfoChunk::Write(CMedia& media) const {
    WriteU32BE(media, fSliceCount);
    WriteU16BE(media, fBars);
    WriteU8(media, fBeats);
    WriteU8(media, fSignatureNumerator);
    WriteU8(media, fSignatureDenominator);
    WriteU8(media, fSensitivity);
    WriteU16BE(media, fGateSensitivity);
    WriteI16(media, fProcessingGain);
    WriteI16(media, fPitch);
    WriteU32BE(media, fPreviewTempo);
    WriteBool(media, fExportAsOneSample);
    WriteBool(media, fSilenceSelected);
}

// ---- ZBRK ----

CZBX2ZubrikInfoChunk::CZBX2ZubrikInfoChunk(CMedia& media) {
    fInfoVersion = CVersion::Read(media);
    // Files older than 2.0.0 left this version empty.
    Require(fInfoVersion >= NSZBX2::kVersion16Bit || fInfoVersion == CVersion());
    fPreviewOn = ReadBool(media);
    fGridShown = ReadBool(media);
    fExportSize = ReadU32BE(media);
    fActiveSliceCount = ReadU32BE(media);
    Require(static_cast<int32_t>(fExportSize) >= 0 && static_cast<int32_t>(fActiveSliceCount) >= 0);
}

void CZBX2ZubrikInfoChunk::Write(CMedia& media) const {
    fInfoVersion.Write(media);
    WriteBool(media, fPreviewOn);
    WriteBool(media, fGridShown);
    WriteU32BE(media, fExportSize);
    WriteU32BE(media, fActiveSliceCount);
}

// ---- ZBKX ----

CZBX2ZubrikExtraInfoChunk::CZBX2ZubrikExtraInfoChunk(CMedia& media) {
    fExtraVersion = CVersion::Read(media);
    if (!fExtraVersion.SameMajor(NSZBX2::kExtraInfoVersion)) throw XZBX2FileTooNew();
    fTool = ReadU32BE(media);
    fShowEnvelope = ReadBool(media);
    fShowEqualizer = ReadBool(media);
    fShowTransientShaper = ReadBool(media);
    fWindowWidth = ReadU32BE(media);
    fWindowHeight = ReadU32BE(media);
    fWindowMaximised = ReadBool(media);
}

void CZBX2ZubrikExtraInfoChunk::Write(CMedia& media) const {
    fExtraVersion.Write(media);
    WriteU32BE(media, fTool);
    WriteBool(media, fShowEnvelope);
    WriteBool(media, fShowEqualizer);
    WriteBool(media, fShowTransientShaper);
    WriteU32BE(media, fWindowWidth);
    WriteU32BE(media, fWindowHeight);
    WriteBool(media, fWindowMaximised);
}

// ---- TRSH ----

CZBX2TransientShaperDeviceChunk::CZBX2TransientShaperDeviceChunk(CMedia& media) {
    fEnabled = ReadBool(media);
    fAttack = ReadU16BE(media);
    fDecay = ReadU16BE(media);
    fStretch = ReadU16BE(media);
    Require(fAttack <= 1023 && fDecay <= 1023 && fStretch <= 100);
}

void CZBX2TransientShaperDeviceChunk::Write(CMedia& media) const {
    WriteBool(media, fEnabled);
    WriteU16BE(media, fAttack);
    WriteU16BE(media, fDecay);
    WriteU16BE(media, fStretch);
}

// ---- EQ ----

CZBX2EqualizerDeviceChunk::CZBX2EqualizerDeviceChunk(CMedia& media) {
    fEnabled = ReadBool(media);
    for (int i = 0; i < kValueCount; ++i) {
        fValues[i] = ReadI16(media);
        Require(InRange(fValues[i], kRanges[i].fLow, kRanges[i].fHigh));
    }
}

void CZBX2EqualizerDeviceChunk::Write(CMedia& media) const {
    WriteBool(media, fEnabled);
    for (int16_t value : fValues) WriteI16(media, value);
}

// ---- COMP ----

CZBX2CompressorDeviceChunk::CZBX2CompressorDeviceChunk(CMedia& media) {
    fEnabled = ReadBool(media);
    fThreshold = ReadU16BE(media);
    fRatio = ReadU16BE(media);
    fAttack = ReadU16BE(media);
    fRelease = ReadU16BE(media);
    Require(fThreshold <= 127 && fRatio <= 127 && fAttack <= 1023 && fRelease <= 1023);
}

void CZBX2CompressorDeviceChunk::Write(CMedia& media) const {
    WriteBool(media, fEnabled);
    WriteU16BE(media, fThreshold);
    WriteU16BE(media, fRatio);
    WriteU16BE(media, fAttack);
    WriteU16BE(media, fRelease);
}

// ---- SLCE ----

CZBX2SliceChunk::CZBX2SliceChunk(CMedia& media) {
    fPosition = ReadU32BE(media);
    fLength = ReadU32BE(media);
    fStrength = ReadU16BE(media);
    fFlags = ReadU8(media);
    Require(static_cast<int16_t>(fStrength) >= 0);
    Require((fFlags & ~(kMuted | kLocked | kSelected)) == 0);
    Require((fFlags & (kMuted | kLocked)) != (kMuted | kLocked));
}

void CZBX2SliceChunk::Write(CMedia& media) const {
    WriteU32BE(media, fPosition);
    WriteU32BE(media, fLength);
    WriteU16BE(media, fStrength);
    WriteU8(media, fFlags);
}

// ---- SINF ----

CZBX2SampleInfoChunk::CZBX2SampleInfoChunk(CMedia& media) {
    fChannels = ReadU8(media);
    fSampleFormat = ReadU8(media);
    fSampleRate = ReadU32BE(media);
    fFrameCount = ReadU32BE(media);
    fLoopStart = ReadU32BE(media);
    fLoopEnd = ReadU32BE(media);
    Require(fChannels == 1 || fChannels == 2);
    Require(fSampleFormat == kFormat16Bit || fSampleFormat == kFormat24Bit);
    Require(InRange(fSampleRate, 1000, 1000000));
    // Frame positions are signed 32-bit throughout the program.
    Require(fFrameCount <= 0x7FFFFFFFu);
    Require(fLoopStart <= fLoopEnd && fLoopStart < fFrameCount && fLoopEnd <= fFrameCount);
}

void CZBX2SampleInfoChunk::Write(CMedia& media) const {
    WriteU8(media, fChannels);
    WriteU8(media, fSampleFormat);
    WriteU32BE(media, fSampleRate);
    WriteU32BE(media, fFrameCount);
    WriteU32BE(media, fLoopStart);
    WriteU32BE(media, fLoopEnd);
}

int32_t CZBX2SampleInfoChunk::GetBitDepth() const {
    switch (fSampleFormat) {
    case kFormat8Bit: return 8;
    case kFormat16Bit: return 16;
    case kFormat24Bit: return 24;
    case kFormat32Bit: return 32;
    default: return 0;
    }
}

} // namespace NSZubrik
