// Version values stored in files, and the product version record.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>

namespace NSTambor {

class CMedia;

// A three-part version (major.minor.revision) with a fourth byte that is
// always 0. In files it takes 5 bytes: the marker 0xBC, major, minor,
// revision, 0.
class CVersion {
public:
    static constexpr uint8_t kMarker = 0xBC;
    static constexpr int32_t kRecordSize = 4;
    static constexpr int32_t kStoredSize = 5;

    constexpr CVersion() = default;
    constexpr CVersion(uint8_t major, uint8_t minor, uint8_t revision)
        : fMajor(major), fMinor(minor), fRevision(revision)
    {
    }
    // Reads the 5 stored bytes; a first byte other than 0xBC is XBadFormat.
    static CVersion Read(CMedia& media);
    void Write(CMedia& media) const;

    constexpr uint8_t GetMajor() const { return fMajor; }
    constexpr uint8_t GetMinor() const { return fMinor; }
    constexpr uint8_t GetRevision() const { return fRevision; }
    // (major * 256 + minor) * 256 + revision: the order of versions.
    constexpr int32_t GetValue() const { return (fMajor * 256 + fMinor) * 256 + fRevision; }

    constexpr bool operator==(const CVersion& other) const { return GetValue() == other.GetValue(); }
    constexpr std::strong_ordering operator<=>(const CVersion& other) const
    {
        return GetValue() <=> other.GetValue();
    }
    // At least low, and a major no newer than high's major (any minor or
    // revision of that major is accepted).
    constexpr bool IsInRange(const CVersion& low, const CVersion& high) const
    {
        return *this >= low && fMajor <= high.fMajor;
    }
    constexpr bool SameMajor(const CVersion& other) const { return fMajor == other.fMajor; }

    std::string ToString() const;

private:
    uint8_t fMajor = 0;
    uint8_t fMinor = 0;
    uint8_t fRevision = 0;
    uint8_t fReserved = 0;
};

// The product version record of a program file: four u16 parts, a further
// u16 and a u32 (their meaning belongs to the platform's version resource).
class CTamborFileVersion {
public:
    constexpr CTamborFileVersion() = default;
    constexpr CTamborFileVersion(uint16_t major, uint16_t minor, uint16_t revision,
                                 uint16_t build = 0, uint16_t flags = 0, uint32_t extra = 0)
        : fParts{major, minor, revision, build}, fFlags(flags), fExtra(extra)
    {
    }
    constexpr uint16_t GetPart(int index) const { return fParts[static_cast<size_t>(index)]; }
    constexpr uint16_t GetFlags() const { return fFlags; }
    constexpr uint32_t GetExtra() const { return fExtra; }
    // The first three parts joined by points, e.g. "2.0.1".
    std::string ToString() const;

private:
    std::array<uint16_t, 4> fParts{};
    uint16_t fFlags = 0;
    uint32_t fExtra = 0;
};

} // namespace NSTambor
