// The chunk model shared by the IFF and RIFF readers and writers: element
// kinds, the identifier rule, the byte order of sizes, and the record kept
// for one open element.
//
// On disk every element is a four-character identifier and a u32 size
// (counting the data only), then the data and, after odd data, one pad byte
// 0. A container's data begins with its four-character type.
#pragma once

#include "tambor/FourCharCode.h"
#include "tambor/Media.h"

#include <cstdint>
#include <optional>

namespace NSTambor {

enum class EChunkKind : int32_t {
    kWhole = -1, // the whole media a file reader starts on
    kChunk = 0,
    kForm = 1, // "FORM", or "RIFF" in little-endian files
    kCat = 2,  // "CAT "
    kList = 3, // "LIST"
};

// How sizes are stored: big-endian in IFF files, little-endian in RIFF.
enum class ESizeOrder { kBigEndian, kLittleEndian };

inline constexpr int32_t kChunkHeaderSize = 8;
inline constexpr int32_t kContainerTypeSize = 4;

// Every byte in 32 ... 126, and a blank only after a non-blank: "EQ  " is an
// identifier, " EQ " and four blanks are not.
bool IsValidIdentifier(const uint8_t bytes[4]);

// The kind that an element with this identifier has.
EChunkKind KindOfIdentifier(const CFourCharCode& id, ESizeOrder order);
// The identifier written for a container of this kind.
CFourCharCode IdentifierOfKind(EChunkKind kind, ESizeOrder order);

// One open element: where its header stands in the parent media, its data,
// and a window that shows exactly the element's data (for a container, the
// bytes after its type).
struct CIFFFileLevel {
    CIFFFileLevel(EChunkKind kind, const CFourCharCode& id, const CFourCharCode& type,
                  int32_t headerPosition, int32_t dataStart, int32_t dataSize,
                  const CPartialMedia& media);

    bool IsContainer() const { return fKind != EChunkKind::kChunk; }
    EChunkKind fKind;
    CFourCharCode fId;
    CFourCharCode fType; // containers only
    int32_t fHeaderPosition;
    int32_t fDataStart; // first byte after the 8-byte header
    int32_t fDataSize;  // the size field: includes a container's type
    CPartialMedia fMedia;
};

// The level for a whole media (the starting point of a file reader).
CIFFFileLevel WholeMediaLevel(CMedia& media);

// Reads the element header at the parent's position. Fails with XBadFormat
// on a damaged identifier or type or a size beyond the rest of the parent.
CIFFFileLevel ReadLevelHeader(CMedia& parent, ESizeOrder order);

// Walks the children of a container's data from its start and returns the
// first of this kind whose identifier (chunks) or type (containers) is code.
std::optional<CIFFFileLevel> FindChildLevel(CMedia& container, ESizeOrder order,
                                            EChunkKind kind, const CFourCharCode& code);

// Moves the container to the header after child (or to its end when the
// pad byte of a last odd element is missing); false when no complete
// header follows.
bool MoveToNextSibling(CMedia& container, const CIFFFileLevel& child);

// Writes the header of a new element at the parent's position with a
// placeholder size; the level's window runs unbounded from its data.
CIFFFileLevel BeginLevel(CMedia& parent, ESizeOrder order, EChunkKind kind,
                         const CFourCharCode& idOrType);

// Closes a written element: size = the parent's position - header - 8,
// patched into the header; the parent returns to its end position and gets
// the pad byte after odd data when asked.
void EndLevel(const CIFFFileLevel& level, ESizeOrder order, bool padOddSize);

} // namespace NSTambor
