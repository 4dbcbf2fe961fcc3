// Where the sound-file reader hands loop and document files on: the
// loop-file reader recognises them and reads their audio.
#pragma once

#include "io/SoundFileReader.h"

namespace NSLoopFileRoute {

struct SLoopFileFacts {
    std::u16string kind;
    NSZubrik::SoundFileInfo info;
};

// True when the media (the open file path) holds a loop or document file;
// its kind and sound properties then fill facts. The media's position is
// kept.
bool Recognise(NSTambor::CMedia& media, const NSDiskKitUtils::TFilePath& path,
               SLoopFileFacts& facts);

// The audio of a recognised loop or document file.
std::unique_ptr<NSZubrik::CABCWaveSample> ReadSample(const NSDiskKitUtils::TFilePath& path,
                                                     NSZubrik::ILengthyProgress* progress);

} // namespace NSLoopFileRoute
