// Reading a chunk file by descending and ascending through its elements by
// identifier. The reader keeps a stack of open levels; the top is the
// current element. Every search starts at the beginning of the current
// container's data and walks its children in order, so callers do not
// depend on the order of the elements they look up.
#pragma once

#include "tambor/IFFLevel.h"
#include "tambor/LinkedList.h"

#include <memory>

namespace NSTambor {

class CIFFFileReader {
public:
    // The stack starts with the whole media as the current level.
    explicit CIFFFileReader(CMedia& media, ESizeOrder order = ESizeOrder::kBigEndian);
    CIFFFileReader(const CIFFFileReader&) = delete;
    CIFFFileReader& operator=(const CIFFFileReader&) = delete;

    // Find the first matching element in the current level and make it
    // current; XBadFormat when there is none.
    void EnterForm(const CFourCharCode& type) { Enter(EChunkKind::kForm, type); }
    void EnterCat(const CFourCharCode& type) { Enter(EChunkKind::kCat, type); }
    void EnterList(const CFourCharCode& type) { Enter(EChunkKind::kList, type); }
    void EnterChunk(const CFourCharCode& id) { Enter(EChunkKind::kChunk, id); }
    // The same, returning false when there is none.
    bool TryEnterForm(const CFourCharCode& type) { return TryEnter(EChunkKind::kForm, type); }
    bool TryEnterCat(const CFourCharCode& type) { return TryEnter(EChunkKind::kCat, type); }
    bool TryEnterList(const CFourCharCode& type) { return TryEnter(EChunkKind::kList, type); }
    bool TryEnterChunk(const CFourCharCode& id) { return TryEnter(EChunkKind::kChunk, id); }
    void Enter(EChunkKind kind, const CFourCharCode& code);
    bool TryEnter(EChunkKind kind, const CFourCharCode& code);

    // A media over the data of the first chunk with this identifier in the
    // current level, without changing the stack; null when there is none.
    // It stays valid as long as the file's media.
    std::unique_ptr<CMedia> FindChunkMedia(const CFourCharCode& id);

    // The data of the current element (a container's children after its
    // type), read with the big-endian helpers.
    CPartialMedia& GetCurrentMedia() { return fLevels.GetTail().fMedia; }
    const CFourCharCode& GetCurrentId() const { return fLevels.GetTail().fId; }
    const CFourCharCode& GetCurrentType() const { return fLevels.GetTail().fType; }
    EChunkKind GetCurrentKind() const { return fLevels.GetTail().fKind; }
    int32_t GetCurrentSize() const { return fLevels.GetTail().fDataSize; }
    // Open levels above the whole media.
    int32_t GetDepth() const { return fLevels.GetCount() - 1; }

    // Elements inside the current container (0 for a plain chunk); the
    // position of its media is restored.
    int32_t CountChildren();
    // Makes the first child current; false when the container is empty
    // (or the current element is a plain chunk).
    bool EnterFirstChild();
    // Leaves the current element and makes the next element of the same
    // container current; false at the end, the container then being current.
    bool EnterNextSibling();
    // Pops the current level (XIllegalCallSequence at the whole media).
    void Leave();

private:
    CMedia& ContainerMedia();

    ESizeOrder fOrder;
    CLinkedList<CIFFFileLevel> fLevels;
};

} // namespace NSTambor
