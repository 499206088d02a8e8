#include "WriterSettings.h"

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
}

} // namespace tolvane::app
