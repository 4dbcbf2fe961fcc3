#include "engine/AudioCardManager.h"

#include <algorithm>

#include "engine/DSPTables.h"

namespace NSZubrik {

using namespace NSSoundPortKit;

namespace {

struct SProcessAudio {
    std::unique_ptr<CAudioRenderer> fRenderer;
    std::unique_ptr<CAudioCardManager> fManager;
};

SProcessAudio& ProcessAudio()
{
    // The player is made first so that it is destroyed last, after the
    // manager that stops it.
    CWavePlayer::Get();
    static SProcessAudio audio;
    return audio;
}

} // namespace

CAudioCardManager::CAudioCardManager(CAudioRenderer& renderer, CWavePlayer& player)
    : fRenderer(renderer), fPlayer(player)
{
    CDSPTablesCache::Acquire(fSampleRate);
    try {
        fClient = std::make_unique<NSSoundPortGlue::CClient>(fRenderer);
    } catch (...) {
        CDSPTablesCache::Release(fSampleRate);
        throw;
    }
    fRenderer.SetSettingsTarget(this);
    fPlayer.SetDeviceState(this);
    fPlayer.SetOutputSampleRate(fSampleRate);
}

CAudioCardManager::~CAudioCardManager()
{
    fPlayer.Stop();
    fRenderer.SetSettingsTarget(nullptr);
    fClient.reset();
    fPlayer.SetDeviceState(nullptr);
    CDSPTablesCache::Release(fSampleRate);
}

CAudioCardManager& CAudioCardManager::GetAudioCardManager()
{
    SProcessAudio& audio = ProcessAudio();
    if (!audio.fManager) {
        if (!audio.fRenderer)
            audio.fRenderer = std::make_unique<CAudioRenderer>(CWavePlayer::Get());
        audio.fManager = std::make_unique<CAudioCardManager>(*audio.fRenderer, CWavePlayer::Get());
        audio.fRenderer->SetEnabled(true);
    }
    return *audio.fManager;
}

void CAudioCardManager::DestroyAudioCardManager()
{
    SProcessAudio& audio = ProcessAudio();
    if (audio.fRenderer)
        audio.fRenderer->SetEnabled(false);
    audio.fManager.reset();
    audio.fRenderer.reset();
}

CAudioCardManager* CAudioCardManager::FindAudioCardManager() { return ProcessAudio().fManager.get(); }

bool CAudioCardManager::IsRunning() const { return fClient->IsRunning(); }

bool CAudioCardManager::IsUnavailable() const { return !IsRunning() || fRenderer.IsLocked() || fSuspended; }

TAudioDrivers CAudioCardManager::GetDrivers() { return fClient->GetDrivers(); }

std::shared_ptr<IAudioDriver> CAudioCardManager::GetSelectedDriver() const { return fClient->GetSelectedDriver(); }

std::shared_ptr<IAudioDriver> CAudioCardManager::FindDriver(const std::string& name)
{
    for (const std::shared_ptr<IAudioDriver>& driver : GetDrivers())
        if (driver->GetName() == name)
            return driver;
    return nullptr;
}

void CAudioCardManager::SelectDriver(const std::shared_ptr<IAudioDriver>& driver, int32_t sampleRate,
                                     int32_t bufferFrames)
{
    fPlayer.Stop();
    fClient->SetWantedSettings(sampleRate, bufferFrames);
    // The library tells the renderer that the settings changed, which
    // brings the new rate here.
    fClient->SelectDriver(driver);
}

std::vector<int32_t> CAudioCardManager::GetSupportedSampleRates(const std::shared_ptr<IAudioDriver>& driver)
{
    return fClient->GetSupportedSampleRates(driver);
}

bool CAudioCardManager::SelectFallbackDriver()
{
    if (IsRunning())
        return true;
    TAudioDrivers order;
    if (std::shared_ptr<IAudioDriver> preferred = fClient->GetDefaultDriver())
        order.push_back(preferred);
    for (const std::shared_ptr<IAudioDriver>& driver : GetDrivers())
        if (order.empty() || driver->GetName() != order.front()->GetName())
            order.push_back(driver);
    // Drivers whose name begins with "ASIO" come last.
    std::stable_partition(order.begin(), order.end(),
                          [](const auto& driver) { return driver->GetName().rfind("ASIO", 0) != 0; });
    for (const std::shared_ptr<IAudioDriver>& driver : order) {
        try {
            SelectDriver(driver);
        } catch (const std::exception&) {
            continue;
        }
        if (IsRunning())
            return true;
    }
    return false;
}

std::vector<uint8_t> CAudioCardManager::SaveSettings() { return fClient->SaveSettings(); }

TResult CAudioCardManager::LoadSettings(const std::vector<uint8_t>& bytes, std::string& missingName)
{
    fPlayer.Stop();
    return fClient->LoadSettings(bytes, missingName);
}

void CAudioCardManager::SettingsChanged()
{
    SSettings settings;
    if (IsRunning())
        settings = fClient->GetCurrentSettings();
    if (settings.fSampleRate > 0 && settings.fSampleRate != fSampleRate) {
        fPlayer.Stop();
        CDSPTablesCache::Acquire(settings.fSampleRate);
        CDSPTablesCache::Release(fSampleRate);
        fSampleRate = settings.fSampleRate;
        fPlayer.SetOutputSampleRate(fSampleRate);
    }
    Notify();
}

void CAudioCardManager::Suspend()
{
    if (fSuspended || !fPlayer.IsIdle())
        return;
    fClient->Suspend();
    fSuspended = true;
    Notify();
}

void CAudioCardManager::Resume()
{
    if (!fSuspended)
        return;
    fSuspended = false;
    fClient->Resume();
    Notify();
}

void CAudioCardManager::BeginReconfigure()
{
    fRenderer.Lock();
    Notify();
}

void CAudioCardManager::EndReconfigure()
{
    fRenderer.Unlock();
    Notify();
}

void CAudioCardManager::AddListener(IAudioCardManagerListener& listener)
{
    if (std::find(fListeners.begin(), fListeners.end(), &listener) == fListeners.end())
        fListeners.push_back(&listener);
}

void CAudioCardManager::RemoveListener(IAudioCardManagerListener& listener) { std::erase(fListeners, &listener); }

void CAudioCardManager::Idle() { fClient->Idle(); }

void CAudioCardManager::Notify()
{
    // A copy: a listener may remove itself while being told.
    const std::vector<IAudioCardManagerListener*> listeners = fListeners;
    for (IAudioCardManagerListener* listener : listeners)
        listener->AudioCardManagerChanged();
}

} // namespace NSZubrik
