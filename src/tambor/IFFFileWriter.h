// Writing a chunk file as nested elements: each Begin opens an element on
// the current one, End closes the innermost, patching its size.
#pragma once

#include "tambor/IFFLevel.h"
#include "tambor/LinkedList.h"

namespace NSTambor {

class CIFFFileWriter {
public:
    explicit CIFFFileWriter(CMedia& media, ESizeOrder order = ESizeOrder::kBigEndian);
    CIFFFileWriter(const CIFFFileWriter&) = delete;
    CIFFFileWriter& operator=(const CIFFFileWriter&) = delete;

    // Write the header (identifier, a size placeholder and for containers
    // the type) at the current media's position and push a level.
    void BeginForm(const CFourCharCode& type) { Begin(EChunkKind::kForm, type); }
    void BeginCat(const CFourCharCode& type) { Begin(EChunkKind::kCat, type); }
    void BeginList(const CFourCharCode& type) { Begin(EChunkKind::kList, type); }
    void BeginChunk(const CFourCharCode& id) { Begin(EChunkKind::kChunk, id); }
    void Begin(EChunkKind kind, const CFourCharCode& idOrType);

    // The media through which the caller writes the current element's data
    // (the file's media when no element is open).
    CMedia& GetCurrentMedia();
    // Closes the innermost element: size = end - header - 8, written at
    // header + 4; back to the end; one zero byte after odd data; pop.
    void End();
    // Open elements. A writer destroyed with open elements leaves their
    // sizes unpatched.
    int32_t GetDepth() const { return fLevels.GetCount(); }

private:
    CMedia& fMedia;
    ESizeOrder fOrder;
    CLinkedList<CIFFFileLevel> fLevels;
};

} // namespace NSTambor
