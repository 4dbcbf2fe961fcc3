// A document's undo history: named steps of change records, of which the
// oldest are dropped beyond a limit.
//
// Positions are absolute: they count every step ever committed, including
// those since dropped from the front, so that a position remembered at a
// save can still be compared with the current one after steps have gone.
// Steps base ... position - 1 can be undone, steps position ... base +
// step count - 1 redone.
//
// Consecutive commits with the same merge key form one step, so that a
// gesture made of many small changes (dragging a fader, moving a slice)
// undoes in one go. Every undo or redo clears the key: a commit after an
// undo always starts a new step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/Change.h"

namespace NSUndoPackage {

class CUndoStep {
public:
    CUndoStep(std::u16string name, TChanges changes) : fName(std::move(name)), fChanges(std::move(changes)) {}

    const std::u16string& GetName() const { return fName; }
    // In the order they were applied.
    const TChanges& GetChanges() const { return fChanges; }

private:
    std::u16string fName;
    TChanges fChanges;
};

class CUndoHistory {
public:
    static constexpr int32_t kDocumentLimit = 10;

    // limit: the most steps kept (at least one).
    explicit CUndoHistory(int32_t limit = kDocumentLimit);

    // Makes the list's records one step named name, or adds them to the last
    // step (renamed to name) when mergeKey equals the key of the previous
    // commit. An empty mergeKey stands for name. Redo steps are dropped.
    // Nothing happens for an empty list (false); otherwise the list is left
    // empty (true). On failure the history and the list are as they were.
    bool Commit(CChangeList& list, const std::u16string& name, const std::u16string& mergeKey = {});

    // Undo or redo whole steps until the position is target. A failure
    // rolls back what was already undone or redone and leaves the history
    // unchanged. A target outside base ... base + step count is
    // XIllegalCallSequence.
    void MoveTo(int32_t target);
    void Undo() { MoveTo(fPosition - 1); }
    void Redo() { MoveTo(fPosition + 1); }

    bool CanUndo() const { return fBase < fPosition; }
    bool CanRedo() const { return fPosition < GetEnd(); }
    // The names of the steps the next Undo and Redo would apply; empty when
    // there is none.
    std::u16string GetUndoName() const;
    std::u16string GetRedoName() const;

    int32_t GetPosition() const { return fPosition; }
    int32_t GetBase() const { return fBase; }
    int32_t GetLimit() const { return fLimit; }
    int32_t GetStepCount() const { return static_cast<int32_t>(fSteps.size()); }
    const std::u16string& GetMergeKey() const { return fMergeKey; }

    // Ends the current run of merging commits; the next commit starts a new
    // step whatever its key (called after a save).
    void ForgetMergeKey() { fMergeKey.clear(); }

private:
    using TStepRef = std::shared_ptr<const CUndoStep>;

    int32_t GetEnd() const { return fBase + GetStepCount(); }
    const CUndoStep& StepAt(int32_t position) const { return *fSteps[static_cast<size_t>(position - fBase)]; }
    void Append(const CChangeList& list, const std::u16string& name);

    std::vector<TStepRef> fSteps; // oldest first
    std::u16string fMergeKey;
    int32_t fBase = 0;
    int32_t fPosition = 0;
    int32_t fLimit;
};

} // namespace NSUndoPackage
