// Helpers shared by the test programs: where the bundled files are, and
// deterministic signals generated in code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace NSTestSupport {

// The repository's folder, for files the repository ships (the demo loop).
std::string SourcePath(const std::string& relative);

// A fresh, empty folder for one test's files; removed when the process ends.
std::string TemporaryFolder();

// Deterministic white noise in [-amplitude, amplitude].
std::vector<int32_t> Noise(size_t count, int32_t amplitude, uint32_t seed);

} // namespace NSTestSupport
