// The application object's audio output: opening the sound card at start,
// playing documents through the wave player, idle time, and keeping every
// document's sequencer at the device's rate.
#include "app/Zubrik.h"

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ResultCodes.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

const std::vector<uint8_t>& IApplicationPreferences::GetAudioSettings() const
{
    static const std::vector<uint8_t> none;
    return none;
}

int32_t CZubrik::StartAudio()
{
    return CallbackResult([&] {
        if (fAudio != nullptr)
            return;
        fAudio = &CAudioCardManager::GetAudioCardManager();
        fAudio->AddListener(*this);
        OpenSavedAudioDevice();
        if (!fAudio->SelectFallbackDriver())
            ShowAlert(kAlertTable, NSAlerts::kNoSoundAvailable);
        AudioCardManagerChanged();
    });
}

void CZubrik::OpenSavedAudioDevice()
{
    const std::vector<uint8_t>& saved = fPreferences.GetAudioSettings();
    if (saved.empty())
        return;
    std::string name;
    const int32_t result = fAudio->LoadSettings(saved, name);
    fKeepSavedAudioSettings = result != kResultNoError;
    if (result == kResultFailedToOpenDriverNotPresentError)
        ShowAlert(kAlertTable, NSAlerts::kSoundCardNotFound, name);
    else if (result == kResultFailedToOpenDriverError)
        ShowAlert(kAlertTable, NSAlerts::kSoundCardNotOpened, name);
}

void CZubrik::SaveAudioSettings()
{
    if (fAudio == nullptr || fKeepSavedAudioSettings)
        return;
    // Without an open device the saved settings stay as they were.
    if (std::vector<uint8_t> settings = fAudio->SaveSettings(); !settings.empty())
        fPreferences.SetAudioSettings(std::move(settings));
}

void CZubrik::StopAudio()
{
    if (fAudio == nullptr)
        return;
    try {
        SaveAudioSettings();
    } catch (const std::exception&) {
    }
    fAudio->RemoveListener(*this);
    fAudio = nullptr;
    CAudioCardManager::DestroyAudioCardManager();
}

int32_t CZubrik::Play(CZubrikDocument& document, int32_t playMode, int32_t frame, IWavePlayerListener* listener)
{
    return CallbackResult([&] {
        if (fAudio == nullptr || fAudio->IsUnavailable())
            return;
        fAudio->GetWavePlayer().PlaySequencer(document.GetSequencer(), listener);
        switch (playMode) {
        case CZubrikDocument::kPlayingLoop: document.PlayLoop(); break;
        case CZubrikDocument::kPlayingCurrentSlice: document.PlayCurrentSlice(); break;
        case CZubrikDocument::kPlayingPreviousSlice: document.PlayPreviousSlice(); break;
        case CZubrikDocument::kPlayingCurrentSliceAndAdvance: document.PlayCurrentSliceAndAdvance(); break;
        case CZubrikDocument::kPlayingSliceAtPosition: document.PlaySliceAt(frame); break;
        default: break;
        }
    });
}

int32_t CZubrik::Stop(CZubrikDocument& document)
{
    return CallbackResult([&] {
        document.Stop();
        if (fAudio != nullptr)
            fAudio->GetWavePlayer().Idle();
    });
}

CZubrik::SPeaks CZubrik::TakePeaks(CZubrikDocument& document)
{
    CPeakRecord& record = document.GetSequencer().GetMeterData();
    SPeaks peaks;
    peaks.fLeft = record.TakeLeftPeak();
    peaks.fRight = record.TakeRightPeak();
    peaks.fClipped = record.TakeClipped();
    return peaks;
}

void CZubrik::Idle()
{
    if (fAudio == nullptr)
        return;
    CallbackResult([&] {
        fAudio->Idle();
        fAudio->GetWavePlayer().Idle();
    });
}

void CZubrik::Suspend()
{
    if (fAudio != nullptr)
        CallbackResult([&] { fAudio->Suspend(); });
}

void CZubrik::Resume()
{
    if (fAudio != nullptr)
        CallbackResult([&] { fAudio->Resume(); });
}

int32_t CZubrik::SelectAudioDevice(const std::string& name, int32_t sampleRate, int32_t bufferFrames)
{
    return CallbackResult([&] {
        if (fAudio == nullptr)
            return;
        std::shared_ptr<NSSoundPortKit::IAudioDriver> driver = fAudio->FindDriver(name);
        if (!driver) {
            ShowAlert(kAlertTable, NSAlerts::kSoundCardNotFound, name);
            return;
        }
        try {
            fAudio->SelectDriver(driver, sampleRate, bufferFrames);
        } catch (const std::exception&) {
        }
        if (!fAudio->IsRunning())
            ShowAlert(kAlertTable, NSAlerts::kSoundCardNotOpened, name);
        else
            fKeepSavedAudioSettings = false;
    });
}

void CZubrik::AudioCardManagerChanged()
{
    if (fAudio == nullptr)
        return;
    const int32_t rate = fAudio->GetOutputSampleRate();
    fPreferences.SetOutputSampleRate(rate);
    for (CZubrikDocument* document : fWindows.GetDocuments())
        if (document->GetSequencer().GetOutputSampleRate() != rate)
            document->GetSequencer().SetOutputSampleRate(rate);
}

void CZubrik::ReleaseFromPlayer(CZubrikDocument& document)
{
    if (fAudio != nullptr && fAudio->GetWavePlayer().GetSequencer() == &document.GetSequencer())
        fAudio->GetWavePlayer().Stop();
}

} // namespace NSZubrik
