// Random-access byte streams ("media") and the byte-order helpers that every
// reader and writer of the program's own formats works with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace NSTambor {

// A byte stream with a current position. Sequential reads and writes are
// the free helpers below, which call ReadAt and WriteAt at the position.
class CMedia {
public:
    virtual ~CMedia() = default;
    virtual int32_t GetSize() const = 0;
    virtual int32_t GetPosition() const = 0;
    virtual void SetPosition(int32_t position) = 0;
    // Copies count bytes from position; the position becomes position + count.
    virtual void ReadAt(int32_t position, int32_t count, void* destination) = 0;
    // Stores count bytes at position, growing the media when it can; the
    // position becomes position + count.
    virtual void WriteAt(int32_t position, int32_t count, const void* source) = 0;
};

// A media over a block of memory. Built with a capacity it allocates and
// owns its buffer; built over a caller's buffer it reads and writes that
// buffer in place until a write outgrows it (the grown buffer is then its
// own). Reads past the size fail with XRead.
class CMemoryMedia : public CMedia {
public:
    explicit CMemoryMedia(int32_t capacity);
    // Wraps size bytes of the caller's buffer (not owned; size = capacity).
    CMemoryMedia(void* buffer, int32_t size);
    ~CMemoryMedia() override;
    CMemoryMedia(const CMemoryMedia&) = delete;
    CMemoryMedia& operator=(const CMemoryMedia&) = delete;

    int32_t GetSize() const override { return fSize; }
    int32_t GetPosition() const override { return fPosition; }
    void SetPosition(int32_t position) override;
    void ReadAt(int32_t position, int32_t count, void* destination) override;
    void WriteAt(int32_t position, int32_t count, const void* source) override;

    int32_t GetCapacity() const { return fCapacity; }
    const uint8_t* GetBuffer() const { return fBuffer; }
    uint8_t* GetBuffer() { return fBuffer; }

    // The capacity a buffer of oldCapacity bytes grows to when needed bytes
    // must fit: old + max((needed - old) * 3 / 2, 100).
    static int64_t GrownCapacity(int64_t oldCapacity, int64_t needed);

private:
    void Grow(int64_t needed);

    bool fOwnsBuffer;
    uint8_t* fBuffer;
    int32_t fPosition = 0;
    int32_t fCapacity;
    // The bytes actually allocated, at least fCapacity. The capacity follows
    // the growth rule, whose steps of 100 bytes would copy the whole buffer
    // again and again during long sequential writes; the allocation grows
    // at least twofold instead, so each byte is copied a bounded number of
    // times.
    int32_t fAllocated;
    int32_t fSize;
};

// A memory media that always owns its buffer; shared through
// std::shared_ptr where several owners need the same bytes.
class COwnedMemoryMedia : public CMemoryMedia {
public:
    explicit COwnedMemoryMedia(int32_t capacity) : CMemoryMedia(capacity) {}
    // Copies size bytes; size = capacity = the given size.
    COwnedMemoryMedia(int32_t size, const void* bytes);
};

// A window onto part of a parent media (not owned): offset bytes in, either
// size bytes long or, with size -1, running to the parent's end.
class CPartialMedia : public CMedia {
public:
    CPartialMedia(CMedia& parent, int32_t offset, int32_t size = -1);

    int32_t GetSize() const override;
    int32_t GetPosition() const override;
    void SetPosition(int32_t position) override;
    void ReadAt(int32_t position, int32_t count, void* destination) override;
    void WriteAt(int32_t position, int32_t count, const void* source) override;

    CMedia& GetParent() const { return fParent; }
    int32_t GetOffset() const { return fOffset; }
    bool IsBounded() const { return fSize >= 0; }

private:
    CMedia& fParent;
    int32_t fOffset;
    int32_t fSize;
};

// Byte-order helpers, all at the media's current position. Multi-byte
// values are big-endian; the LE variants serve the RIFF-based formats.
uint8_t ReadU8(CMedia& media);
uint16_t ReadU16BE(CMedia& media);
uint32_t ReadU32BE(CMedia& media);
uint16_t ReadU16LE(CMedia& media);
uint32_t ReadU32LE(CMedia& media);
void WriteU8(CMedia& media, uint8_t value);
void WriteU16BE(CMedia& media, uint16_t value);
void WriteU32BE(CMedia& media, uint32_t value);
void WriteU16LE(CMedia& media, uint16_t value);
void WriteU32LE(CMedia& media, uint32_t value);
void ReadBytes(CMedia& media, int32_t count, void* destination);
void WriteBytes(CMedia& media, int32_t count, const void* source);
// Moves the position by count bytes (no move at all for 0).
void Skip(CMedia& media, int32_t count);
// A u32 length, then that many bytes. Fails with XBadFormat when the length
// exceeds what is left of the media or when a byte of the text is 0.
std::string ReadString(CMedia& media);
// A u32 length and the bytes, no terminator.
void WriteString(CMedia& media, const std::string& text);
// One byte: true when non-zero; written as 1 or 0.
bool ReadBool(CMedia& media);
void WriteBool(CMedia& media, bool value);

} // namespace NSTambor
