#include "tambor/Media.h"

#include "app/ZubrikErrors.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace NSTambor {

namespace {

constexpr int64_t kMaxSize = std::numeric_limits<int32_t>::max();

// Left uninitialised: bytes beyond the size are never read, and a gap that
// a write leaves after the size is zeroed by that write.
uint8_t* Allocate(int32_t capacity)
{
    return new uint8_t[static_cast<size_t>(std::max(capacity, 0))];
}

} // namespace

// ---------------------------------------------------------------- memory media

CMemoryMedia::CMemoryMedia(int32_t capacity)
    : fOwnsBuffer(true), fBuffer(Allocate(capacity)),
      fCapacity(std::max(capacity, 0)), fAllocated(fCapacity), fSize(0)
{
}

CMemoryMedia::CMemoryMedia(void* buffer, int32_t size)
    : fOwnsBuffer(false), fBuffer(static_cast<uint8_t*>(buffer)),
      fCapacity(std::max(size, 0)), fAllocated(fCapacity), fSize(std::max(size, 0))
{
}

CMemoryMedia::~CMemoryMedia()
{
    if (fOwnsBuffer)
        delete[] fBuffer;
}

void CMemoryMedia::SetPosition(int32_t position)
{
    fPosition = position;
}

void CMemoryMedia::ReadAt(int32_t position, int32_t count, void* destination)
{
    // Reading beyond the bytes written would hand out stale or foreign
    // memory; the chunk reader checks sizes first, so this only stops bugs.
    if (position < 0 || count < 0 || int64_t(position) + count > fSize)
        throw NSZubrik::XRead();
    if (count > 0)
        std::memcpy(destination, fBuffer + position, static_cast<size_t>(count));
    fPosition = position + count;
}

void CMemoryMedia::WriteAt(int32_t position, int32_t count, const void* source)
{
    if (position < 0 || count < 0)
        throw NSZubrik::XWrite();
    const int64_t end = int64_t(position) + count;
    if (end > kMaxSize)
        throw std::bad_alloc();
    if (end > fCapacity)
        Grow(end);
    if (position > fSize)
        std::memset(fBuffer + fSize, 0, static_cast<size_t>(position - fSize));
    if (count > 0)
        std::memcpy(fBuffer + position, source, static_cast<size_t>(count));
    fSize = std::max(fSize, static_cast<int32_t>(end));
    fPosition = static_cast<int32_t>(end);
}

int64_t CMemoryMedia::GrownCapacity(int64_t oldCapacity, int64_t needed)
{
    return oldCapacity + std::max<int64_t>((needed - oldCapacity) * 3 / 2, 100);
}

void CMemoryMedia::Grow(int64_t needed)
{
    const int64_t capacity = GrownCapacity(fCapacity, needed);
    if (capacity > kMaxSize)
        throw std::bad_alloc();
    if (capacity > fAllocated) {
        const int64_t allocated = std::min(std::max(capacity, 2 * int64_t(fAllocated)), kMaxSize);
        uint8_t* buffer = Allocate(static_cast<int32_t>(allocated));
        if (fSize > 0)
            std::memcpy(buffer, fBuffer, static_cast<size_t>(fSize));
        if (fOwnsBuffer)
            delete[] fBuffer;
        fBuffer = buffer;
        fOwnsBuffer = true;
        fAllocated = static_cast<int32_t>(allocated);
    }
    fCapacity = static_cast<int32_t>(capacity);
}

COwnedMemoryMedia::COwnedMemoryMedia(int32_t size, const void* bytes)
    : CMemoryMedia(size)
{
    WriteAt(0, std::max(size, 0), bytes);
    SetPosition(0);
}

// ---------------------------------------------------------------- partial media

CPartialMedia::CPartialMedia(CMedia& parent, int32_t offset, int32_t size)
    : fParent(parent), fOffset(offset), fSize(size < 0 ? -1 : size)
{
}

