// The names the program shows of itself (about box, window titles, the
// command line's --version) and where its per-user files live.
#pragma once

namespace NSZubrik {

inline constexpr const char* kProductName = "Zubrik";
inline constexpr const char* kCompanyName = "Zubrik Audio";
inline constexpr const char* kAboutMenuItem = "About Zubrik!...";

// The program's version as "major.minor.patch".
const char* ProductVersion();

} // namespace NSZubrik
