#include "OutputFolder.h"

#include "platform/FileSystem.h"
#include "platform/PendingFile.h"

#include <cerrno>

namespace tolvane::app {

std::string OutputProblem(const std::string& file) {
    const size_t slash = file.rfind('/');
    // Without its trailing "/", so that a file where the folder should be is
    // "Not a directory" rather than not found.
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : file.substr(0, slash);
    int error = 0;
    if (const auto entry = platform::QueryPath(folder); !entry)
        error = ENOENT;
    else if (!entry->IsDirectory())
        error = ENOTDIR;
    else {
        // Trying is the only sure test: permissions, read-only mounts and
        // quotas all show in the attempt. The file leaves no trace.
        platform::PendingFile probe(folder, "kro");
        error = probe.IsOpen() ? 0 : probe.Error();
    }
    return error == 0 ? "" : "cannot write " + file + ": " + platform::ErrorText(error);
}

} // namespace tolvane::app
