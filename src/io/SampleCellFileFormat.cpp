#include "io/SampleCellFileFormat.h"

#include "tambor/ByteBuilder.h"

#include <algorithm>
#include <initializer_list>

#include "app/ResourceIds.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/SamplerExport.h"
#include "platform/DiskKitUtils.h"
#include "tambor/IFFWriter2.h"
#include "tambor/FileNameText.h"

namespace NSZubrik {

namespace {

using NSTambor::CFourCharCode;
using NSTambor::CMedia;

constexpr uint32_t kFileEntrySize = 331;
constexpr uint32_t kSampleEntrySize = 64;
constexpr size_t kNameField = 32;
constexpr size_t kPathField = 261;
constexpr uint16_t kHighestKey = 127;
// Marks the second sample of a mono zone as absent.
constexpr uint32_t kNoSample = 0xFFFFFFFF;

// Big-endian numbers and fixed-size text fields collected for one chunk.
class CChunkBytes : public NSTambor::CByteBuilder {
public:
    void U16s(std::initializer_list<uint16_t> values)
    {
        for (const uint16_t value : values)
            U16BE(value);
    }
    void Code(const char (&code)[5]) { Text(std::string_view(code, 4)); }

    void WriteAs(CMedia& parent, const CFourCharCode& id) const
    {
        NSTambor::CIFFWriter2 chunk(parent);
        chunk.BeginChunk(id);
        NSTambor::WriteBytes(chunk.GetMedia(), static_cast<int32_t>(Size()), Data().data());
        chunk.End();
    }
};

CChunkBytes FileList(const SSampleCellInstrument& instrument)
{
    CChunkBytes bytes;
    bytes.U32BE(static_cast<uint32_t>(instrument.fSlices.size()));
    bytes.U32BE(kFileEntrySize);
    for (const SSampleCellInstrument::SSlice& slice : instrument.fSlices) {
        bytes.Zeros(28);
        bytes.U32BE(0);
        bytes.Field(slice.fFileName, kNameField);
        bytes.Code("WAVE");
        bytes.U16BE(1);
        bytes.Field(".\\" + slice.fFileName, kPathField);
    }
    return bytes;
}

uint32_t ChannelCount(const SSampleCellInstrument& instrument) { return instrument.fStereo ? 2 : 1; }

CChunkBytes SampleList(const SSampleCellInstrument& instrument)
{
    const uint32_t channels = ChannelCount(instrument);
    uint32_t totalFrames = 0;
    for (const SSampleCellInstrument::SSlice& slice : instrument.fSlices)
        totalFrames += slice.fFrames;
    CChunkBytes bytes;
    bytes.U32BE(static_cast<uint32_t>(instrument.fSlices.size()) * channels);
    bytes.U32BE(kSampleEntrySize);
    bytes.U32BE(channels * totalFrames * 2);
    for (size_t k = 0; k < instrument.fSlices.size(); ++k) {
        const SSampleCellInstrument::SSlice& slice = instrument.fSlices[k];
        for (uint32_t channel = 1; channel <= channels; ++channel) {
            bytes.U32BE(static_cast<uint32_t>(k));
            bytes.U32BE(0);
            bytes.U16BE(static_cast<uint16_t>(channel));
            bytes.U32BE(0);
            bytes.U32BE(slice.fFrames * 2);
            bytes.Field(slice.fSampleName, kNameField);
            bytes.U32BE(0);
            bytes.U16s({63, 0, 63, 0, 63});
        }
    }
    return bytes;
}

// Keygroup k reaches up to key 36 + k, the last one up to the top key, so
// that every key from 36 up sounds a slice.
CChunkBytes Keygroups(const SSampleCellInstrument& instrument)
{
    const auto count = static_cast<uint32_t>(instrument.fSlices.size());
    CChunkBytes bytes;
    bytes.U16s({static_cast<uint16_t>(count), 6, 14});
    for (uint32_t k = 0; k < count; ++k) {
        const uint16_t highest = k + 1 == count ? kHighestKey : static_cast<uint16_t>(CSampleCellFileFormat::kFirstKey + k);
        bytes.U16s({highest, 0, 1});
        if (instrument.fStereo) {
            bytes.U32BE(2 * k);
            bytes.U32BE(2 * k + 1);
        } else {
            bytes.U32BE(k);
            bytes.U32BE(kNoSample);
        }
        bytes.U16s({0, 99, 0, 0, CSampleCellFileFormat::kRootKey});
    }
    return bytes;
}

// A table of `count` records of `values`, after its count and record size.
CChunkBytes Table(uint16_t count, std::initializer_list<uint16_t> values)
{
    CChunkBytes bytes;
    bytes.U16s({count, static_cast<uint16_t>(values.size() * 2)});
    for (uint16_t i = 0; i < count; ++i)
        bytes.U16s(values);
    return bytes;
}

void WriteSettingChunks(CMedia& form)
{
    CChunkBytes general;
    general.U16s({0, 1, 21, 108, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 99, 0, 1, 8, 30, 0, 255});
    general.WriteAs(form, "GenP");
    Table(3, {0, 0, 99, 99, 10, 0, 0, 99}).WriteAs(form, "EnvP");
    Table(2, {50, 0, 0, 0}).WriteAs(form, "LFOP");
    Table(1, {0}).WriteAs(form, "Ramp");
    Table(2, {0, 0, 13, 25, 38, 50, 63, 75, 87, 99}).WriteAs(form, "TrkP");
    Table(20, {0, 18, 27, 0}).WriteAs(form, "ModP");
}

} // namespace

void WriteSampleCellInstrument(CMedia& media, const SSampleCellInstrument& instrument, uint32_t fileType)
{
    NSTambor::CIFFWriter2 writer(media);
    writer.BeginForm(CFourCharCode::FromValue(fileType));
    CMedia& form = writer.GetMedia();
    CChunkBytes version;
    version.Code("Monk");
    version.WriteAs(form, "FVER");
    CChunkBytes().WriteAs(form, "ANNO");
    FileList(instrument).WriteAs(form, "FILP");
    SampleList(instrument).WriteAs(form, "KeyS");
    Keygroups(instrument).WriteAs(form, "KeyP");
    WriteSettingChunks(form);
    writer.End();
}

CSampleCellFileFormat::CSampleCellFileFormat()
    : CABCExportFileFormat({44100, 48000}, {16, 24}, true, true, kFirstKey, kMaxSlices, true)
{
}

uint32_t CSampleCellFileFormat::FileType(bool stereo)
{
    return stereo ? NSDiskKitUtils::MakeFourCC("SCsi") : NSDiskKitUtils::MakeFourCC("SCin");
}

std::filesystem::path CSampleCellFileFormat::SampleFile(const std::filesystem::path& instrument, int32_t slice)
{
    return instrument.parent_path() / NSTambor::FileNameFromText(SamplerFileStem(instrument, slice + 1, kMaxFileStemLength) + u".wav");
}

void CSampleCellFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                                   ILengthyProgress& progress)
{
    exporter.SetTail(kTailFrames);
    progress.SetText(ProgressText(NSStrings::kWritingSampleCell));
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    SSampleCellInstrument instrument;
    instrument.fStereo = exporter.IsStereo();
    std::vector<SSamplerSampleFile> samples;
    for (int32_t slice = 0; slice < count; ++slice) {
        const std::filesystem::path file = SampleFile(destination, slice);
        std::string fileName = SamplerEightBitName(NSTambor::FileNameText(file.filename()));
        std::string sampleName = fileName.substr(0, kMaxSampleNameLength);
        const auto frames = static_cast<uint32_t>(exporter.GetSlicePosition(slice).fLength);
        instrument.fSlices.push_back({std::move(fileName), std::move(sampleName), frames});
        samples.push_back({file, kRootKey});
    }

    const uint32_t type = FileType(instrument.fStereo);
    NSDiskKitUtils::CSafeFileWriter writer(destination, type);
    WriteSampleCellInstrument(writer.GetMedia(), instrument, type);
    writer.Commit();

    WriteSamplerSampleFiles(exporter, samples, fBitDepth, {NSAlerts::kInstrumentSliceFailed}, progress);
}

} // namespace NSZubrik
