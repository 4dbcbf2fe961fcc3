#include "platform/SoundKitGlue.h"

#include "app/ResultCodes.h"
#include "app/ZubrikErrors.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace NSSoundKitGlue {

using namespace NSSoundKit;

void Check(TResult result)
{
    NSZubrik::CheckSoundKitResult(result);
}

TResult CurrentExceptionCode() noexcept
{
    using namespace NSZubrik;
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const XDiskFull&) {
        return kDiskFull;
    } catch (const XRead&) {
        return kReadError;
    } catch (const XWrite&) {
        return kWriteError;
    } catch (const XBadFormat&) {
        return kBadFormat;
    } catch (const XUnsupportedFormat&) {
        return kUnsupportedFormat;
    } catch (const XIllegalCallSequence&) {
        return kIllegalCallSequence;
    } catch (const XInvariantCorrupt&) {
        return kInvariantCorrupt;
    } catch (const std::invalid_argument&) {
        return kInvalidArgument;
    } catch (const std::range_error&) {
        return kReadError;
    } catch (...) {
        return kOther;
    }
}

TResult CMediaByteReader::GetSize(int64_t& size)
{
    try {
        size = fMedia.GetSize();
        return kSuccess;
    } catch (...) {
        return CurrentExceptionCode();
    }
}

TResult CMediaByteReader::Read(int64_t position, int32_t count, void* destination, int32_t& done)
{
    done = 0;
    try {
        int64_t size = fMedia.GetSize();
        if (position < 0 || count < 0) return kInvalidArgument;
        int32_t available = int32_t(std::clamp<int64_t>(size - position, 0, count));
        if (available > 0) fMedia.ReadAt(int32_t(position), available, destination);
        done = available;
        return kSuccess;
    } catch (...) {
        return CurrentExceptionCode();
    }
}

TResult CMediaByteWriter::Write(int64_t position, int32_t count, const void* source)
{
    try {
        if (position < 0 || count < 0) return kInvalidArgument;
        if (position + count > INT32_MAX) return kDiskFull;  // beyond what a media can hold
        fMedia.WriteAt(int32_t(position), count, source);
        return kSuccess;
    } catch (...) {
        return CurrentExceptionCode();
    }
}

CSoundDecoder::CSoundDecoder(ISoundKit& kit, NSTambor::CMedia& media) : fBytes(media)
{
    Check(kit.NewReader(fBytes, fProperties, fReader));
}

void CSoundDecoder::ReadFrames(uint32_t firstFrame, float* buffer, uint32_t count)
{
    Check(fReader->ReadFrames(firstFrame, buffer, count));
}

CSoundEncoder::CSoundEncoder(ISoundKit& kit, NSTambor::CMedia& media, const SProperties& properties)
    : fBytes(media)
{
    Check(kit.NewWriter(fBytes, properties, fWriter));
}

void CSoundDecoder::ReadFrames(uint32_t firstFrame, int32_t* buffer, uint32_t count)
{
    Check(fReader->ReadFramesInt24(firstFrame, buffer, count));
}

void CSoundDecoder::ReadFrames(uint32_t firstFrame, int16_t* buffer, uint32_t count)
{
    Check(fReader->ReadFramesInt16(firstFrame, buffer, count));
}

uint64_t CSoundDecoder::GetClippedCount() const
{
    return fReader->GetClippedCount();
}

void CSoundEncoder::WriteFrames(const int32_t* buffer, uint32_t count)
{
    Check(fWriter->WriteFramesInt24(buffer, count));
}

void CSoundEncoder::WriteFrames(const int16_t* buffer, uint32_t count)
{
    Check(fWriter->WriteFramesInt16(buffer, count));
}

void CSoundEncoder::WriteFrames(const float* buffer, uint32_t count)
{
    Check(fWriter->WriteFrames(buffer, count));
}

void CSoundEncoder::Finish()
{
    Check(fWriter->Finish());
}

} // namespace NSSoundKitGlue

namespace {

template <typename TKit>
TKit& KitOnFirstUse(TKit*& kit, NSSoundKit::TResult (*create)(const char*, TKit*&), const char* name)
{
    if (!kit) {
        TKit* made = nullptr;
        NSSoundKit::TResult result = create(name, made);
        if (result != NSSoundKit::kSuccess) {
            delete made;
            NSSoundKitGlue::Check(result);
        }
        kit = made;
    }
    return *kit;
}

NSSoundKit::IRiffSoundKit* gRiffSoundKit = nullptr;
NSSoundKit::IFormSoundKit* gFormSoundKit = nullptr;
NSSoundKit::ICodedSoundKit* gCodedSoundKit = nullptr;

} // namespace

NSSoundKit::IRiffSoundKit& NSRiffSoundGlue::GetKit()
{
    return KitOnFirstUse(gRiffSoundKit, NSSoundKit::RiffSoundKit_Create, "IRiffSoundKit");
}

void NSRiffSoundGlue::ReleaseKit()
{
    delete gRiffSoundKit;
    gRiffSoundKit = nullptr;
}

NSSoundKit::IFormSoundKit& NSFormSoundGlue::GetKit()
{
    return KitOnFirstUse(gFormSoundKit, NSSoundKit::FormSoundKit_Create, "IFormSoundKit");
}

void NSFormSoundGlue::ReleaseKit()
{
    delete gFormSoundKit;
    gFormSoundKit = nullptr;
}

NSSoundKit::ICodedSoundKit& NSCodedSoundGlue::GetKit()
{
    return KitOnFirstUse(gCodedSoundKit, NSSoundKit::CodedSoundKit_Create, "ICodedSoundKit");
}

void NSCodedSoundGlue::ReleaseKit()
{
    delete gCodedSoundKit;
    gCodedSoundKit = nullptr;
}
