#include "audiodata/ZubrikFile.h"

#include <algorithm>
#include <cmath>

#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/OldZubrikFile.h"
#include "audiodata/SampleDataCodec.h"
#include "audiodata/SoundChecksum.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZBX2Chunks.h"
#include "engine/DSPTables.h"
#include "platform/DiskKitUtils.h"
#include "tambor/IFFFileReader.h"

namespace NSZubrik {

using namespace NSTambor;

namespace {

// ---- Kind ----

uint32_t WordAt(CMedia& media, int32_t position) {
    uint8_t b[4];
    media.ReadAt(position, 4, b);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

constexpr uint32_t Code(const char (&text)[5]) { return CFourCharCode(text).GetValue(); }

std::u16string OldKindFromApplChunk(uint32_t signature, uint32_t tag) {
    if (signature == Code("ZBX ") && tag == 0xD1D1D1DAu) return kOldLoopKind;
    if (signature == Code("ZbRk") && tag == 0xD1DADED0u) return kOldDocumentKind;
    return u"";
}

// Walks the chunks of an AIFF form for the "APPL" chunk of the old formats.
std::u16string FindOldKind(CMedia& media) {
    const int64_t size = media.GetSize();
    const int64_t formEnd = std::min<int64_t>(size, 8 + int64_t{WordAt(media, 4)});
    for (int64_t at = 12; at + 8 <= formEnd;) {
        const uint32_t id = WordAt(media, static_cast<int32_t>(at));
        const int64_t chunkSize = WordAt(media, static_cast<int32_t>(at + 4));
        if (id == Code("APPL") && chunkSize >= 8 && at + 16 <= size) {
            const std::u16string kind =
                OldKindFromApplChunk(WordAt(media, static_cast<int32_t>(at + 8)),
                                     WordAt(media, static_cast<int32_t>(at + 12)));
            if (!kind.empty()) return kind;
        }
        at += 8 + chunkSize + (chunkSize & 1);
    }
    return u"";
}

std::u16string KindAtStart(CMedia& media) {
    const int32_t size = media.GetSize();
    if (size >= 24 && WordAt(media, 0) == Code("CAT ") && WordAt(media, 8) == Code("ZBX2") &&
        WordAt(media, 12) == Code("HEAD") && WordAt(media, 20) == NSZBX2::kMagic)
        return kZubrikLoopKind;
    if (size >= 12 && WordAt(media, 0) == Code("FORM") && WordAt(media, 8) == Code("AIFF"))
        return FindOldKind(media);
    return u"";
}

// ---- Records ----

// Parses a record from the whole of a chunk's data. A record that runs past
// its chunk is damaged, like a chunk that runs past its container.
template <typename TRecord>
TRecord Parse(CMedia& chunk) {
    chunk.SetPosition(0);
    try {
        return TRecord(chunk);
    } catch (const XRead&) {
        throw XBadFormat();
    }
}

template <typename TRecord>
TRecord ReadRecord(CIFFFileReader& reader, const CFourCharCode& id) {
    reader.EnterChunk(id);
    TRecord record = Parse<TRecord>(reader.GetCurrentMedia());
    reader.Leave();
    return record;
}

template <typename TRecord>
std::optional<TRecord> TryReadRecord(CIFFFileReader& reader, const CFourCharCode& id) {
    if (!reader.TryEnterChunk(id)) return std::nullopt;
    TRecord record = Parse<TRecord>(reader.GetCurrentMedia());
    reader.Leave();
    return record;
}

// One opening of the file, entered into its top list.
struct COpenedFile {
    std::unique_ptr<CMedia> fMedia;
    CIFFFileReader fReader;

    explicit COpenedFile(std::unique_ptr<CMedia> media)
        : fMedia(std::move(media)), fReader(*fMedia) {
        fReader.EnterCat(NSZBX2::kFileType);
    }
};

// The checksum chunk, when the file has one; any size but 16 bytes is
// damage.
std::optional<TSoundChecksum> ReadChecksum(CIFFFileReader& reader) {
    if (!reader.TryEnterChunk(NSZBX2::kSoundChecksumId)) return std::nullopt;
    CMedia& chunk = reader.GetCurrentMedia();
    TSoundChecksum checksum;
    if (chunk.GetSize() != int32_t(checksum.size())) throw XZBX2BadFormat();
    chunk.ReadAt(0, int32_t(checksum.size()), checksum.data());
    reader.Leave();
    return checksum;
}

// One opening of an old file, parsed and checked.
struct COpenedOldFile {
    std::unique_ptr<CMedia> fMedia;
    std::unique_ptr<CABCOldZubrikFile> fFile;

    COpenedOldFile(std::unique_ptr<CMedia> media, const std::u16string& kind)
        : fMedia(std::move(media)), fFile(CABCOldZubrikFile::Open(kind, *fMedia)) {}
    CABCOldZubrikFile* operator->() const { return fFile.get(); }
};

template <typename T>
T Clamp(T value, T low, T high) {
    return std::clamp(value, low, high);
}

int32_t ClampDecay(int32_t decay) {
    // 1023 means the envelope never decays; every other value is limited.
    return decay == 1023 ? decay : Clamp(decay, 58, 749);
}

// The device time table of the sampler at this rate.
class CTimeTable {
public:
    explicit CTimeTable(int32_t sampleRate) : fRate(sampleRate) {}
    ~CTimeTable() {
        if (fTables != nullptr) CDSPTablesCache::Release(fRate);
    }
    const float* Get() {
        if (fTables == nullptr) fTables = &CDSPTablesCache::Acquire(fRate);
        return fTables->Milliseconds();
    }

private:
    int32_t fRate;
    const CDSPTables* fTables = nullptr;
};

void ReadEnvelope(const CZBX2TransientShaperDeviceChunk& chunk, const CVersion& version,
                  CTimeTable& times, CZubrikLoopParameters& p) {
    p.fEnvelopeOn = chunk.fEnabled;
    p.fEnvelopeStretch = Clamp<int32_t>(chunk.fStretch, 0, 100);
    if (version >= NSZBX2::kVersion16Bit) {
        p.fEnvelopeAttack = Clamp<int32_t>(chunk.fAttack, 0, 520);
        p.fEnvelopeDecay = ClampDecay(chunk.fDecay);
    } else if (version == NSZBX2::kOldestVersion) {
        p.fEnvelopeAttack =
            chunk.fAttack == 0 ? 0 : Clamp(ConvertOldTime(chunk.fAttack / 2, false, times.Get()), 0, 520);
        p.fEnvelopeDecay = ClampDecay(ConvertOldTime(chunk.fDecay, true, times.Get()));
    }
}

void ReadShaper(const CZBX2CompressorDeviceChunk& chunk, const CVersion& version,
                CTimeTable& times, CZubrikLoopParameters& p) {
    p.fShaperOn = chunk.fEnabled;
    p.fShaperThreshold = Clamp<int32_t>(chunk.fThreshold, 0, 127);
    p.fShaperRatio = Clamp<int32_t>(chunk.fRatio, 0, 127);
    if (version >= NSZBX2::kVersion16Bit) {
        p.fShaperAttack = Clamp<int32_t>(chunk.fAttack, 0, 520);
        p.fShaperRelease = Clamp<int32_t>(chunk.fRelease, 134, 666);
    } else if (version == NSZBX2::kOldestVersion) {
        p.fShaperAttack =
            chunk.fAttack == 0 ? 0 : Clamp(ConvertOldTime(chunk.fAttack / 3, false, times.Get()), 0, 520);
        p.fShaperRelease =
            Clamp(ConvertOldTime(chunk.fRelease / 2 + 16, true, times.Get()), 134, 666);
    }
}

void ReadEqualizer(const CZBX2EqualizerDeviceChunk& chunk, CZubrikLoopParameters& p) {
    using E = CZBX2EqualizerDeviceChunk;
    auto value = [&](int i) {
        return Clamp<int16_t>(chunk.fValues[i], E::kRanges[i].fLow, E::kRanges[i].fHigh);
    };
    p.fEqualizerOn = chunk.fEnabled;
    p.fEqualizerLowCut = value(E::kLowCut);
    p.fEqualizerLowFrequency = value(E::kLowFrequency);
    p.fEqualizerLowGain = value(E::kLowGain);
    p.fEqualizerLowQ = value(E::kLowQ);
    p.fEqualizerHighFrequency = value(E::kHighFrequency);
    p.fEqualizerHighGain = value(E::kHighGain);
    p.fEqualizerHighQ = value(E::kHighQ);
    p.fEqualizerHighCut = value(E::kHighCut);
}

std::unique_ptr<CMedia> OpenPath(const std::filesystem::path& path) {
    return std::make_unique<NSDiskKitUtils::COpenReadFileBridge>(path);
}

} // namespace

std::u16string GetFileKind(CMedia& media) {
    const int32_t saved = media.GetPosition();
    std::u16string kind;
    try {
        kind = KindAtStart(media);
    } catch (...) {
        media.SetPosition(saved);
        throw;
    }
    media.SetPosition(saved);
    return kind;
}

int32_t ConvertOldTime(int32_t value, bool allowInfinite, const float* timeTable) {
    constexpr int32_t kLast = 1023;
    if (allowInfinite && value == 127) return kLast;
    const double target = std::pow(1.1, value * 100 / 128.0) * 4.0;
    int32_t i = 0;
    while (i <= kLast && timeTable[i] < target) ++i;
    if (i > kLast) return kLast;
    if (i > 0 && std::abs(timeTable[i - 1] - target) < std::abs(timeTable[i] - target)) return i - 1;
    return i;
}

// ---- CZubrikFile ----

CZubrikFile::CZubrikFile(const std::filesystem::path& path)
    : CZubrikFile(TMediaOpener([path] { return OpenPath(path); })) {}

CZubrikFile::CZubrikFile(TMediaOpener opener) : fOpener(std::move(opener)) { Open(); }

void CZubrikFile::Open() {
    {
        std::unique_ptr<CMedia> media = fOpener();
        fKind = GetFileKind(*media);
    }
    if (fKind.empty()) throw XZBX2UnsupportedFormat();
    if (IsOldKind()) {
        COpenedOldFile old(fOpener(), fKind);
        fInfo = old->GetFileInfo();
        fNormalizeOption = old->HasNormalizeOption();
        return;
    }

    COpenedFile file(fOpener());
    CIFFFileReader& reader = file.fReader;
    ReadRecord<CZBX2HeadChunk>(reader, NSZBX2::kHeadId);
    const auto info = ReadRecord<CZBX2SampleInfoChunk>(reader, NSZBX2::kSampleInfoId);
    const auto general = ReadRecord<CZBX2GeneralInfoChunk>(reader, NSZBX2::kGeneralInfoId);
    const auto zubrik = ReadRecord<CZBX2ZubrikInfoChunk>(reader, NSZBX2::kZubrikInfoId);
    reader.EnterChunk(NSZBX2::kSampleDataId);
    const int32_t dataSize = reader.GetCurrentSize();
    reader.Leave();

    fInfo.fChannels = info.fChannels;
    fInfo.fBitDepth = info.GetBitDepth();
    fInfo.fSampleRate = static_cast<int32_t>(info.fSampleRate);
    fInfo.fFrameCount = static_cast<int32_t>(info.fFrameCount);
    fInfo.fLoopStart = static_cast<int32_t>(info.fLoopStart);
    fInfo.fLoopEnd = static_cast<int32_t>(info.fLoopEnd);
    fInfo.fSliceCount = static_cast<int32_t>(general.fSliceCount);
    fInfo.fBars = general.fBars;
    fInfo.fBeats = general.fBeats;
    fInfo.fSignatureNumerator = general.fSignatureNumerator;
    fInfo.fSignatureDenominator = general.fSignatureDenominator;
    fInfo.fPreviewTempo = static_cast<int32_t>(general.fPreviewTempo);
    fInfo.fExportSize = static_cast<int32_t>(zubrik.fExportSize);
    fInfo.fActiveSliceCount = static_cast<int32_t>(zubrik.fActiveSliceCount);
    const double raw = double(fInfo.fChannels) * fInfo.fFrameCount * (fInfo.fBitDepth == 24 ? 4 : 2);
    fInfo.fCompressionRatio = raw / std::max(dataSize, 1);
    const int64_t inLoop = int64_t{fInfo.fLoopEnd} - fInfo.fLoopStart;
    fInfo.fLoopUsage = static_cast<int32_t>((inLoop * 100 + fInfo.fFrameCount - 1) / fInfo.fFrameCount);
}

std::unique_ptr<CABCWaveSample> CZubrikFile::ReadSample(CZBX2DecompressCallback* callback) {
    std::optional<TSoundChecksum> stored;
    std::unique_ptr<CABCWaveSample> wave = ReadSampleAndChecksum(callback, stored);
    if (stored && SoundChecksum(*wave) != *stored) throw XZBX2ChecksumMismatch();
    return wave;
}

EChecksumState CZubrikFile::VerifyChecksum() {
    std::optional<TSoundChecksum> stored;
    std::unique_ptr<CABCWaveSample> wave = ReadSampleAndChecksum(nullptr, stored);
    if (!stored) return EChecksumState::kAbsent;
    return SoundChecksum(*wave) == *stored ? EChecksumState::kMatches : EChecksumState::kDiffers;
}

std::unique_ptr<CABCWaveSample> CZubrikFile::ReadSampleAndChecksum(CZBX2DecompressCallback* callback,
                                                                   std::optional<TSoundChecksum>& stored) {
    CZBX2DecompressCallback never;
    if (IsOldKind()) return COpenedOldFile(fOpener(), fKind)->ReadSample(callback ? *callback : never);
    COpenedFile file(fOpener());
    stored = ReadChecksum(file.fReader);
    CIFFFileReader& reader = file.fReader;
    const auto info = ReadRecord<CZBX2SampleInfoChunk>(reader, NSZBX2::kSampleInfoId);
    const int32_t depth = info.GetBitDepth();
    if (depth != 16 && depth != 24) throw XZBX2UnsupportedFormat();

    reader.EnterChunk(NSZBX2::kSampleDataId);
    CMedia& data = reader.GetCurrentMedia();
    // Every coded value takes at least one bit, so a frame count the data
    // cannot hold is refused before the sample is allocated.
    const int32_t frames = static_cast<int32_t>(info.fFrameCount);
    if (int64_t{frames} * info.fChannels > int64_t{data.GetSize()} * 8) throw XBadFormat();

    // The decoder writes every frame, so the arrays need no clearing first.
    std::unique_ptr<CABCWaveSample> wave = CreateWaveSample(static_cast<int32_t>(info.fSampleRate), frames,
                                                            info.fChannels == 2, depth, kForOverwrite);
    wave->SetLoop(CABCWaveSample::kLoopModeSet, static_cast<int32_t>(info.fLoopStart),
                  static_cast<int32_t>(info.fLoopEnd));
    data.SetPosition(0);
    DecodeWaveSample(data, *wave, info.fChannels, frames, callback ? *callback : never);
    return wave;
}

void CZubrikFile::ReadSlices(CSliceSequence& slices) {
    if (IsOldKind()) return COpenedOldFile(fOpener(), fKind)->ReadSlices(slices);
    COpenedFile file(fOpener());
    CIFFFileReader& reader = file.fReader;
    const auto general = ReadRecord<CZBX2GeneralInfoChunk>(reader, NSZBX2::kGeneralInfoId);
    slices.SetSensitivity(general.fSensitivity);
    slices.SetGateSensitivity(general.fGateSensitivity);

    reader.EnterCat(NSZBX2::kSliceListType);
    if (static_cast<uint32_t>(reader.CountChildren()) != general.fSliceCount) throw XZBX2BadFormat();
    for (bool more = reader.EnterFirstChild(); more; more = reader.EnterNextSibling()) {
        if (reader.GetCurrentKind() != EChunkKind::kChunk || !(reader.GetCurrentId() == NSZBX2::kSliceId))
            throw XZBX2BadFormat();
        const auto chunk = Parse<CZBX2SliceChunk>(reader.GetCurrentMedia());
        int32_t state = CSlice::kNormal;
        if (chunk.fFlags & CZBX2SliceChunk::kLocked)
            state = CSlice::kLocked;
        else if (chunk.fFlags & CZBX2SliceChunk::kMuted)
            state = CSlice::kMuted;
        slices.InsertSlice(CSlice(static_cast<int32_t>(chunk.fPosition),
                                  static_cast<int16_t>(chunk.fStrength), state,
                                  (chunk.fFlags & CZBX2SliceChunk::kSelected) != 0));
    }
    slices.UpdateLengths();
}

void CZubrikFile::ReadParameters(CZubrikLoopParameters& p, int32_t outputSampleRate) {
    if (IsOldKind()) return COpenedOldFile(fOpener(), fKind)->ReadParameters(p);
    COpenedFile file(fOpener());
    CIFFFileReader& reader = file.fReader;
    const auto head = ReadRecord<CZBX2HeadChunk>(reader, NSZBX2::kHeadId);
    const auto general = ReadRecord<CZBX2GeneralInfoChunk>(reader, NSZBX2::kGeneralInfoId);
    const auto zubrik = ReadRecord<CZBX2ZubrikInfoChunk>(reader, NSZBX2::kZubrikInfoId);
    reader.EnterCat(NSZBX2::kDeviceListType);
    const auto envelope = ReadRecord<CZBX2TransientShaperDeviceChunk>(reader, NSZBX2::kEnvelopeId);
    const auto equalizer = ReadRecord<CZBX2EqualizerDeviceChunk>(reader, NSZBX2::kEqualizerId);
    const auto shaper = ReadRecord<CZBX2CompressorDeviceChunk>(reader, NSZBX2::kShaperId);

    // Everything is read before anything is handed on, so that a damaged
    // file leaves the parameters as they were.
    CZubrikLoopParameters q = p;
    q.fFileVersion = head.fFileVersion;
    q.fBars = Clamp<int32_t>(general.fBars, 0, 999);
    q.fBeats = Clamp<int32_t>(general.fBeats, 0, 7);
    q.fSignatureNumerator = Clamp<int32_t>(general.fSignatureNumerator, 1, 15);
    q.fSignatureDenominator = Clamp<int32_t>(general.fSignatureDenominator, 1, 15);
    q.fPreviewTempo = Clamp<int32_t>(static_cast<int32_t>(general.fPreviewTempo), 20000, 450000);
    q.fSilenceSelected = general.fSilenceSelected;
    q.fProcessingGain = Clamp<int32_t>(general.fProcessingGain, 0, 7943);
    q.fPitch = Clamp<int16_t>(general.fPitch, -2400, 2400);
    q.fPreviewOn = zubrik.fPreviewOn;
    CTimeTable times(outputSampleRate);
    ReadEnvelope(envelope, head.fFileVersion, times, q);
    ReadEqualizer(equalizer, q);
    ReadShaper(shaper, head.fFileVersion, times, q);
    p = q;
}

void CZubrikFile::ReadViewAttributes(CZubrikViewAttributes& attributes) {
    if (IsOldKind()) return COpenedOldFile(fOpener(), fKind)->ReadViewAttributes(attributes);
    COpenedFile file(fOpener());
    CIFFFileReader& reader = file.fReader;
    const auto general = ReadRecord<CZBX2GeneralInfoChunk>(reader, NSZBX2::kGeneralInfoId);
    const auto zubrik = ReadRecord<CZBX2ZubrikInfoChunk>(reader, NSZBX2::kZubrikInfoId);
    const auto extra = TryReadRecord<CZBX2ZubrikExtraInfoChunk>(reader, NSZBX2::kZubrikExtraInfoId);

    CZubrikViewAttributes a = attributes;
    a.fExportAsOneSample = general.fExportAsOneSample;
    a.fGridShown = zubrik.fGridShown;
    if (extra) {
        a.fTool = NSZBX2::kFirstTool + static_cast<int32_t>(std::min<uint32_t>(extra->fTool, 3));
        a.fShowEnvelope = extra->fShowEnvelope;
        a.fShowEqualizer = extra->fShowEqualizer;
        a.fShowTransientShaper = extra->fShowTransientShaper;
        a.fWindowWidth = static_cast<int32_t>(std::min<uint32_t>(extra->fWindowWidth, 0x7FFFFFFF));
        a.fWindowHeight = static_cast<int32_t>(std::min<uint32_t>(extra->fWindowHeight, 0x7FFFFFFF));
        a.fWindowMaximised = extra->fWindowMaximised;
    } else {
        // Files without the extra attributes show the panels of the devices
        // that are switched on.
        reader.EnterCat(NSZBX2::kDeviceListType);
        a.fShowEnvelope = ReadRecord<CZBX2TransientShaperDeviceChunk>(reader, NSZBX2::kEnvelopeId).fEnabled;
        a.fShowEqualizer = ReadRecord<CZBX2EqualizerDeviceChunk>(reader, NSZBX2::kEqualizerId).fEnabled;
        a.fShowTransientShaper = ReadRecord<CZBX2CompressorDeviceChunk>(reader, NSZBX2::kShaperId).fEnabled;
    }
    attributes = a;
}

std::optional<CZubrikCreatorInfo> CZubrikFile::ReadCreatorInfo() {
    // The old kinds carry no creator strings.
    if (IsOldKind()) return std::nullopt;
    COpenedFile file(fOpener());
    const auto chunk = TryReadRecord<CZBX2CreatorInfoChunk>(file.fReader, NSZBX2::kCreatorInfoId);
    if (!chunk) return std::nullopt;
    return chunk->fStrings;
}

} // namespace NSZubrik
