// The slice commands: each works on a copy of the slice sequence and commits
// the copy as one slice-sequence change, or does nothing when the copy would
// not differ.
#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/DocumentChanges.h"
#include "document/SliceGrid.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

// Sets the selection of every shown slice that passes the filter; answers
// whether any changed.
template <typename TFilter, typename TSelection>
bool SelectShown(CSliceSequence& slices, TFilter filter, TSelection selection)
{
    bool changed = false;
    for (CSlice& slice : slices) {
        if (!slices.IsShown(slice) || !filter(slice))
            continue;
        const bool selected = selection(slice);
        if (selected != slice.IsSelected()) {
            slice.SetSelected(selected);
            changed = true;
        }
    }
    return changed;
}

const auto kEverySlice = [](const CSlice&) { return true; };

} // namespace

std::unique_ptr<CSliceSequence> CZubrikDocument::CopyOfSlices() const
{
    return std::make_unique<CSliceSequence>(*fSlices);
}

void CZubrikDocument::CommitSlices(std::unique_ptr<CSliceSequence> next, int32_t nameEntry,
                                   const std::u16string& mergeKey)
{
    Commit(std::make_shared<CSliceSequenceChange>(*this, std::move(next)), nameEntry, mergeKey);
}

void CZubrikDocument::SelectSlice(int32_t position, bool addToSelection, const std::u16string& mergeKey)
{
    const CSlice* slice = fSlices->FindSliceAt(position);
    if (slice == nullptr || slice->IsSelected())
        return;
    auto copy = CopyOfSlices();
    if (!addToSelection)
        SelectShown(*copy, kEverySlice, [](const CSlice&) { return false; });
    copy->FindSliceAt(position)->SetSelected(true);
    CommitSlices(std::move(copy), NSStrings::kSelectSlice, mergeKey);
}

void CZubrikDocument::SelectSliceForMove(int32_t position)
{
    SelectSlice(position, false, ProgressText(NSStrings::kMoveSlice));
}

void CZubrikDocument::DeselectSlice(int32_t position)
{
    const CSlice* slice = fSlices->FindSliceAt(position);
    if (slice == nullptr || !slice->IsSelected())
        return;
    auto copy = CopyOfSlices();
    copy->FindSliceAt(position)->SetSelected(false);
    CommitSlices(std::move(copy), NSStrings::kDeselectSlice);
}

void CZubrikDocument::SelectAll()
{
    auto copy = CopyOfSlices();
    if (SelectShown(*copy, kEverySlice, [](const CSlice&) { return true; }))
        CommitSlices(std::move(copy), NSStrings::kSelectAll);
}

void CZubrikDocument::DeselectAll(const std::u16string& mergeKey)
{
    auto copy = CopyOfSlices();
    if (SelectShown(*copy, kEverySlice, [](const CSlice&) { return false; }))
        CommitSlices(std::move(copy), NSStrings::kDeselectAll, mergeKey);
}

void CZubrikDocument::BeginRangeSelection() { DeselectAll(ProgressText(NSStrings::kSelectRange)); }

void CZubrikDocument::SelectRange(int32_t from, int32_t to)
{
    if (to < from)
        std::swap(from, to);
    auto copy = CopyOfSlices();
    const auto inRange = [from, to](const CSlice& s) { return s.GetPosition() >= from && s.GetPosition() < to; };
    if (SelectShown(*copy, inRange, [](const CSlice&) { return true; }))
        CommitSlices(std::move(copy), NSStrings::kSelectRange);
}

void CZubrikDocument::InvertSelection()
{
    auto copy = CopyOfSlices();
    if (SelectShown(*copy, kEverySlice, [](const CSlice& s) { return !s.IsSelected(); }))
        CommitSlices(std::move(copy), NSStrings::kInvertSelection);
}

void CZubrikDocument::MoveSlice(int32_t from, int32_t to)
{
    const CSlice* slice = fSlices->FindSliceAt(from);
    if (slice == nullptr || from == to || to < 0 || to >= fWaveSample->GetFrameCount())
        return;
    CSlice moved = *slice;
    moved.SetPosition(to);
    auto copy = CopyOfSlices();
    copy->RemoveSliceAt(from);
    copy->InsertSlice(moved);
    const bool cursorFollows = fSequencer.GetCursor() == from;
    CommitSlices(std::move(copy), NSStrings::kMoveSlice);
    if (cursorFollows)
        fSequencer.SetCursor(to);
}

void CZubrikDocument::InsertSlice(int32_t position)
{
    if (position < 0 || position >= fWaveSample->GetFrameCount())
        return;
    const CSlice* existing = fSlices->FindSliceAt(position);
    if (existing != nullptr && existing->IsLocked())
        return;
    auto copy = CopyOfSlices();
    if (existing != nullptr) {
        CSlice locked = *existing;
        locked.SetState(CSlice::kLocked);
        copy->RemoveSliceAt(position);
        copy->InsertSlice(locked);
    } else {
        copy->InsertSlice(CSlice(position, CSliceSequence::kStartSliceStrength, CSlice::kLocked));
    }
    CommitSlices(std::move(copy), NSStrings::kInsertSlice);
}

void CZubrikDocument::DeleteSelectedSlices()
{
    if (CountShownSelectedSlices() == 0)
        return;
    auto copy = CopyOfSlices();
    for (int32_t index = copy->GetCount() - 1; index >= 0; --index) {
        const CSlice& slice = copy->GetSlice(index);
        if (slice.IsSelected() && copy->IsShown(slice))
            copy->RemoveSlice(index);
    }
    CommitSlices(std::move(copy), NSStrings::kDeleteSlices);
}

