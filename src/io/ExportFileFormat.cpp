#include "io/ExportFileFormat.h"

#include <algorithm>

#include "app/ZubrikErrors.h"

namespace NSZubrik {

namespace {

// The value when the list allows it, else the list's first entry.
int32_t AllowedOrFirst(const std::vector<int32_t>& allowed, int32_t value)
{
    if (std::find(allowed.begin(), allowed.end(), value) != allowed.end())
        return value;
    return allowed.front();
}

} // namespace

CABCExportFileFormat::CABCExportFileFormat(std::vector<int32_t> rates, std::vector<int32_t> depths, bool stereo,
                                           bool hasKeyRange, uint8_t firstKey, int32_t maxSlices, bool offersMidi)
    : fHasKeyRange(hasKeyRange),
      fFirstKey(firstKey),
      fMaxSlices(hasKeyRange ? maxSlices : 0),
      fSupportsStereo(stereo),
      fOffersMidiFile(offersMidi),
      fSampleRates(std::move(rates)),
      fBitDepths(std::move(depths))
{
    if (fSampleRates.empty() || fBitDepths.empty())
        throw XInvariantCorrupt();
    fSampleRate = fSampleRates.front();
    fBitDepth = fBitDepths.front();
}

void CABCExportFileFormat::SetRememberedSettings(int32_t sampleRate, int32_t bitDepth, bool exportMidiFile)
{
    fSampleRate = AllowedOrFirst(fSampleRates, sampleRate);
    fBitDepth = AllowedOrFirst(fBitDepths, bitDepth);
    fExportMidiFile = fOffersMidiFile && exportMidiFile;
}

bool CABCExportFileFormat::EditSettings(IExportSettingsDialog& dialog)
{
    CExportSettingsDialogData data;
    data.fSampleRates = fSampleRates;
    data.fBitDepths = fBitDepths;
    data.fSampleRate = AllowedOrFirst(fSampleRates, fSampleRate);
    data.fBitDepth = AllowedOrFirst(fBitDepths, fBitDepth);
    data.fOffersMidiFile = fOffersMidiFile;
    data.fExportMidiFile = fOffersMidiFile && fExportMidiFile;
    if (!dialog.Run(data))
        return false;
    // A dialog may only pick from the lists; anything else is taken as the
    // list's first entry rather than trusted.
    fSampleRate = AllowedOrFirst(fSampleRates, data.fSampleRate);
    fBitDepth = AllowedOrFirst(fBitDepths, data.fBitDepth);
    fExportMidiFile = fOffersMidiFile && data.fExportMidiFile;
    return true;
}

} // namespace NSZubrik
