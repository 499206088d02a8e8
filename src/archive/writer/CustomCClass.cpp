// Properties, setters and the default format hooks of the archive writer.
#include "CustomCClass.h"

#include "PathText.h"
#include "TempFileStream.h"
#include "archive/framework/FileStream32.h"
#include "archive/framework/Masks.h"

#include "platform/DosDateTime.h"
#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/TempFile.h"

#include <cerrno>
#include <cmath>
#include <memory>

namespace tolvane::archive {

const std::vector<std::string>& ArchiveExtensions() {
    static const std::vector<std::string> kList = {".ACE", ".ARC", ".ARJ", ".BH",  ".CAB", ".ENC",
                                                   ".GZ",  ".HA",  ".JAR", ".LHA", ".LZH", ".PAK",
                                                   ".PK3", ".PK_", ".RAR", ".TAR", ".TGZ", ".UUE",
                                                   ".UU",  ".WAR", ".XXE", ".Z",   ".ZIP", ".ZOO"};
    return kList;
}

TCustomCClass::TCustomCClass(FormatTraits traits)
    : traits_(std::move(traits)), defaultExt_(traits_.ext), storeFilesOfType_(ArchiveExtensions()) {
}

TCustomCClass::~TCustomCClass() = default;

void TCustomCClass::SetArchiveFile(const std::string& value) {
    // The new-archive test looks at the name as given, before an extension is added.
    newArchive_ = !platform::PathExists(value);
    archiveFile_ = ExtensionOf(value).empty() && !value.empty() ? value + defaultExt_ : value;
    dataStart_ = -1;
}

void TCustomCClass::SetArcType(TArcType) {
    if (!archiveFile_.empty() && ExtensionOf(archiveFile_).empty())
        archiveFile_ += defaultExt_;
}

void TCustomCClass::SetDefaultExt(const std::string& value) {
    std::string previous = defaultExt_;
    if (value.empty() || value == ".") {
        defaultExt_ = traits_.ext;
    } else {
        std::string ext = value.front() == '.' ? value : "." + value;
        defaultExt_ = LowerAscii(ext.substr(0, 4));
    }
    if (archiveFile_.empty())
        return;
    std::string_view ext = ExtensionOf(archiveFile_);
    if (ext.empty()) {
        archiveFile_ += defaultExt_;
        return;
    }
    if (EqualsIgnoreCase(ext, previous))
        archiveFile_ = archiveFile_.substr(0, archiveFile_.size() - ext.size()) + defaultExt_;
}

std::string TCustomCClass::TempDir() {
    if (!tempDir_.empty() && platform::DirectoryExists(tempDir_))
        return tempDir_;
    tempDir_ = platform::SystemTempFolder();
    return tempDir_;
}

void TCustomCClass::SetTempDir(const std::string& value) {
    std::string folder = value.empty() ? std::string{} : WithTrailingSeparator(value);
    if (!folder.empty() && !platform::DirectoryExists(folder)) {
        bool create = AskYesNo && AskYesNo("Directory does not exist... Create?\n\n" + folder);
        if (create)
            platform::CreateFolderTree(folder);
        else
            folder.clear();
    }
    if (folder.empty() || !platform::DirectoryExists(folder))
        folder = platform::SystemTempFolder();
    tempDir_ = folder;
}

void TCustomCClass::SetCompressMethod(TCompressMethod value) {
    if (traits_.methods & (1u << value))
        compressMethod_ = value;
}

std::string TCustomCClass::StoredNameOf(const std::string& path) const {
    const std::string& root = run_.rootFolder;
    switch (StoredDirNames) {
    case sdNone:
        return std::string(NamePartOf(path));
    case sdAbsolute:
    case sdAbsoluteNoDrv:
        return path;
    case sdAbsoluteNoRoot:
        return !path.empty() && path.front() == platform::kPathSeparator ? path.substr(1) : path;
    case sdRelative:
        return !root.empty() && StartsWithIgnoreCase(path, root) ? path.substr(root.size()) : path;
    case sdRelativeStoreStart: {
        // Keep the root's last folder: strip only up to the separator before it.
        std::string_view trimmed =
            std::string_view(root).substr(0, root.empty() ? 0 : root.size() - 1);
        std::string_view parent = FolderPartOf(trimmed);
        return !parent.empty() && StartsWithIgnoreCase(path, parent) ? path.substr(parent.size())
                                                                     : path;
    }
    case sdExplorer_Auto:
    case sdExplorer_UserDefineDefaultDir: {
        if (!root.empty() && !DefaultDir.empty() &&
            EqualsIgnoreCase(WithTrailingSeparator(root), WithTrailingSeparator(DefaultDir))) {
            return StartsWithIgnoreCase(path, root) ? path.substr(root.size()) : path;
        }
        std::string base = WithTrailingSeparator(DefaultDir);
        return !DefaultDir.empty() && LowerAscii(path).rfind(LowerAscii(base), 0) == 0
                   ? path.substr(base.size())
                   : path;
    }
    }
    return path;
}

std::string TCustomCClass::EncodeStoredName(const std::string& name, bool& utf8) const {
    utf8 = false;
    if (!TranslateOemChar)
        return name;
    if (auto oem = codePage_.ToOem(name))
        return *oem;
    // A character the OEM code page lacks: keep the name's own bytes rather
    // than mangle it into "?" or into a name that collides with another. Only
    // a name that really is UTF-8 may say so; other bytes go as they are, as
    // other tools store them, so that every reader can still read the archive.
    utf8 = platform::IsValidUtf8(name);
    return name;
}

uint32_t TCustomCClass::EntryDateTime() const {
    switch (DateAttribute) {
    case daFileDate:
        return run_.entry.dosDateTime;
    case daSysDate:
        return platform::CurrentDosDateTime();
    case daMaxFileDate:
        return run_.highestFileDate;
    }
    return run_.entry.dosDateTime;
}

namespace {
// round(100 * x / n) to nearest, halves to even, limited to 0..100; 0 for n = 0.
uint8_t Percent(int64_t x, int64_t n) {
    if (n <= 0)
        return 0;
    double value = std::nearbyint(100.0 * static_cast<double>(x) / static_cast<double>(n));
    if (value < 0)
        return 0;
    return value > 100 ? 100 : static_cast<uint8_t>(value);
}
} // namespace

void TCustomCClass::ProgressRoutine(int64_t position) {
    PumpMessages();
    if (OnProgress) {
        const uint8_t byFile = Percent(position, run_.currentFileSize);
        const uint8_t byArchive = Percent(run_.total - run_.remaining + run_.partial, run_.total);
        OnProgress(*this, byFile, byArchive);
    }
    if (OnProgressDetail)
        OnProgressDetail(*this,
                         ProgressDetail{run_.entryName, position, run_.currentFileSize,
                                        run_.total - run_.remaining + run_.partial, run_.total});
}

bool TCustomCClass::MoveTempFile(TTempFileStream& output, const std::string& archive) {
    // The new archive gets the old one's permissions, or those of a new file.
    const uint32_t mode =
        platform::PathExists(archive) ? platform::FileModeOf(archive) : platform::NewFileMode();
    int err = output.CommitTo(archive, mode);
    if (err == 0)
        return true;
    if (err != EXDEV)
        RaiseError(archive, platform::ErrorText(err), runArchive_,
                   err == ENOSPC ? kErrDiskFull : kErrWritingFile);

    // Another file system: copy into a file beside the archive, then put that
    // in place, so the archive's name never shows a half-written file.
    TFileStream32 source(output.Path(), TFileStream32::Mode::Read);
    if (!source.IsValid())
        RaiseError(output.Path(), platform::ErrorText(source.LastErrorNumber()), runArchive_,
                   kErrOpeningFile);
    std::string folder(FolderPartOf(archive));
    TTempFileStream copy(folder.empty() ? "." : folder, "kro");
    if (!copy.IsValid())
        RaiseError(archive, platform::ErrorText(copy.LastErrorNumber()), runArchive_,
                   copy.LastErrorNumber() == ENOSPC ? kErrDiskFull : kErrOpeningFile);
    const int64_t size = source.Size();
    auto buffer = std::make_unique<uint8_t[]>(TStream32::kCopyBufferSize);
    int64_t done = 0;
    while (done < size) {
        const int64_t n = std::min<int64_t>(TStream32::kCopyBufferSize, size - done);
        source.ReadBuffer(buffer.get(), n);
        try {
            copy.WriteBuffer(buffer.get(), n);
        } catch (const StreamError& e) {
            RaiseError(archive, platform::ErrorText(e.ErrorNumber()), runArchive_,
                       e.ErrorNumber() == ENOSPC ? kErrDiskFull : kErrWritingFile);
        }
        done += n;
        // A stop is honoured here too (the copy of a big archive takes a while):
        // the old archive stays, and the partial copy goes with its stream.
        PumpMessages();
        if (Cancelled())
            return false;
        if (OnTmpFileProgress) {
            const uint8_t pct = Percent(done, size);
            OnTmpFileProgress(*this, pct, pct);
        }
    }
    err = copy.CommitTo(archive, mode);
    if (err != 0)
        RaiseError(archive, platform::ErrorText(err), runArchive_,
                   err == ENOSPC ? kErrDiskFull : kErrWritingFile);
    return true;
}

void TCustomCClass::TestNewArchive(TTempFileStream& output) {
    const platform::Expected<void> tested = TestOutput(output.Path());
    if (tested)
        return;
    RaiseError(runArchive_,
               "the new archive failed its test (" + platform::CauseLine(tested.Error()) + "); " +
                   runArchive_ + " was left as it was",
               runArchive_, kErrArchiveDamaged);
}

bool TCustomCClass::SelectedForRemoval(const std::string& name) const {
    bool selected = false;
    for (const auto& line : FileSpec()) {
        if (MatchesMask(name, line) || MatchesMask(NamePartOf(name), NamePartOf(line))) {
            selected = true;
            break;
        }
    }
    if (!selected)
        return false;
    for (const auto& mask : ExcludeSpec()) {
        if (MatchesMask(name, mask) || MatchesMask(NamePartOf(name), mask))
            return false;
    }
    return true;
}

} // namespace tolvane::archive
