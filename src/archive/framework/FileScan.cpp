// TkroFileScan: grouping of FileSpec lines by folder, the recursive walk and the
// pattern search, the entry test with its counters, and the default result list.
#include "FileScan.h"

#include "platform/DosDateTime.h"

#include <memory>
#include <string_view>

namespace tolvane::archive {

namespace {

constexpr char kSep = platform::kPathSeparator;

// Blanks and control characters, as trimmed from FileSpec lines.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlank(std::string_view line) {
    for (char c : line) {
        if (!IsTrimmed(c))
            return false;
    }
    return true;
}

// Text up to and including the last separator; empty when there is none.
std::string FolderPart(std::string_view line) {
    const size_t slash = line.rfind(kSep);
    return slash == std::string_view::npos ? std::string() : std::string(line.substr(0, slash + 1));
}

std::string NamePart(std::string_view line) {
    const size_t slash = line.rfind(kSep);
    return std::string(slash == std::string_view::npos ? line : line.substr(slash + 1));
}

std::string WithTrailingSeparator(std::string path) {
    if (path.empty() || path.back() != kSep)
        path.push_back(kSep);
    return path;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char ca = a[i];
        char cb = b[i];
        if (ca >= 'a' && ca <= 'z')
            ca = static_cast<char>(ca - 'a' + 'A');
        if (cb >= 'a' && cb <= 'z')
            cb = static_cast<char>(cb - 'a' + 'A');
        if (ca != cb)
            return false;
    }
    return true;
}

// "." and ".." stand for folders already walked; an empty name is no entry.
bool IsListedName(std::string_view name) {
    return !name.empty() && name != "." && name != "..";
}

// Adds the name part of a line to a group's masks. A mask that already covers
// the name makes it redundant; a name that covers a mask replaces it. An empty
// name part stands for every file.
void MergeMask(std::vector<std::string>& masks, const std::string& name) {
    const std::string_view nameAsMask = name.empty() ? std::string_view("*") : name;
    for (std::string& mask : masks) {
        const std::string_view maskText = mask.empty() ? std::string_view("*") : mask;
        if (MatchesMask(nameAsMask, maskText))
            return;
        if (MatchesMask(maskText, nameAsMask)) {
            mask = name;
            return;
        }
    }
    masks.push_back(name);
}

} // namespace

bool IsAmongFiles(const platform::FileIdentities& identities, const std::string& folder,
                  const platform::DirEntry& entry) {
    if (identities.empty() || entry.IsUnusable())
        return false;
    const auto identity =
        entry.identity ? entry.identity : platform::QueryFileIdentity(folder + entry.name);
    return identity && identities.count(*identity) != 0;
}

TkroFileScan::TkroFileScan() {
    // Bound through lambdas so that overrides of the virtual steps take effect.
    FolderStep = [this](const std::string& folder, uint32_t attrBits, const TMaskList& masks) {
        ScanFolder(folder, attrBits, masks);
    };
    FileStep = [this](TkroFileScan& sender, const std::string& path,
                      const platform::DirEntry& entry) { return AddToList(sender, path, entry); };
}

void TkroFileScan::SetSorted(TkroSortOptions order) {
    if (order != files_.SortOrder())
        files_.SetSortOrder(order);
    if (files_.Count() > 0 && OnFinished)
        OnFinished(*this, FilesCount, FilesSize);
}

void TkroFileScan::SetFileSpec(const std::vector<std::string>& lines) {
    fileSpec_ = lines;
    fileSpecAssigned_ = true;
}

void TkroFileScan::Scan() {
    files_.Clear();
    FilesCount = 0;
    FilesSize = 0;
    stopped_ = false;

    auto fireFinished = [this] {
        if (OnFinished)
            OnFinished(*this, FilesCount, FilesSize);
    };
    try {
        if (!RecurseDirs) {
            if (FolderStep)
                FolderStep(std::string(), Attributes.ToPlatformBits(), TMaskList());
        } else if (fileSpecAssigned_) {
            GroupingLoop();
        } else if (!RootDir.empty() && platform::DirectoryExists(RootDir)) {
            // Nothing was ever asked for: the built-in mask takes every file of RootDir.
            TMaskList masks;
            masks.Add("*");
            if (FolderStep)
                FolderStep(RootDir, Attributes.ToPlatformBits(), masks);
        }
    } catch (...) {
        fireFinished();
        throw;
    }
    fireFinished();
}

void TkroFileScan::GroupingLoop() {
    for (size_t i = fileSpec_.size(); i-- > 0;) {
        if (IsBlank(fileSpec_[i]))
            fileSpec_.erase(fileSpec_.begin() + static_cast<ptrdiff_t>(i));
    }

    while (!fileSpec_.empty() && !Cancelled()) {
        std::string folder = FolderPart(fileSpec_[0]);
        if (folder.empty())
            folder = RootDir;
        if (folder.empty())
            folder = WithTrailingSeparator(platform::CurrentFolder());

        // Later lines in the same folder join this group and leave FileSpec; lines
        // of other folders (and lines without a folder part) wait for a later group.
        std::vector<std::string> maskTexts{NamePart(fileSpec_[0])};
        for (size_t i = 1; i < fileSpec_.size();) {
            if (!EqualsIgnoringAsciiCase(FolderPart(fileSpec_[i]), folder)) {
                ++i;
                continue;
            }
            MergeMask(maskTexts, NamePart(fileSpec_[i]));
            fileSpec_.erase(fileSpec_.begin() + static_cast<ptrdiff_t>(i));
        }

        TMaskList masks;
        for (const std::string& text : maskTexts)
            masks.Add(text.empty() || text == "*.*" ? std::string_view("*") : text);

        RootDir = folder;
        if (OnRootDirChange)
            OnRootDirChange(*this, folder);
        fileSpec_.erase(fileSpec_.begin());

        if (FolderStep)
            FolderStep(folder, Attributes.ToPlatformBits(), masks);
    }
}

