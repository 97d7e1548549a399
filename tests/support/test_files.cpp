#include "test_files.h"

#include <filesystem>

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
