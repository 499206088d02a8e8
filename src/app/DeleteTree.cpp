#include "DeleteTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::app {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool IsRealFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool DeleteTree(const std::string& folder, bool resetAttributes, bool stopOnFailure,
                bool removeFolder) {
    // A link named as the folder itself is not followed either.
    if (!IsRealFolder(folder))
        return false;
    const std::string base = folder.back() == '/' ? folder : folder + "/";
    if (resetAttributes)
        chmod(base.c_str(), S_IRWXU);
    bool result = true;
    {
        std::unique_ptr<DIR, DirCloser> dir(opendir(base.c_str()));
        if (!dir)
            return false;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name.empty() || name == "." || name == "..")
                continue;
            const std::string path = base + name;
            struct stat st {};
            if (lstat(path.c_str(), &st) != 0)
                continue; // gone meanwhile
            if (S_ISDIR(st.st_mode)) {
                if (resetAttributes)
                    chmod(path.c_str(), S_IRWXU);
                result = DeleteTree(path, resetAttributes, stopOnFailure, true);
            } else {
                if (resetAttributes && !S_ISLNK(st.st_mode))
                    chmod(path.c_str(), S_IRUSR | S_IWUSR);
                result = unlink(path.c_str()) == 0;
            }
            if (!result && stopOnFailure)
                return false;
        }
    }
    if (result && removeFolder && rmdir(base.c_str()) != 0)
        result = false;
    return result;
}

} // namespace tolvane::app
