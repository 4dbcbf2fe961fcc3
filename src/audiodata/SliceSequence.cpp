#include "audiodata/SliceSequence.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "audiodata/WaveSample.h"

namespace NSZubrik {

namespace {

bool PositionBefore(const CSlice& slice, int32_t position) {
    return slice.GetPosition() < position;
}

int64_t Distance(const CSlice& slice, int32_t position) {
    return std::llabs(int64_t{slice.GetPosition()} - position);
}

// Of two candidates around a position, the nearer; the earlier on a tie.
template <typename TSlice>
TSlice* Nearer(TSlice* earlier, TSlice* later, int32_t position) {
    if (!earlier)
        return later;
    if (!later)
        return earlier;
    return Distance(*later, position) < Distance(*earlier, position) ? later : earlier;
}

} // namespace

CSliceSequence::CSliceSequence(const CABCWaveSample& waveSample) : fWaveSample(&waveSample) {}

CSliceSequence::~CSliceSequence() = default;

void CSliceSequence::InsertSlice(const CSlice& slice) {
    const int32_t position = slice.GetPosition();
    if (position < 0 || position >= fWaveSample->GetFrameCount())
        return;
    // Slices mostly arrive in order (analysis, loaders), so the tail is
    // looked at first.
    if (fSlices.empty() || fSlices.back().GetPosition() < position) {
        fSlices.push_back(slice);
        return;
    }
    auto at = std::lower_bound(fSlices.begin(), fSlices.end(), position, PositionBefore);
    if (at->GetPosition() != position) {
        fSlices.insert(at, slice);
        return;
    }
    CSlice& existing = *at;
    existing.SetStrength(std::max(existing.GetStrength(), slice.GetStrength()));
    if (slice.IsLocked())
        existing.SetState(CSlice::kLocked);
    else if (slice.IsNormal() && existing.IsMuted())
        existing.SetState(CSlice::kNormal);
}

void CSliceSequence::RemoveSliceAt(int32_t position) {
    auto at = std::lower_bound(fSlices.begin(), fSlices.end(), position, PositionBefore);
    if (at != fSlices.end())
        fSlices.erase(at);
}

void CSliceSequence::RemoveSlice(int32_t index) {
    fSlices.erase(fSlices.begin() + index);
}

const CSlice* CSliceSequence::FindSliceAt(int32_t position) const {
    auto at = std::lower_bound(fSlices.begin(), fSlices.end(), position, PositionBefore);
    return (at != fSlices.end() && at->GetPosition() == position) ? &*at : nullptr;
}

CSlice* CSliceSequence::FindSliceAt(int32_t position) {
    return const_cast<CSlice*>(std::as_const(*this).FindSliceAt(position));
}

const CSlice* CSliceSequence::FindNearestSlice(int32_t position) const {
    auto at = std::lower_bound(fSlices.begin(), fSlices.end(), position, PositionBefore);
    const CSlice* later = at != fSlices.end() ? &*at : nullptr;
    const CSlice* earlier = at != fSlices.begin() ? &*(at - 1) : nullptr;
    return Nearer(earlier, later, position);
}

CSlice* CSliceSequence::FindNearestSlice(int32_t position) {
    return const_cast<CSlice*>(std::as_const(*this).FindNearestSlice(position));
}

const CSlice* CSliceSequence::FindNearestActiveSlice(int32_t position) const {
    auto at = std::lower_bound(fSlices.begin(), fSlices.end(), position, PositionBefore);
    const CSlice* later = nullptr;
    for (auto it = at; it != fSlices.end() && !later; ++it)
        if (IsActive(*it))
            later = &*it;
    const CSlice* earlier = nullptr;
    for (auto it = at; it != fSlices.begin() && !earlier;) {
        --it;
        if (IsActive(*it))
            earlier = &*it;
    }
    return Nearer(earlier, later, position);
}

CSlice* CSliceSequence::FindNearestActiveSlice(int32_t position) {
    return const_cast<CSlice*>(std::as_const(*this).FindNearestActiveSlice(position));
}

int32_t CSliceSequence::SnapToActiveSlice(int32_t position, int32_t endFrame) const {
    auto isActive = [this](const CSlice& slice) { return IsActive(slice); };
    auto first = std::find_if(fSlices.begin(), fSlices.end(), isActive);
    if (first == fSlices.end())
        return position;
    if (position < first->GetPosition() / 2)
        return 0;
    const CSlice& last = *std::find_if(fSlices.rbegin(), fSlices.rend(), isActive);
    if (position > last.GetPosition() + (endFrame - last.GetPosition()) / 2)
        return endFrame;
    return FindNearestActiveSlice(position)->GetPosition();
}

bool CSliceSequence::GetLeadingOffset(int32_t& offset) const {
    offset = 0;
    if (fSlices.empty())
        return false;
    const int32_t first = fSlices.front().GetPosition();
    if (first < 1 || first > 3999)
        return false;
    offset = first;
    return true;
}

void CSliceSequence::EnsureStartSlice(bool dropFirst) {
    if (dropFirst && !fSlices.empty())
        fSlices.erase(fSlices.begin());
    // Added directly rather than through InsertSlice so that even a sound
    // without frames has its one slice.
    if (fSlices.empty())
        fSlices.emplace_back(0, kStartSliceStrength, CSlice::kNormal);
}

bool CSliceSequence::IsActive(const CSlice& slice) const {
    return slice.IsLocked() || (slice.IsNormal() && slice.GetStrength() > fThreshold);
}

bool CSliceSequence::IsShown(const CSlice& slice) const {
    return slice.IsLocked() || ((slice.IsNormal() || slice.IsMuted()) && slice.GetStrength() > fThreshold);
}

int32_t CSliceSequence::CountActiveSlices() const {
    return static_cast<int32_t>(
        std::count_if(fSlices.begin(), fSlices.end(), [this](const CSlice& slice) { return IsActive(slice); }));
}

} // namespace NSZubrik
