// Wave sample conversions: block reads and writes of the int16, int24 and
// float views on both storage classes, against a plain per-frame loop of the
// single-frame operations (one virtual call per frame) on the same data.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "audiodata/WaveSample.h"

using namespace NSZubrik;

namespace {

constexpr int32_t kFrames = 1 << 20;
constexpr int32_t kBlock = 4096;

enum EView { kInt16, kInt24, kFloat };

std::unique_ptr<CABCWaveSample> MakeSample(int32_t depth) {
    auto sample = CreateWaveSample(44100, kFrames, false, depth);
    std::mt19937 random(42);
    std::uniform_int_distribution<int32_t> value(-8388608, 8388607);
    std::vector<int32_t> block(kBlock);
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        for (int32_t& v : block)
            v = value(random);
        sample->SetInt24s(start, kBlock, block.data(), 1);
    }
    return sample;
}

struct SBuffers {
    std::vector<int16_t> fInt16 = std::vector<int16_t>(kBlock, 1234);
    std::vector<int32_t> fInt24 = std::vector<int32_t>(kBlock, -123456);
    std::vector<float> fFloat = std::vector<float>(kBlock, 0.3f);
};

void ReadBlocks(CABCWaveSample& sample, EView view, SBuffers& b) {
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        switch (view) {
        case kInt16: sample.GetInt16s(start, kBlock, b.fInt16.data(), 1); break;
        case kInt24: sample.GetInt24s(start, kBlock, b.fInt24.data(), 1); break;
        case kFloat: sample.GetFloats(start, kBlock, b.fFloat.data(), 1); break;
        }
        benchmark::ClobberMemory();
    }
}

void ReadFrames(CABCWaveSample& sample, EView view, SBuffers& b) {
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        for (int32_t i = 0; i < kBlock; ++i) {
            switch (view) {
            case kInt16: b.fInt16[i] = sample.GetInt16(start + i, 1); break;
            case kInt24: b.fInt24[i] = sample.GetInt24(start + i, 1); break;
            case kFloat: b.fFloat[i] = static_cast<float>(sample.GetFloat(start + i, 1)); break;
            }
        }
        benchmark::ClobberMemory();
    }
}

void WriteBlocks(CABCWaveSample& sample, EView view, SBuffers& b) {
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        switch (view) {
        case kInt16: sample.SetInt16s(start, kBlock, b.fInt16.data(), 1); break;
        case kInt24: sample.SetInt24s(start, kBlock, b.fInt24.data(), 1); break;
        case kFloat: sample.SetFloats(start, kBlock, b.fFloat.data(), 1); break;
        }
        benchmark::ClobberMemory();
    }
}

void WriteFrames(CABCWaveSample& sample, EView view, SBuffers& b) {
    for (int32_t start = 0; start < kFrames; start += kBlock) {
        for (int32_t i = 0; i < kBlock; ++i) {
            switch (view) {
            case kInt16: sample.SetInt16(start + i, b.fInt16[i], 1); break;
            case kInt24: sample.SetInt24(start + i, b.fInt24[i], 1); break;
            case kFloat: sample.SetFloat(start + i, b.fFloat[i], 1); break;
            }
        }
        benchmark::ClobberMemory();
    }
}

template <void (*kPass)(CABCWaveSample&, EView, SBuffers&)>
void Run(benchmark::State& state) {
    auto sample = MakeSample(static_cast<int32_t>(state.range(0)));
    const auto view = static_cast<EView>(state.range(1));
    SBuffers buffers;
    for (auto _ : state)
        kPass(*sample, view, buffers);
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void Views(benchmark::internal::Benchmark* b) {
    b->ArgNames({"depth", "view"});
    for (int64_t depth : {16, 24})
        for (int64_t view : {kInt16, kInt24, kFloat})
            b->Args({depth, view});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

// view: 0 int16, 1 int24, 2 float. Items are frames.
BENCHMARK(Run<ReadBlocks>)->Name("Read/Block")->Apply(Views);
BENCHMARK(Run<ReadFrames>)->Name("Read/PerFrame")->Apply(Views);
BENCHMARK(Run<WriteBlocks>)->Name("Write/Block")->Apply(Views);
BENCHMARK(Run<WriteFrames>)->Name("Write/PerFrame")->Apply(Views);
