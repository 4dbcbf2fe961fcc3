// A wave sample kept by an undo record: the sound a change displaced, held
// in memory in the loop file's compressed form rather than as raw samples,
// so that undoing sample processing on a long sound does not double the
// memory in use.
//
// The bytes are a chunk list of type "ZBX2" with the loop file's
// sample-information chunk ("SINF") and its lossless sample data ("SDAT").
// Loop mode, the locators-set flag and whether a preview existed have no
// place in those chunks and are kept beside them.
#pragma once

#include <cstdint>
#include <memory>

#include "document/LengthyOperation.h"

namespace NSTambor {
class COwnedMemoryMedia;
}

namespace NSZubrik {
class CABCWaveSample;
}

namespace NSUndoPackage {

class CSavedWaveSample {
public:
    // Compresses the wave under the lengthy operation "Saving Undo
    // information...", which has no way to stop.
    explicit CSavedWaveSample(const NSZubrik::CABCWaveSample& wave,
                              const NSZubrik::CLengthyOperationServices& services =
                                  NSZubrik::GetDefaultLengthyOperationServices());
    ~CSavedWaveSample();
    CSavedWaveSample(const CSavedWaveSample&) = delete;
    CSavedWaveSample& operator=(const CSavedWaveSample&) = delete;

    // A new 16- or 24-bit wave with the stored samples, rate, channels and
    // locators (and its preview, if the saved wave had one), under the
    // lengthy operation "Restoring Undo information..." showing the frames
    // left and the percentage done. The saved form stays as it is, so it
    // can be restored again.
    std::unique_ptr<NSZubrik::CABCWaveSample> Restore(
        const NSZubrik::CLengthyOperationServices& services =
            NSZubrik::GetDefaultLengthyOperationServices()) const;

    // Bytes held for the sound.
    int32_t GetStoredSize() const;

private:
    std::shared_ptr<NSTambor::COwnedMemoryMedia> fMedia;
    int32_t fLoopMode;
    bool fLocatorsSet;
    bool fPreviewValid;
};

} // namespace NSUndoPackage
