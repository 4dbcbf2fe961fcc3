#include "io/SoundFontFileFormat.h"

#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/SamplerExport.h"
#include "io/SoundFontFileWriter.h"
#include "platform/DiskKitUtils.h"
#include "tambor/FileNameText.h"

#include <algorithm>
#include <cstdio>

namespace NSZubrik {

namespace {

using NSTambor::CSoundFontFileWriter;
using NSTambor::CSoundFontSampleParamList;
using NSTambor::CSoundFontSampleParams;

constexpr int32_t kBlockFrames = 1024;
constexpr const char* kComment = "Created by Zubrik!";

// Writes one channel of a rendered piece as a sample, in blocks, reporting
// the share of the piece done so far; a stop request ends the export.
void WriteChannel(CSoundFontFileWriter& writer, const CABCWaveSample& wave, int32_t channel, int64_t doneBefore,
                  int64_t total, ILengthyProgress& progress)
{
    int16_t points[kBlockFrames];
    const int32_t frames = wave.GetFrameCount();
    for (int32_t done = 0; done < frames;) {
        progress.SetPercent(static_cast<int32_t>((doneBefore + done) * 100 / std::max<int64_t>(total, 1)));
        if (progress.StopRequested())
            throw XUserAbortedExport();
        const int32_t n = std::min(kBlockFrames, frames - done);
        wave.GetInt16s(done, n, points, channel);
        writer.WriteSamplePoints(points, n);
        done += n;
    }
    writer.EndSample();
}

// The record of one channel of slice k, whose points start at `start`: a
// stereo slice gives a left sample and then a right one.
CSoundFontSampleParams SampleParams(const std::string& bankName, int32_t k, const CABCWaveSample& piece,
                                    int32_t channel, uint32_t start)
{
    const bool stereo = piece.IsStereo();
    CSoundFontSampleParams params;
    params.fName = CSoundFontFileFormat::SampleName(bankName, k, stereo ? (channel == 1 ? 'L' : 'R') : 0);
    params.fStart = start;
    params.fEnd = start + static_cast<uint32_t>(piece.GetFrameCount());
    params.fSampleRate = static_cast<uint32_t>(piece.GetSampleRate());
    params.fOriginalKey = params.fKey = static_cast<uint8_t>(CSoundFontFileFormat::kFirstKey + k);
    params.fSampleType = !stereo ? CSoundFontSampleParams::kMono
                         : channel == 1 ? CSoundFontSampleParams::kLeft
                                        : CSoundFontSampleParams::kRight;
    return params;
}

} // namespace

CSoundFontFileFormat::CSoundFontFileFormat()
    : CABCExportFileFormat({11025, 22050, 32000, 44100, 48000, 88200, 96000}, {16}, true, true, kFirstKey,
                           kMaxSlices, true)
{
}

std::string CSoundFontFileFormat::BankName(const std::filesystem::path& destination)
{
    return SamplerEightBitName(NSTambor::FileNameText(destination.filename()));
}

std::string CSoundFontFileFormat::SampleName(const std::string& bankName, int32_t slice, char side)
{
    char number[16];
    std::snprintf(number, sizeof(number), " %03d", static_cast<int>(slice + 1));
    std::string name = bankName + number;
    if (side != 0)
        name += std::string(" ") + side;
    return name;
}

void CSoundFontFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                                  ILengthyProgress& progress)
{
    // Written through a temporary file: a stopped or failed export leaves an
    // earlier bank of the same name as it was.
    NSDiskKitUtils::CSafeFileWriter file(destination, NSDiskKitUtils::MakeFourCC("SFnt"));
    const std::string bankName = BankName(destination);
    CSoundFontFileWriter writer(file.GetMedia());
    writer.WriteInfo(bankName, kComment);
    writer.BeginSampleData();

    CSoundFontSampleParamList samples;
    const int32_t count = std::min(exporter.GetSliceCount(), kMaxSlices);
    for (int32_t k = 0; k < count; ++k) {
        progress.SetCount(count - k);
        const std::unique_ptr<CABCWaveSample> piece = exporter.RenderPiece(k);
        const int32_t channels = piece->IsStereo() ? 2 : 1;
        const int64_t total = int64_t(piece->GetFrameCount()) * channels;
        for (int32_t channel = 1; channel <= channels; ++channel) {
            const CSoundFontSampleParams params =
                SampleParams(bankName, k, *piece, channel, writer.GetSamplePointCount());
            WriteChannel(writer, *piece, channel, int64_t(piece->GetFrameCount()) * (channel - 1), total, progress);
            samples.Add(params);
        }
    }
    progress.SetPercent(100);
    writer.EndSampleData();
    writer.WritePresetData(bankName, samples);
    file.Commit();
}

} // namespace NSZubrik
