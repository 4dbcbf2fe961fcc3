#include "document/SavedWaveSample.h"

#include <algorithm>
#include <limits>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/SampleDataCodec.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZBX2Chunks.h"
#include "tambor/IFFFileReader.h"
#include "tambor/IFFFileWriter.h"
#include "tambor/Media.h"

namespace NSUndoPackage {

using NSTambor::CIFFFileReader;
using NSTambor::CIFFFileWriter;
using NSTambor::CMedia;
using NSTambor::COwnedMemoryMedia;
using NSZubrik::CABCWaveSample;
using NSZubrik::CLengthyOperationServices;
using NSZubrik::CZBX2SampleInfoChunk;
using NSZubrik::CZubrikLengthyOperation;
namespace NSZBX2 = NSZubrik::NSZBX2;
namespace NSStrings = NSZubrik::NSStrings;

namespace {

// Saving and restoring cannot be stopped half way: the record would be left
// without either sound.
CZubrikLengthyOperation MakeOperation(int32_t textEntry, const CLengthyOperationServices& services) {
    return CZubrikLengthyOperation(NSZubrik::ProgressText(textEntry), NSZubrik::ProgressText(NSStrings::kCancel),
                                   false, services);
}

// Room for about half the raw sample bytes, which most sounds compress to;
// the buffer grows when they do not.
constexpr int32_t kLargeRecord = 1 << 20;

int32_t EstimatedSize(const CABCWaveSample& wave) {
    const int64_t raw = int64_t{wave.GetFrameCount()} * (wave.IsStereo() ? 2 : 1) * (wave.GetBitDepth() / 8);
    return static_cast<int32_t>(std::min<int64_t>(raw / 2 + 64, std::numeric_limits<int32_t>::max() / 2));
}

CZBX2SampleInfoChunk DescribeWave(const CABCWaveSample& wave) {
    CZBX2SampleInfoChunk info;
    info.fChannels = wave.IsStereo() ? 2 : 1;
    info.fSampleFormat =
        wave.GetBitDepth() == 24 ? CZBX2SampleInfoChunk::kFormat24Bit : CZBX2SampleInfoChunk::kFormat16Bit;
    info.fSampleRate = static_cast<uint32_t>(wave.GetSampleRate());
    info.fFrameCount = static_cast<uint32_t>(wave.GetFrameCount());
    info.fLoopStart = static_cast<uint32_t>(wave.GetLoopStart());
    info.fLoopEnd = static_cast<uint32_t>(wave.GetLoopEnd());
    return info;
}

// The fields as written, without the loop file's range checks: the program
// made these itself, and a wave may hold states (no frames, a left locator at
// the very end) that a file on disk may not.
CZBX2SampleInfoChunk ReadDescription(CMedia& media) {
    CZBX2SampleInfoChunk info;
    info.fChannels = NSTambor::ReadU8(media);
    info.fSampleFormat = NSTambor::ReadU8(media);
    info.fSampleRate = NSTambor::ReadU32BE(media);
    info.fFrameCount = NSTambor::ReadU32BE(media);
    info.fLoopStart = NSTambor::ReadU32BE(media);
    info.fLoopEnd = NSTambor::ReadU32BE(media);
    const bool knownFormat = info.fSampleFormat == CZBX2SampleInfoChunk::kFormat16Bit ||
                             info.fSampleFormat == CZBX2SampleInfoChunk::kFormat24Bit;
    if ((info.fChannels != 1 && info.fChannels != 2) || !knownFormat || info.fFrameCount > 0x7FFFFFFFu)
        throw NSZubrik::XBadFormat();
    return info;
}

std::unique_ptr<CMedia> FindChunk(CIFFFileReader& reader, const NSTambor::CFourCharCode& id) {
    std::unique_ptr<CMedia> media = reader.FindChunkMedia(id);
    if (media == nullptr)
        throw NSZubrik::XBadFormat();
    return media;
}

} // namespace

CSavedWaveSample::CSavedWaveSample(const CABCWaveSample& wave, const CLengthyOperationServices& services)
    : fLoopMode(wave.GetLoopMode()), fLocatorsSet(wave.AreLocatorsSet()), fPreviewValid(wave.IsPreviewValid()) {
    CZubrikLengthyOperation operation = MakeOperation(NSStrings::kSavingUndo, services);
    auto media = std::make_shared<COwnedMemoryMedia>(EstimatedSize(wave));
    CIFFFileWriter writer(*media);
    writer.BeginCat(NSZBX2::kFileType);
    writer.BeginChunk(NSZBX2::kSampleInfoId);
    DescribeWave(wave).Write(writer.GetCurrentMedia());
    writer.End();
    writer.BeginChunk(NSZBX2::kSampleDataId);
    NSZubrik::EncodeWaveSample(writer.GetCurrentMedia(), wave, &operation);
    writer.End();
    writer.End();

    // Give back what the estimate or the growth left unused, but only for
    // small records: in a large buffer the unused tail was never touched and
    // takes no memory, while the copy would hold the record twice at the
    // moment the old and the new sound are both in memory.
    const int32_t size = media->GetSize();
    if (size < kLargeRecord && media->GetCapacity() - size > size / 8)
        media = std::make_shared<COwnedMemoryMedia>(size, media->GetBuffer());
    fMedia = std::move(media);
    operation.Finish();
}

CSavedWaveSample::~CSavedWaveSample() = default;

std::unique_ptr<CABCWaveSample> CSavedWaveSample::Restore(const CLengthyOperationServices& services) const {
    CZubrikLengthyOperation operation = MakeOperation(NSStrings::kRestoringUndo, services);
    fMedia->SetPosition(0);
    CIFFFileReader reader(*fMedia);
    reader.EnterCat(NSZBX2::kFileType);
    const CZBX2SampleInfoChunk info = ReadDescription(*FindChunk(reader, NSZBX2::kSampleInfoId));
    const auto frameCount = static_cast<int32_t>(info.fFrameCount);

    std::unique_ptr<CABCWaveSample> wave = NSZubrik::CreateWaveSample(
        static_cast<int32_t>(info.fSampleRate), frameCount, info.fChannels == 2, info.GetBitDepth());
    wave->SetLoop(fLoopMode, static_cast<int32_t>(info.fLoopStart), static_cast<int32_t>(info.fLoopEnd));
    wave->SetLocatorsSet(fLocatorsSet);

    NSZubrik::CLOPDecompressCallback callback(operation, frameCount);
    NSZubrik::DecodeWaveSample(*FindChunk(reader, NSZBX2::kSampleDataId), *wave, info.fChannels, frameCount,
                               callback);
    if (fPreviewValid)
        wave->BuildPreview();
    operation.Finish();
    return wave;
}

int32_t CSavedWaveSample::GetStoredSize() const {
    return fMedia->GetSize();
}

} // namespace NSUndoPackage
