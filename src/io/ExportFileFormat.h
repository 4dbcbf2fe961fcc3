// The export file formats: one class per target, each knowing the sample
// rates, bit depths, stereo support and key range it allows. The export
// command creates one from the chosen file type, lets it ask its settings and
// hands it the exporter to write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace NSZubrik {

class CExporter;
class ILengthyProgress;

// The settings the export settings dialog shows and returns.
struct CExportSettingsDialogData {
    std::vector<int32_t> fSampleRates;
    std::vector<int32_t> fBitDepths;
    int32_t fSampleRate = 44100;
    int32_t fBitDepth = 16;
    bool fExportMidiFile = false;
    bool fOffersMidiFile = true;
};

// Asks the user for the export settings; false when cancelled. The GUI shows
// a dialog, the command line answers from its flags.
class IExportSettingsDialog {
public:
    virtual ~IExportSettingsDialog() = default;
    virtual bool Run(CExportSettingsDialogData& data) = 0;
};

class CABCExportFileFormat {
public:
    virtual ~CABCExportFileFormat() = default;

    // Offers the remembered choices (a value the format does not allow falls
    // back to the list's first entry) and keeps what the user picks.
    virtual bool EditSettings(IExportSettingsDialog& dialog);
    // Lets a format look at the loop before its settings are asked, so that
    // a loop it cannot take is refused before any dialog or progress shows.
    virtual void PrepareForLoop(const CExporter&) {}
    virtual void Export(CExporter& exporter, const std::filesystem::path& destination,
                        ILengthyProgress& progress) = 0;

    bool HasKeyRange() const { return fHasKeyRange; }
    uint8_t GetFirstKey() const { return fFirstKey; }
    int32_t GetMaxSlices() const { return fMaxSlices; }
    bool SupportsStereo() const { return fSupportsStereo; }
    bool OffersMidiFile() const { return fOffersMidiFile; }
    bool GetExportMidiFile() const { return fExportMidiFile; }
    const std::vector<int32_t>& GetSampleRates() const { return fSampleRates; }
    const std::vector<int32_t>& GetBitDepths() const { return fBitDepths; }
    int32_t GetSampleRate() const { return fSampleRate; }
    int32_t GetBitDepth() const { return fBitDepth; }

    // The choices remembered from the last export, before EditSettings.
    void SetRememberedSettings(int32_t sampleRate, int32_t bitDepth, bool exportMidiFile);

protected:
    CABCExportFileFormat(std::vector<int32_t> rates, std::vector<int32_t> depths, bool stereo,
                         bool hasKeyRange, uint8_t firstKey, int32_t maxSlices, bool offersMidi);

    bool fHasKeyRange;
    uint8_t fFirstKey;
    int32_t fMaxSlices;
    bool fSupportsStereo;
    bool fOffersMidiFile;
    bool fExportMidiFile = false;
    std::vector<int32_t> fSampleRates;
    std::vector<int32_t> fBitDepths;
    int32_t fSampleRate;
    int32_t fBitDepth;
};

// Creates the format for a file type's extension list (".wav;.wave",
// ".akp", ...). Any other list is a logic error (XInvariantCorrupt).
std::unique_ptr<CABCExportFileFormat> CreateExportFileFormat(std::string_view extensionList);

} // namespace NSZubrik
