#include "document/LengthyOperation.h"

#include <gtest/gtest.h>

#include "FakeProgressWindow.h"

using namespace NSZubrik;

namespace {

TEST(LengthyOperationTest, LongWorkEndsFinalizingWithFullBarAndOneBeep)
{
    CFakeProgressWindow window;
    CZubrikLengthyOperation op(u"first", u"Cancel", true, window.Services());
    op.SetText(u"Finding slices (frames left):");  // kept until the window opens
    window.now = 1001;
    op.SetCount(5000);
    EXPECT_EQ(window.texts, std::vector<std::u16string>{u"Finding slices (frames left):"});
    EXPECT_EQ(window.count, 5000);
    for (int p = 0; p <= 50; ++p, window.now += 700)
        op.SetPercent(p);
    EXPECT_EQ(window.bar, 500);
    window.now = 40000;
    op.Finish();
    EXPECT_EQ(window.texts.back(), u"Finalizing...");
    EXPECT_EQ(window.count, 0);
    EXPECT_EQ(window.bar, 1000);
    EXPECT_EQ(window.beeps, 1);
    EXPECT_EQ(window.opens, 1);
    EXPECT_FALSE(window.open || op.IsWindowOpen());
}

TEST(LengthyOperationTest, StopOnlyWhenAllowedAndDestructionClosesQuietly)
{
    for (bool allowed : {true, false}) {
        CFakeProgressWindow window;
        window.now = 0xFFFFFF00u;  // the clock wraps during the work
        {
            CZubrikLengthyOperation op(u"t", u"Cancel", allowed, window.Services());
            window.now = 0x100;  // 512 ms later
            op.SetCount(1);
            EXPECT_FALSE(window.open);
            window.now = 45000;
            op.SetCount(1);
            window.listener->StopPressed();  // reaches the operation either way
            EXPECT_EQ(op.StopRequested(), allowed);
        }
        EXPECT_FALSE(window.open);
        EXPECT_EQ(window.beeps, 0);  // no "Finalizing..." nor beep on destruction
        EXPECT_EQ(window.texts.back(), u"t");
    }
}

} // namespace
