#include "tambor/IFFFileWriter.h"

#include "app/ZubrikErrors.h"

namespace NSTambor {

CIFFFileWriter::CIFFFileWriter(CMedia& media, ESizeOrder order) : fMedia(media), fOrder(order)
{
}

void CIFFFileWriter::Begin(EChunkKind kind, const CFourCharCode& idOrType)
{
    if (kind == EChunkKind::kWhole)
        throw NSZubrik::XIllegalCallSequence();
    fLevels.Append(BeginLevel(GetCurrentMedia(), fOrder, kind, idOrType));
}

CMedia& CIFFFileWriter::GetCurrentMedia()
{
    return fLevels.IsEmpty() ? fMedia : fLevels.GetTail().fMedia;
}

void CIFFFileWriter::End()
{
    if (fLevels.IsEmpty())
        throw NSZubrik::XIllegalCallSequence();
    EndLevel(fLevels.GetTail(), fOrder, true);
    fLevels.RemoveTail();
}

} // namespace NSTambor
