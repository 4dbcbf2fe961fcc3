// Reading one element of a chunk file: the level class under the file
// reader, also usable alone to walk the elements of a media in order.
#pragma once

#include "tambor/IFFLevel.h"

namespace NSTambor {

class CIFFReader2 {
public:
    // Reads the element header at the parent's current position (XBadFormat
    // on a damaged header or a size beyond the rest of the parent).
    explicit CIFFReader2(CMedia& parent, ESizeOrder order = ESizeOrder::kBigEndian);

    EChunkKind GetKind() const { return fLevel.fKind; }
    const CFourCharCode& GetId() const { return fLevel.fId; }
    const CFourCharCode& GetType() const { return fLevel.fType; }
    int32_t GetSize() const { return fLevel.fDataSize; }
    const CIFFFileLevel& GetLevel() const { return fLevel; }
    // The element's data (for a container, the children after its type).
    CPartialMedia& GetMedia() { return fLevel.fMedia; }

    // The first child of this kind whose identifier (chunks) or type
    // (containers) is code, or none.
    std::optional<CIFFFileLevel> FindChild(EChunkKind kind, const CFourCharCode& code);
    // Moves the parent past this element and its pad byte; false when no
    // further complete header follows in the parent.
    bool MoveToNext();

private:
    CMedia& fParent;
    ESizeOrder fOrder;
    CIFFFileLevel fLevel;
};

} // namespace NSTambor
