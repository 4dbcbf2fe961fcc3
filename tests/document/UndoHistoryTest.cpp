#include "document/UndoHistory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "app/ZubrikErrors.h"

using namespace NSUndoPackage;

// Allocation failure on demand (off while negative), to fail a commit part way.
// The replacements pair malloc with free; GCC cannot see that and warns.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static int gAllocationsUntilFailure = -1;
void* operator new(std::size_t size) {
    void* p = gAllocationsUntilFailure < 0 || gAllocationsUntilFailure-- > 0 ? std::malloc(size ? size : 1) : nullptr;
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Each record sets a whole state, as the document's do, so applying records
// in the wrong order shows in the value; the log shows what ran.
struct Document {
    int value = 0;
    std::string log;
};

struct SetValue : CABCChange {
    SetValue(Document& d, int to, bool failDo = false, bool failUndo = false)
        : doc(d), before(d.value), after(to), failDo(failDo), failUndo(failUndo) {}
    void Do() override { Apply(failDo, after, "d"); }
    void Undo() override { Apply(failUndo, before, "u"); }
    void Apply(bool fail, int value, const char* tag) {
        if (fail) throw std::runtime_error(tag);
        doc.value = value;
        doc.log.append(tag).append(std::to_string(after));
    }
    Document& doc;
    int before, after;
    bool failDo, failUndo;
};

struct UndoHistoryTest : testing::Test {
    Document doc;
    CUndoHistory history;
    void Command(int to, const std::u16string& name, const std::u16string& key = {}, bool failUndo = false) {
        CChangeList list;
        list.Add(std::make_shared<SetValue>(doc, to, false, failUndo));
        history.Commit(list, name, key);
    }
};

TEST_F(UndoHistoryTest, ChangeListRollsBackWhatWasNotCommitted) {
    try {
        CChangeList list;
        list.Add(std::make_shared<SetValue>(doc, 1));
        list.Add(std::make_shared<SetValue>(doc, 2));
        list.Add(std::make_shared<SetValue>(doc, 3, true));
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "d");
    }
    EXPECT_EQ(doc.log, "d1d2u2u1");

    auto failingRollback = [&] {
        CChangeList list;
        list.Add(std::make_shared<SetValue>(doc, 3, false, true));
        list.Add(std::make_shared<SetValue>(doc, 4));
    };
    EXPECT_THROW(failingRollback(), XRollbackFailed);
    EXPECT_EQ(doc.value, 3); // the other record was still undone
}

TEST_F(UndoHistoryTest, LimitDropsOldestAndPositionsStayAbsolute) {
    for (int i = 1; i <= 11; ++i)
        Command(i, u"Step" + std::u16string(1, static_cast<char16_t>(u'@' + i)));
    EXPECT_EQ(history.GetStepCount(), 10);
    EXPECT_EQ(history.GetBase(), 1);
    history.MoveTo(1); // newest first, or the value would not come back to 1
    EXPECT_EQ(doc.value, 1);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.GetRedoName(), u"StepB");
    EXPECT_THROW(history.MoveTo(0), NSZubrik::XIllegalCallSequence);

    CChangeList empty; // nothing changed: no step, redo steps kept
    EXPECT_FALSE(history.Commit(empty, u"Nothing"));
    history.MoveTo(11);
    EXPECT_EQ(doc.value, 11);
}

TEST_F(UndoHistoryTest, MergeKeysJoinConsecutiveCommitsButNotAcrossUndo) {
    Command(7, u"Change Pitch");
    for (int i = 1; i <= 20; ++i)
        Command(100 + i, u"Change Sensitivity");
    EXPECT_EQ(history.GetStepCount(), 2);

    Command(1, u"Select Slice", u"Move Slice");
    Command(2, u"Move Slice");
    EXPECT_EQ(history.GetStepCount(), 3);
    EXPECT_EQ(history.GetUndoName(), u"Move Slice");

    history.Undo();
    EXPECT_EQ(doc.value, 120);
    Command(3, u"Move Slice");
    EXPECT_EQ(history.GetStepCount(), 3);
    EXPECT_FALSE(history.CanRedo());
    history.MoveTo(1);
    EXPECT_EQ(doc.value, 7); // the whole drag undone
}

TEST_F(UndoHistoryTest, FailedUndoRedoesWhatItHadUndone) {
    Command(1, u"A");
    Command(2, u"B", {}, true);
    Command(3, u"C");
    doc.log.clear();
    EXPECT_THROW(history.MoveTo(0), std::runtime_error);
    EXPECT_EQ(doc.log, "u3d3");
    EXPECT_EQ(history.GetPosition(), 3);
}

TEST_F(UndoHistoryTest, FailedCommitLeavesHistoryAndListAsTheyWere) {
    Command(1, u"A");
    Command(2, u"B");
    history.Undo();
    for (int failAt = 0;; ++failAt) {
        CChangeList list;
        list.Add(std::make_shared<SetValue>(doc, 9));
        gAllocationsUntilFailure = failAt;
        try {
            history.Commit(list, u"C");
            gAllocationsUntilFailure = -1;
            break;
        } catch (const std::bad_alloc&) {
            gAllocationsUntilFailure = -1;
        }
        EXPECT_EQ(list.GetCount(), 1);
        EXPECT_EQ(history.GetRedoName(), u"B");
        EXPECT_EQ(history.GetMergeKey(), u"");
    }
    EXPECT_EQ(history.GetUndoName(), u"C");
    EXPECT_FALSE(history.CanRedo());
}

} // namespace
