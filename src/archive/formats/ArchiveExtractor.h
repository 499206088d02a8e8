// Extracts BH and ZIP archives into a folder, safely whatever the archive
// holds: every file and folder is made through a FolderHandle (by name,
// following no link, nothing outside the folder), a file takes its name only
// once its size and CRC-32 have been checked, and an unsafe name is refused
// and reported, never written. Before anything is written, the part files
// that killed runs left in the folders the archive writes to are removed.
#pragma once

#include "archive/formats/BhReader.h"
#include "archive/formats/ZipReader.h"

#include "platform/CodePage.h"
#include "platform/FolderHandle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tolvane::archive {

struct ExtractOptions {
    const std::string* password = nullptr; // for encrypted entries; nullptr when none given
    bool overwrite = false;                // replace existing files (never what a link points at)
    // Only these entries, and those under a folder of one of these names; all
    // when empty.
    std::vector<std::string> names;
};

struct ExtractEvent {
    enum class Outcome {
        Extracted,
        Exists,      // left as it was: a file of that name is there and overwrite is off
        Refused,     // an unsafe name, or one that would pass through a link
        Failed,      // damaged, unsupported, wrong password, CRC mismatch: nothing written
        WriteFailed, // the file could not be written (the disk is full ...); nothing kept
    };
    Outcome outcome = Outcome::Extracted;
    std::string name;   // the stored name as decoded
    std::string detail; // why, for every outcome but Extracted
    uint64_t size = 0;
    bool folder = false;
};

class ArchiveExtractor {
public:
    // `destination` must outlive the extractor.
    ArchiveExtractor(const platform::FolderHandle& destination, ExtractOptions options);

    // After each entry, on the calling thread.
    std::function<void(const ExtractEvent&)> OnEntry;
    struct Progress {
        uint64_t bytesDone = 0; // of the entries asked for
        uint64_t bytesTotal = 0;
        uint32_t filesDone = 0; // written so far; folder entries are not counted
        uint32_t filesTotal = 0;
        const std::string& name; // the entry being written
    };
    // While an entry's data is written and once it has its name, on the
    // calling thread.
    std::function<void(const Progress&)> OnProgress;
    // Polled between pieces of data: true stops the run (the file being
    // written is dropped).
    std::function<bool()> StopRequested;

    struct Result {
        int openError = 0;  // errno when the archive could not be opened
        std::string damage; // why the archive's structure broke off, when it did
        bool diskFull = false;
        bool stopped = false;
        // Requested names that no entry matched.
        std::vector<std::string> unmatched;
    };

    Result ExtractBh(const std::string& path, const platform::CodePage& codePage);
    Result ExtractZip(const std::string& path, const platform::CodePage& codePage);

private:
    struct Entry {
        const std::string& name;
        uint32_t attributes;
        uint32_t dosDateTime;
        uint64_t size;
        // Permission bits the archive records (of a Unix-made ZIP); else
        // a file gets those of a new file, read-only when the attributes say.
        std::optional<uint32_t> mode;
    };
    using Expand = std::function<bool(const std::function<void(const uint8_t*, size_t)>& sink,
                                      std::string& error)>;

    bool Wanted(const std::string& name);
    // Counts a wanted entry into the totals and notes the folder its file
    // goes to.
    void Plan(const std::string& name, uint32_t attributes, uint64_t size);
    void RemoveStaleParts();
    void ExtractEntry(const Entry& entry, const Expand& expand);
    void Report(const Entry& entry, ExtractEvent::Outcome outcome, std::string detail, bool folder);
    // Polls StopRequested between entries.
    bool Stopping();
    // Gives the folder entries their times and modes, deepest first, once
    // everything inside them is written.
    void SetFolderStamps();
    void Finish(Result& result);

    const platform::FolderHandle& destination_;
    ExtractOptions options_;
    std::vector<bool> matched_;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
    uint32_t filesDone_ = 0;
    uint32_t filesTotal_ = 0;
    bool diskFull_ = false;
    bool stopped_ = false;
    struct FolderStamp {
        std::vector<std::string> parts;
        uint32_t dosDateTime;
        std::optional<uint32_t> mode;
    };
    std::vector<FolderStamp> folderStamps_;
    // The folders files are written to, as paths from the destination.
    std::set<std::vector<std::string>> fileFolders_;
};

} // namespace tolvane::archive
