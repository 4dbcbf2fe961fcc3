#include "io/Preferences.h"

#include <algorithm>
#include <new>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "document/LengthyOperation.h"
#include "platform/DiskKitUtils.h"

namespace NSZubrik {

namespace {

const NSDiskKit::TFourCC kPreferencesFileType = NSDiskKitUtils::MakeFourCC("ZBKP");

std::string Utf8(const std::u16string& text)
{
    std::string narrow;
    for (char16_t c : text)
        narrow.push_back(c < 128 ? static_cast<char>(c) : '_');
    return narrow;
}

// Shows an alert where no failure may escape (start and quit).
void ShowAlertQuietly(int32_t entry) noexcept
{
    try {
        ShowAlert(kAlertTable, entry);
    } catch (...) {
    }
}

} // namespace

std::filesystem::path CZubrikPreferences::GetFileLocation() const
{
    if (fFileLocation)
        return *fFileLocation;
    return NSDiskKitUtils::MakePath(NSDiskKitUtils::GetPreferencesFolder(),
                                    Utf8(ProgressText(NSStrings::kPreferencesFileName)));
}

void CZubrikPreferences::AddListener(IPreferencesListener* listener)
{
    if (listener != nullptr && std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end())
        fListeners.push_back(listener);
}

void CZubrikPreferences::RemoveListener(IPreferencesListener* listener)
{
    std::erase(fListeners, listener);
}

void CZubrikPreferences::Notify()
{
    // A copy, so that a listener may unregister while being told.
    const std::vector<IPreferencesListener*> listeners = fListeners;
    for (IPreferencesListener* listener : listeners)
        listener->PreferencesChanged();
}

void CZubrikPreferences::SetValues(const SPreferenceValues& values) { Set(fValues, values); }

int32_t CZubrikPreferences::GetNoticeCounter(ENotice notice) const
{
    return fValues.fNoticeCounters[static_cast<size_t>(notice)];
}

void CZubrikPreferences::SetNoticeCounter(ENotice notice, int32_t count)
{
    Set(fValues.fNoticeCounters[static_cast<size_t>(notice)], count);
}

bool CZubrikPreferences::TakeNotice(ENotice notice)
{
    const int32_t count = GetNoticeCounter(notice);
    if (count <= 0)
        return false;
    SetNoticeCounter(notice, count - 1);
    return true;
}

void CZubrikPreferences::ReadFile(CRecentlyUsedDocuments& recent)
{
    NSDiskKitUtils::COpenReadFileBridge file(GetFileLocation());
    SPreferenceValues values;
    std::vector<SRecentEntry> entries;
    ReadPreferencesFile(file, values, entries);
    SetValues(values);
    for (const SRecentEntry& entry : entries)
        recent.Append(entry.fFile, entry.fName);
}

bool CZubrikPreferences::Read(CRecentlyUsedDocuments& recent)
{
    int32_t alert = NSAlerts::kPreferencesCorrupt;
    try {
        ReadFile(recent);
        return true;
    } catch (const XPreferencesFileBadFormat&) {
        alert = NSAlerts::kPreferencesOtherVersion;
    } catch (const XInputItemNotFound&) {
        alert = 0;
    } catch (const XResultingItemNotFound&) {
        alert = 0;
    } catch (const XCreateFailed&) {
        alert = NSAlerts::kPreferencesNotOpened;
    } catch (const XItemBusy&) {
        alert = NSAlerts::kPreferencesNotOpened;
    } catch (const std::bad_alloc&) {
        alert = NSAlerts::kOutOfMemoryTryAgain;
    } catch (...) {
        alert = NSAlerts::kPreferencesCorrupt;
    }
    // Nothing of a file that failed is kept.
    SetValues(SPreferenceValues());
    if (alert != 0)
        ShowAlertQuietly(alert);
    return false;
}

void CZubrikPreferences::WriteFile(const CRecentlyUsedDocuments& recent) const
{
    NSDiskKitUtils::CSafeFileWriter writer(GetFileLocation(), kPreferencesFileType);
    WritePreferencesFile(writer.GetMedia(), fValues, recent.GetEntries());
    writer.Commit();
}

void CZubrikPreferences::Write(const CRecentlyUsedDocuments& recent)
{
    int32_t alert = NSAlerts::kPreferencesNotSaved;
    try {
        WriteFile(recent);
        return;
    } catch (const XDiskFull&) {
        alert = NSAlerts::kPreferencesDiskFull;
    } catch (const XCreateFailed&) {
        alert = NSAlerts::kPreferencesNotCreated;
    } catch (const std::bad_alloc&) {
        alert = NSAlerts::kOutOfMemoryTryAgain;
    } catch (const std::exception&) {
        alert = NSAlerts::kPreferencesNotSaved;
    } catch (...) {
        alert = NSAlerts::kInternalError;
    }
    ShowAlertQuietly(alert);
}

} // namespace NSZubrik
