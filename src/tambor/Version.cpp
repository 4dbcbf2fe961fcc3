#include "tambor/Version.h"

#include "app/ZubrikErrors.h"
#include "tambor/Media.h"

namespace NSTambor {

CVersion CVersion::Read(CMedia& media)
{
    uint8_t bytes[kStoredSize];
    ReadBytes(media, kStoredSize, bytes);
    if (bytes[0] != kMarker)
        throw NSZubrik::XBadFormat();
    return CVersion(bytes[1], bytes[2], bytes[3]);
}

void CVersion::Write(CMedia& media) const
{
    const uint8_t bytes[kStoredSize] = {kMarker, fMajor, fMinor, fRevision, fReserved};
    WriteBytes(media, kStoredSize, bytes);
}

std::string CVersion::ToString() const
{
    return std::to_string(fMajor) + "." + std::to_string(fMinor) + "." + std::to_string(fRevision);
}

std::string CTamborFileVersion::ToString() const
{
    return std::to_string(fParts[0]) + "." + std::to_string(fParts[1]) + "." +
           std::to_string(fParts[2]);
}

} // namespace NSTambor
