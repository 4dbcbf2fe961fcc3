// Throughput of the byte-order helpers over a large memory media: the path
// every chunk record and the codec's bit stream take.
#include "tambor/Media.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace NSTambor;

namespace {

constexpr int32_t kBytes = 4 << 20;

COwnedMemoryMedia& Source()
{
    static COwnedMemoryMedia media = [] {
        std::vector<uint8_t> bytes(kBytes);
        std::mt19937 random(12345);
        for (uint8_t& byte : bytes)
            byte = static_cast<uint8_t>(random());
        return COwnedMemoryMedia(kBytes, bytes.data());
    }();
    return media;
}

void ReadU32BEs(benchmark::State& state)
{
    CMedia& media = Source();
    for (auto _ : state) {
        media.SetPosition(0);
        uint32_t sum = 0;
        for (int32_t i = 0; i < kBytes / 4; ++i)
            sum += ReadU32BE(media);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void ReadU16LEs(benchmark::State& state)
{
    CMedia& media = Source();
    for (auto _ : state) {
        media.SetPosition(0);
        uint32_t sum = 0;
        for (int32_t i = 0; i < kBytes / 2; ++i)
            sum += ReadU16LE(media);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

void ReadBlocks(benchmark::State& state)
{
    CMedia& media = Source();
    const int32_t block = static_cast<int32_t>(state.range(0));
    std::vector<uint8_t> buffer(static_cast<size_t>(block));
    for (auto _ : state) {
        media.SetPosition(0);
        for (int32_t done = 0; done + block <= kBytes; done += block)
            ReadBytes(media, block, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (kBytes / block) * block);
}

void WriteU32BEs(benchmark::State& state)
{
    for (auto _ : state) {
        COwnedMemoryMedia media(static_cast<int32_t>(state.range(0)));
        for (int32_t i = 0; i < kBytes / 4; ++i)
            WriteU32BE(media, static_cast<uint32_t>(i));
        benchmark::DoNotOptimize(media.GetBuffer());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

} // namespace

BENCHMARK(ReadU32BEs)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadU16LEs)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBlocks)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteU32BEs)->Arg(1024)->Arg(kBytes)->Unit(benchmark::kMillisecond);
