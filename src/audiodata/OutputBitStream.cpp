#include "audiodata/OutputBitStream.h"

#include "tambor/Media.h"

namespace NSZubrik {

COutputBitStream::COutputBitStream(NSTambor::CMedia& media) : fMedia(media) {}

void COutputBitStream::Flush() {
    // A word that is exactly full is emitted at once by Put, so only a partly
    // filled word remains; an empty stream still gets its one zero word.
    if (fPending > 0 || GetWordCount() == 0) {
        SCursor c = Open();
        c.accumulator = fAccumulator << (32 - fPending); // pending bits to the top
        c.pending = 32;
        Put(c, 0, 0); // emits the word
        Close(c);
    }
    WriteBuffer();
}

uint8_t* COutputBitStream::WriteFullBuffer() {
    fFill = kBufferBytes;
    WriteBuffer();
    return fBuffer;
}

void COutputBitStream::WriteBuffer() {
    if (fFill == 0) return;
    fMedia.WriteAt(fMedia.GetPosition(), fFill, fBuffer);
    fWrittenWords += static_cast<uint32_t>(fFill / 4);
    fFill = 0;
}

} // namespace NSZubrik
