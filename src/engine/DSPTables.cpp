#include "engine/DSPTables.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace NSZubrik {

namespace {

struct SSharedTables {
    int32_t fPitch[CDSPTables::kPitchTableSize];
    float fKernel[CDSPTables::kKernelSize];

    SSharedTables() {
        BuildPitchTable();
        BuildKernel();
    }

    // Cents to a step in 1/16384 frame: 2^((i - 12900) / 1200) * 16384,
    // formed as a power of the one-cent ratio so that every entry is
    // computed the same way.
    void BuildPitchTable() {
        const double cent = std::pow(2.0, 1.0 / 1200.0);
        const double scale =
            16384.0 / std::pow(cent, static_cast<double>(CDSPTables::kPitchUnityIndex));
        for (int i = 0; i < CDSPTables::kPitchTableSize; ++i) {
            fPitch[i] = static_cast<int32_t>(
                std::pow(cent, static_cast<double>(i)) * scale + 0.5);
        }
    }

    // Hamming-windowed sinc over 1536 points centred on 768, zero crossings
    // every 256 points; then each phase's six taps are nudged to sum to 1 so
    // that a constant signal passes at unity gain whatever the phase.
    void BuildKernel() {
        constexpr int kCentre = CDSPTables::kKernelSize / 2;
        const double pi = std::numbers::pi;
        fKernel[0] = 0.0f;
        fKernel[kCentre] = 1.0f;
        for (int j = 1; j < kCentre; ++j) {
            const double x = j * pi / 256.0;
            const double w = 0.54 - 0.46 * std::cos(pi + j * 2.0 * pi / 1536.0);
            const auto value = static_cast<float>(std::sin(x) / x * w);
            fKernel[kCentre + j] = value;
            fKernel[kCentre - j] = value;
        }
        for (int phase = 0; phase < CDSPTables::kKernelPhases; ++phase) {
            double sum = 0.0;
            for (int m = 0; m < CDSPTables::kKernelTaps; ++m) {
                sum += fKernel[phase + 256 * m];
            }
            const double correction = (1.0 - sum) / CDSPTables::kKernelTaps;
            for (int m = 0; m < CDSPTables::kKernelTaps; ++m) {
                float& tap = fKernel[phase + 256 * m];
                tap = static_cast<float>(tap + correction);
            }
        }
    }
};

const SSharedTables& SharedTables() {
    static const auto* const tables = new SSharedTables;  // lives to exit
    return *tables;
}

struct SCacheEntry {
    std::unique_ptr<CDSPTables> fTables;
    int32_t fReferences;
};

std::vector<SCacheEntry>& CacheEntries() {
    static std::vector<SCacheEntry> entries;
    return entries;
}

SCacheEntry* FindEntry(int32_t sampleRate) {
    for (SCacheEntry& entry : CacheEntries()) {
        if (entry.fTables->GetSampleRate() == sampleRate) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

CDSPTables::CDSPTables(int32_t sampleRate) : fSampleRate(sampleRate) {
    SharedTables();
    // The length of one 64-frame render block in milliseconds.
    const double blockMs = 1000.0 / (static_cast<double>(sampleRate) * 0.015625);
    for (int i = 0; i < kTimeTableSize; ++i) {
        const double ms = std::pow(1.1, i * 0.0009765625 * 100.0) * 4.0 - 3.9;
        const double increment = 1.0 / (ms / blockMs);
        fMilliseconds[i] = static_cast<float>(ms);
        fIncrements[i] = static_cast<float>(increment);
        fMultipliers[i] = static_cast<float>(std::pow(0.25, increment));
    }
    fMultipliers[kNoReleaseIndex] = 1.0f;
}

const int32_t* CDSPTables::PitchTable() {
    return SharedTables().fPitch;
}

const float* CDSPTables::Kernel() {
    return SharedTables().fKernel;
}

const CDSPTables& CDSPTablesCache::Acquire(int32_t sampleRate) {
    if (SCacheEntry* entry = FindEntry(sampleRate)) {
        ++entry->fReferences;
        return *entry->fTables;
    }
    auto tables = std::make_unique<CDSPTables>(sampleRate);
    CacheEntries().push_back(SCacheEntry{std::move(tables), 1});
    return *CacheEntries().back().fTables;
}

void CDSPTablesCache::Release(int32_t sampleRate) {
    auto& entries = CacheEntries();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->fTables->GetSampleRate() == sampleRate) {
            if (--it->fReferences <= 0) {
                entries.erase(it);
            }
            return;
        }
    }
}

const CDSPTables* CDSPTablesCache::Find(int32_t sampleRate) {
    const SCacheEntry* entry = FindEntry(sampleRate);
    return entry != nullptr ? entry->fTables.get() : nullptr;
}

int32_t CDSPTablesCache::ReferenceCount(int32_t sampleRate) {
    const SCacheEntry* entry = FindEntry(sampleRate);
    return entry != nullptr ? entry->fReferences : 0;
}

} // namespace NSZubrik
