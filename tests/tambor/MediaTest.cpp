#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace NSTambor;
using NSZubrik::XBadFormat;
using NSZubrik::XRead;
using NSZubrik::XWrite;

namespace {

std::vector<uint8_t> Bytes(const CMemoryMedia& media)
{
    return std::vector<uint8_t>(media.GetBuffer(), media.GetBuffer() + media.GetSize());
}

} // namespace

TEST(MemoryMedia, GrowthRuleKeepsContents)
{
    const std::vector<uint8_t> eleven(11, 7);
    CMemoryMedia small(10);
    WriteBytes(small, 11, eleven.data());
    EXPECT_EQ(small.GetCapacity(), 110);
    EXPECT_EQ(small.GetSize(), 11);
    EXPECT_EQ(Bytes(small), eleven);
    // A write beyond the size leaves zeros in the gap.
    small.WriteAt(200, 1, "z");
    EXPECT_EQ(small.GetCapacity(), 110 + (201 - 110) * 3 / 2);
    EXPECT_EQ(small.GetBuffer()[11], 0);
    EXPECT_EQ(small.GetBuffer()[199], 0);

    COwnedMemoryMedia large(1000);
    const std::vector<uint8_t> bytes(1400, 3);
    WriteBytes(large, 1400, bytes.data());
    EXPECT_EQ(large.GetCapacity(), 1600);

    // A write inside the capacity leaves it; the size is the furthest end.
    large.WriteAt(10, 2, "ab");
    EXPECT_EQ(large.GetCapacity(), 1600);
    EXPECT_EQ(large.GetSize(), 1400);
    EXPECT_EQ(large.GetPosition(), 12);

    // A caller's buffer is written in place until it is outgrown.
    uint8_t outside[4] = {1, 2, 3, 4};
    CMemoryMedia wrapped(outside, 4);
    wrapped.WriteAt(0, 1, "x");
    EXPECT_EQ(outside[0], 'x');
    wrapped.WriteAt(4, 2, "yz");
    EXPECT_EQ(wrapped.GetCapacity(), 104);
    EXPECT_EQ(Bytes(wrapped), (std::vector<uint8_t>{'x', 2, 3, 4, 'y', 'z'}));
}

TEST(MemoryMedia, OwnedCopyAndReadsPastTheEnd)
{
    const uint8_t source[3] = {9, 8, 7};
    COwnedMemoryMedia media(3, source);
    EXPECT_EQ(media.GetSize(), 3);
    EXPECT_EQ(media.GetCapacity(), 3);
    EXPECT_NE(media.GetBuffer(), source);
    EXPECT_EQ(ReadU8(media), 9);
    uint8_t two[2];
    EXPECT_THROW(media.ReadAt(2, 2, two), XRead);
}

TEST(PartialMedia, BoundsOfAWindow)
{
    COwnedMemoryMedia parent(64);
    const std::vector<uint8_t> fill(20, 0);
    WriteBytes(parent, 20, fill.data());
    CPartialMedia window(parent, 4, 8);
    uint8_t buffer[9] = {};
    EXPECT_NO_THROW(window.WriteAt(0, 8, "12345678"));
    EXPECT_NO_THROW(window.ReadAt(0, 8, buffer));
    EXPECT_EQ(window.GetPosition(), 8);
    EXPECT_THROW(window.ReadAt(0, 9, buffer), XRead);
    EXPECT_THROW(window.WriteAt(0, 9, buffer), XWrite);
    EXPECT_THROW(window.WriteAt(1, 8, buffer), XWrite);
    EXPECT_EQ(parent.GetBuffer()[4], '1');
    EXPECT_EQ(parent.GetBuffer()[11], '8');

    EXPECT_THROW(window.SetPosition(-1), std::range_error);
    EXPECT_THROW(window.SetPosition(9), std::range_error);
    window.SetPosition(8);
    EXPECT_EQ(parent.GetPosition(), 12);

    // An unbounded window runs to the parent's end and grows it.
    CPartialMedia tail(parent, 16);
    EXPECT_EQ(tail.GetSize(), 4);
    EXPECT_NO_THROW(tail.WriteAt(2, 10, "0123456789"));
    EXPECT_EQ(parent.GetSize(), 28);
    EXPECT_EQ(tail.GetSize(), 12);
    EXPECT_THROW(tail.ReadAt(10, 3, buffer), XRead);
}

TEST(ByteOrder, HelpersRoundTripInFileOrder)
{
    COwnedMemoryMedia media(0);
    WriteU8(media, 0xAB);
    WriteU16BE(media, 0x1234);
    WriteU32BE(media, 0x89ABCDEF);
    WriteU16LE(media, 0x1234);
    WriteU32LE(media, 0x89ABCDEF);
    WriteBool(media, true);
    WriteBool(media, false);
    WriteString(media, "Zubrik");
    EXPECT_EQ(Bytes(media),
              (std::vector<uint8_t>{0xAB, 0x12, 0x34, 0x89, 0xAB, 0xCD, 0xEF, 0x34, 0x12, 0xEF,
                                    0xCD, 0xAB, 0x89, 1, 0, 0, 0, 0, 6, 'Z', 'u', 'b', 'r', 'i',
                                    'k'}));

    media.SetPosition(0);
    EXPECT_EQ(ReadU8(media), 0xAB);
    EXPECT_EQ(ReadU16BE(media), 0x1234);
    EXPECT_EQ(ReadU32BE(media), 0x89ABCDEFu);
    EXPECT_EQ(ReadU16LE(media), 0x1234);
    EXPECT_EQ(ReadU32LE(media), 0x89ABCDEFu);
    EXPECT_TRUE(ReadBool(media));
    EXPECT_FALSE(ReadBool(media));
    EXPECT_EQ(ReadString(media), "Zubrik");

    media.SetPosition(1);
    Skip(media, 0);
    EXPECT_EQ(media.GetPosition(), 1);
    Skip(media, 4);
    EXPECT_EQ(media.GetPosition(), 5);
    media.WriteAt(0, 1, "\x05");
    media.SetPosition(0);
    EXPECT_TRUE(ReadBool(media)); // any non-zero byte is true
}

TEST(ByteOrder, ReadStringRejectsShortAndZeroText)
{
    const uint8_t shortText[] = {0, 0, 0, 5, 'a', 'b', 'c', 'd'};
    COwnedMemoryMedia tooShort(sizeof shortText, shortText);
    EXPECT_THROW(ReadString(tooShort), XBadFormat);

    const uint8_t zeroInside[] = {0, 0, 0, 3, 'a', 0, 'c'};
    COwnedMemoryMedia withZero(sizeof zeroInside, zeroInside);
    EXPECT_THROW(ReadString(withZero), XBadFormat);

    const uint8_t empty[] = {0, 0, 0, 0};
    COwnedMemoryMedia emptyText(sizeof empty, empty);
    EXPECT_EQ(ReadString(emptyText), "");
}
