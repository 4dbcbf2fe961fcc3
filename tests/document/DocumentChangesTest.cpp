#include "document/DocumentChanges.h"
#include "DocumentTestSupport.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

TEST_F(DocumentFixture, AFailingCommandIsRolledBack)
{
    CZubrikDocument& doc = Make();
    const SDocumentParameters before = doc.GetParameters();
    {
        NSUndoPackage::CChangeList list;
        SDocumentParameters after = before;
        after.fBeats = 3;
        list.Add(std::make_shared<CDocumentParametersChange>(doc, after));
        auto copy = std::make_unique<CSliceSequence>(doc.GetSliceSequence());
        copy->SetSensitivity(0);
        list.Add(std::make_shared<CSliceSequenceChange>(doc, std::move(copy)));
        EXPECT_EQ(doc.CountShownSlices(), 0);
        // The list goes without a commit.
    }
    EXPECT_TRUE(doc.GetParameters() == before);
    EXPECT_EQ(doc.CountShownSlices(), 8);
}
