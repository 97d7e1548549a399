// A folder of the test process's own under the system's temporary folder,
// made at start and removed with everything in it at exit, so no test
// writes into the working folder or the source tree.
#ifndef FILMCORE_TEST_FILES_H
#define FILMCORE_TEST_FILES_H

#include <cstdint>
#include <string>
#include <vector>

// The full path of `name` inside the process's temporary folder.
std::string TestTempPath(const std::string& name);

// Whole files, in binary; an absent file reads as empty.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
long long FileSize(const std::string& path);  // -1 when absent

#endif
