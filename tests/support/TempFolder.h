// A scratch folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing separator.
    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    // Writes a file (creating its folders) and returns its full path.
    std::string WriteFile(const std::string& relative, const std::string& content) const;
    std::string WriteFile(const std::string& relative, const std::vector<uint8_t>& content) const;
    // Creates a folder (and its parents) and returns its full path.
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string path_;
};

std::string ReadFileText(const std::string& path);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// Deterministic pseudo-random bytes.
std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);

} // namespace tolvane::test
