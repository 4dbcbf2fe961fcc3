// The program's settings that survive from one run to the next: the view
// options, the export and conversion choices, the notice counters, the
// colours, the audio device's saved settings and the recently used
// documents. They live in "Zubrik Preferences File.prf", an IFF form "PREF"
// in the per-user settings folder, read once at start and written at quit.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Zubrik.h"
#include "io/ExportCommand.h"

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

using TColor = std::array<uint8_t, 3>;

// The notices that are shown only a limited number of times.
enum class ENotice : int32_t {
    kOldLoopFile = 0,
    kOldDocumentNormalize = 1,
    kEffectsNeedPreview = 2,
    kStereoExport = 3
};

// Every setting, with the value it has before any file is read.
struct SPreferenceValues {
    static constexpr int32_t kNoticeCount = 4;
    static constexpr int32_t kStandardNoticeCounter = 5;
    static constexpr size_t kMaximumExportTypeLength = 10;

    int32_t fDisplayStyle = 2;  // 0 "Plain", 1 "3D", 2 "Shaded"
    int32_t fPositionUnit = 0;  // 0 "Time", 1 "Samples"
    TColor fWaveformColor = {0x8D, 0xA5, 0xFE};
    int32_t fContrast = 49;  // 0 ... 100

    // The option flags, in the order the file stores them.
    bool fViewStereoAsSum = false;
    bool fScrollDuringPlayback = true;
    bool fAutoPlay = true;
    bool fSetBarsToOne = false;
    bool fLayoutOption = true;
    bool fAlwaysMoveLeftLocator = false;
    bool fNoRingOut = false;
    bool fLargeToolbarIcons = false;

    std::array<int32_t, kNoticeCount> fNoticeCounters = {5, 5, 5, 5};

    std::string fExportFileType = ".mid;.midi";
    int32_t fExportSampleRate = 44100;
    int32_t fExportBitDepth = 16;
    bool fExportMidiFile = false;
    int32_t fConversionMode = 2;  // 0 left, 1 right, 2 mix
    int32_t fConversionSampleRate = 44100;
    int32_t fConversionBitDepth = 16;

    // The audio device's settings as its library saves them; empty when
    // there are none.
    std::vector<uint8_t> fAudioSettings;
    std::vector<TColor> fColorTable = StandardColorTable();

    static std::vector<TColor> StandardColorTable();
    bool operator==(const SPreferenceValues&) const = default;
};

// A recently used document as the file stores it.
using SRecentEntry = CRecentlyUsedDocuments::SEntry;

// The file's contents: reading validates everything and throws XBadFormat
// (XPreferencesFileBadFormat for another version) without touching values
// unless the whole file is good.
void ReadPreferencesFile(NSTambor::CMedia& media, SPreferenceValues& values, std::vector<SRecentEntry>& recent);
void WritePreferencesFile(NSTambor::CMedia& media, const SPreferenceValues& values,
                          const std::vector<SRecentEntry>& recent);

// Told whenever a setting changes.
class IPreferencesListener {
public:
    virtual ~IPreferencesListener() = default;
    virtual void PreferencesChanged() = 0;
};

class CZubrikPreferences final : public IApplicationPreferences, public IExportPreferences {
public:
    CZubrikPreferences() = default;

    // Reads the file; on any failure shows the matching alert (none for a
    // missing file), keeps the standard settings and answers false.
    bool Read(CRecentlyUsedDocuments& recent) override;
    // Writes the file through a temporary file; failures show an alert.
    void Write(const CRecentlyUsedDocuments& recent) override;

    // The file in the per-user settings folder, unless another was set.
    std::filesystem::path GetFileLocation() const;
    void SetFileLocation(const std::filesystem::path& file) { fFileLocation = file; }

    void AddListener(IPreferencesListener* listener);
    void RemoveListener(IPreferencesListener* listener);

    const SPreferenceValues& GetValues() const { return fValues; }
    // Takes every value, notifying once when any changed.
    void SetValues(const SPreferenceValues& values);

    int32_t GetDisplayStyle() const { return fValues.fDisplayStyle; }
    void SetDisplayStyle(int32_t style) { Set(fValues.fDisplayStyle, style); }
    int32_t GetPositionUnit() const { return fValues.fPositionUnit; }
    void SetPositionUnit(int32_t unit) { Set(fValues.fPositionUnit, unit); }
    TColor GetWaveformColor() const { return fValues.fWaveformColor; }
    void SetWaveformColor(TColor color) { Set(fValues.fWaveformColor, color); }
    int32_t GetContrast() const { return fValues.fContrast; }
    void SetContrast(int32_t contrast) { Set(fValues.fContrast, contrast); }

