// Lossless codec speed in memory on a synthetic drum loop (kick, snare and
// hi-hats at 120 BPM, 44.1 kHz stereo, fixed seed), with a plain copy of the
// same PCM as the baseline. Items are samples (frames × channels). Last,
// opening a whole five-minute loop file from memory as a document does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "audiodata/DWOPCompressor.h"
#include "audiodata/DWOPDecompressor.h"
#include "audiodata/OutputBitStream.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "tambor/Media.h"

using namespace NSZubrik;

namespace {

constexpr double kRate = 44100.0;

struct CDrumTrack {
    std::vector<int32_t> left, right;
};

// Two bars of sixteenths repeated for the requested length: a pitch-swept
// kick, a snare of tone and noise, closed and open hats of high-passed noise.
CDrumTrack MakeDrumTrack(int32_t frames, int bits) {
    std::mt19937 random(20261206);
    std::uniform_real_distribution<double> white(-1.0, 1.0);
    std::vector<double> l(static_cast<size_t>(frames)), r(l.size());
    const double stepFrames = kRate * 60.0 / 120.0 / 4.0;
    auto add = [&](int32_t start, int32_t length, auto&& voice, double gl, double gr) {
        for (int32_t i = 0; i < length && start + i < frames; ++i) {
            const double v = voice(i / kRate);
            l[static_cast<size_t>(start + i)] += v * gl;
            r[static_cast<size_t>(start + i)] += v * gr;
        }
    };
    for (int step = 0; step * stepFrames < frames; ++step) {
        const int32_t start = static_cast<int32_t>(std::lround(step * stepFrames));
        const int s = step % 32;
        if (s == 0 || s == 6 || s == 8 || s == 16 || s == 22 || s == 24 || s == 27) {
            double phase = 0.0;
            add(start, static_cast<int32_t>(kRate * 0.45), [&](double t) {
                phase += 2.0 * M_PI * (48.0 + 110.0 * std::exp(-t * 28.0)) / kRate;
                return (std::sin(phase) * std::exp(-t * 9.0) + 0.5 * std::exp(-t * 900.0)) * 0.95;
            }, 1.0, 1.0);
        }
        if (s % 8 == 4) {
            double lp = 0.0;
            add(start, static_cast<int32_t>(kRate * 0.3), [&](double t) {
                const double w = white(random);
                lp += 0.55 * (w - lp);
                return (0.55 * std::sin(2.0 * M_PI * 185.0 * t) * std::exp(-t * 30.0) +
                        0.75 * (w - lp) * std::exp(-t * 16.0)) * 0.8;
            }, 0.9, 1.0);
        }
        if (s % 2 == 0 || s == 14 || s == 30) {
            const bool open = s == 14 || s == 30;
            const double accent = s % 4 == 2 ? 1.0 : 0.7;
            double prev = 0.0;
            add(start, static_cast<int32_t>(kRate * (open ? 0.35 : 0.08)), [&](double t) {
                const double w = white(random);
                const double hp = w - prev;
                prev = w;
                return hp * std::exp(-t * (open ? 14.0 : 60.0)) * 0.28;
            }, 0.8 * accent, accent);
        }
    }
    double peak = 1e-9;
    for (size_t i = 0; i < l.size(); ++i) peak = std::max({peak, std::abs(l[i]), std::abs(r[i])});
    const double scale = 0.89 / peak * (bits == 24 ? 8388607.0 : 32767.0);
    CDrumTrack track;
    for (size_t i = 0; i < l.size(); ++i) {
        track.left.push_back(static_cast<int32_t>(std::lround(l[i] * scale)));
        track.right.push_back(static_cast<int32_t>(std::lround(r[i] * scale)));
    }
    return track;
}

struct CEncoded {
    std::vector<uint32_t> words; // native order
    size_t bytes;
};

void EncodeTrack(const CDrumTrack& track, int bits, NSTambor::CMemoryMedia& media) {
    media.SetPosition(0);
    COutputBitStream stream(media);
    CDWOPCompressor encoder(stream, 2);
    const int32_t frames = static_cast<int32_t>(track.left.size());
    std::vector<int16_t> l16(1000), r16(1000);
    for (int32_t done = 0; done < frames; done += 1000) {
        const int32_t n = std::min<int32_t>(1000, frames - done);
        if (bits == 24) {
            encoder.Encode24(n, track.left.data() + done, track.right.data() + done);
        } else {
            for (int32_t i = 0; i < n; ++i) {
                l16[static_cast<size_t>(i)] = static_cast<int16_t>(track.left[static_cast<size_t>(done + i)]);
                r16[static_cast<size_t>(i)] = static_cast<int16_t>(track.right[static_cast<size_t>(done + i)]);
            }
            encoder.Encode16(n, l16.data(), r16.data());
        }
    }
    stream.Flush();
}

CEncoded Encoded(const CDrumTrack& track, int bits) {
    NSTambor::CMemoryMedia media(1 << 20);
    EncodeTrack(track, bits, media);
    CEncoded e;
    e.bytes = static_cast<size_t>(media.GetSize());
    const uint8_t* b = media.GetBuffer();
    for (size_t i = 0; i < e.bytes; i += 4)
        e.words.push_back((uint32_t{b[i]} << 24) | (uint32_t{b[i + 1]} << 16) |
                          (uint32_t{b[i + 2]} << 8) | b[i + 3]);
    return e;
}

// Decodes a whole stereo stream in runs of 4096 frames, as the loop file
// reader does, into one run's worth of output.
void DecodeAllFrames(COptimizedDWOPDecompressor& decoder, int32_t frames, int bits,
                     std::vector<int16_t>& out16, std::vector<int32_t>& out32) {
    for (int32_t done = 0; done < frames; done += 4096) {
        const int32_t n = std::min<int32_t>(4096, frames - done);
        if (bits == 24)
            decoder.Decode24(n, out32.data());
        else
            decoder.Decode16(n, out16.data());
    }
}

int32_t Frames(const benchmark::State& state) { return static_cast<int32_t>(state.range(1)); }

void BM_Encode(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const CDrumTrack track = MakeDrumTrack(Frames(state), bits);
    NSTambor::CMemoryMedia media(Frames(state) * 8 + 4096);
    for (auto _ : state) {
        EncodeTrack(track, bits, media);
        benchmark::DoNotOptimize(media.GetBuffer());
    }
    const double raw = 2.0 * Frames(state) * (bits == 24 ? 4 : 2);
    state.counters["ratio"] = raw / media.GetSize();
    state.SetItemsProcessed(state.iterations() * 2 * Frames(state));
}

void BM_Decode(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const CDrumTrack track = MakeDrumTrack(Frames(state), bits);
    const CEncoded encoded = Encoded(track, bits);
    std::vector<int16_t> out16(2 * 4096);
    std::vector<int32_t> out32(2 * 4096);
    for (auto _ : state) {
        COptimizedDWOPDecompressor decoder(2);
        decoder.SetInput(static_cast<uint32_t>(encoded.words.size()), encoded.words.data());
        DecodeAllFrames(decoder, Frames(state), bits, out16, out32);
        benchmark::DoNotOptimize(out16.data());
        benchmark::DoNotOptimize(out32.data());
    }
    const double raw = 2.0 * Frames(state) * (bits == 24 ? 4 : 2);
    state.counters["ratio"] = raw / static_cast<double>(encoded.bytes);
    state.SetItemsProcessed(state.iterations() * 2 * Frames(state));
}

// The encoder's portable form, which processors without AVX2 and BMI2 run:
// the baseline of the fast form that BM_Encode measures.
void BM_EncodePortable(benchmark::State& state) {
    CDWOPCompressor::AllowVectorLoop(false);
    BM_Encode(state);
    CDWOPCompressor::AllowVectorLoop(true);
}

// The decoder's portable loop, which processors without AVX2, BMI2 and
// LZCNT run: the baseline of the fast loop that BM_Decode measures.
void BM_DecodePortable(benchmark::State& state) {
    COptimizedDWOPDecompressor::AllowVectorLoop(false);
    BM_Decode(state);
    COptimizedDWOPDecompressor::AllowVectorLoop(true);
}

// The media decoder, as the loop file reader uses it: big-endian words in
// 64 KB refills.
void BM_DecodeFromMedia(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const CDrumTrack track = MakeDrumTrack(Frames(state), bits);
    NSTambor::CMemoryMedia media(1 << 20);
    EncodeTrack(track, bits, media);
    std::vector<int32_t> out32(2 * 4096);
    std::vector<int16_t> out16(2 * 4096);
    for (auto _ : state) {
        media.SetPosition(0);
        COptimizedDWOPDecompressorFromMedia decoder(media, 2);
        DecodeAllFrames(decoder, Frames(state), bits, out16, out32);
        benchmark::DoNotOptimize(out32.data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * Frames(state));
}

void BM_MemcpyBaseline(benchmark::State& state) {
    const int bits = static_cast<int>(state.range(0));
    const size_t bytes = static_cast<size_t>(Frames(state)) * 2 * (bits == 24 ? 4 : 2);
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * Frames(state));
}

// The demo loop (two bars, 176400 frames) and a one-minute drum track.
#define CODEC_ARGS ->Args({16, 176400})->Args({24, 176400})->Args({16, 2646000})->Args({24, 2646000})->Unit(benchmark::kMillisecond)

} // namespace

