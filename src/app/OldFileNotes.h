// The notes that may follow the opening of an older loop or document file.
#pragma once

namespace NSZubrik {

class CZubrikFile;
class IDocumentPreferences;

// For an old loop file, the note that its playback may need adjusting; for
// an old document saved with the "Normalize" option, the note that the
// option is gone. Each note shows only while its counter in the preferences
// is above 0, and each showing lowers the counter by 1.
void ShowOldFileNotes(const CZubrikFile& file, IDocumentPreferences& preferences);

} // namespace NSZubrik
