#include "support/WriterHarness.h"

#include "app/WriterSettings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane::test {

using namespace archive;

bool HasReport(const std::vector<Report>& reports, int code) {
    for (const auto& r : reports) {
        if (r.code == code)
            return true;
    }
    return false;
}

void CollectReports(TZipCommon& writer, std::vector<Report>& reports) {
    writer.OnError = [&reports](TZipCommon&, const std::string& fileName,
                                const std::string& extendedMsg, const std::string&, int32_t code) {
        reports.push_back({code, fileName, extendedMsg});
    };
}

void ConfigureLikeJob(TCustomCClass& writer, const std::string& folder,
                      const std::string& archive) {
    app::ApplyCommonWriterSettings(writer);
    writer.SetCodePage(platform::CodePage(850, "UTF-8"));
    writer.IncludeHiddenDirs = true;
    writer.SetStoreFilesOfType(app::JobStoreFilesOfType());
    writer.SetFileSpec({folder + "/"});
    writer.SetArchiveFile(archive);
}

std::vector<ReadEntry> ReadBhArchive(const std::string& path, const std::string* password) {
    std::vector<ReadEntry> entries;
    BhReader reader(path, platform::CodePage(850, "UTF-8"));
    EXPECT_TRUE(reader.IsOpen()) << path;
    while (auto entry = reader.Next()) {
        ReadEntry read{*entry, {}};
        std::string error;
        bool ok = reader.Extract(
            *entry,
            [&read](const uint8_t* data, size_t length) {
                read.data.insert(read.data.end(), data, data + length);
            },
            password, error);
        EXPECT_TRUE(ok) << entry->name << ": " << error;
        entries.push_back(std::move(read));
    }
    EXPECT_FALSE(reader.ChainBroken()) << reader.BreakReason();
    return entries;
}

size_t CountTempFiles(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("kro", 0) == 0)
            ++count;
    }
    return count;
}

} // namespace tolvane::test
