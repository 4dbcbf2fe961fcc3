#include "io/LoopFileRoute.h"

#include "audiodata/DecompressCallback.h"
#include "audiodata/ZubrikFile.h"

#include <algorithm>

namespace NSLoopFileRoute {

bool Recognise(NSTambor::CMedia& media, const NSDiskKitUtils::TFilePath& path, SLoopFileFacts& facts)
{
    std::u16string kind = NSZubrik::GetFileKind(media);
    if (kind.empty()) return false;
    const NSZubrik::CZubrikFileInfo fileInfo = NSZubrik::CZubrikFile(path).GetFileInfo();
    NSZubrik::SoundFileInfo& info = facts.info;
    info = {};
    info.channels = uint16_t(fileInfo.fChannels);
    info.bitsPerSample = fileInfo.fBitDepth;
    info.sampleRate = uint32_t(std::max(fileInfo.fSampleRate, 0));
    info.frameCount = uint32_t(std::max(fileInfo.fFrameCount, 0));
    if (fileInfo.fLoopStart >= 0 && fileInfo.fLoopStart < fileInfo.fLoopEnd) {
        info.loopKind = NSZubrik::SoundFileInfo::kUsedLoop;
        info.loopStart = fileInfo.fLoopStart;
        info.loopEnd = fileInfo.fLoopEnd;
    }
    facts.kind = std::move(kind);
    return true;
}

std::unique_ptr<NSZubrik::CABCWaveSample> ReadSample(const NSDiskKitUtils::TFilePath& path,
                                                     NSZubrik::ILengthyProgress* progress)
{
    NSZubrik::CZubrikFile file(path);
    if (!progress) return file.ReadSample(nullptr);
    NSZubrik::CLOPDecompressCallback callback(*progress, file.GetFileInfo().fFrameCount);
    return file.ReadSample(&callback);
}

} // namespace NSLoopFileRoute
