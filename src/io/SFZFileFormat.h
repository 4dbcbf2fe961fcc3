// SFZ instrument export: one WAVE file per exported piece in a folder beside
// the instrument, and an ".sfz" text that maps piece k to key 36 + k, each
// region playing its piece once through.
#pragma once

#include "io/ExportFileFormat.h"

#include <string>
#include <vector>

namespace NSZubrik {

// One region of the instrument: a key playing one sample file.
struct SSFZRegion {
    // The sample's file name inside the instrument's sample folder.
    std::string fSample;
    uint8_t fKey = 36;
};

// The instrument text: a header comment, a <control> header naming the
// sample folder (relative, with forward slashes) and one <region> per piece.
std::string SFZInstrumentText(const std::string& name, const std::string& sampleFolder,
                              const std::vector<SSFZRegion>& regions);

class CSFZFileFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 36;
    // Keys 36 to 127.
    static constexpr int32_t kMaxSlices = 92;

    CSFZFileFormat();

    // Writes the sample files, then the instrument that names them.
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;

    // The folder of the sample files of an instrument written to
    // `instrument`: "Beat.sfz" keeps them in "Beat_samples" (names without
    // spaces, which every SFZ reader takes whole).
    static std::filesystem::path SampleFolder(const std::filesystem::path& instrument);
    // The sample file of piece k (0-based): "Beat_001.wav".
    static std::string SampleFileName(const std::filesystem::path& instrument, int32_t piece);
};

} // namespace NSZubrik
