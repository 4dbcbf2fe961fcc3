// Mutated old documents (".zbk") and old loop files (".zbx") through both
// readers directly, whatever kind the bytes would be recognised as, and
// through CZubrikFile as opening a document does. Any failure must be one of
// the program's exceptions; nothing may read out of bounds or run away.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "audiodata/DecompressCallback.h"
#include "audiodata/OldZubrikFile.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "tambor/Media.h"

using namespace NSZubrik;

namespace {

// Old loop files may build a sample of up to five minutes from a few bytes;
// the audio of larger ones is left unread to keep each run short.
constexpr int32_t kLargestSampleRead = 1 << 21;

void ReadEveryPart(CABCOldZubrikFile& file) {
    const CZubrikFileInfo info = file.GetFileInfo();
    CZBX2DecompressCallback never;
    std::unique_ptr<CABCWaveSample> wave;
    if (info.fFrameCount <= kLargestSampleRead) {
        wave = file.ReadSample(never);
    } else {
        wave = CreateWaveSample(44100, 1000, false, 16);
        wave->BuildPreview();
    }
    CSliceSequence slices(*wave);
    file.ReadSlices(slices);
    CZubrikLoopParameters parameters;
    file.ReadParameters(parameters);
    CZubrikViewAttributes attributes;
    file.ReadViewAttributes(attributes);
    (void)file.HasNormalizeOption();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    for (const char16_t* kind : {kOldDocumentKind, kOldLoopKind}) {
        NSTambor::COwnedMemoryMedia media(static_cast<int32_t>(size), data);
        try {
            std::unique_ptr<CABCOldZubrikFile> file = CABCOldZubrikFile::Open(kind, media);
            ReadEveryPart(*file);
        } catch (const std::exception&) {
        }
    }
    try {
        CZubrikFile file(CZubrikFile::TMediaOpener([data, size] {
            return std::unique_ptr<NSTambor::CMedia>(
                new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(size), data));
        }));
        if (file.GetKind() == kZubrikLoopKind || file.GetFileInfo().fFrameCount > kLargestSampleRead)
            return 0;
        std::unique_ptr<CABCWaveSample> wave = file.ReadSample(nullptr);
        CSliceSequence slices(*wave);
        file.ReadSlices(slices);
        CZubrikLoopParameters parameters;
        file.ReadParameters(parameters, 44100);
        CZubrikViewAttributes attributes;
        file.ReadViewAttributes(attributes);
        file.ReadCreatorInfo();
    } catch (const std::exception&) {
    }
    return 0;
}
