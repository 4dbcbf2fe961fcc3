// Writing a whole ZBX2 loop file from the parts of a document.
#include <algorithm>

#include "app/ProductInfo.h"
#include "audiodata/SampleDataCodec.h"
#include "audiodata/SoundChecksum.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZBX2Chunks.h"
#include "audiodata/ZubrikFile.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"
#include "tambor/IFFFileWriter.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

void WriteChunk(CIFFFileWriter& writer, const CFourCharCode& id, const CABCFormat& record) {
    writer.BeginChunk(id);
    record.Write(writer.GetCurrentMedia());
    writer.End();
}

CZBX2GeneralInfoChunk GeneralInfo(const CZubrikFileSource& source) {
    const CZubrikLoopParameters& p = source.fParameters;
    CZBX2GeneralInfoChunk c;
    c.fSliceCount = static_cast<uint32_t>(source.fSlices->GetCount());
    c.fBars = static_cast<uint16_t>(p.fBars);
    c.fBeats = static_cast<uint8_t>(p.fBeats);
    c.fSignatureNumerator = static_cast<uint8_t>(p.fSignatureNumerator);
    c.fSignatureDenominator = static_cast<uint8_t>(p.fSignatureDenominator);
    c.fSensitivity = static_cast<uint8_t>(source.fSlices->GetSensitivity());
    c.fGateSensitivity = static_cast<uint16_t>(source.fSlices->GetGateSensitivity());
    c.fProcessingGain = static_cast<int16_t>(p.fProcessingGain);
    c.fPitch = p.fPitch;
    c.fPreviewTempo = static_cast<uint32_t>(p.fPreviewTempo);
    c.fExportAsOneSample = source.fViewAttributes.fExportAsOneSample;
    c.fSilenceSelected = p.fSilenceSelected;
    return c;
}

CZBX2ZubrikExtraInfoChunk ExtraInfo(const CZubrikViewAttributes& a) {
    CZBX2ZubrikExtraInfoChunk c;
    c.fTool = static_cast<uint32_t>(std::clamp(a.fTool - NSZBX2::kFirstTool, 0, 3));
    c.fShowEnvelope = a.fShowEnvelope;
    c.fShowEqualizer = a.fShowEqualizer;
    c.fShowTransientShaper = a.fShowTransientShaper;
    c.fWindowWidth = static_cast<uint32_t>(std::max(a.fWindowWidth, 0));
    c.fWindowHeight = static_cast<uint32_t>(std::max(a.fWindowHeight, 0));
    c.fWindowMaximised = a.fWindowMaximised;
    return c;
}

void WriteDevices(CIFFFileWriter& writer, const CZubrikLoopParameters& p) {
    writer.BeginCat(NSZBX2::kDeviceListType);
    CZBX2TransientShaperDeviceChunk envelope;
    envelope.fEnabled = p.fEnvelopeOn;
    envelope.fAttack = static_cast<uint16_t>(p.fEnvelopeAttack);
    envelope.fDecay = static_cast<uint16_t>(p.fEnvelopeDecay);
    envelope.fStretch = static_cast<uint16_t>(p.fEnvelopeStretch);
    WriteChunk(writer, NSZBX2::kEnvelopeId, envelope);

    CZBX2EqualizerDeviceChunk equalizer;
    equalizer.fEnabled = p.fEqualizerOn;
    const int16_t values[] = {p.fEqualizerLowCut,       p.fEqualizerLowFrequency, p.fEqualizerLowGain,
                              p.fEqualizerLowQ,         p.fEqualizerHighFrequency, p.fEqualizerHighGain,
                              p.fEqualizerHighQ,        p.fEqualizerHighCut};
    std::copy(std::begin(values), std::end(values), equalizer.fValues);
    WriteChunk(writer, NSZBX2::kEqualizerId, equalizer);

    CZBX2CompressorDeviceChunk shaper;
    shaper.fEnabled = p.fShaperOn;
    shaper.fThreshold = static_cast<uint16_t>(p.fShaperThreshold);
    shaper.fRatio = static_cast<uint16_t>(p.fShaperRatio);
    shaper.fAttack = static_cast<uint16_t>(p.fShaperAttack);
    shaper.fRelease = static_cast<uint16_t>(p.fShaperRelease);
    WriteChunk(writer, NSZBX2::kShaperId, shaper);
    writer.End();
}

