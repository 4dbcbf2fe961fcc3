// A record's bytes built in memory before they are written as one piece,
// with numbers in either byte order: the layouts of other programs' files
// mix both.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace NSTambor {

class CByteBuilder {
public:
    void U8(uint8_t value) { fBytes.push_back(value); }
    void U16LE(uint16_t value)
    {
        U8(uint8_t(value));
        U8(uint8_t(value >> 8));
    }
    void U32LE(uint32_t value)
    {
        U16LE(uint16_t(value));
        U16LE(uint16_t(value >> 16));
    }
    void U16BE(uint16_t value)
    {
        U8(uint8_t(value >> 8));
        U8(uint8_t(value));
    }
    void U32BE(uint32_t value)
    {
        U16BE(uint16_t(value >> 16));
        U16BE(uint16_t(value));
    }
    void Zeros(size_t count) { fBytes.insert(fBytes.end(), count, 0); }
    void Append(std::span<const uint8_t> bytes) { fBytes.insert(fBytes.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view text) { fBytes.insert(fBytes.end(), text.begin(), text.end()); }
    // The text cut to size bytes, zero-filled to them.
    void Field(std::string_view text, size_t size)
    {
        Text(text.substr(0, std::min(text.size(), size)));
        Zeros(size - std::min(text.size(), size));
    }

    size_t Size() const { return fBytes.size(); }
    const std::vector<uint8_t>& Data() const { return fBytes; }
    std::vector<uint8_t>& Data() { return fBytes; }

private:
    std::vector<uint8_t> fBytes;
};

} // namespace NSTambor
