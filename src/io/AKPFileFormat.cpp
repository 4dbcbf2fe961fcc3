#include "io/AKPFileFormat.h"

#include <algorithm>
#include <initializer_list>

#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
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
using TBytes = std::vector<uint8_t>;

constexpr size_t kZoneNameField = 32;
constexpr int32_t kZonesPerKeygroup = 4;

void Append(TBytes& bytes, std::initializer_list<uint8_t> values) { bytes.insert(bytes.end(), values); }

// Room for a whole chunk up front, so that appending never reallocates.
TBytes Start(std::initializer_list<uint8_t> values)
{
    TBytes bytes;
    bytes.reserve(64);
    Append(bytes, values);
    return bytes;
}
void AppendZeros(TBytes& bytes, size_t count) { bytes.insert(bytes.end(), count, 0); }

// One chunk with its identifier, little-endian length and data.
void WriteChunk(CMedia& parent, const CFourCharCode& id, const TBytes& data)
{
    NSTambor::CRIFFWriter2 chunk(parent);
    chunk.BeginChunk(id);
    NSTambor::WriteBytes(chunk.GetMedia(), static_cast<int32_t>(data.size()), data.data());
    chunk.End();
}

TBytes ProgramHeader(size_t keygroupCount)
{
    const auto count = static_cast<uint16_t>(keygroupCount);
    return {0x01, 0x00, uint8_t(count & 0xFF), uint8_t(count >> 8), 0x02, 0x00};
}

TBytes Tuning()
{
    TBytes bytes = Start({0x01, 0x00, 0x00});
    AppendZeros(bytes, 12);
    Append(bytes, {0x02, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00});
    return bytes;
}

TBytes Modulations()
{
    TBytes bytes = Start({0x01, 0x00, 0x11, 0x00});
    Append(bytes, {0x02, 0x06, 0x02, 0x03, 0x01, 0x08, 0x01, 0x06, 0x01, 0x01, 0x04, 0x06,
                   0x05, 0x06, 0x03, 0x06, 0x07, 0x00, 0x08, 0x00, 0x06, 0x00, 0x00, 0x07,
                   0x00, 0x0B, 0x02, 0x05, 0x09, 0x05, 0x09, 0x08, 0x09, 0x09});
    return bytes;
}

TBytes KeyLocation(const SAKPKeygroup& keygroup)
{
    TBytes bytes = Start({0x02, 0x03, 0x01, 0x04, keygroup.fLowKey, keygroup.fHighKey});
    Append(bytes, {0x00, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00});
    return bytes;
}

TBytes Envelope(std::initializer_list<uint8_t> head)
{
    TBytes bytes = Start(head);
    AppendZeros(bytes, 10);
    return bytes;
}

// A zone playing the named sample; an empty name leaves the zone unused.
TBytes Zone(const std::string& sampleName)
{
    const size_t length = std::min(sampleName.size(), kZoneNameField - 1);
    TBytes bytes = Start({0x02, static_cast<uint8_t>(length)});
    bytes.insert(bytes.end(), sampleName.begin(), sampleName.begin() + static_cast<std::ptrdiff_t>(length));
    AppendZeros(bytes, kZoneNameField - length);
    Append(bytes, {0x00, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x01, 0x00, 0x00});
    return bytes;
}

void WriteKeygroup(CMedia& program, const SAKPKeygroup& keygroup)
{
    NSTambor::CRIFFWriter2 group(program);
    group.BeginChunk("kgrp");
    CMedia& body = group.GetMedia();
    WriteChunk(body, "kloc", KeyLocation(keygroup));
    WriteChunk(body, "env ", Envelope({0x01, keygroup.fFirstEnvelopeByte, 0x00, 0x32, 0x0F, 0x00, 0x00, 0x64}));
    WriteChunk(body, "env ", Envelope({0x01, 0x00, 0x00, 0x32, 0x0F, 0x00, 0x00, 0x64}));
    WriteChunk(body, "env ", Envelope({0x01, 0x00, 0x32, 0x32, 0x0F, 0x64, 0x64, 0x64}));
    WriteChunk(body, "filt", {0x02, 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05});
    WriteChunk(body, "zone", Zone(keygroup.fSampleName));
    for (int32_t zone = 1; zone < kZonesPerKeygroup; ++zone)
        WriteChunk(body, "zone", Zone({}));
    group.End();
}

} // namespace

void WriteAKPProgram(CMedia& media, const std::vector<SAKPKeygroup>& keygroups)
{
    NSTambor::CRIFFWriter2 riff(media);
    riff.BeginRiff("APRG");
    CMedia& program = riff.GetMedia();
    WriteChunk(program, "prg ", ProgramHeader(keygroups.size()));
    WriteChunk(program, "out ", {0x01, 0x55, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19});
    WriteChunk(program, "tune", Tuning());
    WriteChunk(program, "lfo ", {0x02, 0x01, 0x2B, 0x00, 0x00, 0x00, 0x01, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    WriteChunk(program, "lfo ", {0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05});
    WriteChunk(program, "mods", Modulations());
    for (const SAKPKeygroup& keygroup : keygroups)
        WriteKeygroup(program, keygroup);
    riff.End();
}

CAKPFileFormat::CAKPFileFormat()
    : CABCExportFileFormat({11025, 22050, 32000, 44100, 48000}, {16}, true, true, kFirstKey, kMaxSlices, true)
{
}

std::filesystem::path CAKPFileFormat::SampleFile(const std::filesystem::path& program, int32_t slice)
{
    return program.parent_path() / NSTambor::FileNameFromText(SamplerFileStem(program, slice + 1, kMaxSampleNameLength) + u".wav");
}

void CAKPFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                            ILengthyProgress& progress)
{
    progress.SetText(ProgressText(NSStrings::kWritingAkaiProgram));
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    std::vector<SAKPKeygroup> keygroups;
    std::vector<SSamplerSampleFile> samples;
    for (int32_t slice = 0; slice < count; ++slice) {
        progress.SetPercent(slice * 100 / count);
        if (progress.StopRequested())
            throw XUserAbortedExport();
        const auto key = static_cast<uint8_t>(kFirstKey + slice);
        const std::filesystem::path sample = SampleFile(destination, slice);
        SAKPKeygroup keygroup;
        keygroup.fLowKey = key;
        keygroup.fHighKey = key;
        keygroup.fFirstEnvelopeByte = 0;
        keygroup.fSampleName = SamplerEightBitName(NSTambor::FileNameText(sample.stem()));
        keygroups.push_back(std::move(keygroup));
        samples.push_back({sample, key});
    }
    progress.SetPercent(100);

    NSDiskKitUtils::CSafeFileWriter writer(destination, NSDiskKitUtils::MakeFourCC("S56P"));
    WriteAKPProgram(writer.GetMedia(), keygroups);
    writer.Commit();

    WriteSamplerSampleFiles(exporter, samples, fBitDepth, {NSAlerts::kProgramSliceFailed}, progress);
}

} // namespace NSZubrik
