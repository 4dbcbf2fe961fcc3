#include "tambor/IFFLevel.h"

#include "app/ZubrikErrors.h"

#include <limits>

namespace NSTambor {

namespace {

constexpr CFourCharCode kForm("FORM");
constexpr CFourCharCode kRiff("RIFF");
constexpr CFourCharCode kCat("CAT ");
constexpr CFourCharCode kList("LIST");

uint32_t DecodeSize(const uint8_t b[4], ESizeOrder order)
{
    if (order == ESizeOrder::kLittleEndian)
        return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

void EncodeSize(uint32_t size, ESizeOrder order, uint8_t b[4])
{
    for (int i = 0; i < 4; ++i) {
        const int shift = order == ESizeOrder::kLittleEndian ? 8 * i : 24 - 8 * i;
        b[i] = static_cast<uint8_t>(size >> shift);
    }
}

// Reads four bytes that must follow the identifier rule.
CFourCharCode ReadIdentifier(CMedia& media)
{
    uint8_t bytes[4];
    ReadBytes(media, 4, bytes);
    if (!IsValidIdentifier(bytes))
        throw NSZubrik::XBadFormat();
    return CFourCharCode(char(bytes[0]), char(bytes[1]), char(bytes[2]), char(bytes[3]));
}

// A window of size bytes at offset inside parent. Nested windows are laid
// directly on the outermost media so that deep nesting in a file costs no
// deep chain of calls; the child was checked to lie inside its parent.
CPartialMedia Window(CMedia& parent, int32_t offset, int32_t size)
{
    if (auto* partial = dynamic_cast<CPartialMedia*>(&parent))
        return CPartialMedia(partial->GetParent(), partial->GetOffset() + offset, size);
    return CPartialMedia(parent, offset, size);
}

} // namespace

bool IsValidIdentifier(const uint8_t bytes[4])
{
    bool blankSeen = false;
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = bytes[i];
        if (c < 32 || c > 126)
            return false;
        if (c == ' ') {
            if (i == 0)
                return false; // a blank must follow a non-blank
            blankSeen = true;
        } else if (blankSeen) {
            return false; // nothing but blanks after the first blank
        }
    }
    return true;
}

EChunkKind KindOfIdentifier(const CFourCharCode& id, ESizeOrder order)
{
    if (id == kForm || (order == ESizeOrder::kLittleEndian && id == kRiff))
        return EChunkKind::kForm;
    if (id == kCat)
        return EChunkKind::kCat;
    if (id == kList)
        return EChunkKind::kList;
    return EChunkKind::kChunk;
}

CFourCharCode IdentifierOfKind(EChunkKind kind, ESizeOrder order)
{
    switch (kind) {
    case EChunkKind::kForm:
        return order == ESizeOrder::kLittleEndian ? kRiff : kForm;
    case EChunkKind::kCat:
        return kCat;
    case EChunkKind::kList:
        return kList;
    default:
        throw NSZubrik::XIllegalCallSequence();
    }
}

CIFFFileLevel::CIFFFileLevel(EChunkKind kind, const CFourCharCode& id, const CFourCharCode& type,
                             int32_t headerPosition, int32_t dataStart, int32_t dataSize,
                             const CPartialMedia& media)
    : fKind(kind), fId(id), fType(type), fHeaderPosition(headerPosition), fDataStart(dataStart),
      fDataSize(dataSize), fMedia(media)
{
}

CIFFFileLevel WholeMediaLevel(CMedia& media)
{
    const int32_t size = media.GetSize();
    return CIFFFileLevel(EChunkKind::kWhole, CFourCharCode(), CFourCharCode(), -1, 0, size,
                         CPartialMedia(media, 0, size));
}

CIFFFileLevel ReadLevelHeader(CMedia& parent, ESizeOrder order)
{
    const int32_t headerPosition = parent.GetPosition();
    if (int64_t(parent.GetSize()) - headerPosition < kChunkHeaderSize)
        throw NSZubrik::XBadFormat();
    const CFourCharCode id = ReadIdentifier(parent);
    uint8_t sizeBytes[4];
    ReadBytes(parent, 4, sizeBytes);
    const uint32_t size = DecodeSize(sizeBytes, order);
    const int32_t dataStart = parent.GetPosition();
    if (size > uint32_t(parent.GetSize() - dataStart))
        throw NSZubrik::XBadFormat();
    const int32_t dataSize = static_cast<int32_t>(size);

    const EChunkKind kind = KindOfIdentifier(id, order);
    CFourCharCode type;
    int32_t contentSize = dataSize;
    if (kind != EChunkKind::kChunk) {
        if (dataSize < kContainerTypeSize)
            throw NSZubrik::XBadFormat();
        type = ReadIdentifier(parent);
        contentSize -= kContainerTypeSize;
    }
    const int32_t contentStart = dataStart + (dataSize - contentSize);
    return CIFFFileLevel(kind, id, type, headerPosition, dataStart, dataSize,
                         Window(parent, contentStart, contentSize));
}

bool MoveToNextSibling(CMedia& container, const CIFFFileLevel& child)
{
    const int32_t size = container.GetSize();
    const int64_t end = int64_t(child.fDataStart) + child.fDataSize + (child.fDataSize & 1);
    const int32_t next = end < size ? static_cast<int32_t>(end) : size;
    container.SetPosition(next);
    return size - next >= kChunkHeaderSize;
}

std::optional<CIFFFileLevel> FindChildLevel(CMedia& container, ESizeOrder order,
                                            EChunkKind kind, const CFourCharCode& code)
{
    container.SetPosition(0);
    if (container.GetSize() < kChunkHeaderSize)
        return std::nullopt;
    for (;;) {
        CIFFFileLevel child = ReadLevelHeader(container, order);
        if (child.fKind == kind && (kind == EChunkKind::kChunk ? child.fId : child.fType) == code)
            return child;
        if (!MoveToNextSibling(container, child))
            return std::nullopt;
    }
}

CIFFFileLevel BeginLevel(CMedia& parent, ESizeOrder order, EChunkKind kind,
                         const CFourCharCode& idOrType)
{
    const int32_t headerPosition = parent.GetPosition();
    const bool container = kind != EChunkKind::kChunk;
    const CFourCharCode id = container ? IdentifierOfKind(kind, order) : idOrType;
    const CFourCharCode type = container ? idOrType : CFourCharCode();
    id.Write(parent);
    WriteU32BE(parent, 0); // patched by EndLevel
    if (container)
        type.Write(parent);
    const int32_t dataStart = headerPosition + kChunkHeaderSize;
    return CIFFFileLevel(kind, id, type, headerPosition, dataStart, 0,
                         CPartialMedia(parent, parent.GetPosition(), -1));
}

void EndLevel(const CIFFFileLevel& level, ESizeOrder order, bool padOddSize)
{
    CMedia& parent = level.fMedia.GetParent();
    const int32_t endPosition = parent.GetPosition();
    const int64_t size = int64_t(endPosition) - level.fHeaderPosition - kChunkHeaderSize;
    if (size < 0 || size > std::numeric_limits<int32_t>::max())
        throw NSZubrik::XIllegalCallSequence();
    uint8_t sizeBytes[4];
    EncodeSize(static_cast<uint32_t>(size), order, sizeBytes);
    parent.WriteAt(level.fHeaderPosition + 4, 4, sizeBytes);
    parent.SetPosition(endPosition);
    if (padOddSize && (size & 1) != 0)
        WriteU8(parent, 0);
}

} // namespace NSTambor
