#include "tambor/IFFWriter2.h"

#include "app/ZubrikErrors.h"

namespace NSTambor {

void CIFFWriter2::Begin(EChunkKind kind, const CFourCharCode& idOrType)
{
    if (fLevel)
        throw NSZubrik::XIllegalCallSequence();
    fLevel.emplace(BeginLevel(fParent, fOrder, kind, idOrType));
}

CMedia& CIFFWriter2::GetMedia()
{
    if (!fLevel)
        throw NSZubrik::XIllegalCallSequence();
    return fLevel->fMedia;
}

void CIFFWriter2::End()
{
    if (!fLevel)
        throw NSZubrik::XIllegalCallSequence();
    EndLevel(*fLevel, fOrder, fPadOddSize);
    fLevel.reset();
}

} // namespace NSTambor