    bool GetViewStereoAsSum() const { return fValues.fViewStereoAsSum; }
    void SetViewStereoAsSum(bool on) { Set(fValues.fViewStereoAsSum, on); }
    bool GetScrollDuringPlayback() const { return fValues.fScrollDuringPlayback; }
    void SetScrollDuringPlayback(bool on) { Set(fValues.fScrollDuringPlayback, on); }
    bool GetAutoPlay() const { return fValues.fAutoPlay; }
    void SetAutoPlay(bool on) { Set(fValues.fAutoPlay, on); }
    void SetSetBarsToOne(bool on) { Set(fValues.fSetBarsToOne, on); }
    bool GetLayoutOption() const { return fValues.fLayoutOption; }
    void SetLayoutOption(bool on) { Set(fValues.fLayoutOption, on); }
    void SetAlwaysMoveLeftLocator(bool on) { Set(fValues.fAlwaysMoveLeftLocator, on); }
    void SetNoRingOut(bool on) { Set(fValues.fNoRingOut, on); }
    bool GetLargeToolbarIcons() const { return fValues.fLargeToolbarIcons; }
    void SetLargeToolbarIcons(bool on) { Set(fValues.fLargeToolbarIcons, on); }

    int32_t GetNoticeCounter(ENotice notice) const;
    void SetNoticeCounter(ENotice notice, int32_t count);
    // True while the notice may still show; lowers its counter when it does.
    bool TakeNotice(ENotice notice);

    int32_t GetConversionMode() const { return fValues.fConversionMode; }
    void SetConversionMode(int32_t mode) { Set(fValues.fConversionMode, mode); }
    int32_t GetConversionSampleRate() const { return fValues.fConversionSampleRate; }
    void SetConversionSampleRate(int32_t rate) { Set(fValues.fConversionSampleRate, rate); }
    int32_t GetConversionBitDepth() const { return fValues.fConversionBitDepth; }
    void SetConversionBitDepth(int32_t depth) { Set(fValues.fConversionBitDepth, depth); }

    const std::vector<uint8_t>& GetAudioSettings() const override { return fValues.fAudioSettings; }
    void SetAudioSettings(std::vector<uint8_t> settings) override { Set(fValues.fAudioSettings, std::move(settings)); }
    const std::vector<TColor>& GetColorTable() const { return fValues.fColorTable; }
    void SetColorTable(std::vector<TColor> table) { Set(fValues.fColorTable, std::move(table)); }
    // The device rate the preview renders at (kept by the audio output).
    void SetOutputSampleRate(int32_t rate) override { fOutputSampleRate = rate; }

    // The document's view.
    bool SetsBarsToOneInNewDocuments() const override { return fValues.fSetBarsToOne; }
    bool AlwaysMovesLeftLocator() const override { return fValues.fAlwaysMoveLeftLocator; }
    bool HasNoRingOut() const override { return fValues.fNoRingOut; }
    int32_t GetEffectsNoteCounter() const override { return GetNoticeCounter(ENotice::kEffectsNeedPreview); }
    void SetEffectsNoteCounter(int32_t count) override { SetNoticeCounter(ENotice::kEffectsNeedPreview, count); }
    int32_t GetOutputSampleRate() const override { return fOutputSampleRate; }
    int32_t GetOldLoopNoteCounter() const override { return GetNoticeCounter(ENotice::kOldLoopFile); }
    void SetOldLoopNoteCounter(int32_t count) override { SetNoticeCounter(ENotice::kOldLoopFile, count); }
    int32_t GetNormalizeNoteCounter() const override { return GetNoticeCounter(ENotice::kOldDocumentNormalize); }
    void SetNormalizeNoteCounter(int32_t count) override { SetNoticeCounter(ENotice::kOldDocumentNormalize, count); }

    // The export's view.
    std::string GetExportFileType() const override { return fValues.fExportFileType; }
    void SetExportFileType(const std::string& extensionList) override { Set(fValues.fExportFileType, extensionList); }
    int32_t GetExportSampleRate() const override { return fValues.fExportSampleRate; }
    void SetExportSampleRate(int32_t rate) override { Set(fValues.fExportSampleRate, rate); }
    int32_t GetExportBitDepth() const override { return fValues.fExportBitDepth; }
    void SetExportBitDepth(int32_t depth) override { Set(fValues.fExportBitDepth, depth); }
    bool GetExportMidiFile() const override { return fValues.fExportMidiFile; }
    void SetExportMidiFile(bool on) override { Set(fValues.fExportMidiFile, on); }
    int32_t GetStereoExportNoticeCounter() const override { return GetNoticeCounter(ENotice::kStereoExport); }
    void SetStereoExportNoticeCounter(int32_t count) override { SetNoticeCounter(ENotice::kStereoExport, count); }
    bool GetNoRingOut() const override { return fValues.fNoRingOut; }

private:
    template <typename T, typename U>
    void Set(T& field, U&& value)
    {
        if (field == value)
            return;
        field = std::forward<U>(value);
        Notify();
    }
    void Notify();
    void ReadFile(CRecentlyUsedDocuments& recent);
    void WriteFile(const CRecentlyUsedDocuments& recent) const;

    SPreferenceValues fValues;
    int32_t fOutputSampleRate = 44100;
    std::optional<std::filesystem::path> fFileLocation;
    std::vector<IPreferencesListener*> fListeners;
};

} // namespace NSZubrik
