// The single-level reader of the older AIFF-based files: one container
// (normally a "FORM") at the media's position and lookup of its chunks.
#pragma once

#include "tambor/IFFReader2.h"

#include <memory>

namespace NSTambor {

class CIFFReader {
public:
    // Reads the container header at the media's position; an element that
    // is not a container is XBadFormat.
    explicit CIFFReader(CMedia& media);

    EChunkKind GetKind() const { return fContainer.GetKind(); }
    const CFourCharCode& GetId() const { return fContainer.GetId(); }
    const CFourCharCode& GetType() const { return fContainer.GetType(); }
    int32_t GetSize() const { return fContainer.GetSize(); }
    // The container's children after its type.
    CPartialMedia& GetMedia() { return fContainer.GetMedia(); }

    // A media over the data of the first chunk with this identifier, or
    // null when the container has none.
    std::unique_ptr<CMedia> FindChunk(const CFourCharCode& id);

private:
    CIFFReader2 fContainer;
};

} // namespace NSTambor
