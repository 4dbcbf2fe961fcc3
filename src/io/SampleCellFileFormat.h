// SampleCell instrument export: one ".ins" instrument file whose keygroups
// play slice k from key 36 + k up, and one WAVE file per slice that the
// instrument points to by relative path. Every piece rings on for 1000
// frames past its slice.
#pragma once

#include "io/ExportFileFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace NSTambor {
class CMedia;
}

namespace NSZubrik {

// What the instrument file says about its slices.
struct SSampleCellInstrument {
    struct SSlice {
        // The sample file's name with its extension (8-bit).
        std::string fFileName;
        // The name of the slice's sample entries (8-bit, at most 31).
        std::string fSampleName;
        // The sample's length in frames.
        uint32_t fFrames = 0;
    };

    bool fStereo = false;
    std::vector<SSlice> fSlices;
};

// Writes the whole instrument file (an IFF form of type fileType).
void WriteSampleCellInstrument(NSTambor::CMedia& media, const SSampleCellInstrument& instrument,
                               uint32_t fileType);

class CSampleCellFileFormat : public CABCExportFileFormat {
public:
    static constexpr uint8_t kFirstKey = 36;
    static constexpr int32_t kMaxSlices = 60;
    static constexpr int32_t kTailFrames = 1000;
    // The longest sample-file name before ".wav".
    static constexpr size_t kMaxFileStemLength = 27;
    static constexpr size_t kMaxSampleNameLength = 31;
    static constexpr uint8_t kRootKey = 60;

    CSampleCellFileFormat();

    // Writes the instrument, then the sample files beside it.
    void Export(CExporter& exporter, const std::filesystem::path& destination,
                ILengthyProgress& progress) override;

    // "SCsi" for a stereo instrument, "SCin" for a mono one.
    static uint32_t FileType(bool stereo);
    // The sample file of slice k (0-based) of an instrument written to
    // `instrument`.
    static std::filesystem::path SampleFile(const std::filesystem::path& instrument, int32_t slice);
};

} // namespace NSZubrik
