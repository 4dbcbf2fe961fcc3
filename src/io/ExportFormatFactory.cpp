// The one place that knows which format class writes which file type.
#include "io/ExportFileFormat.h"

#include "app/ZubrikErrors.h"
#include "io/AKPFileFormat.h"
#include "io/MixmanFileFormat.h"
#include "io/PureSoundFileFormat.h"
#include "io/HydrogenKitFormat.h"
#include "io/SFZFileFormat.h"
#include "io/SampleCellFileFormat.h"
#include "io/SoundFontFileFormat.h"

namespace NSZubrik {

std::unique_ptr<CABCExportFileFormat> CreateExportFileFormat(std::string_view extensionList)
{
    if (extensionList == ".wav;.wave")
        return std::make_unique<CWAVFileFormat>();
    if (extensionList == ".wav")
        return std::make_unique<CMarkedWAVFileFormat>();
    if (extensionList == ".h2drumkit")
        return std::make_unique<CHydrogenKitFormat>();
    if (extensionList == ".sfz")
        return std::make_unique<CSFZFileFormat>();
    if (extensionList == ".aif;.aiff")
        return std::make_unique<CAIFFFileFormat>();
    if (extensionList == ".akp")
        return std::make_unique<CAKPFileFormat>();
    if (extensionList == ".sf2")
        return std::make_unique<CSoundFontFileFormat>();
    if (extensionList == ".ins")
        return std::make_unique<CSampleCellFileFormat>();
    if (extensionList == ".trk")
        return std::make_unique<CMixmanFileFormat>();
    throw XInvariantCorrupt();
}

} // namespace NSZubrik
