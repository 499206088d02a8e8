// Extracts BH and ZIP archives into a folder, safely whatever the archive holds.
#include "archive/formats/ArchiveExtractor.h"

#include "archive/formats/EntryPath.h"

#include "platform/DosDateTime.h"
#include "platform/FileMode.h"
#include "platform/FileSystem.h"
#include "platform/FolderMode.h"
#include "platform/NewFileAt.h"
#include "platform/PartFiles.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace tolvane::archive {

namespace {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrFolder = 0x10;

constexpr uint32_t kTypeBits = 0170000;
constexpr uint32_t kTypeFile = 0100000;
constexpr uint32_t kTypeFolder = 0040000;
constexpr uint32_t kPermissionBits = 0777;

// The permission bits of a recorded mode when it is of the kind of entry
// being made (a link's 0777 must not make a file writable by all); never the
// set-user-ID, set-group-ID or sticky bits.
std::optional<uint32_t> Permissions(std::optional<uint32_t> mode, uint32_t type) {
    if (!mode || (*mode & kTypeBits) != type)
        return std::nullopt;
    return *mode & kPermissionBits;
}

// Thrown from a reader's sink to stop expanding an entry that cannot be
// written; the readers hold their buffers and streams in RAII objects, so an
// exception passes through them cleanly, and it never leaves this file.
struct StopExpanding {};

bool FullDisk(int error) {
#ifdef EDQUOT
    return error == ENOSPC || error == EDQUOT;
#else
    // Windows reports a quota that is used up as a full disk.
    return error == ENOSPC;
#endif
}

std::string Joined(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i)
        path += (i == 0 ? "" : "/") + parts[i];
    return path;
}

// Opens the first `count` folders of `parts` (count > 0), from `root` down,
// creating what is missing when `create`; nullopt with `problem` and `refused` set when one of them
// is a link (never followed) or a file.
std::optional<platform::FolderHandle> OpenParents(const platform::FolderHandle& root,
                                                  const std::vector<std::string>& parts,
                                                  size_t count, bool create, std::string& problem,
                                                  bool& refused) {
    platform::FolderHandle held;
    const platform::FolderHandle* at = &root;
    for (size_t i = 0; i < count; ++i) {
        held = at->Child(parts[i], create);
        at = &held;
        if (held.IsOpen())
            continue;
        const std::string where = Joined(parts, i + 1);
        refused = held.Error() == ELOOP;
        problem = refused ? "'" + where + "' is a link in the folder; nothing is followed out of it"
                  : held.Error() == ENOTDIR ? "'" + where + "' is a file, not a folder"
                                            : "cannot make the folder '" + where +
                                                  "': " + platform::ErrorText(held.Error());
        return std::nullopt;
    }
    return held;
}

} // namespace

ArchiveExtractor::ArchiveExtractor(const platform::FolderHandle& destination,
                                   ExtractOptions options)
    : destination_(destination), options_(std::move(options)),
      matched_(options_.names.size(), false) {}

bool ArchiveExtractor::Wanted(const std::string& name) {
    if (options_.names.empty())
        return true;
    bool wanted = false;
    for (size_t i = 0; i < options_.names.size(); ++i) {
        std::string want = options_.names[i];
        while (!want.empty() && want.back() == '/')
            want.pop_back();
        const bool match = name == want || name == want + "/" ||
                           (name.size() > want.size() && name.compare(0, want.size(), want) == 0 &&
                            name[want.size()] == '/');
        if (match) {
            matched_[i] = true;
            wanted = true;
        }
    }
    return wanted;
}

void ArchiveExtractor::Plan(const std::string& name, uint32_t attributes, uint64_t size) {
    if (!Wanted(name))
        return;
    const EntryPath path = ParseEntryPath(name);
    if (path.isFolder || (attributes & kAttrFolder) != 0)
        return;
    total_ += size;
    ++filesTotal_;
    if (path.refusal.empty())
        fileFolders_.insert({path.parts.begin(), path.parts.end() - 1});
}

void ArchiveExtractor::RemoveStaleParts() {
    platform::RemoveStalePartFiles(destination_);
    for (const std::vector<std::string>& parts : fileFolders_) {
        if (parts.empty())
            continue;
        std::string problem;
        bool refused = false;
        // Folders that are not there yet hold nothing to remove.
        if (const auto folder =
                OpenParents(destination_, parts, parts.size(), false, problem, refused))
            platform::RemoveStalePartFiles(*folder);
    }
    fileFolders_.clear();
}