void WriteSlices(CIFFFileWriter& writer, const CSliceSequence& slices) {
    writer.BeginCat(NSZBX2::kSliceListType);
    for (const CSlice& slice : slices) {
        CZBX2SliceChunk c;
        c.fPosition = static_cast<uint32_t>(slice.GetPosition());
        c.fLength = static_cast<uint32_t>(slice.GetLength());
        c.fStrength = static_cast<uint16_t>(std::max<int16_t>(slice.GetStrength(), 0));
        c.fFlags = static_cast<uint8_t>((slice.IsMuted() ? CZBX2SliceChunk::kMuted : 0) |
                                        (slice.IsLocked() ? CZBX2SliceChunk::kLocked : 0) |
                                        (slice.IsSelected() ? CZBX2SliceChunk::kSelected : 0));
        WriteChunk(writer, NSZBX2::kSliceId, c);
    }
    writer.End();
}

} // namespace

const CZubrikCreatorInfo& GetOwnCreatorInfo() {
    static const CZubrikCreatorInfo info = {
        kCompanyName, "Copyright (c) Zubrik Audio. All rights reserved.",
        "https://www.zubrik-audio.example", "support@zubrik-audio.example", ""};
    return info;
}

void WriteZubrikFile(const CZubrikFileSource& source, CMedia& media, ILengthyProgress* progress,
                     bool showSaveText) {
    const CABCWaveSample& wave = *source.fWaveSample;
    const bool is24 = wave.GetBitDepth() == 24;
    const CVersion version = is24 ? NSZBX2::kVersion24Bit : NSZBX2::kVersion16Bit;

    CIFFFileWriter writer(media);
    writer.BeginCat(NSZBX2::kFileType);
    WriteChunk(writer, NSZBX2::kHeadId, CZBX2HeadChunk(version));
    CZBX2CreatorInfoChunk creator;
    creator.fStrings = GetOwnCreatorInfo();
    WriteChunk(writer, NSZBX2::kCreatorInfoId, creator);
    WriteChunk(writer, NSZBX2::kGeneralInfoId, GeneralInfo(source));

    CZBX2ZubrikInfoChunk zubrik;
    zubrik.fInfoVersion = version;
    zubrik.fPreviewOn = source.fParameters.fPreviewOn;
    zubrik.fGridShown = source.fViewAttributes.fGridShown;
    zubrik.fExportSize = static_cast<uint32_t>(std::max(source.fExportSize, 0));
    zubrik.fActiveSliceCount = static_cast<uint32_t>(source.fSlices->CountActiveSlices());
    WriteChunk(writer, NSZBX2::kZubrikInfoId, zubrik);
    WriteChunk(writer, NSZBX2::kZubrikExtraInfoId, ExtraInfo(source.fViewAttributes));

    WriteDevices(writer, source.fParameters);
    WriteSlices(writer, *source.fSlices);

    if (showSaveText && progress != nullptr) progress->SetText(kFramesLeftToSaveText);
    CZBX2SampleInfoChunk info;
    info.fChannels = wave.IsStereo() ? 2 : 1;
    info.fSampleFormat = is24 ? CZBX2SampleInfoChunk::kFormat24Bit : CZBX2SampleInfoChunk::kFormat16Bit;
    info.fSampleRate = static_cast<uint32_t>(wave.GetSampleRate());
    info.fFrameCount = static_cast<uint32_t>(wave.GetFrameCount());
    info.fLoopStart = static_cast<uint32_t>(wave.GetLoopStart());
    info.fLoopEnd = static_cast<uint32_t>(wave.GetLoopEnd());
    WriteChunk(writer, NSZBX2::kSampleInfoId, info);

    writer.BeginChunk(NSZBX2::kSampleDataId);
    EncodeWaveSample(writer.GetCurrentMedia(), wave, progress);
    writer.End();

    const TSoundChecksum checksum = SoundChecksum(wave);
    writer.BeginChunk(NSZBX2::kSoundChecksumId);
    NSTambor::WriteBytes(writer.GetCurrentMedia(), int32_t(checksum.size()), checksum.data());
    writer.End();
    writer.End();
}

void WriteZubrikFile(const CZubrikFileSource& source, const std::filesystem::path& path,
                     ILengthyProgress* progress, bool showSaveText) {
    NSDiskKitUtils::CSafeFileWriter file(path, NSDiskKitUtils::MakeFourCC("ZBX2"));
    WriteZubrikFile(source, file.GetMedia(), progress, showSaveText);
    file.Commit();
}

} // namespace NSZubrik