void CZubrikDocument::ToggleSliceState(int32_t position, int32_t state, int32_t nameEntry)
{
    const CSlice* clicked = fSlices->FindSliceAt(position);
    if (clicked == nullptr)
        return;
    auto copy = CopyOfSlices();
    if (clicked->IsSelected()) {
        // The clicked slice decides for the whole selection.
        const bool clear = clicked->GetState() == state;
        for (CSlice& slice : *copy) {
            if (!slice.IsSelected() || !copy->IsShown(slice))
                continue;
            if (clear && slice.GetState() == state)
                slice.SetState(CSlice::kNormal);
            else if (!clear && slice.GetState() != state)
                slice.SetState(state);
        }
    } else {
        SelectShown(*copy, kEverySlice, [](const CSlice&) { return false; });
        CSlice* slice = copy->FindSliceAt(position);
        slice->SetSelected(true);
        slice->SetState(slice->GetState() == state ? CSlice::kNormal : state);
    }
    CommitSlices(std::move(copy), nameEntry);
}

void CZubrikDocument::MuteSlices(int32_t position) { ToggleSliceState(position, CSlice::kMuted, NSStrings::kMuteSlices); }

void CZubrikDocument::LockSlices(int32_t position) { ToggleSliceState(position, CSlice::kLocked, NSStrings::kLockSlices); }

void CZubrikDocument::SetSensitivity(int32_t sensitivity)
{
    if (sensitivity == fSlices->GetSensitivity())
        return;
    auto copy = CopyOfSlices();
    copy->SetSensitivity(sensitivity);
    CommitSlices(std::move(copy), NSStrings::kChangeSensitivity);
}

void CZubrikDocument::SetGateSensitivity(int32_t gateSensitivity)
{
    if (gateSensitivity == fSlices->GetGateSensitivity())
        return;
    auto copy = CopyOfSlices();
    copy->SetGateSensitivity(gateSensitivity);
    CommitSlices(std::move(copy), NSStrings::kChangeGateSensitivity);
}

void CZubrikDocument::ReAnalyze()
{
    auto copy = CopyOfSlices();
    const bool completed = copy->ReAnalyze();
    if (!completed)
        ShowAlert(kAlertTable, NSAlerts::kAnalyzeInterrupted);
    if (copy->GetCount() == fSlices->GetCount()) {
        ShowAlert(kAlertTable, NSAlerts::kNoNewSlices);
        return;
    }
    CommitSlices(std::move(copy), NSStrings::kReAnalyze);
}

void CZubrikDocument::AddSlicesAtGrid()
{
    CLoopGrid grid;
    grid.numerator = fSequencer.GetSignatureNumerator();
    grid.denominator = fSequencer.GetSignatureDenominator();
    grid.bars = GetBars();
    grid.beats = GetBeats();
    grid.leftLocator = GetLeftLocator();
    grid.rightLocator = GetRightLocator();
    if (GetLoopLengthInBeats() <= 0) {
        ShowAlert(kAlertTable, NSAlerts::kNoSlicesAdded);
        return;
    }
    if (CountGridPoints(grid) > kGridQuestionLimit &&
        ShowAlert(kAlertTable, NSAlerts::kManyGridSlices) != kLastButton)
        return;
    auto copy = CopyOfSlices();
    NSZubrik::AddSlicesAtGrid(*copy, grid);
    if (copy->GetCount() == fSlices->GetCount()) {
        ShowAlert(kAlertTable, NSAlerts::kNoSlicesAdded);
        return;
    }
    CommitSlices(std::move(copy), NSStrings::kAddSlicesAtGrid);
}

// ------------------------------------------------------------------ locator shortcuts

namespace {

int32_t LastActiveAtOrBefore(const CSliceSequence& slices, int32_t frame)
{
    int32_t found = 0;
    for (const CSlice& slice : slices)
        if (slice.GetPosition() <= frame && slices.IsActive(slice))
            found = slice.GetPosition();
    return found;
}

int32_t FirstActiveAfter(const CSliceSequence& slices, int32_t frame, int32_t frameCount)
{
    for (const CSlice& slice : slices)
        if (slice.GetPosition() > frame && slices.IsActive(slice))
            return slice.GetPosition();
    return frameCount;
}

} // namespace

void CZubrikDocument::SetLeftLocatorToSlice(int32_t frame) { SetLeftLocator(LastActiveAtOrBefore(*fSlices, frame)); }

void CZubrikDocument::SetRightLocatorToSlice(int32_t frame)
{
    SetRightLocator(FirstActiveAfter(*fSlices, frame, fWaveSample->GetFrameCount()));
}

void CZubrikDocument::SetLoopAroundSlice(int32_t frame)
{
    const int32_t left = LastActiveAtOrBefore(*fSlices, frame);
    const int32_t right = FirstActiveAfter(*fSlices, frame, fWaveSample->GetFrameCount());
    const bool leftChanges = left != GetLeftLocator();
    const bool rightChanges = right != GetRightLocator();
    if (leftChanges && rightChanges)
        SetLoop(left, right);
    else if (leftChanges)
        SetLeftLocator(left);
    else if (rightChanges)
        SetRightLocator(right);
}

// ------------------------------------------------------------------ wave commands

void CZubrikDocument::CommitWaveSample(std::unique_ptr<CABCWaveSample> wave, const std::u16string& name)
{
    Commit(std::make_shared<CWaveSampleChange>(*this, std::move(wave)), name, {});
}

void CZubrikDocument::CommitWaveSampleAndSlices(std::unique_ptr<CABCWaveSample> wave,
                                                std::unique_ptr<CSliceSequence> slices, const std::u16string& name)
{
    Commit(std::make_shared<CWaveSampleAndSliceSequenceChange>(*this, std::move(wave), std::move(slices)), name, {});
}

} // namespace NSZubrik
