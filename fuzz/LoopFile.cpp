// Mutated loop files through everything that opening one does: the kind, the
// file information, the audio, the slices, the parameters, the view
// attributes and the creator strings. Any failure must be one of the
// program's exceptions; nothing may read out of bounds or run away.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "engine/DSPTables.h"
#include "tambor/Media.h"

using namespace NSZubrik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Keep the time tables alive between runs; building them is slow.
    static const CDSPTables& tables = CDSPTablesCache::Acquire(44100);
    (void)tables;
    if (size > (1u << 20)) return 0;
    auto opener = [data, size] {
        return std::unique_ptr<NSTambor::CMedia>(
            new NSTambor::COwnedMemoryMedia(static_cast<int32_t>(size), data));
    };
    {
        NSTambor::COwnedMemoryMedia media(static_cast<int32_t>(size), data);
        try {
            GetFileKind(media);
        } catch (const std::exception&) {
        }
    }
    std::unique_ptr<CZubrikFile> file;
    try {
        file = std::make_unique<CZubrikFile>(CZubrikFile::TMediaOpener(opener));
    } catch (const std::exception&) {
        return 0;
    }
    (void)file->GetFileInfo();
    std::unique_ptr<CABCWaveSample> wave;
    try {
        wave = file->ReadSample(nullptr);
    } catch (const std::exception&) {
        wave = CreateWaveSample(44100, 1000, false, 16);
        wave->ClearRange(0, 1000, 1);
        wave->BuildPreview();
    }
    try {
        CSliceSequence slices(*wave);
        file->ReadSlices(slices);
    } catch (const std::exception&) {
    }
    try {
        CZubrikLoopParameters parameters;
        file->ReadParameters(parameters, 44100);
    } catch (const std::exception&) {
    }
    try {
        CZubrikViewAttributes attributes;
        file->ReadViewAttributes(attributes);
    } catch (const std::exception&) {
    }
    try {
        file->ReadCreatorInfo();
    } catch (const std::exception&) {
    }
    return 0;
}
