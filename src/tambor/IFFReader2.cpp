#include "tambor/IFFReader2.h"

namespace NSTambor {

CIFFReader2::CIFFReader2(CMedia& parent, ESizeOrder order)
    : fParent(parent), fOrder(order), fLevel(ReadLevelHeader(parent, order))
{
}

std::optional<CIFFFileLevel> CIFFReader2::FindChild(EChunkKind kind, const CFourCharCode& code)
{
    if (!fLevel.IsContainer())
        return std::nullopt;
    return FindChildLevel(fLevel.fMedia, fOrder, kind, code);
}

bool CIFFReader2::MoveToNext()
{
    return MoveToNextSibling(fParent, fLevel);
}

} // namespace NSTambor
