// What a job on a folder will take: its files, its folders and their bytes,
// counted as the job packs them (hidden entries included; links to folders,
// pipes, devices and other unusable entries left out).
#pragma once

#include "platform/CancelToken.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolvane::app {

struct FolderTally {
    int64_t files = 0;
    int64_t folders = 0; // below the folder itself
    uint64_t bytes = 0;
};

// Walks `folder`'s whole tree. Folders that cannot be read are passed over
// (the job reports them); nullopt when `cancel` was requested meanwhile or
// `folder` itself cannot be read. Runs on any thread.
std::optional<FolderTally> CountFolder(const std::string& folder,
                                       const platform::CancelToken& cancel);

} // namespace tolvane::app
