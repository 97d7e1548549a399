#include "test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {

// Made before any test runs, as tests later point TMP or TMPDIR elsewhere;
// the build tree serves when the system names no temporary folder.
struct ProcessFolder {
    std::filesystem::path path;
    ProcessFolder()
    {
        std::error_code error;
        path = std::filesystem::temp_directory_path(error);
        path = (error ? std::filesystem::path(FILMCORE_BINARY_DIR) : path) / ("filmcore_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(path, error);
    }
    ~ProcessFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
} g_folder;

}  // namespace

std::string TestTempPath(const std::string& name) { return (g_folder.path / name).string(); }

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    const std::string text = ReadFileText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

void WriteFileText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

long long FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}
