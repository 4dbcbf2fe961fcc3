#include "platform/SoundPortGlue.h"

#include <algorithm>
#include <cstring>

#include "app/ResultCodes.h"

namespace NSSoundPortGlue {

using namespace NSSoundPortKit;

namespace {

TKitFactory& Factory()
{
    static TKitFactory factory;
    return factory;
}

} // namespace

void Check(TResult result) { NSZubrik::CheckFrameKitResult(result); }

TKitFactory SetKitFactory(TKitFactory factory)
{
    TKitFactory previous = std::move(Factory());
    Factory() = std::move(factory);
    return previous;
}

TResult ByteVectorByteWriter::Write(const void* bytes, int32_t count)
{
    if (count < 0)
        return NSZubrik::kResultInvalidArgumentError;
    const auto* first = static_cast<const uint8_t*>(bytes);
    fBytes.insert(fBytes.end(), first, first + count);
    return kNoError;
}

TResult ByteVectorByteReader::Read(void* bytes, int32_t count, int32_t& done)
{
    if (count < 0)
        return NSZubrik::kResultInvalidArgumentError;
    const size_t n = std::min(size_t(count), fBytes.size() - fPosition);
    if (n > 0)
        std::memcpy(bytes, fBytes.data() + fPosition, n);
    fPosition += n;
    done = int32_t(n);
    return kNoError;
}

CClient::CClient(IRenderer& target) : fTarget(target)
{
    fKit = Factory() ? Factory()(*this) : SoundPortKit_Create(*this);
}

CClient::~CClient()
{
    if (fKit)
        fKit->CloseDriver();
}

TAudioDrivers CClient::GetDrivers()
{
    TAudioDrivers drivers;
    Check(fKit->GetDrivers(drivers));
    return drivers;
}

std::shared_ptr<IAudioDriver> CClient::GetDefaultDriver()
{
    std::shared_ptr<IAudioDriver> driver;
    Check(fKit->GetDefaultDriver(driver));
    return driver;
}

std::shared_ptr<IAudioDriver> CClient::GetSelectedDriver() const { return fKit->GetSelectedDriver(); }
void CClient::SelectDriver(const std::shared_ptr<IAudioDriver>& driver) { Check(fKit->SelectDriver(driver)); }
void CClient::SetWantedSettings(int32_t sampleRate, int32_t bufferFrames)
{
    Check(fKit->SetWantedSettings(sampleRate, bufferFrames));
}

std::vector<int32_t> CClient::GetSupportedSampleRates(const std::shared_ptr<IAudioDriver>& driver)
{
    std::vector<int32_t> rates;
    Check(fKit->GetSupportedSampleRates(driver, rates));
    return rates;
}

void CClient::CloseDriver() { Check(fKit->CloseDriver()); }
bool CClient::IsRunning() const { return fKit->IsRunning(); }

SSettings CClient::GetCurrentSettings()
{
    SSettings settings;
    Check(fKit->GetCurrentSettings(settings));
    return settings;
}

void CClient::Suspend() { Check(fKit->Suspend()); }
void CClient::Resume() { Check(fKit->Resume()); }
void CClient::Idle() { Check(fKit->Idle()); }
int64_t CClient::GetUnderrunCount() const { return fKit->GetUnderrunCount(); }

std::vector<uint8_t> CClient::SaveSettings()
{
    std::vector<uint8_t> bytes;
    ByteVectorByteWriter writer(bytes);
    Check(fKit->SaveSettings(writer));
    return bytes;
}

TResult CClient::LoadSettings(const std::vector<uint8_t>& bytes, std::string& driverName)
{
    ByteVectorByteReader reader(bytes);
    return fKit->LoadSettings(reader, driverName);
}

} // namespace NSSoundPortGlue
