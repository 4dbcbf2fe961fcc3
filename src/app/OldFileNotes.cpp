#include "app/OldFileNotes.h"

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "audiodata/ZubrikFile.h"
#include "document/DocumentTypes.h"

namespace NSZubrik {

void ShowOldFileNotes(const CZubrikFile& file, IDocumentPreferences& preferences)
{
    if (file.GetKind() == kOldLoopKind && preferences.GetOldLoopNoteCounter() > 0) {
        preferences.SetOldLoopNoteCounter(preferences.GetOldLoopNoteCounter() - 1);
        ShowAlert(kAlertTable, NSAlerts::kOldLoopFile);
    }
    if (file.GetKind() == kOldDocumentKind && file.HasNormalizeOption() &&
        preferences.GetNormalizeNoteCounter() > 0) {
        preferences.SetNormalizeNoteCounter(preferences.GetNormalizeNoteCounter() - 1);
        ShowAlert(kAlertTable, NSAlerts::kOldNormalizeOption);
    }
}

} // namespace NSZubrik
