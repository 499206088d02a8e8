// Shared pieces of the fuzz targets: a property check that stops the run, the
// property of an expanded archive entry, a scratch folder for the files the
// parsers read, and the driver that replays a corpus through a target without
// libFuzzer (built with TOLVANE_FUZZ_REPLAY, so that ctest checks the corpus
// on every run).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

// A violated property ends the run the way a sanitizer report does, so that
// libFuzzer saves the input.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? (void)0 : ::tolvane::fuzz::Fail(#condition, __FILE__, __LINE__))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace tolvane::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property violated: %s\n", file, line, condition);
    std::fflush(stderr);
    __builtin_trap();
}

// Expansion is cut off here: a few header bytes may declare gigabytes.
inline constexpr uint64_t kMaxExpanded = 16u << 20;
// The readers expand in pieces and may deliver one piece past the declared size.
inline constexpr uint64_t kPiece = 64u << 10;

// Runs `extract(sink, error)`, a reader's Extract, and checks that an entry it
// accepts delivered exactly `size` bytes with CRC-32 `crc`, and that a refusal
// says why. An expansion past kMaxExpanded is abandoned, unchecked.
// @return whether the entry was accepted.
template <typename Extract> bool CheckExpansion(uint64_t size, uint32_t crc, Extract extract) {
    struct Enough {};
    uint64_t delivered = 0;
    uLong computed = crc32(0L, Z_NULL, 0);
    auto sink = [&](const uint8_t* data, size_t length) {
        computed = crc32(computed, data, static_cast<uInt>(length));
        delivered += length;
        FUZZ_CHECK(delivered <= size + kPiece);
        if (delivered > kMaxExpanded)
            throw Enough{};
    };
    std::string error;
    bool accepted = false;
    try {
        accepted = extract(sink, error);
    } catch (const Enough&) {
        return false;
    }
    FUZZ_CHECK(accepted == error.empty());
    FUZZ_CHECK(!accepted || (delivered == size && computed == crc));
    return accepted;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
}

// One folder per process under the temporary folder ($TMPDIR), removed with
// its contents when the process ends normally. A crash leaves it for the
// post-mortem.
class Scratch {
public:
    static const Scratch& Get() {
        static const Scratch scratch;
        return scratch;
    }

    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Writes `name` afresh and returns its path.
    std::string Write(const std::string& name, const uint8_t* data, size_t size) const {
        const std::string path = *this / name;
        if (!WriteBytes(path, data, size))
            throw std::runtime_error("cannot write " + path);
        return path;
    }

    // An empty folder `name` (emptied when it exists).
    std::string Folder(const std::string& name) const {
        const std::string path = *this / name;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }

    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

private:
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tolvane-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch folder");
        path_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string path_;
};

// Runs every file named on the command line, and every file of every folder
// named there, through the target; fails when there is nothing to run.
inline int ReplayCorpus(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) {
            inputs.emplace_back(argv[i]);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& input : inputs) {
        const std::vector<uint8_t> bytes = ReadBytes(input.string());
        // An exact-size copy, as libFuzzer makes, so that AddressSanitizer sees
        // a read past the end.
        auto copy = std::make_unique<uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), copy.get());
        std::printf("%s (%zu bytes)\n", input.string().c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(copy.get(), bytes.size());
    }
    std::printf("%zu inputs passed\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}

} // namespace tolvane::fuzz

#ifdef TOLVANE_FUZZ_REPLAY
int main(int argc, char** argv) {
    return tolvane::fuzz::ReplayCorpus(argc, argv);
}
#endif
