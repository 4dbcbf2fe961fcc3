// Four-character codes: chunk identifiers, container types, file type codes
// and clipboard flavours.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace NSTambor {

class CMedia;

// Four bytes in file order. Every way of building a code turns zero bytes
// into blanks, so "EQ" padded with zeros and "EQ  " are the same code and a
// code never holds a zero byte. Readers that must judge the raw bytes of a
// file (the chunk identifier rule) check them before building the code.
class CFourCharCode {
public:
    constexpr CFourCharCode() : fBytes{' ', ' ', ' ', ' '} {}
    constexpr CFourCharCode(char a, char b, char c, char d)
        : fBytes{Blank(a), Blank(b), Blank(c), Blank(d)}
    {
    }
    // From a literal of up to four characters: CFourCharCode("EQ  ").
    template <size_t N>
    constexpr CFourCharCode(const char (&text)[N])
        : CFourCharCode(At(text, 0), At(text, 1), At(text, 2), At(text, 3))
    {
        static_assert(N <= 5, "a four-character code has at most four characters");
    }

    // The code whose big-endian u32 is value (zero bytes become blanks).
    static constexpr CFourCharCode FromValue(uint32_t value)
    {
        return CFourCharCode(static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                             static_cast<char>(value >> 8), static_cast<char>(value));
    }
    // The first four characters of text, blanks filling up a shorter one.
    static constexpr CFourCharCode FromString(std::string_view text)
    {
        const auto at = [&text](size_t i) { return i < text.size() ? text[i] : ' '; };
        return CFourCharCode(at(0), at(1), at(2), at(3));
    }
    // Reads four bytes at the media's position.
    static CFourCharCode Read(CMedia& media);

    constexpr uint32_t GetValue() const
    {
        return (uint32_t(fBytes[0]) << 24) | (uint32_t(fBytes[1]) << 16) |
               (uint32_t(fBytes[2]) << 8) | fBytes[3];
    }
    constexpr const std::array<uint8_t, 4>& GetBytes() const { return fBytes; }
    std::string ToString() const { return std::string(fBytes.begin(), fBytes.end()); }
    // Writes the code as a big-endian u32, which is its four bytes in order.
    void Write(CMedia& media) const;

    constexpr bool operator==(const CFourCharCode& other) const { return fBytes == other.fBytes; }
    constexpr bool operator<(const CFourCharCode& other) const
    {
        return GetValue() < other.GetValue();
    }

private:
    static constexpr uint8_t Blank(char c) { return c == 0 ? ' ' : static_cast<uint8_t>(c); }
    template <size_t N>
    static constexpr char At(const char (&text)[N], size_t i)
    {
        return i < N ? text[i] : '\0';
    }

    std::array<uint8_t, 4> fBytes;
};

// A code naming a kind of program resource. The platform knows dialogs and
// bitmaps by number and every other kind by name.
class CResourceType : public CFourCharCode {
public:
    static constexpr int32_t kStandardDialogType = 5;
    static constexpr int32_t kStandardBitmapType = 2;

    using CFourCharCode::CFourCharCode;
    CResourceType(const CFourCharCode& code) : CFourCharCode(code) {}

    // The standard type number for "DLOG" and "BMP ", else 0.
    int32_t GetStandardType() const;
    // The type's name when it has no standard number, else empty.
    std::string GetTypeName() const;
};

} // namespace NSTambor