void ArchiveExtractor::Report(const Entry& entry, ExtractEvent::Outcome outcome, std::string detail,
                              bool folder) {
    if (OnEntry)
        OnEntry(ExtractEvent{outcome, entry.name, std::move(detail), entry.size, folder});
}

void ArchiveExtractor::ExtractEntry(const Entry& entry, const Expand& expand) {
    using Outcome = ExtractEvent::Outcome;
    const EntryPath path = ParseEntryPath(entry.name);
    const bool folder = path.isFolder || (entry.attributes & kAttrFolder) != 0;
    if (!path.refusal.empty()) {
        done_ += entry.size;
        return Report(entry, Outcome::Refused, path.refusal, folder);
    }
    const size_t parents = folder ? path.parts.size() : path.parts.size() - 1;
    std::string problem;
    bool refused = false;
    std::optional<platform::FolderHandle> opened =
        parents == 0 ? std::nullopt
                     : OpenParents(destination_, path.parts, parents, true, problem, refused);
    if (parents > 0 && !opened) {
        done_ += entry.size;
        return Report(entry, refused ? Outcome::Refused : Outcome::Failed, problem, folder);
    }
    const platform::FolderHandle& at = opened ? *opened : destination_;
    if (folder) {
        folderStamps_.push_back(
            {path.parts, entry.dosDateTime, Permissions(entry.mode, kTypeFolder)});
        return Report(entry, Outcome::Extracted, "", true);
    }

    const std::string& leaf = path.parts.back();
    const auto existing = at.TypeOf(leaf);
    if (existing == platform::FolderHandle::EntryType::Folder) {
        done_ += entry.size;
        return Report(entry, Outcome::Failed, "a folder of that name is in the way", false);
    }
    if (existing != platform::FolderHandle::EntryType::None && !options_.overwrite) {
        done_ += entry.size;
        return Report(entry, Outcome::Exists, "exists; left as it is (--overwrite replaces it)",
                      false);
    }

    platform::NewFileAt file(at);
    if (!file.IsOpen()) {
        diskFull_ = FullDisk(file.Error());
        done_ += entry.size;
        return Report(entry, Outcome::WriteFailed,
                      "cannot create the file: " + platform::ErrorText(file.Error()), false);
    }
    const uint64_t before = done_;
    bool writeFailed = false;
    std::string error;
    bool good = false;
    try {
        good = expand(
            [&](const uint8_t* data, size_t length) {
                if (StopRequested && StopRequested()) {
                    stopped_ = true;
                    throw StopExpanding{};
                }
                if (!file.Write(data, length)) {
                    writeFailed = true;
                    throw StopExpanding{};
                }
                done_ += length;
                if (OnProgress)
                    OnProgress({done_, total_, filesDone_, filesTotal_, entry.name});
            },
            error);
    } catch (const StopExpanding&) {
        good = false;
    }
    done_ = before + entry.size;
    if (stopped_)
        return;
    if (writeFailed) {
        diskFull_ = FullDisk(file.Error());
        return Report(entry, Outcome::WriteFailed,
                      "cannot write the file: " + platform::ErrorText(file.Error()) +
                          "; what was written of it is removed",
                      false);
    }
    if (!good)
        return Report(entry, Outcome::Failed, error + "; nothing was kept of it", false);
    const uint32_t mode =
        Permissions(entry.mode, kTypeFile)
            .value_or((entry.attributes & kAttrReadOnly) != 0 ? platform::NewFileMode() & ~0222u
                                                              : platform::NewFileMode());
    const int committed =
        file.Commit(leaf, platform::FromDosDateTime(entry.dosDateTime), mode, options_.overwrite);
    if (committed == EEXIST)
        return Report(entry, Outcome::Exists, "exists; left as it is (--overwrite replaces it)",
                      false);
    if (committed != 0) {
        diskFull_ = FullDisk(committed);
        return Report(entry, Outcome::WriteFailed,
                      "cannot write the file: " + platform::ErrorText(committed), false);
    }
    ++filesDone_;
    if (OnProgress)
        OnProgress({done_, total_, filesDone_, filesTotal_, entry.name});
    Report(entry, Outcome::Extracted, "", false);
}

bool ArchiveExtractor::Stopping() {
    if (!stopped_ && StopRequested && StopRequested())
        stopped_ = true;
    return stopped_;
}

