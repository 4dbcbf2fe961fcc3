#include "tambor/FileNameText.h"

#include <cstdint>
#include <cstdio>

namespace NSTambor {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at text[at] (its code point
// in code), or 0 when the byte there does not start one.
size_t Utf8Sequence(const std::string& text, size_t at, char32_t& code)
{
    const auto byte = [&](size_t i) { return uint8_t(text[at + i]); };
    const uint8_t lead = byte(0);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i)))
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not text.
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return 0;
    return length;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

// Walks UTF-16 text: whole characters to character, escaped bytes to
// escaped, other lone surrogates to U+FFFD.
template <typename TCharacter, typename TEscaped>
void Walk(const std::u16string& text, TCharacter character, TEscaped escaped)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            character(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            escaped(uint8_t(unit - kEscapeBase));
        } else if (unit >= 0xD800 && unit < 0xE000) {
            character(0xFFFD);
        } else {
            character(unit);
        }
    }
}

} // namespace

std::u16string FileNameText(const std::filesystem::path& name) { return TextOfBytes(name.native()); }

std::u16string TextOfBytes(const std::string& bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const size_t length = Utf8Sequence(bytes, at, code);
        if (length == 0) {
            text.push_back(char16_t(kEscapeBase + uint8_t(bytes[at])));
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            text.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(char16_t(code));
        }
        at += length;
    }
    return text;
}

std::filesystem::path FileNameFromText(const std::u16string& text)
{
    std::string bytes;
    Walk(text, [&](char32_t code) { AppendUtf8(bytes, code); }, [&](uint8_t byte) { bytes.push_back(char(byte)); });
    return std::filesystem::path(bytes);
}

std::string DisplayText(const std::u16string& text)
{
    std::string out;
    Walk(text, [&](char32_t code) { AppendUtf8(out, code); },
         [&](uint8_t byte) {
             char escaped[8];
             std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
             out += escaped;
         });
    return out;
}

std::string DisplayText(const std::filesystem::path& path) { return DisplayBytes(path.native()); }

std::string DisplayBytes(const std::string& bytes) { return DisplayText(TextOfBytes(bytes)); }

} // namespace NSTambor
