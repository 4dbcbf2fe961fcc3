#include "document/Change.h"

#include <exception>
#include <utility>

#include "app/ZubrikErrors.h"

namespace NSUndoPackage {

CABCChange::~CABCChange() = default;

CChangeList::CChangeList() : fUncaughtAtConstruction(std::uncaught_exceptions()) {}

CChangeList::~CChangeList() noexcept(false) {
    if (fChanges.empty())
        return;
    try {
        Rollback();
    } catch (const XRollbackFailed&) {
        if (std::uncaught_exceptions() <= fUncaughtAtConstruction)
            throw;
    }
}

void CChangeList::Add(TChangeRef change) {
    // Room first: once Do has run, keeping the record must not fail, or an
    // applied record would escape the rollback.
    fChanges.reserve(fChanges.size() + 1);
    change->Do();
    fChanges.push_back(std::move(change));
}

void CChangeList::Rollback() {
    bool failed = false;
    while (!fChanges.empty()) {
        TChangeRef change = std::move(fChanges.back());
        fChanges.pop_back();
        try {
            change->Undo();
        } catch (...) {
            failed = true;
        }
    }
    if (failed)
        throw XRollbackFailed();
}

} // namespace NSUndoPackage
