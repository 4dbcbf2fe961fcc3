#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <random>

namespace NSTestSupport {

std::string SourcePath(const std::string& relative)
{
    return std::string(ZUBRIK_SOURCE_DIR) + "/" + relative;
}

namespace {
struct CTemporaryRoot {
    std::filesystem::path fPath;
    CTemporaryRoot()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zubrik-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            fPath = pattern;
        else
            fPath = std::filesystem::temp_directory_path();
    }
    ~CTemporaryRoot()
    {
        std::error_code ignored;
        std::filesystem::remove_all(fPath, ignored);
    }
};
} // namespace

std::string TemporaryFolder()
{
    static CTemporaryRoot root;
    static int counter = 0;
    std::filesystem::path folder = root.fPath / std::to_string(++counter);
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::vector<int32_t> Noise(size_t count, int32_t amplitude, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int32_t> distribution(-amplitude, amplitude);
    std::vector<int32_t> values(count);
    for (auto& v : values)
        v = distribution(generator);
    return values;
}

} // namespace NSTestSupport
