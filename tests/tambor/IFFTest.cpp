#include "app/ZubrikErrors.h"
#include "tambor/IFFFileReader.h"
#include "tambor/IFFFileWriter.h"
#include "tambor/IFFReader.h"
#include "tambor/IFFWriter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NSTambor;
using NSZubrik::XBadFormat;

namespace {

std::vector<uint8_t> Bytes(const CMemoryMedia& media)
{
    return std::vector<uint8_t>(media.GetBuffer(), media.GetBuffer() + media.GetSize());
}

uint32_t U32At(const CMemoryMedia& media, int32_t at)
{
    const uint8_t* b = media.GetBuffer() + at;
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

// A loop-file-like nest: CAT "ZBX2" { HEAD, CAT "DEVL" { TRSH, "EQ  " },
// CAT "SLCL" {}, SDAT (odd) }.
void WriteSample(CMemoryMedia& media)
{
    CIFFFileWriter writer(media);
    writer.BeginCat("ZBX2");
    writer.BeginChunk("HEAD");
    WriteU32BE(writer.GetCurrentMedia(), 0x490CF18D);
    writer.End();
    writer.BeginCat("DEVL");
    writer.BeginChunk("TRSH");
    WriteU8(writer.GetCurrentMedia(), 1);
    writer.End();
    writer.BeginChunk("EQ  ");
    WriteU16BE(writer.GetCurrentMedia(), 0xBEEF);
    writer.End();
    writer.End();
    writer.BeginCat("SLCL");
    writer.End();
    writer.BeginChunk("SDAT");
    WriteBytes(writer.GetCurrentMedia(), 3, "abc");
    writer.End();
    writer.End();
    EXPECT_EQ(writer.GetDepth(), 0);
}

// One header (identifier, big-endian size) followed by filler bytes.
COwnedMemoryMedia* Element(const char id[4], uint32_t size, int32_t filler)
{
    auto* media = new COwnedMemoryMedia(0);
    WriteBytes(*media, 4, id);
    WriteU32BE(*media, size);
    const std::vector<uint8_t> bytes(static_cast<size_t>(filler), 'x');
    WriteBytes(*media, filler, bytes.data());
    media->SetPosition(0);
    return media;
}

} // namespace

TEST(IFFWriter, SizesAndPadding)
{
    COwnedMemoryMedia media(16);
    CIFFFileWriter writer(media);
    writer.BeginCat("ZBX2");
    writer.BeginChunk("SLCE");
    WriteBytes(writer.GetCurrentMedia(), 11, "0123456789A");
    writer.End();
    writer.End();
    // "CAT " size 4 + (8 + 11 + 1); the chunk says 11 and is padded with 0.
    EXPECT_EQ(media.GetSize(), 8 + 24);
    EXPECT_EQ(U32At(media, 4), 24u);
    EXPECT_EQ(U32At(media, 16), 11u);
    EXPECT_EQ(media.GetBuffer()[31], 0);
    EXPECT_EQ(media.GetPosition(), 32);

    // Little-endian sizes, a "RIFF" form and the same padding.
    COwnedMemoryMedia riff(16);
    CRIFFWriter2 form(riff);
    form.BeginRiff("sfbk");
    CRIFFWriter2 chunk(form.GetMedia());
    chunk.BeginChunk("ifil");
    WriteBytes(chunk.GetMedia(), 11, "0123456789A");
    chunk.End();
    form.End();
    const std::vector<uint8_t> bytes = Bytes(riff);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<uint8_t>{'R', 'I', 'F', 'F', 24, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 20),
              (std::vector<uint8_t>{0x0B, 0, 0, 0}));
    EXPECT_EQ(bytes.size(), 32u);

    // The older writer can leave odd chunks unpadded (MIDI files).
    COwnedMemoryMedia midi(16);
    CIFFWriter track(midi, false);
    track.BeginChunk("MTrk");
    WriteBytes(track.GetMedia(), 3, "\xFF\x2F\x00");
    track.End();
    EXPECT_EQ(midi.GetSize(), 11);
    EXPECT_EQ(U32At(midi, 4), 3u);
}

TEST(IFFReader, IdentifierRule)
{
    const auto valid = [](const char* id) {
        return IsValidIdentifier(reinterpret_cast<const uint8_t*>(id));
    };
    EXPECT_TRUE(valid("EQ  "));
    EXPECT_TRUE(valid("CAT "));
    EXPECT_TRUE(valid("(c) "));
    EXPECT_FALSE(valid("A B ")); // nothing but blanks after a blank
    EXPECT_FALSE(valid(" EQ "));
    EXPECT_FALSE(valid("    "));
    EXPECT_FALSE(valid("EQ\x7F "));
    EXPECT_FALSE(valid("E\x1FQ "));

    std::unique_ptr<COwnedMemoryMedia> bad(Element(" EQ ", 0, 0));
    EXPECT_THROW(CIFFReader2 reader(*bad), XBadFormat);
    std::unique_ptr<COwnedMemoryMedia> good(Element("EQ  ", 0, 0));
    EXPECT_EQ(CIFFReader2(*good).GetId(), CFourCharCode("EQ  "));
    // A container's type follows the same rule.
    std::unique_ptr<COwnedMemoryMedia> badType(Element("LIST", 4, 0));
    WriteBytes(*badType, 4, "\x7F""ABC");
    badType->SetPosition(0);
    EXPECT_THROW(CIFFReader2 reader(*badType), XBadFormat);
}

