#include "io/ClipboardExchange.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>

#include <unistd.h>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "document/ZubrikDocument.h"
#include "io/MIDIExport.h"
#include "io/SoundFileWriter.h"
#include "tambor/Media.h"

namespace NSZubrik {

namespace {

// A MIDI form holds no more notes than keys from the first key up.
constexpr int32_t kMaximumMIDINotes = 92;
constexpr int32_t kBlockFrames = 4096;
constexpr int32_t kInitialMediaCapacity = 1024;

std::vector<uint8_t> MediaBytes(const NSTambor::CMemoryMedia& media)
{
    return {media.GetBuffer(), media.GetBuffer() + media.GetSize()};
}

// A folder of its own under the system's temporary folder.
std::filesystem::path MakeScratchFolder()
{
    static std::atomic<uint32_t> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        std::filesystem::path folder =
            base / ("zubrik-clip-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(folder))
            return folder;
    }
}

std::vector<uint8_t> MIDIForm(CZubrikDocument& document, bool noRingOut)
{
    if (document.GetExportStatistics().fSliceCount < 1)
        return {};
    const CExporter exporter(document.GetName(), document.GetSequencer(), !document.IsExportAsOneSample(),
                             noRingOut);
    const int32_t count = std::min(exporter.GetExportedSliceCount(), kMaximumMIDINotes);
    NSTambor::COwnedMemoryMedia media(kInitialMediaCapacity);
    WriteMIDIFile(media, MIDIFileContents(exporter, MIDITrackName(std::filesystem::path(document.GetName())),
                                          kMIDIFirstKey, count));
    return MediaBytes(media);
}

// The frames between the locators as a sample of their own, stored as in the
// document so that the writer puts them out unchanged.
std::unique_ptr<CABCWaveSample> LoopRange(const CZubrikDocument& document)
{
    const CABCWaveSample& wave = document.GetWaveSample();
    const int32_t left = document.GetLeftLocator();
    const int32_t frames = std::max(document.GetRightLocator() - left, 0);
    auto range = CreateWaveSample(wave.GetSampleRate(), frames, wave.IsStereo(), wave.GetBitDepth(), kForOverwrite);
    std::vector<float> block(size_t(std::min(frames, kBlockFrames)));
    for (int32_t channel = 1; channel <= (wave.IsStereo() ? 2 : 1); ++channel)
        for (int32_t done = 0; done < frames; done += kBlockFrames) {
            const int32_t count = std::min(kBlockFrames, frames - done);
            wave.GetFloat24s(left + done, count, block.data(), channel);
            range->SetFloat24s(done, count, block.data(), channel);
        }
    return range;
}

std::vector<uint8_t> WaveForm(const CZubrikDocument& document, ILengthyProgress& operation)
{
    const std::unique_ptr<CABCWaveSample> range = LoopRange(document);
    SPieceWriteOptions options;
    options.fBitDepth = range->GetBitDepth() > 16 ? 24 : 16;
    options.fLoopStart = 0;
    options.fLoopEnd = range->GetFrameCount();
    options.fInstrument = true;
    options.fRootKey = 60;
    options.fProgressFrames = kBlockFrames;
    NSTambor::COwnedMemoryMedia media(kInitialMediaCapacity);
    CFramesLeftProgress progress(operation, range->GetFrameCount());
    WriteSoundFile(*range, options, EPlainSoundFile::kWave, media, progress);
    return MediaBytes(media);
}

std::vector<uint8_t> LoopFileForm(CZubrikDocument& document, ILengthyProgress& operation)
{
    operation.SetText(ProgressText(NSStrings::kCopyingZBX2));
    NSTambor::COwnedMemoryMedia media(kInitialMediaCapacity);
    WriteZubrikFile(document.GetFileSource(), media, &operation, false);
    return MediaBytes(media);
}

} // namespace

std::optional<std::vector<SClipboardForm>> MakeLoopClipboardForms(CZubrikDocument& document, bool noRingOut)
{
    if (!document.AskForLoopLength())
        return std::nullopt;
    std::vector<SClipboardForm> forms;
    forms.push_back({kMIDIFlavour, MIDIForm(document, noRingOut)});
    try {
        CZubrikLengthyOperation operation(ProgressText(NSStrings::kCopyingWave), ProgressText(NSStrings::kCancel),
                                          true);
        forms.push_back({kWaveFlavour, WaveForm(document, operation)});
        forms.push_back({kLoopFileFlavour, LoopFileForm(document, operation)});
        operation.Finish();
    } catch (const XUserAbortedExport&) {
        return std::nullopt;
    } catch (const XZBX2UserAborted&) {
        return std::nullopt;
    } catch (const XUserPressedStop&) {
        return std::nullopt;
    }
    return forms;
}

const std::vector<uint8_t>* FindClipboardForm(const std::vector<SClipboardForm>& forms, const std::string& flavour)
{
    for (const SClipboardForm& form : forms)
        if (form.fFlavour == flavour)
            return &form.fBytes;
    return nullptr;
}

CPastedWaveFile::CPastedWaveFile(const std::vector<uint8_t>& bytes)
    : fFolder(MakeScratchFolder()), fPath(fFolder / "Untitled.wav")
{
    std::ofstream out(fPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

CPastedWaveFile::~CPastedWaveFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(fFolder, ignored);
}

} // namespace NSZubrik
