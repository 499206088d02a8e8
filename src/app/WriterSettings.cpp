#include "WriterSettings.h"

#include "platform/Environment.h"

#include <cstdlib>

namespace tolvane::app {

using namespace archive;

std::vector<std::string> JobStoreFilesOfType() {
    std::vector<std::string> list;
    for (const auto& ext : ArchiveExtensions()) {
        if (ext != ".TAR")
            list.push_back(ext);
    }
    return list;
}

int CodingThreadsFromEnvironment() {
    const std::string value = platform::EnvironmentValue("TOLVANE_JOBS").value_or("");
    if (value.empty())
        return 0;
    char* end = nullptr;
    const long jobs = std::strtol(value.c_str(), &end, 10);
    return *end == '\0' && jobs >= 1 && jobs <= 256 ? static_cast<int>(jobs) : 0;
}

void ApplyCommonWriterSettings(TCustomCClass& writer) {
    writer.DefaultDir.clear();
    constexpr TkroFileAttribute kMembers[] = {fsZeroAttr, fsArchive, fsDirectory, fsHidden,
                                              fsReadOnly, fsSysFile, fsEncrypted};
    for (auto member : kMembers)
        writer.SetAttribute(member, true);
    for (auto member : kMembers)
        writer.SetAttributeEx(member, false);
    writer.TranslateOemChar = true;
    writer.Switch = swAdd;
    writer.StoredDirNames = sdRelative;
    writer.DateAttribute = daFileDate;
    writer.CompressionMethod = cmTempFile;
    writer.DeflateType = dtDeflateN;
    writer.StoreEmptySubDirs = true;
    writer.RecurseDirs = true;
    writer.CodingThreads = CodingThreadsFromEnvironment();
}

} // namespace tolvane::app
