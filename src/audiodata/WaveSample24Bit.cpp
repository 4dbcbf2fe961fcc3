// C24BitWaveSample: 24-bit values sign-extended in 32-bit words. The 16-bit
// views shift by 8 bits each way (arithmetic shift on the way down); float
// reads scale by 2^-23, float writes by 8388607.
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/WaveSampleKernels.h"

namespace NSZubrik {

using namespace NSWaveSampleKernels;

namespace {

constexpr double kReadScale = 1.0 / 8388608.0;
constexpr float kReadScaleF = 1.0f / 8388608.0f;

int32_t FromDouble(double value) {
    return RoundClamp(value * 8388607.0, -8388608, 8388607);
}

// Per-value conversions for the block loops.
constexpr auto FromFloat = [](float v) { return FromDouble(v); };
constexpr auto FromFloat24 = [](float v) { return static_cast<int32_t>(v); };
constexpr auto FromInt16 = [](int16_t v) { return int32_t{v} * 256; };
constexpr auto ToInt16 = [](int32_t v) { return static_cast<int16_t>(v >> 8); };
constexpr auto ToFloat = [](int32_t v) { return static_cast<float>(v) * kReadScaleF; };
constexpr auto ToFloat24 = [](int32_t v) { return static_cast<float>(v); };
constexpr auto Same = [](int32_t v) { return v; };

} // namespace

C24BitWaveSample::C24BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo)
    : CABCWaveSample(sampleRate, frameCount, 24, stereo) {
    const auto count = static_cast<size_t>(GetFrameCount());
    fFirst = std::make_unique<int32_t[]>(count);
    if (stereo)
        fSecond = std::make_unique<int32_t[]>(count);
}

C24BitWaveSample::C24BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo, SForOverwrite)
    : CABCWaveSample(sampleRate, frameCount, 24, stereo) {
    const auto count = static_cast<size_t>(GetFrameCount());
    fFirst = std::make_unique_for_overwrite<int32_t[]>(count);
    if (stereo)
        fSecond = std::make_unique_for_overwrite<int32_t[]>(count);
}

C24BitWaveSample::~C24BitWaveSample() = default;

void C24BitWaveSample::Resize(int32_t newFrameCount) {
    auto first = Resized(fFirst.get(), GetFrameCount(), newFrameCount);
    auto second = Resized(fSecond.get(), GetFrameCount(), newFrameCount);
    fFirst = std::move(first);
    fSecond = std::move(second);
    SetFrameCount(std::max(newFrameCount, 0));
}

void C24BitWaveSample::ClearRange(int32_t start, int32_t count, int32_t channel) {
    if (count > 0)
        std::fill_n(Channel(channel) + start, count, 0);
}

void C24BitWaveSample::AddChannelFrom(const CABCWaveSample& other, int32_t channel) {
    const auto* source = dynamic_cast<const C24BitWaveSample*>(&other);
    if (!source)
        throw XIllegalCallSequence();
    auto copy = CopyOf(source->fFirst.get(), GetFrameCount());
    if (channel == 2) {
        fSecond = std::move(copy);
    } else {
        fSecond = std::move(fFirst);
        fFirst = std::move(copy);
    }
    SetStereo(true);
}

double C24BitWaveSample::GetFloat(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame] * kReadScale;
}

void C24BitWaveSample::SetFloat(int32_t frame, double value, int32_t channel) {
    Channel(channel)[frame] = FromDouble(value);
}

void C24BitWaveSample::GetFloats(int32_t start, int32_t count, float* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToFloat);
}

void C24BitWaveSample::SetFloats(int32_t start, int32_t count, const float* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromFloat);
}

int16_t C24BitWaveSample::GetInt16(int32_t frame, int32_t channel) const {
    return ToInt16(GetChannelData(channel)[frame]);
}

void C24BitWaveSample::SetInt16(int32_t frame, int16_t value, int32_t channel) {
    Channel(channel)[frame] = FromInt16(value);
}

void C24BitWaveSample::GetInt16s(int32_t start, int32_t count, int16_t* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToInt16);
}

void C24BitWaveSample::SetInt16s(int32_t start, int32_t count, const int16_t* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromInt16);
}

double C24BitWaveSample::GetFloat24(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame];
}

void C24BitWaveSample::SetFloat24(int32_t frame, double value, int32_t channel) {
    Channel(channel)[frame] = static_cast<int32_t>(value);
}

void C24BitWaveSample::GetFloat24s(int32_t start, int32_t count, float* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToFloat24);
}

void C24BitWaveSample::SetFloat24s(int32_t start, int32_t count, const float* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromFloat24);
}

void C24BitWaveSample::GetInt16Stereo(int32_t start, int32_t count, int16_t* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, ToInt16);
}

void C24BitWaveSample::SetInt16Stereo(int32_t start, int32_t count, const int16_t* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, FromInt16);
}

int32_t C24BitWaveSample::GetInt24(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame];
}

void C24BitWaveSample::SetInt24(int32_t frame, int32_t value, int32_t channel) {
    Channel(channel)[frame] = value;
}

void C24BitWaveSample::GetInt24s(int32_t start, int32_t count, int32_t* out, int32_t channel) const {
    if (count > 0)
        std::memcpy(out, GetChannelData(channel) + start, static_cast<size_t>(count) * sizeof(int32_t));
}

void C24BitWaveSample::SetInt24s(int32_t start, int32_t count, const int32_t* in, int32_t channel) {
    if (count > 0)
        std::memcpy(Channel(channel) + start, in, static_cast<size_t>(count) * sizeof(int32_t));
}

void C24BitWaveSample::GetInt24Stereo(int32_t start, int32_t count, int32_t* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, Same);
}

void C24BitWaveSample::SetInt24Stereo(int32_t start, int32_t count, const int32_t* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, Same);
}

void C24BitWaveSample::GetFloat24Stereo(int32_t start, int32_t count, float* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, ToFloat24);
}

void C24BitWaveSample::SetFloat24Stereo(int32_t start, int32_t count, const float* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, FromFloat24);
}

int32_t C24BitWaveSample::FindSnapToZero(int32_t frame) const {
    return NSWaveSampleKernels::FindSnapToZero(fFirst.get(), IsStereo() ? fSecond.get() : nullptr,
                                               GetFrameCount(), frame, kSnapThreshold);
}

} // namespace NSZubrik
