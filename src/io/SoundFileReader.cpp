#include "io/SoundFileReader.h"

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "document/LengthyOperation.h"
#include "io/LoopFileRoute.h"
#include "platform/SoundKitGlue.h"

#include <algorithm>
#include <vector>

namespace NSZubrik {

namespace {

using NSDiskKitUtils::COpenReadFileBridge;
using NSDiskKitUtils::TFilePath;

constexpr uint32_t Code(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
           uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
}

NSSoundKit::ISoundKit& KitFor(const std::u16string& kind)
{
    if (kind == CSoundFileReader::kWaveKind) return NSRiffSoundGlue::GetKit();
    if (kind == CSoundFileReader::kAiffKind) return NSFormSoundGlue::GetKit();
    return NSCodedSoundGlue::GetKit();
}

// The kind of a compressed sound by its first bytes: a FLAC stream, an Ogg
// stream (Vorbis or Opus inside), or MP3 behind an ID3 tag or starting with
// an MPEG audio frame's sync bits. Empty for anything else.
std::u16string CodedKind(const uint8_t* header)
{
    if (std::equal(header, header + 4, "fLaC")) return CSoundFileReader::kFlacKind;
    if (std::equal(header, header + 4, "OggS")) return CSoundFileReader::kOggKind;
    if (std::equal(header, header + 3, "ID3") || (header[0] == 0xFF && (header[1] & 0xE0) == 0xE0))
        return CSoundFileReader::kMp3Kind;
    return {};
}

// Sounds of more than 16 bits and floating-point sounds open as 24-bit
// sounds, all others at their own depth.
int32_t OpenedDepth(const NSSoundKit::SProperties& properties)
{
    return properties.floatingPoint ? 24 : properties.bits;
}

SoundFileInfo InfoFrom(const NSSoundKit::SProperties& properties)
{
    SoundFileInfo info;
    info.channels = properties.channels;
    info.bitsPerSample = OpenedDepth(properties);
    info.sampleRate = properties.sampleRate;
    info.frameCount = properties.frames;
    info.loopFlag = properties.loopPlay == NSSoundKit::kLoopPlayAlternating ? 1 : 0;
    if (properties.loopKind != NSSoundKit::kLoopNone) {
        int64_t frames = properties.frames;
        info.loopStart = int32_t(std::clamp<int64_t>(properties.loopStart, 0, frames));
        info.loopEnd = int32_t(std::clamp<int64_t>(properties.loopEnd, 0, frames));
        info.loopKind = properties.loopKind == NSSoundKit::kLoopSustain ? SoundFileInfo::kUsedLoop
                                                                        : SoundFileInfo::kOtherLoop;
    }
    if (info.loopEnd <= info.loopStart) {
        info.loopKind = SoundFileInfo::kNoLoop;
        info.loopStart = info.loopEnd = 0;
    }
    info.instrument[0] = properties.hasInstrument;
    info.instrument[1] = properties.rootKey;
    std::copy(properties.keyVelocity, properties.keyVelocity + 3, info.instrument + 2);
    return info;
}

bool SameSound(const SoundFileInfo& a, const SoundFileInfo& b)
{
    return a.channels == b.channels && a.bitsPerSample == b.bitsPerSample &&
           a.sampleRate == b.sampleRate && a.frameCount == b.frameCount;
}

bool ReadableDepth(int32_t bits)
{
    return bits == 8 || bits == 16 || bits == 20 || bits == 22 || bits == 24;
}

void Store(CABCWaveSample& sample, uint32_t start, uint32_t count, const int16_t* block)
{
    if (sample.IsStereo())
        sample.SetInt16Stereo(int32_t(start), int32_t(count), block);
    else
        sample.SetInt16s(int32_t(start), int32_t(count), block, 1);
}

void Store(CABCWaveSample& sample, uint32_t start, uint32_t count, const int32_t* block)
{
    if (sample.IsStereo())
        sample.SetInt24Stereo(int32_t(start), int32_t(count), block);
    else
        sample.SetInt24s(int32_t(start), int32_t(count), block, 1);
}

// Every frame in order, block by block, each block written into the sample
// after the progress report and the cancel check.
template <typename TSample>
void ReadBlocks(NSSoundKitGlue::CSoundDecoder& decoder, CABCWaveSample& sample, uint32_t frames,
                ILengthyProgress* progress)
{
    constexpr uint32_t kBlockFrames = uint32_t(CSoundFileReader::kBlockFrames);
    std::vector<TSample> buffer(size_t(kBlockFrames) * (sample.IsStereo() ? 2 : 1));
    for (uint32_t done = 0; done < frames;) {
        if (progress) {
            progress->SetCount(int32_t(frames - done));
            progress->SetPercent(int32_t(uint64_t(done) * 100 / frames));
            if (progress->StopRequested()) throw XUserInterrupted();
        }
        const uint32_t count = std::min(kBlockFrames, frames - done);
        decoder.ReadFrames(done, buffer.data(), count);
        Store(sample, done, count, buffer.data());
        done += count;
    }
}

} // namespace

CSoundFileReader::CSoundFileReader(std::unique_ptr<COpenReadFileBridge> file)
    : CSoundFileReader(std::move(file), SNoPairing {})
{
    if (!fLoopFile) FindLinkedPartner();
}

CSoundFileReader::CSoundFileReader(const TFilePath& path)
    : CSoundFileReader(std::make_unique<COpenReadFileBridge>(path))
{
}

CSoundFileReader::CSoundFileReader(std::unique_ptr<COpenReadFileBridge> file, SNoPairing)
    : fFile(std::move(file))
{
    if (!fFile) throw std::invalid_argument("");
    FindKind();
}

CSoundFileReader::~CSoundFileReader() = default;

void CSoundFileReader::FindKind()
{
    if (fFile->GetSize() < 12) throw XUnsupportedFormat();
    NSLoopFileRoute::SLoopFileFacts loop;
    if (NSLoopFileRoute::Recognise(*fFile, fFile->GetPath(), loop)) {
        fLoopFile = true;
        fKind = loop.kind;
        fInfo = loop.info;
        return;
    }
    int32_t position = fFile->GetPosition();
    uint8_t header[12];
    fFile->ReadAt(0, 12, header);
    fFile->SetPosition(position);
    auto word = [&](int at) {
        return uint32_t(header[at]) << 24 | uint32_t(header[at + 1]) << 16 |
               uint32_t(header[at + 2]) << 8 | uint32_t(header[at + 3]);
    };
    // AIFF-C is the form of AIFF that holds floating-point sound.
    if (word(0) == Code("FORM") && (word(8) == Code("AIFF") || word(8) == Code("AIFC")))
        fKind = kAiffKind;
    else if (word(0) == Code("RIFF") && word(8) == Code("WAVE"))
        fKind = kWaveKind;
    else if (fKind = CodedKind(header); fKind.empty())
        throw XUnsupportedFormat();
    fDecoder = std::make_unique<NSSoundKitGlue::CSoundDecoder>(KitFor(fKind), *fFile);
    fInfo = InfoFrom(fDecoder->GetProperties());
    if (fKind == kWaveKind) fMarkers = NSWaveMarkers::ReadMarkers(*fFile);
}

std::string CSoundFileReader::GetSourceFormatName() const
{
    if (fLoopFile) return {};
    const NSSoundKit::SProperties& properties = fDecoder->GetProperties();
    using NSSoundKit::ESourceFormat;
    switch (properties.source) {
    case ESourceFormat::kFlac: return "FLAC";
    case ESourceFormat::kVorbis: return "Ogg Vorbis";
    case ESourceFormat::kOpus: return "Ogg Opus";
    case ESourceFormat::kMpeg: return "MP3";
    case ESourceFormat::kWave:
    case ESourceFormat::kAiff: break;
    }
    const std::string container = properties.source == ESourceFormat::kWave ? "WAVE" : "AIFF";
    if (properties.floatingPoint) return container + " (" + std::to_string(properties.bits) + "-bit float)";
    return container;
}

bool CSoundFileReader::IsConverted() const
{
    if (fLoopFile) return false;
    const NSSoundKit::SProperties& properties = fDecoder->GetProperties();
    return properties.floatingPoint || (properties.source != NSSoundKit::ESourceFormat::kWave &&
                                        properties.source != NSSoundKit::ESourceFormat::kAiff);
}

uint64_t CSoundFileReader::GetClippedCount() const
{
    return fDecoder ? fDecoder->GetClippedCount() : 0;
}

std::vector<int32_t> CSoundFileReader::GetMarkerPositions() const
{
    std::vector<int32_t> positions;
    for (const NSWaveMarkers::SMarker& marker : fMarkers.fMarkers)
        if (marker.fPosition < fInfo.frameCount) positions.push_back(int32_t(marker.fPosition));
    return positions;
}

std::string CSoundFileReader::PartnerName(const std::string& name)
{
    if (name.size() < 2 || name[name.size() - 2] != '.') return {};
    char last = name.back();
    if (last != 'L' && last != 'l' && last != 'R' && last != 'r') return {};
    return name.substr(0, name.size() - 1) + (last == 'L' || last == 'l' ? 'R' : 'L');
}

// A partner that is missing, cannot be opened as a sound file or differs in
// channels, depth, rate or length leaves this file a mono file, silently.
void CSoundFileReader::FindLinkedPartner()
{
    TFilePath folder;
    std::string name;
    NSDiskKitUtils::SplitPath(fFile->GetPath(), folder, name);
    std::string partnerName = PartnerName(name);
    if (partnerName.empty()) return;
    TFilePath partner = NSDiskKitUtils::MakePath(folder, partnerName);
    try {
        CSoundFileReader other(std::make_unique<COpenReadFileBridge>(partner), SNoPairing {});
        if (other.IsLoopFile() || !SameSound(other.GetInfo(), fInfo) || fInfo.channels != 1) return;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return;
    }
    fPartner = partner;
    fInfo.channels = 2;
}

bool CSoundFileReader::CheckProperties(int32_t& alert) const
{
    if (uint64_t(fInfo.frameCount) > uint64_t(fInfo.sampleRate) * kMaxSeconds)
        alert = NSAlerts::kSoundTooLong;
    else if (fInfo.bitsPerSample != 8 && fInfo.bitsPerSample != 16 && fInfo.bitsPerSample != 24)
        alert = NSAlerts::kUnsupportedBitDepth;
    else if (fInfo.channels >= 3)
        alert = NSAlerts::kUnsupportedChannels;
    else if (fInfo.sampleRate < kMinSampleRate || fInfo.sampleRate > kMaxSampleRate)
        alert = NSAlerts::kUnsupportedSampleRate;
    else
        return true;
    return false;
}

std::unique_ptr<CABCWaveSample> CSoundFileReader::Read(ILengthyProgress* progress)
{
    std::unique_ptr<CABCWaveSample> sample = ReadFrames(progress);
    // A loaded sound is complete only with its preview (the gate, the
    // waveform and the open dialog read it).
    sample->EnsurePreview();
    return sample;
}

std::unique_ptr<CABCWaveSample> CSoundFileReader::ReadFrames(ILengthyProgress* progress)
{
    if (fLoopFile) return NSLoopFileRoute::ReadSample(fFile->GetPath(), progress);
    std::unique_ptr<CABCWaveSample> sample = ReadSound(progress);
    if (fPartner.empty()) return sample;

    CSoundFileReader partner(std::make_unique<COpenReadFileBridge>(fPartner), SNoPairing {});
    if (partner.IsLoopFile() || !SameSound(partner.GetInfo(), InfoFrom(fDecoder->GetProperties()))) throw XUnsupportedFormat();
    if (progress) progress->SetText(ProgressText(NSStrings::kReadingSecondChannel));
    std::unique_ptr<CABCWaveSample> other = partner.ReadSound(progress);
    std::string name = fPartner.filename().string();
    bool partnerIsLeft = name.back() == 'L' || name.back() == 'l';
    sample->AddChannelFrom(*other, partnerIsLeft ? 1 : 2);
    return sample;
}

std::unique_ptr<CABCWaveSample> CSoundFileReader::ReadSound(ILengthyProgress* progress)
{
    const NSSoundKit::SProperties& properties = fDecoder->GetProperties();
    const uint16_t channels = properties.channels;
    const uint32_t frames = properties.frames;
    const int32_t depth = OpenedDepth(properties);
    if (channels == 0 || channels > 2 || !ReadableDepth(depth)) throw XUnsupportedFormat();
    if (frames == 0 || frames > uint32_t(INT32_MAX) || properties.sampleRate > uint32_t(INT32_MAX))
        throw XUnsupportedFormat();

    // Every frame is read into the sample, so its arrays need no clearing.
    std::unique_ptr<CABCWaveSample> sample = CreateWaveSample(
        int32_t(properties.sampleRate), int32_t(frames), channels == 2, depth <= 16 ? 16 : 24, kForOverwrite);
    // A 16-bit store takes the frames in its own width, read without
    // widening; deeper sounds travel on the 24-bit scale.
    if (sample->GetBitDepth() == 16)
        ReadBlocks<int16_t>(*fDecoder, *sample, frames, progress);
    else
        ReadBlocks<int32_t>(*fDecoder, *sample, frames, progress);
    if (progress) {
        progress->SetCount(0);
        progress->SetPercent(100);
    }

    const SoundFileInfo info = InfoFrom(properties);
    if (info.loopKind == SoundFileInfo::kUsedLoop && info.loopStart < info.loopEnd)
        sample->SetLoop(CABCWaveSample::kLoopModeSet, info.loopStart, info.loopEnd);
    else
        sample->SetLoop(CABCWaveSample::kLoopModeSet, 0, int32_t(frames));
    return sample;
}

// What the user should know about a sound that opened: that it was
// converted, how many values were clipped, how many slice markers it gave.
void ShowImportNotes(const CSoundFileReader& reader, const TFilePath& path, int32_t depth)
{
    const std::string name = path.filename().string();
    if (reader.IsConverted())
        ShowAlert(kAlertTable, NSAlerts::kSoundConverted, name, reader.GetSourceFormatName(), std::to_string(depth));
    if (const uint64_t clipped = reader.GetClippedCount(); clipped > 0)
        ShowAlert(kAlertTable, NSAlerts::kSoundClipped, std::to_string(clipped), name);
    const size_t taken = reader.GetMarkerPositions().size();
    const size_t found = reader.GetMarkers().fMarkers.size() + reader.GetMarkers().fLeftOut;
    if (found > 0)
        ShowAlert(kAlertTable, NSAlerts::kSliceMarkersTaken, std::to_string(taken), name,
                  std::to_string(found - taken));
}

std::unique_ptr<CABCWaveSample> LoadSoundFile(const TFilePath& path)
{
    CSoundFileReader reader(path);
    if (reader.IsLoopFile()) throw XUnsupportedFormat();
    int32_t alert = 0;
    if (!reader.CheckProperties(alert)) throw XUnsupportedSoundFileProperties(alert);
    CZubrikLengthyOperation operation(ProgressText(NSStrings::kFramesLeftToLoad),
                                      ProgressText(NSStrings::kCancel), true);
    std::unique_ptr<CABCWaveSample> sample = reader.Read(&operation);
    operation.Finish();
    ShowImportNotes(reader, path, sample->GetBitDepth());
    return sample;
}

std::vector<int32_t> ReadSliceMarkers(const TFilePath& path)
{
    try {
        CSoundFileReader reader(path);
        return reader.GetMarkerPositions();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        // A file that cannot be read has no markers to give; opening it
        // reports why.
        return {};
    }
}

} // namespace NSZubrik
