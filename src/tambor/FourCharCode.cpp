#include "tambor/FourCharCode.h"

#include "tambor/Media.h"

namespace NSTambor {

CFourCharCode CFourCharCode::Read(CMedia& media)
{
    return FromValue(ReadU32BE(media));
}

void CFourCharCode::Write(CMedia& media) const
{
    WriteU32BE(media, GetValue());
}

int32_t CResourceType::GetStandardType() const
{
    if (*this == CFourCharCode("DLOG"))
        return kStandardDialogType;
    if (*this == CFourCharCode("BMP "))
        return kStandardBitmapType;
    return 0;
}

std::string CResourceType::GetTypeName() const
{
    return GetStandardType() == 0 ? ToString() : std::string();
}

} // namespace NSTambor