// The entry test reads the Attributes set itself (fsZeroAttr has no bit), so
// `attrBits` only informs replacement folder steps.
void TkroFileScan::ScanFolder(const std::string& folder, uint32_t /*attrBits*/,
                              const TMaskList& masks) {
    switch (ScanOptions) {
    case soScanDir:
        if (RecurseDirs)
            WalkFolder(folder, masks);
        else
            PatternSearch();
        return;
    case soScanDrvs:
        // Every local drive of a Windows machine; Linux has the one root.
        if (RecurseDirs)
            WalkFolder(std::string(1, kSep), masks);
        else
            PatternSearch();
        return;
    }
}

void TkroFileScan::WalkFolder(const std::string& folder, const TMaskList& masks) {
    if (OnRecurseDir)
        OnRecurseDir(*this, folder);
    // A folder that cannot be read is passed over, but not in silence: its
    // files would be missing from the archive without a word.
    listError_ = 0;
    const auto entries = ListFolder(folder);
    if (!entries) {
        if (OnUnreadableFolder)
            OnUnreadableFolder(*this, folder, listError_);
        return;
    }
    const std::string dir = WithTrailingSeparator(folder);
    for (const platform::DirEntry& entry : *entries) {
        if (Cancelled())
            return;
        // A dot name is a hidden entry (the platform sets its hidden bit): the
        // attribute filters decide on it like on any other.
        if (IsListedName(entry.name) && !IsAmongFiles(ExcludeFiles, dir, entry)) {
            // The test comes first so that a folder is reported before its contents.
            TestEntry(dir, entry, &masks);
            const bool hidden = (entry.attributes & platform::kAttrHidden) != 0;
            if (entry.IsDirectory() && (!hidden || IncludeHiddenDirs))
                WalkFolder(dir + entry.name + kSep, masks);
        }
        if (ProcessMessages)
            ProcessMessages();
    }
}

void TkroFileScan::PatternSearch() {
    // Copied: a callback may assign FileSpec while the search runs.
    const std::vector<std::string> patterns = fileSpec_;
    for (const std::string& pattern : patterns) {
        if (Cancelled())
            return;
        const auto entries = FindPattern(pattern);
        if (!entries || entries->empty())
            continue;
        const std::string folder = FolderPart(pattern);
        if (OnRootDirChange)
            OnRootDirChange(*this, folder);
        for (const platform::DirEntry& entry : *entries) {
            if (Cancelled())
                return;
            if (IsListedName(entry.name) && !IsAmongFiles(ExcludeFiles, folder, entry))
                TestEntry(folder, entry, nullptr);
        }
    }
}

void TkroFileScan::TestEntry(const std::string& folder, const platform::DirEntry& entry,
                             const TMaskList* masks) {
    if (!PassesIncludeTest(Attributes, entry.attributes) ||
        HitsExcludeTest(AttributesEx, entry.attributes))
        return;

    if (entry.IsUnusable()) {
        if ((!masks || masks->Matches(entry.name)) && OnUnusableEntry)
            OnUnusableEntry(*this, folder, entry);
        return;
    }
    // Folders go to the file step for the owner to decide on; they are never counted.
    if (entry.IsDirectory()) {
        if (UpdateList && FileStep)
            FileStep(*this, folder + entry.name + kSep, entry);
        return;
    }

    // The pattern search hands over entries its pattern has already selected.
    if (masks && !masks->Matches(entry.name))
        return;
    if (UpdateList && FileStep) {
        if (!FileStep(*this, folder, entry))
            return;
        ++FilesCount;
        FilesSize += static_cast<int64_t>(entry.size);
        if (OnScanFile)
            OnScanFile(*this, entry.name, FilesCount, FilesSize);
        return;
    }
    ++FilesCount;
    FilesSize += static_cast<int64_t>(entry.size);
}

bool TkroFileScan::AddToList(TkroFileScan& /*sender*/, const std::string& path,
                             const platform::DirEntry& entry) {
    auto item = std::make_unique<TFileObject>();
    if (entry.IsDirectory()) {
        item->FilePath = path;
    } else {
        item->FileName = entry.name;
        // A pattern without a folder part gives an empty folder: it stays empty
        // (the current folder) instead of turning into the root.
        item->FilePath = path.empty() ? path : WithTrailingSeparator(path);
    }
    item->SizeLow = static_cast<uint32_t>(entry.size);
    item->SizeHigh = static_cast<uint32_t>(entry.size >> 32);
    item->Attributes = entry.attributes;
    item->DosDateTime = platform::ToDosDateTime(entry.lastWriteTime);
    files_.Insert(std::move(item));
    return true;
}

std::optional<std::vector<platform::DirEntry>> TkroFileScan::ListFolder(const std::string& folder) {
    return platform::ListDirectory(folder, &listError_);
}

std::optional<std::vector<platform::DirEntry>>
TkroFileScan::FindPattern(const std::string& pattern) {
    return platform::FindMatching(pattern);
}

} // namespace tolvane::archive
