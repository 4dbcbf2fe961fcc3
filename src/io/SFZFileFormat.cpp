#include "io/SFZFileFormat.h"

#include <algorithm>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/PureSoundFileFormat.h"
#include "io/SamplerExport.h"
#include "platform/DiskKitUtils.h"
#include "tambor/Media.h"

namespace NSZubrik {

namespace {

const std::vector<int32_t> kRates = {11025, 22050, 32000, 44100, 48000, 88200, 96000};

// The longest sample-file name before ".wav".
constexpr size_t kMaxSampleStem = 200;

std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A name an SFZ line can carry: no spaces (readers end a value at the next
// opcode), no line breaks, no characters that open headers or comments.
std::string LineSafe(std::string text)
{
    for (char& c : text)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '<' || c == '>' || c == '=')
            c = '_';
    return text;
}

} // namespace

std::string SFZInstrumentText(const std::string& name, const std::string& sampleFolder,
                              const std::vector<SSFZRegion>& regions)
{
    std::string text = "// " + LineSafe(name) + ": " + std::to_string(regions.size()) +
                       " slices, written by Zubrik\n\n<control>\ndefault_path=" + sampleFolder + "/\n";
    // The pieces are rendered with the loop's gain and pitch already in them,
    // so each region plays its sample as it stands on its own key.
    for (const SSFZRegion& region : regions) {
        const std::string key = std::to_string(region.fKey);
        text += "\n<region> sample=" + region.fSample + "\nkey=" + key + " pitch_keycenter=" + key +
                " loop_mode=one_shot volume=0 tune=0\n";
    }
    return text;
}

CSFZFileFormat::CSFZFileFormat()
    : CABCExportFileFormat(kRates, {16, 24}, true, true, kFirstKey, kMaxSlices, true)
{
}

std::filesystem::path CSFZFileFormat::SampleFolder(const std::filesystem::path& instrument)
{
    return instrument.parent_path() / std::filesystem::u8path(LineSafe(Utf8(instrument.stem())) + "_samples");
}

std::string CSFZFileFormat::SampleFileName(const std::filesystem::path& instrument, int32_t piece)
{
    std::u16string stem = SamplerFileStem(instrument, piece + 1, kMaxSampleStem);
    std::replace(stem.begin(), stem.end(), u' ', u'_');
    return LineSafe(Utf8(std::filesystem::path(stem + u".wav")));
}

void CSFZFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                            ILengthyProgress& progress)
{
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    const std::filesystem::path folder = SampleFolder(destination);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw XCreateFailed();

    std::vector<SSFZRegion> regions;
    std::vector<SSamplerSampleFile> samples;
    for (int32_t piece = 0; piece < count; ++piece) {
        const auto key = static_cast<uint8_t>(kFirstKey + piece);
        const std::string file = SampleFileName(destination, piece);
        regions.push_back({file, key});
        samples.push_back({folder / std::filesystem::u8path(file), key});
    }
    WriteSamplerSampleFiles(exporter, samples, fBitDepth, {NSAlerts::kInstrumentSliceFailed}, progress);

    const std::string text =
        SFZInstrumentText(Utf8(destination.stem()), Utf8(folder.filename()), regions);
    NSDiskKitUtils::CSafeFileWriter writer(destination, NSDiskKitUtils::MakeFourCC("TEXT"));
    NSTambor::WriteBytes(writer.GetMedia(), static_cast<int32_t>(text.size()), text.data());
    writer.Commit();
}

} // namespace NSZubrik
