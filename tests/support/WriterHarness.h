// Runs archive writers in tests: the job's settings, collected error reports,
// and the archive read back through the independent BH reader.
#pragma once

#include "archive/formats/BhReader.h"
#include "archive/writer/CustomCClass.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::test {

struct Report {
    int code;
    std::string fileName;
    std::string extendedMsg;
};

// Whether a report with `code` was made.
bool HasReport(const std::vector<Report>& reports, int code);

// Collects every OnError report of `writer` into `reports`.
void CollectReports(archive::TZipCommon& writer, std::vector<Report>& reports);

// The settings the packing job uses, with `folder` + "/" as the only FileSpec
// line and OEM names in code page 850.
void ConfigureLikeJob(archive::TCustomCClass& writer, const std::string& folder,
                      const std::string& archive);

struct ReadEntry {
    archive::BhEntry header;
    std::vector<uint8_t> data; // expanded
};

// Every entry of a BH archive, expanded and checked; fails the test on a
// broken chain or a bad entry.
std::vector<ReadEntry> ReadBhArchive(const std::string& path,
                                     const std::string* password = nullptr);

// Files in `folder` whose names start with "kro" (left-over temporary files).
size_t CountTempFiles(const std::string& folder);

} // namespace tolvane::test
