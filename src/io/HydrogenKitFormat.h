// Hydrogen drum-kit export (".h2drumkit"): a tar.gz holding one folder named
// after the kit, with "drumkit.xml" and one WAVE file per exported piece;
// each piece is one instrument with one layer naming its file.
#pragma once

#include "io/ExportFileFormat.h"

#include <string>
#include <vector>

namespace NSZubrik {

// The kit description: the kit's name and one instrument per sample file.
std::string HydrogenKitXml(const std::string& kitName, const std::vector<std::string>& sampleFiles,
                           uint8_t firstKey);

class CHydrogenKitFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 36;
    // One instrument per MIDI note from 36 to 127.
    static constexpr int32_t kMaxSlices = 92;

    CHydrogenKitFormat();

    // Renders the pieces to WAVE files in a scratch folder beside the
    // destination, packs them with the kit description and removes the
    // scratch folder.
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;

    // The kit's name: the document's name without its extension, made safe
    // for a folder name inside the archive.
    static std::string KitName(const std::u16string& documentName);
};

} // namespace NSZubrik
