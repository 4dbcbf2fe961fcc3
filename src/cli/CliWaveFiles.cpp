#include "cli/CliWaveFiles.h"

#include <algorithm>
#include <cctype>

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"
#include "io/SoundFileWriter.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

std::string LowerExtension(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

ESoundFileKind KindOfOutput(const std::filesystem::path& file)
{
    const std::string extension = LowerExtension(file);
    if (extension == ".wav" || extension == ".wave")
        return ESoundFileKind::kWave;
    if (extension == ".aif" || extension == ".aiff")
        return ESoundFileKind::kAiff;
    if (extension == ".zx2")
        return ESoundFileKind::kLoopFile;
    return ESoundFileKind::kOther;
}

void WriteWaveSample(const CABCWaveSample& wave, const std::filesystem::path& file, ESoundFileKind kind,
                     ILengthyProgress& progress)
{
    // Every frame as stored; the locators travel as the sound's main loop,
    // which the sound-file reader takes back as the locators.
    SPieceWriteOptions options;
    options.fBitDepth = wave.GetBitDepth() > 16 ? 24 : 16;
    options.fLoopStart = wave.GetLoopStart();
    options.fLoopEnd = wave.GetLoopEnd();
    options.fInstrument = false;
    options.fProgressFrames = 0;
    CFramesLeftProgress framesLeft(progress, wave.GetFrameCount());
    WriteSoundFile(wave, options, kind == ESoundFileKind::kWave ? EPlainSoundFile::kWave : EPlainSoundFile::kAiff,
                   file, framesLeft);
}

} // namespace NSZubrikCli
