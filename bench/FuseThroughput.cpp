// Fuse encoder throughput and size next to zlib's deflate at level 6 on the
// same files in the same run. Files are read into memory first, so the times
// are the coders' own.
// Usage: fuse-throughput FOLDER   (takes the text-like files under FOLDER)
#include "archive/codecs/FuseEncoder.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tolvane::archive::fuse::FuseEncoder;
using tolvane::archive::fuse::FuseOutcome;
using tolvane::archive::fuse::FuseStreams;

namespace {

constexpr double kTargetMBps = 15.0;

std::vector<std::vector<uint8_t>> LoadTextFiles(const fs::path& folder) {
    const std::set<std::string> textExtensions = {".txt", ".md", ".csv", ".log",  ".c",  ".h",
                                                  ".cpp", ".py", ".js",  ".html", ".css"};
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && textExtensions.count(entry.path().extension().string()))
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::vector<uint8_t>> files;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Total coded size; a file that does not shrink counts with its own size, as
// the archive would store it.
uint64_t FuseAll(const std::vector<std::vector<uint8_t>>& files) {
    FuseEncoder encoder;
    uint64_t total = 0;
    for (const auto& file : files) {
        size_t at = 0;
        uint64_t coded = 0;
        FuseStreams streams;
        streams.read = [&](uint8_t* buffer, size_t length) {
            const size_t count = std::min(length, file.size() - at);
            if (count > 0)
                std::memcpy(buffer, file.data() + at, count);
            at += count;
            return count;
        };
        streams.write = [&](uint8_t*, size_t length) { coded += length; };
        total += encoder.Encode(streams) == FuseOutcome::Done ? coded : file.size();
    }
    return total;
}

uint64_t DeflateAll(const std::vector<std::vector<uint8_t>>& files) {
    z_stream zs{};
    deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(1 << 17);
    uint64_t total = 0;
    for (const auto& file : files) {
        deflateReset(&zs);
        zs.next_in = const_cast<Bytef*>(file.data());
        zs.avail_in = static_cast<uInt>(file.size());
        int status = Z_OK;
        uint64_t coded = 0;
        while (status != Z_STREAM_END) {
            zs.next_out = out.data();
            zs.avail_out = static_cast<uInt>(out.size());
            status = deflate(&zs, Z_FINISH);
            coded += out.size() - zs.avail_out;
        }
        total += std::min<uint64_t>(coded, file.size());
    }
    deflateEnd(&zs);
    return total;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fprintf(argc == 2 ? stdout : stderr, "Usage: fuse-throughput FOLDER\n");
        return argc == 2 ? 0 : 2;
    }
    if (!fs::is_directory(argv[1])) {
        std::fprintf(stderr, "fuse-throughput: %s: no such folder\n", argv[1]);
        return 2;
    }
    const auto files = LoadTextFiles(argv[1]);
    uint64_t input = 0;
    for (const auto& file : files)
        input += file.size();
    const double mb = static_cast<double>(input) / 1e6;

    // Best of two runs each.
    double fuseTime = 1e9;
    double deflateTime = 1e9;
    uint64_t fuseSize = 0;
    uint64_t deflateSize = 0;
    for (int run = 0; run < 2; ++run) {
        auto start = std::chrono::steady_clock::now();
        fuseSize = FuseAll(files);
        fuseTime = std::min(fuseTime, Seconds(start));
        start = std::chrono::steady_clock::now();
        deflateSize = DeflateAll(files);
        deflateTime = std::min(deflateTime, Seconds(start));
    }
    const double fuseSpeed = mb / fuseTime;
    std::printf("text-like files: %zu, %.1f MB\n", files.size(), mb);
    std::printf("fuse       %7.3f s  %7.1f MB/s  %12llu bytes (%.3f of the input)\n", fuseTime,
                fuseSpeed, static_cast<unsigned long long>(fuseSize),
                static_cast<double>(fuseSize) / static_cast<double>(input));
    std::printf("deflate -6 %7.3f s  %7.1f MB/s  %12llu bytes (%.3f of the input)\n", deflateTime,
                mb / deflateTime, static_cast<unsigned long long>(deflateSize),
                static_cast<double>(deflateSize) / static_cast<double>(input));
    std::printf("fuse/deflate: time %.2f, size %.3f\n", fuseTime / deflateTime,
                static_cast<double>(fuseSize) / static_cast<double>(deflateSize));
    std::printf("target: fuse >= %.0f MB/s: %s\n", kTargetMBps,
                fuseSpeed >= kTargetMBps ? "PASS" : "FAIL");
    return 0;
}
