#include "io/TarGzArchive.h"

#include "app/ZubrikErrors.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace NSZubrik {

namespace {

constexpr size_t kBlock = 512;
// The largest stored deflate block.
constexpr size_t kStoredBlock = 65535;

void PutOctal(uint8_t* field, size_t width, uint64_t value)
{
    // width - 1 digits and a terminating zero byte.
    char text[32];
    std::snprintf(text, sizeof text, "%0*llo", int(width - 1), static_cast<unsigned long long>(value));
    std::memcpy(field, text, width - 1);
    field[width - 1] = 0;
}

void PutLE(TArchiveBytes& bytes, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) bytes.push_back(uint8_t(value >> (8 * i)));
}

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

uint32_t CTarGzArchive::Crc32(const uint8_t* bytes, size_t count, uint32_t crc)
{
    const std::array<uint32_t, 256>& table = CrcTable();
    crc = ~crc;
    for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void CTarGzArchive::AddHeader(const std::string& path, size_t size, char type)
{
    if (path.empty() || path.size() > kMaxPathLength) throw XInvariantCorrupt();
    uint8_t header[kBlock] = {};
    std::memcpy(header, path.data(), path.size());
    PutOctal(header + 100, 8, type == '5' ? 0755 : 0644);  // mode
    PutOctal(header + 108, 8, 0);                          // owner
    PutOctal(header + 116, 8, 0);                          // group
    PutOctal(header + 124, 12, size);
    PutOctal(header + 136, 12, 0);  // modification time
    header[156] = uint8_t(type);
    std::memcpy(header + 257, "ustar", 6);
    std::memcpy(header + 263, "00", 2);
    // The checksum is summed with its own field as spaces.
    std::memset(header + 148, ' ', 8);
    uint32_t sum = 0;
    for (uint8_t byte : header) sum += byte;
    PutOctal(header + 148, 7, sum);
    header[155] = ' ';
    fTar.insert(fTar.end(), header, header + kBlock);
}

void CTarGzArchive::AddFolder(const std::string& path)
{
    AddHeader(path + "/", 0, '5');
}

void CTarGzArchive::AddFile(const std::string& path, const TArchiveBytes& bytes)
{
    AddHeader(path, bytes.size(), '0');
    fTar.insert(fTar.end(), bytes.begin(), bytes.end());
    fTar.resize((fTar.size() + kBlock - 1) / kBlock * kBlock, 0);
}

TArchiveBytes CTarGzArchive::Finish() const
{
    TArchiveBytes tar = fTar;
    // Two zero blocks end the archive.
    tar.resize(tar.size() + 2 * kBlock, 0);

    TArchiveBytes gz = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 255};  // deflate, no flags, unknown system
    gz.reserve(tar.size() + tar.size() / kStoredBlock * 5 + 32);
    for (size_t at = 0; at < tar.size(); at += kStoredBlock) {
        const size_t count = std::min(kStoredBlock, tar.size() - at);
        gz.push_back(at + count == tar.size() ? 1 : 0);  // last-block bit, stored type
        PutLE(gz, uint32_t(count), 2);
        PutLE(gz, uint32_t(~count & 0xFFFF), 2);
        gz.insert(gz.end(), tar.begin() + std::ptrdiff_t(at), tar.begin() + std::ptrdiff_t(at + count));
    }
    PutLE(gz, Crc32(tar.data(), tar.size()), 4);
    PutLE(gz, uint32_t(tar.size()), 4);
    return gz;
}

} // namespace NSZubrik
