// C16BitWaveSample: samples as signed 16-bit values. The 24-bit views shift
// by 8 bits each way; float reads scale by 2^-15, float writes by 32767.
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/WaveSampleKernels.h"

namespace NSZubrik {

using namespace NSWaveSampleKernels;

namespace {

constexpr double kReadScale = 1.0 / 32768.0;
constexpr float kReadScaleF = 1.0f / 32768.0f;

int16_t FromDouble(double value) {
    return static_cast<int16_t>(RoundClamp(value * 32767.0, -32768, 32767));
}
int16_t FromFloat24(double value) {
    return static_cast<int16_t>(static_cast<int32_t>(value) >> 8);
}

// Per-value conversions for the block loops.
constexpr auto FromFloat = [](float v) { return FromDouble(v); };
constexpr auto FromFloat24F = [](float v) { return static_cast<int16_t>(static_cast<int32_t>(v) >> 8); };
constexpr auto FromInt24 = [](int32_t v) { return static_cast<int16_t>(v >> 8); };
constexpr auto ToInt24 = [](int16_t v) { return int32_t{v} * 256; };
constexpr auto ToFloat = [](int16_t v) { return v * kReadScaleF; };
constexpr auto ToFloat24 = [](int16_t v) { return v * 256.0f; };
constexpr auto Same = [](int16_t v) { return v; };

} // namespace

C16BitWaveSample::C16BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo)
    : CABCWaveSample(sampleRate, frameCount, 16, stereo) {
    const auto count = static_cast<size_t>(GetFrameCount());
    fFirst = std::make_unique<int16_t[]>(count);
    if (stereo)
        fSecond = std::make_unique<int16_t[]>(count);
}

C16BitWaveSample::C16BitWaveSample(int32_t sampleRate, int32_t frameCount, bool stereo, SForOverwrite)
    : CABCWaveSample(sampleRate, frameCount, 16, stereo) {
    const auto count = static_cast<size_t>(GetFrameCount());
    fFirst = std::make_unique_for_overwrite<int16_t[]>(count);
    if (stereo)
        fSecond = std::make_unique_for_overwrite<int16_t[]>(count);
}

C16BitWaveSample::~C16BitWaveSample() = default;

void C16BitWaveSample::Resize(int32_t newFrameCount) {
    auto first = Resized(fFirst.get(), GetFrameCount(), newFrameCount);
    auto second = Resized(fSecond.get(), GetFrameCount(), newFrameCount);
    fFirst = std::move(first);
    fSecond = std::move(second);
    SetFrameCount(std::max(newFrameCount, 0));
}

void C16BitWaveSample::ClearRange(int32_t start, int32_t count, int32_t channel) {
    if (count > 0)
        std::fill_n(Channel(channel) + start, count, int16_t{0});
}

void C16BitWaveSample::AddChannelFrom(const CABCWaveSample& other, int32_t channel) {
    const auto* source = dynamic_cast<const C16BitWaveSample*>(&other);
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

double C16BitWaveSample::GetFloat(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame] * kReadScale;
}

void C16BitWaveSample::SetFloat(int32_t frame, double value, int32_t channel) {
    Channel(channel)[frame] = FromDouble(value);
}

void C16BitWaveSample::GetFloats(int32_t start, int32_t count, float* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToFloat);
}

void C16BitWaveSample::SetFloats(int32_t start, int32_t count, const float* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromFloat);
}

int16_t C16BitWaveSample::GetInt16(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame];
}

void C16BitWaveSample::SetInt16(int32_t frame, int16_t value, int32_t channel) {
    Channel(channel)[frame] = value;
}

void C16BitWaveSample::GetInt16s(int32_t start, int32_t count, int16_t* out, int32_t channel) const {
    if (count > 0)
        std::memcpy(out, GetChannelData(channel) + start, static_cast<size_t>(count) * sizeof(int16_t));
}

void C16BitWaveSample::SetInt16s(int32_t start, int32_t count, const int16_t* in, int32_t channel) {
    if (count > 0)
        std::memcpy(Channel(channel) + start, in, static_cast<size_t>(count) * sizeof(int16_t));
}

double C16BitWaveSample::GetFloat24(int32_t frame, int32_t channel) const {
    return GetChannelData(channel)[frame] * 256.0;
}

void C16BitWaveSample::SetFloat24(int32_t frame, double value, int32_t channel) {
    Channel(channel)[frame] = FromFloat24(value);
}

void C16BitWaveSample::GetFloat24s(int32_t start, int32_t count, float* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToFloat24);
}

void C16BitWaveSample::SetFloat24s(int32_t start, int32_t count, const float* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromFloat24F);
}

void C16BitWaveSample::GetInt16Stereo(int32_t start, int32_t count, int16_t* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, Same);
}

void C16BitWaveSample::SetInt16Stereo(int32_t start, int32_t count, const int16_t* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, Same);
}

int32_t C16BitWaveSample::GetInt24(int32_t frame, int32_t channel) const {
    return ToInt24(GetChannelData(channel)[frame]);
}

void C16BitWaveSample::SetInt24(int32_t frame, int32_t value, int32_t channel) {
    Channel(channel)[frame] = FromInt24(value);
}

void C16BitWaveSample::GetInt24s(int32_t start, int32_t count, int32_t* out, int32_t channel) const {
    Map(GetChannelData(channel) + start, out, count, ToInt24);
}

void C16BitWaveSample::SetInt24s(int32_t start, int32_t count, const int32_t* in, int32_t channel) {
    Map(in, Channel(channel) + start, count, FromInt24);
}

void C16BitWaveSample::GetInt24Stereo(int32_t start, int32_t count, int32_t* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, ToInt24);
}

void C16BitWaveSample::SetInt24Stereo(int32_t start, int32_t count, const int32_t* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, FromInt24);
}

void C16BitWaveSample::GetFloat24Stereo(int32_t start, int32_t count, float* out) const {
    Interleave(fFirst.get() + start, fSecond.get() + start, out, count, ToFloat24);
}

void C16BitWaveSample::SetFloat24Stereo(int32_t start, int32_t count, const float* in) {
    Deinterleave(in, fFirst.get() + start, fSecond.get() + start, count, FromFloat24F);
}

int32_t C16BitWaveSample::FindSnapToZero(int32_t frame) const {
    return NSWaveSampleKernels::FindSnapToZero(fFirst.get(), IsStereo() ? fSecond.get() : nullptr,
                                               GetFrameCount(), frame, kSnapThreshold);
}

} // namespace NSZubrik
