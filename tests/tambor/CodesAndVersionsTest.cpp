#include "app/ZubrikErrors.h"
#include "tambor/FourCharCode.h"
#include "tambor/Media.h"
#include "tambor/Version.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NSTambor;

TEST(FourCharCode, ZerosBecomeBlanksAndBytesStayInOrder)
{
    const CFourCharCode fromBytes('E', 'Q', 0, 0);
    EXPECT_EQ(fromBytes, CFourCharCode("EQ  "));
    EXPECT_EQ(CFourCharCode("EQ"), CFourCharCode("EQ  "));
    EXPECT_EQ(fromBytes.ToString(), "EQ  ");
    EXPECT_EQ(CFourCharCode("FORM").GetValue(), 0x464F524Du);
    EXPECT_EQ(CFourCharCode::FromValue(0x45510000), CFourCharCode("EQ  "));
    EXPECT_EQ(CFourCharCode::FromString("EQ"), CFourCharCode("EQ  "));
    EXPECT_FALSE(CFourCharCode("EQ  ") == CFourCharCode(" EQ "));

    COwnedMemoryMedia media(8);
    CFourCharCode("SDAT").Write(media);
    EXPECT_EQ(std::vector<uint8_t>(media.GetBuffer(), media.GetBuffer() + 4),
              (std::vector<uint8_t>{'S', 'D', 'A', 'T'}));
    media.SetPosition(0);
    EXPECT_EQ(CFourCharCode::Read(media), CFourCharCode("SDAT"));

    EXPECT_EQ(CResourceType("DLOG").GetStandardType(), 5);
    EXPECT_EQ(CResourceType("BMP ").GetStandardType(), 2);
    EXPECT_EQ(CResourceType("PNG ").GetStandardType(), 0);
    EXPECT_EQ(CResourceType("PNG ").GetTypeName(), "PNG ");
}

TEST(Version, FiveStoredBytes)
{
    COwnedMemoryMedia media(8);
    CVersion(3, 0, 0).Write(media);
    EXPECT_EQ(std::vector<uint8_t>(media.GetBuffer(), media.GetBuffer() + media.GetSize()),
              (std::vector<uint8_t>{0xBC, 3, 0, 0, 0}));
    media.SetPosition(0);
    EXPECT_EQ(CVersion::Read(media), CVersion(3, 0, 0));
    EXPECT_EQ(media.GetPosition(), 5);

    const uint8_t unmarked[] = {0x00, 3, 0, 0, 0};
    COwnedMemoryMedia bad(5, unmarked);
    EXPECT_THROW(CVersion::Read(bad), NSZubrik::XBadFormat);
}

TEST(Version, OrderRangeAndMajor)
{
    EXPECT_LT(CVersion(1, 255, 255), CVersion(2, 0, 0));
    EXPECT_LT(CVersion(2, 0, 0), CVersion(2, 0, 1));
    EXPECT_EQ(CVersion(2, 1, 3).GetValue(), (2 * 256 + 1) * 256 + 3);

    // Readable: from 1.0.0 up to any version of major 3.
    const CVersion low(1, 0, 0), high(3, 0, 0);
    EXPECT_TRUE(CVersion(1, 0, 0).IsInRange(low, high));
    EXPECT_TRUE(CVersion(3, 9, 9).IsInRange(low, high));
    EXPECT_FALSE(CVersion(4, 0, 0).IsInRange(low, high));
    EXPECT_FALSE(CVersion(0, 9, 9).IsInRange(low, high));

    EXPECT_TRUE(CVersion(1, 2, 3).SameMajor(CVersion(1, 0, 0)));
    EXPECT_FALSE(CVersion(2, 0, 0).SameMajor(CVersion(1, 0, 0)));
    EXPECT_EQ(CTamborFileVersion(2, 1, 7, 99).ToString(), "2.1.7");
}
