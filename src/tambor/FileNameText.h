// File names are bytes; the program's texts are UTF-16. The conversion here
// is lossless both ways: a byte sequence that is UTF-8 decodes as such, and
// every other byte b becomes the lone code unit 0xDC00 + b (0xDC80 ...
// 0xDCFF, which no UTF-8 text decodes to), so a name made from the text
// names the same file and no name fails to convert. Messages show such a
// byte as "\xHH", keeping their own text valid UTF-8.
#pragma once

#include <filesystem>
#include <string>

namespace NSTambor {

// The text of a name (or path) as the document and the exports use it.
std::u16string FileNameText(const std::filesystem::path& name);
std::u16string TextOfBytes(const std::string& bytes);
// The name whose bytes that text came from.
std::filesystem::path FileNameFromText(const std::u16string& text);

// UTF-8 for messages, with every escaped byte shown as "\xHH" and any other
// lone surrogate as U+FFFD.
std::string DisplayText(const std::u16string& text);
std::string DisplayText(const std::filesystem::path& path);
// Any bytes the same way: valid UTF-8 as it is, other bytes as "\xHH".
std::string DisplayBytes(const std::string& bytes);

} // namespace NSTambor