TEST(IFFReader, SizesNeverRunPastTheParent)
{
    std::unique_ptr<COwnedMemoryMedia> tooLong(Element("SDAT", 9, 8));
    EXPECT_THROW(CIFFReader2 reader(*tooLong), XBadFormat);
    std::unique_ptr<COwnedMemoryMedia> huge(Element("SDAT", 0xFFFFFFF0u, 8));
    EXPECT_THROW(CIFFReader2 reader(*huge), XBadFormat);
    std::unique_ptr<COwnedMemoryMedia> untyped(Element("CAT ", 2, 2));
    EXPECT_THROW(CIFFReader2 reader(*untyped), XBadFormat);

    // A chunk that fits the file but not its list is rejected on entry.
    COwnedMemoryMedia media(64);
    WriteBytes(media, 4, "CAT ");
    WriteU32BE(media, 16);
    WriteBytes(media, 4, "SLCL");
    WriteBytes(media, 4, "SLCE");
    WriteU32BE(media, 20);
    const std::vector<uint8_t> rest(40, 0);
    WriteBytes(media, 40, rest.data());
    CIFFFileReader reader(media);
    reader.EnterCat("SLCL");
    EXPECT_THROW(reader.EnterChunk("SLCE"), XBadFormat);
    EXPECT_THROW(reader.CountChildren(), XBadFormat);
}

TEST(IFFFileReader, NestedRoundTrip)
{
    COwnedMemoryMedia media(0);
    WriteSample(media);
    CIFFFileReader reader(media);
    EXPECT_FALSE(reader.TryEnterCat("ZZZZ"));
    EXPECT_THROW(reader.EnterForm("ZBX2"), XBadFormat);
    reader.EnterCat("ZBX2");
    EXPECT_EQ(reader.GetCurrentKind(), EChunkKind::kCat);
    EXPECT_EQ(reader.CountChildren(), 4);

    // Lookups do not depend on order: SDAT stands after the lists.
    reader.EnterChunk("SDAT");
    EXPECT_EQ(reader.GetCurrentSize(), 3);
    EXPECT_EQ(ReadU8(reader.GetCurrentMedia()), 'a');
    reader.Leave();
    std::unique_ptr<CMedia> head = reader.FindChunkMedia("HEAD");
    ASSERT_TRUE(head);
    EXPECT_EQ(ReadU32BE(*head), 0x490CF18Du);
    EXPECT_FALSE(reader.FindChunkMedia("TRSH")); // only direct children

    reader.EnterCat("DEVL");
    EXPECT_TRUE(reader.TryEnterChunk("EQ  "));
    EXPECT_EQ(ReadU16BE(reader.GetCurrentMedia()), 0xBEEF);
    EXPECT_THROW(ReadU8(reader.GetCurrentMedia()), NSZubrik::XRead);
    reader.Leave();
    reader.Leave();

    reader.EnterCat("SLCL");
    EXPECT_EQ(reader.CountChildren(), 0);
    EXPECT_FALSE(reader.EnterFirstChild());
    reader.Leave();

    // Walk the children in order.
    std::vector<std::string> seen;
    ASSERT_TRUE(reader.EnterFirstChild());
    do {
        const bool chunk = reader.GetCurrentKind() == EChunkKind::kChunk;
        seen.push_back((chunk ? reader.GetCurrentId() : reader.GetCurrentType()).ToString());
    } while (reader.EnterNextSibling());
    EXPECT_EQ(seen, (std::vector<std::string>{"HEAD", "DEVL", "SLCL", "SDAT"}));
    EXPECT_EQ(reader.GetCurrentType(), CFourCharCode("ZBX2"));
    EXPECT_EQ(reader.GetDepth(), 1);
    reader.Leave();
    EXPECT_THROW(reader.Leave(), NSZubrik::XIllegalCallSequence);
}

TEST(IFFReader, OldSingleLevelFindsChunksOfAForm)
{
    COwnedMemoryMedia media(0);
    CIFFWriter form(media);
    form.BeginForm("AIFF");
    CIFFWriter comm(form.GetMedia());
    comm.BeginChunk("COMM");
    WriteU16BE(comm.GetMedia(), 2);
    comm.End();
    CIFFWriter appl(form.GetMedia());
    appl.BeginChunk("APPL");
    WriteBytes(appl.GetMedia(), 8, "ZBX \xD1\xD1\xD1\xDA");
    appl.End();
    form.End();

    media.SetPosition(0);
    CIFFReader reader(media);
    EXPECT_EQ(reader.GetType(), CFourCharCode("AIFF"));
    std::unique_ptr<CMedia> block = reader.FindChunk("APPL");
    ASSERT_TRUE(block);
    EXPECT_EQ(block->GetSize(), 8);
    EXPECT_EQ(CFourCharCode::Read(*block), CFourCharCode("ZBX "));
    EXPECT_FALSE(reader.FindChunk("SSND"));

    std::unique_ptr<COwnedMemoryMedia> chunk(Element("COMM", 0, 0));
    EXPECT_THROW(CIFFReader notAForm(*chunk), XBadFormat);
}
