// Arbitrary bytes as the existing archive of an update run, once for the BH
// writer and once for the ZIP writer: a refused run must report why and leave
// the file as it was, a finished one must read back with the new file in it.
#include "archive/formats/BhReader.h"
#include "archive/formats/BhWriter.h"
#include "archive/formats/ZipReader.h"
#include "archive/formats/ZipWriter.h"

#include "app/WriterSettings.h"

#include "FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <vector>

using namespace tolvane;
using namespace tolvane::archive;

namespace {

const std::string kNewName = "new.txt";
const std::string kNewText = "added by the update run, added by the update run\n";
const platform::CodePage kOem850(850, "UTF-8");

std::vector<uint8_t> NewContent() {
    return std::vector<uint8_t>(kNewText.begin(), kNewText.end());
}

// The folder that holds the one file the run adds; made once per process.
const std::string& SourceFolder() {
    static const std::string folder = [] {
        const std::string path = fuzz::Scratch::Get().Folder("src");
        fuzz::WriteBytes(path + "/" + kNewName, NewContent().data(), kNewText.size());
        return path;
    }();
    return folder;
}

bool BhHoldsNewFile(const std::string& path) {
    BhReader reader(path, kOem850);
    bool found = false;
    while (auto entry = reader.Next()) {
        if (entry->name != kNewName)
            continue;
        std::vector<uint8_t> content;
        std::string error;
        found = found ||
                (reader.Extract(
                     *entry,
                     [&](const uint8_t* p, size_t n) { content.insert(content.end(), p, p + n); },
                     error) &&
                 content == NewContent());
    }
    return found && !reader.ChainBroken();
}

bool ZipHoldsNewFile(const std::string& path) {
    ZipReader reader(path, kOem850);
    std::vector<ZipEntry> entries;
    std::string error;
    if (!reader.ReadDirectory(entries, error))
        return false;
    return std::any_of(entries.begin(), entries.end(), [&](const ZipEntry& entry) {
        std::vector<uint8_t> content;
        return entry.name == kNewName &&
               reader.Extract(
                   entry,
                   [&](const uint8_t* p, size_t n) { content.insert(content.end(), p, p + n); },
                   nullptr, error) &&
               content == NewContent();
    });
}

void RunUpdate(TCustomCClass& writer, const std::string& name, const uint8_t* data, size_t size,
               bool (*holdsNewFile)(const std::string&)) {
    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    const std::string archive = scratch.Write(name, data, size);
    const std::string work = scratch.Folder("work");
    app::ApplyCommonWriterSettings(writer);
    writer.SetCodePage(kOem850);
    writer.SetStoreFilesOfType(app::JobStoreFilesOfType());
    writer.RecurseDirs = false;
    writer.Switch = swAdd;
    writer.SetFileSpec({SourceFolder() + "/" + kNewName});
    writer.SetArchiveFile(archive);
    writer.SetTempDir(work);
    size_t reports = 0;
    writer.OnError = [&reports](TZipCommon&, const std::string&, const std::string&,
                                const std::string&, int32_t) { ++reports; };

    const int32_t added = writer.Compress();
    FUZZ_CHECK(std::filesystem::is_empty(work));
    if (added == 0) {
        FUZZ_CHECK(reports > 0);
        const std::vector<uint8_t> after = fuzz::ReadBytes(archive);
        FUZZ_CHECK(after.size() == size && std::equal(after.begin(), after.end(), data));
        return;
    }
    FUZZ_CHECK(added == 1);
    FUZZ_CHECK(holdsNewFile(archive));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBhWriter bh;
    RunUpdate(bh, "old.bh", data, size, BhHoldsNewFile);
    TZip zip;
    RunUpdate(zip, "old.zip", data, size, ZipHoldsNewFile);
    return 0;
}