// A five-minute 24-bit stereo drum track with a slice on every sixteenth,
// saved into memory once; each iteration opens it as a document does: the
// file information, the audio (decoded in 4096-frame blocks into the wave),
// the preview and the slices.
void BM_OpenLoopFile(benchmark::State& state) {
    const int32_t frames = static_cast<int32_t>(kRate * 300.0);
    std::vector<uint8_t> bytes;
    {
        const CDrumTrack track = MakeDrumTrack(frames, 24);
        auto wave = CreateWaveSample(static_cast<int32_t>(kRate), frames, true, 24);
        wave->SetInt24s(0, frames, track.left.data(), 1);
        wave->SetInt24s(0, frames, track.right.data(), 2);
        CSliceSequence slices(*wave);
        const double stepFrames = kRate * 60.0 / 120.0 / 4.0;
        for (int step = 0; step * stepFrames < frames; ++step)
            slices.InsertSlice(CSlice(static_cast<int32_t>(std::lround(step * stepFrames)),
                                      static_cast<int16_t>(100 + step % 900)));
        slices.UpdateLengths();
        CZubrikFileSource source;
        source.fWaveSample = wave.get();
        source.fSlices = &slices;
        source.fParameters.fBars = 150; // five minutes of 4/4 at 120 BPM
        NSTambor::CMemoryMedia media(1 << 20);
        WriteZubrikFile(source, media, nullptr, false);
        bytes.assign(media.GetBuffer(), media.GetBuffer() + media.GetSize());
    }
    for (auto _ : state) {
        // Each operation opens the bytes anew, in place, as a file would be.
        CZubrikFile file([&bytes] {
            return std::unique_ptr<NSTambor::CMedia>(new NSTambor::CMemoryMedia(
                bytes.data(), static_cast<int32_t>(bytes.size())));
        });
        auto wave = file.ReadSample(nullptr);
        wave->BuildPreview();
        CSliceSequence slices(*wave);
        file.ReadSlices(slices);
        benchmark::DoNotOptimize(wave.get());
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * 2 * int64_t{frames});
}

BENCHMARK(BM_MemcpyBaseline) CODEC_ARGS;
BENCHMARK(BM_Encode) CODEC_ARGS;
BENCHMARK(BM_Decode) CODEC_ARGS;
BENCHMARK(BM_EncodePortable)->Args({16, 2646000})->Args({24, 2646000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePortable)->Args({16, 2646000})->Args({24, 2646000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeFromMedia) CODEC_ARGS;
BENCHMARK(BM_OpenLoopFile)->Unit(benchmark::kMillisecond);
