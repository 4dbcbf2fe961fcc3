#include "audiodata/SampleDataCodec.h"

#include <algorithm>
#include <vector>

#include "app/ZubrikErrors.h"
#include "audiodata/DWOPCompressor.h"
#include "audiodata/DWOPDecompressor.h"
#include "audiodata/DecompressCallback.h"
#include "audiodata/OutputBitStream.h"
#include "audiodata/WaveSample.h"
#include "document/LengthyOperation.h"

namespace NSZubrik {

bool CLOPDecompressCallback::Progress(int32_t framesDone) {
    fOperation.SetCount(fTotal - framesDone);
    fOperation.SetPercent(
        fTotal > 0 ? static_cast<int32_t>(int64_t{framesDone} * 100 / fTotal) : 100);
    return fOperation.StopRequested();
}

namespace {

void ReportEncoding(ILengthyProgress* progress, int32_t total, int32_t left) {
    if (progress == nullptr) return;
    progress->SetCount(left);
    progress->SetPercent(
        total > 0 ? static_cast<int32_t>((total - left) * 100.0 / total) : 100);
}

void Encode(CDWOPCompressor& encoder, int32_t count, const int16_t* left, const int16_t* right) {
    encoder.Encode16(count, left, right);
}

void Encode(CDWOPCompressor& encoder, int32_t count, const int32_t* left, const int32_t* right) {
    encoder.Encode24(count, left, right);
}

// Codes the wave in runs of kEncodeBlockFrames, reporting progress and
// honouring Stop before each. The runs are taken straight from the store's
// channel arrays, which hold exactly the values the encoder codes (16-bit
// values, or 24-bit values sign-extended in 32-bit words), so nothing is
// copied on the way.
template <typename TStore>
void EncodeRuns(CDWOPCompressor& encoder, const TStore& wave, ILengthyProgress* progress) {
    const int32_t total = wave.GetFrameCount();
    const auto* left = wave.GetChannelData(1);
    // A mono encoder ignores its second buffer.
    const auto* right = wave.IsStereo() ? wave.GetChannelData(2) : left;
    for (int32_t done = 0; done < total;) {
        ReportEncoding(progress, total, total - done);
        if (progress != nullptr && progress->StopRequested()) throw XZBX2UserAborted();
        const int32_t n = std::min(kEncodeBlockFrames, total - done);
        Encode(encoder, n, left + done, right + done);
        done += n;
    }
}

} // namespace

void EncodeWaveSample(NSTambor::CMedia& media, const CABCWaveSample& wave,
                      ILengthyProgress* progress) {
    COutputBitStream stream(media);
    CDWOPCompressor encoder(stream, wave.IsStereo() ? 2 : 1);
    if (const auto* wave16 = dynamic_cast<const C16BitWaveSample*>(&wave))
        EncodeRuns(encoder, *wave16, progress);
    else
        EncodeRuns(encoder, dynamic_cast<const C24BitWaveSample&>(wave), progress);
    ReportEncoding(progress, wave.GetFrameCount(), 0);
    stream.Flush();
}

void DecodeWaveSample(NSTambor::CMedia& media, CABCWaveSample& wave, int32_t channelCount,
                      int32_t frameCount, CZBX2DecompressCallback& callback) {
    if (frameCount < 1) {
        callback.Progress(0);
        return;
    }
    const bool stereo = channelCount == 2;
    const bool is24 = wave.GetBitDepth() == 24;
    COptimizedDWOPDecompressorFromMedia decoder(media, stereo ? 2 : 1);
    const size_t values = static_cast<size_t>(kDecodeBlockFrames) * (stereo ? 2 : 1);
    std::vector<int16_t> buffer16(is24 ? 0 : values);
    std::vector<int32_t> buffer32(is24 ? values : 0);
    for (int32_t done = 0; done < frameCount;) {
        if (callback.Progress(done)) throw XZBX2UserAborted();
        const int32_t n = std::min(kDecodeBlockFrames, frameCount - done);
        if (is24) {
            decoder.Decode24(n, buffer32.data());
            if (stereo)
                wave.SetInt24Stereo(done, n, buffer32.data());
            else
                wave.SetInt24s(done, n, buffer32.data(), 1);
        } else {
            decoder.Decode16(n, buffer16.data());
            if (stereo)
                wave.SetInt16Stereo(done, n, buffer16.data());
            else
                wave.SetInt16s(done, n, buffer16.data(), 1);
        }
        done += n;
    }
    // A damaged stream decodes to the wrong values; where it also ends in the
    // wrong place (running past the data fails in Refill) it is refused
    // rather than handed on as sound.
    if (decoder.GetUnreadBits() >= 32) throw XBadFormat();
    callback.Progress(frameCount);
}

} // namespace NSZubrik
