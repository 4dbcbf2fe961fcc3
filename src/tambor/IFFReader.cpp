#include "tambor/IFFReader.h"

#include "app/ZubrikErrors.h"

namespace NSTambor {

CIFFReader::CIFFReader(CMedia& media) : fContainer(media)
{
    if (fContainer.GetKind() == EChunkKind::kChunk)
        throw NSZubrik::XBadFormat();
}

std::unique_ptr<CMedia> CIFFReader::FindChunk(const CFourCharCode& id)
{
    std::optional<CIFFFileLevel> chunk = fContainer.FindChild(EChunkKind::kChunk, id);
    if (!chunk)
        return nullptr;
    return std::make_unique<CPartialMedia>(chunk->fMedia);
}

} // namespace NSTambor