void ArchiveExtractor::SetFolderStamps() {
    // Deepest first: a folder's mode may take away the right to enter it.
    std::stable_sort(
        folderStamps_.begin(), folderStamps_.end(),
        [](const FolderStamp& a, const FolderStamp& b) { return a.parts.size() > b.parts.size(); });
    for (const FolderStamp& stamp : folderStamps_) {
        const std::vector<std::string>& parts = stamp.parts;
        std::string problem;
        bool refused = false;
        std::optional<platform::FolderHandle> parent =
            parts.size() == 1
                ? std::nullopt
                : OpenParents(destination_, parts, parts.size() - 1, false, problem, refused);
        if (parts.size() > 1 && !parent)
            continue;
        const platform::FolderHandle& at = parent ? *parent : destination_;
        // The time first: the mode may take away the right to open the folder.
        at.SetFolderTime(parts.back(), platform::FromDosDateTime(stamp.dosDateTime));
        if (stamp.mode)
            platform::SetFolderMode(at, parts.back(), *stamp.mode);
    }
}

void ArchiveExtractor::Finish(Result& result) {
    SetFolderStamps();
    result.diskFull = diskFull_;
    result.stopped = stopped_;
    for (size_t i = 0; i < matched_.size(); ++i) {
        if (!matched_[i])
            result.unmatched.push_back(options_.names[i]);
    }
}

ArchiveExtractor::Result ArchiveExtractor::ExtractBh(const std::string& path,
                                                     const platform::CodePage& codePage) {
    Result result;
    BhReader reader(path, codePage);
    if (!reader.IsOpen()) {
        result.openError = reader.OpenError();
        return result;
    }
    // The headers first, for the total a progress display shows.
    {
        BhReader sizes(path, codePage);
        while (const auto entry = sizes.Next())
            Plan(entry->name, entry->attributes, entry->uncompressedLength);
        matched_.assign(options_.names.size(), false);
    }
    RemoveStaleParts();
    while (!Stopping() && !diskFull_) {
        const auto entry = reader.Next();
        if (!entry)
            break;
        if (!Wanted(entry->name))
            continue;
        ExtractEntry(
            {entry->name, entry->attributes, entry->dosDateTime, entry->uncompressedLength, {}},
            [&](const auto& sink, std::string& error) {
                return reader.Extract(*entry, sink, options_.password, error);
            });
    }
    if (reader.ChainBroken())
        result.damage = reader.BreakReason();
    Finish(result);
    return result;
}

ArchiveExtractor::Result ArchiveExtractor::ExtractZip(const std::string& path,
                                                      const platform::CodePage& codePage) {
    Result result;
    ZipReader reader(path, codePage);
    if (!reader.IsOpen()) {
        result.openError = reader.OpenError();
        return result;
    }
    std::vector<ZipEntry> entries;
    if (!reader.ReadDirectory(entries, result.damage) && result.damage.empty())
        result.damage = "the central directory cannot be read";
    for (const ZipEntry& entry : entries)
        Plan(entry.name, entry.externalAttributes & 0xFFFFu, entry.uncompressedSize);
    matched_.assign(options_.names.size(), false);
    RemoveStaleParts();
    for (const ZipEntry& entry : entries) {
        if (Stopping() || diskFull_)
            break;
        if (!Wanted(entry.name))
            continue;
        // The DOS attributes are the low half; a Unix-made archive keeps the
        // mode in the high half, whose owner-write bit says read-only too.
        uint32_t attributes = entry.externalAttributes & 0xFFFFu;
        const uint32_t unixMode = entry.externalAttributes >> 16;
        if (unixMode != 0 && (unixMode & 0200) == 0 && (unixMode & 0170000) == 0100000)
            attributes |= kAttrReadOnly;
        const Entry extracting{entry.name, attributes, entry.dosDateTime, entry.uncompressedSize,
                               entry.UnixMode()};
        // A local header that contradicts the central record leaves the
        // entry out before any folder of its name is made.
        uint64_t dataOffset = 0;
        std::string problem;
        if (!reader.ReadLocalHeader(entry, dataOffset, problem)) {
            done_ += entry.uncompressedSize;
            Report(extracting, ExtractEvent::Outcome::Failed, problem + "; it is left out",
                   entry.name.ends_with('/'));
            continue;
        }
        ExtractEntry(extracting, [&](const auto& sink, std::string& error) {
            return reader.Extract(entry, sink, options_.password, error);
        });
    }
    Finish(result);
    return result;
}

} // namespace tolvane::archive
