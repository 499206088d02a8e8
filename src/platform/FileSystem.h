// File-system queries in the shape the writers expect from Windows: directory
// listings in NTFS order with attribute bits, sizes and last-write times.
#pragma once

#include "platform/FileIdentity.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::platform {

inline constexpr char kPathSeparator = '/';

// Attribute bits as the Windows find record carries them.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;

// What a directory entry is. Only files and folders can be packed; the others
// are listed so that a caller can say why they were left out, and must never
// be opened (a named pipe would block the reader).
enum class EntryKind {
    File,         // a regular file, or a link to one
    Folder,       // a folder (never a link to one)
    FolderLink,   // a symbolic link to a folder: following it could loop or leave the tree
    DanglingLink, // a symbolic link to nothing
    LinkLoop,     // a symbolic link that resolves to itself
    NamedPipe,
    Socket,
    Device,
};

// Why an entry of `kind` cannot be packed, as a phrase ("a named pipe"); empty
// for files and folders.
const char* UnusableReason(EntryKind kind);

// One directory entry. Links to files describe their target. A name that
// begins with "." carries the hidden bit: that is what hides a file here.
struct DirEntry {
    std::string name;
    uint32_t attributes = 0;
    uint64_t size = 0;
    int64_t lastWriteTime = 0; // seconds since 1970-01-01 UTC
    EntryKind kind = EntryKind::File;
    // Of a file or a folder (a link's target), when the listing tells it
    // without further calls (see FileIdentity).
    std::optional<FileIdentity> identity = std::nullopt;

    bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
    // Neither a file nor a folder: listed only to be reported.
    bool IsUnusable() const { return kind != EntryKind::File && kind != EntryKind::Folder; }
};

// Entries of `folder` (with or without a trailing separator), "." and ".."
// left out, sorted as NTFS returns them: by the upper-cased names, byte-wise.
// Entries that are neither files nor folders are included (see EntryKind).
// nullopt when the folder cannot be read, with the errno value in `error` when given.
std::optional<std::vector<DirEntry>> ListDirectory(const std::string& folder, int* error = nullptr);

// Entries of the folder part of `pattern` whose names match its name part by
// the platform's wildcard rules ("*" any run, "?" one character, case-insensitive
// for ASCII letters). A pattern without wildcards finds the one named entry.
// nullopt when the folder cannot be read.
std::optional<std::vector<DirEntry>> FindMatching(const std::string& pattern);

// The length of the folder part of `pattern` by the system's rules, its last
// separator (or a bare drive's colon) included; 0 for a name alone.
size_t FolderPartLength(const std::string& pattern);

// The entry that `path` names (links to files and folders followed), or
// nullopt when it does not exist.
std::optional<DirEntry> QueryPath(const std::string& path);

bool DirectoryExists(const std::string& path);
bool PathExists(const std::string& path);

// Creates the folder and all missing parents; true when it exists afterwards.
bool CreateFolderTree(const std::string& path);

// Removes a file (not a folder); 0 or the errno value.
int RemoveFile(const std::string& path);

// Renames within one file system, replacing `to`; 0 or the errno value (EXDEV across file systems).
int RenameFile(const std::string& from, const std::string& to);

// Gives the file `from` a second name `to` (a hard link; `to` must not exist);
// 0 or the errno value.
int LinkFile(const std::string& from, const std::string& to);

// Sets the file's last-write time (seconds since 1970 UTC); 0 or the errno value.
int SetLastWriteTime(const std::string& path, int64_t seconds);

// Sets the attribute bits that Linux can express (read-only); 0 or the errno value.
int SetAttributes(const std::string& path, uint32_t attributes);

// True when a volume holding `path` (or its nearest existing parent) can be queried.
bool QueryVolume(const std::string& path);

// The process's current folder, with a trailing separator.
std::string CurrentFolder();

// Text of an errno value, for error reports.
std::string ErrorText(int errorNumber);

} // namespace tolvane::platform
