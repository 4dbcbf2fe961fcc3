#include "io/PureSoundFileFormat.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"
#include "tambor/FileNameText.h"

namespace NSZubrik {

namespace {

const std::vector<int32_t> kPureRates = {11025, 22050, 32000, 44100, 48000, 88200, 96000};
const std::vector<int32_t> kPureDepths = {16, 24};

std::string Utf8Name(const std::filesystem::path& file)
{
    return NSTambor::DisplayText(file.filename());
}

std::u16string PieceNumber(int32_t piece)
{
    const int32_t number = std::clamp(piece + 1, 1, CABCPureSoundFileFormat::kMaximumPieceNumber);
    std::string digits = std::to_string(number);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

CABCPureSoundFileFormat::CABCPureSoundFileFormat(std::string extension, EPlainSoundFile type)
    : CABCExportFileFormat(kPureRates, kPureDepths, true, false, 36, 0, true),
      fExtension(std::move(extension)),
      fType(type)
{
}

std::filesystem::path CABCPureSoundFileFormat::MakePieceDestination(const std::filesystem::path& destination,
                                                                    int32_t piece, std::string_view extension)
{
    const std::u16string number = PieceNumber(piece);
    std::u16string name = NSTambor::FileNameText(destination.stem());
    // The name gives way so that name, space and number fit the limit.
    const size_t room = kMaximumStemLength - number.size() - 1;
    if (name.size() > room)
        name.resize(room);
    std::u16string fileName = name + u' ' + number;
    fileName.append(extension.begin(), extension.end());
    return destination.parent_path() / NSTambor::FileNameFromText(fileName);
}

void CABCPureSoundFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                                     ILengthyProgress& progress)
{
    const int32_t count = exporter.GetSliceCount();
    bool replaceAll = false;
    for (int32_t piece = 0; piece < count; ++piece) {
        progress.SetCount(count - piece);
        const std::filesystem::path file = MakePieceDestination(destination, piece, fExtension);
        if (!replaceAll && NSDiskKitUtils::FileExists(file))
            ConfirmReplace(file, replaceAll);
        ExportPieceReportingFailure(exporter, piece, file, progress);
    }
}

void CABCPureSoundFileFormat::ConfirmReplace(const std::filesystem::path& file, bool& replaceAll) const
{
    // Buttons: Replace, Replace All, Cancel (counted from the end).
    const int32_t answer = ShowAlert(kAlertTable, NSAlerts::kReplaceSliceFile, Utf8Name(file));
    if (answer == kLastButton)
        throw XUserAbortedExport();
    if (answer == kSecondLastButton)
        replaceAll = true;
}

void CABCPureSoundFileFormat::ExportPieceReportingFailure(CExporter& exporter, int32_t piece,
                                                          const std::filesystem::path& file,
                                                          ILengthyProgress& progress)
{
    int32_t alert = NSAlerts::kPieceFailed;
    try {
        ExportSlice(exporter, piece, file, progress);
        return;
    } catch (const XUserAbortedExport&) {
        throw;
    } catch (const XAlertAlreadyShown&) {
        throw;
    } catch (const std::bad_alloc&) {
        ShowAlert(kAlertTable, NSAlerts::kOutOfMemoryTryAgain);
        throw XAlertAlreadyShown();
    } catch (const XDiskFull&) {
        alert = NSAlerts::kPieceDiskFull;
    } catch (const XItemBusy&) {
        alert = NSAlerts::kPieceBusy;
    } catch (const XCreateFailed&) {
        alert = NSAlerts::kPieceCreateFailed;
    } catch (const std::exception&) {
        alert = NSAlerts::kPieceFailed;
    } catch (...) {
        ShowAlert(kAlertTable, NSAlerts::kInternalError);
        throw XAlertAlreadyShown();
    }
    // The pieces written so far stay; the export ends here.
    ShowAlert(kAlertTable, alert, Utf8Name(file));
    throw XAlertAlreadyShown();
}

void CABCPureSoundFileFormat::ExportSlice(CExporter& exporter, int32_t slice,
                                          const std::filesystem::path& destination, ILengthyProgress& progress)
{
    const std::unique_ptr<CABCWaveSample> wave = exporter.RenderPiece(slice);
    SPieceWriteOptions options;
    options.fRootKey = fRootKey;
    options.fBitDepth = fBitDepth;
    // One sample loops over the loop proper; its ring-out stays outside.
    if (exporter.IsOneSample())
        options.fLoopEnd = std::max(exporter.GetLoopLengthAtExportRate(), 1);
    WriteWave(*wave, options, destination, progress);
}

void CABCPureSoundFileFormat::WriteWave(const CABCWaveSample& wave, const SPieceWriteOptions& options,
                                        const std::filesystem::path& destination, ILengthyProgress& progress) const
{
    WriteSoundFile(wave, options, fType, destination, progress);
}

CWAVFileFormat::CWAVFileFormat() : CABCPureSoundFileFormat(".wav", EPlainSoundFile::kWave) {}

void CMarkedWAVFileFormat::Export(CExporter& exporter, const std::filesystem::path& destination,
                                  ILengthyProgress& progress)
{
    exporter.SetExportSlices(false);
    progress.SetCount(1);
    ExportSlice(exporter, 0, destination, progress);
}

void CMarkedWAVFileFormat::ExportSlice(CExporter& exporter, int32_t, const std::filesystem::path& destination,
                                       ILengthyProgress& progress)
{
    const std::unique_ptr<CABCWaveSample> wave = exporter.RenderPiece(0);
    SPieceWriteOptions options;
    options.fRootKey = GetRootKey();
    options.fBitDepth = fBitDepth;
    options.fLoopEnd = std::max(exporter.GetLoopLengthAtExportRate(), 1);
    const std::vector<int32_t> starts = exporter.GetSliceStartsInLoop();
    for (size_t slice = 0; slice < starts.size(); ++slice)
        if (starts[slice] < wave->GetFrameCount())
            options.fMarkers.push_back({static_cast<uint32_t>(starts[slice]),
                                        MarkerLabel(static_cast<int32_t>(slice))});
    WriteWave(*wave, options, destination, progress);
}

std::string CMarkedWAVFileFormat::MarkerLabel(int32_t slice)
{
    const std::u16string number = PieceNumber(slice);
    return "Slice " + std::string(number.begin(), number.end());
}

CAIFFFileFormat::CAIFFFileFormat() : CABCPureSoundFileFormat(".aif", EPlainSoundFile::kAiff) {}

} // namespace NSZubrik