int32_t CPartialMedia::GetSize() const
{
    return IsBounded() ? fSize : std::max(fParent.GetSize() - fOffset, 0);
}

int32_t CPartialMedia::GetPosition() const
{
    return fParent.GetPosition() - fOffset;
}

void CPartialMedia::SetPosition(int32_t position)
{
    if (position < 0 || (IsBounded() && position > fSize))
        throw std::range_error("position outside the partial media");
    fParent.SetPosition(position + fOffset);
}

void CPartialMedia::ReadAt(int32_t position, int32_t count, void* destination)
{
    if (position < 0 || count < 0 || int64_t(position) + count > GetSize())
        throw NSZubrik::XRead();
    fParent.ReadAt(position + fOffset, count, destination);
}

void CPartialMedia::WriteAt(int32_t position, int32_t count, const void* source)
{
    if (position < 0 || count < 0)
        throw NSZubrik::XWrite();
    if (IsBounded() && int64_t(position) + count > fSize)
        throw NSZubrik::XWrite();
    if (int64_t(position) + fOffset > kMaxSize)
        throw NSZubrik::XWrite();
    fParent.WriteAt(position + fOffset, count, source);
}

// ---------------------------------------------------------------- helpers

void ReadBytes(CMedia& media, int32_t count, void* destination)
{
    media.ReadAt(media.GetPosition(), count, destination);
}

void WriteBytes(CMedia& media, int32_t count, const void* source)
{
    media.WriteAt(media.GetPosition(), count, source);
}

uint8_t ReadU8(CMedia& media)
{
    uint8_t byte = 0;
    ReadBytes(media, 1, &byte);
    return byte;
}

uint16_t ReadU16BE(CMedia& media)
{
    uint8_t b[2];
    ReadBytes(media, 2, b);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t ReadU32BE(CMedia& media)
{
    uint8_t b[4];
    ReadBytes(media, 4, b);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

uint16_t ReadU16LE(CMedia& media)
{
    uint8_t b[2];
    ReadBytes(media, 2, b);
    return static_cast<uint16_t>((b[1] << 8) | b[0]);
}

uint32_t ReadU32LE(CMedia& media)
{
    uint8_t b[4];
    ReadBytes(media, 4, b);
    return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
}

void WriteU8(CMedia& media, uint8_t value)
{
    WriteBytes(media, 1, &value);
}

void WriteU16BE(CMedia& media, uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value >> 8), uint8_t(value)};
    WriteBytes(media, 2, b);
}

void WriteU32BE(CMedia& media, uint32_t value)
{
    const uint8_t b[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                          uint8_t(value)};
    WriteBytes(media, 4, b);
}

void WriteU16LE(CMedia& media, uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    WriteBytes(media, 2, b);
}

void WriteU32LE(CMedia& media, uint32_t value)
{
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                          uint8_t(value >> 24)};
    WriteBytes(media, 4, b);
}

void Skip(CMedia& media, int32_t count)
{
    if (count != 0)
        media.SetPosition(media.GetPosition() + count);
}

std::string ReadString(CMedia& media)
{
    const uint32_t length = ReadU32BE(media);
    const int64_t left = int64_t(media.GetSize()) - media.GetPosition();
    if (length > left)
        throw NSZubrik::XBadFormat();
    std::string text(length, '\0');
    if (length > 0)
        ReadBytes(media, static_cast<int32_t>(length), text.data());
    if (text.find('\0') != std::string::npos)
        throw NSZubrik::XBadFormat();
    return text;
}

void WriteString(CMedia& media, const std::string& text)
{
    if (text.size() > uint64_t(kMaxSize))
        throw NSZubrik::XWrite();
    WriteU32BE(media, static_cast<uint32_t>(text.size()));
    WriteBytes(media, static_cast<int32_t>(text.size()), text.data());
}

bool ReadBool(CMedia& media)
{
    return ReadU8(media) != 0;
}

void WriteBool(CMedia& media, bool value)
{
    WriteU8(media, value ? 1 : 0);
}

} // namespace NSTambor
