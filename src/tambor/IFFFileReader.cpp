#include "tambor/IFFFileReader.h"

#include "app/ZubrikErrors.h"

namespace NSTambor {

CIFFFileReader::CIFFFileReader(CMedia& media, ESizeOrder order) : fOrder(order)
{
    fLevels.Append(WholeMediaLevel(media));
}

CMedia& CIFFFileReader::ContainerMedia()
{
    return fLevels.GetTail().fMedia;
}

bool CIFFFileReader::TryEnter(EChunkKind kind, const CFourCharCode& code)
{
    if (!fLevels.GetTail().IsContainer())
        return false;
    std::optional<CIFFFileLevel> child = FindChildLevel(ContainerMedia(), fOrder, kind, code);
    if (!child)
        return false;
    fLevels.Append(std::move(*child));
    return true;
}

void CIFFFileReader::Enter(EChunkKind kind, const CFourCharCode& code)
{
    if (!TryEnter(kind, code))
        throw NSZubrik::XBadFormat();
}

std::unique_ptr<CMedia> CIFFFileReader::FindChunkMedia(const CFourCharCode& id)
{
    if (!fLevels.GetTail().IsContainer())
        return nullptr;
    std::optional<CIFFFileLevel> child =
        FindChildLevel(ContainerMedia(), fOrder, EChunkKind::kChunk, id);
    if (!child)
        return nullptr;
    return std::make_unique<CPartialMedia>(child->fMedia);
}

int32_t CIFFFileReader::CountChildren()
{
    if (!fLevels.GetTail().IsContainer())
        return 0;
    CMedia& container = ContainerMedia();
    const int32_t saved = container.GetPosition();
    int32_t count = 0;
    container.SetPosition(0);
    bool more = container.GetSize() >= kChunkHeaderSize;
    while (more) {
        const CIFFFileLevel child = ReadLevelHeader(container, fOrder);
        ++count;
        more = MoveToNextSibling(container, child);
    }
    container.SetPosition(saved);
    return count;
}

bool CIFFFileReader::EnterFirstChild()
{
    if (!fLevels.GetTail().IsContainer())
        return false;
    CMedia& container = ContainerMedia();
    container.SetPosition(0);
    if (container.GetSize() < kChunkHeaderSize)
        return false;
    fLevels.Append(ReadLevelHeader(container, fOrder));
    return true;
}

bool CIFFFileReader::EnterNextSibling()
{
    if (fLevels.GetCount() < 2)
        throw NSZubrik::XIllegalCallSequence();
    const CIFFFileLevel current = fLevels.GetTail();
    fLevels.RemoveTail();
    CMedia& container = ContainerMedia();
    if (!MoveToNextSibling(container, current))
        return false;
    fLevels.Append(ReadLevelHeader(container, fOrder));
    return true;
}

void CIFFFileReader::Leave()
{
    if (fLevels.GetCount() < 2)
        throw NSZubrik::XIllegalCallSequence();
    fLevels.RemoveTail();
}

} // namespace NSTambor
