// Progress of reading a loop file's audio: told the frames done before each
// block, answers whether to abort.
#pragma once

#include <cstdint>

namespace NSZubrik {

class ILengthyProgress;

class CZBX2DecompressCallback {
public:
    virtual ~CZBX2DecompressCallback() = default;
    // True aborts the reading. The plain callback never aborts.
    virtual bool Progress(int32_t framesDone) { (void)framesDone; return false; }
};

// Reports to a lengthy operation: the frames left as its count and the
// share done as its percentage; aborts when the user pressed Stop.
class CLOPDecompressCallback : public CZBX2DecompressCallback {
public:
    CLOPDecompressCallback(ILengthyProgress& operation, int32_t totalFrames)
        : fOperation(operation), fTotal(totalFrames) {}

    bool Progress(int32_t framesDone) override;

private:
    ILengthyProgress& fOperation;
    int32_t fTotal;
};

} // namespace NSZubrik
