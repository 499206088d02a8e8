#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tolvane::test {

namespace {

// The tests' paths are UTF-8; a narrow fs::path on Windows would read them
// in the ANSI code page instead.
fs::path PathOf(const std::string& utf8) {
#ifdef _WIN32
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return fs::path(utf8);
#endif
}

std::string TextOf(const fs::path& path) {
#ifdef _WIN32
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

} // namespace

TempFolder::TempFolder() {
#ifdef _WIN32
    // No mkdtemp: a random name made exclusively, with "/" as the tests join paths.
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("tolvane-test-" + std::to_string(seed() % 1000000000u));
        std::error_code ec;
        if (fs::create_directory(candidate, ec))
            path_ = candidate.generic_string();
    }
    if (path_.empty())
        throw std::runtime_error("cannot create a scratch folder");
#else
    std::string pattern = (fs::temp_directory_path() / "tolvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
#endif
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Read-only folders would stop the removal; give every entry write access first.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempFolder::WriteFile(const std::string& relative, const std::string& content) const {
    return WriteFile(relative, std::vector<uint8_t>(content.begin(), content.end()));
}

std::string TempFolder::WriteFile(const std::string& relative,
                                  const std::vector<uint8_t>& content) const {
    fs::path full = PathOf(path_) / PathOf(relative);
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + TextOf(full));
    return TextOf(full);
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
    fs::path full = PathOf(path_) / PathOf(relative);
    fs::create_directories(full);
    return TextOf(full);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    // In one read: the crash tests compare archives of tens of MB many times.
    std::ifstream in(PathOf(path), std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(count);
    for (auto& b : out)
        b = static_cast<uint8_t>(gen());
    return out;
}

} // namespace tolvane::test
