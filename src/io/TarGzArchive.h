// A gzip-compressed tar archive (POSIX ustar members in a gzip stream, RFC
// 1952) built in memory from named files. The deflate stream uses stored
// blocks only: the archive is a container here, the sound in it does not
// shrink much anyway, and every gzip reader takes stored blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace NSZubrik {

using TArchiveBytes = std::vector<uint8_t>;

class CTarGzArchive {
public:
    // Longest member path a ustar header holds without its prefix field.
    static constexpr size_t kMaxPathLength = 99;

    // A folder member; path without a trailing slash.
    void AddFolder(const std::string& path);
    // A file member with its bytes.
    void AddFile(const std::string& path, const TArchiveBytes& bytes);
    // The whole .tar.gz.
    TArchiveBytes Finish() const;

    // CRC-32 of gzip (polynomial 0xEDB88320), continued from crc.
    static uint32_t Crc32(const uint8_t* bytes, size_t count, uint32_t crc = 0);

private:
    void AddHeader(const std::string& path, size_t size, char type);

    TArchiveBytes fTar;
};

} // namespace NSZubrik
