// The Export command: asks for the loop length when it is missing, refuses a
// loop without sounding slices, asks for the destination and its file type,
// builds the exporter and the format, warns about too many slices and about
// stereo going to mono, asks the export settings and writes the files under
// a lengthy operation, with the MIDI file beside them when asked. Failures
// end in one alert titled with the destination's name.
//
// The dialogs and the preferences are reached through the interfaces below,
// so that the GUI, the command line and the tests each supply their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/LengthyOperation.h"

namespace NSZubrik {

class CABCExportFileFormat;
class CExporter;
class CZubrikDocument;
class IExportSettingsDialog;

// One entry of the save dialog's file types.
struct SExportFileType {
    std::u16string fName;
    // ".wav;.wave", ".mid;.midi", ...
    std::string fExtensionList;
};

// The file types the export offers, in the order the save dialog lists them.
const std::vector<SExportFileType>& GetExportFileTypes();

// The first extension of a list: ".wav" for ".wav;.wave".
std::string FirstExtension(const std::string& extensionList);

// The file and file type the user chose in the save dialog.
struct SExportFileChoice {
    std::filesystem::path fFile;
    std::string fExtensionList;
};

// The save dialog titled "Export Sound". lastType is the extension list of
// the type chosen last; nothing is answered when the user cancels.
class IExportFileDialog {
public:
    virtual ~IExportFileDialog() = default;
    virtual std::optional<SExportFileChoice> AskForFile(const std::u16string& suggestedName,
                                                        const std::vector<SExportFileType>& types,
                                                        const std::string& lastType) = 0;
};

// The export's remembered settings and its notice counter.
class IExportPreferences {
public:
    virtual ~IExportPreferences() = default;
    virtual std::string GetExportFileType() const = 0;
    virtual void SetExportFileType(const std::string& extensionList) = 0;
    virtual int32_t GetExportSampleRate() const = 0;
    virtual void SetExportSampleRate(int32_t rate) = 0;
    virtual int32_t GetExportBitDepth() const = 0;
    virtual void SetExportBitDepth(int32_t depth) = 0;
    virtual bool GetExportMidiFile() const = 0;
    virtual void SetExportMidiFile(bool exportMidiFile) = 0;
    // How many more times the stereo notice may show.
    virtual int32_t GetStereoExportNoticeCounter() const = 0;
    virtual void SetStereoExportNoticeCounter(int32_t count) = 0;
    // "Export as One Sample will Crop to Loop".
    virtual bool GetNoRingOut() const = 0;
};

// Export preferences held in memory with the values of a first run.
class CExportPreferencesInMemory : public IExportPreferences {
public:
    std::string GetExportFileType() const override { return fFileType; }
    void SetExportFileType(const std::string& extensionList) override { fFileType = extensionList; }
    int32_t GetExportSampleRate() const override { return fSampleRate; }
    void SetExportSampleRate(int32_t rate) override { fSampleRate = rate; }
    int32_t GetExportBitDepth() const override { return fBitDepth; }
    void SetExportBitDepth(int32_t depth) override { fBitDepth = depth; }
    bool GetExportMidiFile() const override { return fMidiFile; }
    void SetExportMidiFile(bool exportMidiFile) override { fMidiFile = exportMidiFile; }
    int32_t GetStereoExportNoticeCounter() const override { return fStereoNoticeCounter; }
    void SetStereoExportNoticeCounter(int32_t count) override { fStereoNoticeCounter = count; }
    bool GetNoRingOut() const override { return fNoRingOut; }

    std::string fFileType = ".mid;.midi";
    int32_t fSampleRate = 44100;
    int32_t fBitDepth = 16;
    bool fMidiFile = false;
    int32_t fStereoNoticeCounter = 5;
    bool fNoRingOut = false;
};

// What the export reaches outside the document. Null members stand for: a
// save dialog that is always cancelled, a settings dialog that accepts what
// it offers, preferences held for this call only.
struct CExportServices {
    IExportFileDialog* fileDialog = nullptr;
    IExportSettingsDialog* settingsDialog = nullptr;
    IExportPreferences* preferences = nullptr;
    CLengthyOperationServices lengthy = GetDefaultLengthyOperationServices();
    // Overrides the preference "Export as One Sample will Crop to Loop".
    std::optional<bool> noRingOut;
    // Replaces the format factory (tests); empty means CreateExportFileFormat.
    std::function<std::unique_ptr<CABCExportFileFormat>(std::string_view)> formatFactory;
    // Replace the MIDI writers (tests); empty means the program's own.
    std::function<void(const CExporter&, const std::filesystem::path&)> midiExport;
    std::function<void(const CExporter&, const CABCExportFileFormat&, const std::filesystem::path&)>
        midiExportBeside;
};

// kNothingToExport: alert 2202 was shown (no sounding slice in the loop).
enum class EExportResult { kExported, kCancelled, kNothingToExport, kFailed };

// A slice that sounds (shown and not muted) at or after the left locator and
// before the right one; without one the export has nothing to write.
bool HasSoundingSliceInLoop(const CZubrikDocument& document);

// Runs the Export command on the document. Never throws: failures are shown
// as alerts and answered as kFailed; every way the user stops the export
// answers kCancelled.
EExportResult ExportDocument(CZubrikDocument& document, const CExportServices& services);

// The same without the dialogs: the file and its type are given (the
// command line). The loop-length question, the warnings, the settings
// dialog and the alerts still go through the services.
EExportResult ExportDocumentTo(CZubrikDocument& document, const SExportFileChoice& choice,
                               const CExportServices& services);

} // namespace NSZubrik
