#include "document/UndoHistory.h"

#include <algorithm>
#include <utility>

#include "app/ZubrikErrors.h"

namespace NSUndoPackage {

namespace {

// A record seen from the other side: doing it undoes the record. Undoing
// steps goes through a change list of these, so that a failure part way
// rolls back (re-does) what had been undone, just as a failed redo rolls
// back what had been redone.
class CInverseChange final : public CABCChange {
public:
    explicit CInverseChange(TChangeRef change) : fChange(std::move(change)) {}
    void Do() override { fChange->Undo(); }
    void Undo() override { fChange->Do(); }

private:
    TChangeRef fChange;
};

} // namespace

CUndoHistory::CUndoHistory(int32_t limit) : fLimit(std::max(limit, 1)) {}

bool CUndoHistory::Commit(CChangeList& list, const std::u16string& name, const std::u16string& mergeKey) {
    if (list.IsEmpty())
        return false;
    const std::u16string& key = mergeKey.empty() ? name : mergeKey;

    // Built on a copy that replaces the history only once complete, so that
    // a failure (of memory) leaves both the history and the list as they
    // were; the list then rolls its records back.
    CUndoHistory copy(*this);
    copy.fSteps.erase(copy.fSteps.begin() + (fPosition - fBase), copy.fSteps.end());
    const bool merge = !fMergeKey.empty() && key == fMergeKey && copy.CanUndo();
    if (merge) {
        TChanges changes = copy.fSteps.back()->GetChanges();
        changes.insert(changes.end(), list.GetChanges().begin(), list.GetChanges().end());
        copy.fSteps.back() = std::make_shared<const CUndoStep>(name, std::move(changes));
    } else {
        copy.Append(list, name);
    }
    copy.fMergeKey = key;

    *this = std::move(copy);
    list.ReleaseWithoutUndo();
    return true;
}

void CUndoHistory::Append(const CChangeList& list, const std::u16string& name) {
    fSteps.push_back(std::make_shared<const CUndoStep>(name, list.GetChanges()));
    ++fPosition;
    const auto excess = static_cast<int32_t>(fSteps.size()) - fLimit;
    if (excess > 0) {
        fSteps.erase(fSteps.begin(), fSteps.begin() + excess);
        fBase += excess;
    }
}

void CUndoHistory::MoveTo(int32_t target) {
    if (target == fPosition)
        return;
    if (target < fBase || target > GetEnd())
        throw NSZubrik::XIllegalCallSequence();

    // Undo runs through the steps newest first and through each step's
    // records last to first; redo runs the other way round. Each record goes
    // through a change list as it is applied, so that a failure rolls back
    // the records already applied and the document is left as it was.
    CChangeList applied;
    try {
        if (target < fPosition) {
            for (int32_t position = fPosition - 1; position >= target; --position) {
                const TChanges& changes = StepAt(position).GetChanges();
                for (auto change = changes.rbegin(); change != changes.rend(); ++change)
                    applied.Add(std::make_shared<CInverseChange>(*change));
            }
        } else {
            for (int32_t position = fPosition; position < target; ++position)
                for (const TChangeRef& change : StepAt(position).GetChanges())
                    applied.Add(change);
        }
    } catch (...) {
        // A failed rollback replaces the original failure.
        applied.Rollback();
        throw;
    }
    applied.ReleaseWithoutUndo();
    fPosition = target;
    fMergeKey.clear();
}

std::u16string CUndoHistory::GetUndoName() const {
    return CanUndo() ? StepAt(fPosition - 1).GetName() : std::u16string();
}

std::u16string CUndoHistory::GetRedoName() const {
    return CanRedo() ? StepAt(fPosition).GetName() : std::u16string();
}

} // namespace NSUndoPackage
