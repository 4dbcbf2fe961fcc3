// Sound files the command line writes: a document's sound as WAVE or
// AIFF with its locators as the loop (convert, process), through the one
// sound-file writer the exports and render use. Every file goes through a
// temporary file beside the target, so a stop or a failure leaves nothing
// half-written.
#pragma once

#include <cstdint>
#include <filesystem>

namespace NSZubrik {
class CABCWaveSample;
class ILengthyProgress;
}

namespace NSZubrikCli {

enum class ESoundFileKind { kWave, kAiff, kLoopFile, kOther };

// The kind an output name asks for, from its extension.
ESoundFileKind KindOfOutput(const std::filesystem::path& file);

// Every frame as stored, at the storage depth (16 or 24 bits), with the
// locators written as the sound's loop. Stop raises XUserAbortedExport.
void WriteWaveSample(const NSZubrik::CABCWaveSample& wave, const std::filesystem::path& file,
                     ESoundFileKind kind, NSZubrik::ILengthyProgress& progress);

} // namespace NSZubrikCli
