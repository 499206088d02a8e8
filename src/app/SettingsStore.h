// The per-user settings: on Windows the registry key HKEY_CURRENT_USER
// "Software\Tolvane"; elsewhere, in its place, a small text file of typed
// values (32-bit integers and strings) under the user's config folder.
#pragma once

#include "platform/Expected.h"

#include <cstdint>
#include <string>

namespace tolvane::app {

struct Settings {
    bool signedUp = false;      // "signedup", REG_DWORD
    std::string partnerId;      // "partnerid", REG_SZ
    std::string softwareId;     // "softwareid", REG_SZ
    int32_t targetLanguage = 0; // "targetlanguage", REG_DWORD
};

// Why the settings could not be read: the file and what is wrong with it,
// and the values read before a value of the wrong type stopped the reading
// (the defaults when nothing could be taken).
struct SettingsReadFailure {
    platform::Report report;
    Settings readBefore;
};

class SettingsStore {
public:
    // $XDG_CONFIG_HOME/Tolvane/settings (default ~/.config/Tolvane/settings);
    // on Windows the key "Software\Tolvane" below HKEY_CURRENT_USER. What is
    // said of the file below is said of the key there: a value of the wrong
    // registry type stops the reading, a key that cannot be opened fails it.
    static std::string DefaultPath();

    explicit SettingsStore(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Reads the values in order; missing ones keep their defaults, and no
    // file at all is no values. A value of the wrong type stops the reading
    // (the values read before it are kept in the failure). A file that cannot
    // be read, is empty, is cut short (no end on its last line) or holds a
    // line that is no setting fails the same way before any value is taken.
    // The failure names the file and what was wrong; the front ends say what
    // it means for the user.
    platform::Expected<Settings, SettingsReadFailure> Read() const;

    // Writes the four values, replacing the file in one step (temporary file,
    // then rename), so that a crash never leaves half a file. Other values of
    // the file ("lastfolder") stay as they are. Fails with "Error writing data
    // to Registry", the file and the cause.
    platform::Expected<void> Save(const Settings& settings) const;

    // "lastfolder": the folder the desktop program monetized last; empty when
    // there is none or the file cannot be read.
    std::string LastFolder() const;
    // Stores "lastfolder", keeping the other values. A file that is there but
    // cannot be read is left alone (a failure, as Save's).
    platform::Expected<void> SaveLastFolder(const std::string& folder) const;

private:
    std::string path_;
};

} // namespace tolvane::app
