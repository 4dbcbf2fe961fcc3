#include "io/SamplerExport.h"

#include <algorithm>
#include <exception>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "document/Exporter.h"
#include "document/LengthyOperation.h"
#include "io/PureSoundFileFormat.h"
#include "platform/DiskKitUtils.h"
#include "tambor/FileNameText.h"

namespace NSZubrik {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string NumberText(int32_t number)
{
    const std::string digits = std::to_string(std::clamp(number, 0, kSamplerMaximumFileNumber));
    std::u16string text(digits.size() < 3 ? 3 - digits.size() : 0, u'0');
    text.append(digits.begin(), digits.end());
    return text;
}

// The alert of a failed sample file: unknown, disk full, busy, create failed.
int32_t FailureAlert(SSamplerFailureAlerts alerts, std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const XDiskFull&) {
        return alerts.fFirst + 1;
    } catch (const XItemBusy&) {
        return alerts.fFirst + 2;
    } catch (const XCreateFailed&) {
        return alerts.fFirst + 3;
    } catch (...) {
        return alerts.fFirst;
    }
}

// The sample files are the same WAVE pieces a plain sound export writes,
// with the instrument's root key.
void WriteOneSampleFile(CExporter& exporter, int32_t piece, const SSamplerSampleFile& file, int32_t bitDepth,
                        ILengthyProgress& progress)
{
    CWAVFileFormat wave;
    wave.SetRememberedSettings(exporter.GetSampleRate(), bitDepth, false);
    wave.SetRootKey(file.fRootKey);
    wave.ExportSlice(exporter, piece, file.fFile, progress);
}

} // namespace

std::u16string SamplerFileStem(const std::filesystem::path& instrument, int32_t number, size_t maxLength)
{
    const std::u16string suffix = u" " + NumberText(number);
    std::u16string name = NSTambor::FileNameText(instrument.stem());
    const size_t room = maxLength > suffix.size() ? maxLength - suffix.size() : 0;
    if (name.size() > room) {
        name.resize(room);
        // Never keep half of a character that needs two code units.
        if (!name.empty() && IsHighSurrogate(name.back()))
            name.pop_back();
    }
    return name + suffix;
}

std::string SamplerEightBitName(const std::u16string& text)
{
    std::string name;
    name.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        // A pair of surrogates is one character and gives one '_'.
        if (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1]))
            continue;
        name.push_back(c > 127 ? '_' : static_cast<char>(c));
    }
    return name;
}

void CReplaceQuestion::Confirm(const std::filesystem::path& file)
{
    if (fReplaceAll || !NSDiskKitUtils::FileExists(file))
        return;
    const int32_t answer = ShowAlert(kAlertTable, NSAlerts::kReplaceSliceFile, file.filename().string());
    if (answer == kLastButton)
        throw XUserAbortedExport();
    if (answer == kSecondLastButton)
        fReplaceAll = true;
}

void WriteSamplerSampleFiles(CExporter& exporter, const std::vector<SSamplerSampleFile>& files, int32_t bitDepth,
                             SSamplerFailureAlerts alerts, ILengthyProgress& progress)
{
    progress.SetText(ProgressText(NSStrings::kSlicesLeft));
    CReplaceQuestion question;
    const auto count = static_cast<int32_t>(files.size());
    for (int32_t piece = 0; piece < count; ++piece) {
        const SSamplerSampleFile& file = files[size_t(piece)];
        progress.SetCount(count - piece);
        if (progress.StopRequested())
            throw XUserAbortedExport();
        question.Confirm(file.fFile);
        try {
            WriteOneSampleFile(exporter, piece, file, bitDepth, progress);
        } catch (const XUserAbortedExport&) {
            throw;
        } catch (...) {
            // The instrument still loads without this sample: say which one
            // is missing and go on with the next.
            ShowAlert(kAlertTable, FailureAlert(alerts, std::current_exception()), file.fFile.filename().string());
        }
    }
}

} // namespace NSZubrik
