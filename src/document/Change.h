// Change records and the transaction that applies them.
//
// Every edit of a document is a record that can apply its new state (Do)
// and its old one (Undo). A command applies its records the moment it builds
// them by adding them to a change list; the list then either hands them to
// the undo history as one step or, if the command ends without doing so,
// rolls them back so that the document is left as the command found it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace NSUndoPackage {

class CABCChange {
public:
    virtual ~CABCChange();
    // Applies the new state.
    virtual void Do() = 0;
    // Applies the old state.
    virtual void Undo() = 0;

protected:
    CABCChange() = default;
    CABCChange(const CABCChange&) = default;
    CABCChange& operator=(const CABCChange&) = default;
};

// Records are shared: a list, the undo steps built from it and the lists
// collected for an undo or redo may all refer to the same record.
using TChangeRef = std::shared_ptr<CABCChange>;
using TChanges = std::vector<TChangeRef>;

// The records of one command, in the order they were applied.
class CChangeList {
public:
    CChangeList();
    // Rolls back the records still held (see Rollback). A failed rollback is
    // reported with XRollbackFailed, except while another exception is
    // already leaving the scope of the list: that one keeps travelling.
    ~CChangeList() noexcept(false);
    CChangeList(const CChangeList&) = delete;
    CChangeList& operator=(const CChangeList&) = delete;

    // Applies the record and keeps it. A record whose Do throws is not kept
    // and the exception passes on; the records added before stay applied.
    void Add(TChangeRef change);

    // Undoes the held records from the last to the first, each taken out of
    // the list before its Undo runs. Every record is tried; if any Undo
    // threw, XRollbackFailed is thrown once all have been tried.
    void Rollback();

    // Forgets the records without undoing them: they stay applied.
    void ReleaseWithoutUndo() { fChanges.clear(); }

    bool IsEmpty() const { return fChanges.empty(); }
    int32_t GetCount() const { return static_cast<int32_t>(fChanges.size()); }
    const TChanges& GetChanges() const { return fChanges; }

private:
    TChanges fChanges;
    // Exceptions in flight when the list was made; more at destruction means
    // the list is being destroyed by one, and must not throw another.
    int fUncaughtAtConstruction;
};

} // namespace NSUndoPackage
